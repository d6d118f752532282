// Editing in the Windows archive window's table: the notifications of the
// list, the slow second click that asks to edit a cell, and the in-place
// editor's keys, its end and what closes it (scrolling, a header, a command).
#include <windows.h>
#include <commctrl.h>

#include "platform/win32/win32_archive_list.h"
#include "platform/win32/win32_archive_window.h"
#include "platform/win32/win32_text.h"

namespace sonkrate::platform::win32 {

LRESULT Win32ArchiveWindow::listNotification(const NMHDR& header) {
    // A sort reorders the rows under the editor.
    if (header.code == LVN_COLUMNCLICK) endCellEdit(true);
    const ListOutcome outcome = archiveListNotification(header, sink_, cellText_);
    if (outcome.selectionMoved && !quiet_) selectionMoved();
    if (outcome.rowFocused >= 0 || outcome.keyboardTaken) calmSince_ = GetTickCount();
    if (outcome.doubleClicked || outcome.keyPressed) {
        dropEditRequest();
        calmSince_ = GetTickCount();
    }
    if (outcome.clickedRow >= 0) cellClicked(outcome.clickedRow, outcome.clickedColumn);
    return outcome.result;
}

void Win32ArchiveWindow::cellClicked(int row, int listColumn) {
    // Only the second click on a row that has long had the focus (and the
    // list the keyboard): a first click selects, a double click plays.
    if (listColumn < 1 || row != focusedRow()) return;
    if (GetTickCount() - calmSince_ <= GetDoubleClickTime()) return;
    requestRow_ = row;
    requestColumn_ = listColumn - 1;
    // Told once no double click has followed.
    SetTimer(window_, kEditRequestTimer, GetDoubleClickTime(), nullptr);
}

void Win32ArchiveWindow::editRequestDue() {
    const int row = requestRow_, column = requestColumn_;
    dropEditRequest();
    if (row < 0 || row != focusedRow() || GetFocus() != child(kArchiveList)) return;
    calmSince_ = GetTickCount();
    sink_.onArchiveEditRequest(row, column);
}

void Win32ArchiveWindow::dropEditRequest() {
    if (requestRow_ >= 0 && window_) KillTimer(window_, kEditRequestTimer);
    requestRow_ = requestColumn_ = -1;
}

void Win32ArchiveWindow::endCellEdit(bool keep) {
    std::optional<EditedCell> edited = cellEditor_.close(keep);
    if (edited && !dying_) sink_.onArchiveCellEdited(edited->position, edited->column, edited->text);
}

void Win32ArchiveWindow::editCell(int position, int column, const std::string& text) {
    if (!window_ || !IsWindowVisible(window_)) return;
    endCellEdit(true);
    dropEditRequest();
    cellEditor_.open(child(kArchiveList), position, column, shownWide(text), &Win32ArchiveWindow::editorProcedure,
                     reinterpret_cast<DWORD_PTR>(this));
}

LRESULT CALLBACK Win32ArchiveWindow::editorProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                                     DWORD_PTR self) {
    auto* window = reinterpret_cast<Win32ArchiveWindow*>(self);
    const bool current = !window->dying_ && hwnd == window->cellEditor();
    switch (message) {
    case WM_KEYDOWN:
        if (current && (wParam == VK_RETURN || wParam == VK_ESCAPE)) {
            window->endCellEdit(wParam == VK_RETURN);
            return 0;
        }
        break;
    case WM_CHAR:
        // Enter and Esc as characters would beep; Ctrl+A selects the whole text.
        if (wParam == VK_RETURN || wParam == VK_ESCAPE) return 0;
        if (wParam == 1) {
            SendMessageW(hwnd, EM_SETSEL, 0, -1);
            return 0;
        }
        break;
    case WM_KILLFOCUS:
        // Kept once the focus has settled elsewhere: a box the shell may show
        // must not fight over the focus while it moves.
        if (current) PostMessageW(window->window_, kEndCellEditMessage, window->cellEditor_.generation(), 0);
        break;
    case WM_NCDESTROY: RemoveWindowSubclass(hwnd, &Win32ArchiveWindow::editorProcedure, 1); break;
    default: break;
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK Win32ArchiveWindow::listProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                                   DWORD_PTR self) {
    auto* window = reinterpret_cast<Win32ArchiveWindow*>(self);
    switch (message) {
    case WM_VSCROLL:
    case WM_HSCROLL:
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL:
        // Scrolling takes the cell from under the editor.
        if (!window->dying_) window->endCellEdit(true);
        break;
    case WM_NCDESTROY: RemoveWindowSubclass(hwnd, &Win32ArchiveWindow::listProcedure, 1); break;
    default: break;
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

}  // namespace sonkrate::platform::win32
