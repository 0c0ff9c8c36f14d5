// rescompile — the resource compiler.
//
//   rescompile -o OUT.rsrc [-I dir]... SOURCE...   compile sources into one resource file
//   rescompile --list FILE                         one line per resource: 'TYPE' ID SIZE [NAME]
//
// The source format is described at the top of Compiler.cpp and in the
// README. Errors go to stderr as file:line: message; the exit status is 1
// for bad source or an unreadable file, 2 for bad usage.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "Compiler.h"
#include "platform/core/FourCC.h"
#include "platform/resources/ResourceFile.h"

namespace {

int usage() {
    std::fprintf(stderr,
                 "usage: rescompile -o OUT.rsrc [-I dir]... SOURCE...\n"
                 "       rescompile --list FILE\n");
    return 2;
}

int list(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "rescompile: cannot read %s\n", path.c_str());
        return 1;
    }
    std::vector<UInt8> image((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    auto file = platform::resources::ResourceFile::parse(image);
    if (!file) {
        std::fprintf(stderr, "rescompile: %s: %s (error %d)\n", path.c_str(), file.error().message,
                     int(file.code()));
        return 1;
    }
    for (const auto& type : file->types())
        for (const auto& res : type.resources) {
            std::printf("'%s' %d %zu", platform::fourcc_string(type.type).c_str(), int(res.id), res.data.size());
            if (res.name) std::printf(" %s", res.name->c_str());
            std::printf("\n");
        }
    return 0;
}

bool write_file(const std::string& path, const std::vector<UInt8>& bytes) {
    // Written beside the target and renamed over it, so a failed build never
    // leaves half a resource file behind.
    const std::string temp = path + ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        if (!out) return false;
    }
    return std::rename(temp.c_str(), path.c_str()) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 2 && args[0] == "--list") return list(args[1]);

    rescompile::Compiler compiler;
    std::string output;
    std::vector<std::string> sources;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "-o" && i + 1 < args.size()) output = args[++i];
        else if (a == "-I" && i + 1 < args.size()) compiler.add_include_dir(args[++i]);
        else if (a.rfind("-I", 0) == 0 && a.size() > 2) compiler.add_include_dir(a.substr(2));
        else if (!a.empty() && a[0] == '-') return usage();
        else sources.push_back(a);
    }
    if (output.empty() || sources.empty()) return usage();

    try {
        for (const auto& source : sources) compiler.compile_file(source);
    } catch (const rescompile::CompileError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    auto image = compiler.result().write();
    if (!image) {
        std::fprintf(stderr, "rescompile: %s\n", image.error().message);
        return 1;
    }
    if (!write_file(output, *image)) {
        std::fprintf(stderr, "rescompile: cannot write %s\n", output.c_str());
        return 1;
    }
    return 0;
}
