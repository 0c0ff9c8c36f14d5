// The file dialogs' list: selection, scrolling and hit testing (FileList.h).
#include "platform/navigation/FileList.h"

#include <algorithm>

#include "platform/dialogs/DialogLook.h"
#include "platform/quickdraw/kit/Rects.h"

namespace platform::navigation {
namespace {

namespace look = dialogs::look;

Rect R(SInt32 left, SInt32 top, SInt32 right, SInt32 bottom) {
    return Rect{SInt16(top), SInt16(left), SInt16(std::max(top, bottom)), SInt16(std::max(left, right))};
}

char lower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

}  // namespace

void FileList::set_frame(const Rect& frame, SInt16 rowHeight) {
    frame_ = frame;
    row_height_ = std::max<SInt16>(rowHeight, 1);
    scroll_to(SInt32(top_));
}

void FileList::set_rows(std::vector<ListRow> rows) {
    rows_ = std::move(rows);
    selected_.reset();
    top_ = 0;
}

void FileList::replace_rows(std::vector<ListRow> rows) {
    std::optional<std::string> name;
    if (selected_) name = rows_[*selected_].name;
    rows_ = std::move(rows);
    selected_ = name ? find_name(*name) : std::nullopt;
    scroll_to(SInt32(top_));
}

Rect FileList::rows_area() const {
    // Inside the 1-pixel border, left of the scroll bar when there is one.
    const SInt32 right = frame_.right - 1 - (has_scroll_bar() ? look::kScrollBarWidth : 0);
    return R(frame_.left + 1, frame_.top + 1, right, frame_.bottom - 1);
}

size_t FileList::visible_rows() const {
    const SInt32 h = frame_.bottom - frame_.top - 2;
    return h > 0 ? size_t(h / row_height_) : 0;
}

size_t FileList::max_top() const {
    const size_t shown = visible_rows();
    return rows_.size() > shown ? rows_.size() - shown : 0;
}

void FileList::scroll_to(SInt32 row) { top_ = size_t(std::clamp<SInt64>(row, 0, SInt64(max_top()))); }

void FileList::select(std::optional<size_t> row) {
    if (row && *row >= rows_.size()) return;
    selected_ = row;
    if (!row) return;
    const size_t shown = std::max<size_t>(visible_rows(), 1);
    if (*row < top_) scroll_to(SInt32(*row));
    else if (*row >= top_ + shown) scroll_to(SInt32(*row + 1 - shown));
}

void FileList::move_selection(SInt32 delta) {
    if (rows_.empty()) return;
    if (!selected_) return select(delta >= 0 ? 0 : rows_.size() - 1);
    const SInt64 to = std::clamp<SInt64>(SInt64(*selected_) + delta, 0, SInt64(rows_.size()) - 1);
    select(size_t(to));
}

std::optional<Rect> FileList::row_rect(size_t row) const {
    if (row < top_ || row >= top_ + visible_rows() || row >= rows_.size()) return std::nullopt;
    const Rect area = rows_area();
    const SInt32 top = area.top + SInt32(row - top_) * row_height_;
    return R(area.left, top, area.right, top + row_height_);
}

Rect FileList::scroll_bar() const {
    if (!has_scroll_bar()) return Rect{};
    return R(frame_.right - 1 - look::kScrollBarWidth, frame_.top + 1, frame_.right - 1, frame_.bottom - 1);
}

Rect FileList::up_arrow() const {
    const Rect b = scroll_bar();
    return R(b.left, b.top, b.right, std::min<SInt32>(b.top + look::kScrollBarWidth, b.bottom));
}

Rect FileList::down_arrow() const {
    const Rect b = scroll_bar();
    return R(b.left, std::max<SInt32>(b.bottom - look::kScrollBarWidth, b.top), b.right, b.bottom);
}

SInt32 FileList::track_length() const { return std::max<SInt32>(0, up_arrow().bottom <= down_arrow().top ? down_arrow().top - up_arrow().bottom : 0); }

SInt32 FileList::thumb_length() const {
    if (rows_.empty()) return 0;
    const SInt32 track = track_length();
    const SInt32 len = SInt32(SInt64(track) * SInt64(visible_rows()) / SInt64(rows_.size()));
    return std::min(track, std::max<SInt32>(len, 12));
}

Rect FileList::thumb() const {
    if (!has_scroll_bar()) return Rect{};
    const Rect b = scroll_bar();
    const SInt32 room = track_length() - thumb_length();
    const size_t most = max_top();
    const SInt32 offset = most ? SInt32(SInt64(room) * SInt64(top_) / SInt64(most)) : 0;
    const SInt32 top = up_arrow().bottom + offset;
    return R(b.left, top, b.right, top + thumb_length());
}

size_t FileList::top_for_thumb_drag(size_t startTop, SInt32 dv) const {
    const SInt32 room = track_length() - thumb_length();
    const size_t most = max_top();
    if (room <= 0 || most == 0) return startTop;
    const SInt64 startOffset = SInt64(room) * SInt64(startTop) / SInt64(most);
    const SInt64 offset = std::clamp<SInt64>(startOffset + dv, 0, room);
    return size_t((offset * SInt64(most) + room / 2) / room);
}

FileList::Hit FileList::hit(Point p) const {
    if (!kit::contains(frame_, p)) return {};
    if (has_scroll_bar() && kit::contains(scroll_bar(), p)) {
        if (kit::contains(up_arrow(), p)) return {Part::LineUp, 0};
        if (kit::contains(down_arrow(), p)) return {Part::LineDown, 0};
        const Rect t = thumb();
        if (p.v < t.top) return {Part::PageUp, 0};
        if (p.v >= t.bottom) return {Part::PageDown, 0};
        return {Part::Thumb, 0};
    }
    const Rect area = rows_area();
    if (!kit::contains(area, p)) return {};
    const size_t row = top_ + size_t((p.v - area.top) / row_height_);
    if (row >= rows_.size() || row >= top_ + visible_rows()) return {};
    return {Part::Row, row};
}

std::optional<size_t> FileList::find_prefix(std::string_view prefix) const {
    if (prefix.empty()) return std::nullopt;
    for (size_t i = 0; i < rows_.size(); ++i) {
        const std::string& n = rows_[i].name;
        if (n.size() < prefix.size()) continue;
        bool same = true;
        for (size_t k = 0; k < prefix.size() && same; ++k) same = lower(n[k]) == lower(prefix[k]);
        if (same) return i;
    }
    return std::nullopt;
}

std::optional<size_t> FileList::find_name(std::string_view name) const {
    for (size_t i = 0; i < rows_.size(); ++i)
        if (rows_[i].name == name) return i;
    return std::nullopt;
}

}  // namespace platform::navigation
