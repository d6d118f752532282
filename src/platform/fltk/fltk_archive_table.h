// The archive window's table: an FLTK row table whose cells are asked for
// as they are drawn (virtual rows), with sortable, resizable column headers,
// the selection of a desktop list (click, Ctrl and Shift clicks, arrows and
// Shift+arrows, a focused row), row marks, files dropped on a row, and an
// in-place editor over one cell, opened on the shell's word after F2 or a
// slow second click on the focused row.
#pragma once

#include <FL/Fl_Table_Row.H>

#include <functional>
#include <string>
#include <vector>

#include "platform/archive_window.h"

namespace sonkrate::platform::desktop {

class CellEditor;

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
        std::function<void(int position, int column)> editRequest;
        std::function<void(int position, int column, const std::string& text)> cellEdited;
        std::function<void()> editorTyped;  // the editor's text changed
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

    // The in-place editor over a cell, its text selected; the cell is
    // scrolled into view first. A position or column out of range opens nothing.
    void editCell(int row, int column, const std::string& text);
    // Closes the editor: confirmed, the text goes to cellEdited. With
    // keyboardBack the table takes the keyboard the editor had.
    void endEdit(bool confirm, bool keyboardBack);
    bool editing() const { return editing_; }
    int editRow() const { return editRow_; }
    int editColumn() const { return editColumn_; }
    const Fl_Widget* editor() const;
    std::string editText() const;
    // Takes the keyboard from the filter or the editor, the edit confirmed.
    void takeKeyboard();

    int handle(int event) override;
    void draw() override;

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
    // In-place editing (fltk_archive_table_edit.cpp).
    void buildEditor();
    void placeEditor();
    void scrollColumnIntoView(int column);
    // A click on the focused row of a table that had the keyboard: after a
    // double click's time with no second click, the shell is asked to edit.
    void scheduleEditRequest(int row, int column);
    void cancelEditRequest();
    static void editRequestDue(void* data);
    static void editOutOfView(void* data);

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
    CellEditor* editor_ = nullptr;
    bool editing_ = false;
    int editRow_ = -1, editColumn_ = -1;
    int requestRow_ = -1, requestColumn_ = -1;
};

}  // namespace sonkrate::platform::desktop
