// The desktop backend's window and its loop: the main window and its
// events, timers, the housekeeping that runs while the loop waits, and the
// folders and clock. Controls, menus, dialogs, sound, other programs and
// the state dump live in the fltk_*.cpp files beside this one.
#include "platform/fltk/fltk_platform.h"

#include <FL/Fl.H>
#include <FL/Fl_Menu_Bar.H>
#include <FL/Fl_Pixmap.H>
#include <FL/Fl_RGB_Image.H>
#include <FL/Fl_Text_Buffer.H>
#include <FL/fl_ask.H>
#include <signal.h>
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "platform/fltk/desktop_paths.h"
#include "platform/fltk/fltk_archive_window.h"
#include "platform/fltk/fltk_common.h"
#include "platform/fltk/fltk_widgets.h"
#include "platform/fltk/processes.h"

namespace sonkrate::platform::desktop {

namespace {

#include "platform/fltk/sonkrate.xpm"

// The program's icon, for both windows.
const Fl_RGB_Image* windowIcon() {
    static Fl_Pixmap iconPixmap(sonkrate_xpm);
    static Fl_RGB_Image icon(&iconPixmap, FL_GRAY);
    return &icon;
}

volatile sig_atomic_t gCloseRequested = 0;
void requestClose(int) { gCloseRequested = 1; }

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
    window_->icon(windowIcon());
    connectWindowEvents();
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

void FltkPlatform::connectWindowEvents() {
    window_->callback(
        [](Fl_Widget*, void* data) {
            auto* self = static_cast<FltkPlatform*>(data);
            // Escape does not close this window, and neither does anything
            // while a command is running.
            if (Fl::event() == FL_SHORTCUT && Fl::event_key() == FL_Escape) return;
            if (self->blocked_ > 0 || self->dispatching_ > 0 || self->quit_) return;
            if (self->sink_) {
                // The shell may keep the program running; while it asks,
                // another close of this window is ignored.
                ++self->dispatching_;
                const bool mayClose = self->sink_->onCloseRequest();
                --self->dispatching_;
                self->changed();
                if (!mayClose) return;
                self->sink_->onDestroy();
            }
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
    window_->dropped = [this](const std::string& text) {
        std::vector<std::string> paths = droppedPaths(text);
        if (blocked_ == 0 && dispatching_ == 0 && sink_ && !quit_ && !paths.empty()) {
            ++dispatching_;
            sink_->onFilesDropped(paths);
            --dispatching_;
        }
        changed();
    };
}

void FltkPlatform::showMainWindow() {
    if (!window_) return;
    window_->show();
    changed();
}

ArchiveWindow* FltkPlatform::archiveWindow(const ArchiveWindowDescription& description, ArchiveWindowSink& sink) {
    if (archive_) return archive_.get();
    if (!window_) return nullptr;  // no display
    FltkArchiveWindow::Host host;
    host.dispatch = [this](const std::function<void()>& call) { return dispatch(call); };
    host.changed = [this] { changed(); };
    host.icon = windowIcon();
    archive_ = std::make_unique<FltkArchiveWindow>(description, sink, std::move(host));
    changed();
    return archive_.get();
}

bool FltkPlatform::dispatch(const std::function<void()>& call) {
    changed();
    if (blocked_ > 0 || quit_) return false;
    ++dispatching_;
    call();
    --dispatching_;
    return true;
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
    if (archive_) archive_->hideForExit();
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

void FltkPlatform::keepHouse() {
    bool wasPlaying = player_.playing();
    player_.reap();
    if (wasPlaying != player_.playing()) changed();
    reapChildren();
    // A signal to end (a log-off, a kill) closes as the close button does, but
    // cannot be refused: the shell still offers to save, without Cancel.
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

// ---- Folders and clock ----------------------------------------------------------------

std::string FltkPlatform::documentsFolder() { return desktop::documentsFolder(); }

std::string FltkPlatform::executablePath() { return desktop::executablePath(); }

std::string FltkPlatform::userDataFolder() { return desktop::userDataFolder(); }

std::uint64_t FltkPlatform::milliseconds() { return steadyMillis(); }

void FltkPlatform::sleep(std::uint32_t ms) {
    ++blocked_;
    pumpBlocked(ms / 1000.0);
    --blocked_;
}

}  // namespace sonkrate::platform::desktop
