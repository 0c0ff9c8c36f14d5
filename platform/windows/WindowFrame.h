// WindowFrame.h — the shape of each kind of window frame, what a point on
// it means (FindWindow's part codes), and where a window may be put so
// that it can always be dragged back. Pure geometry: nothing here draws.
//
// Frames by procID (the variation is procID & 15 of definition 0):
//   documentProc 0, zoomDocProc 8     document: title bar, close box, grow box
//   noGrowDocProc 4, zoomNoGrow 12    document without grow box
//   dBoxProc 1                        modal dialog: a thick border, no title
//   plainDBox 2                       a plain 1-pixel border
//   altDBoxProc 3                     1-pixel border and a 2-pixel shadow
//   movableDBoxProc 5                 movable dialog: title bar, no boxes
//   anything else                     document without grow box
// The zoom variants get no zoom box: nothing here zooms.
//
// A document frame: a 1-pixel outline around the content, and a title bar
// above it 20 pixels high from the outline's top row to the content (its
// last row is the line between title bar and content). The close box
// (12x12) sits 8 pixels in from the left edge of the title bar. The grow
// box is the bottom-right 15x15 pixels of the content.
#pragma once

#include "platform/Windows.h"
#include "platform/quickdraw/Region.h"

namespace platform::windows {

enum class FrameKind { Document, ModalDialog, Plain, Shadowed, MovableDialog };

struct FrameSpec {
    FrameKind kind = FrameKind::Document;
    bool grow_box = false;
    bool close_box = false;   // documents only, and only when asked for
    bool title_bar() const { return kind == FrameKind::Document || kind == FrameKind::MovableDialog; }
    // Clicks on the frame drag the window (documents, movable dialogs); on
    // other frames they count as content clicks.
    bool draggable() const { return title_bar(); }
};

FrameSpec frame_spec(SInt16 procID, bool goAwayFlag);

constexpr SInt16 kTitleBarHeight = 20;
constexpr SInt16 kCloseBoxSize = 12;
constexpr SInt16 kCloseBoxInset = 8;
constexpr SInt16 kGrowBoxSize = 15;
constexpr SInt16 kModalBorder = 6;
constexpr SInt16 kShadow = 2;

struct FrameGeometry {
    Rect content{};     // global
    Rect outline{};     // the frame's outer rectangle (shadow excluded)
    Rect title_bar{};   // outline's top part down to the content; empty without one
    Rect close_box{};   // empty without one
    Rect grow_box{};    // inside the content; empty without one

    // Everything the window covers: outline, plus the shadow of Shadowed.
    quickdraw::Region structure(const FrameSpec& spec) const;
    Rect structure_bounds(const FrameSpec& spec) const;
};

FrameGeometry frame_geometry(const FrameSpec& spec, const Rect& content);

// The part of the window at global point p (inContent, inDrag, inGrow,
// inGoAway), or inDesk when p is not on the window. The close and grow
// boxes answer only on the active (highlighted) window.
SInt16 hit_test(const FrameSpec& spec, const FrameGeometry& g, Point p, bool active);

// How far to move a window whose frame is `g` so that its title bar (the
// whole frame for windows without one) can be reached on `desktop` (the
// screen below the menu bar): its top edge at or below the menu bar and at
// least kMinReachable rows above the bottom, and at least kMinReachable
// pixels of it (or all of a narrower one) on the screen sideways.
constexpr SInt16 kMinReachable = 16;
Point reachable_offset(const FrameSpec& spec, const FrameGeometry& g, const Rect& desktop);

// The horizontal offset that puts `left` (global) on a multiple of 4,
// rounding to the nearer one (ties move left).
SInt16 align_offset(SInt32 left);

}  // namespace platform::windows
