#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <vector>

#include "platform/QuickDraw.h"
#include "platform/hosts/PngWriter.h"
#include "platform/hosts/headless/HeadlessHost.h"
#include "tests/support/Pictures.h"
#include "tests/support/TempFolder.h"

namespace host = platform::host;

namespace {

using Image = testsupport::Picture;
using testsupport::read_png;

// A file in the test's own folder.
std::string temp_path(const char* name) { return testsupport::test_folder() / (std::string("png") + name); }

}  // namespace

TEST(PngWriter, HeadlessScreenshotsHoldWhatWasPresented) {
    HideCursor();   // screenshots show the cursor; this test is about the frame
    host::HeadlessHost h;
    ASSERT_TRUE(h.open_screen({40, 32}).ok());
    // A frame with a padded row stride; only the dirty rectangle is shown.
    const size_t rowBytes = 40 * 4 + 12;
    std::vector<UInt8> frame(rowBytes * 32, 0);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 40; ++x) {
            UInt8* p = &frame[size_t(y) * rowBytes + size_t(x) * 4];
            p[0] = 0x99, p[1] = UInt8(x * 6), p[2] = UInt8(y * 8), p[3] = 0x5A;   // the unused byte never shows
        }
    host::ScreenRect dirty[] = {{5, 4, 45, 20}};   // partly off the screen: clipped
    h.present(frame.data(), rowBytes, dirty);
    std::string path = temp_path("-shot.png");
    ASSERT_TRUE(h.save_screenshot(path).ok());
    Image img = read_png(path);
    std::filesystem::remove(path);
    ASSERT_EQ(std::tuple(img.width, img.height), std::tuple(40, 32));
    auto pixel = [&](int x, int y) {
        const UInt8* p = &img.rgb[(size_t(y) * 40 + size_t(x)) * 3];
        return std::array<int, 3>{p[0], p[1], p[2]};
    };
    // Corners inside the dirty rectangle, then two pixels just outside it.
    using P = std::array<int, 3>;
    EXPECT_EQ((std::vector{pixel(5, 4), pixel(39, 19), pixel(4, 4), pixel(5, 20)}), (std::vector{P{30, 32, 0x5A}, P{39 * 6, 19 * 8, 0x5A}, P{0, 0, 0}, P{0, 0, 0}}));
    ShowCursor();
}

TEST(PngWriter, FailuresAreReportedAndLeaveNoFile) {
    UInt8 px[16] = {};
    EXPECT_EQ(host::write_png_xrgb("/nonexistent-dir/x.png", px, 2, 2, 8).code(), fnOpnErr);
    EXPECT_EQ(host::write_png_xrgb(temp_path("-bad.png"), px, 2, 2, 4).code(), paramErr) << "rows too short";
    EXPECT_FALSE(std::filesystem::exists(temp_path("-bad.png")));
    host::HeadlessHost h;
    EXPECT_EQ(h.save_screenshot(temp_path("-none.png")).code(), paramErr) << "no screen open";
}
