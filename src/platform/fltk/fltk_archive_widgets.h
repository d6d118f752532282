// The archive window's own small widgets: the top-level window that lays
// its children out itself, notes every input and takes the drops no child
// took, and the filter field that hands Esc, Down and Enter to the shell
// and leaves dropped files to the window.
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

}  // namespace sonkrate::platform::desktop
