/*
 * Dialogs, item lists and alerts read from resources. Rectangles are four
 * s16: top, left, bottom, right.
 *
 * 'DLOG':
 *     0  rect     bounds (the content, global)
 *     8  s16      window definition ID (dBoxProc 1, movableDBoxProc 5, ...)
 *    10  u8       visible (non-zero) or not       11  u8  filler
 *    12  u8       close box (non-zero) or not     13  u8  filler
 *    14  u32      reference constant
 *    18  s16      ID of the 'DITL'
 *    20  pstring  title (an even-size pad byte may follow)
 *
 * 'DITL':
 *     0  u16  number of items - 1
 *     per item:
 *        u32   reserved
 *        rect  display rectangle, local to the content
 *        u8    type: userItem 0, button 4, check box 5, radio button 6,
 *              control 7, static text 8, editable text 16, icon 32,
 *              picture 64; + itemDisable 128
 *        u8    length of the data
 *        data  text for buttons, check boxes, radio buttons and text
 *              items; an s16 resource ID (length 2) for control, icon and
 *              picture items; anything (skipped) for user items
 *        a 0 byte when the data length is odd
 *
 * 'ALRT':
 *     0  rect  bounds
 *     8  s16   ID of the 'DITL'
 *    10  u16   stages: four 4-bit stage descriptions, stage 4 in the high
 *              nibble (bit 3 the default item is 2 rather than 1, bit 2 the
 *              alert is shown, bits 0-1 the number of beeps)
 */
#include "platform/dialogs/DialogResources.h"

#include "platform/Dialogs.h"
#include "platform/core/Bytes.h"

namespace platform::dialogs {
namespace {

constexpr OSErr kDamaged = inputOutOfBounds;

Result<Rect> read_rect(ByteReader& r) {
    Rect rect;
    rect.top = TRY(r.s16());
    rect.left = TRY(r.s16());
    rect.bottom = TRY(r.s16());
    rect.right = TRY(r.s16());
    if (rect.bottom < rect.top || rect.right < rect.left) return fail(kDamaged, "a rectangle turned inside out");
    if (SInt32(rect.bottom) - rect.top > kMaxSide || SInt32(rect.right) - rect.left > kMaxSide)
        return fail(kDamaged, "a rectangle too large");
    return rect;
}

bool known_kind(UInt8 kind) {
    switch (kind) {
    case userItem:
    case ctrlItem + btnCtrl:
    case ctrlItem + chkCtrl:
    case ctrlItem + radCtrl:
    case ctrlItem + resCtrl:
    case statText:
    case editText:
    case iconItem:
    case picItem: return true;
    default: return false;
    }
}

bool has_text(UInt8 kind) {
    return kind == ctrlItem + btnCtrl || kind == ctrlItem + chkCtrl || kind == ctrlItem + radCtrl ||
           kind == statText || kind == editText;
}

}  // namespace

Result<DialogTemplate> parse_dialog(std::span<const UInt8> data) {
    ByteReader r(data, kDamaged);
    DialogTemplate d;
    d.bounds = TRY(read_rect(r));
    d.proc_id = TRY(r.s16());
    d.visible = TRY(r.u8()) != 0;
    TRY(r.skip(1));
    d.go_away = TRY(r.u8()) != 0;
    TRY(r.skip(1));
    d.ref_con = TRY(r.u32());
    d.items_id = TRY(r.s16());
    d.title = TRY(r.pstring());
    return d;
}

Result<std::vector<ItemTemplate>> parse_item_list(std::span<const UInt8> data) {
    ByteReader r(data, kDamaged);
    const size_t count = size_t(TRY(r.u16())) + 1;
    // Each item takes at least 14 bytes: a count beyond the data is damage.
    if (count > kMaxItems || count > r.remaining() / 14) return fail(kDamaged, "more items than the list holds");
    std::vector<ItemTemplate> items;
    items.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        ItemTemplate item;
        TRY(r.skip(4));
        item.box = TRY(read_rect(r));
        item.type = TRY(r.u8());
        const UInt8 kind = item.type & 0x7F;
        if (!known_kind(kind)) return fail(kDamaged, "an item of an unknown kind");
        const UInt8 length = TRY(r.u8());
        ByteReader payload = TRY(r.sub(length));
        if (length & 1) TRY(r.skip(1));
        if (has_text(kind)) {
            auto bytes = TRY(payload.bytes(length));
            item.text.assign(bytes.begin(), bytes.end());
        } else if (kind != userItem) {
            if (length != 2) return fail(kDamaged, "a resource item without its ID");
            item.resource_id = TRY(payload.s16());
        }
        items.push_back(std::move(item));
    }
    return items;
}

Result<AlertTemplate> parse_alert(std::span<const UInt8> data) {
    ByteReader r(data, kDamaged);
    AlertTemplate a;
    a.bounds = TRY(read_rect(r));
    a.items_id = TRY(r.s16());
    a.stages = TRY(r.u16());
    return a;
}

AlertStage alert_stage(UInt16 stages, int stage) {
    if (stage < 1) stage = 1;
    if (stage > 4) stage = 4;
    const unsigned nibble = (stages >> (4 * (stage - 1))) & 0xF;
    return AlertStage{int(nibble & 3), (nibble & 4) != 0, SInt16((nibble & 8) ? 2 : 1)};
}

}  // namespace platform::dialogs
