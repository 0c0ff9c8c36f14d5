/*
 * Menu bars and menus.
 *
 * 'MBAR': u16 number of menus, then each menu ID (s16).
 *
 * 'MENU':
 *     0  s16  menu ID
 *     2  s16  width (0: computed by the Menu Manager)
 *     4  s16  height (0)
 *     6  s16  definition procedure ID (0: the standard text menu)
 *     8  s16  filler (0)
 *    10  u32  enable flags: bit 0 the menu itself, bit i item i (items past
 *             31 are always enabled)
 *    14  pstring title
 *        per item: pstring text, u8 icon, u8 key equivalent (an uppercase
 *        letter or other character, 0 for none), u8 mark character, u8
 *        style; a text of "-" is a separator line
 *        u8 0 ends the list
 *
 * 'xmnu' (ours; same ID as its 'MENU'), for the modifier keys of command-key
 * equivalents, which the 'MENU' layout has no room for:
 *     0  u16  version (0)
 *     2  u16  number of entries
 *     4  per entry: u16 item number, u8 modifiers (kMenuShiftModifier 1,
 *        kMenuOptionModifier 2, kMenuControlModifier 4,
 *        kMenuNoCommandModifier 8), u8 reserved (0)
 *     Items without an entry have modifiers 0 (Command alone).
 */
#include <cctype>

#include "Body.h"
#include "platform/core/Bytes.h"
#include "platform/core/FourCC.h"

namespace rescompile {
namespace {

using platform::ByteWriter;

class MenuBarBody final : public Body {
public:
    explicit MenuBarBody(const BlockInfo& info) : info_(info) {}
    void line(const Line& l) override {
        if (l.keyword() != "menu") l.error("a menu bar lists 'menu ID' lines, not '" + l.keyword() + "'");
        l.expect_size(2, 2, "menu ID");
        menus_.push_back(SInt16(l.integer(1, -32768, 32767)));
    }
    std::vector<Output> finish() override {
        ByteWriter w;
        w.u16(UInt16(menus_.size()));
        for (SInt16 id : menus_) w.s16(id);
        return {Output{info_.type, info_.id, {}, w.take()}};
    }

private:
    BlockInfo info_;
    std::vector<SInt16> menus_;
};

struct MenuItem {
    std::string text;
    UInt8 icon = 0, key = 0, mark = 0, style = 0, modifiers = 0;
    bool enabled = true;
};

class MenuBody final : public Body {
public:
    explicit MenuBody(const BlockInfo& info) : info_(info), menuID_(info.id) {}

    void line(const Line& l) override {
        const std::string k = l.keyword();
        if (k == "title") {
            l.expect_size(2, 2, "title \"text\"");
            title_ = checked_text(l, l.string(1));
        } else if (k == "id") {
            l.expect_size(2, 2, "id N");
            menuID_ = SInt16(l.integer(1, -32768, 32767));
        } else if (k == "proc") {
            l.expect_size(2, 2, "proc N");
            procID_ = SInt16(l.integer(1, -32768, 32767));
        } else if (k == "disabled") {
            l.expect_size(1, 1, "disabled");
            menuEnabled_ = false;
        } else if (k == "separator") {
            l.expect_size(1, 1, "separator");
            items_.push_back(MenuItem{"-"});
        } else if (k == "item") {
            items_.push_back(parse_item(l));
        } else {
            l.error("unknown menu line '" + k + "'");
        }
    }

    std::vector<Output> finish() override {
        if (!title_) info_.header->error("a menu needs a 'title' line");
        UInt32 flags = 0xFFFFFFFF;
        if (!menuEnabled_) flags &= ~1u;
        for (size_t i = 0; i < items_.size() && i < 31; ++i)
            if (!items_[i].enabled) flags &= ~(1u << (i + 1));

        ByteWriter w;
        w.s16(menuID_);
        w.s16(0);
        w.s16(0);
        w.s16(procID_);
        w.s16(0);
        w.u32(flags);
        w.pstring(*title_);
        ByteWriter x;
        size_t withModifiers = 0;
        for (size_t i = 0; i < items_.size(); ++i) {
            const MenuItem& item = items_[i];
            w.pstring(item.text);
            w.u8(item.icon);
            w.u8(item.key);
            w.u8(item.mark);
            w.u8(item.style);
            if (item.modifiers) {
                x.u16(UInt16(i + 1));
                x.u8(item.modifiers);
                x.u8(0);
                ++withModifiers;
            }
        }
        w.u8(0);
        std::vector<Output> out{Output{info_.type, info_.id, {}, w.take()}};
        if (withModifiers) {
            ByteWriter xmnu;
            xmnu.u16(0);
            xmnu.u16(UInt16(withModifiers));
            xmnu.bytes(x.bytes().data(), x.size());
            out.push_back(Output{platform::fourcc("xmnu"), info_.id, {}, xmnu.take()});
        }
        return out;
    }

private:
    static std::string checked_text(const Line& l, const std::string& s) {
        if (s.size() > 255) l.error("menu text has at most 255 bytes");
        return s;
    }

    MenuItem parse_item(const Line& l) {
        MenuItem item;
        item.text = checked_text(l, l.string(1));
        if (item.text.empty()) l.error("an item needs text (use 'separator' for a line)");
        for (size_t i = 2; i < l.size(); ++i) {
            const std::string opt = l.word(i);
            if (opt == "key") {
                const Token& t = l.token(++i);
                if (t.text.size() != 1) l.error("'key' takes one character");
                item.key = UInt8(std::toupper(UInt8(t.text[0])));
            } else if (opt == "shift") {
                item.modifiers |= 1;
            } else if (opt == "option") {
                item.modifiers |= 2;
            } else if (opt == "control") {
                item.modifiers |= 4;
            } else if (opt == "nocommand") {
                item.modifiers |= 8;
            } else if (opt == "mark") {
                item.mark = UInt8(l.integer(++i, 0, 255));
            } else if (opt == "icon") {
                item.icon = UInt8(l.integer(++i, 0, 255));
            } else if (opt == "style") {
                item.style = UInt8(l.integer(++i, 0, 127));
            } else if (opt == "disabled") {
                item.enabled = false;
            } else {
                l.error("unknown item option '" + opt + "'");
            }
        }
        if (item.modifiers && !item.key) l.error("modifier keys need a 'key'");
        return item;
    }

    BlockInfo info_;
    SInt16 menuID_;
    SInt16 procID_ = 0;
    bool menuEnabled_ = true;
    std::optional<std::string> title_;
    std::vector<MenuItem> items_;
};

}  // namespace

std::unique_ptr<Body> make_menu_bar_body(const BlockInfo& info) { return std::make_unique<MenuBarBody>(info); }
std::unique_ptr<Body> make_menu_body(const BlockInfo& info) { return std::make_unique<MenuBody>(info); }

}  // namespace rescompile
