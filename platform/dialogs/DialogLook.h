// DialogLook.h — the colours and sizes of dialogs, their items and the file
// dialogs' lists, in one place.
#pragma once

#include "platform/quickdraw/StandardColors.h"

namespace platform::dialogs::look {

using quickdraw::RGB8;

constexpr RGB8 kDialogBack{0xEC, 0xEC, 0xEC};
constexpr RGB8 kText{0x00, 0x00, 0x00};
constexpr RGB8 kTextDimmed{0x9A, 0x9A, 0x9A};

// Push buttons: a rounded face, and around the default one a ring.
constexpr RGB8 kButtonFace{0xFF, 0xFF, 0xFF};
constexpr RGB8 kButtonBorder{0x4A, 0x4A, 0x4A};
constexpr RGB8 kButtonBorderDimmed{0xB4, 0xB4, 0xB4};
constexpr RGB8 kButtonPressed{0x2A, 0x5C, 0xAA};
constexpr RGB8 kButtonPressedText{0xFF, 0xFF, 0xFF};
constexpr RGB8 kDefaultRing{0x20, 0x20, 0x20};
constexpr SInt16 kButtonRadius = 5;
constexpr SInt16 kRingGap = 1;        // between the face and the ring
constexpr SInt16 kRingWidth = 3;

// Check boxes and radio buttons.
constexpr SInt16 kMarkSize = 12;

// Editable text: a white box just outside the item's rectangle.
constexpr RGB8 kFieldBack{0xFF, 0xFF, 0xFF};
constexpr RGB8 kFieldBorder{0x80, 0x80, 0x80};
constexpr RGB8 kFieldFocusBorder{0x2A, 0x5C, 0xAA};
constexpr RGB8 kSelection{0xB4, 0xD3, 0xFF};
constexpr RGB8 kSelectionInactive{0xDC, 0xDC, 0xDC};
constexpr RGB8 kCaret{0x00, 0x00, 0x00};
constexpr SInt16 kFieldOutset = 3;    // the box is the item's rectangle grown by this
constexpr SInt16 kFieldPadding = 1;   // text starts this far in from the item's left

// File lists.
constexpr RGB8 kListBack{0xFF, 0xFF, 0xFF};
constexpr RGB8 kListBorder{0x80, 0x80, 0x80};
constexpr RGB8 kListSelected{0x2A, 0x5C, 0xAA};
constexpr RGB8 kListSelectedText{0xFF, 0xFF, 0xFF};
constexpr RGB8 kListFolderMark{0x6A, 0x8C, 0xC0};
constexpr RGB8 kScrollTrack{0xE2, 0xE2, 0xE2};
constexpr RGB8 kScrollThumb{0xA8, 0xA8, 0xA8};
constexpr RGB8 kScrollArrow{0x50, 0x50, 0x50};
constexpr SInt16 kListRowHeight = 18;
constexpr SInt16 kScrollBarWidth = 15;

// Status lines that say why something was refused.
constexpr RGB8 kRefusalText{0xB0, 0x10, 0x10};

// Text in dialogs: the application font.
constexpr SInt16 kTextSize = 12;

// Blinking and flashing, in ticks.
constexpr UInt32 kButtonFlashTicks = 8;

}  // namespace platform::dialogs::look
