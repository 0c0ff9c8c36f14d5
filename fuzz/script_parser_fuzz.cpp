// Headless scripts: any bytes either parse or give a line and a message.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/hosts/headless/Script.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    auto r = platform::script::parse_script(text);
    if (r.script) {
        for (const auto& c : r.script->commands)
            if (c.line < 1 || c.line > r.script->line_count) __builtin_trap();
    } else if (r.error.line < 1 || r.error.message.empty()) {
        __builtin_trap();
    }
    return 0;
}
