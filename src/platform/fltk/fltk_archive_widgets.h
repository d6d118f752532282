// The archive window's own small widgets: the top-level window that lays
// its children out itself and notes every input, and the filter field that
// hands Esc, Down and Enter to the shell.
#pragma once

#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Input.H>

#include <functional>

#include "platform/archive_window.h"

namespace sonkrate::platform::desktop {

class ArchiveWindowWidget : public Fl_Double_Window {
public:
    ArchiveWindowWidget(int w, int h);

    std::function<void()> laidOut;  // after every change of size
    std::function<void()> touched;  // any input

    void resize(int x, int y, int w, int h) override;
    int handle(int event) override;
};

class FilterInput : public Fl_Input {
public:
    FilterInput(int x, int y, int w, int h);

    std::function<void(ArchiveKey)> key;

    int handle(int event) override;
};

}  // namespace sonkrate::platform::desktop
