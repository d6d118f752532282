// The archive table's input: clicks, drags and keys select as a desktop
// list does (a click selects one row, Ctrl toggles, Shift extends from the
// anchor); header clicks sort; Enter, Space, Delete, F2 and Esc go to the
// shell; files dropped on the table name the row under the pointer.
#include "platform/fltk/fltk_archive_table.h"

#include <FL/Fl.H>
#include <FL/Fl_Scrollbar.H>

#include <algorithm>

namespace sonkrate::platform::desktop {

namespace {

bool insideShown(const Fl_Widget* w) { return w->visible() && Fl::event_inside(w); }

}  // namespace

int ArchiveTable::handle(int event) {
    // The editor over a cell takes the pointer as any field does.
    if (editing_ && (event == FL_PUSH || event == FL_MOVE) && Fl::event_inside(editor())) return Fl_Group::handle(event);
    switch (event) {
    case FL_FOCUS:
    case FL_UNFOCUS:
        // The table keeps the keyboard itself rather than handing it to a scroll bar.
        redraw();
        return 1;
    case FL_ENTER:
        // The base table would take the keyboard when the pointer enters,
        // away from the filter field being typed in.
        return 1;
    case FL_LEAVE:
        change_cursor(FL_CURSOR_DEFAULT);
        return 1;
    case FL_PUSH: return handlePush();
    case FL_DRAG: return handleDrag();
    case FL_RELEASE: return handleRelease();
    case FL_KEYBOARD: return handleKey();
    case FL_DND_ENTER:
    case FL_DND_DRAG:
    case FL_DND_LEAVE:
    case FL_DND_RELEASE:
    case FL_PASTE: return handleDrop(event);
    default:
        // Scrolling, the wheel and the resize cursor are the base table's;
        // its row selection is not used.
        return Fl_Table::handle(event);
    }
}

ArchiveTable::Snapshot ArchiveTable::snapshot() { return {focus_, selectedRows()}; }

void ArchiveTable::notifyIfChanged(const Snapshot& before) {
    if (before.focus == focus_ && before.selected == selectedRows()) return;
    if (events_.selectionChanged) events_.selectionChanged();
}

int ArchiveTable::handlePush() {
    cancelEditRequest();
    bool hadKeyboard = Fl::focus() == this;
    if (insideShown(vscrollbar) || insideShown(hscrollbar)) return Fl_Table::handle(FL_PUSH);
    int row = 0, column = 0;
    ResizeFlag resize = RESIZE_NONE;
    TableContext context = cursor2rowcol(row, column, resize);
    if (context == CONTEXT_COL_HEADER) {
        if (resize != RESIZE_NONE && Fl::event_clicks() > 0 && Fl::event_button() == FL_LEFT_MOUSE) {
            // A double click on a divider fits the column to the texts in view.
            fitColumn(resize == RESIZE_COL_LEFT ? column - 1 : column);
            Fl::event_clicks(0);
            return 1;
        }
        if (resize != RESIZE_NONE) return Fl_Table::handle(FL_PUSH);
        takeKeyboard();
        pressedHeader_ = Fl::event_button() == FL_LEFT_MOUSE ? column : -1;
        return 1;
    }
    if (context != CONTEXT_CELL && context != CONTEXT_TABLE) return Fl_Table::handle(FL_PUSH);
    takeKeyboard();
    Snapshot before = snapshot();
    bool onFocusedRow = hadKeyboard && row == focus_ && context == CONTEXT_CELL && row_selected(row) == 1;
    bool ctrl = Fl::event_state(FL_CTRL) != 0, shift = Fl::event_state(FL_SHIFT) != 0;
    if (context == CONTEXT_TABLE) {
        // A click below the rows clears the selection, as in a file manager.
        if (!ctrl && !shift) select_all_rows(0);
        notifyIfChanged(before);
        return 1;
    }
    if (Fl::event_button() != FL_LEFT_MOUSE) {
        // Another button selects the row it is on when it was not selected.
        if (row_selected(row) != 1) moveFocus(row, false, false);
    } else if (shift) {
        focus_ = row;
        if (anchor_ < 0) anchor_ = row;
        selectRange(anchor_, row, ctrl);
        redraw();
    } else if (ctrl) {
        select_row(row, 2);
        focus_ = anchor_ = row;
        redraw();
    } else {
        moveFocus(row, false, false);
        dragSelecting_ = true;
    }
    notifyIfChanged(before);
    bool plainLeft = Fl::event_button() == FL_LEFT_MOUSE && !ctrl && !shift;
    if (plainLeft && Fl::event_clicks() > 0 && events_.activated) {
        Fl::event_clicks(0);  // a third click starts a new double click
        events_.activated(row);
    } else if (plainLeft && onFocusedRow) {
        scheduleEditRequest(row, column);
    }
    return 1;
}

int ArchiveTable::handleDrag() {
    if (is_interactive_resize()) return Fl_Table::handle(FL_DRAG);
    if (!dragSelecting_ || rows() == 0) return 1;
    int row = 0, column = 0;
    ResizeFlag resize = RESIZE_NONE;
    if (cursor2rowcol(row, column, resize) != CONTEXT_CELL) {
        // Above or below the rows in view the selection runs on, a row per move.
        if (Fl::event_y() < tiy)
            row = focus_ - 1;
        else if (Fl::event_y() >= tiy + tih)
            row = focus_ + 1;
        else
            return 1;
        row = std::clamp(row, 0, rows() - 1);
    }
    if (row == focus_) return 1;
    cancelEditRequest();
    Snapshot before = snapshot();
    focus_ = row;
    selectRange(anchor_, row, false);
    scrollIntoView(row);
    redraw();
    notifyIfChanged(before);
    return 1;
}

int ArchiveTable::handleRelease() {
    dragSelecting_ = false;
    if (is_interactive_resize()) return Fl_Table::handle(FL_RELEASE);
    int header = pressedHeader_;
    pressedHeader_ = -1;
    if (header < 0) return Fl_Table::handle(FL_RELEASE);
    int row = 0, column = 0;
    ResizeFlag resize = RESIZE_NONE;
    if (cursor2rowcol(row, column, resize) == CONTEXT_COL_HEADER && column == header && events_.headerClick)
        events_.headerClick(column);
    return 1;
}

int ArchiveTable::handleKey() {
    cancelEditRequest();
    int key = Fl::event_key();
    bool ctrl = Fl::event_state(FL_CTRL) != 0, shift = Fl::event_state(FL_SHIFT) != 0;
    if (Fl::event_state(FL_ALT | FL_META)) return 0;
    int page = visibleRows() - 1 > 0 ? visibleRows() - 1 : 1;
    int from = focus_ >= 0 ? focus_ : -1;
    int target = -2;
    switch (key) {
    case FL_Up: target = from < 0 ? 0 : from - 1; break;
    case FL_Down: target = from + 1; break;
    case FL_Page_Up: target = from < 0 ? 0 : from - page; break;
    case FL_Page_Down: target = from < 0 ? page : from + page; break;
    case FL_Home: target = 0; break;
    case FL_End: target = rows() - 1; break;
    case FL_Enter:
    case FL_KP_Enter:
        if (events_.key) events_.key(ArchiveKey::Enter);
        return 1;
    case ' ':
        if (!ctrl) {
            if (events_.key) events_.key(ArchiveKey::Space);
        } else if (focus_ >= 0) {
            // Ctrl+Space toggles the focused row, as in a desktop list.
            select_row(focus_, 2);
            anchor_ = focus_;
            if (events_.selectionChanged) events_.selectionChanged();
        }
        return 1;
    case FL_Delete: if (events_.key) events_.key(ArchiveKey::Delete); return 1;
    case FL_F + 2: if (events_.key) events_.key(ArchiveKey::F2); return 1;
    case FL_Escape: if (events_.key) events_.key(ArchiveKey::Escape); return 1;
    default: return 0;  // Tab moves on; other keys may be the menu's accelerators
    }
    if (rows() == 0) return 1;
    Snapshot before = snapshot();
    moveFocus(target, shift, ctrl && !shift);
    notifyIfChanged(before);
    return 1;
}

int ArchiveTable::handleDrop(int event) {
    switch (event) {
    case FL_DND_RELEASE: {
        int row = 0, column = 0;
        ResizeFlag resize = RESIZE_NONE;
        dropRow_ = cursor2rowcol(row, column, resize) == CONTEXT_CELL ? row : -1;
        dropPending_ = true;
        return 1;
    }
    case FL_PASTE:
        // The paste that follows a release the table took is the drop's text.
        if (!dropPending_) return 0;
        dropPending_ = false;
        if (events_.dropped && Fl::event_text()) events_.dropped(dropRow_, std::string(Fl::event_text(), Fl::event_length()));
        return 1;
    default: return 1;  // enter, drag and leave: the table takes drops everywhere on it
    }
}

}  // namespace sonkrate::platform::desktop
