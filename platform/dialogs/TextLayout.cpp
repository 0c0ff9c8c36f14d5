// ParamText substitution, line breaking and UTF-8 steps (TextLayout.h).
#include "platform/dialogs/TextLayout.h"

namespace platform::dialogs {
namespace {

bool continuation(UInt8 b) { return (b & 0xC0) == 0x80; }

}  // namespace

std::string substitute_params(std::string_view text, const std::array<std::string, 4>& params) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '^' && i + 1 < text.size() && text[i + 1] >= '0' && text[i + 1] <= '3') {
            out += params[size_t(text[i + 1] - '0')];
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

size_t sequence_length(UInt8 lead) {
    if (lead < 0x80) return 1;
    if ((lead >> 5) == 6) return 2;
    if ((lead >> 4) == 14) return 3;
    if ((lead >> 3) == 30) return 4;
    return 1;
}

size_t next_char(std::string_view text, size_t at) {
    if (at >= text.size()) return text.size();
    const size_t n = sequence_length(UInt8(text[at]));
    size_t end = at + 1;
    while (end < text.size() && end < at + n && continuation(UInt8(text[end]))) ++end;
    return end;
}

size_t previous_char(std::string_view text, size_t at) {
    if (at > text.size()) at = text.size();
    if (at == 0) return 0;
    // Back over at most three continuation bytes to a lead that spans them.
    size_t p = at - 1;
    for (int k = 0; k < 3 && p > 0 && continuation(UInt8(text[p])); ++k) --p;
    if (next_char(text, p) == at) return p;
    return at - 1;
}

std::vector<TextLine> wrap_text(std::string_view text, SInt32 width, const Measure& measure) {
    std::vector<TextLine> lines;
    size_t start = 0;
    while (start < text.size()) {
        // The paragraph: up to the next hard break.
        size_t para_end = text.find_first_of("\r\n", start);
        if (para_end == std::string_view::npos) para_end = text.size();
        size_t line = start;
        do {
            // The longest prefix of [line, para_end) that fits, ended at a space if possible.
            size_t fit = line, last_space = std::string_view::npos;
            for (size_t p = line; p < para_end;) {
                size_t q = next_char(text, p);
                if (measure(text.substr(line, q - line)) > width) break;
                if (text[p] == ' ') last_space = p;
                fit = q;
                p = q;
            }
            size_t end, next;
            if (fit >= para_end) {
                end = next = para_end;
            } else if (text[fit] == ' ') {
                end = next = fit;   // the line ends just before a space
            } else if (last_space != std::string_view::npos && last_space > line) {
                end = last_space;
                next = last_space;
            } else {
                end = next = fit > line ? fit : next_char(text, line);   // at least one character a line
            }
            while (next < para_end && text[next] == ' ') ++next;
            size_t shown = end;
            while (shown > line && text[shown - 1] == ' ') --shown;
            lines.push_back(TextLine{line, shown - line});
            line = next;
        } while (line < para_end);
        if (para_end >= text.size()) break;
        // "\r\n" is one break.
        start = para_end + 1;
        if (text[para_end] == '\r' && start < text.size() && text[start] == '\n') ++start;
        if (start >= text.size()) lines.push_back(TextLine{start, 0});
    }
    return lines;
}

}  // namespace platform::dialogs
