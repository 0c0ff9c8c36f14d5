// DialogResources.h — reading 'DLOG', 'DITL' and 'ALRT' resources (the byte
// layouts are at the top of DialogResources.cpp).
//
// The readers are bounded: every field is checked against the bytes there
// are, counts against the room they need, rectangles for sense, so a
// damaged resource gives inputOutOfBounds and never a crash. Texts are
// UTF-8 as stored.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "platform/Types.h"
#include "platform/core/Result.h"

namespace platform::dialogs {

// The largest side a dialog or item rectangle may have.
constexpr SInt32 kMaxSide = 8192;
// The most items an item list may hold.
constexpr size_t kMaxItems = 1000;

struct DialogTemplate {
    Rect bounds{};            // the content, global
    SInt16 proc_id = 0;       // window definition
    bool visible = true;
    bool go_away = false;
    UInt32 ref_con = 0;
    SInt16 items_id = 0;      // the 'DITL'
    std::string title;
};

struct ItemTemplate {
    Rect box{};               // local to the dialog's content
    UInt8 type = 0;           // kind + itemDisable (Dialogs.h)
    std::string text;         // buttons, check boxes, radio buttons, static and edit text
    SInt16 resource_id = 0;   // control, icon and picture items
};

struct AlertTemplate {
    Rect bounds{};
    SInt16 items_id = 0;
    UInt16 stages = 0;
};

Result<DialogTemplate> parse_dialog(std::span<const UInt8> data);
Result<std::vector<ItemTemplate>> parse_item_list(std::span<const UInt8> data);
Result<AlertTemplate> parse_alert(std::span<const UInt8> data);

// What one stage of an alert does: stage 1 to 4 (later calls of the same
// alert use the last).
struct AlertStage {
    int beeps = 0;
    bool shown = true;
    SInt16 default_item = 1;
};
AlertStage alert_stage(UInt16 stages, int stage);

}  // namespace platform::dialogs
