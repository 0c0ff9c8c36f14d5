// Appearance.h — the colours and sizes of the screen's chrome: desktop,
// menu bar, window frames, menus. One place, so the look can be changed
// (and tests can name the pixels they expect) without hunting for numbers.
#pragma once

#include "platform/quickdraw/StandardColors.h"

namespace platform::windows::look {

using quickdraw::RGB8;

// The screen.
constexpr SInt16 kMenuBarHeight = 20;        // rows 0..19; row 19 is the bar's bottom line
constexpr RGB8 kDesktop{0x8C, 0x8C, 0x8C};   // the plain gray desktop
constexpr RGB8 kMenuBar{0xFF, 0xFF, 0xFF};
constexpr RGB8 kMenuBarLine{0x00, 0x00, 0x00};

// Window frames.
constexpr RGB8 kFrameLine{0x00, 0x00, 0x00};
constexpr RGB8 kTitleActive{0xDD, 0xDD, 0xDD};      // title bar of the active window
constexpr RGB8 kTitleStripe{0x99, 0x99, 0x99};      // its horizontal lines
constexpr RGB8 kTitleInactive{0xF2, 0xF2, 0xF2};    // title bar of the other windows
constexpr RGB8 kTitleText{0x00, 0x00, 0x00};
constexpr RGB8 kTitleTextInactive{0x80, 0x80, 0x80};
constexpr RGB8 kCloseBoxFill{0xFF, 0xFF, 0xFF};
constexpr RGB8 kCloseBoxPressed{0x44, 0x44, 0x44};
constexpr RGB8 kDialogBand{0x55, 0x55, 0x55};       // the thick band of modal dialog frames
constexpr RGB8 kContentBack{0xFF, 0xFF, 0xFF};      // uncovered content, until its update

// Menus.
constexpr RGB8 kMenuBack{0xFF, 0xFF, 0xFF};
constexpr RGB8 kMenuText{0x00, 0x00, 0x00};
constexpr RGB8 kMenuTextDimmed{0xA0, 0xA0, 0xA0};
constexpr RGB8 kMenuHilite{0x2A, 0x5C, 0xAA};       // chosen title and item
constexpr RGB8 kMenuHiliteText{0xFF, 0xFF, 0xFF};
constexpr RGB8 kMenuSeparator{0xB8, 0xB8, 0xB8};
constexpr RGB8 kMenuShadow{0x40, 0x40, 0x40};

// Text of the chrome: the application font, in pixels.
constexpr SInt16 kChromeTextSize = 12;

}  // namespace platform::windows::look
