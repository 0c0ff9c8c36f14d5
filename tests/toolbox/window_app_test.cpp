// window_app (a program with its own event loop, windows and menus) driven
// by headless scripts: stacking and activation, dragging, the close box,
// frame edges, menus and Command keys, quitting through the application
// menu, screenshots, and the idle rate of null events.
#include <gtest/gtest.h>
#include <png.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
    fs::path dir;
};

std::string read_file(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

const std::string kApp = KINORA_BUILD_DIR "/tests/window_app";
// Two windows, B in front, overlapping A's right part.
const std::string kTwo = "WINDOW_APP_WINDOWS='A:100,100,400,300;B:250,60,550,400'";

Outcome run(const std::string& script, const std::string& env = "") {
    static int n = 0;
    Outcome r;
    r.dir = fs::temp_directory_path() / ("kinora-wapp-" + std::to_string(getpid()) + "-" + std::to_string(++n));
    fs::remove_all(r.dir);
    fs::create_directories(r.dir);
    std::ofstream(r.dir / "s.kscript") << script;
    std::string cmd = "cd '" + r.dir.string() + "' && env -u DISPLAY -u WAYLAND_DISPLAY " + env + " '" + kApp +
                      "' --headless --script s.kscript > out.txt 2> err.txt";
    int rc = std::system(cmd.c_str());
    r.status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    r.out = read_file(r.dir / "out.txt");
    r.err = read_file(r.dir / "err.txt");
    return r;
}

// Every expected line must appear in the output, in this order (as whole lines).
void expect_lines(const Outcome& r, const std::vector<std::string>& want) {
    std::istringstream in(r.out);
    std::string line;
    size_t i = 0;
    while (i < want.size() && std::getline(in, line))
        if (line == want[i]) ++i;
    EXPECT_EQ(i, want.size()) << "missing: " << (i < want.size() ? want[i] : "") << "\noutput:\n"
                              << r.out << r.err;
}

bool has_line(const Outcome& r, const std::string& want) {
    return ("\n" + r.out).find("\n" + want + "\n") != std::string::npos;
}

struct Image {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;
    uint32_t at(int x, int y) const {
        const uint8_t* p = &rgb[(size_t(y) * size_t(width) + size_t(x)) * 3];
        return (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2];
    }
    int count_other(int left, int top, int right, int bottom, uint32_t background) const {
        int n = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x) n += at(x, y) != background;
        return n;
    }
    int count_dark(int left, int top, int right, int bottom) const {
        int n = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x) n += at(x, y) < 0x505050;
        return n;
    }
};

Image read_png(const fs::path& path) {
    Image img;
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&png, path.c_str())) return img;
    png.format = PNG_FORMAT_RGB;
    img.rgb.resize(PNG_IMAGE_SIZE(png));
    if (!png_image_finish_read(&png, nullptr, img.rgb.data(), 0, nullptr)) return Image{};
    img.width = int(png.width);
    img.height = int(png.height);
    return img;
}

}  // namespace

TEST(WindowApp, StackingActivationAndUpdatesOfUncoveredParts) {
    Outcome r = run("menu \"Probe\" \"Log Windows\"\n"
                    "click \"A\" 10 10\n"
                    "expect front \"A\"\n"
                    "menu \"Probe\" \"Log Windows\"\n",
                    kTwo);
    EXPECT_EQ(r.status, 0) << r.err;
    expect_lines(r, {
        "new A ok", "new B ok", "ready",
        "activate A", "deactivate A", "activate B",
        "update B vis=0,0,300,340",
        "update A vis=0,0,149,200",   // B's frame covers A from x = 249
        "window B visible=1 front=1 kind=8 bounds=250,60,550,400 vis=0,0,300,340",
        "window A visible=1 front=0 kind=8 bounds=100,100,400,300 vis=0,0,149,200",
        // A click in a window behind only brings it to the front.
        "down part=3 window=A", "select A",
        "deactivate B", "activate A",
        "update A vis=0,0,300,200",
        "window A visible=1 front=1 kind=8 bounds=100,100,400,300 vis=0,0,300,200",
        "window B visible=1 front=0 kind=8 bounds=250,60,550,400 vis=0,0,300,340",
    });
}

TEST(WindowApp, DraggingByTheTitleBar) {
    Outcome r = run("drag 400 50 300 250\n"
                    "expect bounds \"B\" 150 260 450 600\n"
                    "drag 300 250 300 0\n"              // into the menu bar
                    "expect bounds \"B\" 150 40 450 380\n"
                    "drag 110 90 110 95\n"              // A, behind: to the front first
                    "expect front \"A\"\n"
                    "menu \"Window\" \"New Dialog\"\n"
                    "drag 730 290 0 290\n",             // to the left edge: 16 pixels stay
                    kTwo);
    EXPECT_EQ(r.status, 0) << r.err;
    expect_lines(r, {
        "down part=4 window=B", "dragged B to 150,260,450,600",
        "down part=4 window=B", "dragged B to 150,40,450,380",
        "down part=4 window=A", "dragged A to 100,105,400,305", "deactivate B", "activate A",
        "down part=4 window=D1", "dragged D1 to -225,300,15,420",
    });
    // An aligned drag puts the content's left edge on a multiple of 4.
    r = run("drag 200 490 200 540\n", "WINDOW_APP_WINDOWS='Al:101,500,401,600'");
    EXPECT_EQ(r.status, 0) << r.err;
    expect_lines(r, {"down part=4 window=Al", "dragged Al to 100,550,400,650"});
}

TEST(WindowApp, TheCloseBoxClosesOnlyWhenReleasedInside) {
    // B's close box: 12 pixels square, 8 in from the frame's left edge.
    Outcome r = run("drag 263 50 600 600\n"
                    "expect window \"B\"\n"
                    "click 113 90\n"                    // A's box: inactive, so a drag
                    "click 263 50\n"                    // B's, now behind: a drag too
                    "click 263 50\n"
                    "expect no-window \"B\"\n",
                    kTwo);
    EXPECT_EQ(r.status, 0) << r.err;
    expect_lines(r, {
        "down part=6 window=B", "goaway B no",
        "down part=4 window=A", "dragged A to 100,100,400,300",
        "down part=4 window=B", "dragged B to 250,60,550,400",
        "down part=6 window=B", "goaway B yes",
        "activate A",
    });
}

TEST(WindowApp, FrameEdgesBelongToTheWindow) {
    struct Case {
        int h, v;
        const char* line;
    };
    const Case cases[] = {
        {99, 200, "down part=4 window=A"},   {400, 200, "down part=4 window=A"},
        {250, 300, "down part=4 window=A"},  {250, 80, "down part=4 window=A"},
        {98, 200, "down part=0 window=(none)"}, {250, 301, "down part=0 window=(none)"},
        {250, 79, "down part=0 window=(none)"}, {395, 295, "down part=5 window=A"},
        {101, 101, "down part=3 window=A"},  {900, 10, "down part=1 window=(none)"},
    };
    std::string script;
    for (const Case& c : cases) script += "click " + std::to_string(c.h) + " " + std::to_string(c.v) + "\n";
    Outcome r = run(script, "WINDOW_APP_WINDOWS='A:100,100,400,300:0'");   // documentProc: a grow box
    EXPECT_EQ(r.status, 0) << r.err;
    std::vector<std::string> want;
    for (const Case& c : cases) want.push_back(c.line);
    expect_lines(r, want);
}

TEST(WindowApp, MenusCommandKeysAndTheApplicationMenu) {
    Outcome r = run("expect menu-item \"Window\" \"Close\" disabled\n"
                    "menu \"Window\" \"New Document\"\n"
                    "expect menu-item \"Window\" \"Close\" enabled\n"
                    "menu \"Kinora\" \"About Window Test\"\n"
                    "expect menu-item \"Kinora\" \"Help\" disabled\n"
                    "key cmd+s\n"
                    "key cmd+shift+s\n"
                    "key cmd+alt+h\n"
                    "key cmd+h\n"
                    "key cmd+e\n"
                    "menu \"Window\" \"Checked\"\n"
                    "menu \"Window\" \"Checked\"\n"
                    "expect menu-item \"Dimmed\" \"Nothing\" disabled\n"
                    "key cmd+k\n"
                    "menu \"Probe\" \"Toggle Dimmed Menu\"\n"
                    "menu \"Dimmed\" \"Nothing\"\n"
                    "key cmd+k\n");
    EXPECT_EQ(r.status, 0) << r.err;
    expect_lines(r, {
        "menu none",                              // expect menu-item lets go outside
        "menu id=129 item=1", "new W1 ok",
        "menu none",
        "menu id=128 item=1", "about",            // the Apple menu's item, from the application menu
        "menu none",
        "key id=129 item=4", "save",
        "key id=129 item=5", "save as",
        "key id=129 item=7", "deactivate W1",     // ⌥⌘H hides the front window
        "key none", "key none",
        "menu id=129 item=10", "checked 1", "menu id=129 item=10", "checked 0",
        "menu none", "key none",
        "menu id=130 item=3",
        "menu id=131 item=1", "key id=131 item=1",
        "quit event",                             // the end of the script
    });
}

TEST(WindowApp, ChoosingWhatCannotBeChosenFailsTheLine) {
    struct Case {
        const char* script;
        const char* err;
    };
    const Case cases[] = {
        {"menu \"Window\" \"Never\"\n", "script:1: item \"Never\" of menu \"Window\" is disabled\n"},
        {"menu \"Dimmed\" \"Nothing\"\n", "script:1: item \"Nothing\" of menu \"Dimmed\" is disabled\n"},
        {"menu \"Window\" \"Bogus\"\n", "script:1: no item \"Bogus\" in menu \"Window\"\n"},
        {"menu \"Bogus\" \"X\"\n",
         "script:1: no menu \"Bogus\" in the menu bar (menus: \"Kinora\", \"Window\", \"Probe\", \"Dimmed\")\n"},
        {"expect menu-item \"Window\" \"Save\" enabled\n", "script:1: item \"Save\" of menu \"Window\" is disabled\n"},
        {"expect menu-item \"Window\" \"Save As...\" disabled\n",
         "script:1: item \"Save As...\" of menu \"Window\" is enabled\n"},
    };
    for (const Case& c : cases) {
        Outcome r = run(c.script);
        EXPECT_EQ(r.status, 1) << c.script << r.out;
        EXPECT_EQ(r.err, c.err);
    }
}

TEST(WindowApp, QuitKinoraSendsTheQuitAppleEvent) {
    struct Case {
        const char* script;
        const char* env;
        const char* choice;
    };
    const Case cases[] = {
        {"menu \"Kinora\" \"Quit Kinora\"\n", "", "menu none"},
        {"key cmd+q\n", "", "key none"},
        {"menu \"window_app\" \"Quit window_app\"\n", "WINDOW_APP_NO_NAME=1", "menu none"},
    };
    for (const Case& c : cases) {
        Outcome r = run(c.script, c.env);
        EXPECT_EQ(r.status, 0) << c.script << r.err;
        expect_lines(r, {c.choice, "quit event"});
    }
}

TEST(WindowApp, ScreenshotsShowFramesContentMenusAndTheCursor) {
    // B in front overlaps A; the click leaves the mouse over B's content.
    Outcome r = run("click \"B\" 20 30\nscreenshot s.png\n",
                    "WINDOW_APP_WINDOWS='Alpha:100,100,400,300;B:250,150,550,400'");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(has_line(r, "content B local=20,30"));
    Image img = read_png(r.dir / "s.png");
    ASSERT_EQ(img.width, 1024);
    ASSERT_EQ(img.height, 768);
    const uint32_t yellow = 0xFFFFCC;
    struct Probe {
        int x, y;
        uint32_t rgb;
        const char* what;
    };
    const Probe probes[] = {
        {900, 600, 0x8C8C8C, "desktop"},
        {900, 10, 0xFFFFFF, "menu bar"},
        {900, 19, 0x000000, "menu bar's bottom line"},
        {99, 200, 0x000000, "Alpha's left edge"},
        {150, 90, 0xF2F2F2, "Alpha's inactive title bar"},
        {150, 200, yellow, "Alpha's content"},
        {300, 250, yellow, "B's content over Alpha's"},
        {249, 250, 0x000000, "B's frame over Alpha's content"},
        {290, 133, 0x999999, "a stripe of B's active title bar"},
        {290, 134, 0xDDDDDD, "between the stripes"},
        {270, 180, 0x000000, "the cursor's tip where the mouse is"},
        {269, 179, 0xFFFFFF, "its white edge"},
    };
    for (const Probe& p : probes) EXPECT_EQ(img.at(p.x, p.y), p.rgb) << p.what;
    EXPECT_GT(img.count_dark(385, 132, 415, 148), 10) << "B's title";
    EXPECT_GT(img.count_other(235, 84, 265, 96, 0xF2F2F2), 20) << "Alpha's title, in gray";
    EXPECT_EQ(img.count_dark(235, 84, 265, 96), 0) << "... not black";
    EXPECT_GT(img.count_dark(10, 2, 70, 18), 20) << "the application menu's title";
    EXPECT_GT(img.count_dark(110, 110, 140, 125), 5) << "the text Alpha draws in its update";
}

TEST(WindowApp, IdleTenVirtualSecondsGiveAboutAThousandNullEvents) {
    Outcome r = run("wait 10000\n", "WINDOW_APP_WINDOWS='A:100,100,400,300'");
    ASSERT_EQ(r.status, 0) << r.err;
    size_t at = r.out.find("nulls ");
    ASSERT_NE(at, std::string::npos) << r.out;
    long nulls = std::stol(r.out.substr(at + 6));
    EXPECT_GE(nulls, 990);
    EXPECT_LE(nulls, 1010);
}
