// window_app: a small program in the shape of an application, for testing
// the Window and Menu Managers through headless scripts (and on the SDL
// host). It runs its own WaitNextEvent loop, handles windows and menus as
// the framework does, and logs what it gets to stdout, one line each.
//
// Its menus (WindowApp.r): Window (New Document ⌘N, New Dialog ⌘D, Close
// ⌘W, Save ⌘S, Save As ⇧⌘S, Hide Front ⌥⌘H, Show All, Never (disabled,
// ⌘E), Checked), Probe (Log Windows ⌘L, Beep ⌘B, Toggle Dimmed Menu),
// Dimmed (a disabled menu), and the Apple menu's items in the application
// menu.
//
// WINDOW_APP_WINDOWS="A:100,100,400,300;B:250,60,550,400:0"
//     windows made at start, in this order (each in front of the last):
//     title, content left,top,right,bottom (global), optional procID
//     (default noGrowDocProc); all visible, with a close box.
// WINDOW_APP_NO_NAME=1   the menu bar is installed with no resource file
//     current, so the application menu takes the executable's name.
// WINDOW_APP_CAPTURE=path   save a host screenshot after the first update.
//
// Windows whose title starts with "Al" are dragged with DragAlignedWindow.
// The 'quit' Apple event (installed with AEInstallEventHandler) ends the
// program; at exit it logs how many null events it got.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/AppleEvents.h"
#include "platform/Events.h"
#include "platform/Memory.h"
#include "platform/Menus.h"
#include "platform/Process.h"
#include "platform/QuickDraw.h"
#include "platform/Resources.h"
#include "platform/Windows.h"
#include "platform/core/ProcessExit.h"
#include "platform/events/EventsInternal.h"
#include "platform/hosts/Host.h"

namespace {

long g_nulls = 0;
int g_documents = 0;
int g_dialogs = 0;
bool g_captured = false;

std::string title_of(WindowRef w) {
    if (!w) return "(none)";
    Str255 t;
    GetWTitle(w, t);
    return std::string(reinterpret_cast<const char*>(t + 1), t[0]);
}

void pstring(const std::string& s, Str255 out) {
    size_t n = std::min<size_t>(s.size(), 255);
    out[0] = UInt8(n);
    std::memcpy(out + 1, s.data(), n);
}

std::string rect_text(const Rect& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

Rect content_of(WindowRef w) {
    Rect r;
    GetWindowPortBounds(w, &r);
    GrafPtr saved;
    GetPort(&saved);
    SetPort(GetWindowPort(w));
    Point tl{r.top, r.left}, br{r.bottom, r.right};
    LocalToGlobal(&tl);
    LocalToGlobal(&br);
    SetPort(saved);
    return Rect{tl.v, tl.h, br.v, br.h};
}

WindowRef make_window(const std::string& title, const Rect& bounds, SInt16 procID) {
    Str255 t;
    pstring(title, t);
    WindowRef w = NewCWindow(nullptr, &bounds, t, true, procID, reinterpret_cast<WindowRef>(-1L), true, 0);
    std::printf("new %s %s\n", title.c_str(), w ? "ok" : "failed");
    return w;
}

// Every window, front to back (the first is the one no other window is behind).
std::vector<WindowRef> all_windows(const std::vector<WindowRef>& known) {
    std::vector<WindowRef> out;
    WindowRef first = nullptr;
    for (WindowRef w : known) {
        bool behind_another = false;
        for (WindowRef o : known)
            if (GetNextWindow(o) == w) behind_another = true;
        if (!behind_another) first = w;
    }
    for (WindowRef w = first; w; w = GetNextWindow(w)) out.push_back(w);
    return out;
}

std::vector<WindowRef> g_windows;

void forget(WindowRef w) { std::erase(g_windows, w); }

void log_windows() {
    for (WindowRef w : all_windows(g_windows)) {
        RgnHandle vis = NewRgn();
        GetPortVisibleRegion(GetWindowPort(w), vis);
        Rect vb;
        GetRegionBounds(vis, &vb);
        DisposeRgn(vis);
        std::printf("window %s visible=%d front=%d kind=%d bounds=%s vis=%s\n", title_of(w).c_str(),
                    IsWindowVisible(w) ? 1 : 0, w == FrontWindow() ? 1 : 0, GetWindowKind(w),
                    rect_text(content_of(w)).c_str(), rect_text(vb).c_str());
    }
}

void adjust_menus() {
    MenuRef window = GetMenuHandle(129);
    WindowRef front = FrontWindow();
    if (front) {
        EnableMenuItem(window, 3);
        EnableMenuItem(window, 4);
    } else {
        DisableMenuItem(window, 3);
        DisableMenuItem(window, 4);
    }
}

void handle_menu(SInt32 result) {
    const int menu = int(result >> 16), item = int(result & 0xFFFF);
    WindowRef front = FrontWindow();
    switch (menu) {
    case 128:
        if (item == 1) std::printf("about\n");
        break;
    case 129:
        switch (item) {
        case 1: {
            int n = ++g_documents;
            Rect r{SInt16(60 + 30 * (n - 1)), SInt16(40 + 30 * (n - 1)), SInt16(260 + 30 * (n - 1)),
                   SInt16(340 + 30 * (n - 1))};
            if (WindowRef w = make_window("W" + std::to_string(n), r, noGrowDocProc)) g_windows.push_back(w);
            break;
        }
        case 2: {
            int n = ++g_dialogs;
            Rect r{300, 500, 420, 740};
            if (WindowRef w = make_window("D" + std::to_string(n), r, movableDBoxProc)) {
                SetWindowKind(w, dialogKind);
                g_windows.push_back(w);
            }
            break;
        }
        case 3:
            if (front) {
                std::printf("close %s\n", title_of(front).c_str());
                forget(front);
                DisposeWindow(front);
            }
            break;
        case 4: std::printf("save\n"); break;
        case 5: std::printf("save as\n"); break;
        case 7:
            if (front) HideWindow(front);
            break;
        case 8:
            for (WindowRef w : g_windows) ShowWindow(w);
            break;
        case 10: {
            static bool checked = false;
            checked = !checked;
            CheckMenuItem(GetMenuHandle(129), 10, checked);
            std::printf("checked %d\n", checked ? 1 : 0);
            break;
        }
        }
        break;
    case 130:
        switch (item) {
        case 1: log_windows(); break;
        case 2: SysBeep(1); break;
        case 3: {
            MenuRef m = GetMenuHandle(131);
            if (IsMenuItemEnabled(m, 0)) DisableMenuItem(m, 0);
            else EnableMenuItem(m, 0);
            break;
        }
        }
        break;
    default: break;
    }
}

void log_choice(const char* how, SInt32 result) {
    if (result) std::printf("%s id=%d item=%d\n", how, int(result >> 16), int(result & 0xFFFF));
    else std::printf("%s none\n", how);
}

void mouse_down(const EventRecord& e) {
    WindowRef w = nullptr;
    SInt16 part = FindWindow(e.where, &w);
    std::printf("down part=%d window=%s\n", part, title_of(w).c_str());
    switch (part) {
    case inMenuBar: {
        adjust_menus();
        SInt32 result = MenuSelect(e.where);
        log_choice("menu", result);
        handle_menu(result);
        HiliteMenu(0);
        break;
    }
    case inContent:
        if (w != FrontWindow()) {
            SelectWindow(w);
            std::printf("select %s\n", title_of(w).c_str());
        } else {
            GrafPtr saved;
            GetPort(&saved);
            SetPort(GetWindowPort(w));
            Point p = e.where;
            GlobalToLocal(&p);
            SetPort(saved);
            std::printf("content %s local=%d,%d\n", title_of(w).c_str(), p.h, p.v);
        }
        break;
    case inDrag: {
        Rect bounds;
        GetRegionBounds(GetGrayRgn(), &bounds);
        if (title_of(w).rfind("Al", 0) == 0) {
            Rect align;
            GetWindowPortBounds(w, &align);
            DragAlignedWindow(w, e.where, &bounds, &align, nullptr);
        } else {
            DragWindow(w, e.where, &bounds);
        }
        std::printf("dragged %s to %s\n", title_of(w).c_str(), rect_text(content_of(w)).c_str());
        break;
    }
    case inGoAway: {
        bool close = TrackGoAway(w, e.where);
        std::printf("goaway %s %s\n", title_of(w).c_str(), close ? "yes" : "no");
        if (close) {
            forget(w);
            DisposeWindow(w);
        }
        break;
    }
    default: break;
    }
}

// Each window's content: a colour of its own and its title.
void draw_content(WindowRef w) {
    GrafPtr saved;
    GetPort(&saved);
    SetPort(GetWindowPort(w));
    Rect r;
    GetWindowPortBounds(w, &r);
    RGBColor fill = title_of(w)[0] == 'D' ? RGBColor{0xCCCC, 0xE5E5, 0xFFFF} : RGBColor{0xFFFF, 0xFFFF, 0xCCCC};
    RGBForeColor(&fill);
    PaintRect(&r);
    ForeColor(blackColor);
    MoveTo(10, 20);
    std::string t = title_of(w);
    DrawText(t.data(), 0, SInt16(t.size()));
    SetPort(saved);
}

OSErr quit_handler(const AppleEvent*, AppleEvent*, SRefCon) {
    std::printf("quit event\n");
    ExitToShell();
}

std::vector<std::string> split(const std::string& s, char sep) {
    std::vector<std::string> out;
    size_t start = 0;
    for (;;) {
        size_t at = s.find(sep, start);
        out.push_back(s.substr(start, at - start));
        if (at == std::string::npos) return out;
        start = at + 1;
    }
}

void make_initial_windows(const char* spec) {
    if (!spec) return;
    for (const std::string& one : split(spec, ';')) {
        auto parts = split(one, ':');
        if (parts.size() < 2) continue;
        auto n = split(parts[1], ',');
        if (n.size() != 4) continue;
        Rect r{SInt16(std::atoi(n[1].c_str())), SInt16(std::atoi(n[0].c_str())), SInt16(std::atoi(n[3].c_str())),
               SInt16(std::atoi(n[2].c_str()))};
        SInt16 proc = parts.size() > 2 ? SInt16(std::atoi(parts[2].c_str())) : SInt16(noGrowDocProc);
        if (WindowRef w = make_window(parts[0], r, proc)) g_windows.push_back(w);
    }
}

}  // namespace

int main(void) {
    setvbuf(stdout, nullptr, _IOLBF, 0);
    platform::process::add_exit_hook([] { std::printf("nulls %ld\n", g_nulls); });

    const char* res = std::getenv("WINDOW_APP_RESOURCES");
    SInt16 file = OpenResourceFileAtPath(res ? res : WINDOW_APP_RESOURCES, 1);
    if (file < 0) {
        std::printf("no resources (%d)\n", ResError());
        return 1;
    }
    InitCursor();
    Handle bar = GetNewMBar(128);
    if (!bar) {
        std::printf("no menu bar\n");
        return 1;
    }
    if (std::getenv("WINDOW_APP_NO_NAME")) UseResFile(0);
    SetMenuBar(bar);
    UseResFile(file);
    DisposeHandle(bar);
    DrawMenuBar();
    AEInstallEventHandler(kCoreEventClass, kAEQuitApplication, NewAEEventHandlerUPP(quit_handler), 0, false);
    make_initial_windows(std::getenv("WINDOW_APP_WINDOWS"));
    std::printf("ready\n");

    EventRecord e;
    for (;;) {
        WaitNextEvent(everyEvent, &e, 0, nullptr);
        switch (e.what) {
        case nullEvent: ++g_nulls; break;
        case mouseDown: mouse_down(e); break;
        case keyDown:
        case autoKey:
            if (e.modifiers & cmdKey) {
                adjust_menus();
                SInt32 result = MenuKey(CharParameter(e.message & charCodeMask));
                log_choice("key", result);
                handle_menu(result);
                HiliteMenu(0);
            } else {
                std::printf("key %c\n", char(e.message & charCodeMask));
            }
            break;
        case updateEvt: {
            WindowRef w = reinterpret_cast<WindowRef>(e.message);
            RgnHandle vis = NewRgn();
            GetPortVisibleRegion(GetWindowPort(w), vis);
            Rect vb;
            GetRegionBounds(vis, &vb);
            DisposeRgn(vis);
            std::printf("update %s vis=%s\n", title_of(w).c_str(), rect_text(vb).c_str());
            BeginUpdate(w);
            draw_content(w);
            EndUpdate(w);
            if (const char* capture = std::getenv("WINDOW_APP_CAPTURE"); capture && !g_captured) {
                g_captured = true;
                platform::events::flush_screen_now();
                auto saved = platform::host::current().save_screenshot(capture);
                std::printf(saved ? "captured\n" : "capture failed\n");
            }
            break;
        }
        case activateEvt:
            std::printf("%s %s\n", (e.modifiers & activeFlag) ? "activate" : "deactivate",
                        title_of(reinterpret_cast<WindowRef>(e.message)).c_str());
            break;
        case kHighLevelEvent: {
            OSErr err = AEProcessAppleEvent(&e);
            if (err) std::printf("apple event not handled (%d)\n", err);
            break;
        }
        default: break;
        }
    }
}
