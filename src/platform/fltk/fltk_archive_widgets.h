// The archive window's own small widgets: the top-level window that lays
// its children out itself, notes every input and takes the drops no child
// took, the filter field that hands Esc, Down and Enter to the shell and
// leaves dropped files to the window, and the in-place editor of a cell.
#pragma once

#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Input.H>

#include <functional>
#include <string>

#include "platform/archive_window.h"

namespace sonkrate::platform::desktop {

class ArchiveWindowWidget : public Fl_Double_Window {
public:
    ArchiveWindowWidget(int w, int h);

    std::function<void()> laidOut;  // after every change of size
    std::function<void()> touched;  // any input
    // The text of a drop elsewhere than on dropTarget, which takes its own.
    std::function<void(const std::string& text)> dropped;
    Fl_Widget* dropTarget = nullptr;

    void resize(int x, int y, int w, int h) override;
    int handle(int event) override;

private:
    int handleDrop(int event);
    bool dropPending_ = false;  // a release this window took: the next paste is the drop
};

class FilterInput : public Fl_Input {
public:
    FilterInput(int x, int y, int w, int h);

    std::function<void(ArchiveKey)> key;
    // Files dropped (or pasted) on the field, as the drop's text.
    std::function<void(const std::string& text)> filesDropped;

    int handle(int event) override;
};

// The in-place editor of a table cell. Enter or Tab confirms, Escape
// cancels, the focus leaving confirms. Keys that edit text stay in it, so
// that Delete, F2 or Ctrl+Z never reach the table or the menu; another
// accelerator (Ctrl+S ...) confirms the edit first and then goes on.
class CellEditor : public Fl_Input {
public:
    CellEditor();

    std::function<void(bool confirm)> ended;  // by a key
    std::function<void()> focusLost;

    int handle(int event) override;

private:
    int handleKey();
};

// For a text field's key it did not use: true when the key still belongs
// to the field (Delete at the end of the text, Ctrl+Z with nothing to
// undo, F2), so that it does not go on to remove rows or undo edits.
bool textFieldKeepsKey();

}  // namespace sonkrate::platform::desktop
