// The screen fitted into windows of other sizes: where it lies, that
// drawing only the window pixels a change affects gives the same window as
// drawing it all (no seams, nothing stale), and mouse positions mapped back.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "platform/hosts/sdl/ScreenScaler.h"

using platform::host::OutputRect;
using platform::host::ScreenRect;
using platform::host::ScreenScaler;
using platform::host::ScreenSize;

namespace {

struct Pixels {
    int width, height;
    std::vector<UInt8> bytes;
    Pixels(int w, int h) : width(w), height(h), bytes(size_t(w) * size_t(h) * 4, 0) {}
    size_t row() const { return size_t(width) * 4; }
    UInt8* at(int x, int y) { return &bytes[size_t(y) * row() + size_t(x) * 4]; }
};

void fill_noise(Pixels& p, ScreenRect r, std::mt19937& rng) {
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) {
            UInt8* px = p.at(x, y);
            px[0] = 0;
            for (int c = 1; c < 4; ++c) px[c] = UInt8(rng());
        }
}

std::string text(const OutputRect& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," + std::to_string(r.bottom);
}

std::string screen_point(const ScreenScaler& s, int x, int y) {
    int sx = -1, sy = -1;
    s.to_screen(x, y, &sx, &sy);
    return std::to_string(sx) + "," + std::to_string(sy);
}

void draw_all(const ScreenScaler& s, const Pixels& screen, Pixels& window) {
    OutputRect o = s.placement();
    s.draw(screen.bytes.data(), screen.row(), o, window.at(o.left, o.top), window.row());
}

}  // namespace

TEST(ScreenScaler, KeepsTheAspectAndCentresTheScreen) {
    ScreenScaler s;
    s.fit({64, 48}, 64, 48);   // the screen's own size: a plain copy
    std::mt19937 rng(1);
    Pixels screen(64, 48), window(64, 48);
    fill_noise(screen, {0, 0, 64, 48}, rng), draw_all(s, screen, window);
    EXPECT_EQ(window.bytes, screen.bytes);
    EXPECT_EQ(screen_point(s, 63, 47), "63,47");
    // Limited by the height; by the width.
    for (auto [w, h, placed] : {std::tuple(512, 300, "56,0,456,300"), std::tuple(400, 1000, "0,350,400,650")}) {
        s.fit({1024, 768}, w, h);
        EXPECT_EQ(text(s.placement()), placed);
    }
    s.fit({1024, 768}, 0, 0);   // a window with no pixels yet
    EXPECT_TRUE(s.placement().empty() && s.affected({0, 0, 1024, 768}).empty());
}

TEST(ScreenScaler, AnEvenColourStaysExactAtAnyScale) {
    for (auto [w, h] : {std::tuple{921, 691}, {2048, 1536}, {333, 250}, {37, 29}}) {
        ScreenScaler s;
        s.fit({160, 120}, w, h);
        Pixels screen(160, 120), window(w, h);
        const UInt8 colour[4] = {0, 0x8C, 0x33, 0xFF};
        for (size_t i = 0; i < screen.bytes.size(); i += 4) std::memcpy(&screen.bytes[i], colour, 4);
        draw_all(s, screen, window);
        OutputRect p = s.placement();
        for (int y = p.top; y < p.bottom; ++y)
            for (int x = p.left; x < p.right; ++x)
                ASSERT_EQ(std::memcmp(window.at(x, y) + 1, colour + 1, 3), 0) << w << "x" << h << " at " << x << "," << y;
    }
}

// The host redraws only what changed: after any change, drawing the window
// pixels affected by each changed rectangle must leave exactly the window a
// full redraw gives.
TEST(ScreenScaler, RedrawingWhatAChangeAffectsEqualsAFullRedraw) {
    std::mt19937 rng(7);
    for (auto [w, h] : {std::tuple{921, 691}, {2048, 1536}, {512, 300}, {1100, 700}, {97, 80}}) {
        ScreenScaler s;
        s.fit({256, 192}, w, h);
        Pixels screen(256, 192), window(w, h), full(w, h);
        fill_noise(screen, {0, 0, 256, 192}, rng), draw_all(s, screen, window);
        for (int change = 0; change < 40; ++change) {
            int left = int(rng() % 256), top = int(rng() % 192);
            ScreenRect r{left, top, left + 1 + int(rng() % 40), top + 1 + int(rng() % 30)};
            r.right = std::min(r.right, 256), r.bottom = std::min(r.bottom, 192);
            fill_noise(screen, r, rng);
            OutputRect o = s.affected(r);   // empty when scaling down skips every changed pixel
            if (!o.empty()) s.draw(screen.bytes.data(), screen.row(), o, window.at(o.left, o.top), window.row());
        }
        draw_all(s, screen, full);
        ASSERT_EQ(window.bytes, full.bytes) << "window " << w << "x" << h;
    }
}

TEST(ScreenScaler, MapsWindowPixelsBackToTheScreenPixelsUnderThem) {
    ScreenScaler s;
    s.fit({1024, 768}, 512, 300);
    // The first window pixel's centre lies in screen pixel 1 at 0.39x; the
    // third and fourth are on the bars beside the screen.
    EXPECT_EQ(std::tuple(screen_point(s, 56, 0), screen_point(s, 455, 299), screen_point(s, 10, 150), screen_point(s, 511, 150)),
              std::tuple("1,1", "1022,766", "0,385", "1023,385"));
    s.fit({100, 80}, 200, 160);   // twice the size: two window pixels per screen pixel
    for (int x = 0; x < 200; ++x) ASSERT_EQ(screen_point(s, x, 2 * (x % 80)), std::to_string(x / 2) + "," + std::to_string(x % 80));
}

// At a whole-number scale each screen pixel is a square of identical window
// pixels (no blending), centred; a window too small for that scale still
// shows the whole screen, fitted.
TEST(ScreenScaler, AWholeNumberScaleCopiesEachPixelToASquare) {
    ScreenScaler s;
    s.fit({100, 80}, 205, 163, 2);
    EXPECT_EQ(std::tuple(text(s.placement()), text(s.affected({10, 20, 11, 21})), screen_point(s, 23, 42)),
              std::tuple("2,1,202,161", "22,41,24,43", "10,20"));
    std::mt19937 rng(3);
    Pixels screen(100, 80), window(205, 163);
    fill_noise(screen, {0, 0, 100, 80}, rng), draw_all(s, screen, window);
    for (int y = 1; y < 161; ++y)
        for (int x = 2; x < 202; ++x)
            ASSERT_EQ(std::memcmp(window.at(x, y), screen.at((x - 2) / 2, (y - 1) / 2), 4), 0) << x << "," << y;

    s.fit({100, 80}, 150, 120, 2);
    EXPECT_EQ(text(s.placement()), "0,0,150,120");
    s.fit({100, 80}, 150, 120, 1);
    EXPECT_EQ(std::tuple(s.unscaled(), text(s.placement())), std::tuple(true, std::string("25,20,125,100")));
}
