// The cursor state and the arrow.
#include "platform/quickdraw/Cursor.h"

#include "platform/quickdraw/PixelFormat.h"

namespace platform::quickdraw {
namespace {

// The arrow, drawn here: '#' black, '.' white, ' ' transparent. Its tip,
// the hot spot, is at row 1, column 1.
constexpr const char* kArrowArt[16] = {
    "..              ",
    ".#.             ",
    ".##.            ",
    ".###.           ",
    ".####.          ",
    ".#####.         ",
    ".######.        ",
    ".#######.       ",
    ".########.      ",
    ".#####.....     ",
    ".##.##.         ",
    ".#. .##.        ",
    "..  .##.        ",
    "     .##.       ",
    "     .##.       ",
    "      ..        ",
};

constexpr Cursor make_arrow() {
    Cursor c{};
    for (int row = 0; row < 16; ++row) {
        UInt16 data = 0, mask = 0;
        for (int col = 0; col < 16; ++col) {
            char p = kArrowArt[row][col];
            UInt16 bit = UInt16(0x8000 >> col);
            if (p == '#') data |= bit;
            if (p == '#' || p == '.') mask |= bit;
        }
        c.data[row] = data;
        c.mask[row] = mask;
    }
    c.hotSpot = Point{1, 1};
    return c;
}

constexpr Cursor kArrow = make_arrow();

struct State {
    CursorState s{kArrow, 0, false};
    UInt32 generation = 0;
};

State& state() {
    static State st;
    return st;
}

bool same_image(const Cursor& a, const Cursor& b) {
    for (int row = 0; row < 16; ++row)
        if (a.data[row] != b.data[row] || a.mask[row] != b.mask[row]) return false;
    return a.hotSpot.h == b.hotSpot.h && a.hotSpot.v == b.hotSpot.v;
}

bool shows(const CursorState& s) { return s.hideLevel == 0 && !s.obscured; }

// Counts a change only when what shows differs: the application sets the
// arrow again on every idle, and the host remakes its cursor on a change.
void update(const CursorState& next) {
    State& st = state();
    const bool differs = !same_image(st.s.cursor, next.cursor) || shows(st.s) != shows(next);
    st.s = next;
    if (differs) ++st.generation;
}

}  // namespace

const CursorState& cursor_state() { return state().s; }

bool cursor_visible() { return shows(state().s); }

void cursor_mouse_moved() {
    CursorState next = state().s;
    next.obscured = false;
    update(next);
}

UInt32 cursor_generation() { return state().generation; }

const Cursor& arrow_cursor() { return kArrow; }

void draw_cursor(UInt8* pixels, SInt32 width, SInt32 height, SInt32 rowBytes, Point mouse) {
    if (!pixels || !cursor_visible()) return;
    const Cursor& c = state().s.cursor;
    const SInt32 left = SInt32(mouse.h) - c.hotSpot.h, top = SInt32(mouse.v) - c.hotSpot.v;
    for (int row = 0; row < 16; ++row) {
        SInt32 y = top + row;
        if (y < 0 || y >= height) continue;
        UInt8* line = pixels + size_t(y) * size_t(rowBytes);
        for (int col = 0; col < 16; ++col) {
            SInt32 x = left + col;
            if (x < 0 || x >= width) continue;
            UInt16 bit = UInt16(0x8000 >> col);
            bool data = c.data[row] & bit, mask = c.mask[row] & bit;
            UInt8* px = line + 4 * size_t(x);
            if (mask) {
                store_u32be(px, pack32(data ? RGB8{0, 0, 0} : RGB8{255, 255, 255}));
            } else if (data) {
                px[1] = UInt8(~px[1]);
                px[2] = UInt8(~px[2]);
                px[3] = UInt8(~px[3]);
            }
        }
    }
}

}  // namespace platform::quickdraw

namespace qd = platform::quickdraw;

void InitCursor(void) { qd::update(qd::CursorState{qd::kArrow, 0, false}); }

void SetCursor(const Cursor* crsr) {
    if (!crsr) return;
    qd::CursorState next = qd::state().s;
    next.cursor = *crsr;
    qd::update(next);
}

Cursor* GetQDGlobalsArrow(Cursor* arrow) {
    if (arrow) *arrow = qd::kArrow;
    return arrow;
}

void HideCursor(void) {
    qd::CursorState next = qd::state().s;
    ++next.hideLevel;
    qd::update(next);
}

void ShowCursor(void) {
    qd::CursorState next = qd::state().s;
    if (next.hideLevel > 0) --next.hideLevel;
    qd::update(next);
}

void ObscureCursor(void) {
    qd::CursorState next = qd::state().s;
    next.obscured = true;
    qd::update(next);
}
