// The FLTK widgets the window is made of beyond the stock ones: the main
// window that reports pointer moves and clicks on its own client area, a
// read-only centred text field, the small drawn labels and strips, and a
// trackbar with tic marks.
#pragma once

#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Slider.H>
#include <FL/Fl_Widget.H>

#include <functional>
#include <string>

namespace sonkrate::platform::desktop {

// The top-level window. Coordinates handed on are client coordinates: the
// client area starts below the menu bar.
class MainWindowWidget : public Fl_Double_Window {
public:
    MainWindowWidget(int x, int y, int w, int h, const char* title, int clientTop);

    std::function<void(int x, int y)> mouseMoved;
    std::function<void()> leftButtonUp;
    // Any input at all (the state dump is refreshed after it).
    std::function<void()> touched;
    // The text of a drop on the window that no child took.
    std::function<void(const std::string& text)> dropped;

    int handle(int event) override;

private:
    // Whether the child under the pointer takes the mouse itself (buttons,
    // fields, lists); labels and drawn strips let it through.
    bool pointerOverActiveChild() const;
    // The drag and drop events; a paste that follows our own release is the drop.
    int handleDrop(int event);
    int clientTop_;
    bool dragOverWindow_ = false;  // a drag is over the window, not over a field
    bool dropPending_ = false;     // its release came: the next paste is the drop
};

// Marks a widget as one the pointer passes through to the main window.
inline constexpr long kPassesMouse = 0x50415353;  // stored in the widget's argument()

// A sunken, read-only field whose text stands centred.
class CenteredField : public Fl_Widget {
public:
    CenteredField(int x, int y, int w, int h);
    void text(const std::string& t);
    const std::string& text() const { return text_; }
    void draw() override;
    int handle(int) override { return 0; }

private:
    std::string text_;
};

// One of the program's small pictures: a word on a pale ground, or a plain
// grey strip when it has no word.
class DrawnBitmap : public Fl_Widget {
public:
    DrawnBitmap(int x, int y, int w, int h, std::string word);
    void draw() override;
    int handle(int) override { return 0; }

private:
    std::string word_;
};

// A horizontal slider whose thumb keeps its length and that may draw a tic
// mark every so many positions.
class Trackbar : public Fl_Slider {
public:
    Trackbar(int x, int y, int w, int h, bool ticks);
    void ticFrequency(int f) {
        ticFrequency_ = f;
        redraw();
    }
    void draw() override;

private:
    bool ticks_;
    int ticFrequency_ = 1;
};

}  // namespace sonkrate::platform::desktop
