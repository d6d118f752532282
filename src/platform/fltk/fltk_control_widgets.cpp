// The desktop backend's widgets, made from the shell's control descriptions
// at the window's pixel positions, with the callbacks that report to it.
#include "platform/fltk/fltk_platform.h"

#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Hold_Browser.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Int_Input.H>
#include <FL/Fl_Output.H>
#include <FL/Fl_Progress.H>
#include <FL/Fl_Text_Display.H>
#include <FL/Fl_Text_Editor.H>

#include "platform/fltk/fltk_common.h"
#include "platform/fltk/fltk_widgets.h"

namespace sonkrate::platform::desktop {

namespace {

struct Place {
    int x, y, w, h;
    Fl_Font font;
    int size;
};

Place placeOf(const ControlDescription& s) {
    return {s.x, s.y + kMenuBarHeight, s.width, s.height, s.guiFont ? kGuiFont : kSystemFont,
            s.guiFont ? kGuiFontSize : kSystemFontSize};
}

Fl_Boxtype editBox(const ControlDescription& s) { return (s.style & kClientEdge) ? FL_DOWN_BOX : FL_FLAT_BOX; }

}  // namespace

void FltkPlatform::buttonPressed(Fl_Widget* widget, void* data) {
    auto* self = static_cast<FltkPlatform*>(data);
    for (auto& [id, control] : self->controls_)
        if (control.widget == widget) {
            self->command(id, 0);
            break;
        }
}

Fl_Widget* FltkPlatform::makeButton(const ControlDescription& s) {
    Place p = placeOf(s);
    Fl_Button* b = s.kind == ControlKind::CheckBox ? new Fl_Check_Button(p.x, p.y, p.w, p.h)
                                                   : new Fl_Button(p.x, p.y, p.w, p.h);
    b->labelfont(p.font);
    b->labelsize(p.size);
    b->callback(&FltkPlatform::buttonPressed, this);
    return b;
}

Fl_Widget* FltkPlatform::makeStatic(const ControlDescription& s) {
    Place p = placeOf(s);
    auto* b = new Fl_Box(p.x, p.y, p.w, p.h);
    b->box(FL_NO_BOX);
    b->labelfont(p.font);
    b->labelsize(p.size);
    b->align(FL_ALIGN_LEFT | FL_ALIGN_TOP | FL_ALIGN_INSIDE);
    b->argument(kPassesMouse);
    return b;
}

Fl_Widget* FltkPlatform::makeMultilineEdit(Control& c) {
    const ControlDescription& s = c.description;
    Place p = placeOf(s);
    bool readOnly = s.style & kReadOnly;
    c.buffer = std::make_unique<Fl_Text_Buffer>();
    Fl_Text_Display* d = readOnly ? new Fl_Text_Display(p.x, p.y, p.w, p.h) : new Fl_Text_Editor(p.x, p.y, p.w, p.h);
    d->buffer(c.buffer.get());
    d->box(editBox(s));
    d->textfont(p.font);
    d->textsize(p.size);
    d->wrap_mode(Fl_Text_Display::WRAP_AT_BOUNDS, 0);
    d->scrollbar_width(16);
    if (readOnly) d->color(FL_BACKGROUND_COLOR);
    return d;
}

Fl_Widget* FltkPlatform::makeLineEdit(const ControlDescription& s) {
    Place p = placeOf(s);
    bool readOnly = s.style & kReadOnly;
    if (readOnly && (s.style & (kAlignCenter | kAlignRight))) {
        auto* f = new CenteredField(p.x, p.y, p.w, p.h);
        f->labelfont(p.font);
        f->labelsize(p.size);
        f->box(editBox(s));
        return f;
    }
    Fl_Input_* in;
    if (readOnly)
        in = new Fl_Output(p.x, p.y, p.w, p.h);
    else if (s.style & kNumbersOnly)
        in = new Fl_Int_Input(p.x, p.y, p.w, p.h);
    else
        in = new Fl_Input(p.x, p.y, p.w, p.h);
    in->box(editBox(s));
    in->textfont(p.font);
    in->textsize(p.size);
    if (readOnly) in->color(FL_BACKGROUND_COLOR);
    in->when(FL_WHEN_CHANGED);
    in->callback([](Fl_Widget*, void* data) { static_cast<FltkPlatform*>(data)->changed(); }, this);
    return in;
}

void FltkPlatform::listChosen(Fl_Widget* widget, void* data) {
    auto* self = static_cast<FltkPlatform*>(data);
    auto* list = static_cast<Fl_Hold_Browser*>(widget);
    for (auto& [id, control] : self->controls_) {
        if (control.widget != widget) continue;
        if (list->value() > 0 && (control.description.style & kNotify)) {
            control.lastSelection = list->value();
            self->command(id, kListSelectionChanged);
        }
        break;
    }
}

Fl_Widget* FltkPlatform::makeListBox(const ControlDescription& s) {
    Place p = placeOf(s);
    auto* b = new Fl_Hold_Browser(p.x, p.y, p.w, p.h);
    b->box(editBox(s));
    b->textfont(p.font);
    b->textsize(p.size);
    b->format_char(0);  // list items are file names, not markup
    b->column_char(0);
    b->has_scrollbar((s.style & kDisableNoScroll) ? Fl_Browser_::VERTICAL_ALWAYS : Fl_Browser_::VERTICAL);
    b->when(FL_WHEN_RELEASE_ALWAYS);
    b->callback(&FltkPlatform::listChosen, this);
    return b;
}

Fl_Widget* FltkPlatform::makeProgressBar(const ControlDescription& s) {
    Place p = placeOf(s);
    auto* bar = new Fl_Progress(p.x, p.y, p.w, p.h);
    bar->box(FL_THIN_DOWN_BOX);
    bar->color(FL_BACKGROUND_COLOR);
    bar->selection_color(fl_rgb_color(0, 0, 128));
    return bar;
}

void FltkPlatform::trackbarMoved(Fl_Widget* widget, void* data) {
    auto* self = static_cast<FltkPlatform*>(data);
    for (auto& [id, control] : self->controls_) {
        if (control.widget != widget) continue;
        control.range.position = static_cast<int>(static_cast<Trackbar*>(widget)->value());
        self->changed();
        if (self->blocked_ == 0 && self->sink_) {
            ++self->dispatching_;
            self->sink_->onTrackbarScroll();
            --self->dispatching_;
        }
        break;
    }
}

Fl_Widget* FltkPlatform::makeTrackbar(const ControlDescription& s) {
    Place p = placeOf(s);
    auto* t = new Trackbar(p.x, p.y, p.w, p.h, !(s.style & kNoTicks));
    t->when(FL_WHEN_CHANGED);
    t->callback(&FltkPlatform::trackbarMoved, this);
    return t;
}

Fl_Widget* FltkPlatform::makeWidget(Control& c) {
    const ControlDescription& s = c.description;
    switch (s.kind) {
    case ControlKind::PushButton:
    case ControlKind::CheckBox: return makeButton(s);
    case ControlKind::Static: return makeStatic(s);
    case ControlKind::Bitmap: {
        Place p = placeOf(s);
        return new DrawnBitmap(p.x, p.y, p.w, p.h, std::string(s.bitmapWord));
    }
    case ControlKind::Edit: return (s.style & kMultiline) ? makeMultilineEdit(c) : makeLineEdit(s);
    case ControlKind::ListBox: return makeListBox(s);
    case ControlKind::ProgressBar: return makeProgressBar(s);
    case ControlKind::Trackbar: return makeTrackbar(s);
    }
    return nullptr;
}

void FltkPlatform::createControl(const ControlDescription& description) {
    if (!window_) return;
    Control& c = controls_[description.id];
    c.description = description;
    c.widget = makeWidget(c);
    if (!c.widget) return;
    window_->add(c.widget);
    applyRange(c);
    setText(description.id, std::string(description.text));
    c.widget->redraw();
    changed();
}

}  // namespace sonkrate::platform::desktop
