#include "app/shell.h"

#include "app/archive_window.h"
#include "app/archive_window_texts.h"

#include "app/command_ids.h"
#include "app/main_window.h"
#include "app/command_table.h"
#include "audio/cau/missing_sound.h"
#include "io/file_system.h"

namespace sonkrate::app {

using platform::CreationPhase;

Shell::Shell(platform::Platform& platform) : platform_(platform), status_(platform) {}

Shell::~Shell() = default;

bool Shell::startUp() {
    paths_ = computeWorkPaths(platform_);
    // The replacement sound is made once; a file already there is kept, and
    // a failure shows later, in the commands that need the file.
    bool written = false;
    (void)audio::writeMissingCauIfAbsent(paths_.missingCau, written);

    switch (platform_.createMainWindow(mainWindowDescription(platform_.screenSize()), *this)) {
    case platform::WindowResult::Created:
        break;
    case platform::WindowResult::RegistrationFailed:
        platform_.messageBox("Window Registration Failed!", "Error!", platform::MessageIcon::Warning,
                             platform::MessageButtons::Ok);
        return false;
    case platform::WindowResult::CreationFailed:
        platform_.messageBox("Window Creation Failed!", "Error!", platform::MessageIcon::Warning,
                             platform::MessageButtons::Ok);
        return false;
    }
    platform_.showMainWindow();

    for (const auto& control : controlTable()) {
        if (control.phase != CreationPhase::AfterShow) continue;
        platform_.createControl(control);
        if (control.id == kProgressBar) platform_.setProgressPosition(kProgressBar, 0);
    }

    resetList();

    for (const auto& control : controlTable())
        if (control.phase == CreationPhase::Bitmaps) platform_.createControl(control);
    platform_.setShown(kRepeatLabel, false);
    platform_.setShown(kStopLabel, false);
    return true;
}

void Shell::onCreate() {
    for (const auto& control : controlTable())
        if (control.phase == CreationPhase::WithWindow) platform_.createControl(control);
    platform_.setEnabled(kTrackbar, false);
    platform_.installMenu(menuTable());
}

void Shell::onCommand(int id, int notification) {
    const CommandRow* row = findCommand(id);
    if (!row) return;
    if (row->ready && !row->ready(*this)) {
        status_.beepRefused();
        return;
    }
    const int before = state_.currentIndex;
    row->run(*this, notification);
    updateArchiveWindow(before);
}

void Shell::onTrackbarScroll() {
    const int before = state_.currentIndex;
    takeTrackbarPosition();
    updateArchiveWindow(before);
}

void Shell::onLeftButtonUp() {
    const int before = state_.currentIndex;
    takeTrackbarPosition();
    updateArchiveWindow(before);
}

void Shell::onMouseMove(int x, int y) { updateHoverLabels(x, y); }

bool Shell::onCloseRequest() {
    // Edits staged in the archive window are saved or dropped as the user
    // says, or the program goes on with them (Cancel, or a save that failed).
    return !archiveWindow_ || archiveWindow_->settleEdits(true);
}

void Shell::onDestroy() {
    // A close that could not be refused (the session ending, a signal)
    // still offers to save the edits; after onCloseRequest none are left.
    if (archiveWindow_) (void)archiveWindow_->settleEdits(false);
    // The archive window's work is waited for; its sound is stopped with the
    // main window's: a file that is being played cannot be removed everywhere.
    if (archiveWindow_) archiveWindow_->shutDown();
    stopPlayback();
    for (const auto& path : paths_.filesDeletedAtExit())
        if (!path.empty()) (void)io::removeFile(path);
    platform_.postQuit(0);
}

void Shell::setPlaybackButtonsEnabled(bool enabled) {
    for (int id : kPlaybackButtons) platform_.setEnabled(id, enabled);
}

void Shell::showNumber(int controlId, int value) { platform_.setText(controlId, std::to_string(value)); }

void Shell::updateHoverLabels(int x, int y) {
    // A point is inside a strip on its left and top edges, outside on its
    // right and bottom ones.
    auto inside = [x, y](int stripId) {
        const platform::ControlDescription* s = findControl(stripId);
        return s && x >= s->x && x < s->x + s->width && y >= s->y && y < s->y + s->height;
    };
    platform_.setShown(kRepeatLabel, inside(kReplayStrip));
    platform_.setShown(kStopLabel, inside(kStopStrip));
}

// ---- Options and help ---------------------------------------------------------------

void Shell::toggleFileNames() {
    state_.useFileNames += 1;
    platform_.setEnabled(kSoundIdInput, !state_.fileNamesOn());
}

void Shell::toggleUpdater() {
    state_.updateSndIds += 1;
    status_.beepDone();
    if (state_.updaterOn())
        status_.setStatus("Option set: Imported sound info will be added to SndIds.dat file");
    else
        status_.setStatus("Option unset: Imported sound info will not be added to SndIds.dat file");
}

void Shell::openHelp() {
    if (!platform_.openThroughDesktop(paths_.helpFile))
        platform_.messageBox("Help file could not be opened...", "Error -Sonkrate", platform::MessageIcon::None,
                             platform::MessageButtons::Ok);
}

// ---- The archive window ------------------------------------------------------------

void Shell::showEntryFromArchiveWindow(int index) {
    state_.currentIndex = index;
    state_.displayNumber = index + 1;
    showNumber(kNumberField, state_.displayNumber);
    platform_.setTrackbarPosition(kTrackbar, state_.displayNumber);
}

void Shell::openArchiveWindow() {
    if (!archiveReady()) {
        loadFailure_.clear();
        loadTpa();
        // A cancelled dialog says nothing more; a failed load says why.
        if (!archiveReady() && loadFailure_.empty()) return;
    }
    showArchiveWindow();
}

void Shell::showArchiveWindow() {
    if (!archiveReady()) {
        // The window no longer shows an archive that is loaded.
        if (archiveWindow_) archiveWindow_->shutDown();
        platform_.messageBox("The archive window cannot be opened: " +
                                 (loadFailure_.empty() ? std::string("the archive loaded last can no longer be used.")
                                                       : loadFailure_),
                             kBrowserTitle, platform::MessageIcon::Warning, platform::MessageButtons::Ok);
        return;
    }
    if (!archiveWindow_) archiveWindow_ = std::make_unique<ArchiveWindowController>(platform_, *this);
    if (archiveWindow_->open(archive_) && state_.currentIndex >= 0) archiveWindow_->followEntry(state_.currentIndex);
}

void Shell::loadSavedArchive(const std::string& path) {
    stopPlayback();
    loadTpaFile(path);
    showArchiveWindow();
}

void Shell::updateArchiveWindow(int indexBefore) {
    if (!archiveWindow_ || !archiveWindow_->isOpen()) return;
    const bool other = archive_.archivePath != archiveWindow_->archivePath() ||
                       archive_.fileSize != archiveWindow_->fileSizeRead() ||
                       archive_.entryCount != archiveWindow_->rowsRead();
    if (other && archiveReady()) {
        (void)archiveWindow_->open(archive_);
    } else if (other) {
        archiveWindow_->shutDown();
        return;
    }
    if (state_.currentIndex != indexBefore || other) archiveWindow_->followEntry(state_.currentIndex);
}

int runSonkrate(platform::Platform& platform, const std::vector<std::string>& files) {
    Shell shell(platform);
    if (!shell.startUp()) return 0;
    shell.openFiles(files);
    return platform.runMessageLoop();
}

}  // namespace sonkrate::app
