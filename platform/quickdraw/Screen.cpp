// The screen, its device and the desktop port; the device calls.
#include "platform/quickdraw/Screen.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "platform/Memory.h"
#include "platform/quickdraw/PixMaps.h"
#include "platform/quickdraw/PixelFormat.h"
#include "platform/quickdraw/Port.h"
#include "platform/quickdraw/kit/Rects.h"

namespace platform::quickdraw {
namespace {

struct ScreenSlot {
    Screen* screen = nullptr;   // never destroyed: ports and handles may outlive statics
    SInt16 width = Screen::kDefaultWidth;
    SInt16 height = Screen::kDefaultHeight;
};

ScreenSlot& slot() {
    static ScreenSlot s;
    return s;
}

// gdFlags bits of the main screen: an active screen device, the main one.
constexpr UInt16 kMainScreenFlags = (1u << 15) | (1u << 13) | (1u << 11);

}  // namespace

Result<void> init_screen(SInt16 width, SInt16 height) {
    if (width < 64 || height < 64 || width > 16384 || height > 16384)
        return fail(paramErr, "screen size out of range (64x64 to 16384x16384)");
    ScreenSlot& s = slot();
    if (s.screen) {
        if (s.screen->width() == width && s.screen->height() == height) return ok();
        return fail(paramErr, "the screen is already in use at another size");
    }
    s.width = width;
    s.height = height;
    return ok();
}

Result<std::unique_ptr<Screen>> Screen::create(SInt16 width, SInt16 height) {
    std::unique_ptr<Screen> s(new (std::nothrow) Screen);
    if (!s) return fail(memFullErr, "no memory for the screen");
    s->width_ = width;
    s->height_ = height;
    s->rowBytes_ = SInt32(width) * 4;
    size_t bytes = size_t(s->rowBytes_) * size_t(height);
    s->pixels_.reset(new (std::nothrow) UInt8[bytes]);
    if (!s->pixels_) return fail(memFullErr, "no memory for the screen's pixels");
    for (size_t i = 0; i < bytes; i += 4) store_u32be(&s->pixels_[i], pack32(RGB8{0, 0, 0}));

    Ptr base = reinterpret_cast<Ptr>(s->pixels_.get());
    s->pixmap_ = TRY(new_pixmap(base, s->rowBytes_, s->rect(), 32));
    PixMapHandle deskMap = TRY(new_pixmap(base, s->rowBytes_, s->rect(), 32));
    auto desk = GrafPort::create(PortKind::desktop, deskMap, nullptr);
    if (!desk) {
        dispose_pixmap(deskMap);
        return desk.error();
    }
    s->desktop_ = std::move(*desk);

    Handle gd = NewHandleClear(sizeof(GDevice));
    if (!gd) return fail(memFullErr, "no memory for the screen's device");
    GDevice& dev = *reinterpret_cast<GDevice*>(*gd);
    dev.gdRefNum = 0;
    dev.gdID = 0;
    dev.gdType = directType;
    dev.gdFlags = SInt16(kMainScreenFlags);
    dev.gdPMap = s->pixmap_;
    dev.gdRefCon = 0;
    dev.gdNextGD = nullptr;
    dev.gdRect = s->rect();
    dev.gdMode = 0;
    s->device_ = reinterpret_cast<GDHandle>(gd);
    s->desktop_->device = s->device_;
    s->mark_dirty(s->rect());   // the first present shows everything
    return s;
}

Screen::~Screen() {
    desktop_.reset();
    dispose_pixmap(pixmap_);
    if (device_) DisposeHandle(reinterpret_cast<Handle>(device_));
}

bool Screen::owns(const void* base) const {
    auto* p = static_cast<const UInt8*>(base);
    return p >= pixels_.get() && p < pixels_.get() + size_t(rowBytes_) * size_t(height_);
}

void Screen::mark_dirty(const Rect& r) {
    Region add(r);
    add.intersect(rect());
    dirty_.unite(add);
}

std::vector<Rect> Screen::take_dirty_rects(size_t maxRects) {
    std::vector<Rect> out = dirty_.rects();
    if (out.size() > maxRects) out = {dirty_.bounds()};
    dirty_.set_empty();
    return out;
}

Result<void> resize_screen(SInt16 width, SInt16 height) {
    if (width < 64 || height < 64 || width > 16384 || height > 16384)
        return fail(paramErr, "screen size out of range (64x64 to 16384x16384)");
    ScreenSlot& slot_ = slot();
    if (!slot_.screen) return init_screen(width, height);
    Screen& s = *slot_.screen;
    if (s.width_ == width && s.height_ == height) return ok();
    const SInt32 rowBytes = SInt32(width) * 4;
    const size_t bytes = size_t(rowBytes) * size_t(height);
    std::unique_ptr<UInt8[]> pixels(new (std::nothrow) UInt8[bytes]);
    if (!pixels) return fail(memFullErr, "no memory for the screen's pixels");
    for (size_t i = 0; i < bytes; i += 4) store_u32be(&pixels[i], pack32(RGB8{0, 0, 0}));
    const SInt16 keepW = std::min(width, s.width_), keepH = std::min(height, s.height_);
    for (SInt16 y = 0; y < keepH; ++y)
        std::memcpy(&pixels[size_t(y) * size_t(rowBytes)], &s.pixels_[size_t(y) * size_t(s.rowBytes_)],
                    size_t(keepW) * 4);

    rebase_ports(s.pixels_.get(), s.rowBytes_, s.height_, pixels.get(), width, height);
    rebase_pixmap(**s.pixmap_, s.pixels_.get(), s.rowBytes_, pixels.get(), width, height);
    s.pixels_ = std::move(pixels);
    s.width_ = width;
    s.height_ = height;
    s.rowBytes_ = rowBytes;
    slot_.width = width;
    slot_.height = height;
    (**s.device_).gdRect = s.rect();
    s.desktop_->set_port_rect(s.rect());
    s.desktop_->set_visible_region(Region(s.rect()));
    s.dirty_.set_empty();
    s.mark_dirty(s.rect());
    return ok();
}

Screen& screen() {
    ScreenSlot& s = slot();
    if (!s.screen) {
        auto made = Screen::create(s.width, s.height);
        if (!made) {
            std::fprintf(stderr, "kinora: cannot make the screen: %s\n", made.error().message);
            std::exit(1);
        }
        s.screen = made->release();
    }
    return *s.screen;
}

bool screen_exists() { return slot().screen != nullptr; }

void note_drawn(const void* base, const Rect& pixelRect) {
    if (!screen_exists() || !base) return;
    Screen& s = screen();
    if (!s.owns(base)) return;
    // A pixel map may start anywhere inside the framebuffer.
    size_t off = size_t(static_cast<const UInt8*>(base) - s.pixels());
    SInt32 dy = SInt32(off / size_t(s.row_bytes()));
    SInt32 dx = SInt32(off % size_t(s.row_bytes())) / 4;
    s.mark_dirty(kit::offset(pixelRect, dx, dy));
}

}  // namespace platform::quickdraw

using namespace platform::quickdraw;

GDHandle GetMainDevice(void) { return screen().device(); }

GDHandle GetMaxDevice(const Rect* globalRect) {
    if (!globalRect) return nullptr;
    Rect sect;
    Rect screenRect = screen().rect();
    if (!SectRect(globalRect, &screenRect, &sect)) return nullptr;
    return screen().device();
}

GDHandle GetGDevice(void) {
    GDHandle d = current_device();
    return d ? d : screen().device();
}

void SetGDevice(GDHandle gdh) {
    if (gdh) set_current_device(gdh);
}
