// EditField.h — what an editable text item does with keys and clicks: one
// line of UTF-8 text of at most 255 bytes, a selection (an insertion point
// when empty) with an anchor, typing, Delete and forward delete, the
// arrows with and without Shift, words for double-clicks. Pure: the
// Dialog Manager draws it and maps pixels to offsets with the helpers at
// the end.
#pragma once

#include <string>
#include <string_view>

#include "platform/Types.h"
#include "platform/dialogs/TextLayout.h"

namespace platform::dialogs {

class EditField {
public:
    static constexpr size_t kMaxBytes = 255;

    enum class Outcome {
        Unchanged,   // nothing happened (an ignored key)
        Moved,       // the selection changed, the text did not
        Changed,     // the text changed
        Refused      // the key could not be honoured (full, nothing to delete): beep
    };

    EditField() = default;
    explicit EditField(std::string text) { set_text(std::move(text)); }

    const std::string& text() const { return text_; }
    // Replaces the text (cut to 255 bytes on a character boundary); the
    // insertion point goes to the end.
    void set_text(std::string text);

    size_t sel_start() const { return std::min(anchor_, caret_); }
    size_t sel_end() const { return std::max(anchor_, caret_); }
    size_t caret() const { return caret_; }   // the end that moves
    bool has_selection() const { return anchor_ != caret_; }

    // Offsets are clamped to the text and moved back to character starts.
    void select(size_t anchor, size_t caret);
    void select_all() { select(0, text_.size()); }

    // One byte of a key event: printable ASCII, or a byte of a UTF-8
    // sequence (which arrives one key event a byte). The selection is
    // replaced. A sequence that would not fit is dropped whole.
    Outcome type_byte(UInt8 b);
    // The editing keys by character code: Delete (8), forward delete
    // (0x7F), left/right (0x1C/0x1D), up/home (0x1E/0x01), down/end
    // (0x1F/0x04); `extend` (Shift) moves only the caret end. Other control
    // characters are ignored; anything else is typed.
    Outcome key(UInt8 charCode, bool extend);

    // A click at an offset: the insertion point there, or (extend) the
    // selection from the anchor to there. Dragging moves the caret end.
    void click(size_t offset, bool extend);
    void drag_to(size_t offset) { select(anchor_, offset); }
    // The word (letters, digits and everything outside ASCII; or a run of
    // other characters) around an offset.
    void select_word(size_t offset);

private:
    Outcome erase(size_t from, size_t to);
    size_t snap(size_t at) const;

    std::string text_;
    size_t anchor_ = 0, caret_ = 0;
    size_t pending_ = 0;    // continuation bytes still due for the last lead typed
    size_t dropping_ = 0;   // continuation bytes to drop after a lead that did not fit
};

// The offset nearest to x pixels from the text's start.
size_t offset_at_x(std::string_view text, SInt32 x, const Measure& measure);
// The horizontal scroll (pixels hidden at the left) that keeps the caret at
// x = caretX inside a box `width` wide, changing `scroll` as little as
// possible.
SInt32 scroll_to_show(SInt32 scroll, SInt32 caretX, SInt32 width);

}  // namespace platform::dialogs
