// The progress window on a headless screen: it appears titled after the
// operation, its bar follows the share done, and it goes away at the end.
#include <gtest/gtest.h>

#include "platform/Movies.h"
#include "platform/Windows.h"
#include "platform/events/EventsInternal.h"
#include "platform/hosts/headless/HeadlessHost.h"
#include "platform/movies/progress/DefaultProgress.h"
#include "platform/movies/progress/MovieProgress.h"
#include "platform/quickdraw/Screen.h"
#include "platform/windows/WindowManager.h"

namespace mv = platform::movies;

namespace {

UInt32 screen_pixel(SInt32 h, SInt32 v) {
    auto& s = platform::quickdraw::screen();
    const UInt8* p = s.pixels() + size_t(v) * size_t(s.row_bytes()) + size_t(h) * 4;
    return (UInt32(p[1]) << 16) | (UInt32(p[2]) << 8) | p[3];
}

std::string title_of(WindowRef w) {
    Str255 t;
    GetWTitle(w, t);
    return std::string(reinterpret_cast<const char*>(t + 1), t[0]);
}

}  // namespace

TEST(ProgressWindow, ShowsTheShareDoneAndGoesAway) {
    platform::windows::WindowManager::reset_for_testing();
    platform::events::reset_for_testing();
    platform::host::install_for_testing(std::make_unique<platform::host::HeadlessHost>());
    platform::windows::WindowManager::get();
    mv::set_progress_delay(std::chrono::milliseconds(0));

    mv::default_movie_progress(nullptr, movieProgressOpen, progressOpFlatten, 0, 0);
    mv::default_movie_progress(nullptr, movieProgressUpdatePercent, progressOpFlatten, 0x4000, 0);
    WindowRef w = FrontWindow();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(title_of(w), "Saving Movie");
    EXPECT_TRUE(IsWindowVisible(w));

    // The bar's inside runs from 21 to 299 across the content, rows 25 to 34.
    Rect content;
    GetWindowPortBounds(w, &content);
    Point origin{0, 0};
    CGrafPtr old;
    GDHandle device;
    GetGWorld(&old, &device);
    SetGWorld(GetWindowPort(w), nullptr);
    LocalToGlobal(&origin);
    SetGWorld(old, device);
    auto filled_to = [&] {
        SInt32 x = 21;
        while (x < 299 && screen_pixel(origin.h + x, origin.v + 30) == 0x3366CC) ++x;
        return x;
    };
    EXPECT_EQ(screen_pixel(origin.h + 20, origin.v + 30), 0x000000u) << "the bar's frame";
    EXPECT_EQ(filled_to(), 21 + 278 / 4);
    mv::default_movie_progress(nullptr, movieProgressUpdatePercent, progressOpFlatten, 0xC000, 0);
    EXPECT_EQ(filled_to(), 21 + 278 * 3 / 4);
    EXPECT_EQ(screen_pixel(origin.h + 290, origin.v + 30), 0xFFFFFFu) << "the rest is white";

    mv::default_movie_progress(nullptr, movieProgressClose, progressOpFlatten, 0x10000, 0);
    EXPECT_EQ(FrontWindow(), nullptr);
    mv::set_progress_delay(std::chrono::milliseconds(500));
    platform::windows::WindowManager::reset_for_testing();
    platform::events::reset_for_testing();
}
