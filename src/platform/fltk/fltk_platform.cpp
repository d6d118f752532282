#include "platform/fltk/fltk_platform.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Hold_Browser.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Int_Input.H>
#include <FL/Fl_Menu_Bar.H>
#include <FL/Fl_Native_File_Chooser.H>
#include <FL/Fl_Output.H>
#include <FL/Fl_Pixmap.H>
#include <FL/Fl_Progress.H>
#include <FL/Fl_RGB_Image.H>
#include <FL/Fl_Text_Display.H>
#include <FL/Fl_Text_Editor.H>
#include <FL/fl_ask.H>
#include <FL/x.H>
#include <signal.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <sstream>

#include "io/paths.h"
#include "platform/fltk/desktop_paths.h"
#include "platform/fltk/fltk_widgets.h"
#include "platform/fltk/processes.h"
#include "platform/fltk/ui_dump.h"

namespace sonkrate::platform::desktop {

namespace {

#include "platform/fltk/sonkrate.xpm"

// The window's frame on the system it was drawn for: 3 pixels each side,
// a caption and a menu bar; what is left is the client area.
constexpr int kFrameWidth = 6;
constexpr int kFrameHeight = 46;
constexpr int kMenuBarHeight = 24;
// The system's GUI font and its plainer, bolder default font.
constexpr Fl_Font kGuiFont = FL_HELVETICA;
constexpr int kGuiFontSize = 10;
constexpr Fl_Font kSystemFont = FL_HELVETICA_BOLD;
constexpr int kSystemFontSize = 12;

volatile sig_atomic_t gCloseRequested = 0;
void requestClose(int) { gCloseRequested = 1; }

bool openDisplay() {
    if (fl_display) return true;
    Display* d = XOpenDisplay(nullptr);
    if (!d) return false;
    fl_open_display(d);
    return true;
}

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

// In a menu path "/" separates levels, "\" quotes and a leading "_" draws a
// divider.
std::string menuLabel(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '/' || c == '\\' || (c == '_' && i == 0)) out += '\\';
        if (c == '&') out += '&';
        out += c;
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

// "Cau File (*.cau)" with "*.cau" becomes FLTK's "Cau File (*.cau)\t*.cau";
// several patterns (";"-separated, blanks ignored) become "{a,b}".
std::string chooserFilter(const FileDialogOptions& dialog) {
    std::vector<std::string> patterns;
    std::string current;
    for (char c : dialog.filterPattern + ";") {
        if (c == ';') {
            if (!current.empty()) patterns.push_back(current);
            current.clear();
        } else if (c != ' ' && c != '\t') {
            current += c;
        }
    }
    if (patterns.empty()) return {};
    std::string joined = patterns[0];
    if (patterns.size() > 1) {
        joined = "{";
        for (std::size_t i = 0; i < patterns.size(); ++i) joined += (i ? "," : "") + patterns[i];
        joined += "}";
    }
    std::string name = dialog.filterText.empty() ? joined : dialog.filterText;
    while (!name.empty() && name.back() == ' ') name.pop_back();
    return name + "\t" + joined;
}

bool isRegularFile(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool isFolder(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

const char* kindName(ControlKind kind) {
    switch (kind) {
    case ControlKind::PushButton: return "button";
    case ControlKind::CheckBox: return "checkbox";
    case ControlKind::Edit: return "edit";
    case ControlKind::Static: return "static";
    case ControlKind::Bitmap: return "bitmap";
    case ControlKind::ListBox: return "listbox";
    case ControlKind::ProgressBar: return "progress";
    case ControlKind::Trackbar: return "trackbar";
    }
    return "?";
}

std::uint64_t steadyMillis() {
    using namespace std::chrono;
    return static_cast<std::uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

}  // namespace

FltkPlatform::FltkPlatform() {
    if (const char* dump = std::getenv("SONKRATE_UI_DUMP"); dump && *dump) dumpPath_ = dump;
    Fl::background(212, 208, 200);
    fl_close = "OK";
}

FltkPlatform::~FltkPlatform() {
    player_.stop();
    if (killSwitch_ > 0) endProgram(killSwitch_, 2000);
    for (pid_t p : openers_) waitForExit(p, 0);
    Fl::remove_timeout(&FltkPlatform::housekeeping, this);
    for (auto& [id, t] : timers_) Fl::remove_timeout(&FltkPlatform::timerFired, &t);
    delete window_;  // the widgets go with it; the text buffers after them
}

// ---- Window and loop ------------------------------------------------------------------

ScreenSize FltkPlatform::screenSize() {
    if (!openDisplay()) return {1024, 768};
    return {Fl::w(), Fl::h()};
}

WindowResult FltkPlatform::createMainWindow(const WindowDescription& window, EventSink& sink) {
    if (!openDisplay()) {
        std::fprintf(stderr, "sonkrate: cannot open the display %s\n", std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "(DISPLAY is not set)");
        return WindowResult::CreationFailed;
    }
    sink_ = &sink;
    Fl::visual(FL_DOUBLE | FL_INDEX);
    int w = window.width - kFrameWidth;
    int h = window.height - kFrameHeight + kMenuBarHeight;
    std::string title(window.title);
    window_ = new MainWindowWidget(window.x, window.y, w, h, nullptr, kMenuBarHeight);
    window_->copy_label(title.c_str());
    window_->xclass("sonkrate");
    window_->size_range(w, h, w, h);  // not resizable
    static Fl_Pixmap iconPixmap(sonkrate_xpm);
    static Fl_RGB_Image icon(&iconPixmap, FL_GRAY);
    window_->icon(&icon);
    window_->callback(
        [](Fl_Widget*, void* data) {
            auto* self = static_cast<FltkPlatform*>(data);
            // Escape does not close this window, and neither does anything
            // while a command is running.
            if (Fl::event() == FL_SHORTCUT && Fl::event_key() == FL_Escape) return;
            if (self->blocked_ > 0 || self->dispatching_ > 0 || self->quit_) return;
            if (self->sink_) self->sink_->onDestroy();
            self->window_->hide();
        },
        this);
    window_->mouseMoved = [this](int x, int y) {
        if (blocked_ == 0 && sink_) {
            ++dispatching_;
            sink_->onMouseMove(x, y);
            --dispatching_;
        }
        changed();
    };
    window_->leftButtonUp = [this] {
        if (blocked_ == 0 && sink_) {
            ++dispatching_;
            sink_->onLeftButtonUp();
            --dispatching_;
        }
        changed();
    };
    window_->touched = [this] { changed(); };
    menuBar_ = new Fl_Menu_Bar(0, 0, w, kMenuBarHeight);
    menuBar_->textfont(kGuiFont);
    menuBar_->textsize(12);
    menuBar_->box(FL_FLAT_BOX);
    menuBar_->user_data(this);
    window_->end();
    sink.onCreate();
    changed();
    return WindowResult::Created;
}

void FltkPlatform::showMainWindow() {
    if (!window_) return;
    window_->show();
    changed();
}

Fl_Widget* FltkPlatform::makeWidget(Control& c) {
    const ControlDescription& s = c.description;
    int x = s.x, y = s.y + kMenuBarHeight, w = s.width, h = s.height;
    Fl_Font font = s.guiFont ? kGuiFont : kSystemFont;
    int size = s.guiFont ? kGuiFontSize : kSystemFontSize;
    auto commandCallback = [](Fl_Widget* widget, void* data) {
        auto* self = static_cast<FltkPlatform*>(data);
        for (auto& [id, control] : self->controls_)
            if (control.widget == widget) {
                self->command(id, 0);
                break;
            }
    };

    switch (s.kind) {
    case ControlKind::PushButton: {
        auto* b = new Fl_Button(x, y, w, h);
        b->labelfont(font);
        b->labelsize(size);
        b->callback(commandCallback, this);
        return b;
    }
    case ControlKind::CheckBox: {
        auto* b = new Fl_Check_Button(x, y, w, h);
        b->labelfont(font);
        b->labelsize(size);
        b->callback(commandCallback, this);
        return b;
    }
    case ControlKind::Static: {
        auto* b = new Fl_Box(x, y, w, h);
        b->box(FL_NO_BOX);
        b->labelfont(font);
        b->labelsize(size);
        b->align(FL_ALIGN_LEFT | FL_ALIGN_TOP | FL_ALIGN_INSIDE);
        b->argument(kPassesMouse);
        return b;
    }
    case ControlKind::Bitmap: return new DrawnBitmap(x, y, w, h, std::string(s.bitmapWord));
    case ControlKind::Edit: {
        bool readOnly = s.style & kReadOnly;
        Fl_Boxtype box = (s.style & kClientEdge) ? FL_DOWN_BOX : FL_FLAT_BOX;
        if (s.style & kMultiline) {
            c.buffer = std::make_unique<Fl_Text_Buffer>();
            Fl_Text_Display* d = readOnly ? new Fl_Text_Display(x, y, w, h) : new Fl_Text_Editor(x, y, w, h);
            d->buffer(c.buffer.get());
            d->box(box);
            d->textfont(font);
            d->textsize(size);
            d->wrap_mode(Fl_Text_Display::WRAP_AT_BOUNDS, 0);
            d->scrollbar_width(16);
            if (readOnly) d->color(FL_BACKGROUND_COLOR);
            return d;
        }
        if (readOnly && (s.style & (kAlignCenter | kAlignRight))) {
            auto* f = new CenteredField(x, y, w, h);
            f->labelfont(font);
            f->labelsize(size);
            f->box(box);
            return f;
        }
        Fl_Input_* in;
        if (readOnly)
            in = new Fl_Output(x, y, w, h);
        else if (s.style & kNumbersOnly)
            in = new Fl_Int_Input(x, y, w, h);
        else
            in = new Fl_Input(x, y, w, h);
        in->box(box);
        in->textfont(font);
        in->textsize(size);
        if (readOnly) in->color(FL_BACKGROUND_COLOR);
        in->when(FL_WHEN_CHANGED);
        in->callback([](Fl_Widget*, void* data) { static_cast<FltkPlatform*>(data)->changed(); }, this);
        return in;
    }
    case ControlKind::ListBox: {
        auto* b = new Fl_Hold_Browser(x, y, w, h);
        b->box((s.style & kClientEdge) ? FL_DOWN_BOX : FL_FLAT_BOX);
        b->textfont(font);
        b->textsize(size);
        b->format_char(0);  // list items are file names, not markup
        b->column_char(0);
        b->has_scrollbar((s.style & kDisableNoScroll) ? Fl_Browser_::VERTICAL_ALWAYS : Fl_Browser_::VERTICAL);
        b->when(FL_WHEN_RELEASE_ALWAYS);
        b->callback(
            [](Fl_Widget* widget, void* data) {
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
            },
            this);
        return b;
    }
    case ControlKind::ProgressBar: {
        auto* p = new Fl_Progress(x, y, w, h);
        p->box(FL_THIN_DOWN_BOX);
        p->color(FL_BACKGROUND_COLOR);
        p->selection_color(fl_rgb_color(0, 0, 128));
        return p;
    }
    case ControlKind::Trackbar: {
        auto* t = new Trackbar(x, y, w, h, !(s.style & kNoTicks));
        t->when(FL_WHEN_CHANGED);
        t->callback(
            [](Fl_Widget* widget, void* data) {
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
            },
            this);
        return t;
    }
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

void FltkPlatform::installMenu(const std::vector<MenuPopup>& menu) {
    if (!menuBar_) return;
    menuBar_->clear();
    auto chosen = [](Fl_Widget* widget, void* data) {
        auto* self = static_cast<FltkPlatform*>(widget->user_data());
        self->command(static_cast<int>(reinterpret_cast<std::intptr_t>(data)), 0);
    };
    for (const MenuPopup& popup : menu) {
        if (popup.items.empty()) {
            menuBar_->add(menuLabel(popup.title).c_str(), 0, nullptr, nullptr, FL_SUBMENU);
            continue;
        }
        for (const MenuItem& item : popup.items) {
            std::string path = menuLabel(popup.title) + "/" + menuLabel(item.text);
            menuBar_->add(path.c_str(), 0, chosen, reinterpret_cast<void*>(static_cast<std::intptr_t>(item.commandId)),
                          item.grayed ? FL_MENU_INACTIVE : 0);
        }
    }
    menuBar_->redraw();
    changed();
}

void FltkPlatform::command(int id, int notification) {
    changed();
    if (blocked_ > 0 || !sink_ || quit_) return;
    ++dispatching_;
    sink_->onCommand(id, notification);
    --dispatching_;
}

int FltkPlatform::runMessageLoop() {
    if (!window_) return exitCode_;
    struct sigaction sa {};
    sa.sa_handler = requestClose;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGHUP, &sa, nullptr);
    Fl::add_timeout(0.05, &FltkPlatform::housekeeping, this);
    while (!quit_) Fl::wait(0.25);
    Fl::remove_timeout(&FltkPlatform::housekeeping, this);
    player_.stop();
    if (killSwitch_ > 0) endProgram(killSwitch_, 2000);
    killSwitch_ = -1;
    if (window_->shown()) window_->hide();
    Fl::check();
    if (!dumpPath_.empty()) writeDump();
    return exitCode_;
}

void FltkPlatform::postQuit(int exitCode) {
    exitCode_ = exitCode;
    quit_ = true;
    changed();
}

void FltkPlatform::minimiseWindow() {
    minimised_ = true;
    if (window_ && window_->shown()) window_->iconize();
    changed();
}

void FltkPlatform::restoreWindow() {
    minimised_ = false;
    if (window_) window_->show();
    changed();
}

void FltkPlatform::repaint() {
    if (!window_) return;
    ++blocked_;
    Fl::check();
    Fl::flush();
    --blocked_;
    keepHouse();
}

// ---- Controls -------------------------------------------------------------------------

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

void FltkPlatform::setMenuItemEnabled(int commandId, bool enabled) {
    if (!menuBar_) return;
    const Fl_Menu_Item* items = menuBar_->menu();
    for (int i = 0; items && i < menuBar_->size(); ++i) {
        Fl_Menu_Item& item = const_cast<Fl_Menu_Item&>(items[i]);
        if (!item.text || item.callback() == nullptr) continue;
        if (static_cast<int>(reinterpret_cast<std::intptr_t>(item.user_data())) != commandId) continue;
        if (enabled)
            item.activate();
        else
            item.deactivate();
    }
    menuBar_->redraw();
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

// ---- Timer and housekeeping -----------------------------------------------------------

void FltkPlatform::timerFired(void* data) {
    auto* t = static_cast<Timer*>(data);
    FltkPlatform* self = t->owner;
    unsigned generation = t->generation;
    if (self->blocked_ == 0 && self->sink_ && !self->quit_) {
        ++self->dispatching_;
        self->sink_->onTimer(t->id);
        --self->dispatching_;
    }
    // The shell may have stopped or restarted the timer from its handler.
    if (t->running && t->generation == generation) Fl::repeat_timeout(t->period, &FltkPlatform::timerFired, t);
}

void FltkPlatform::startTimer(int timerId, int periodMs) {
    Timer& t = timers_[timerId];
    Fl::remove_timeout(&FltkPlatform::timerFired, &t);
    t.owner = this;
    t.id = timerId;
    t.period = std::max(periodMs, 1) / 1000.0;
    t.running = true;
    ++t.generation;
    Fl::add_timeout(t.period, &FltkPlatform::timerFired, &t);
    changed();
}

void FltkPlatform::stopTimer(int timerId) {
    auto it = timers_.find(timerId);
    if (it == timers_.end()) return;
    Fl::remove_timeout(&FltkPlatform::timerFired, &it->second);
    it->second.running = false;
    ++it->second.generation;
    changed();
}

void FltkPlatform::housekeeping(void* data) {
    static_cast<FltkPlatform*>(data)->keepHouse();
    Fl::repeat_timeout(0.05, &FltkPlatform::housekeeping, data);
}

void FltkPlatform::reapChildren() {
    if (killSwitch_ > 0 && waitForExit(killSwitch_, 0)) {
        killSwitch_ = -1;  // the user closed it
        changed();
    }
    openers_.erase(std::remove_if(openers_.begin(), openers_.end(), [](pid_t p) { return waitForExit(p, 0).has_value(); }),
                   openers_.end());
}

void FltkPlatform::keepHouse() {
    bool wasPlaying = player_.playing();
    player_.reap();
    if (wasPlaying != player_.playing()) changed();
    reapChildren();
    // A signal to end asks for what the close button does.
    if (gCloseRequested && blocked_ == 0 && dispatching_ == 0 && !quit_ && window_) {
        gCloseRequested = 0;
        if (sink_) sink_->onDestroy();
        if (!quit_) postQuit(0);
    }
    if (dumpPath_.empty()) return;
    std::uint64_t now = steadyMillis();
    if (dirty_ || now - lastDump_ >= 500) writeDump();
}

void FltkPlatform::pumpBlocked(double seconds) {
    std::uint64_t end = steadyMillis() + static_cast<std::uint64_t>(seconds * 1000.0);
    for (std::uint64_t now = steadyMillis(); now < end; now = steadyMillis()) {
        double left = static_cast<double>(end - now) / 1000.0;
        if (window_) {
            Fl::wait(std::min(left, 0.05));
        } else {
            timespec ts{0, static_cast<long>(std::min(left, 0.05) * 1e9)};
            nanosleep(&ts, nullptr);
        }
        keepHouse();
    }
}

// ---- Dialogs, boxes, beeps ------------------------------------------------------------

std::optional<std::string> FltkPlatform::fileDialog(const FileDialogOptions& dialog, bool save) {
    if (!openDisplay()) return std::nullopt;
    std::string preset = dialog.initialName;
    for (;;) {
        Fl_Native_File_Chooser chooser(save ? Fl_Native_File_Chooser::BROWSE_SAVE_FILE
                                            : Fl_Native_File_Chooser::BROWSE_FILE);
        chooser.title(save ? "Save As" : "Open");
        std::string filter = chooserFilter(dialog);
        if (!filter.empty()) chooser.filter(filter.c_str());
        if (!dialog.initialFolder.empty()) chooser.directory(dialog.initialFolder.c_str());
        if (!preset.empty()) chooser.preset_file(preset.c_str());
        int options = Fl_Native_File_Chooser::NO_OPTIONS;
        if (save && (dialog.flags & kOverwritePrompt)) options |= Fl_Native_File_Chooser::SAVEAS_CONFIRM;
        if (save) options |= Fl_Native_File_Chooser::NEW_FOLDER;
        chooser.options(options);
        changed();
        if (chooser.show() != 0 || !chooser.filename() || !*chooser.filename()) return std::nullopt;
        std::string path = chooser.filename();
        if (!dialog.defaultExtension.empty() && io::fileNameOf(path).find('.') == std::string::npos)
            path += "." + dialog.defaultExtension;
        // As the system's own dialogs do, a name that does not fit the
        // flags is refused and the dialog comes back.
        if (!save && (dialog.flags & kFileMustExist) && !isRegularFile(path)) {
            fl_message_title(save ? "Save As" : "Open");
            fl_alert("%s\nFile not found.\nCheck the file name and try again.", path.c_str());
            preset = path;
            continue;
        }
        if ((dialog.flags & kPathMustExist) && !isFolder(io::folderOf(path).empty() ? "." : io::folderOf(path))) {
            fl_message_title(save ? "Save As" : "Open");
            fl_alert("%s\nPath does not exist.\nCheck the path and try again.", path.c_str());
            preset = path;
            continue;
        }
        return path;
    }
}

std::optional<std::string> FltkPlatform::openFileDialog(const FileDialogOptions& dialog) { return fileDialog(dialog, false); }

std::optional<std::string> FltkPlatform::saveFileDialog(const FileDialogOptions& dialog) { return fileDialog(dialog, true); }

MessageResult FltkPlatform::messageBox(const std::string& text, const std::string& caption, MessageIcon icon,
                                       MessageButtons buttons) {
    ++messageBoxes_;
    messageOpen_ = true;
    messageCaption_ = caption;
    messageText_ = text;
    if (!dumpPath_.empty()) writeDump();
    MessageResult result = buttons == MessageButtons::YesNo ? MessageResult::Yes : MessageResult::Ok;
    if (!openDisplay()) {
        std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    } else {
        fl_message_title(caption.c_str());
        switch (buttons) {
        case MessageButtons::Ok:
            if (icon == MessageIcon::Warning || icon == MessageIcon::Error)
                fl_alert("%s", text.c_str());
            else
                fl_message("%s", text.c_str());
            break;
        case MessageButtons::OkCancel:
            result = fl_choice("%s", "Cancel", "OK", nullptr, text.c_str()) == 1 ? MessageResult::Ok : MessageResult::Cancel;
            break;
        case MessageButtons::YesNo:
            result = fl_choice("%s", "No", "Yes", nullptr, text.c_str()) == 1 ? MessageResult::Yes : MessageResult::No;
            break;
        }
    }
    messageOpen_ = false;
    changed();
    return result;
}

void FltkPlatform::beep(Beep kind) {
    // The refusal rings at full volume, the done signal at half.
    if (kind == Beep::Done) {
        ++beepsDone_;
        if (fl_display) fl_beep(FL_BEEP_MESSAGE);
    } else {
        ++beepsRefused_;
        if (fl_display) fl_beep(FL_BEEP_ERROR);
    }
    changed();
}

// ---- Sound, documents, the kill switch ------------------------------------------------

void FltkPlatform::playWavAsync(const std::string& path) {
    ++plays_;
    lastPlayed_ = path;
    player_.play(path);
    changed();
}

void FltkPlatform::stopSound() {
    player_.stop();
    changed();
}

bool FltkPlatform::openThroughDesktop(const std::string& path) {
    ++desktopOpens_;
    lastDesktopOpen_ = path;
    changed();
    if (!isRegularFile(path)) return false;
    pid_t pid = spawnProgram("xdg-open", {path});
    if (pid < 0) return false;
    // xdg-open normally hands the file on and ends; when it runs the viewer
    // itself it goes on, and the file counts as opened.
    ++blocked_;
    std::uint64_t end = steadyMillis() + 5000;
    std::optional<int> code;
    while (!(code = waitForExit(pid, 0)) && steadyMillis() < end) pumpBlocked(0.05);
    --blocked_;
    if (!code) {
        openers_.push_back(pid);
        return true;
    }
    return *code == 0;
}

bool FltkPlatform::startKillSwitch(const std::string& programPath, const std::string& stopFlagPath) {
    if (killSwitch_ > 0) endProgram(killSwitch_, 2000);
    killSwitch_ = -1;
    if (access(programPath.c_str(), X_OK) != 0) return false;
    killSwitch_ = spawnProgram(programPath, {stopFlagPath});
    if (killSwitch_ > 0) ++killSwitchStarts_;
    changed();
    return killSwitch_ > 0;
}

void FltkPlatform::closeKillSwitch(const std::string&) {
    // The kill switch is our child: it is ended by its pid, so that another
    // program's window of the same title is never touched.
    if (killSwitch_ > 0) endProgram(killSwitch_, 2000);
    killSwitch_ = -1;
    changed();
}

std::string FltkPlatform::documentsFolder() { return desktop::documentsFolder(); }

std::string FltkPlatform::executablePath() { return desktop::executablePath(); }

std::string FltkPlatform::userDataFolder() { return desktop::userDataFolder(); }

std::uint64_t FltkPlatform::milliseconds() { return steadyMillis(); }

void FltkPlatform::sleep(std::uint32_t ms) {
    ++blocked_;
    pumpBlocked(ms / 1000.0);
    --blocked_;
}

// ---- State dump -----------------------------------------------------------------------

void FltkPlatform::writeDump() {
    dirty_ = false;
    lastDump_ = steadyMillis();
    std::ostringstream o;
    o << "sonkrate-ui 1\n";
    if (window_) {
        o << "window visible=" << (window_->shown() && window_->visible() ? 1 : 0) << " minimised=" << (minimised_ ? 1 : 0)
          << " x=" << window_->x() << " y=" << window_->y() << " w=" << window_->w() << " h=" << window_->h()
          << " client-top=" << kMenuBarHeight << " blocked=" << blocked_ << " quit=" << (quit_ ? 1 : 0)
          << " title=" << escapeDumpText(window_->label() ? window_->label() : "") << "\n";
    }
    if (menuBar_ && menuBar_->menu()) {
        int x = menuBar_->x() + 6;
        for (const Fl_Menu_Item* m = menuBar_->menu(); m && m->text; m = m->next()) {
            int w = m->measure(nullptr, menuBar_) + 16;
            o << "menu-title " << x << " " << w << " " << escapeDumpText(m->text) << "\n";
            x += w;
        }
        const Fl_Menu_Item* items = menuBar_->menu();
        for (int i = 0; i < menuBar_->size(); ++i) {
            const Fl_Menu_Item& item = items[i];
            if (!item.text || !item.callback()) continue;
            o << "menu-item " << reinterpret_cast<std::intptr_t>(item.user_data()) << " " << (item.active() ? 1 : 0) << " "
              << escapeDumpText(item.text) << "\n";
        }
    }
    for (auto& [id, c] : controls_) {
        if (!c.widget) continue;
        o << "control " << id << " " << kindName(c.description.kind) << " enabled=" << (c.widget->active() ? 1 : 0)
          << " shown=" << (c.widget->visible() ? 1 : 0) << " " << c.description.x << " " << c.description.y << " " << c.description.width << " "
          << c.description.height << " text=" << escapeDumpText(text(id)) << "\n";
        switch (c.description.kind) {
        case ControlKind::CheckBox:
            o << "check " << id << " " << static_cast<int>(static_cast<Fl_Check_Button*>(c.widget)->value()) << "\n";
            break;
        case ControlKind::ListBox:
            o << "list " << id << " count=" << c.items.size() << " caret=" << listCaretIndex(id) << "\n";
            for (std::size_t i = 0; i < c.items.size(); ++i)
                o << "list-item " << id << " " << i << " " << escapeDumpText(c.items[i]) << "\n";
            break;
        case ControlKind::Trackbar:
            o << "trackbar " << id << " " << c.range.low << " " << c.range.high << " " << trackbarPosition(id) << " "
              << c.range.ticFrequency << "\n";
            break;
        case ControlKind::ProgressBar:
            o << "progress " << id << " " << c.range.low << " " << c.range.high << " " << c.range.position << " "
              << c.range.step << "\n";
            break;
        default: break;
        }
    }
    for (auto& [id, t] : timers_)
        o << "timer " << id << " running=" << (t.running ? 1 : 0) << " period=" << static_cast<int>(t.period * 1000 + 0.5)
          << "\n";
    o << "sound playing=" << (player_.playing() ? 1 : 0) << " plays=" << plays_ << " available="
      << (player_.soundAvailable() ? 1 : 0) << " file=" << escapeDumpText(lastPlayed_) << "\n";
    o << "beeps done=" << beepsDone_ << " refused=" << beepsRefused_ << "\n";
    o << "message-boxes count=" << messageBoxes_ << " open=" << (messageOpen_ ? 1 : 0) << "\n";
    o << "message-caption " << escapeDumpText(messageCaption_) << "\n";
    o << "message-text " << escapeDumpText(messageText_) << "\n";
    o << "kill-switch pid=" << killSwitch_ << " starts=" << killSwitchStarts_ << "\n";
    o << "desktop-opens count=" << desktopOpens_ << " last=" << escapeDumpText(lastDesktopOpen_) << "\n";
    writeDumpFile(dumpPath_, o.str());
}

}  // namespace sonkrate::platform::desktop
