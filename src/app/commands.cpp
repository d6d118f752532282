// The menu commands that work on archives: Load_Tpa, New_Tpa, Add_Cau, Add_Wav,
// SaveAll_Cau and SaveAll_Wav, Beta_to_Retail and *caus_to_*tpa.
#include "app/command_ids.h"
#include "app/dialogs.h"
#include "app/result_texts.h"
#include "app/archive_window.h"
#include "app/shell.h"
#include "archive/edit/add_sound.h"
#include "archive/edit/beta_to_retail.h"
#include "archive/edit/build_from_cau_dir.h"
#include "archive/edit/create_archive.h"
#include "archive/folder/export_all.h"
#include "archive/format/tpa_loader.h"
#include "audio/convert/add_wav_conversion.h"
#include "io/game_text.h"
#include "io/paths.h"

namespace sonkrate::app {

namespace {

constexpr const char* kCanceledByUser = " Operation canceled by user . . .";

}  // namespace

void Shell::loadTpa() {
    stopPlayback();

    std::optional<std::string> chosen = platform_.openFileDialog(tpaOpenDialog());
    if (!chosen) {
        // The archive loaded before, if any, stays as it was.
        status_.beepDone();
        status_.setStatus("Loading of tpa canceled. . .");
        return;
    }
    loadTpaFile(*chosen);
}

void Shell::loadTpaFile(const std::string& path) {
    // Edits staged on the archive shown are saved, dropped, or this load is cancelled.
    if (archiveWindow_ && !archiveWindow_->settleEdits()) return;
    state_.archiveUsable = false;
    if (state_.archiveOpened) {
        state_.currentIndex = -1;
        state_.displayNumber = 0;
    }
    state_.archiveOpened = true;
    state_.tickCount = 0;
    state_.playing = false;

    archive::TpaLoad load = archive::loadTpaArchive(path, paths_.wavsDir);
    loadFailure_ = load.outcome.reason;
    // On failure nothing is loaded: every command that needs an archive refuses.
    archive_ = load.outcome ? load.archive : archive::TpaArchive{};
    const ArchiveMenuStates menus = load.outcome ? archiveMenuStates(archive_) : ArchiveMenuStates{};
    platform_.setMenuItemEnabled(kCmdAddCau, menus.addCau);
    platform_.setMenuItemEnabled(kCmdAddWav, menus.addWav);
    platform_.setMenuItemEnabled(kCmdBetaToRetail, menus.betaToRetail);
    if (!load.outcome) {
        state_.currentIndex = -1;
        state_.displayNumber = 0;
        showNumber(kNumberField, 0);
        showNumber(kEntriesField, 0);
        status_.beepRefused();
        status_.setStatus("Loading of tpa failed . . . " + load.outcome.reason);
        return;
    }

    state_.archiveUsable = true;
    state_.captionText = loadSummary(archive_.entryCount);
    platform_.setTrackbarRange(kTrackbar, 1, entryCount());
    platform_.setTrackbarPosition(kTrackbar, 0);
    showNumber(kNumberField, 0);
    showNumber(kEntriesField, entryCount());
    platform_.setTrackbarTicFrequency(kTrackbar, 1);
    if (state_.captionText.size() > 1) {
        status_.beepDone();
        status_.setStatus(state_.captionText);
    }
}

void Shell::newTpa() {
    if (archive_.archivePath == paths_.streamTpa) {
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
        setPlaybackButtonsEnabled(true);
        return;
    }
    // The name is hashed as the game hashes its own: in its code page.
    std::string typed = io::gameText(platform_.text(kSoundIdInput));
    if (typed.size() <= 2 && !state_.fileNamesOn()) {
        status_.beepRefused();
        status_.setStatus(wav ? "You must enter a sound id name before a wav   file can be added (4 or more "
                                "characters in length)."
                              : "You must enter a sound id name before a cau   file can be added (3 or more "
                                "characters in length).");
        setPlaybackButtonsEnabled(true);
        return;
    }
    platform_.setTrackbarPosition(kTrackbar, 0);
    setPlaybackButtonsEnabled(false);
    reportAdd(runAdd(state_.fileNamesOn() ? std::string() : typed, wav), wav);
    state_.currentIndex = -1;
    setPlaybackButtonsEnabled(true);
}

void Shell::reportAdd(const AddAttempt& attempt, bool wav) {
    const std::string text = addStatusText(attempt.outcome, wav, attempt.failure);
    const bool refusedBeep = attempt.outcome == archive::AddOutcome::Refused ||
                             (attempt.outcome == archive::AddOutcome::NothingDone && !attempt.failure.empty());
    if (refusedBeep)
        status_.beepRefused();
    else
        status_.beepDone();
    status_.setStatus(text);
    // A refused add closes the archive; a sound that could not be added leaves it as it was.
    state_.archiveUsable = attempt.outcome != archive::AddOutcome::Refused;
    if (attempt.outcome != archive::AddOutcome::Done) {
        platform_.setTrackbarPosition(kTrackbar, 0);
        return;
    }
    platform_.setTrackbarRange(kTrackbar, 1, entryCount());
    platform_.setTrackbarPosition(kTrackbar, 0);
    platform_.setTrackbarTicFrequency(kTrackbar, 1);
    platform_.setText(kSoundIdInput, "");
}

Shell::SoundToAdd Shell::chooseSoundToAdd(bool wav) {
    SoundToAdd sound;
    if (!wav) {
        if (std::optional<std::string> chosen = platform_.openFileDialog(cauOpenDialog())) sound.path = *chosen;
        return sound;
    }
    std::optional<std::string> chosen = platform_.openFileDialog(wavOpenDialog());
    if (!chosen) return sound;
    audio::AddWavConversion made = audio::convertWavForAdd(*chosen, paths_.wavsDir);
    if (made.made)
        sound.path = made.cauPath;
    else if (made.refused)
        platform_.messageBox(addWavRefusalText(made.kind), kErrorTitle, platform::MessageIcon::None,
                             platform::MessageButtons::Ok);
    else
        sound.failure = made.outcome.reason;
    return sound;
}

Shell::AddAttempt Shell::runAdd(const std::string& name, bool wav) {
    AddAttempt attempt;
    SoundToAdd sound = chooseSoundToAdd(wav);
    attempt.failure = sound.failure;
    if (sound.path.empty()) return attempt;

    archive::AddSoundRequest request;
    request.archivePath = archive_.archivePath;
    request.soundPath = sound.path;
    request.soundName = name;
    request.useFileNames = state_.fileNamesOn();
    request.updateSndIds = state_.updaterOn();
    request.dbPath = paths_.sndIdsDat;
    request.logPath = paths_.logFile;
    request.backupPath = archive_.backupPath;

    status_.setStatus(wav ? "Adding .wav data, please wait. .." : "Adding .cau data, please wait. ..");
    platform_.repaint();
    archive::AddSoundResult added = archive::usesEffectsAdd(archive_.archiveName, archive_.standardLayout)
                                        ? archive::addSoundEffects(request)
                                        : archive::addSoundGeneral(request);
    platform_.repaint();
    attempt.outcome = added.addResult;
    if (added.addResult == archive::AddOutcome::Refused) return attempt;
    if (added.overwriteFailed)
        platform_.messageBox(kOverwriteFailedText, "SONKRATE", platform::MessageIcon::Information,
                             platform::MessageButtons::Ok);
    else if (added.addResult == archive::AddOutcome::NothingDone && !added.outcome)
        attempt.failure = added.outcome.reason;
    if (added.addResult == archive::AddOutcome::Done) {
        archive_.soundCount = added.soundCount;
        archive_.entryCount = added.entryCount;
        archive_.fileSize = added.fileSize;
    }
    showNumber(kNumberField, 0);
    showNumber(kEntriesField, entryCount());
    return attempt;
}

void Shell::saveAll(bool wav) {
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
}

void Shell::betaToRetail() {
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
    status_.setStatus(" Alt" + archive_.archiveName +
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
    if (built.buildState == archive::CauDirBuildState::TooFewCaus) {
        status_.beepRefused();
        status_.setStatus(kTooFewCausText);
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
