// How a file dialog's list looks: a white box with a border, a row per
// item (a folder or page mark, then the name), the selected row
// highlighted, and a scroll bar when the rows do not all fit.
#include <algorithm>

#include "platform/dialogs/DialogDrawing.h"
#include "platform/dialogs/DialogPainter.h"
#include "platform/navigation/FileDialog.h"
#include "platform/quickdraw/Region.h"
#include "platform/quickdraw/kit/Palette.h"
#include "platform/quickdraw/kit/Rects.h"
#include "platform/windows/ChromePainter.h"

namespace platform::navigation {
namespace {

namespace palette = kit::palette;
using quickdraw::to_rect;

void draw_mark(dialogs::Painter& p, const Rect& row, bool folder) {
    const SInt32 cy = kit::centre_v(row);
    if (folder) {
        p.fill(to_rect(row.left + 4, cy - 4, row.left + 10, cy - 2), palette::kFolderMark);
        p.fill(to_rect(row.left + 4, cy - 3, row.left + 18, cy + 6), palette::kFolderMark);
    } else {
        const Rect page = to_rect(row.left + 6, cy - 6, row.left + 16, cy + 7);
        p.fill(page, palette::kBoxBack);
        p.frame(page, palette::kBoxBorder);
    }
}

// A triangle pointing up or down, centred in r.
void draw_arrow(dialogs::Painter& p, const Rect& r, bool up) {
    const SInt32 cx = kit::centre_h(r), cy = kit::centre_v(r);
    for (SInt32 i = 0; i < 4; ++i) {
        const SInt32 y = up ? cy - 2 + i : cy + 1 - i;
        p.fill(to_rect(cx - i, y, cx + i + 1, y + 1), palette::kScrollArrow);
    }
}

}  // namespace

void draw_file_list(const dialogs::Dialog& d, const FileList& list) {
    dialogs::Painter p(d);
    if (!p) return;
    const Rect frame = list.frame();
    p.fill(frame, palette::kBoxBack);
    p.frame(frame, palette::kBoxBorder);
    {
        dialogs::Painter rows(d);
        rows.clip_to(list.rows_area());
        for (size_t i = list.top(); i < list.rows().size(); ++i) {
            auto r = list.row_rect(i);
            if (!r) break;
            const ListRow& row = list.rows()[i];
            const bool selected = list.selected() == i;
            if (selected) rows.fill(*r, palette::kHighlight);
            draw_mark(rows, *r, row.folder);
            const SInt32 left = r->left + 24;
            std::string shown = windows::elide_to_width(row.name, r->right - left - 4,
                                                        [](std::string_view s) { return dialogs::dialog_text_width(s); });
            rows.text(shown, left, rows.centred_baseline(*r),
                      selected ? palette::kHighlightText : row.dimmed ? palette::kDisabledText : palette::kText);
        }
    }
    if (list.has_scroll_bar()) {
        const Rect bar = list.scroll_bar();
        p.fill(bar, palette::kScrollTrack);
        p.fill(to_rect(bar.left, bar.top, bar.left + 1, bar.bottom), palette::kBoxBorder);
        for (const Rect& a : {list.up_arrow(), list.down_arrow()}) {
            p.fill(to_rect(a.left + 1, a.top, a.right, a.bottom), palette::kBoxBack);
            p.fill(to_rect(a.left, a.top == bar.top ? a.bottom - 1 : a.top, a.right, a.top == bar.top ? a.bottom : a.top + 1),
                   palette::kBoxBorder);
        }
        draw_arrow(p, list.up_arrow(), true);
        draw_arrow(p, list.down_arrow(), false);
        const Rect t = list.thumb();
        p.fill(to_rect(t.left + 3, t.top + 1, t.right - 2, t.bottom - 1), palette::kScrollThumb);
    }
}

}  // namespace platform::navigation
