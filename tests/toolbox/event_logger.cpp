// A small program in the shape of an application: its own main loop on
// WaitNextEvent, logging every event it gets to stdout, one line each.
// Test scripts drive it headless; the SDL test drives it in a window.
//
// It paints the screen itself (four quadrants: red, green, blue, white)
// straight into the host, since it has no QuickDraw.
//
// A quit request posts a high-level 'quit' event, which ends the program.
// EVENT_LOGGER_CAPTURE=path   SDL: save what the window shows, then log
//                     "captured".
//
// A Command-click is tracked with WaitMouseUp.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/Events.h"
#include "platform/Process.h"
#include "platform/core/ProcessExit.h"
#include "platform/events/EventsInternal.h"
#include "platform/hostapi/Host.h"
#include "platform/hosts/sdl/SdlHost.h"

namespace {

namespace events = platform::events;
namespace host = platform::host;

// The payload this program posts itself; high-level events of the platform
// (the launch's 'oapp', Apple events) carry payloads of their own.
std::shared_ptr<std::string> g_quitPayload = std::make_shared<std::string>("from-quit-hook");

std::string four(UInt32 v) {
    char s[5] = {char(v >> 24), char(v >> 16), char(v >> 8), char(v), 0};
    return s;
}

void paint_screen() {
    host::Host& h = host::current();
    host::ScreenSize size = host::default_screen_size();
    if (!h.open_screen(size)) {
        std::printf("cannot open the screen\n");
        ExitToShell();
    }
    const size_t rowBytes = size_t(size.width) * 4;
    std::vector<UInt8> pixels(rowBytes * size_t(size.height));
    for (int y = 0; y < size.height; ++y)
        for (int x = 0; x < size.width; ++x) {
            bool right = x >= size.width / 2, bottom = y >= size.height / 2;
            UInt8* p = &pixels[size_t(y) * rowBytes + size_t(x) * 4];   // x, then red, green, blue; white at bottom right
            p[0] = 0, p[1] = right == bottom ? 0xFF : 0, p[2] = right ? 0xFF : 0, p[3] = bottom ? 0xFF : 0;
        }
    host::ScreenRect all{0, 0, size.width, size.height};
    h.present(pixels.data(), rowBytes, std::span(&all, 1));
    std::printf("screen %dx%d on %s\n", size.width, size.height, h.name());
}

void log_event(const EventRecord& e) {
    const char* names[] = {"null", "mouseDown", "mouseUp", "keyDown", "keyUp", "autoKey", "update", "disk", "activate"};
    const char* name = e.what < 9 ? names[e.what] : e.what == osEvt ? "osEvt" : e.what == kHighLevelEvent ? "highLevel" : "other";
    switch (e.what) {
    case keyDown: case keyUp: case autoKey:
        std::printf("%s char=%02x key=%02x mods=%04x when=%u\n", name, unsigned(e.message & charCodeMask),
                    unsigned((e.message & keyCodeMask) >> 8), e.modifiers, e.when);
        break;
    case mouseDown: case mouseUp:
        std::printf("%s where=%d,%d mods=%04x when=%u\n", name, e.where.h, e.where.v, e.modifiers, e.when);
        break;
    case kHighLevelEvent: {
        auto payload = events::take_high_level_payload(e);
        std::printf("%s class=%s id=%s payload=%s\n", name, four(UInt32(e.message)).c_str(),
                    four(events::high_level_event_id(e)).c_str(),
                    !payload ? "none" : payload == g_quitPayload ? g_quitPayload->c_str() : "platform");
        break;
    }
    default:
        std::printf("%s message=%08lx mods=%04x\n", name, (unsigned long)e.message, e.modifiers);
        break;
    }
}

void track_mouse() {
    Point last = events::mouse_position();
    while (WaitMouseUp()) {
        Point p = events::mouse_position();
        if (p.h != last.h || p.v != last.v) std::printf("track %d,%d\n", p.h, p.v);
        last = p;
    }
    Point p = events::mouse_position();
    std::printf("tracked-up %d,%d\n", p.h, p.v);
}

}  // namespace

int main(void) {
    setvbuf(stdout, nullptr, _IOLBF, 0);
    platform::process::add_exit_hook([] { std::printf("exit ticks=%u\n", TickCount()); });
    events::set_quit_handler([](events::QuitSource source) {
        std::printf("quit requested by %s\n", events::quit_source_name(source));
        events::post_high_level_event('aevt', 'quit', g_quitPayload);
    });
    paint_screen();
    if (const char* capture = std::getenv("EVENT_LOGGER_CAPTURE")) {
        if (auto* sdl = dynamic_cast<host::SdlHost*>(&host::current())) {
            auto saved = sdl->save_window_capture(capture);
            std::printf(saved ? "captured\n" : "capture failed\n");
        }
    }
    EventRecord e;
    for (;;) {
        if (!WaitNextEvent(everyEvent, &e, 0, nullptr)) continue;   // null events are not logged
        log_event(e);
        if (e.what == kHighLevelEvent && e.message == 'aevt' && events::high_level_event_id(e) == 'quit') ExitToShell();
        if (e.what == mouseDown && (e.modifiers & cmdKey)) track_mouse();
    }
}
