#include "platform/fltk/fltk_archive_widgets.h"

#include <FL/Fl.H>

#include <string_view>

namespace sonkrate::platform::desktop {

ArchiveWindowWidget::ArchiveWindowWidget(int w, int h) : Fl_Double_Window(w, h) {}

void ArchiveWindowWidget::resize(int x, int y, int w, int h) {
    bool sized = w != this->w() || h != this->h();
    Fl_Double_Window::resize(x, y, w, h);
    if (sized && laidOut) laidOut();
}

int ArchiveWindowWidget::handleDrop(int event) {
    if (event == FL_PASTE) {
        // The paste that follows a release this window took is the drop's text.
        if (!dropPending_) return Fl_Double_Window::handle(event);
        dropPending_ = false;
        if (dropped && Fl::event_text()) dropped(std::string(Fl::event_text(), Fl::event_length()));
        return 1;
    }
    // Over the table the table takes the drop; elsewhere the window does,
    // whatever child is under the pointer or has the keyboard.
    if (event == FL_DND_LEAVE || (dropTarget && Fl::event_inside(dropTarget))) {
        Fl_Double_Window::handle(event);
        return 1;
    }
    if (event == FL_DND_ENTER || event == FL_DND_DRAG) Fl::belowmouse(this);
    if (event == FL_DND_RELEASE) dropPending_ = true;
    return 1;
}

int ArchiveWindowWidget::handle(int event) {
    if (event == FL_DND_ENTER || event == FL_DND_DRAG || event == FL_DND_LEAVE || event == FL_DND_RELEASE ||
        event == FL_PASTE) {
        int r = handleDrop(event);
        if (touched && (event == FL_DND_RELEASE || event == FL_PASTE)) touched();
        return r;
    }
    int r = Fl_Double_Window::handle(event);
    if (touched && (event == FL_PUSH || event == FL_RELEASE || event == FL_DRAG || event == FL_MOUSEWHEEL ||
                    event == FL_KEYDOWN || event == FL_SHORTCUT || event == FL_SHOW || event == FL_HIDE))
        touched();
    return r;
}

FilterInput::FilterInput(int x, int y, int w, int h) : Fl_Input(x, y, w, h) {}

int FilterInput::handle(int event) {
    // Files dropped here are the window's, not text to filter by.
    if (event == FL_DND_ENTER || event == FL_DND_DRAG || event == FL_DND_RELEASE) return 0;
    if (event == FL_PASTE && Fl::event_text() && std::string_view(Fl::event_text()).substr(0, 5) == "file:") {
        if (filesDropped) filesDropped(std::string(Fl::event_text(), Fl::event_length()));
        return 1;
    }
    if (event != FL_KEYBOARD) return Fl_Input::handle(event);
    if (Fl::event_state(FL_CTRL | FL_ALT | FL_META)) return Fl_Input::handle(event) || textFieldKeepsKey();
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
    default: return Fl_Input::handle(event) || textFieldKeepsKey();
    }
}

bool textFieldKeepsKey() {
    int key = Fl::event_key();
    if (key == FL_Delete || key == FL_BackSpace || key == FL_Insert || key == FL_F + 2) return true;
    bool ctrl = Fl::event_state(FL_CTRL) != 0;
    return ctrl && (key == 'z' || key == 'y');
}

CellEditor::CellEditor() : Fl_Input(0, 0, 10, 10) {}

int CellEditor::handle(int event) {
    if (event == FL_KEYBOARD) return handleKey();
    int r = Fl_Input::handle(event);
    if (event == FL_UNFOCUS && focusLost) focusLost();
    return r;
}

int CellEditor::handleKey() {
    int key = Fl::event_key();
    bool command = Fl::event_state(FL_CTRL | FL_ALT | FL_META) != 0;
    if (!command) {
        switch (key) {
        case FL_Escape:
            if (ended) ended(false);
            return 1;
        case FL_Enter:
        case FL_KP_Enter:
        case FL_Tab:
            if (ended) ended(true);
            return 1;
        case FL_Up:
        case FL_Down:
        case FL_Page_Up:
        case FL_Page_Down: return 1;  // the table's keys, not the editor's
        default: break;
        }
    }
    if (Fl_Input::handle(FL_KEYBOARD)) return 1;
    if (!command || textFieldKeepsKey() || key == ' ') return 1;
    // An accelerator of the menu: the edit is confirmed, then the key goes on.
    if (ended) ended(true);
    return 0;
}

}  // namespace sonkrate::platform::desktop
