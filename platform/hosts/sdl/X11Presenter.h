// X11Presenter.h — a window's pixels sent to the X server from a thread of
// the host's own, over a connection of its own, through shared memory.
//
// SDL sends a window surface's changed rectangles and then waits for the
// server to have copied them, on every update: on a busy machine that wait
// takes most of a 60 fps frame's time from the thread that decodes and
// draws. Here the host draws into the presenter's image and goes on while
// the thread sends the rectangles and waits for the server; the next
// drawing waits only when the server has not finished with the last ones.
//
// Only the usual true-colour window (24 or 32 bits deep, 32-bit pixels
// with red, green and blue in the low three bytes, least significant byte
// first: SDL_PIXELFORMAT_XRGB8888 in memory) on a local server with the MIT-SHM
// extension is taken; elsewhere open() gives nothing and SDL presents.
// The host leaves it to SDL also when KINORA_SDL_PRESENTS is set in the
// environment (to compare the two).
#pragma once

#include <memory>
#include <span>

#include <SDL.h>

#include "platform/Types.h"

namespace platform::host {

class X11Presenter {
public:
    static std::unique_ptr<X11Presenter> open(SDL_Window* window);
    ~X11Presenter();
    X11Presenter(const X11Presenter&) = delete;
    X11Presenter& operator=(const X11Presenter&) = delete;

    struct Image {
        UInt8* pixels = nullptr;   // B,G,R,x bytes (SDL_PIXELFORMAT_XRGB8888)
        int pitch = 0;
        int width = 0, height = 0;
    };
    // The image to draw into, `width` x `height` pixels, once the server is
    // done with the rectangles sent last. A new size makes a new image
    // (pixels undefined); no pixels when none can be made.
    Image begin(int width, int height);
    // Sends rectangles of the image to the window; returns at once.
    void show(std::span<const SDL_Rect> rects);

private:
    struct Impl;
    explicit X11Presenter(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

}  // namespace platform::host
