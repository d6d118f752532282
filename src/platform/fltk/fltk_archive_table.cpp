// The archive window's table: drawing of headers and cells (asked for as
// drawn), and the selection, keys and drops of a desktop list.
#include "platform/fltk/fltk_archive_table.h"
#include "platform/fltk/fltk_archive_look.h"

#include <FL/Fl.H>
#include <FL/Fl_Scrollbar.H>
#include <FL/fl_draw.H>

#include <algorithm>
#include <utility>

namespace sonkrate::platform::desktop {

ArchiveTable::ArchiveTable(int x, int y, int w, int h, std::vector<TableColumn> columns, Events events)
    : Fl_Table_Row(x, y, w, h), columns_(std::move(columns)), events_(std::move(events)) {
    box(FL_THIN_DOWN_FRAME);
    color(FL_WHITE);
    type(SELECT_MULTI);
    rows(0);
    cols(static_cast<int>(columns_.size()));
    col_header(1);
    col_header_height(kHeaderHeight);
    col_resize(1);
    col_resize_min(16);
    row_header(0);
    row_resize(0);
    row_height_all(rowHeight_);
    for (std::size_t c = 0; c < columns_.size(); ++c) col_width(static_cast<int>(c), std::max(columns_[c].width, 16));
    // The scroll bars scroll; the table itself keeps the keyboard.
    for (Fl_Scrollbar* bar : {vscrollbar, hscrollbar}) {
        bar->clear_visible_focus();
        bar->box(FL_FLAT_BOX);
        bar->color(kWindowBackground);
        bar->slider(FL_GTK_THIN_UP_BOX);
    }
    buildEditor();
}

void ArchiveTable::rowCount(int n) {
    // New rows take the height of the last row, or the base table's default
    // when there is none; setting each row's height would cost a pass over
    // all rows per row.
    if (n > 0 && rows() == 0) {
        rows(1);
        row_height(0, rowHeight_);
    }
    // Positions now name other rows: an open editor goes without a word.
    if (n != rows()) {
        cancelEditRequest();
        endEdit(false, false);
    }
    rows(std::max(n, 0));
    // A turn of the wheel moves three rows, as in other desktop lists.
    vscrollbar->linesize(3 * rowHeight_);
    if (focus_ >= rows()) focus_ = -1;
    if (anchor_ >= rows()) anchor_ = focus_;
    redraw();
}

std::vector<int> ArchiveTable::selectedRows() {
    std::vector<int> out;
    for (int r = 0, n = rows(); r < n; ++r)
        if (row_selected(r) == 1) out.push_back(r);
    return out;
}

void ArchiveTable::selectRows(const std::vector<int>& positions, int focus) {
    cancelEditRequest();
    select_all_rows(0);
    for (int p : positions) select_row(p, 1);
    focus_ = focus >= 0 && focus < rows() ? focus : -1;
    anchor_ = focus_;
    if (focus_ >= 0) scrollIntoView(focus_);
    redraw();
}

void ArchiveTable::sortIndicator(int column, bool descending) {
    cancelEditRequest();
    endEdit(false, false);
    sortColumn_ = column;
    descending_ = descending;
    redraw();
}

void ArchiveTable::headerCell(int column, int& x, int& y, int& w, int& h) {
    x = tix - hscrollbar->value() + static_cast<int>(col_scroll_position(column));
    y = wiy;
    w = col_width(column);
    h = col_header_height();
}

void ArchiveTable::dataArea(int& x, int& y, int& w, int& h) const {
    x = tix;
    y = tiy;
    w = tiw;
    h = tih;
}

int ArchiveTable::visibleRows() const { return std::max(1, tih / rowHeight_); }

void ArchiveTable::scrollIntoView(int row) {
    long top = row_scroll_position(row);
    long view = vscrollbar->value();
    if (top < view)
        row_position(row);
    else if (top + rowHeight_ > view + tih)
        row_position(std::max(0, row - visibleRows() + 1));
}

void ArchiveTable::fitColumn(int column) {
    if (column < 0 || column >= cols()) return;
    fl_font(kTableFont, kTableFontSize);
    const TableColumn& c = columns_[static_cast<std::size_t>(column)];
    int widest = static_cast<int>(fl_width(std::string(c.title).c_str())) + (column == sortColumn_ ? 14 : 0);
    if (events_.cellText)
        for (int r = std::max(toprow, 0); r <= botrow && r < rows(); ++r)
            widest = std::max(widest, static_cast<int>(fl_width(events_.cellText(r, column).c_str())));
    col_width(column, std::max(widest + 12, 24));
    redraw();
}

// ---- Drawing ---------------------------------------------------------------------------

void ArchiveTable::draw_cell(TableContext context, int row, int column, int x, int y, int w, int h) {
    switch (context) {
    case CONTEXT_STARTPAGE: fl_font(kTableFont, kTableFontSize); break;
    case CONTEXT_COL_HEADER: drawHeader(column, x, y, w, h); break;
    case CONTEXT_CELL: drawCell(row, column, x, y, w, h); break;
    default: break;
    }
}

void ArchiveTable::drawHeader(int column, int x, int y, int w, int h) {
    fl_push_clip(x, y, w, h);
    fl_color(kHeaderBackground);
    fl_rectf(x, y, w, h);
    fl_color(kGridLine);
    fl_xyline(x, y + h - 1, x + w - 1);
    fl_yxline(x + w - 1, y + 4, y + h - 5);
    bool sorted = column == sortColumn_;
    int arrowRoom = sorted ? 14 : 0;
    const TableColumn& c = columns_[static_cast<std::size_t>(column)];
    fl_font(kTableFont, kTableFontSize);
    fl_color(FL_BLACK);
    std::string title = fitText(std::string(c.title), w - 10 - arrowRoom);
    fl_draw(title.c_str(), x + 5, y, w - 10 - arrowRoom, h, c.alignRight ? FL_ALIGN_RIGHT : FL_ALIGN_LEFT);
    if (sorted) {
        int ax = x + w - 13, ay = y + h / 2;
        fl_color(kSortArrow);
        if (descending_)
            fl_polygon(ax, ay - 2, ax + 8, ay - 2, ax + 4, ay + 3);
        else
            fl_polygon(ax, ay + 3, ax + 8, ay + 3, ax + 4, ay - 2);
    }
    fl_pop_clip();
}

void ArchiveTable::drawCell(int row, int column, int x, int y, int w, int h) {
    RowMark mark = events_.rowMark ? events_.rowMark(row) : kNoMark;
    // The editor draws the cell it lies over.
    if (editing_ && row == editRow_ && column == editColumn_) return;
    bool selected = row_selected(row) == 1;
    bool focused = Fl::focus() == this || (editing_ && Fl::focus() == editor());
    RowLook look = rowLook(mark, selected, focused, row % 2 == 1);
    fl_push_clip(x, y, w, h);
    fl_color(look.background);
    fl_rectf(x, y, w, h);
    if (column == 0 && mark != kNoMark) {
        fl_color(look.stripe);
        fl_rectf(x, y, 4, h);
    }
    const TableColumn& c = columns_[static_cast<std::size_t>(column)];
    std::string text = events_.cellText ? fitText(events_.cellText(row, column), w - 10) : std::string();
    fl_font(kTableFont, kTableFontSize);
    fl_color(look.text);
    fl_draw(text.c_str(), x + 5, y, w - 10, h, c.alignRight ? FL_ALIGN_RIGHT : FL_ALIGN_LEFT);
    if (mark == RowMark::Removed && !text.empty()) {
        int tw = static_cast<int>(fl_width(text.c_str()));
        int tx = c.alignRight ? x + w - 5 - tw : x + 5;
        fl_xyline(tx, y + h / 2, tx + tw);
    }
    if (row == focus_ && focused) {
        fl_color(look.text);
        fl_line_style(FL_DOT);
        fl_xyline(x, y, x + w - 1);
        fl_xyline(x, y + h - 1, x + w - 1);
        if (column == 0) fl_yxline(x, y, y + h - 1);
        if (column == cols() - 1) fl_yxline(x + w - 1, y, y + h - 1);
        fl_line_style(0);
    }
    fl_pop_clip();
}

// ---- Selection ---------------------------------------------------------------------------

void ArchiveTable::selectRange(int from, int to, bool keep) {
    if (from > to) std::swap(from, to);
    if (!keep) {
        for (int r = 0, n = rows(); r < n; ++r)
            if (r < from || r > to) select_row(r, 0);
    }
    for (int r = std::max(from, 0); r <= to; ++r) select_row(r, 1);
}

void ArchiveTable::moveFocus(int row, bool extend, bool keep) {
    if (rows() == 0) return;
    row = std::clamp(row, 0, rows() - 1);
    focus_ = row;
    if (extend && anchor_ >= 0) {
        selectRange(anchor_, row, keep);
    } else if (!keep) {
        selectRange(row, row, false);
        anchor_ = row;
    }
    scrollIntoView(row);
    redraw();
}

}  // namespace sonkrate::platform::desktop
