#include "platform/fltk/fltk_archive_widgets.h"

#include <FL/Fl.H>

namespace sonkrate::platform::desktop {

ArchiveWindowWidget::ArchiveWindowWidget(int w, int h) : Fl_Double_Window(w, h) {}

void ArchiveWindowWidget::resize(int x, int y, int w, int h) {
    bool sized = w != this->w() || h != this->h();
    Fl_Double_Window::resize(x, y, w, h);
    if (sized && laidOut) laidOut();
}

int ArchiveWindowWidget::handle(int event) {
    int r = Fl_Double_Window::handle(event);
    if (touched && (event == FL_PUSH || event == FL_RELEASE || event == FL_KEYDOWN || event == FL_SHORTCUT ||
                    event == FL_PASTE || event == FL_DND_RELEASE || event == FL_SHOW || event == FL_HIDE))
        touched();
    return r;
}

FilterInput::FilterInput(int x, int y, int w, int h) : Fl_Input(x, y, w, h) {}

int FilterInput::handle(int event) {
    if (event != FL_KEYBOARD || Fl::event_state(FL_CTRL | FL_ALT | FL_META)) return Fl_Input::handle(event);
    switch (Fl::event_key()) {
    case FL_Escape:
        if (key) key(ArchiveKey::Escape);
        return 1;
    case FL_Down:
        if (key) key(ArchiveKey::Down);
        return 1;
    case FL_Enter:
    case FL_KP_Enter:
        if (key) key(ArchiveKey::Enter);
        return 1;
    case FL_Up: return 1;  // not a move to another field
    default: return Fl_Input::handle(event);
    }
}

}  // namespace sonkrate::platform::desktop
