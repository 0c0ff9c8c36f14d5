/*
 * Dialogs, item lists, alerts and string lists. Rectangles are four s16:
 * top, left, bottom, right (global coordinates for windows, local ones for
 * items).
 *
 * 'DLOG':
 *     0  rect     bounds
 *     8  s16      window definition ID (dBoxProc 1, movableDBoxProc 5, ...)
 *    10  u8       visible (1) or not (0)         11  u8  filler (0)
 *    12  u8       close box (1) or not (0)       13  u8  filler (0)
 *    14  u32      reference constant
 *    18  s16      ID of the 'DITL'
 *    20  pstring  title, then a 0 byte if needed to make the size even
 *
 * 'DITL':
 *     0  u16  number of items - 1
 *     per item:
 *        u32   reserved (0; a handle in memory on the original system)
 *        rect  display rectangle
 *        u8    type: userItem 0, button 4, checkbox 5, radio button 6,
 *              control 7, static text 8, editable text 16, icon 32,
 *              picture 64; + itemDisable 128
 *        u8    length of the data
 *        data  the text, or an s16 resource ID for control, icon and
 *              picture items, or nothing for user items; padded with a 0
 *              byte to an even length
 *
 * 'ALRT':
 *     0  rect  bounds
 *     8  s16   ID of the 'DITL'
 *    10  u16   stages: four 4-bit stage descriptions, stage 4 in the high
 *              nibble (bit 3 the default item is 2 rather than 1, bit 2 the
 *              box is drawn, bits 0-1 the number of beeps)
 *
 * 'STR#':
 *     0  u16  number of strings, then each as a pstring
 */
#include "Body.h"
#include "platform/core/Bytes.h"

namespace rescompile {
namespace {

using platform::ByteWriter;

struct Rect4 {
    SInt16 top = 0, left = 0, bottom = 0, right = 0;
};

Rect4 parse_rect(const Line& l, size_t at) {
    Rect4 r;
    r.top = SInt16(l.integer(at, -32768, 32767));
    r.left = SInt16(l.integer(at + 1, -32768, 32767));
    r.bottom = SInt16(l.integer(at + 2, -32768, 32767));
    r.right = SInt16(l.integer(at + 3, -32768, 32767));
    if (r.bottom < r.top || r.right < r.left) l.error("a rectangle is top left bottom right, with bottom >= top and right >= left");
    return r;
}

void write_rect(ByteWriter& w, const Rect4& r) {
    w.s16(r.top);
    w.s16(r.left);
    w.s16(r.bottom);
    w.s16(r.right);
}

std::string short_text(const Line& l, size_t at) {
    std::string s = l.string(at);
    if (s.size() > 255) l.error("text has at most 255 bytes");
    return s;
}

const std::vector<NamedValue> kWindowProcs = {
    {"documentProc", 0}, {"dBoxProc", 1},      {"plainDBoxProc", 2},
    {"altDBoxProc", 3},  {"noGrowDocProc", 4}, {"movableDBoxProc", 5},
};

class DialogBody final : public Body {
public:
    explicit DialogBody(const BlockInfo& info) : info_(info), items_(info.id) {}

    void line(const Line& l) override {
        const std::string k = l.keyword();
        if (k == "bounds") {
            l.expect_size(5, 5, "bounds top left bottom right");
            bounds_ = parse_rect(l, 1);
        } else if (k == "proc") {
            l.expect_size(2, 2, "proc N");
            proc_ = SInt16(l.integer(1, -32768, 32767, kWindowProcs));
        } else if (k == "visible" || k == "invisible") {
            l.expect_size(1, 1, k.c_str());
            visible_ = k == "visible";
        } else if (k == "goaway") {
            l.expect_size(1, 1, "goaway");
            goAway_ = true;
        } else if (k == "refcon") {
            l.expect_size(2, 2, "refcon N");
            refCon_ = UInt32(l.integer(1, -0x80000000LL, 0xFFFFFFFFLL));
        } else if (k == "items") {
            l.expect_size(2, 2, "items ID");
            items_ = SInt16(l.integer(1, -32768, 32767));
        } else if (k == "title") {
            l.expect_size(2, 2, "title \"text\"");
            title_ = short_text(l, 1);
        } else {
            l.error("unknown dialog line '" + k + "'");
        }
    }

    std::vector<Output> finish() override {
        if (!bounds_) info_.header->error("a dialog needs 'bounds'");
        ByteWriter w;
        write_rect(w, *bounds_);
        w.s16(proc_);
        w.u8(visible_ ? 1 : 0);
        w.u8(0);
        w.u8(goAway_ ? 1 : 0);
        w.u8(0);
        w.u32(refCon_);
        w.s16(items_);
        w.pstring(title_);
        w.align(2);
        return {Output{info_.type, info_.id, {}, w.take()}};
    }

private:
    BlockInfo info_;
    std::optional<Rect4> bounds_;
    SInt16 proc_ = 1;
    bool visible_ = true;
    bool goAway_ = false;
    UInt32 refCon_ = 0;
    SInt16 items_;
    std::string title_;
};

class ItemListBody final : public Body {
public:
    explicit ItemListBody(const BlockInfo& info) : info_(info) {}

    void line(const Line& l) override {
        struct Kind {
            const char* word;
            UInt8 type;
            enum { Text, Id, None } data;
        };
        static const Kind kinds[] = {
            {"button", 4, Kind::Text},  {"checkbox", 5, Kind::Text}, {"radio", 6, Kind::Text},
            {"static", 8, Kind::Text},  {"edit", 16, Kind::Text},    {"user", 0, Kind::None},
            {"control", 7, Kind::Id},   {"icon", 32, Kind::Id},      {"picture", 64, Kind::Id},
        };
        const std::string k = l.keyword();
        for (const Kind& kind : kinds) {
            if (k != kind.word) continue;
            const size_t rectAt = kind.data == Kind::None ? 1 : 2;
            l.expect_size(rectAt + 4, rectAt + 5, kind.data == Kind::Text   ? "KIND \"text\" top left bottom right [disabled]"
                                                  : kind.data == Kind::Id ? "KIND ID top left bottom right [disabled]"
                                                                          : "user top left bottom right [disabled]");
            ByteWriter w;
            w.u32(0);
            write_rect(w, parse_rect(l, rectAt));
            UInt8 type = kind.type;
            if (l.size() == rectAt + 5) {
                if (!l.is_word(rectAt + 4, "disabled")) l.error("expected 'disabled' after the rectangle");
                type |= 128;
            }
            w.u8(type);
            if (kind.data == Kind::Text) {
                std::string text = short_text(l, 1);
                w.u8(UInt8(text.size()));
                w.bytes(text.data(), text.size());
            } else if (kind.data == Kind::Id) {
                w.u8(2);
                w.s16(SInt16(l.integer(1, -32768, 32767)));
            } else {
                w.u8(0);
            }
            w.align(2);
            items_.push_back(w.take());
            return;
        }
        l.error("unknown item kind '" + k + "'");
    }

    std::vector<Output> finish() override {
        if (items_.empty()) info_.header->error("an item list needs at least one item");
        if (items_.size() > 0x8000) info_.header->error("too many items");
        ByteWriter w;
        w.u16(UInt16(items_.size() - 1));
        for (const auto& item : items_) w.bytes(item.data(), item.size());
        return {Output{info_.type, info_.id, {}, w.take()}};
    }

private:
    BlockInfo info_;
    std::vector<std::vector<UInt8>> items_;
};

class AlertBody final : public Body {
public:
    explicit AlertBody(const BlockInfo& info) : info_(info), items_(info.id) {}

    void line(const Line& l) override {
        const std::string k = l.keyword();
        if (k == "bounds") {
            l.expect_size(5, 5, "bounds top left bottom right");
            bounds_ = parse_rect(l, 1);
        } else if (k == "items") {
            l.expect_size(2, 2, "items ID");
            items_ = SInt16(l.integer(1, -32768, 32767));
        } else if (k == "stages") {
            l.expect_size(2, 2, "stages N");
            stages_ = UInt16(l.integer(1, 0, 0xFFFF));
        } else {
            l.error("unknown alert line '" + k + "'");
        }
    }

    std::vector<Output> finish() override {
        if (!bounds_) info_.header->error("an alert needs 'bounds'");
        ByteWriter w;
        write_rect(w, *bounds_);
        w.s16(items_);
        w.u16(stages_);
        return {Output{info_.type, info_.id, {}, w.take()}};
    }

private:
    BlockInfo info_;
    std::optional<Rect4> bounds_;
    SInt16 items_;
    UInt16 stages_ = 0x5555;   // every stage: box drawn, one beep, item 1 the default
};

class StringListBody final : public Body {
public:
    explicit StringListBody(const BlockInfo& info) : info_(info) {}
    void line(const Line& l) override {
        if (l.keyword() != "string") l.error("a string list holds 'string \"text\"' lines");
        l.expect_size(2, 2, "string \"text\"");
        strings_.push_back(short_text(l, 1));
        if (strings_.size() > 0xFFFF) l.error("too many strings");
    }
    std::vector<Output> finish() override {
        ByteWriter w;
        w.u16(UInt16(strings_.size()));
        for (const auto& s : strings_) w.pstring(s);
        return {Output{info_.type, info_.id, {}, w.take()}};
    }

private:
    BlockInfo info_;
    std::vector<std::string> strings_;
};

}  // namespace

std::unique_ptr<Body> make_dialog_body(const BlockInfo& info) { return std::make_unique<DialogBody>(info); }
std::unique_ptr<Body> make_item_list_body(const BlockInfo& info) { return std::make_unique<ItemListBody>(info); }
std::unique_ptr<Body> make_alert_body(const BlockInfo& info) { return std::make_unique<AlertBody>(info); }
std::unique_ptr<Body> make_string_list_body(const BlockInfo& info) {
    return std::make_unique<StringListBody>(info);
}

}  // namespace rescompile
