// Editing one line of text (EditField.h).
#include "platform/dialogs/EditField.h"

#include <algorithm>

namespace platform::dialogs {
namespace {

bool continuation(UInt8 b) { return (b & 0xC0) == 0x80; }

bool word_char(UInt8 b) { return b >= 0x80 || (b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || b == '_'; }

}  // namespace

size_t EditField::snap(size_t at) const {
    at = std::min(at, text_.size());
    if (at == text_.size() || !continuation(UInt8(text_[at]))) return at;
    size_t lead = at;
    for (int k = 0; k < 3 && lead > 0 && continuation(UInt8(text_[lead])); ++k) --lead;
    return next_char(text_, lead) > at ? lead : at;
}

void EditField::set_text(std::string text) {
    if (text.size() > kMaxBytes) {
        size_t cut = kMaxBytes;
        while (cut > 0 && continuation(UInt8(text[cut]))) --cut;
        text.resize(cut);
    }
    text_ = std::move(text);
    anchor_ = caret_ = text_.size();
    pending_ = dropping_ = 0;
}

void EditField::select(size_t anchor, size_t caret) {
    anchor_ = snap(anchor);
    caret_ = snap(caret);
    pending_ = dropping_ = 0;
}

EditField::Outcome EditField::erase(size_t from, size_t to) {
    if (from >= to) return Outcome::Refused;
    text_.erase(from, to - from);
    anchor_ = caret_ = from;
    pending_ = dropping_ = 0;
    return Outcome::Changed;
}

EditField::Outcome EditField::type_byte(UInt8 b) {
    if (continuation(b)) {
        if (dropping_) {
            --dropping_;
            return Outcome::Unchanged;
        }
        if (!pending_) return Outcome::Unchanged;   // a stray continuation byte: not text
        if (text_.size() >= kMaxBytes) return Outcome::Refused;
        text_.insert(caret_, 1, char(b));
        anchor_ = ++caret_;
        --pending_;
        return Outcome::Changed;
    }
    const size_t need = sequence_length(b);
    const size_t after = text_.size() - (sel_end() - sel_start()) + need;
    pending_ = dropping_ = 0;
    if (after > kMaxBytes) {
        dropping_ = need - 1;
        return Outcome::Refused;
    }
    if (has_selection()) {
        text_.erase(sel_start(), sel_end() - sel_start());
        anchor_ = caret_ = sel_start();
    }
    text_.insert(caret_, 1, char(b));
    anchor_ = ++caret_;
    pending_ = need - 1;
    return Outcome::Changed;
}

EditField::Outcome EditField::key(UInt8 c, bool extend) {
    auto move_to = [&](size_t to) {
        size_t before_a = anchor_, before_c = caret_;
        caret_ = to;
        if (!extend) anchor_ = to;
        pending_ = dropping_ = 0;
        return before_a == anchor_ && before_c == caret_ ? Outcome::Unchanged : Outcome::Moved;
    };
    switch (c) {
    case 0x08:
        if (has_selection()) return erase(sel_start(), sel_end());
        return erase(previous_char(text_, caret_), caret_);
    case 0x7F:
        if (has_selection()) return erase(sel_start(), sel_end());
        return erase(caret_, next_char(text_, caret_));
    case 0x1C:
        if (has_selection() && !extend) return move_to(sel_start());
        return move_to(previous_char(text_, caret_));
    case 0x1D:
        if (has_selection() && !extend) return move_to(sel_end());
        return move_to(next_char(text_, caret_));
    case 0x1E:
    case 0x01: return move_to(0);
    case 0x1F:
    case 0x04: return move_to(text_.size());
    default: break;
    }
    if (c < 0x20) return Outcome::Unchanged;
    return type_byte(c);
}

void EditField::click(size_t offset, bool extend) {
    offset = snap(offset);
    if (extend) select(anchor_, offset);
    else select(offset, offset);
}

void EditField::select_word(size_t offset) {
    offset = snap(offset);
    if (text_.empty()) return select(0, 0);
    if (offset == text_.size()) offset = previous_char(text_, offset);
    const bool kind = word_char(UInt8(text_[offset]));
    size_t from = offset, to = offset;
    while (from > 0) {
        size_t p = previous_char(text_, from);
        if (word_char(UInt8(text_[p])) != kind) break;
        from = p;
    }
    while (to < text_.size() && word_char(UInt8(text_[to])) == kind) to = next_char(text_, to);
    select(from, to);
}

size_t offset_at_x(std::string_view text, SInt32 x, const Measure& measure) {
    if (x <= 0) return 0;
    size_t prev = 0;
    SInt32 prevWidth = 0;
    while (prev < text.size()) {
        size_t next = next_char(text, prev);
        SInt32 w = measure(text.substr(0, next));
        if (w >= x) return (x - prevWidth) * 2 < (w - prevWidth) ? prev : next;
        prev = next;
        prevWidth = w;
    }
    return text.size();
}

SInt32 scroll_to_show(SInt32 scroll, SInt32 caretX, SInt32 width) {
    if (width <= 1) return caretX;
    if (caretX < scroll) return caretX;
    if (caretX > scroll + width - 1) return caretX - (width - 1);
    return std::max<SInt32>(scroll, 0);
}

}  // namespace platform::dialogs
