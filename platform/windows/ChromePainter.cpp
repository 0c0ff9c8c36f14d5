// Chrome drawing through the desktop port (ChromePainter.h).
#include "platform/windows/ChromePainter.h"

#include <algorithm>

#include "platform/quickdraw/PixelFormat.h"
#include "platform/quickdraw/WindowPort.h"
#include "platform/quickdraw/kit/Palette.h"
#include "platform/quickdraw/kit/Rects.h"

namespace platform::windows {
namespace {

using quickdraw::GrafPort;
using quickdraw::RGB8;

GrafPort& desktop() { return *quickdraw::port_from(quickdraw::desktop_port()); }

void use_chrome_font(SInt16 face) {
    TextFont(applFont);
    TextSize(kit::kTextSize);
    TextFace(face);
}

// The desktop port, current, with the chrome's font, for measuring.
class MeasuringPort {
public:
    MeasuringPort() : guard_(&desktop(), kit::Keep::drawing_state) { use_chrome_font(normal); }

private:
    kit::PortGuard guard_;
};

const std::string kEllipsis = "\xE2\x80\xA6";

}  // namespace

ChromePainter::ChromePainter(const quickdraw::Region& clipGlobal) : guard_(&desktop(), kit::Keep::drawing_state) {
    desktop().set_clip_region(clipGlobal);
    PenNormal();
    TextMode(srcOr);
    use_chrome_font(normal);
}

void ChromePainter::fill(const Rect& r, RGB8 color) {
    RGBColor c = quickdraw::to_rgb_color(color);
    RGBForeColor(&c);
    PaintRect(&r);
}

void ChromePainter::fill(const quickdraw::Region& r, RGB8 color) {
    for (const Rect& box : r.rects()) fill(box, color);
}

void ChromePainter::frame(const Rect& r, RGB8 color) {
    RGBColor c = quickdraw::to_rgb_color(color);
    RGBForeColor(&c);
    FrameRect(&r);
}

void ChromePainter::text(std::string_view utf8, SInt16 h, SInt16 v, RGB8 color, SInt16 face) {
    RGBColor c = quickdraw::to_rgb_color(color);
    RGBForeColor(&c);
    TextFace(face);
    MoveTo(h, v);
    DrawText(utf8.data(), 0, SInt16(std::min<size_t>(utf8.size(), 32767)));
}

SInt16 chrome_text_width(std::string_view utf8, SInt16 face) {
    MeasuringPort port;
    TextFace(face);
    return TextWidth(utf8.data(), 0, SInt16(std::min<size_t>(utf8.size(), 32767)));
}

SInt16 chrome_baseline(SInt16 top, SInt16 bottom) {
    MeasuringPort port;
    FontInfo fi;
    GetFontInfo(&fi);
    return SInt16(kit::centred_baseline(top, bottom, fi.ascent, fi.descent));
}

std::string elide_to_width(const std::string& text, SInt32 maxWidth,
                           const std::function<SInt32(std::string_view)>& measure) {
    if (measure(text) <= maxWidth) return text;
    // Character starts, so a cut never splits a UTF-8 sequence.
    std::vector<size_t> starts;
    for (size_t i = 0; i < text.size(); ++i)
        if ((UInt8(text[i]) & 0xC0) != 0x80) starts.push_back(i);
    for (size_t n = starts.size(); n-- > 0;) {
        std::string cut = text.substr(0, starts[n]) + kEllipsis;
        if (measure(cut) <= maxWidth) return cut;
    }
    return measure(kEllipsis) <= maxWidth ? kEllipsis : std::string();
}

}  // namespace platform::windows
