// The Dialog Manager and Navigation Services in process, on a headless
// host: dialogs from TestToolbox.rsrc (see TestToolbox.r) and Kinora.rsrc,
// their items and handles, ModalDialog driven by key and mouse input
// through the Event Manager, alerts and ParamText, what scripts see of the
// front dialog, and the open dialog following its folder. The save-changes
// question is answered every way in the application's scripts, with the
// application's filter keeping movies playing behind it.
#include <fcntl.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>

#include "platform/AppleEvents.h"
#include "platform/Dialogs.h"
#include "platform/Files.h"
#include "platform/Memory.h"
#include "platform/Navigation.h"
#include "platform/Resources.h"
#include "platform/dialogs/DialogManager.h"
#include "platform/events/KeyCodes.h"
#include "platform/hostapi/ScriptWorld.h"
#include "platform/navigation/FileDialog.h"
#include "platform/quickdraw/kit/Palette.h"
#include "tests/toolbox/wm_test_util.h"
#include "tests/support/PString.h"
#include "tests/support/TempFolder.h"

using namespace wmtest;
namespace dlg = platform::dialogs;
namespace keys = platform::events::keys;

namespace {

std::string text_of(Handle h) {
    Str255 s;
    GetDialogItemText(h, s);
    return std::string(reinterpret_cast<char*>(s + 1), s[0]);
}

struct Item { DialogItemType kind = 0; Handle h = nullptr; Rect box{}; };
Item item_of(DialogRef d, SInt16 n) {
    Item i;
    GetDialogItem(d, n, &i.kind, &i.h, &i.box);
    return i;
}

std::string item_text(DialogRef d, SInt16 n) { return text_of(item_of(d, n).h); }

Point global_centre(DialogRef d, SInt16 n) {
    Rect r = dlg::DialogManager::get().find(d)->to_global(item_of(d, n).box);
    return Point{SInt16((r.top + r.bottom) / 2), SInt16((r.left + r.right) / 2)};
}

// A folder as a file dialog's default location.
AEDesc folder_location(const std::string& folder) {
    FSSpec spec;
    AEDesc where{typeNull, nullptr};
    EXPECT_EQ(FSMakeFSSpec(0, 0, testsupport::PStr(folder), &spec), noErr);
    EXPECT_EQ(AECreateDesc(typeFSS, &spec, sizeof(spec), &where), noErr);
    return where;
}

int g_drawn = 0;
void user_drawer(DialogRef, DialogItemIndex) { ++g_drawn; }

class DialogTest : public ToolboxTest {
protected:
    void SetUp() override {
        ToolboxTest::SetUp();
        dlg::DialogManager::reset_for_testing();
        kinora = OpenResourceFileAtPath(KINORA_BUILD_DIR "/Kinora.rsrc", 1);
        app = OpenResourceFileAtPath(KINORA_BUILD_DIR "/tests/TestToolbox.rsrc", 1);
        ASSERT_GT(kinora, 0);
        ASSERT_GT(app, 0);
        UseResFile(app);
    }
    void TearDown() override {
        dlg::DialogManager::reset_for_testing();
        CloseResFile(app);
        CloseResFile(kinora);
        ToolboxTest::TearDown();
    }
    int beeps() { return dynamic_cast<host::HeadlessHost&>(host::current()).beeps(); }
    // The items ModalDialog reports, up to `last`.
    static std::vector<DialogItemIndex> modal_until(DialogItemIndex last) {
        std::vector<DialogItemIndex> items;
        for (DialogItemIndex item = 0; item != last && items.size() < 20;) {
            ModalDialog(nullptr, &item);
            items.push_back(item);
        }
        return items;
    }

    SInt16 kinora = -1, app = -1;
};

}  // namespace

TEST_F(DialogTest, ADialogFromResourcesItsItemsAndHandles) {
    DialogRef d = GetNewDialog(200, nullptr, reinterpret_cast<WindowRef>(-1L));
    ASSERT_NE(d, nullptr);
    WindowRef w = GetDialogWindow(d);
    EXPECT_EQ(FrontWindow(), w);
    EXPECT_EQ(GetDialogFromWindow(w), d);

    Item i = item_of(d, 4);
    EXPECT_EQ(std::tuple(i.kind, text_of(i.h), i.box.left), std::tuple(editText, "Kinora", 90));
    i = item_of(d, 99);
    EXPECT_EQ(std::tuple(i.kind, i.h), std::tuple(DialogItemType(0), Handle(nullptr)));

    // SetDialogItemText finds the dialog from the handle.
    SetDialogItemText(item_of(d, 6).h, "/tmp"_p);
    EXPECT_EQ(item_text(d, 6), "/tmp");

    // A user item's handle is whatever SetDialogItem put there: its drawing procedure.
    i = item_of(d, 7);
    UserItemUPP drawer = NewUserItemUPP(user_drawer);
    SetDialogItem(d, 7, i.kind, reinterpret_cast<Handle>(drawer), &i.box);
    EXPECT_EQ(item_of(d, 7).h, reinterpret_cast<Handle>(drawer));
    g_drawn = 0;
    DrawDialog(d);
    EXPECT_EQ(g_drawn, 1);

    // A text item given a handle of the caller's keeps it; the dialog's own is still released.
    Handle mine = NewHandle(0);
    SetDialogItemText(mine, "caller's"_p);
    i = item_of(d, 3);
    SetDialogItem(d, 3, i.kind, mine, &i.box);
    EXPECT_EQ(item_text(d, 3), "caller's");

    DisposeDialog(d);
    EXPECT_EQ(GetDialogWindow(d), nullptr);
    EXPECT_NE(FrontWindow(), w);
    EXPECT_EQ(text_of(mine), "caller's");
    DisposeHandle(mine);
}

TEST_F(DialogTest, MissingAndDamagedResourcesGiveNoDialog) {
    EXPECT_EQ(GetNewDialog(203, nullptr, reinterpret_cast<WindowRef>(-1L)), nullptr);
    EXPECT_EQ(ResError(), inputOutOfBounds);
    char storage[64];
    EXPECT_EQ(GetNewDialog(200, storage, reinterpret_cast<WindowRef>(-1L)), nullptr);
    EXPECT_EQ(Alert(999, nullptr), -1);
    EXPECT_EQ(FrontWindow(), nullptr);
}

TEST_F(DialogTest, TypingTabsAndTheDefaultAndCancelItems) {
    DialogRef d = GetNewDialog(200, nullptr, reinterpret_cast<WindowRef>(-1L));
    ASSERT_NE(d, nullptr);
    SetDialogCancelItem(d, 2);
    // Editing keys themselves are EditField's.
    input.type("Hi");                     // replaces the selected "Kinora"
    input.key(kTabCharCode, keys::kTab), input.type("a"), input.key(kReturnCharCode, keys::kReturn);
    EXPECT_EQ(modal_until(1), (std::vector<DialogItemIndex>{4, 4, 6, 1}));
    EXPECT_EQ(std::tuple(item_text(d, 4), item_text(d, 6)), std::tuple("Hi", "a"));
    auto view = platform::script::dialog_queries()->front_modal_dialog();
    ASSERT_TRUE(view);
    EXPECT_EQ(view->field, "a");

    for (auto [ch, code, mods, want] : {std::tuple<UInt8, UInt8, UInt16, DialogItemIndex>{kEscapeCharCode, keys::kEscape, 0, 2},
                                        {'.', keys::kPeriod, host::kModCommand, 2},
                                        {kEnterCharCode, keys::kKeypadEnter, 0, 1}}) {
        input.key(ch, code, mods);
        DialogItemIndex item = 0;
        ModalDialog(nullptr, &item);
        EXPECT_EQ(item, want) << int(ch);
    }
    // Command keys other than Command-period do nothing; without a cancel
    // item Escape does nothing either.
    SetDialogCancelItem(d, 0);
    input.key('q', keys::kQ, host::kModCommand), input.key(kEscapeCharCode, keys::kEscape);
    input.key(kReturnCharCode, keys::kReturn);
    DialogItemIndex item = 0;
    ModalDialog(nullptr, &item);
    EXPECT_EQ(item, 1);
    DisposeDialog(d);
}

TEST_F(DialogTest, ClicksHitButtonsFieldsAndNothingOutside) {
    Rect docBounds{40, 10, 400, 300};
    WindowRef doc = NewCWindow(nullptr, &docBounds, "Doc"_p, true, noGrowDocProc, reinterpret_cast<WindowRef>(-1L), true, 0);
    DialogRef d = GetNewDialog(200, nullptr, reinterpret_cast<WindowRef>(-1L));
    ASSERT_NE(d, nullptr);
    const int before = beeps();
    input.click(Point{100, 100});        // in the document behind: a beep
    input.click(Point{5, 500});          // in the menu bar: nothing
    input.click(global_centre(d, 3));    // disabled static text: nothing
    input.click(global_centre(d, 6));    // the second field: it takes the keyboard
    input.type("x");
    input.click(global_centre(d, 2));    // Cancel
    EXPECT_EQ(modal_until(2), (std::vector<DialogItemIndex>{6, 6, 2}));
    EXPECT_EQ(beeps() - before, 1);
    EXPECT_EQ(item_text(d, 6), "x");
    EXPECT_EQ(FrontWindow(), GetDialogWindow(d)) << "a click behind brings nothing forward";
    DisposeDialog(d), DisposeWindow(doc);
}

TEST_F(DialogTest, AlertsFillTheParametersAndCountStages) {
    ParamText("Zero"_p, "One"_p, nullptr, "Three"_p);
    std::optional<platform::script::DialogView> seen;
    input.then([&] { seen = platform::script::dialog_queries()->front_modal_dialog(); });
    input.key(kEscapeCharCode, keys::kEscape);
    EXPECT_EQ(Alert(300, nullptr), 2) << "the default is OK, so Cancel is the cancel item";
    ASSERT_TRUE(seen);
    EXPECT_EQ(seen->texts, (std::vector<std::string>{"Zero / One /  / Three"}));
    ASSERT_EQ(seen->buttons.size(), 2u);
    EXPECT_EQ(seen->buttons[0].title, "OK");
    EXPECT_EQ(FrontWindow(), nullptr) << "the alert is gone";
}

TEST_F(DialogTest, OpenDialogFollowsItsFolderAndEscapeCancels) {
    namespace nav = platform::navigation;
    testsupport::TempFolder folder("navfollow");
    const std::filesystem::path dir = folder.path();
    std::filesystem::create_directory(dir / "Notes");
    for (const char* name : {"take 10.mov", "Take 2.mov", "take 3.mov"}) std::ofstream(dir / name) << "x";
    // Long unchanged, so only the folder's own stamp can tell the list it changed.
    const timespec old[2] = {{1000000000, 0}, {1000000000, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, dir.c_str(), old, 0), 0);

    auto shown = [] {   // the rows, the selected one marked
        std::vector<std::string> names;
        const auto& list = dynamic_cast<nav::FileDialog*>(nav::session_of(GetDialogFromWindow(FrontWindow())))->list();
        for (size_t i = 0; i < list.rows().size(); ++i) names.push_back((list.selected() == i ? "> " : "") + list.rows()[i].name);
        return names;
    };
    std::vector<std::string> before, after;
    input.idle(2), input.type("take 3");
    input.check([&] {
        before = shown();
        std::filesystem::remove(dir / "take 10.mov");
        for (const char* name : {"take 1.mov", "take 20.mov"}) std::ofstream(dir / name) << "x";
    });
    input.idle(120);   // over half a second of the virtual clock: the folder is looked at again
    input.check([&] { after = shown(); });
    input.key(kEscapeCharCode, keys::kEscape);
    NavDialogOptions o;
    NavGetDefaultDialogOptions(&o);
    AEDesc where = folder_location(dir.string());
    NavReplyRecord reply;
    ASSERT_EQ(NavGetFile(&where, &reply, &o, nullptr, nullptr, nullptr, nullptr, nullptr), noErr);
    AEDisposeDesc(&where);
    EXPECT_EQ(before, (std::vector<std::string>{"Notes", "Take 2.mov", "> take 3.mov", "take 10.mov"}));
    EXPECT_EQ(after, (std::vector<std::string>{"Notes", "take 1.mov", "Take 2.mov", "> take 3.mov", "take 20.mov"}));
    EXPECT_FALSE(reply.validRecord) << "Escape cancels";
}
