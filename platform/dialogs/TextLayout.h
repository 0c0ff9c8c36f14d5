// TextLayout.h — the text rules of dialog items, pure and measured through
// a callback so they can be tested without drawing: ParamText's ^0–^3,
// wrapping static text into lines, and stepping through UTF-8.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Types.h"

namespace platform::dialogs {

// The width of a piece of text, in pixels.
using Measure = std::function<SInt32(std::string_view)>;

// Replaces ^0, ^1, ^2 and ^3 with the parameter strings; a caret before
// anything else stays as it is. Substituted text is not looked at again.
std::string substitute_params(std::string_view text, const std::array<std::string, 4>& params);

struct TextLine {
    size_t start = 0;    // byte offset of the line's first character
    size_t length = 0;   // bytes shown (trailing spaces and the break excluded)
};

// Breaks text into lines no wider than `width`: at spaces where it can, a
// return or newline always ends a line, and a word wider than a line is
// cut between characters. Empty text gives no lines.
std::vector<TextLine> wrap_text(std::string_view text, SInt32 width, const Measure& measure);

// UTF-8 steps: the start of the character before / after byte offset `at`
// (which need not be a character start). Malformed bytes count as one
// character each.
size_t previous_char(std::string_view text, size_t at);
size_t next_char(std::string_view text, size_t at);
// The number of bytes of the sequence a lead byte starts (1 for a stray
// continuation byte or an invalid lead).
size_t sequence_length(UInt8 lead);

}  // namespace platform::dialogs
