// The in-place editor of the archive window's table: an edit control laid
// over one cell of the list view (the list view edits labels of its first
// column only), its text selected. It reports nothing itself: its owner
// closes it and tells the shell what was typed.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <optional>
#include <string>

namespace sonkrate::platform::win32 {

// What the editor held when it was closed to be kept.
struct EditedCell {
    int position = 0;
    int column = 0;   // the shell's column
    std::string text;
};

class CellEditor {
public:
    CellEditor() = default;
    ~CellEditor();
    CellEditor(const CellEditor&) = delete;
    CellEditor& operator=(const CellEditor&) = delete;

    // Opens over the shell's column of row position (list view column
    // column + 1), scrolled into view, with the list's font, text selected
    // and the keyboard. subclass handles the edit control's messages (its
    // reference data is owner). False when the cell is not there.
    bool open(HWND list, int position, int column, const std::wstring& text, SUBCLASSPROC subclass,
              DWORD_PTR owner);
    // Closes it (the list gets the keyboard back if the editor had it);
    // what it held when keep is true.
    std::optional<EditedCell> close(bool keep);

    bool isOpen() const { return edit_ != nullptr; }
    HWND edit() const { return edit_; }
    // Counts the editors opened, so that a late message for a closed one is known.
    unsigned generation() const { return generation_; }

private:
    HWND edit_ = nullptr;
    HWND list_ = nullptr;
    int position_ = 0;
    int column_ = 0;
    unsigned generation_ = 0;
};

// Where the shell's column of a row is in the list's client area, the list
// scrolled sideways first so that the cell shows as far as it can.
RECT cellRectInView(HWND list, int position, int column);

}  // namespace sonkrate::platform::win32
