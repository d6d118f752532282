// The headless backend: the window, its controls and the menu held in
// memory, dialogs answered from queues a test fills, everything the shell
// shows or plays recorded in order, timer ticks fired by the test and a
// virtual clock that sleep advances. A scripted kill switch writes its stop
// flag at a chosen moment.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/headless/headless_archive_window.h"
#include "platform/platform.h"
#include "platform/range_control.h"

namespace sonkrate::platform {

// One thing the shell did that a user would see or hear.
enum class RecordKind {
    Beep,
    Text,          // setText on a control (id, text)
    MessageBox,    // text, caption, icon
    OpenDialog,    // dialog
    SaveDialog,    // dialog
    Play,          // text = the file played
    StopSound,
    OpenDocument,  // text = the path handed to the desktop
    StartKillSwitch,  // text = program, caption = stop flag path
    CloseKillSwitch,  // text = window title
    Minimise,
    Restore,
};

struct Record {
    RecordKind kind = RecordKind::Text;
    int id = 0;
    std::string text;
    std::string caption;
    Beep beep = Beep::Done;
    MessageIcon icon = MessageIcon::None;
    FileDialogOptions dialog;
};

// The trackbar's and progress bar's range, position and step come from
// RangeControl, kept by the rules every backend shares.
struct HeadlessControl : RangeControl {
    ControlDescription description;  // as created; its text is cleared, see initialText
    std::string initialText;
    std::string text;
    bool enabled = true;
    bool shown = true;
    bool checked = false;
    int stepItCount = 0;  // progress bar: the steps asked for
    // List box.
    std::vector<std::string> items;
    int caret = -1;
};

struct HeadlessMenuItem {
    std::string popup;
    std::string text;
    int commandId = 0;
    bool enabled = true;
};

// When the scripted kill switch writes its flag: after the given number of
// sleeps since it was started, or once the clock reaches a time, whichever
// is set and comes first.
struct KillSwitchPlan {
    std::optional<int> afterSleeps;
    std::optional<std::uint64_t> atMillis;
    std::string flagText = "1";
};

class HeadlessPlatform : public Platform {
public:
    HeadlessPlatform();

    // ---- Set-up by the test ----
    void setScreenSize(int width, int height) { screen_ = {width, height}; }
    void setExecutablePath(std::string path) { executablePath_ = std::move(path); }
    void setDocumentsFolder(std::string path) { documentsFolder_ = std::move(path); }
    void setUserDataFolder(std::string path) { userDataFolder_ = std::move(path); }
    void failWindowRegistration() { windowFailure_ = WindowResult::RegistrationFailed; }
    void failWindowCreation() { windowFailure_ = WindowResult::CreationFailed; }
    void setDesktopOpenSucceeds(bool ok) { desktopOpenSucceeds_ = ok; }
    void setKillSwitchStarts(bool ok) { killSwitchStarts_ = ok; }
    void planKillSwitch(KillSwitchPlan plan) { killSwitchPlan_ = std::move(plan); }

    // Answers for the next dialogs, in order, open and save alike.
    void answerDialog(std::string path) { dialogAnswers_.push_back(std::move(path)); }
    void cancelDialog() { dialogAnswers_.push_back(std::nullopt); }
    std::size_t unansweredDialogs() const { return dialogAnswers_.size(); }
    // Answers for message boxes; with none queued a box answers OK (or Yes).
    void answerMessageBox(MessageResult result) { messageAnswers_.push_back(result); }

    // Actions for runMessageLoop, run in order; when they are used up the
    // loop closes the window as a user would.
    void queueAction(std::function<void()> action) { actions_.push_back(std::move(action)); }

    // ---- The user ----
    // A click on a control: a check box toggles its mark; nothing happens on
    // a disabled or hidden control. Returns whether the click reached the shell.
    bool click(int controlId);
    // Chooses a menu item; a grayed item does nothing. Returns whether it was sent.
    bool chooseMenu(int commandId);
    // Sends a command as the window would, whatever the controls' states.
    void command(int id, int notification = 0);
    // Types into an edit control (replacing its text); refused when disabled.
    bool typeText(int controlId, const std::string& text);
    // Clicks a list item: moves the caret and sends the selection change.
    bool selectListItem(int controlId, int index);
    // Drags the trackbar thumb (clamped to the range) and sends the scroll.
    bool dragTrackbar(int controlId, int position);
    void leftButtonUp();
    void mouseMove(int x, int y);
    // Drops files on the main window.
    void dropFiles(const std::vector<std::string>& paths);
    // One tick of a running timer; false (and nothing sent) when it is stopped.
    bool tick(int timerId = kTimer1);
    void advanceClock(std::uint64_t ms) { clock_ += ms; }
    // The user closes the main window: the shell is asked first and the
    // window goes only when it agrees. Returns whether it went.
    bool requestClose();
    // Closes the main window with no asking, as the session ending does:
    // the shell receives the destroy event.
    void closeWindow();

    // ---- What the test looks at ----
    const HeadlessControl* control(int controlId) const;
    const HeadlessMenuItem* menuItem(int commandId) const;
    const std::vector<HeadlessMenuItem>& menu() const { return menu_; }
    // Ids of the controls in the order they were created.
    const std::vector<int>& creationOrder() const { return creationOrder_; }
    const std::vector<Record>& journal() const { return journal_; }
    void clearJournal() { journal_.clear(); }
    // Misuse by the shell (an unknown control id, a dialog nobody answered).
    const std::vector<std::string>& faults() const { return faults_; }
    bool windowCreated() const { return windowCreated_; }
    bool windowShown() const { return windowShown_; }
    bool windowAlive() const { return windowCreated_ && !windowDestroyed_; }
    bool minimised() const { return minimised_; }
    const WindowDescription& windowDescription() const { return windowDescription_; }
    const std::string& windowTitle() const { return windowTitle_; }
    bool timerRunning(int timerId = kTimer1) const;
    int timerPeriod(int timerId = kTimer1) const;
    std::optional<std::string> playing() const { return playing_; }
    bool killSwitchRunning() const { return killSwitchRunning_; }
    int sleepCount() const { return sleeps_; }
    std::optional<int> quitCode() const { return quitCode_; }
    int repaintCount() const { return repaints_; }

    // ---- Platform ----
    ScreenSize screenSize() override { return screen_; }
    WindowResult createMainWindow(const WindowDescription& window, EventSink& sink) override;
    void showMainWindow() override { windowShown_ = true; }
    void createControl(const ControlDescription& description) override;
    void installMenu(const std::vector<MenuPopup>& menu) override;
    int runMessageLoop() override;
    void postQuit(int exitCode) override { quitCode_ = exitCode; }
    void minimiseWindow() override;
    void restoreWindow() override;
    void repaint() override { ++repaints_; }

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

    void startTimer(int timerId, int periodMs) override;
    void stopTimer(int timerId) override;

    std::optional<std::string> openFileDialog(const FileDialogOptions& options) override;
    std::optional<std::string> saveFileDialog(const FileDialogOptions& options) override;
    MessageResult messageBox(const std::string& text, const std::string& caption, MessageIcon icon,
                             MessageButtons buttons) override;
    void beep(Beep kind) override;

    void playWavAsync(const std::string& path) override;
    void stopSound() override;
    bool openThroughDesktop(const std::string& path) override;
    bool startKillSwitch(const std::string& programPath, const std::string& stopFlagPath) override;
    void closeKillSwitch(const std::string& windowTitle) override;

    std::string documentsFolder() override { return documentsFolder_; }
    std::string executablePath() override { return executablePath_; }
    std::string userDataFolder() override { return userDataFolder_; }
    std::uint64_t milliseconds() override { return clock_; }
    void sleep(std::uint32_t ms) override;
    ArchiveWindow* archiveWindow(const ArchiveWindowDescription& description, ArchiveWindowSink& sink) override;
    // The archive window, once the shell has asked for it.
    HeadlessArchiveWindow* archive() { return archiveWindow_.get(); }

private:
    HeadlessControl* find(int controlId, const char* operation);
    HeadlessControl* findKind(int controlId, ControlKind kind, const char* operation);
    std::optional<std::string> answer(RecordKind kind, const FileDialogOptions& options);
    void writeStopFlag();

    ScreenSize screen_{1024, 768};
    std::string executablePath_;
    std::string documentsFolder_;
    std::string userDataFolder_;
    std::optional<WindowResult> windowFailure_;
    bool desktopOpenSucceeds_ = true;
    bool killSwitchStarts_ = true;
    std::optional<KillSwitchPlan> killSwitchPlan_;

    std::deque<std::optional<std::string>> dialogAnswers_;
    std::deque<MessageResult> messageAnswers_;
    std::deque<std::function<void()>> actions_;

    EventSink* sink_ = nullptr;
    WindowDescription windowDescription_;
    std::string windowTitle_;
    bool windowCreated_ = false;
    bool windowShown_ = false;
    bool windowDestroyed_ = false;
    bool minimised_ = false;
    std::map<int, HeadlessControl> controls_;
    std::vector<int> creationOrder_;
    std::vector<HeadlessMenuItem> menu_;
    std::map<int, int> timers_;  // id -> period
    std::vector<Record> journal_;
    std::vector<std::string> faults_;
    std::optional<std::string> playing_;
    std::optional<int> quitCode_;
    int repaints_ = 0;

    std::uint64_t clock_ = 0;
    int sleeps_ = 0;
    bool killSwitchRunning_ = false;
    bool stopFlagWritten_ = false;
    int sleepsSinceKillSwitch_ = 0;
    std::string stopFlagPath_;
    std::unique_ptr<HeadlessArchiveWindow> archiveWindow_;
};

}  // namespace sonkrate::platform
