// The archive window's table: a list view in report mode with owner data.
// It holds no row; it asks the shell for each cell's text and each row's
// mark as it draws, and turns the user's clicks and keys into the shell's
// events.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "platform/archive_window.h"

namespace sonkrate::platform::win32 {

HWND createArchiveList(HWND parent, HINSTANCE instance, int id);
// The columns, their widths given at 96 DPI scaled to dpi.
void addArchiveColumns(HWND list, const std::vector<TableColumn>& columns, int dpi);
// The columns' widths (as the user left them) from one DPI to another.
void rescaleArchiveColumns(HWND list, int fromDpi, int toDpi);

std::vector<int> selectedListRows(HWND list);
// Exactly these rows selected, focus (-1: none) focused and scrolled into view.
void selectListRows(HWND list, const std::vector<int>& positions, int focus);
// The sort arrow on one header (column -1: on none).
void showSortArrow(HWND list, int column, bool descending);
// The row under a point of the list's client area, or -1.
int listRowAt(HWND list, POINT client);

// The colours a row's mark is drawn in.
struct RowColours {
    COLORREF text;
    COLORREF background;
    bool own;   // false: the list view's own colours
};
RowColours rowColours(RowMark mark);

// What a notification of the list asked of the window.
struct ListOutcome {
    LRESULT result = 0;
    bool selectionMoved = false;
    // A row took the focus; the list took the keyboard.
    int rowFocused = -1;
    bool keyboardTaken = false;
    // A click on a cell (list view column, 0 the empty one) without Shift or
    // Ctrl; a double click; a header click; a key.
    int clickedRow = -1, clickedColumn = -1;
    bool doubleClicked = false;
    bool headerClicked = false;
    bool keyPressed = false;
};
// Handles one WM_NOTIFY of the list: cell texts, row colours, keys, header
// clicks, double clicks and selection changes. cell is the buffer the cell
// texts are made in.
ListOutcome archiveListNotification(const NMHDR& header, ArchiveWindowSink& sink, std::wstring& cell);
// One notification of the list's header, passed on by the list.
LRESULT archiveHeaderNotification(const NMHDR& header);

}  // namespace sonkrate::platform::win32
