#include "platform/headless/headless_platform.h"

#include <algorithm>
#include <fstream>

#include "io/unicode_text.h"

namespace sonkrate::platform {

HeadlessPlatform::HeadlessPlatform() = default;

namespace {

Record makeRecord(RecordKind kind) {
    Record r;
    r.kind = kind;
    return r;
}

}  // namespace

// ---- Helpers ----------------------------------------------------------------

HeadlessControl* HeadlessPlatform::find(int controlId, const char* operation) {
    auto it = controls_.find(controlId);
    if (it == controls_.end()) {
        faults_.push_back(std::string(operation) + " on unknown control " + std::to_string(controlId));
        return nullptr;
    }
    return &it->second;
}

HeadlessControl* HeadlessPlatform::findKind(int controlId, ControlKind kind, const char* operation) {
    HeadlessControl* c = find(controlId, operation);
    if (c && c->description.kind != kind) {
        faults_.push_back(std::string(operation) + " on control " + std::to_string(controlId) +
                          " of another kind");
        return nullptr;
    }
    return c;
}

const HeadlessControl* HeadlessPlatform::control(int controlId) const {
    auto it = controls_.find(controlId);
    return it == controls_.end() ? nullptr : &it->second;
}

const HeadlessMenuItem* HeadlessPlatform::menuItem(int commandId) const {
    for (const auto& item : menu_)
        if (item.commandId == commandId) return &item;
    return nullptr;
}

bool HeadlessPlatform::timerRunning(int timerId) const { return timers_.count(timerId) != 0; }

int HeadlessPlatform::timerPeriod(int timerId) const {
    auto it = timers_.find(timerId);
    return it == timers_.end() ? 0 : it->second;
}

// ---- The user -----------------------------------------------------------------

bool HeadlessPlatform::click(int controlId) {
    HeadlessControl* c = find(controlId, "click");
    if (!c || !c->enabled || !c->shown || !windowAlive()) return false;
    if (c->description.kind == ControlKind::CheckBox) c->checked = !c->checked;
    command(controlId, 0);
    return true;
}

bool HeadlessPlatform::chooseMenu(int commandId) {
    const HeadlessMenuItem* item = menuItem(commandId);
    if (!item) {
        faults_.push_back("chooseMenu of unknown command " + std::to_string(commandId));
        return false;
    }
    if (!item->enabled || !windowAlive()) return false;
    command(commandId, 0);
    return true;
}

void HeadlessPlatform::command(int id, int notification) {
    if (sink_ && windowAlive()) sink_->onCommand(id, notification);
}

bool HeadlessPlatform::typeText(int controlId, const std::string& text) {
    HeadlessControl* c = findKind(controlId, ControlKind::Edit, "typeText");
    if (!c || !c->enabled) return false;
    c->text = text;
    return true;
}

bool HeadlessPlatform::selectListItem(int controlId, int index) {
    HeadlessControl* c = findKind(controlId, ControlKind::ListBox, "selectListItem");
    if (!c || !c->enabled || index < 0 || index >= static_cast<int>(c->items.size())) return false;
    c->caret = index;
    command(controlId, kListSelectionChanged);
    return true;
}

bool HeadlessPlatform::dragTrackbar(int controlId, int position) {
    HeadlessControl* c = findKind(controlId, ControlKind::Trackbar, "dragTrackbar");
    if (!c || !c->enabled) return false;
    setPosition(*c, position);
    if (sink_ && windowAlive()) sink_->onTrackbarScroll();
    return true;
}

void HeadlessPlatform::leftButtonUp() {
    if (sink_ && windowAlive()) sink_->onLeftButtonUp();
}

void HeadlessPlatform::mouseMove(int x, int y) {
    if (sink_ && windowAlive()) sink_->onMouseMove(x, y);
}

void HeadlessPlatform::dropFiles(const std::vector<std::string>& paths) {
    if (sink_ && windowAlive()) sink_->onFilesDropped(paths);
}

bool HeadlessPlatform::tick(int timerId) {
    if (!timerRunning(timerId) || !windowAlive()) return false;
    clock_ += static_cast<std::uint64_t>(timerPeriod(timerId));
    sink_->onTimer(timerId);
    return true;
}

bool HeadlessPlatform::requestClose() {
    if (!windowAlive()) return false;
    if (sink_ && !sink_->onCloseRequest()) return false;
    closeWindow();
    return true;
}

void HeadlessPlatform::closeWindow() {
    if (!windowAlive()) return;
    windowDestroyed_ = true;
    if (sink_) sink_->onDestroy();
    timers_.clear();
}

// ---- Window and loop ------------------------------------------------------------

WindowResult HeadlessPlatform::createMainWindow(const WindowDescription& window, EventSink& sink) {
    if (windowFailure_) return *windowFailure_;
    windowDescription_ = window;
    windowTitle_ = std::string(window.title);
    windowDescription_.title = {};
    windowDescription_.className = {};
    sink_ = &sink;
    windowCreated_ = true;
    sink.onCreate();
    return WindowResult::Created;
}

void HeadlessPlatform::createControl(const ControlDescription& description) {
    if (controls_.count(description.id)) {
        faults_.push_back("control " + std::to_string(description.id) + " created twice");
        return;
    }
    HeadlessControl c;
    c.description = description;
    c.initialText = std::string(description.text);
    c.description.text = {};
    c.text = c.initialText;
    controls_.emplace(description.id, std::move(c));
    creationOrder_.push_back(description.id);
}

void HeadlessPlatform::installMenu(const std::vector<MenuPopup>& menu) {
    menu_.clear();
    for (const auto& popup : menu)
        for (const auto& item : popup.items)
            menu_.push_back({std::string(popup.title), std::string(item.text), item.commandId, !item.grayed});
}

int HeadlessPlatform::runMessageLoop() {
    while (!quitCode_ && !actions_.empty()) {
        auto action = std::move(actions_.front());
        actions_.pop_front();
        action();
    }
    if (!quitCode_) closeWindow();
    return quitCode_.value_or(0);
}

void HeadlessPlatform::minimiseWindow() {
    minimised_ = true;
    journal_.push_back(makeRecord(RecordKind::Minimise));
}

void HeadlessPlatform::restoreWindow() {
    minimised_ = false;
    journal_.push_back(makeRecord(RecordKind::Restore));
}

// ---- Controls ----------------------------------------------------------------------

void HeadlessPlatform::setText(int controlId, const std::string& text) {
    HeadlessControl* c = find(controlId, "setText");
    if (!c) return;
    c->text = text;
    Record r = makeRecord(RecordKind::Text);
    r.id = controlId;
    r.text = text;
    journal_.push_back(std::move(r));
}

std::string HeadlessPlatform::text(int controlId) {
    HeadlessControl* c = find(controlId, "text");
    return c ? c->text : std::string();
}

void HeadlessPlatform::setEnabled(int controlId, bool enabled) {
    if (HeadlessControl* c = find(controlId, "setEnabled")) c->enabled = enabled;
}

void HeadlessPlatform::setShown(int controlId, bool shown) {
    if (HeadlessControl* c = find(controlId, "setShown")) c->shown = shown;
}

void HeadlessPlatform::setMenuItemEnabled(int commandId, bool enabled) {
    for (auto& item : menu_)
        if (item.commandId == commandId) {
            item.enabled = enabled;
            return;
        }
    faults_.push_back("setMenuItemEnabled of unknown command " + std::to_string(commandId));
}

// ---- Trackbar and progress bar ----------------------------------------------------------

void HeadlessPlatform::setTrackbarRange(int controlId, int low, int high) {
    HeadlessControl* c = findKind(controlId, ControlKind::Trackbar, "setTrackbarRange");
    if (c) setRange(*c, low, high);
}

int HeadlessPlatform::trackbarPosition(int controlId) {
    HeadlessControl* c = findKind(controlId, ControlKind::Trackbar, "trackbarPosition");
    return c ? c->position : 0;
}

void HeadlessPlatform::setTrackbarPosition(int controlId, int position) {
    HeadlessControl* c = findKind(controlId, ControlKind::Trackbar, "setTrackbarPosition");
    if (c) setPosition(*c, position);
}

void HeadlessPlatform::setTrackbarTicFrequency(int controlId, int frequency) {
    HeadlessControl* c = findKind(controlId, ControlKind::Trackbar, "setTrackbarTicFrequency");
    if (c) c->ticFrequency = frequency;
}

void HeadlessPlatform::setProgressRange(int controlId, int low, int high) {
    HeadlessControl* c = findKind(controlId, ControlKind::ProgressBar, "setProgressRange");
    if (c) setRange(*c, low, high);
}

void HeadlessPlatform::setProgressStep(int controlId, int step) {
    HeadlessControl* c = findKind(controlId, ControlKind::ProgressBar, "setProgressStep");
    if (c) c->step = step;
}

void HeadlessPlatform::setProgressPosition(int controlId, int position) {
    HeadlessControl* c = findKind(controlId, ControlKind::ProgressBar, "setProgressPosition");
    if (c) setPosition(*c, position);
}

void HeadlessPlatform::progressStepIt(int controlId) {
    HeadlessControl* c = findKind(controlId, ControlKind::ProgressBar, "progressStepIt");
    if (!c) return;
    ++c->stepItCount;
    stepIt(*c);
}

// ---- List box ----------------------------------------------------------------------------

void HeadlessPlatform::listReset(int controlId) {
    HeadlessControl* c = findKind(controlId, ControlKind::ListBox, "listReset");
    if (!c) return;
    c->items.clear();
    c->caret = -1;
}

void HeadlessPlatform::listAddString(int controlId, const std::string& item) {
    HeadlessControl* c = findKind(controlId, ControlKind::ListBox, "listAddString");
    if (!c) return;
    c->items.push_back(item);
    if (c->caret < 0) c->caret = 0;
}

int HeadlessPlatform::listCaretIndex(int controlId) {
    HeadlessControl* c = findKind(controlId, ControlKind::ListBox, "listCaretIndex");
    return c ? c->caret : -1;
}

std::string HeadlessPlatform::listItemText(int controlId, int index) {
    HeadlessControl* c = findKind(controlId, ControlKind::ListBox, "listItemText");
    if (!c || index < 0 || index >= static_cast<int>(c->items.size())) return {};
    return c->items[static_cast<std::size_t>(index)];
}

int HeadlessPlatform::listCount(int controlId) {
    HeadlessControl* c = findKind(controlId, ControlKind::ListBox, "listCount");
    return c ? static_cast<int>(c->items.size()) : 0;
}

// ---- Timer, dialogs, boxes, sound ------------------------------------------------------------

void HeadlessPlatform::startTimer(int timerId, int periodMs) { timers_[timerId] = periodMs; }

void HeadlessPlatform::stopTimer(int timerId) { timers_.erase(timerId); }

std::optional<std::string> HeadlessPlatform::answer(RecordKind kind, const FileDialogOptions& options) {
    Record r = makeRecord(kind);
    r.dialog = options;
    journal_.push_back(std::move(r));
    if (dialogAnswers_.empty()) {
        faults_.push_back("a dialog for \"" + options.filterText + "\" was shown with no answer queued");
        return std::nullopt;
    }
    auto result = dialogAnswers_.front();
    dialogAnswers_.pop_front();
    return result;
}

std::optional<std::string> HeadlessPlatform::openFileDialog(const FileDialogOptions& options) {
    return answer(RecordKind::OpenDialog, options);
}

std::optional<std::string> HeadlessPlatform::saveFileDialog(const FileDialogOptions& options) {
    return answer(RecordKind::SaveDialog, options);
}

MessageResult HeadlessPlatform::messageBox(const std::string& text, const std::string& caption,
                                           MessageIcon icon, MessageButtons buttons) {
    Record r = makeRecord(RecordKind::MessageBox);
    r.text = text;
    r.caption = caption;
    r.icon = icon;
    journal_.push_back(std::move(r));
    if (!messageAnswers_.empty()) {
        MessageResult result = messageAnswers_.front();
        messageAnswers_.pop_front();
        return result;
    }
    return buttons == MessageButtons::YesNo ? MessageResult::Yes : MessageResult::Ok;
}

void HeadlessPlatform::beep(Beep kind) {
    Record r = makeRecord(RecordKind::Beep);
    r.beep = kind;
    journal_.push_back(std::move(r));
}

void HeadlessPlatform::playWavAsync(const std::string& path) {
    playing_ = path;
    Record r = makeRecord(RecordKind::Play);
    r.text = path;
    journal_.push_back(std::move(r));
}

void HeadlessPlatform::stopSound() {
    playing_.reset();
    journal_.push_back(makeRecord(RecordKind::StopSound));
}

bool HeadlessPlatform::openThroughDesktop(const std::string& path) {
    Record r = makeRecord(RecordKind::OpenDocument);
    r.text = path;
    journal_.push_back(std::move(r));
    return desktopOpenSucceeds_;
}

bool HeadlessPlatform::startKillSwitch(const std::string& programPath, const std::string& stopFlagPath) {
    Record r = makeRecord(RecordKind::StartKillSwitch);
    r.text = programPath;
    r.caption = stopFlagPath;
    journal_.push_back(std::move(r));
    if (!killSwitchStarts_) return false;
    killSwitchRunning_ = true;
    stopFlagWritten_ = false;
    sleepsSinceKillSwitch_ = 0;
    stopFlagPath_ = stopFlagPath;
    return true;
}

void HeadlessPlatform::closeKillSwitch(const std::string& windowTitle) {
    Record r = makeRecord(RecordKind::CloseKillSwitch);
    r.text = windowTitle;
    journal_.push_back(std::move(r));
    killSwitchRunning_ = false;
}

// ---- Clock ----------------------------------------------------------------------------------

void HeadlessPlatform::sleep(std::uint32_t ms) {
    clock_ += ms;
    ++sleeps_;
    if (!killSwitchRunning_ || !killSwitchPlan_ || stopFlagWritten_) return;
    ++sleepsSinceKillSwitch_;
    const KillSwitchPlan& plan = *killSwitchPlan_;
    bool due = (plan.afterSleeps && sleepsSinceKillSwitch_ >= *plan.afterSleeps) ||
               (plan.atMillis && clock_ >= *plan.atMillis);
    if (due) writeStopFlag();
}

void HeadlessPlatform::writeStopFlag() {
    // The kill switch writes its number over the start of the file and
    // leaves the rest, as the real one does.
    std::fstream out(io::nativePath(stopFlagPath_), std::ios::in | std::ios::out | std::ios::binary);
    if (!out.is_open()) out.open(io::nativePath(stopFlagPath_), std::ios::out | std::ios::binary | std::ios::trunc);
    if (!out.is_open()) {
        faults_.push_back("the kill switch could not write " + stopFlagPath_);
        return;
    }
    out.seekp(0);
    out.write(killSwitchPlan_->flagText.data(), static_cast<std::streamsize>(killSwitchPlan_->flagText.size()));
    stopFlagWritten_ = true;
}

ArchiveWindow* HeadlessPlatform::archiveWindow(const ArchiveWindowDescription& description, ArchiveWindowSink& sink) {
    if (!archiveWindow_) archiveWindow_ = std::make_unique<HeadlessArchiveWindow>(description, sink);
    return archiveWindow_.get();
}

}  // namespace sonkrate::platform
