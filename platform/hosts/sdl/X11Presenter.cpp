#include "platform/hosts/sdl/X11Presenter.h"

#include <SDL_syswm.h>

#if defined(SDL_VIDEO_DRIVER_X11)
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#endif

#include <algorithm>
#include <cstring>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace platform::host {

#if defined(SDL_VIDEO_DRIVER_X11)

struct X11Presenter::Impl {
    Display* display = nullptr;   // ours, used by the thread once it runs
    Window window = 0;
    Visual* visual = nullptr;
    int depth = 0;
    GC gc = nullptr;
    XImage* image = nullptr;
    XShmSegmentInfo segment{};

    std::thread thread;
    std::mutex lock;
    std::condition_variable changed;
    std::vector<SDL_Rect> sending;   // rectangles for the thread to send
    bool busy = false;               // the thread or the server has them
    bool stopping = false;

    ~Impl() {
        {
            std::lock_guard<std::mutex> g(lock);
            stopping = true;
        }
        changed.notify_all();
        if (thread.joinable()) thread.join();
        drop_image();
        if (gc) XFreeGC(display, gc);
        if (display) XCloseDisplay(display);
    }

    void drop_image() {
        if (!image) return;
        XShmDetach(display, &segment);
        XSync(display, False);
        image->data = nullptr;   // the shared segment is not the library's to free
        XDestroyImage(image);
        shmdt(segment.shmaddr);
        image = nullptr;
        segment = XShmSegmentInfo{};
    }

    bool make_image(int width, int height) {
        drop_image();
        image = XShmCreateImage(display, visual, unsigned(depth), ZPixmap, nullptr, &segment, unsigned(width),
                                unsigned(height));
        if (!image) return false;
        if (image->bits_per_pixel != 32 || image->byte_order != LSBFirst) {
            XDestroyImage(image);
            image = nullptr;
            return false;
        }
        segment.shmid = shmget(IPC_PRIVATE, size_t(image->bytes_per_line) * size_t(height), IPC_CREAT | 0600);
        if (segment.shmid < 0) {
            XDestroyImage(image);
            image = nullptr;
            return false;
        }
        segment.shmaddr = image->data = static_cast<char*>(shmat(segment.shmid, nullptr, 0));
        segment.readOnly = False;
        const bool attached = segment.shmaddr != reinterpret_cast<char*>(-1) && XShmAttach(display, &segment);
        if (attached) XSync(display, False);
        // Gone as soon as both sides let go of it, whatever happens to us.
        shmctl(segment.shmid, IPC_RMID, nullptr);
        if (!attached) {
            if (segment.shmaddr != reinterpret_cast<char*>(-1)) shmdt(segment.shmaddr);
            image->data = nullptr;
            XDestroyImage(image);
            image = nullptr;
            segment = XShmSegmentInfo{};
            return false;
        }
        return true;
    }

    void run() {
        std::unique_lock<std::mutex> g(lock);
        for (;;) {
            changed.wait(g, [&] { return stopping || !sending.empty(); });
            if (stopping) return;
            std::vector<SDL_Rect> rects;
            rects.swap(sending);
            g.unlock();
            for (const SDL_Rect& r : rects)
                XShmPutImage(display, window, gc, image, r.x, r.y, r.x, r.y, unsigned(r.w), unsigned(r.h), False);
            XSync(display, False);   // the server has copied them: the image may change again
            g.lock();
            busy = !sending.empty();
            changed.notify_all();
        }
    }

    void wait_idle() {
        std::unique_lock<std::mutex> g(lock);
        changed.wait(g, [&] { return !busy; });
    }
};

std::unique_ptr<X11Presenter> X11Presenter::open(SDL_Window* window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return nullptr;
    // Shared memory is only shared with a server on this machine; a remote
    // one (a forwarded display) would refuse the segment with an X error.
    const char* name = DisplayString(info.info.x11.display);
    if (!name || !(name[0] == ':' || std::strncmp(name, "unix:", 5) == 0)) return nullptr;
    auto impl = std::make_unique<Impl>();
    impl->display = XOpenDisplay(name);
    if (!impl->display || !XShmQueryExtension(impl->display)) return nullptr;
    impl->window = info.info.x11.window;
    XWindowAttributes a{};
    if (!XGetWindowAttributes(impl->display, impl->window, &a) || !a.visual) return nullptr;
    const bool xrgb = (a.depth == 24 || a.depth == 32) && a.visual->red_mask == 0xFF0000 &&
                      a.visual->green_mask == 0xFF00 && a.visual->blue_mask == 0xFF;
    if (!xrgb) return nullptr;
    impl->visual = a.visual;
    impl->depth = a.depth;
    impl->gc = XCreateGC(impl->display, impl->window, 0, nullptr);
    if (!impl->gc || !impl->make_image(std::max(a.width, 1), std::max(a.height, 1))) return nullptr;
    Impl* raw = impl.get();
    impl->thread = std::thread([raw] { raw->run(); });
    return std::unique_ptr<X11Presenter>(new X11Presenter(std::move(impl)));
}

X11Presenter::Image X11Presenter::begin(int width, int height) {
    Impl& s = *impl_;
    s.wait_idle();
    if (width <= 0 || height <= 0) return {};
    if ((!s.image || s.image->width != width || s.image->height != height) && !s.make_image(width, height)) return {};
    return Image{reinterpret_cast<UInt8*>(s.image->data), s.image->bytes_per_line, width, height};
}

void X11Presenter::show(std::span<const SDL_Rect> rects) {
    Impl& s = *impl_;
    if (!s.image || rects.empty()) return;
    {
        std::lock_guard<std::mutex> g(s.lock);
        for (SDL_Rect r : rects) {
            // Within the image: the thread sends what it is given.
            const int left = std::max(r.x, 0), top = std::max(r.y, 0);
            const int right = std::min(r.x + r.w, s.image->width), bottom = std::min(r.y + r.h, s.image->height);
            if (left < right && top < bottom) s.sending.push_back({left, top, right - left, bottom - top});
        }
        if (s.sending.empty()) return;
        s.busy = true;
    }
    s.changed.notify_all();
}

#else

struct X11Presenter::Impl {};
std::unique_ptr<X11Presenter> X11Presenter::open(SDL_Window*) { return nullptr; }
X11Presenter::Image X11Presenter::begin(int, int) { return {}; }
void X11Presenter::show(std::span<const SDL_Rect>) {}

#endif

X11Presenter::X11Presenter(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
X11Presenter::~X11Presenter() = default;

}  // namespace platform::host
