// Compiler.h — the resource compiler: readable resource source in, a
// resource file out. The format is described at the top of Compiler.cpp
// and in the README.
#pragma once

#include <string>
#include <vector>

#include "Body.h"
#include "Source.h"
#include "platform/resources/ResourceFile.h"

namespace rescompile {

class Compiler {
public:
    // Directories searched (after the source file's own) for files that
    // bodies name: WAV and AIFF sounds, raw data files.
    void add_include_dir(std::string dir) { includeDirs_.push_back(std::move(dir)); }

    // Compiles one source; throws CompileError (file:line: message).
    void compile_file(const std::string& path);
    void compile_text(const std::string& fileName, const std::string& text,
                      const std::string& baseDir = ".");

    const platform::resources::ResourceFile& result() const { return file_; }

private:
    struct Seen {
        ResType type;
        SInt16 id;
        std::string where;
    };
    void add(const Line& at, Output out, UInt8 attributes);

    std::vector<std::string> includeDirs_;
    platform::resources::ResourceFile file_;
    std::vector<Seen> seen_;
};

}  // namespace rescompile
