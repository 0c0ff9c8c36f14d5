// The framework's window objects and every lookup from a window (or the
// front movie window) to its parts, window iteration, port and window
// conversions; the menu item utilities; the open dialog's file filter and
// the list of file types it is built from.

#include "UtilitiesTestSupport.h"
#include "platform/memory/MemoryInternal.h"

using namespace utltest;

namespace {

class WindowTest : public UtilitiesTest {
protected:
    void TearDown() override {
        // Windows the test left open, front to back, with what they hold.
        while (WindowRef w = FrontWindow()) {
            WindowObject object = QTFrame_GetWindowObjectFromWindow(w);
            if (object) (**object).fIsDirty = false;
            QTFrame_DestroyMovieWindow(w);
        }
        UtilitiesTest::TearDown();
    }

    WindowRef plain_window(const char* title, SInt16 kind = userKind) {
        Rect bounds = {60, 60, 160, 260};
        WindowRef w = NewCWindow(nullptr, &bounds, PString(title).bytes, true, noGrowDocProc, (WindowRef)-1, true, 0);
        SetWindowKind(w, kind);
        return w;
    }

    // A movie window as File > New makes one: the movie handed over with
    // the file it was written to.
    WindowRef movie_window(const std::string& name) {
        std::string path = dir / name;
        Movie movie = tbtest::make_movie(path);
        FSSpec fs = tbtest::spec_for(path);
        EXPECT_TRUE(QTFrame_OpenMovieInWindow(movie, &fs));
        return FrontWindow();
    }
};

}  // namespace

TEST_F(WindowTest, AWindowWhoseObjectCannotBeAllocatedIsNoMovieWindow) {
    WindowRef w = plain_window("No room");
    SetWRefCon(w, 1234);
    SetPort(nullptr);
    platform::memory::fail_allocation(1);
    QTFrame_CreateWindowObject(w);
    platform::memory::fail_allocation(0);
    GrafPtr port = nullptr;
    GetPort(&port);
    // The reference constant is cleared; the window's port is current.
    EXPECT_EQ(std::tuple(GetWRefCon(w), port, QTFrame_GetWindowObjectFromWindow(w), QTFrame_GetFrontMovieWindow()),
              std::tuple(SRefCon(0), (GrafPtr)GetWindowPort(w), WindowObject(nullptr), WindowRef(nullptr)));
}

TEST_F(WindowTest, WindowsThatAreNotMovieWindowsYieldNothing) {
    EXPECT_EQ(std::tuple(QTFrame_GetFrontMovieWindow(), QTFrame_GetFrontAppWindow()), std::tuple(WindowRef(nullptr), WindowRef(nullptr)))
        << "no windows at all";

    // A movie window at the back; in front of it movie windows made a
    // dialog's and of kind 7, and plain windows whose reference constant is
    // none, another record or an empty handle.
    std::vector<WindowRef> movies;
    for (SInt16 kind : {SInt16(0), SInt16(dialogKind), SInt16(7)}) {   // 0: as made
        WindowRef w = QTFrame_CreateMovieWindow();
        ASSERT_NE(QTFrame_GetWindowObjectFromWindow(w), nullptr);
        (**QTFrame_GetWindowObjectFromWindow(w)).fFileRefNum = -1;
        ShowWindow(w);
        SelectWindow(w);
        if (kind) SetWindowKind(w, kind);
        movies.push_back(w);
    }
    WindowObject movieObject = QTFrame_GetWindowObjectFromWindow(movies[0]);
    Handle foreign = NewHandleClear(sizeof(WindowObjectRecord));
    ((WindowObjectPtr)*foreign)->fObjectType = 'XXXX';
    Handle empty = NewEmptyHandle();
    const WindowRef plain[] = {plain_window("Plain"), plain_window("Foreign"), plain_window("Empty")};
    SetWRefCon(plain[1], (SRefCon)foreign);
    SetWRefCon(plain[2], (SRefCon)empty);
    for (WindowRef w : {WindowRef(nullptr), plain[0], plain[1], plain[2], movies[1], movies[2]})
        EXPECT_EQ(std::tuple(bool(QTFrame_IsAppWindow(w)), QTFrame_GetWindowObjectFromWindow(w) || QTFrame_GetMCFromWindow(w) ||
                                                               QTFrame_GetAppDataFromWindow(w)),
                  std::tuple(w == plain[0] || w == plain[1] || w == plain[2], false));
    for (Handle h : {foreign, empty, Handle(nullptr)}) EXPECT_FALSE(QTFrame_IsWindowObjectOurs((WindowObject)h));
    EXPECT_EQ(QTFrame_GetAppDataFromWindowObject((WindowObject)foreign), nullptr);

    // The search skips every one of them and finds the movie window at the back.
    EXPECT_EQ(std::tuple(QTFrame_GetFrontMovieWindow(), QTFrame_GetWindowObjectFromFrontWindow()), std::tuple(movies[0], movieObject));

    // Without it, nothing is a movie window and every front lookup is empty.
    QTFrame_DestroyMovieWindow(movies[0]);
    EXPECT_FALSE(QTFrame_GetFrontMovieWindow() || QTFrame_GetWindowObjectFromFrontWindow() || QTFrame_GetMCFromFrontWindow());

    for (WindowRef w : {movies[1], movies[2]}) QTFrame_CloseWindowObject((WindowObject)GetWRefCon(w));
    for (WindowRef w : {plain[0], plain[1], plain[2], movies[1], movies[2]}) {
        SetWRefCon(w, 0);
        DisposeWindow(w);
    }
    DisposeHandle(foreign), DisposeHandle(empty);
}

TEST_F(WindowTest, MovieWindowsAreFoundFrontToBackWithTheirControllers) {
    WindowRef first = movie_window("first.mov");
    WindowRef second = movie_window("second.mov");
    ASSERT_TRUE(first && second && first != second);
    WindowRef plain = plain_window("In front");   // front-most, not a movie window

    const std::pair<WindowRef, WindowRef> app[] = {{nullptr, plain}, {plain, second}, {second, first}, {first, nullptr}};
    for (auto [w, next] : app) EXPECT_EQ(w ? QTFrame_GetNextAppWindow(w) : QTFrame_GetFrontAppWindow(), next);
    const std::pair<WindowRef, WindowRef> movies[] = {{nullptr, second}, {plain, second}, {second, first}, {first, nullptr}};
    for (auto [w, next] : movies) EXPECT_EQ(w ? QTFrame_GetNextMovieWindow(w) : QTFrame_GetFrontMovieWindow(), next);

    for (WindowRef w : {first, second}) {
        WindowObject object = QTFrame_GetWindowObjectFromWindow(w);
        MovieController mc = QTFrame_GetMCFromWindow(w);
        ASSERT_TRUE(object && mc);
        EXPECT_EQ(std::tuple(mc, MCGetIndMovie(mc, 0), (**object).fFileRefNum), std::tuple((**object).fController, (**object).fMovie, -1))
            << "a handed-over movie's file is closed";
    }
    EXPECT_EQ(QTFrame_GetMCFromFrontWindow(), QTFrame_GetMCFromWindow(second));

    // Bringing the first forward changes the front movie window.
    SelectWindow(first);
    EXPECT_EQ(std::tuple(QTFrame_GetFrontMovieWindow(), QTFrame_GetMCFromFrontWindow()), std::tuple(first, QTFrame_GetMCFromWindow(first)));
}

namespace {

class MenuTest : public UtilitiesTest {
protected:
    void SetUp() override {
        UtilitiesTest::SetUp();
        file = OpenResourceFileAtPath(KINORA_BUILD_DIR "/Kinora.rsrc", 1);
        ASSERT_GT(file, 0);
        UseResFile(file);
        Handle bar = GetNewMBar(128);
        ASSERT_NE(bar, nullptr);
        SetMenuBar(bar);
        DisposeHandle(bar);
    }
    void TearDown() override {
        if (file > 0) CloseResFile(file);
        UtilitiesTest::TearDown();
    }
    SInt16 file = 0;
};

}  // namespace

TEST_F(MenuTest, ItemStatesFromMenuCommands) {
    MenuHandle fileMenu = GetMenuHandle(129);
    ASSERT_NE(fileMenu, nullptr);
    // Any state but 0 disables; the item is the low byte. (That the item
    // keeps its modifiers is the Menu Manager's.)
    for (auto [command, state, enabled] : {std::tuple{0x8105, int(kDisableMenuItem), false}, {0x8105, int(kEnableMenuItem), true},
                                          {0x0105, 2, false}}) {
        QTFrame_SetMenuItemState(fileMenu, UInt16(command), SInt16(state));
        EXPECT_EQ(IsMenuItemEnabled(fileMenu, 5), enabled) << std::hex << command << " " << state;
    }

    MenuHandle editMenu = GetMenuHandle(130);
    for (SInt16 state : {kDisableMenuItem, kEnableMenuItem}) {
        QTFrame_SetMenuState(editMenu, 0x8201, state);
        EXPECT_EQ(IsMenuItemEnabled(editMenu, 0), state == kEnableMenuItem);
    }
}

TEST_F(MenuTest, LabelsLoseEveryAmpersand) {
    MenuHandle appMenu = GetMenuHandle(131);
    ASSERT_NE(appMenu, nullptr);
    const std::string longText(300, 'x');
    std::string longWithMarks;
    for (int i = 0; i < 300; ++i) longWithMarks += (i % 3 == 0) ? "&y" : "y";
    const struct { std::string label; std::string shown; } cases[] = {
        {"Show &Controller", "Show Controller"}, {"Hide Spea&ker Button", "Hide Speaker Button"}, {"&&Both&&", "Both"},
        {"&", ""},
        {longText, std::string(255, 'x')},            // at most 255 characters
        {longWithMarks, std::string(255, 'y')},       // counted after the marks are gone
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label.substr(0, 30));
        std::string label = c.label;
        QTFrame_SetMenuItemLabel(appMenu, 0x8301, label.data());
        Str255 text;
        GetMenuItemText(appMenu, 1, text);
        EXPECT_EQ(pstring(text), c.shown);
    }
}

namespace {

class FileTypesTest : public UtilitiesTest {
protected:
    void SetUp() override {
        UtilitiesTest::SetUp();
        forget_list();
    }
    void TearDown() override {
        forget_list();
        UtilitiesTest::TearDown();
    }
    static void forget_list() {
        if (gValidFileTypes) DisposePtr((Ptr)gValidFileTypes);
        gValidFileTypes = nullptr;
    }
    static std::vector<OSType> list() {
        if (!gValidFileTypes) return {};
        return std::vector<OSType>(gValidFileTypes, gValidFileTypes + GetPtrSize((Ptr)gValidFileTypes) / 4);
    }
    static Boolean filter(OSType descriptorType, bool folder, OSType fileType) {
        AEDesc item = {descriptorType, nullptr};
        NavFileOrFolderInfo info{};
        info.isFolder = folder;
        if (!folder) info.fileAndFolder.fileInfo.finderInfo.fdType = fileType;
        return QTFrame_FilterFiles(&item, &info, nullptr, 0);
    }
};

const std::vector<OSType> kBuiltinTypes = {'MooV', 'WAVE', 'AIFF', 'AIFC', 'PNGf', 'JPEG', 'GIFf', 'BMPf', 'qtif'};

}  // namespace

TEST_F(FileTypesTest, TheFilterShowsFoldersAndFilesOfTheListedTypes) {
    const struct { const char* name; OSType descriptor; bool folder; OSType type; bool shown; } cases[] = {
        {"movie", typeFSS, false, 'MooV', true}, {"wave", typeFSS, false, 'WAVE', true},
        {"image", typeFSS, false, 'GIFf', true}, {"last in the list", typeFSS, false, 'qtif', true},
        {"no type", typeFSS, false, 0, false}, {"text", typeFSS, false, 'TEXT', false},
        {"an extension is no Finder type", typeFSS, false, 'png ', false}, {"folder", typeFSS, true, 0, true},
        {"not a file specification", 'alis', false, 'TEXT', true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(filter(c.descriptor, c.folder, c.type), c.shown);
    }
    EXPECT_NE(gValidFileTypes, nullptr) << "the filter built the list";
}

TEST_F(FileTypesTest, WithoutAListNoFileIsShownAndTheNextCallTriesAgain) {
    auto without_memory = [](auto call) {
        platform::memory::fail_allocation(1);
        auto result = call();
        platform::memory::fail_allocation(0);
        return std::tuple(result, gValidFileTypes);
    };
    EXPECT_EQ(without_memory([] { return QTFrame_BuildFileTypeList(); }), std::tuple(OSErr(memFullErr), (OSType*)nullptr));
    EXPECT_EQ(without_memory([] { return filter(typeFSS, false, 'MooV'); }), std::tuple(Boolean(false), (OSType*)nullptr));
    EXPECT_TRUE(std::get<0>(without_memory([] { return filter(typeFSS, true, 0); }))) << "folders still are";
    EXPECT_TRUE(filter(typeFSS, false, 'MooV'));
    EXPECT_EQ(list(), kBuiltinTypes) << "movie importers, then graphics importers; no name extensions";
    OSType* built = gValidFileTypes;
    ASSERT_EQ(QTFrame_BuildFileTypeList(), noErr);
    EXPECT_EQ(gValidFileTypes, built) << "built once";
}
