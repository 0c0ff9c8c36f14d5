// The Dialog Manager's and Navigation Services' pure parts: reading dialog,
// item list and alert resources (and refusing damaged ones), alert stages,
// ParamText substitution, line breaking, editing one line of text, the
// file list's hit testing and scrolling, and the file dialogs' checks on
// folders, typed paths and names, and their order of names.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <tuple>

#include "platform/Dialogs.h"
#include "platform/core/Bytes.h"
#include "platform/dialogs/DialogResources.h"
#include "platform/dialogs/EditField.h"
#include "platform/dialogs/TextLayout.h"
#include "platform/files/FinderInfo.h"
#include "platform/navigation/FileList.h"
#include "platform/navigation/Folders.h"
#include "tests/support/TempFolder.h"

namespace dlg = platform::dialogs;
namespace nav = platform::navigation;
namespace fs = std::filesystem;

namespace {

void rect(platform::ByteWriter& w, SInt16 top, SInt16 left, SInt16 bottom, SInt16 right) {
    for (SInt16 v : {top, left, bottom, right}) w.s16(v);
}

std::vector<UInt8> dlog(const std::string& title) {
    platform::ByteWriter w;
    rect(w, 100, 200, 300, 600);
    w.s16(movableDBoxProc), w.u16(0x0100), w.u16(0), w.u32(0x12345678), w.s16(129);   // visible, no close box, refCon, items
    w.pstring(title);
    return w.take();
}

struct RawItem { UInt8 type; std::vector<UInt8> data; };

std::vector<UInt8> ditl(const std::vector<RawItem>& items, int countField = -1) {
    platform::ByteWriter w;
    w.u16(UInt16(countField >= 0 ? countField : int(items.size()) - 1));
    for (const RawItem& it : items) {
        w.u32(0), rect(w, 10, 20, 30, 120), w.u8(it.type), w.u8(UInt8(it.data.size()));
        w.bytes(it.data.data(), it.data.size()), w.align(2);
    }
    return w.take();
}

std::vector<UInt8> bytes(const std::string& s) { return {s.begin(), s.end()}; }

// Widths for layout tests: every byte is 10 pixels.
SInt32 tens(std::string_view s) { return SInt32(s.size()) * 10; }

}  // namespace

TEST(DialogResources, ReadsDialogsItemListsAndAlerts) {
    auto d = dlg::parse_dialog(dlog("Form"));
    ASSERT_TRUE(d);
    EXPECT_EQ(std::tuple(d->bounds.top, d->bounds.left, d->bounds.bottom, d->bounds.right, d->proc_id, d->visible,
                         d->ref_con, d->items_id, d->title),
              std::tuple(100, 200, 300, 600, movableDBoxProc, true, 0x12345678u, 129, "Form"));

    auto items = dlg::parse_item_list(ditl({{kButtonDialogItem, bytes("OK")}, {statText | itemDisable, bytes("odd")}, {userItem, {}}, {iconItem, {0x01, 0x02}}}));
    ASSERT_TRUE(items);
    std::string got;   // odd lengths: the pad byte is skipped
    for (const auto& i : *items) got += std::to_string(i.type) + " " + i.text + " " + std::to_string(i.resource_id) + " " + std::to_string(i.box.left) + "; ";
    EXPECT_EQ(got, "4 OK 0 20; 136 odd 0 20; 0  0 20; 32  258 20; ");

    platform::ByteWriter a;
    rect(a, 1, 2, 3, 4), a.s16(300), a.u16(0x5555);
    auto alert = dlg::parse_alert(a.bytes());
    ASSERT_TRUE(alert);
    EXPECT_EQ(std::tuple(alert->items_id, alert->stages), std::tuple(SInt16(300), UInt16(0x5555)));
}

TEST(DialogResources, DamagedResourcesAreRefused) {
    auto cut = [](std::vector<UInt8> v, size_t n) { v.resize(n); return v; };
    std::vector<UInt8> inverted = dlog("X");
    platform::store_u16be(&inverted[4], 50);   // bottom above top
    std::vector<UInt8> huge = dlog("X");
    platform::store_u16be(&huge[6], 0x7FFF);   // wider than any screen
    for (const auto& d : std::vector<std::vector<UInt8>>{{}, cut(dlog("Title"), 19), cut(dlog("Title"), 22), inverted, huge}) {
        auto r = dlg::parse_dialog(d);
        EXPECT_EQ(r ? OSErr(noErr) : r.error().code, inputOutOfBounds) << d.size();
    }
    const std::vector<std::vector<UInt8>> lists = {
        {},
        ditl({{kButtonDialogItem, bytes("OK")}}, 5),             // more items than there are
        ditl({{kButtonDialogItem, bytes("OK")}}, 0xFFFF),        // 65536 items
        ditl({{3 | 128, bytes("??")}}),                          // an unknown kind
        ditl({{picItem, {0x01}}}),                               // a picture without its ID
        cut(ditl({{kButtonDialogItem, bytes("Cancel")}}), 18),   // text cut short
    };
    for (const auto& l : lists) {
        auto r = dlg::parse_item_list(l);
        EXPECT_EQ(r ? OSErr(noErr) : r.error().code, inputOutOfBounds) << l.size();
    }
    EXPECT_FALSE(dlg::parse_alert(std::vector<UInt8>(11, 0)));
}

TEST(DialogResources, AlertStages) {
    struct Case { UInt16 stages; int stage; int beeps; bool shown; SInt16 defaultItem; };
    const Case cases[] = {
        {0x5555, 1, 1, true, 1}, {0x5555, 4, 1, true, 1},
        {0xFC40, 1, 0, false, 1}, {0xFC40, 2, 0, true, 1}, {0xFC40, 3, 0, true, 2},
        {0xFC40, 4, 3, true, 2}, {0xFC40, 9, 3, true, 2},   // later showings stay at stage 4
    };
    for (const Case& c : cases) {
        dlg::AlertStage s = dlg::alert_stage(c.stages, c.stage);
        EXPECT_EQ(std::tuple(s.beeps, s.shown, s.default_item), std::tuple(c.beeps, c.shown, c.defaultItem)) << c.stages << " stage " << c.stage;
    }
}

TEST(TextLayout, ParamTextSubstitution) {
    const std::array<std::string, 4> p = {"Warning!", "^1 again", "", "three"};
    const std::pair<const char*, const char*> cases[] = {
        {"^0", "Warning!"},
        {"^1 ^2", "^1 again "},          // substituted text is not looked at again; ^2 is empty
        {"[^3][^4][^]^", "[three][^4][^]^"}, {"no carets", "no carets"}, {"^0^0", "Warning!Warning!"},
    };
    for (auto [in, out] : cases) EXPECT_EQ(dlg::substitute_params(in, p), out) << in;
}

TEST(TextLayout, WrapsAtSpacesBreaksAndLongWords) {
    const std::tuple<const char*, SInt32, std::vector<std::string>> cases[] = {
        {"", 100, {}}, {"one two three", 1000, {"one two three"}}, {"one two three", 70, {"one two", "three"}},
        {"one   two", 30, {"one", "two"}},            // spaces at a break are dropped
        {"abcdefghij", 40, {"abcd", "efgh", "ij"}},   // a word wider than a line is cut
        {"a\nb\r\nc\rd", 100, {"a", "b", "c", "d"}}, {"a\n\nb", 100, {"a", "", "b"}},
        {"x", 0, {"x"}},                              // at least one character a line
    };
    for (const auto& [text, width, lines] : cases) {
        std::vector<std::string> got;
        for (const dlg::TextLine& l : dlg::wrap_text(text, width, tens)) got.emplace_back(std::string_view(text).substr(l.start, l.length));
        EXPECT_EQ(got, lines) << text << " at " << width;
    }
    // UTF-8 sequences are never split.
    auto lines = dlg::wrap_text("\xC3\xA9\xC3\xA9\xC3\xA9", 20, tens);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].length, 2u);
}

TEST(EditField, KeysAndSelection) {
    using O = dlg::EditField::Outcome;
    struct Step { UInt8 key; bool shift; O outcome; const char* text; size_t start, end; };
    struct Case { const char* start; size_t a, b; std::vector<Step> steps; };   // a, b: the initial selection
    const Case cases[] = {
        // Typing replaces the selection.
        {"Kinora", 0, 6, {{'M', false, O::Changed, "M", 1, 1}, {'e', false, O::Changed, "Me", 2, 2}}},
        // Delete removes the character before the insertion point, or the selection.
        {"abc", 3, 3, {{0x08, false, O::Changed, "ab", 2, 2}}}, {"abc", 1, 3, {{0x08, false, O::Changed, "a", 1, 1}}},
        {"abc", 0, 0, {{0x08, false, O::Refused, "abc", 0, 0}}}, {"abc", 0, 0, {{0x7F, false, O::Changed, "bc", 0, 0}}},
        {"abc", 3, 3, {{0x7F, false, O::Refused, "abc", 3, 3}}},
        // Arrows move, Shift-arrows extend from the anchor, a plain arrow collapses.
        {"abcd", 4, 4, {{0x1C, true, O::Moved, "abcd", 3, 4}, {0x1C, true, O::Moved, "abcd", 2, 4},
                        {0x1C, false, O::Moved, "abcd", 2, 2}, {0x1D, false, O::Moved, "abcd", 3, 3}}},
        {"abcd", 1, 3, {{0x1D, false, O::Moved, "abcd", 3, 3}}},
        {"abcd", 2, 2, {{0x1E, false, O::Moved, "abcd", 0, 0}, {0x1F, true, O::Moved, "abcd", 0, 4},
                        {0x1C, false, O::Moved, "abcd", 0, 0}, {0x1C, false, O::Unchanged, "abcd", 0, 0}}},
        // A character of several bytes is one step and one deletion.
        {"a\xC3\xA9", 3, 3, {{0x1C, false, O::Moved, "a\xC3\xA9", 1, 1}, {0x7F, false, O::Changed, "a", 1, 1}}},
        // Control characters other than the editing keys are ignored.
        {"ab", 1, 1, {{0x0D, false, O::Unchanged, "ab", 1, 1}, {0x1B, false, O::Unchanged, "ab", 1, 1}}},
    };
    for (const Case& c : cases) {
        dlg::EditField f(c.start);
        f.select(c.a, c.b);
        for (const Step& s : c.steps) {
            const O outcome = f.key(s.key, s.shift);
            EXPECT_EQ(std::tuple(outcome, f.text(), f.sel_start(), f.sel_end()), std::tuple(s.outcome, s.text, s.start, s.end))
                << c.start << " key " << int(s.key);
        }
    }
}

TEST(EditField, Utf8TypingAndTheLimit) {
    dlg::EditField f("");
    for (UInt8 b : std::string("\xC3\xA9t\xC3\xA9")) f.type_byte(b);
    EXPECT_EQ(f.text(), "\xC3\xA9t\xC3\xA9");
    EXPECT_EQ(f.type_byte(0x80), dlg::EditField::Outcome::Unchanged) << "a stray continuation byte is not text";

    // Three bytes do not fit in one: the whole sequence is dropped; one does.
    using O = dlg::EditField::Outcome;
    dlg::EditField full(std::string(254, 'x'));
    EXPECT_EQ((std::vector{full.type_byte(0xE2), full.type_byte(0x82), full.type_byte(0xAC)}), (std::vector{O::Refused, O::Unchanged, O::Unchanged}));
    EXPECT_EQ(full.text().size(), 254u);
    EXPECT_EQ((std::vector{full.type_byte('y'), full.type_byte('z')}), (std::vector{O::Changed, O::Refused}));
    EXPECT_EQ(full.text().size(), 255u);

    dlg::EditField cut(std::string(254, 'x') + "\xC3\xA9");
    EXPECT_EQ(cut.text().size(), 254u) << "set_text cuts at a character boundary";
}

TEST(EditField, ClicksWordsAndOffsets) {
    dlg::EditField f("open my file.mov");
    f.select_word(6);
    EXPECT_EQ(f.text().substr(f.sel_start(), f.sel_end() - f.sel_start()), "my");
    f.select_word(12);
    EXPECT_EQ(f.text().substr(f.sel_start(), f.sel_end() - f.sel_start()), ".");
    f.click(2, false), f.click(7, true);
    EXPECT_EQ(std::tuple(f.sel_start(), f.sel_end()), std::tuple(size_t(2), size_t(7)));
    f.drag_to(0);
    EXPECT_EQ(std::tuple(f.sel_start(), f.sel_end()), std::tuple(size_t(0), size_t(2))) << "dragging moves the caret end from the anchor";

    for (auto [x, offset] : {std::pair<SInt32, size_t>{-5, 0}, {14, 1}, {16, 2}, {500, 4}}) EXPECT_EQ(dlg::offset_at_x("abcd", x, tens), offset) << x;
    for (auto [scroll, caret, want] : {std::tuple(0, 50, 0), {0, 150, 51}, {80, 20, 20}}) EXPECT_EQ(dlg::scroll_to_show(scroll, caret, 100), want);
}

TEST(FileList, HitTestingScrollingAndSelection) {
    nav::FileList list;
    list.set_frame(Rect{100, 10, 100 + 5 * 18 + 2, 210}, 18);   // five rows show
    std::vector<nav::ListRow> rows;
    for (int i = 0; i < 12; ++i) rows.push_back(nav::ListRow{"row" + std::to_string(i), i < 2, false});
    list.set_rows(rows);
    EXPECT_EQ(list.visible_rows(), 5u);
    ASSERT_TRUE(list.has_scroll_bar());

    using P = nav::FileList::Part;
    for (auto [v, h, part] : {std::tuple(101, 11, P::Row), {105, 200, P::LineUp}, {188, 200, P::LineDown},
                              {120, 200, P::Thumb}, {170, 200, P::PageDown}, {99, 50, P::None}})
        EXPECT_EQ(list.hit(Point{SInt16(v), SInt16(h)}).part, part) << h << "," << v;
    EXPECT_EQ(list.hit(Point{101 + 18 * 2, 50}).row, 2u);

    list.select(9);
    EXPECT_EQ(list.top(), 5u) << "the selection is scrolled into view";
    EXPECT_EQ(list.hit(Point{101, 11}).row, 5u);
    EXPECT_EQ(list.hit(Point{120, 200}).part, P::PageUp);
    list.move_selection(100);
    EXPECT_EQ(std::tuple(list.selected(), list.top()), std::tuple(std::optional<size_t>(11), size_t(7)));
    list.scroll_to(-4);
    EXPECT_EQ(list.top(), 0u);
    EXPECT_EQ(list.top_for_thumb_drag(0, 10000), 7u);
    EXPECT_FALSE(list.row_rect(9)) << "rows scrolled out have no rectangle";

    EXPECT_EQ(list.find_prefix("ROW1"), 1u);
    EXPECT_FALSE(list.find_name("ROW11")) << "names match exactly";

    list.set_rows({nav::ListRow{"only", false, false}});
    EXPECT_FALSE(list.has_scroll_bar());
    EXPECT_FALSE(list.selected());
    EXPECT_EQ(list.hit(Point{101 + 18, 50}).part, P::None) << "no row there";
}

class FoldersTest : public testing::Test {
protected:
    void SetUp() override {
        for (const char* sub : {"beta", "Alpha"}) fs::create_directories(dir / sub);
        for (const char* f : {"b.mov", "A.txt", ".hidden", "c.png"}) std::ofstream(dir / f) << "x";
    }
    testsupport::TempFolder folder_{"nav"};
    fs::path dir = folder_.path();
};

TEST_F(FoldersTest, ListsFoldersFirstByNameWithFinderTypes) {
    auto listed = nav::list_folder(dir);
    ASSERT_TRUE(listed);
    std::vector<std::string> names;
    for (const auto& e : *listed) names.push_back(e.name);
    EXPECT_EQ(names, (std::vector<std::string>{"Alpha", "beta", ".hidden", "A.txt", "b.mov", "c.png"}));
    EXPECT_EQ(std::tuple((*listed)[0].folder, (*listed)[2].invisible, (*listed)[4].finder.fdType, (*listed)[4].size), std::tuple(true, true, OSType('MooV'), 1u));
    EXPECT_FALSE(nav::list_folder(dir / "none"));
}

TEST(NameOrder, AsPeopleExpect) {
    // Each name sorts before the next.
    const std::vector<std::string> ordered = {
        "",           "01",      "1",        "2",          "10",        "take",     "Take 1",
        "take 1.mov", "take 2",  "take 02b",  "take 2b",    "TAKE 10",   "take 10",  "take 100",
        "take 99999999999999999999",           "take 100000000000000000000",         "take a",
        "Zebra",      "zebra",   "\xC3\x89t\xC3\xA9",   // bytes over 127 after ASCII
    };
    for (size_t i = 0; i < ordered.size(); ++i)
        for (size_t j = 0; j < ordered.size(); ++j)
            EXPECT_EQ(nav::name_before(ordered[i], ordered[j]), i < j) << "'" << ordered[i] << "' '" << ordered[j] << "'";
}

TEST_F(FoldersTest, TypedPaths) {
    setenv("HOME", "/home/someone", 1);
    EXPECT_EQ(nav::resolve_typed(dir, "beta/x.mov"), dir / "beta/x.mov");
    EXPECT_EQ(nav::resolve_typed(dir, "../y"), dir.parent_path() / "y");
    EXPECT_EQ(nav::resolve_typed(dir, "/etc/./passwd"), fs::path("/etc/passwd"));
    EXPECT_EQ(nav::resolve_typed(dir, "~/Movies/a.mov"), fs::path("/home/someone/Movies/a.mov"));
    EXPECT_EQ(nav::resolve_typed(dir, "~"), fs::path("/home/someone/"));
    EXPECT_EQ((std::vector{nav::is_typed_path("a/b"), nav::is_typed_path("~"), nav::is_typed_path("name~.mov")}), (std::vector{true, true, false}));
}

TEST_F(FoldersTest, SaveChecks) {
    using K = nav::SaveVerdict::Kind;
    struct Case { std::string name; K kind; const char* reason; };   // reason: part of it
    const std::string longName = std::string(70, 'n') + ".mov";
    const Case cases[] = {
        {"new.mov", K::Save, ""},
        {longName, K::Save, ""},        // the File Manager maps long names
        {"b.mov", K::Replace, ""}, {"beta", K::Refuse, "is a folder"}, {"..", K::Refuse, "is a folder"},
        {"", K::Refuse, "Type a name"}, {std::string(256, 'x'), K::Refuse, "cannot be called"},
    };
    for (const Case& c : cases) {
        nav::SaveVerdict v = nav::check_save(dir, c.name);
        EXPECT_EQ(v.kind, c.kind) << c.name;
        EXPECT_NE(v.reason.find(c.reason), std::string::npos) << c.name << ": " << v.reason;
    }
    EXPECT_EQ(nav::check_save(dir / "gone", "x.mov").kind, K::Refuse);
    mkfifo((dir / "pipe").c_str(), 0600);
    EXPECT_EQ(nav::check_save(dir, "pipe").kind, K::Refuse);
}
