// The desktop backend's controls after they are made: texts, states, the
// trackbar's and progress bar's ranges (kept by the shared rules) and the
// list box's items.
#include "platform/fltk/fltk_platform.h"

#include <FL/Fl_Hold_Browser.H>
#include <FL/Fl_Input_.H>
#include <FL/Fl_Progress.H>
#include <FL/Fl_Text_Display.H>

#include <algorithm>
#include <cstdlib>

#include "io/paths.h"
#include "platform/fltk/fltk_widgets.h"

namespace sonkrate::platform::desktop {

namespace {

// FLTK reads "&" as a shortcut mark and "@" as the start of a symbol.
std::string labelText(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '&' || c == '@') out += c;
        if (c != '\r' && c != '\n') out += c;
        else if (c == '\n') out += ' ';
    }
    return out;
}

std::string withoutCarriageReturns(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (c != '\r') out += c;
    return out;
}

// Multi-line edits hand their text back with CR LF line ends, as on the
// system the texts were written for.
std::string withCrLf(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') out += '\r';
        if (c != '\r') out += c;
    }
    return out;
}

}  // namespace

FltkPlatform::Control* FltkPlatform::find(int controlId) {
    auto it = controls_.find(controlId);
    return it == controls_.end() || !it->second.widget ? nullptr : &it->second;
}

FltkPlatform::Control* FltkPlatform::find(int controlId, ControlKind kind) {
    Control* c = find(controlId);
    return c && c->description.kind == kind ? c : nullptr;
}

void FltkPlatform::setText(int controlId, const std::string& text) {
    Control* c = find(controlId);
    if (!c) return;
    c->text = (c->description.style & kUpperCase) ? io::toUpper(text) : text;
    Fl_Widget* w = c->widget;
    switch (c->description.kind) {
    case ControlKind::PushButton:
    case ControlKind::CheckBox:
    case ControlKind::Static: w->copy_label(labelText(c->text).c_str()); break;
    case ControlKind::Edit:
        if (c->buffer) {
            c->buffer->text(withoutCarriageReturns(c->text).c_str());
            static_cast<Fl_Text_Display*>(w)->scroll(0, 0);
        } else if (auto* f = dynamic_cast<CenteredField*>(w)) {
            f->text(withoutCarriageReturns(c->text));
        } else {
            static_cast<Fl_Input_*>(w)->value(withoutCarriageReturns(c->text).c_str());
        }
        break;
    default: break;
    }
    w->redraw();
    changed();
}

std::string FltkPlatform::text(int controlId) {
    Control* c = find(controlId);
    if (!c) return {};
    // What the user may have typed is read from the widget itself.
    if (c->description.kind == ControlKind::Edit && !(c->description.style & kReadOnly)) {
        if (c->buffer) {
            char* t = c->buffer->text();
            std::string s = withCrLf(t ? t : "");
            std::free(t);
            return s;
        }
        return static_cast<Fl_Input_*>(c->widget)->value();
    }
    return c->text;
}

void FltkPlatform::setEnabled(int controlId, bool enabled) {
    Control* c = find(controlId);
    if (!c) return;
    if (enabled)
        c->widget->activate();
    else
        c->widget->deactivate();
    changed();
}

void FltkPlatform::setShown(int controlId, bool shown) {
    Control* c = find(controlId);
    if (!c || c->widget->visible() == (shown ? 1 : 0)) return;
    if (shown)
        c->widget->show();
    else
        c->widget->hide();
    // Whatever lay under a hidden picture is drawn again.
    if (window_) window_->damage(FL_DAMAGE_ALL, c->widget->x(), c->widget->y(), c->widget->w(), c->widget->h());
    changed();
}

void FltkPlatform::applyRange(Control& c) {
    const RangeControl& r = c.range;
    if (c.description.kind == ControlKind::Trackbar) {
        auto* t = static_cast<Trackbar*>(c.widget);
        t->bounds(r.low, r.high);
        t->value(r.position);
        t->ticFrequency(r.ticFrequency);
        t->redraw();
    } else if (c.description.kind == ControlKind::ProgressBar) {
        auto* p = static_cast<Fl_Progress*>(c.widget);
        p->minimum(static_cast<float>(r.low));
        p->maximum(static_cast<float>(r.high > r.low ? r.high : r.low + 1));
        p->value(static_cast<float>(r.position));
    }
    changed();
}

void FltkPlatform::setTrackbarRange(int controlId, int low, int high) {
    Control* c = find(controlId, ControlKind::Trackbar);
    if (!c) return;
    setRange(c->range, low, high);
    applyRange(*c);
}

int FltkPlatform::trackbarPosition(int controlId) {
    Control* c = find(controlId, ControlKind::Trackbar);
    if (!c) return 0;
    // The user may have moved the thumb since the last callback.
    setPosition(c->range, static_cast<int>(static_cast<Trackbar*>(c->widget)->value()));
    return c->range.position;
}

void FltkPlatform::setTrackbarPosition(int controlId, int position) {
    Control* c = find(controlId, ControlKind::Trackbar);
    if (!c) return;
    setPosition(c->range, position);
    applyRange(*c);
}

void FltkPlatform::setTrackbarTicFrequency(int controlId, int frequency) {
    Control* c = find(controlId, ControlKind::Trackbar);
    if (!c) return;
    c->range.ticFrequency = frequency;
    applyRange(*c);
}

void FltkPlatform::setProgressRange(int controlId, int low, int high) {
    Control* c = find(controlId, ControlKind::ProgressBar);
    if (!c) return;
    setRange(c->range, low, high);
    applyRange(*c);
}

void FltkPlatform::setProgressStep(int controlId, int step) {
    if (Control* c = find(controlId, ControlKind::ProgressBar)) c->range.step = step;
}

void FltkPlatform::setProgressPosition(int controlId, int position) {
    Control* c = find(controlId, ControlKind::ProgressBar);
    if (!c) return;
    setPosition(c->range, position);
    applyRange(*c);
}

void FltkPlatform::progressStepIt(int controlId) {
    Control* c = find(controlId, ControlKind::ProgressBar);
    if (!c) return;
    stepIt(c->range);
    applyRange(*c);
}

void FltkPlatform::listReset(int controlId) {
    Control* c = find(controlId, ControlKind::ListBox);
    if (!c) return;
    c->items.clear();
    c->lastSelection = 0;
    static_cast<Fl_Hold_Browser*>(c->widget)->clear();
    changed();
}

void FltkPlatform::listAddString(int controlId, const std::string& item) {
    Control* c = find(controlId, ControlKind::ListBox);
    if (!c) return;
    c->items.push_back(item);
    // The list shows its items as they are (no markup); a line break would
    // make two lines of one item.
    std::string line;
    for (char ch : item)
        if (ch != '\r') line += ch == '\n' ? ' ' : ch;
    static_cast<Fl_Hold_Browser*>(c->widget)->add(line.c_str());
    changed();
}

int FltkPlatform::listCaretIndex(int controlId) {
    Control* c = find(controlId, ControlKind::ListBox);
    if (!c || c->items.empty()) return -1;
    int selected = static_cast<Fl_Hold_Browser*>(c->widget)->value();
    int index = selected > 0 ? selected - 1 : 0;
    return std::min(index, static_cast<int>(c->items.size()) - 1);
}

std::string FltkPlatform::listItemText(int controlId, int index) {
    Control* c = find(controlId, ControlKind::ListBox);
    if (!c || index < 0 || index >= static_cast<int>(c->items.size())) return {};
    return c->items[static_cast<std::size_t>(index)];
}

int FltkPlatform::listCount(int controlId) {
    Control* c = find(controlId, ControlKind::ListBox);
    return c ? static_cast<int>(c->items.size()) : 0;
}

}  // namespace sonkrate::platform::desktop
