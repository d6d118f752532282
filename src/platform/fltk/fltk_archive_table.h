// The archive window's table: an FLTK row table whose cells are asked for
// as they are drawn (virtual rows), with sortable, resizable column headers,
// the selection of a desktop list (click, Ctrl and Shift clicks, arrows and
// Shift+arrows, a focused row), row marks and files dropped on a row.
#pragma once

#include <FL/Fl_Table_Row.H>

#include <functional>
#include <string>
#include <vector>

#include "platform/archive_window.h"

namespace sonkrate::platform::desktop {

class ArchiveTable : public Fl_Table_Row {
public:
    struct Events {
        std::function<std::string(int position, int column)> cellText;
        std::function<RowMark(int position)> rowMark;
        std::function<void(ArchiveKey)> key;
        std::function<void(int column)> headerClick;
        std::function<void()> selectionChanged;
        std::function<void(int position)> activated;
        std::function<void(int position, const std::string& dropText)> dropped;
    };

    ArchiveTable(int x, int y, int w, int h, std::vector<TableColumn> columns, Events events);

    const std::vector<TableColumn>& columns() const { return columns_; }
    void rowCount(int rows);
    std::vector<int> selectedRows();
    int focusedRow() const { return focus_; }
    // Selects exactly these rows and focuses one (-1: none), scrolled into view.
    void selectRows(const std::vector<int>& positions, int focus);
    void sortIndicator(int column, bool descending);
    int sortColumn() const { return sortColumn_; }
    // The header cell of a column, in window pixels.
    void headerCell(int column, int& x, int& y, int& w, int& h);
    // The data area (below the headers, inside the scroll bars), in window pixels.
    void dataArea(int& x, int& y, int& w, int& h) const;
    int rowHeight() const { return rowHeight_; }
    int topRow() const { return toprow; }

    int handle(int event) override;

protected:
    void draw_cell(TableContext context, int row, int column, int x, int y, int w, int h) override;

private:
    void drawHeader(int column, int x, int y, int w, int h);
    void drawCell(int row, int column, int x, int y, int w, int h);
    struct Snapshot {
        int focus;
        std::vector<int> selected;
    };
    Snapshot snapshot();
    // Tells the shell when the focus or the selection differs from before.
    void notifyIfChanged(const Snapshot& before);
    int handlePush();
    int handleDrag();
    int handleRelease();
    int handleKey();
    int handleDrop(int event);
    // Moves the focus to row; with extend the selection runs from the anchor
    // to it, with keep the selection stays; otherwise only the row is selected.
    void moveFocus(int row, bool extend, bool keep);
    void selectRange(int from, int to, bool keep);
    void scrollIntoView(int row);
    // Widens or narrows a column to its title and the cells of the rows in view.
    void fitColumn(int column);
    int visibleRows() const;

    std::vector<TableColumn> columns_;
    Events events_;
    int rowHeight_ = 22;
    int focus_ = -1;
    int anchor_ = -1;
    int sortColumn_ = -1;
    bool descending_ = false;
    int pressedHeader_ = -1;   // the header cell a press began on
    bool dragSelecting_ = false;
    bool dropPending_ = false; // a drop's release was taken: the next paste is its text
    int dropRow_ = -1;
};

}  // namespace sonkrate::platform::desktop
