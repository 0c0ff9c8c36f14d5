// The Window Manager's classic calls. A nil or unknown WindowRef is
// ignored (or answers nil, 0, false); the region and rectangle calls answer
// errWindowNotFound for it and paramErr for a missing rectangle or region.
// Titles are UTF-8 in length-prefixed strings.
#include <algorithm>
#include <cstring>
#include <string>

#include "platform/Windows.h"
#include "platform/quickdraw/Port.h"
#include "platform/quickdraw/Screen.h"
#include "platform/quickdraw/kit/Rects.h"
#include "platform/windows/Appearance.h"
#include "platform/windows/WindowManager.h"

using platform::windows::Window;
using platform::windows::WindowManager;
using platform::quickdraw::Region;

namespace {

Window* window_of(WindowRef ref) { return WindowManager::get().find(ref); }

std::string from_pascal(ConstStr255Param s) { return s ? std::string(reinterpret_cast<const char*>(s + 1), s[0]) : std::string(); }

Region local_rect_to_global(const Window& w, const Rect& r) { return w.to_global(Region(r)); }

}  // namespace

WindowRef NewCWindow(void* wStorage, const Rect* boundsRect, ConstStr255Param title, Boolean visible,
                     SInt16 procID, WindowRef behind, Boolean goAwayFlag, SRefCon refCon) {
    if (wStorage || !boundsRect) return nullptr;   // the platform allocates every window itself
    WindowManager& wm = WindowManager::get();
    auto made = Window::create(*boundsRect, from_pascal(title), procID, goAwayFlag != 0, refCon);
    if (!made) return nullptr;
    return wm.add(std::move(*made), behind, visible != 0);
}

void DisposeWindow(WindowRef window) {
    if (Window* w = window_of(window)) WindowManager::get().dispose(w);
}

SInt16 FindWindow(Point thePoint, WindowRef* window) {
    WindowManager& wm = WindowManager::get();
    if (window) *window = nullptr;
    Rect bar = platform::quickdraw::screen().rect();
    bar.bottom = platform::windows::look::kMenuBarHeight;
    if (platform::kit::contains(bar, thePoint)) return inMenuBar;
    if (!wm.gray_region().contains(thePoint)) return inDesk;
    for (const auto& w : wm.windows()) {
        if (!w->visible) continue;
        SInt16 part = platform::windows::hit_test(w->spec(), w->geometry(), thePoint, w->hilited);
        if (part != inDesk) {
            if (window) *window = w.get();
            return part;
        }
    }
    return inDesk;
}

WindowRef FrontWindow(void) { return WindowManager::get().front_visible(); }

WindowRef GetNextWindow(WindowRef window) {
    WindowManager& wm = WindowManager::get();
    Window* w = wm.find(window);
    return w ? wm.next_after(w) : nullptr;
}

void SelectWindow(WindowRef window) {
    if (Window* w = window_of(window)) WindowManager::get().select(w);
}

void BringToFront(WindowRef window) {
    if (Window* w = window_of(window)) WindowManager::get().bring_to_front(w);
}

void ShowWindow(WindowRef window) {
    if (Window* w = window_of(window)) WindowManager::get().set_visible(w, true);
}

void HideWindow(WindowRef window) {
    if (Window* w = window_of(window)) WindowManager::get().set_visible(w, false);
}

Boolean IsWindowVisible(WindowRef window) {
    Window* w = window_of(window);
    return w && w->visible;
}

void HiliteWindow(WindowRef window, Boolean fHilite) {
    if (Window* w = window_of(window)) WindowManager::get().set_hilite(w, fHilite != 0);
}

void MoveWindow(WindowRef window, SInt16 hGlobal, SInt16 vGlobal, Boolean front) {
    Window* w = window_of(window);
    if (!w) return;
    WindowManager::get().move_to(w, hGlobal, vGlobal);
    if (front) WindowManager::get().select(w);
}

void SizeWindow(WindowRef window, SInt16 w, SInt16 h, Boolean fUpdate) {
    if (Window* win = window_of(window)) WindowManager::get().resize(win, w, h, fUpdate != 0);
}

SRefCon GetWRefCon(WindowRef window) {
    Window* w = window_of(window);
    return w ? w->refCon : 0;
}

void SetWRefCon(WindowRef window, SRefCon data) {
    if (Window* w = window_of(window)) w->refCon = data;
}

SInt16 GetWindowKind(WindowRef window) {
    Window* w = window_of(window);
    return w ? w->kind : SInt16(0);
}

void SetWindowKind(WindowRef window, SInt16 kind) {
    if (Window* w = window_of(window)) w->kind = kind;
}

CGrafPtr GetWindowPort(WindowRef window) {
    Window* w = window_of(window);
    return w ? w->port() : nullptr;
}

WindowRef GetWindowFromPort(CGrafPtr port) { return WindowManager::get().find_by_port(port); }

Rect* GetWindowPortBounds(WindowRef window, Rect* bounds) {
    if (!bounds) return nullptr;
    *bounds = Rect{0, 0, 0, 0};
    if (Window* w = window_of(window)) GetPortBounds(w->port(), bounds);
    return bounds;
}

void SetWTitle(WindowRef window, ConstStr255Param title) {
    if (Window* w = window_of(window)) WindowManager::get().set_title(w, from_pascal(title));
}

void GetWTitle(WindowRef window, Str255 title) {
    if (!title) return;
    title[0] = 0;
    Window* w = window_of(window);
    if (!w) return;
    size_t n = std::min<size_t>(w->title.size(), 255);
    title[0] = UInt8(n);
    std::memcpy(title + 1, w->title.data(), n);
}

OSStatus InvalWindowRect(WindowRef window, const Rect* bounds) {
    Window* w = window_of(window);
    if (!w) return errWindowNotFound;
    if (!bounds) return paramErr;
    WindowManager::get().invalidate(w, local_rect_to_global(*w, *bounds));
    return noErr;
}

OSStatus InvalWindowRgn(WindowRef window, RgnHandle region) {
    Window* w = window_of(window);
    if (!w) return errWindowNotFound;
    if (!region) return paramErr;
    WindowManager::get().invalidate(w, w->to_global(region->rgn));
    return noErr;
}

OSStatus ValidWindowRect(WindowRef window, const Rect* bounds) {
    Window* w = window_of(window);
    if (!w) return errWindowNotFound;
    if (!bounds) return paramErr;
    WindowManager::get().validate(w, local_rect_to_global(*w, *bounds));
    return noErr;
}

OSStatus ValidWindowRgn(WindowRef window, RgnHandle region) {
    Window* w = window_of(window);
    if (!w) return errWindowNotFound;
    if (!region) return paramErr;
    WindowManager::get().validate(w, w->to_global(region->rgn));
    return noErr;
}

void BeginUpdate(WindowRef window) {
    if (Window* w = window_of(window)) WindowManager::get().begin_update(w);
}

void EndUpdate(WindowRef window) {
    if (Window* w = window_of(window)) WindowManager::get().end_update(w);
}

RgnHandle GetGrayRgn(void) { return WindowManager::get().gray_region_handle(); }
