// The menu commands that work on archives: Load_Tpa, New_Tpa, Add_Cau, Add_Wav,
// SaveAll_Cau and SaveAll_Wav, Beta_to_Retail and *caus_to_*tpa.
#include "app/command_ids.h"
#include "app/dialogs.h"
#include "app/shell.h"
#include "archive/add_sound.h"
#include "archive/beta_to_retail.h"
#include "archive/build_from_cau_dir.h"
#include "archive/create_archive.h"
#include "archive/export_all.h"
#include "archive/tpa_loader.h"
#include "audio/add_wav_conversion.h"
#include "io/paths.h"

namespace sonkrate::app {

namespace {

constexpr const char* kCanceledByUser = " Operation canceled by user . . .";

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

void Shell::newTpa() {
    if (state_.archivePath == paths_.streamTpa) {
        status_.beepRefused();
        status_.setStatus("Access violation - file is currently loaded in player and cannot be overwritten!");
        return;
    }
    std::optional<std::string> target = platform_.saveFileDialog(tpaSaveDialog());
    if (!target) {
        status_.beepRefused();
        status_.setStatus("Tpa file export canceled . . .");
        return;
    }
    archive::CreateArchiveResult made = archive::createDefaultArchive(*target);
    if (!made.outcome) {
        status_.beepRefused();
        status_.setStatus("Tpa file not created . . . " + made.outcome.reason);
        return;
    }
    status_.beepDone();
    status_.setStatus("New .tpa file created in chosen directory. . .");
}

void Shell::addSound(bool wav) {
    if (!archiveReady()) {
        status_.beepRefused();
        status_.setStatus("You must select a tpa file before a sound can be added.");
        values_.addingWav = false;
        setPlaybackButtonsEnabled(true);
        return;
    }
    values_.enteredName.clear();
    std::string typed = platform_.text(kSoundIdInput);
    bool fileNames = state_.useFileNames % 2 == 1;
    if (typed.size() > 2 || fileNames) {
        platform_.setTrackbarPosition(kTrackbar, 0);
        if (!fileNames) values_.enteredName = typed;
        values_.addingWav = wav;
        setPlaybackButtonsEnabled(false);
        values_.addFailure.clear();
        values_.addWavCau.clear();
        if (wav) convertWavForAdd();
        runAdd();
        switch (values_.addResult) {
        case archive::kAddDone:
            status_.beepDone();
            status_.setStatus("Operation completed. ..  file reset to 1st entry");
            state_.archiveUsable = true;
            platform_.setTrackbarRange(kTrackbar, 1, state_.entryCount);
            platform_.setTrackbarPosition(kTrackbar, 0);
            platform_.setTrackbarTicFrequency(kTrackbar, 1);
            platform_.setText(kSoundIdInput, "");
            break;
        case archive::kAddRefused:
            status_.beepRefused();
            status_.setStatus("Aborted (file closed) - tpa id'd as effects, ambient with mismatched no# of entries, "
                              "or other incompatible tpa");
            platform_.setTrackbarPosition(kTrackbar, 0);
            state_.archiveUsable = false;
            break;
        default:
            if (!values_.addFailure.empty()) {
                // A sound that could not be added says why; the archive is as it was.
                status_.beepRefused();
                status_.setStatus("Sound not added . . . " + values_.addFailure);
            } else {
                status_.beepDone();
                status_.setStatus(wav ? "Operation canceled. .. (incompatible wav)  file reset to 1st entry"
                                      : "Operation canceled. ..  file reset to 1st entry");
            }
            platform_.setTrackbarPosition(kTrackbar, 0);
            state_.archiveUsable = true;
            break;
        }
        state_.currentIndex = -1;
    } else if (wav) {
        status_.beepRefused();
        status_.setStatus("You must enter a sound id name before a wav   file can be added (4 or more characters in "
                          "length).");
    } else {
        status_.beepRefused();
        status_.setStatus("You must enter a sound id name before a cau   file can be added (3 or more characters in "
                          "length).");
    }
    values_.addingWav = false;
    setPlaybackButtonsEnabled(true);
}

void Shell::convertWavForAdd() {
    std::optional<std::string> chosen = platform_.openFileDialog(wavOpenDialog());
    if (!chosen) return;
    audio::AddWavConversion made = audio::convertWavForAdd(*chosen, paths_.wavsDir);
    if (made.made) {
        values_.addWavCau = made.cauPath;
    } else if (!made.refusalText.empty()) {
        platform_.messageBox(made.refusalText, audio::kWavRefusalTitle, platform::MessageIcon::None,
                             platform::MessageButtons::Ok);
    } else {
        values_.addFailure = made.outcome.reason;
    }
}

void Shell::runAdd() {
    values_.addResult = archive::kAddNothingDone;
    std::string sound;
    if (values_.addingWav) {
        sound = values_.addWavCau;
    } else if (std::optional<std::string> chosen = platform_.openFileDialog(cauOpenDialog())) {
        sound = *chosen;
    }
    if (sound.empty()) return;

    archive::AddSoundRequest request;
    request.archivePath = archive_.archivePath;
    request.soundPath = sound;
    request.soundName = values_.enteredName;
    request.useFileNames = state_.useFileNames % 2 == 1;
    request.updateSndIds = state_.updateSndIds % 2 == 1;
    request.dbPath = paths_.sndIdsDat;
    request.logPath = paths_.logFile;
    request.backupPath = archive_.backupPath;

    status_.setStatus(values_.addingWav ? "Adding .wav data, please wait. .." : "Adding .cau data, please wait. ..");
    platform_.repaint();
    archive::AddSoundResult added = archive::usesEffectsAdd(state_.archiveName, state_.standardLayout)
                                        ? archive::addSoundEffects(request)
                                        : archive::addSoundGeneral(request);
    platform_.repaint();
    values_.addResult = added.addResult;
    if (added.addResult == archive::kAddRefused) return;
    if (added.overwriteFailed) {
        platform_.messageBox(archive::kOverwriteFailedText, "SONKRATE", platform::MessageIcon::Information,
                             platform::MessageButtons::Ok);
    } else if (added.addResult == archive::kAddNothingDone && !added.outcome) {
        values_.addFailure = added.outcome.reason;
    }
    if (added.addResult == archive::kAddDone) {
        archive_.soundCount = added.soundCount;
        archive_.entryCount = added.entryCount;
        archive_.fileSize = added.fileSize;
        state_.entryCount = static_cast<int>(added.entryCount);
    }
    showNumber(kNumberField, 0);
    showNumber(kEntriesField, state_.entryCount);
}

void Shell::saveAll(bool wav) {
    if (!archiveReady()) {
        status_.beepRefused();
        return;
    }
    values_.exportingAllWav = wav;
    platform_.stopSound();
    status_.beepDone();
    stopProgress();
    platform_.messageBox(wav ? "Note: Exporting all .wavs may take 60+ seconds . . ."
                             : "Note: Exporting all .caus may 15 seconds or more . . .",
                         "sonkrate", platform::MessageIcon::None, platform::MessageButtons::Ok);
    setPlaybackButtonsEnabled(false);
    archive::ExportAllResult exported =
        archive::exportAllEntries(archive_, wav ? archive::ExportMode::Wav : archive::ExportMode::Cau, paths_.wavsDir,
                                  paths_.sndIdsDat, [this](std::uint64_t, std::uint64_t) { platform_.repaint(); });
    if (exported.outcome) {
        status_.beepDone();
        status_.setStatus("All Done! Files exported to Documents\\Tpa_Wavs Folder");
    } else {
        status_.beepRefused();
        status_.setStatus("Export incomplete . . . " + exported.outcome.reason);
    }
    setPlaybackButtonsEnabled(true);
    values_.exportingAllWav = false;
}

void Shell::betaToRetail() {
    if (!archiveReady()) {
        status_.beepRefused();
        return;
    }
    status_.setStatus("Processing file, please wait . . .");
    platform_.messageBox("Please note, this process may take 10+ seconds to complete. Perform no other operation "
                         "until conversion is finished.",
                         "Sonkrate", platform::MessageIcon::Warning, platform::MessageButtons::Ok);
    archive::BetaToRetailResult converted = archive::convertBetaToRetail(archive_);
    if (!converted.outcome) {
        status_.beepRefused();
        status_.setStatus("Beta to retail conversion failed . . . " + converted.outcome.reason);
        return;
    }
    status_.beepDone();
    status_.setStatus(" Alt" + state_.archiveName +
                      " has been saved in directory where currently loaded beta file resides. . .");
}

void Shell::causToTpa() {
    std::optional<std::string> source = platform_.openFileDialog(cauOpenDialog());
    if (!source) {
        status_.beepDone();
        status_.setStatus(kCanceledByUser);
        return;
    }
    std::optional<std::string> target = platform_.saveFileDialog(tpaSaveDialog());
    if (!target) {
        status_.beepDone();
        status_.setStatus(kCanceledByUser);
        return;
    }
    archive::BuildFromCauDirResult built = archive::buildArchiveFromCauDir(io::folderOf(*source), *target);
    if (built.buildState == archive::kBuildTooFewCaus) {
        status_.beepRefused();
        status_.setStatus(archive::kTooFewCausText);
        return;
    }
    if (!built.outcome) {
        status_.beepRefused();
        status_.setStatus("tpa build failed . . . " + built.outcome.reason);
        return;
    }
    status_.beepDone();
    status_.setStatus("  File Done!");
}

}  // namespace sonkrate::app
