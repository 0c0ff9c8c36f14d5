// Fuzzes the reading of dialog resources: the first byte chooses 'DLOG'
// (0), 'DITL' (1) or 'ALRT' (2), the rest is the resource. An item list
// that reads has each item's text put through what drawing and editing do
// with it: ParamText substitution, line breaking, and an editable field
// typed, edited and clicked.
#include <cstddef>
#include <cstdint>

#include "platform/dialogs/DialogResources.h"
#include "platform/dialogs/EditField.h"
#include "platform/dialogs/TextLayout.h"

namespace dlg = platform::dialogs;

namespace {

SInt32 measure(std::string_view s) {
    SInt32 w = 0;
    for (unsigned char c : s) w += 3 + (c & 7);
    return w;
}

void exercise(const std::string& text, const Rect& box) {
    const std::string shown = dlg::substitute_params(text, {"^1", "param", "", std::string(300, 'x')});
    for (const dlg::TextLine& line : dlg::wrap_text(shown, box.right - box.left, measure))
        if (line.start + line.length > shown.size()) __builtin_trap();
    dlg::EditField field(text);
    for (unsigned char c : text) (void)field.key(c, (c & 1) != 0);
    field.select_word(text.size() / 2);
    field.click(dlg::offset_at_x(field.text(), box.right - box.left, measure), true);
    if (field.text().size() > dlg::EditField::kMaxBytes || field.sel_end() > field.text().size()) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    std::span<const UInt8> body(data + 1, size - 1);
    switch (data[0] % 3) {
    case 0: (void)dlg::parse_dialog(body); break;
    case 1:
        if (auto items = dlg::parse_item_list(body))
            for (const dlg::ItemTemplate& item : *items) exercise(item.text, item.box);
        break;
    case 2:
        if (auto alert = dlg::parse_alert(body))
            for (int stage = 1; stage <= 4; ++stage) (void)dlg::alert_stage(alert->stages, stage);
        break;
    }
    return 0;
}
