// Headless scripts: any bytes either parse or give a line and a message;
// what parses keeps the parser's promises (lines in order, arguments in
// their ranges, nothing after `expect end`).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/hosts/headless/Script.h"

using namespace platform::script;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    const int lines = int(std::count(text.begin(), text.end(), '\n')) + 1;
    auto r = parse_script(text);
    if (!r.script) {
        if (r.error.line < 1 || r.error.line > lines || r.error.message.empty()) __builtin_trap();
        return 0;
    }
    const auto& commands = r.script->commands;
    int previous = 0;
    for (size_t i = 0; i < commands.size(); ++i) {
        const ScriptLine& l = commands[i];
        if (l.line <= previous || l.line > r.script->line_count) __builtin_trap();
        previous = l.line;
        if (std::holds_alternative<cmd::ExpectEnd>(l.command) && i + 1 != commands.size()) __builtin_trap();
        if (const auto* w = std::get_if<cmd::Wait>(&l.command); w && (w->ms < 0 || w->ms > kMaxWaitMs)) __builtin_trap();
        if (const auto* o = std::get_if<cmd::OpenDocuments>(&l.command); o && o->paths.empty()) __builtin_trap();
        if (const auto* t = std::get_if<cmd::Type>(&l.command); t && t->text.empty()) __builtin_trap();
    }
    return 0;
}
