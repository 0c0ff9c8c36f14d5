// Questions with push buttons (Question.h).
#include "platform/navigation/Question.h"

#include <algorithm>

#include "platform/Dialogs.h"
#include "platform/dialogs/DialogDrawing.h"

namespace platform::navigation {
namespace {

constexpr SInt16 kWidth = 460;
constexpr SInt16 kMargin = 20;
constexpr SInt16 kButtonHeight = 20;
constexpr SInt16 kButtonGap = 12;

class QuestionWindow final : public NavWindow {
public:
    QuestionWindow(const Question& question, Callback callback) : NavWindow(callback), question_(question) {}

    bool take(EventRecord& e, DialogItemIndex* itemHit) override {
        if ((e.what != keyDown && e.what != autoKey) || !(e.modifiers & cmdKey) || !question_.command_key) return false;
        const UInt8 c = UInt8(e.message & charCodeMask);
        if ((c | 0x20) != (question_.command_key | 0x20)) return false;
        const SInt16 item = SInt16(question_.command_button + 1);
        dialogs::flash_button(*dialog(), item);
        *itemHit = item;
        return true;
    }

private:
    const Question& question_;
};

}  // namespace

Result<size_t> ask(const Question& question, Callback callback) {
    const SInt16 textWidth = kWidth - 2 * kMargin;
    Layout layout;
    layout.width = kWidth;
    layout.title = question.title;
    SInt16 y = 16;
    const SInt16 qh = text_height(question.question, textWidth);
    const SInt16 eh = question.explanation.empty() ? 0 : text_height(question.explanation, textWidth);
    // Buttons first: they are items 1..n.
    const SInt16 buttonsTop = SInt16(y + qh + (eh ? 8 + eh : 0) + 20);
    SInt16 right = kWidth - kMargin;
    std::vector<Rect> boxes(question.buttons.size());
    for (size_t i = question.buttons.size(); i-- > 0;) {
        const SInt16 w = button_width(question.buttons[i]);
        if (i == 0 && question.first_at_left) {
            boxes[i] = Rect{buttonsTop, kMargin, SInt16(buttonsTop + kButtonHeight), SInt16(kMargin + w)};
        } else {
            boxes[i] = Rect{buttonsTop, SInt16(right - w), SInt16(buttonsTop + kButtonHeight), right};
            right = SInt16(right - w - kButtonGap);
        }
    }
    for (size_t i = 0; i < question.buttons.size(); ++i) layout.items.push_back(button_item(question.buttons[i], boxes[i]));
    layout.items.push_back(static_item(question.question, Rect{y, kMargin, SInt16(y + qh), SInt16(kWidth - kMargin)}));
    y = SInt16(y + qh + 8);
    if (eh) layout.items.push_back(static_item(question.explanation, Rect{y, kMargin, SInt16(y + eh), SInt16(kWidth - kMargin)}));
    layout.height = SInt16(buttonsTop + kButtonHeight + 16);

    QuestionWindow window(question, callback);
    if (OSErr err = window.open(layout, Point{-1, -1})) return fail(err, "no memory for the question");
    dialogs::Dialog* d = window.dialog();
    d->default_item = SInt16(question.default_button + 1);
    d->cancel_item = SInt16(question.cancel_button + 1);
    for (;;) {
        const DialogItemIndex item = window.next_item();
        if (item >= 1 && size_t(item) <= question.buttons.size()) return size_t(item - 1);
    }
}

}  // namespace platform::navigation
