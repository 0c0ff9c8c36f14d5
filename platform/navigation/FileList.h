// FileList.h — the list of a file dialog, as behaviour only: rows, the
// selected row, scrolling, what a point hits (rows, the scroll bar's
// arrows, track and thumb) and type-to-select. Drawing is in
// FileListView.cpp; nothing here draws.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Types.h"

namespace platform::navigation {

struct ListRow {
    std::string name;       // UTF-8
    bool folder = false;
    bool dimmed = false;    // shown but not something the dialog can choose
    bool operator==(const ListRow&) const = default;
};

class FileList {
public:
    // The list's rectangle (local), its border included, and the height of a row.
    void set_frame(const Rect& frame, SInt16 rowHeight);
    const Rect& frame() const { return frame_; }

    // New rows: nothing selected, scrolled to the top.
    void set_rows(std::vector<ListRow> rows);
    // The same folder's rows again, after files came or went: the row of
    // the selected name stays selected (nothing when it is gone) and the
    // list stays scrolled where it was, as far as the rows still go.
    void replace_rows(std::vector<ListRow> rows);
    const std::vector<ListRow>& rows() const { return rows_; }

    std::optional<size_t> selected() const { return selected_; }
    // Selects a row (nothing for an index out of range) and scrolls it into view.
    void select(std::optional<size_t> row);
    // Moves the selection by `delta` rows (the first or last row when
    // nothing is selected), stopping at the ends.
    void move_selection(SInt32 delta);

    size_t top() const { return top_; }
    // Scrolls so that `row` is the first shown, as far as the rows go.
    void scroll_to(SInt32 row);
    size_t visible_rows() const;
    bool has_scroll_bar() const { return rows_.size() > visible_rows(); }

    enum class Part { None, Row, LineUp, LineDown, PageUp, PageDown, Thumb };
    struct Hit {
        Part part = Part::None;
        size_t row = 0;   // Part::Row
    };
    Hit hit(Point local) const;

    // Geometry (local): where rows go, a row's rectangle (shown rows only),
    // the scroll bar, its arrows and thumb.
    Rect rows_area() const;
    std::optional<Rect> row_rect(size_t row) const;
    Rect scroll_bar() const;
    Rect up_arrow() const;
    Rect down_arrow() const;
    Rect thumb() const;
    // The first row for the thumb dragged by dv pixels from where it started
    // at top row `startTop`.
    size_t top_for_thumb_drag(size_t startTop, SInt32 dv) const;

    // The first row whose name starts with `prefix`, ignoring ASCII case.
    std::optional<size_t> find_prefix(std::string_view prefix) const;
    // The row with exactly that name.
    std::optional<size_t> find_name(std::string_view name) const;

private:
    SInt32 track_length() const;   // scroll bar between the arrows
    SInt32 thumb_length() const;
    size_t max_top() const;

    Rect frame_{};
    SInt16 row_height_ = 18;
    std::vector<ListRow> rows_;
    std::optional<size_t> selected_;
    size_t top_ = 0;
};

}  // namespace platform::navigation
