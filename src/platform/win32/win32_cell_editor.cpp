#include "platform/win32/win32_cell_editor.h"

#include <commctrl.h>

#include <algorithm>

#include "platform/win32/win32_text.h"

namespace sonkrate::platform::win32 {

RECT cellRectInView(HWND list, int position, int column) {
    SendMessageW(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(position), FALSE);
    auto cell = [&] {
        RECT r = {};
        r.top = column + 1;
        r.left = LVIR_BOUNDS;
        SendMessageW(list, LVM_GETSUBITEMRECT, static_cast<WPARAM>(position), reinterpret_cast<LPARAM>(&r));
        return r;
    };
    RECT r = cell();
    RECT client = {};
    GetClientRect(list, &client);
    // Sideways: the cell's left edge in view, and its right one where it fits.
    int shift = 0;
    if (r.right > client.right) shift = std::min(r.right - client.right, r.left - client.left);
    if (r.left < client.left) shift = r.left - client.left;
    if (shift != 0) {
        SendMessageW(list, LVM_SCROLL, static_cast<WPARAM>(shift), 0);
        r = cell();
    }
    return r;
}

CellEditor::~CellEditor() {
    if (edit_ && IsWindow(edit_)) DestroyWindow(edit_);
}

bool CellEditor::open(HWND list, int position, int column, const std::wstring& text, SUBCLASSPROC subclass,
                      DWORD_PTR owner) {
    close(false);
    const int rows = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    if (!list || position < 0 || position >= rows || column < 0) return false;
    const RECT cell = cellRectInView(list, position, column);
    if (cell.right <= cell.left || cell.bottom <= cell.top) return false;

    LVCOLUMNW format = {};
    format.mask = LVCF_FMT;
    SendMessageW(list, LVM_GETCOLUMNW, static_cast<WPARAM>(column + 1), reinterpret_cast<LPARAM>(&format));
    const DWORD align = (format.fmt & LVCFMT_JUSTIFYMASK) == LVCFMT_RIGHT ? ES_RIGHT : ES_LEFT;
    HWND edit = CreateWindowExW(0, L"EDIT", text.c_str(), WS_CHILD | WS_BORDER | ES_AUTOHSCROLL | align, cell.left,
                                cell.top, cell.right - cell.left, cell.bottom - cell.top, list, nullptr,
                                reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(list, GWLP_HINSTANCE)), nullptr);
    if (!edit) return false;
    SendMessageW(edit, WM_SETFONT, SendMessageW(list, WM_GETFONT, 0, 0), FALSE);
    SetWindowSubclass(edit, subclass, 1, owner);
    edit_ = edit;
    list_ = list;
    position_ = position;
    column_ = column;
    ++generation_;
    SetWindowPos(edit, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    SetFocus(edit);
    SendMessageW(edit, EM_SETSEL, 0, -1);
    return true;
}

std::optional<EditedCell> CellEditor::close(bool keep) {
    if (!edit_) return std::nullopt;
    HWND edit = edit_;
    edit_ = nullptr;  // first: the focus leaving it below must not close it again
    std::optional<EditedCell> edited;
    if (keep) edited = EditedCell{position_, column_, windowText(edit)};
    if (GetFocus() == edit) SetFocus(list_);
    // Destroyed from the message queue: this may run inside its own messages.
    ShowWindow(edit, SW_HIDE);
    PostMessageW(edit, WM_CLOSE, 0, 0);
    return edited;
}

}  // namespace sonkrate::platform::win32
