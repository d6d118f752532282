#include "platform/fltk/fltk_widgets.h"

#include <FL/Fl.H>
#include <FL/fl_draw.H>

#include <utility>

namespace sonkrate::platform::desktop {

MainWindowWidget::MainWindowWidget(int x, int y, int w, int h, const char* title, int clientTop)
    : Fl_Double_Window(x, y, w, h, title), clientTop_(clientTop) {}

bool MainWindowWidget::pointerOverActiveChild() const {
    int ex = Fl::event_x(), ey = Fl::event_y();
    for (int i = children() - 1; i >= 0; --i) {
        const Fl_Widget* c = child(i);
        if (!c->visible() || c->argument() == kPassesMouse) continue;
        if (ex >= c->x() && ex < c->x() + c->w() && ey >= c->y() && ey < c->y() + c->h()) return true;
    }
    return false;
}

int MainWindowWidget::handleDrop(int event) {
    switch (event) {
    case FL_DND_ENTER:
    case FL_DND_DRAG: {
        // A field under the pointer takes dropped text itself.
        int taken = Fl_Double_Window::handle(event);
        dragOverWindow_ = taken == 0;
        return 1;
    }
    case FL_DND_LEAVE:
        dragOverWindow_ = false;
        Fl_Double_Window::handle(event);
        return 1;
    case FL_DND_RELEASE:
        if (!dragOverWindow_) return Fl_Double_Window::handle(event);
        dragOverWindow_ = false;
        dropPending_ = true;
        return 1;
    default:
        // The paste that follows a release this window took is the drop's text.
        if (!dropPending_) return Fl_Double_Window::handle(event);
        dropPending_ = false;
        if (dropped && Fl::event_text()) dropped(std::string(Fl::event_text(), Fl::event_length()));
        return 1;
    }
}

int MainWindowWidget::handle(int event) {
    if (event == FL_DND_ENTER || event == FL_DND_DRAG || event == FL_DND_LEAVE || event == FL_DND_RELEASE ||
        event == FL_PASTE)
        return handleDrop(event);
    if (touched && (event == FL_PUSH || event == FL_RELEASE || event == FL_KEYDOWN || event == FL_MOVE))
        touched();
    int ex = Fl::event_x(), ey = Fl::event_y();
    bool inClient = ey >= clientTop_;
    switch (event) {
    case FL_ENTER:
    case FL_MOVE:
    case FL_DRAG:
        if (inClient && !pointerOverActiveChild() && mouseMoved) mouseMoved(ex, ey - clientTop_);
        break;
    case FL_PUSH:
        if (inClient && !pointerOverActiveChild()) {
            Fl_Double_Window::handle(event);
            return 1;  // so that the release comes here too
        }
        break;
    case FL_RELEASE:
        if (inClient && !pointerOverActiveChild()) {
            int r = Fl_Double_Window::handle(event);
            if (leftButtonUp && Fl::event_button() == FL_LEFT_MOUSE) leftButtonUp();
            return r ? r : 1;
        }
        break;
    default:
        break;
    }
    int r = Fl_Double_Window::handle(event);
    // Moves must keep coming when no child wants them.
    if (event == FL_ENTER || event == FL_MOVE) return 1;
    return r;
}

CenteredField::CenteredField(int x, int y, int w, int h) : Fl_Widget(x, y, w, h) {
    box(FL_DOWN_BOX);
    color(FL_BACKGROUND_COLOR);  // read-only fields stand on the window's grey
}

void CenteredField::text(const std::string& t) {
    text_ = t;
    redraw();
}

void CenteredField::draw() {
    draw_box();
    fl_push_clip(x() + 3, y() + 1, w() - 6, h() - 2);
    fl_color(active_r() ? labelcolor() : fl_inactive(labelcolor()));
    fl_font(labelfont(), labelsize());
    fl_draw(text_.c_str(), x() + 3, y(), w() - 6, h(), FL_ALIGN_CENTER, nullptr, 0);
    fl_pop_clip();
}

DrawnBitmap::DrawnBitmap(int x, int y, int w, int h, std::string word)
    : Fl_Widget(x, y, w, h), word_(std::move(word)) {
    argument(kPassesMouse);
}

void DrawnBitmap::draw() {
    if (!word_.empty()) {
        fl_color(fl_rgb_color(255, 255, 225));
        fl_rectf(x(), y(), w(), h());
        fl_color(fl_rgb_color(96, 96, 96));
        fl_rect(x(), y(), w(), h());
        fl_color(FL_BLACK);
        fl_font(FL_HELVETICA, 10);
        fl_draw(word_.c_str(), x(), y(), w(), h(), FL_ALIGN_CENTER, nullptr, 0);
    } else {
        fl_color(fl_rgb_color(128, 128, 128));
        fl_rectf(x(), y(), w(), h());
    }
}

Trackbar::Trackbar(int x, int y, int w, int h, bool ticks) : Fl_Slider(x, y, w, h), ticks_(ticks) {
    type(FL_HOR_NICE_SLIDER);
    box(FL_FLAT_BOX);
    slider_size(0.06);
    step(1);
}

void Trackbar::draw() {
    Fl_Slider::draw();
    if (!ticks_ || ticFrequency_ < 1 || maximum() <= minimum()) return;
    fl_color(active_r() ? FL_DARK3 : fl_inactive(FL_DARK3));
    double span = maximum() - minimum();
    int usable = w() - 10;
    for (double v = minimum(); v <= maximum(); v += ticFrequency_) {
        int tx = x() + 5 + static_cast<int>((v - minimum()) / span * usable);
        fl_line(tx, y() + h() - 4, tx, y() + h() - 1);
    }
}

}  // namespace sonkrate::platform::desktop
