// The Linux desktop backend of the platform API: FLTK 1.3 widgets at the
// window's pixel positions, FLTK's native file chooser, SDL2 sound, the kill
// switch as a child process, xdg-open for documents and the XDG folders.
// One class; its parts are defined by concern in fltk_platform.cpp (window,
// loop, timers) and the fltk_*.cpp files beside it.
#pragma once

#include <sys/types.h>

#include <functional>
#include <iosfwd>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/fltk/sound_player.h"
#include "platform/platform.h"
#include "platform/range_control.h"

class Fl_Widget;
class Fl_Menu_Bar;
class Fl_Text_Buffer;

namespace sonkrate::platform::desktop {

class FltkArchiveWindow;
class MainWindowWidget;

class FltkPlatform : public Platform {
public:
    FltkPlatform();
    ~FltkPlatform() override;

    // The main window was made (false when there was no display).
    bool windowCreated() const { return window_ != nullptr; }

    ScreenSize screenSize() override;
    WindowResult createMainWindow(const WindowDescription& window, EventSink& sink) override;
    void showMainWindow() override;
    void createControl(const ControlDescription& description) override;
    void installMenu(const std::vector<MenuPopup>& menu) override;
    int runMessageLoop() override;
    void postQuit(int exitCode) override;
    void minimiseWindow() override;
    void restoreWindow() override;
    void repaint() override;

    void setText(int controlId, const std::string& text) override;
    std::string text(int controlId) override;
    void setEnabled(int controlId, bool enabled) override;
    void setShown(int controlId, bool shown) override;
    void setMenuItemEnabled(int commandId, bool enabled) override;

    void setTrackbarRange(int controlId, int low, int high) override;
    int trackbarPosition(int controlId) override;
    void setTrackbarPosition(int controlId, int position) override;
    void setTrackbarTicFrequency(int controlId, int frequency) override;

    void setProgressRange(int controlId, int low, int high) override;
    void setProgressStep(int controlId, int step) override;
    void setProgressPosition(int controlId, int position) override;
    void progressStepIt(int controlId) override;

    void listReset(int controlId) override;
    void listAddString(int controlId, const std::string& item) override;
    int listCaretIndex(int controlId) override;
    std::string listItemText(int controlId, int index) override;
    int listCount(int controlId) override;

    ArchiveWindow* archiveWindow(const ArchiveWindowDescription& description, ArchiveWindowSink& sink) override;

    void startTimer(int timerId, int periodMs) override;
    void stopTimer(int timerId) override;

    std::optional<std::string> openFileDialog(const FileDialogOptions& dialog) override;
    std::optional<std::string> saveFileDialog(const FileDialogOptions& dialog) override;
    MessageResult messageBox(const std::string& text, const std::string& caption, MessageIcon icon,
                             MessageButtons buttons) override;
    void beep(Beep kind) override;

    void playWavAsync(const std::string& path) override;
    void stopSound() override;
    bool openThroughDesktop(const std::string& path) override;
    bool startKillSwitch(const std::string& programPath, const std::string& stopFlagPath) override;
    void closeKillSwitch(const std::string& windowTitle) override;

    std::string documentsFolder() override;
    std::string executablePath() override;
    std::string userDataFolder() override;
    std::uint64_t milliseconds() override;
    void sleep(std::uint32_t ms) override;

private:
    struct Control {
        ControlDescription description;
        std::string text;
        Fl_Widget* widget = nullptr;
        std::unique_ptr<Fl_Text_Buffer> buffer;  // multi-line edits
        RangeControl range;  // trackbar and progress bar
        std::vector<std::string> items;
        int lastSelection = 0;  // list box: the 1-based line selected last
    };
    struct Timer {
        FltkPlatform* owner = nullptr;
        int id = 0;
        double period = 0.1;
        bool running = false;
        unsigned generation = 0;
    };

    Control* find(int controlId, ControlKind kind);
    Control* find(int controlId);
    void connectWindowEvents();
    // Widgets from control descriptions (fltk_control_widgets.cpp).
    Fl_Widget* makeWidget(Control& c);
    Fl_Widget* makeButton(const ControlDescription& s);
    Fl_Widget* makeStatic(const ControlDescription& s);
    Fl_Widget* makeMultilineEdit(Control& c);
    Fl_Widget* makeLineEdit(const ControlDescription& s);
    Fl_Widget* makeListBox(const ControlDescription& s);
    Fl_Widget* makeProgressBar(const ControlDescription& s);
    Fl_Widget* makeTrackbar(const ControlDescription& s);
    static void buttonPressed(Fl_Widget* widget, void* data);
    static void listChosen(Fl_Widget* widget, void* data);
    static void trackbarMoved(Fl_Widget* widget, void* data);
    void applyRange(Control& c);
    void command(int id, int notification);
    std::optional<std::string> fileDialog(const FileDialogOptions& dialog, bool save);
    static void timerFired(void* data);
    static void housekeeping(void* data);
    void keepHouse();
    // Processes window events for up to seconds without handing any to the shell.
    void pumpBlocked(double seconds);
    void changed() { dirty_ = true; }
    // The state dump (fltk_dump.cpp).
    void writeDump();
    void dumpWindow(std::ostream& o);
    void dumpMenu(std::ostream& o);
    void dumpControl(std::ostream& o, int id, const Control& c);
    void reapChildren();

    // Runs a call into the shell unless input is held back; false when it was not run.
    bool dispatch(const std::function<void()>& call);

    EventSink* sink_ = nullptr;
    MainWindowWidget* window_ = nullptr;
    std::unique_ptr<FltkArchiveWindow> archive_;
    Fl_Menu_Bar* menuBar_ = nullptr;
    std::map<int, Control> controls_;
    std::map<int, Timer> timers_;
    bool quit_ = false;
    int exitCode_ = 0;
    bool minimised_ = false;
    // While above 0 (automatic play sleeping, a forced repaint) user input
    // and timer ticks do not reach the shell.
    int blocked_ = 0;
    // Calls into the shell under way; a close asked for by a signal waits
    // until none is.
    int dispatching_ = 0;

    SoundPlayer player_;
    std::string lastPlayed_;
    int plays_ = 0;

    pid_t killSwitch_ = -1;
    int killSwitchStarts_ = 0;
    std::vector<pid_t> openers_;  // xdg-open runs that had not ended when asked
    int desktopOpens_ = 0;
    std::string lastDesktopOpen_;

    int beepsDone_ = 0, beepsRefused_ = 0;
    int messageBoxes_ = 0;
    bool messageOpen_ = false;
    std::string messageCaption_, messageText_;

    std::string dumpPath_;
    bool dirty_ = true;
    std::uint64_t lastDump_ = 0;
};

}  // namespace sonkrate::platform::desktop
