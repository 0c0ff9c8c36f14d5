// Drives a window on an X server the way a user and a window manager
// would: real input through the XTEST extension, and the close request a
// window manager sends when its close button is clicked.
//
// Each command first waits (10 s at most) for the window named NAME.
//   x11_drive key NAME KEYSYM [ctrl]    press and release a key
//   x11_drive click NAME X Y            click at window-local X, Y
//   x11_drive capture NAME FILE.ppm     save what the window shows (binary PPM)
//   x11_drive resize NAME W H           resize the window, as a user dragging its frame
//   x11_drive close NAME                ask the window to close (WM_DELETE_WINDOW)
//   x11_drive destroy NAME              destroy the window, as another program may
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

Window find_named(Display* d, Window w, const char* name) {
    char* title = nullptr;
    if (XFetchName(d, w, &title) && title) {
        bool match = std::strcmp(title, name) == 0;
        XFree(title);
        if (match) return w;
    }
    Window root, parent, *children = nullptr;
    unsigned n = 0;
    if (!XQueryTree(d, w, &root, &parent, &children, &n)) return 0;
    Window found = 0;
    for (unsigned i = 0; i < n && !found; ++i) found = find_named(d, children[i], name);
    if (children) XFree(children);
    return found;
}

Window wait_for(Display* d, const char* name) {
    for (int i = 0; i < 200; ++i) {
        if (Window w = find_named(d, DefaultRootWindow(d), name)) {
            XWindowAttributes a;
            if (XGetWindowAttributes(d, w, &a) && a.map_state == IsViewable) return w;
        }
        usleep(50000);
    }
    return 0;
}

void pointer_to(Display* d, Window w, int x, int y) {
    int rx = 0, ry = 0;
    Window child;
    XTranslateCoordinates(d, w, DefaultRootWindow(d), x, y, &rx, &ry, &child);
    XTestFakeMotionEvent(d, DefaultScreen(d), rx, ry, CurrentTime);
    XSync(d, False);
}

// The window's pixels as a binary PPM.
bool capture(Display* d, Window w, const char* path) {
    XWindowAttributes a;
    if (!XGetWindowAttributes(d, w, &a)) return false;
    XImage* img = XGetImage(d, w, 0, 0, unsigned(a.width), unsigned(a.height), AllPlanes, ZPixmap);
    if (!img) return false;
    auto channel = [](unsigned long pixel, unsigned long mask) {
        if (!mask) return 0;
        int shift = 0;
        while (!((mask >> shift) & 1)) ++shift;
        unsigned long v = (pixel & mask) >> shift, max = mask >> shift;
        return int(v * 255 / max);
    };
    FILE* f = std::fopen(path, "wb");
    if (f) std::fprintf(f, "P6\n%d %d\n255\n", a.width, a.height);
    for (int y = 0; f && y < a.height; ++y)
        for (int x = 0; x < a.width; ++x)
            for (unsigned long mask : {img->red_mask, img->green_mask, img->blue_mask})
                std::fputc(channel(XGetPixel(img, x, y), mask), f);
    XDestroyImage(img);
    return f && std::fclose(f) == 0;
}

int fail(const char* what, const char* detail, int status) {
    std::fprintf(stderr, "x11_drive: %s%s\n", what, detail);
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return fail("usage: x11_drive key|click|capture|resize|close|destroy NAME ...", "", 2);
    Display* d = XOpenDisplay(nullptr);
    if (!d) return fail("cannot open the display", "", 2);
    std::string cmd = argv[1];
    Window w = wait_for(d, argv[2]);
    if (!w) return fail("no window named ", argv[2], 1);
    int ev, err, major, minor;
    if ((cmd == "key" || cmd == "click") && !XTestQueryExtension(d, &ev, &err, &major, &minor))
        return fail("the server has no XTEST", "", 2);
    if (cmd == "key" && argc >= 4) {
        KeySym sym = XStringToKeysym(argv[3]);
        KeyCode code = sym == NoSymbol ? 0 : XKeysymToKeycode(d, sym);
        if (!code) return fail("unknown key ", argv[3], 2);
        bool ctrl = argc >= 5 && std::strcmp(argv[4], "ctrl") == 0;
        KeyCode control = XKeysymToKeycode(d, XK_Control_L);
        pointer_to(d, w, 10, 10);
        XSetInputFocus(d, w, RevertToParent, CurrentTime);
        XSync(d, False);
        if (ctrl) XTestFakeKeyEvent(d, control, True, CurrentTime);
        XTestFakeKeyEvent(d, code, True, CurrentTime);
        XTestFakeKeyEvent(d, code, False, CurrentTime);
        if (ctrl) XTestFakeKeyEvent(d, control, False, CurrentTime);
    } else if (cmd == "click" && argc >= 5) {
        pointer_to(d, w, std::atoi(argv[3]), std::atoi(argv[4]));
        XTestFakeButtonEvent(d, 1, True, CurrentTime);
        XTestFakeButtonEvent(d, 1, False, CurrentTime);
    } else if (cmd == "capture" && argc >= 4) {
        if (!capture(d, w, argv[3])) return fail("cannot capture the window", "", 1);
    } else if (cmd == "resize" && argc >= 5) {
        XResizeWindow(d, w, unsigned(std::atoi(argv[3])), unsigned(std::atoi(argv[4])));
    } else if (cmd == "close") {
        XEvent e{};
        e.xclient.type = ClientMessage;
        e.xclient.window = w;
        e.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
        e.xclient.format = 32;
        e.xclient.data.l[0] = long(XInternAtom(d, "WM_DELETE_WINDOW", False));
        e.xclient.data.l[1] = CurrentTime;
        XSendEvent(d, w, False, NoEventMask, &e);
    } else if (cmd == "destroy") {
        XDestroyWindow(d, w);
    } else {
        return fail("bad command", "", 2);
    }
    XSync(d, False);
    XCloseDisplay(d);
    return 0;
}
