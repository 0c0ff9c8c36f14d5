// Palette.h — the colours of the look: the desktop, window frames, menus,
// dialogs, file lists and the movie controller all draw from here, and
// tests name the pixels they expect by these names. A colour that means
// the same thing everywhere (text, the highlight) is one entry; entries
// with the same value but their own part of the screen stay separate so
// one can change without dragging the others along.
#pragma once

#include "platform/quickdraw/StandardColors.h"

namespace platform::kit::palette {

using quickdraw::RGB8;

// Text and highlighting, in every manager.
inline constexpr RGB8 kText{0x00, 0x00, 0x00};
inline constexpr RGB8 kHighlight{0x2A, 0x5C, 0xAA};       // chosen menu title and item, pressed button,
                                                          // focused field's border, selected list row
inline constexpr RGB8 kHighlightText{0xFF, 0xFF, 0xFF};   // text on the highlight
inline constexpr RGB8 kDisabledText{0x9A, 0x9A, 0x9A};    // dialog items that are not enabled
inline constexpr RGB8 kRefusalText{0xB0, 0x10, 0x10};     // status lines that say why something was refused

// The screen.
inline constexpr RGB8 kDesktop{0x8C, 0x8C, 0x8C};   // the plain gray desktop
inline constexpr RGB8 kMenuBar{0xFF, 0xFF, 0xFF};
inline constexpr RGB8 kFrame{0x00, 0x00, 0x00};     // outlines of windows and menus, the menu bar's bottom line

// Window frames.
inline constexpr RGB8 kTitleBar{0xDD, 0xDD, 0xDD};           // title bar of the active window
inline constexpr RGB8 kTitleStripe{0x99, 0x99, 0x99};        // its horizontal lines
inline constexpr RGB8 kTitleBarInactive{0xF2, 0xF2, 0xF2};   // title bar of the other windows
inline constexpr RGB8 kTitleTextInactive{0x80, 0x80, 0x80};
inline constexpr RGB8 kCloseBox{0xFF, 0xFF, 0xFF};
inline constexpr RGB8 kCloseBoxPressed{0x44, 0x44, 0x44};
inline constexpr RGB8 kDialogBand{0x55, 0x55, 0x55};         // the thick band of modal dialog frames
inline constexpr RGB8 kContent{0xFF, 0xFF, 0xFF};            // uncovered content, until its update

// Menus.
inline constexpr RGB8 kMenuBack{0xFF, 0xFF, 0xFF};
inline constexpr RGB8 kMenuTextDisabled{0xA0, 0xA0, 0xA0};
inline constexpr RGB8 kMenuSeparator{0xB8, 0xB8, 0xB8};
inline constexpr RGB8 kMenuShadow{0x40, 0x40, 0x40};

// Dialogs. Push buttons have a rounded face, and the default one a ring.
inline constexpr RGB8 kDialogBack{0xEC, 0xEC, 0xEC};
inline constexpr RGB8 kButtonFace{0xFF, 0xFF, 0xFF};
inline constexpr RGB8 kButtonBorder{0x4A, 0x4A, 0x4A};
inline constexpr RGB8 kButtonBorderDisabled{0xB4, 0xB4, 0xB4};
inline constexpr RGB8 kDefaultRing{0x20, 0x20, 0x20};
// Edit fields and file lists: a white box in a grey border.
inline constexpr RGB8 kBoxBack{0xFF, 0xFF, 0xFF};
inline constexpr RGB8 kBoxBorder{0x80, 0x80, 0x80};
inline constexpr RGB8 kSelection{0xB4, 0xD3, 0xFF};           // selected text in the focused field
inline constexpr RGB8 kSelectionInactive{0xDC, 0xDC, 0xDC};
inline constexpr RGB8 kFolderMark{0x6A, 0x8C, 0xC0};          // the mark of a folder in a file list
inline constexpr RGB8 kScrollTrack{0xE2, 0xE2, 0xE2};
inline constexpr RGB8 kScrollThumb{0xA8, 0xA8, 0xA8};
inline constexpr RGB8 kScrollArrow{0x50, 0x50, 0x50};

// The movie controller's bar, its volume popup and its badge.
inline constexpr RGB8 kBarFace{0xDD, 0xDD, 0xDD};
inline constexpr RGB8 kBarPressed{0x99, 0x99, 0x99};    // a button held down
inline constexpr RGB8 kBarLine{0x55, 0x55, 0x55};       // the bar's outline and the lines between its parts
inline constexpr RGB8 kBarGlyph{0x00, 0x00, 0x00};
inline constexpr RGB8 kBarInactive{0x88, 0x88, 0x88};   // glyphs and the thumb while the controller is inactive
inline constexpr RGB8 kBarGroove{0x77, 0x77, 0x77};     // the slider's groove and the volume track
inline constexpr RGB8 kBarGrooveInside{0xFF, 0xFF, 0xFF};
inline constexpr RGB8 kBarSelection{0x44, 0x44, 0xCC};  // the selection band in the groove
inline constexpr RGB8 kBarThumb{0x22, 0x22, 0x22};      // the slider's thumb and the volume knob
inline constexpr RGB8 kBarGrip{0x66, 0x66, 0x66};       // the grow box's ridges
inline constexpr RGB8 kPopupFrame{0x33, 0x33, 0x33};    // outline of the volume popup and the badge

}  // namespace platform::kit::palette

namespace platform::kit {

// Text of the chrome and of dialogs: the application font at this size, in pixels.
inline constexpr SInt16 kTextSize = 12;

}  // namespace platform::kit
