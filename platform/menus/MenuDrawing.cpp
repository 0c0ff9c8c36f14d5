// The menu bar and pulled-down menus (MenuDrawing.h).
#include "platform/menus/MenuDrawing.h"

#include "platform/menus/MenuModel.h"
#include "platform/quickdraw/Screen.h"
#include "platform/quickdraw/kit/Palette.h"
#include "platform/quickdraw/kit/Rects.h"
#include "platform/windows/Appearance.h"
#include "platform/windows/ChromePainter.h"

namespace platform::menus {
namespace {

namespace look = windows::look;
namespace palette = kit::palette;
using quickdraw::Region;
using windows::ChromePainter;

Rect bar_rect() { return Rect{0, 0, look::kMenuBarHeight, quickdraw::screen().width()}; }

// A mark character as UTF-8: the check mark, or the Latin-1 character.
std::string mark_text(UInt8 mark) {
    if (mark == checkMark) return "\xE2\x9C\x93";
    if (mark < 0x20) return {};
    if (mark < 0x80) return std::string(1, char(mark));
    return std::string{char(0xC0 | (mark >> 6)), char(0x80 | (mark & 0x3F))};
}

void title_into(ChromePainter& p, const ShownMenu& menu, const Rect& title, bool hilited) {
    if (title.right <= title.left) return;
    p.fill(title, hilited ? palette::kHighlight : palette::kMenuBar);
    quickdraw::RGB8 color = hilited ? palette::kHighlightText : menu.enabled ? palette::kText : palette::kMenuTextDisabled;
    p.text(menu.title, SInt16(title.left + kTitlePadding), windows::chrome_baseline(title.top, title.bottom), color,
           menu.app_menu ? bold : normal);
}

}  // namespace

void draw_menu_bar(const std::vector<ShownMenu>& menus, const BarLayout& bar, int hilited) {
    const Rect r = bar_rect();
    ChromePainter p{Region(r)};
    p.fill(Rect{r.top, r.left, SInt16(r.bottom - 1), r.right}, palette::kMenuBar);
    p.fill(Rect{SInt16(r.bottom - 1), r.left, r.bottom, r.right}, palette::kFrame);
    for (size_t i = 0; i < menus.size() && i < bar.titles.size(); ++i)
        title_into(p, menus[i], bar.titles[i], int(i) == hilited);
}

void draw_bar_title(const ShownMenu& menu, const Rect& title, bool hilited) {
    ChromePainter p{Region(bar_rect())};
    title_into(p, menu, title, hilited);
}

PulledDownMenu::PulledDownMenu(const ShownMenu& menu, const MenuLayout& layout)
    : menu_(menu), layout_(layout), saved_(layout.covered()) {
    const Rect f = layout_.frame;
    {
        ChromePainter p{Region(layout_.covered())};
        p.fill(Rect{SInt16(f.top + kMenuShadow), f.right, SInt16(f.bottom + kMenuShadow), SInt16(f.right + kMenuShadow)},
               palette::kMenuShadow);
        p.fill(Rect{f.bottom, SInt16(f.left + kMenuShadow), SInt16(f.bottom + kMenuShadow), SInt16(f.right + kMenuShadow)},
               palette::kMenuShadow);
        p.fill(f, palette::kMenuBack);
        p.frame(f, palette::kFrame);
    }
    for (size_t i = 0; i < menu_.items.size(); ++i) draw_item(int(i), false);
}

PulledDownMenu::~PulledDownMenu() { saved_.restore(); }

void PulledDownMenu::hilite(int item) {
    if (item == hilited_) return;
    if (hilited_ >= 0) draw_item(hilited_, false);
    hilited_ = item;
    if (hilited_ >= 0) draw_item(hilited_, true);
}

void PulledDownMenu::draw_item(int index, bool hilited) {
    const ShownItem& item = menu_.items[size_t(index)];
    const Rect r = layout_.items[size_t(index)];
    ChromePainter p{Region(r)};
    p.fill(r, hilited ? palette::kHighlight : palette::kMenuBack);
    if (item.separator) {
        SInt16 mid = SInt16(kit::centre_v(r));
        p.fill(Rect{mid, r.left, SInt16(mid + 1), r.right}, palette::kMenuSeparator);
        return;
    }
    const bool dimmed = !item.enabled;
    const quickdraw::RGB8 color = hilited ? palette::kHighlightText : dimmed ? palette::kMenuTextDisabled : palette::kText;
    const SInt16 baseline = windows::chrome_baseline(r.top, r.bottom);
    if (std::string mark = mark_text(item.mark); !mark.empty()) p.text(mark, SInt16(r.left + 6), baseline, color);
    p.text(item.text, SInt16(r.left + kMarkColumn - 1), baseline, color, SInt16(item.style));
    if (std::string label = command_key_label(item.key, item.modifiers); !label.empty()) {
        SInt16 w = windows::chrome_text_width(label);
        p.text(label, SInt16(r.right - kRightMargin - w), baseline, color);
    }
}

}  // namespace platform::menus
