// ChromePainter.h — drawing the screen's chrome (frames, the menu bar,
// menus) with QuickDraw through the desktop port, whose local coordinates
// are global. A painter clips everything it draws to the region it was
// made with, and puts the current port and the desktop port's state back
// when it goes.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "platform/QuickDraw.h"
#include "platform/quickdraw/Region.h"
#include "platform/quickdraw/StandardColors.h"
#include "platform/quickdraw/kit/PortGuard.h"

namespace platform::windows {

class ChromePainter {
public:
    explicit ChromePainter(const quickdraw::Region& clipGlobal);
    ChromePainter(const ChromePainter&) = delete;
    ChromePainter& operator=(const ChromePainter&) = delete;

    void fill(const Rect& r, quickdraw::RGB8 color);
    void fill(const quickdraw::Region& r, quickdraw::RGB8 color);
    // A 1-pixel border just inside r.
    void frame(const Rect& r, quickdraw::RGB8 color);
    // UTF-8 text with its baseline at v, starting at h, in the chrome's font.
    void text(std::string_view utf8, SInt16 h, SInt16 v, quickdraw::RGB8 color, SInt16 face = normal);

private:
    kit::PortGuard guard_;
};

// Measures in the chrome's font (the application font, 12 pixels).
SInt16 chrome_text_width(std::string_view utf8, SInt16 face = normal);
// The baseline that centres a line of the chrome's font in rows [top, bottom).
SInt16 chrome_baseline(SInt16 top, SInt16 bottom);

// `text` if it is at most maxWidth wide, else as many of its first
// characters (whole UTF-8 sequences) as fit followed by "…"; just "…" (or
// nothing, if even that does not fit) when no character fits.
std::string elide_to_width(const std::string& text, SInt32 maxWidth,
                           const std::function<SInt32(std::string_view)>& measure);

}  // namespace platform::windows
