// Fuzzes the resource compiler's source reader: any text either compiles to
// a resource file that reads back, or is refused with a CompileError.
#include <cstddef>
#include <cstdint>
#include <string>

#include "Compiler.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 8192) return 0;
    rescompile::Compiler compiler;
    try {
        // No search directory holds sound files, so only inline data compiles.
        compiler.compile_text("fuzz.r", std::string(reinterpret_cast<const char*>(data), size), "/nonexistent");
    } catch (const rescompile::CompileError&) {
        return 0;
    }
    auto image = compiler.result().write();
    if (image && !platform::resources::ResourceFile::parse(*image)) __builtin_trap();
    return 0;
}
