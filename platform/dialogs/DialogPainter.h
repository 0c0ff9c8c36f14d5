// DialogPainter.h — drawing in a dialog's port: the port is made current
// with the dialogs' font, and the caller's port and the dialog port's
// drawing state (pen, colours, text, clip) come back when the painter goes.
#pragma once

#include <algorithm>
#include <optional>
#include <string_view>

#include "platform/QuickDraw.h"
#include "platform/dialogs/Dialog.h"
#include "platform/quickdraw/PixelFormat.h"
#include "platform/quickdraw/Port.h"
#include "platform/quickdraw/Region.h"
#include "platform/quickdraw/kit/Palette.h"
#include "platform/quickdraw/kit/PortGuard.h"
#include "platform/quickdraw/kit/Rects.h"

namespace platform::dialogs {

class Painter {
public:
    explicit Painter(const Dialog& d) : port_(quickdraw::port_from(d.port())) {
        if (!port_) return;
        guard_.emplace(port_, kit::Keep::drawing_state);
        PenNormal();
        TextFont(applFont);
        TextSize(kit::kTextSize);
        TextFace(normal);
        TextMode(srcOr);
    }
    Painter(const Painter&) = delete;
    Painter& operator=(const Painter&) = delete;
    explicit operator bool() const { return port_ != nullptr; }

    void fill(const Rect& r, quickdraw::RGB8 c) {
        color(c);
        PaintRect(&r);
    }
    void fill(const quickdraw::Region& r, quickdraw::RGB8 c) {
        color(c);
        RgnHandle h = NewRgn();
        if (!h) return;
        h->rgn = r;
        PaintRgn(h);
        DisposeRgn(h);
    }
    // A 1-pixel border just inside r.
    void frame(const Rect& r, quickdraw::RGB8 c) {
        color(c);
        FrameRect(&r);
    }
    // Text with its baseline at v.
    void text(std::string_view s, SInt32 h, SInt32 v, quickdraw::RGB8 c) {
        color(c);
        MoveTo(SInt16(h), SInt16(v));
        DrawText(s.data(), 0, SInt16(std::min<size_t>(s.size(), 32767)));
    }
    // Clips to r (local) until the painter goes, within the port's own clip.
    void clip_to(const Rect& r) {
        quickdraw::Region c = port_->clip_region();
        c.intersect(r);
        port_->set_clip_region(c);
    }
    FontInfo font() const {
        FontInfo fi;
        GetFontInfo(&fi);
        return fi;
    }
    // The baseline that centres a line of text in rows [r.top, r.bottom).
    SInt32 centred_baseline(const Rect& r) const {
        FontInfo fi = font();
        return kit::centred_baseline(r.top, r.bottom, fi.ascent, fi.descent);
    }

private:
    static void color(quickdraw::RGB8 c) {
        RGBColor rgb = quickdraw::to_rgb_color(c);
        RGBForeColor(&rgb);
    }

    quickdraw::GrafPort* port_;
    std::optional<kit::PortGuard> guard_;
};

}  // namespace platform::dialogs
