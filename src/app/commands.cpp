// The menu commands that work on archives: Load_Tpa.
#include "app/command_ids.h"
#include "app/shell.h"
#include "archive/tpa_loader.h"

namespace sonkrate::app {

namespace {

platform::FileDialogSpec tpaOpenDialog() {
    platform::FileDialogSpec spec;
    spec.filterText = "Tpa File (*.tpa)";
    spec.filterPattern = "*.tpa";
    spec.flags = platform::kExplorer | platform::kFileMustExist | platform::kPathMustExist | platform::kHideReadOnly;
    return spec;
}

}  // namespace

void Shell::loadTpa() {
    stopPlayback();

    state_.loadCanceled = true;
    std::optional<std::string> chosen = platform_.openFileDialog(tpaOpenDialog());
    if (!chosen) {
        // The archive loaded before, if any, stays as it was.
        status_.beepDone();
        status_.setStatus("Loading of tpa canceled. . .");
        return;
    }

    state_.archiveUsable = false;
    state_.loadCanceled = false;
    state_.standardLayout = false;
    state_.demoStream = false;
    if (state_.archiveOpened) {
        state_.currentIndex = -1;
        state_.displayNumber = 0;
    }
    state_.archiveOpened = true;
    state_.tickCount = 0;
    state_.playing = false;

    archive::TpaLoad load = archive::loadTpaArchive(*chosen, paths_.wavsDir);
    if (!load.outcome) {
        // Nothing is loaded: every command that needs an archive refuses.
        archive_ = {};
        state_.archivePath.clear();
        state_.archiveName.clear();
        state_.entryCount = 0;
        state_.currentIndex = -1;
        state_.displayNumber = 0;
        platform_.setMenuItemEnabled(kCmdAddCau, false);
        platform_.setMenuItemEnabled(kCmdAddWav, false);
        platform_.setMenuItemEnabled(kCmdBetaToRetail, false);
        showNumber(kNumberField, 0);
        showNumber(kEntriesField, 0);
        status_.beepRefused();
        status_.setStatus("Loading of tpa failed . . . " + load.outcome.reason);
        return;
    }

    archive_ = load.archive;
    state_.archiveUsable = true;
    state_.archivePath = archive_.archivePath;
    state_.archiveName = archive_.archiveName;
    state_.entryCount = static_cast<int>(archive_.entryCount);
    state_.standardLayout = archive_.standardLayout;
    state_.demoStream = archive_.demoStream;
    state_.captionText = load.summary;
    platform_.setMenuItemEnabled(kCmdAddCau, load.addCauEnabled);
    platform_.setMenuItemEnabled(kCmdAddWav, load.addWavEnabled);
    platform_.setMenuItemEnabled(kCmdBetaToRetail, load.betaToRetailEnabled);

    platform_.setTrackbarRange(kTrackbar, 1, state_.entryCount);
    platform_.setTrackbarPosition(kTrackbar, 0);
    showNumber(kNumberField, 0);
    showNumber(kEntriesField, state_.entryCount);
    platform_.setTrackbarTicFrequency(kTrackbar, 1);
    if (state_.captionText.size() > 1) {
        status_.beepDone();
        status_.setStatus(state_.captionText);
    }
}

}  // namespace sonkrate::app
