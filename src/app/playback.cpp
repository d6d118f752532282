// Playing and saving: the progress animation, replay and stop, the
// trackbar, and Save_as_Wav.
#include <string>

#include "app/command_ids.h"
#include "app/shell.h"
#include "io/copy_replacing.h"
#include "io/paths.h"

namespace sonkrate::app {

namespace {

constexpr int kTimerPeriodMs = 100;

// A name from the database is used as a file name only when it cannot reach
// outside the output folder or trip over characters the file systems refuse.
bool usableAsFileName(const std::string& name) {
    if (name.empty() || name == "." || name == "..") return false;
    if (name.find("..") != std::string::npos) return false;
    for (unsigned char c : name) {
        if (c < 32 || c == 127) return false;
        switch (c) {
        case '/': case '\\': case ':': case '*': case '?': case '"': case '<': case '>': case '|':
            return false;
        default:
            break;
        }
    }
    return name.back() != ' ' && name.back() != '.';
}

}  // namespace

// ---- Shared steps -----------------------------------------------------------------------

void Shell::stopProgress() {
    state_.playing = false;
    platform_.stopTimer(platform::kTimer1);
    state_.tickCount = 0;
    platform_.setProgressPosition(kProgressBar, 0);
}

void Shell::stopPlayback() {
    platform_.stopSound();
    stopProgress();
}

void Shell::startProgress() {
    if (sound_.PlayTimeSeconds > 1.0) {
        state_.progressRange = sound_.PlayTimeCount * 10;
        if (sound_.channels == 2) state_.progressRange /= 2;
        platform_.setProgressRange(kProgressBar, 0, state_.progressRange);
        platform_.setProgressStep(kProgressBar, 1);
    } else {
        platform_.setProgressRange(kProgressBar, 0, 100);
        platform_.setProgressPosition(kProgressBar, 100);
    }
    state_.playing = true;
    platform_.startTimer(platform::kTimer1, kTimerPeriodMs);
}

void Shell::playLastExtracted() {
    if (sound_.compressed == 0)
        platform_.playWavAsync(paths_.entriesWav);
    else if (sound_.compressed == 1)
        platform_.playWavAsync(paths_.decodedWav);
}

void Shell::showCaption() {
    if (state_.captionText.size() > 1 && sound_.captionOffset != 0) status_.setStatus(state_.captionText);
    if (sound_.captionOffset == 0) {
        if (!state_.captionText.empty()) {
            state_.captionText.clear();
            status_.clear();
        }
        status_.setStatus("No Caption data. ..");
    }
}

// ---- Timer and trackbar -----------------------------------------------------------------

void Shell::onTimer(int timerId) {
    if (timerId != platform::kTimer1) return;
    // Sounds of a second or less showed a full bar; the first tick clears it.
    if ((state_.playing && sound_.PlayTimeSeconds == 1.0) || sound_.PlayTimeSeconds < 1.0) {
        platform_.setProgressPosition(kProgressBar, 0);
        state_.playing = false;
    }
    if (state_.playing && sound_.PlayTimeSeconds > 1.0) {
        state_.tickCount += 1;
        // A stereo bar has half the steps and moves on every other tick.
        if (sound_.channels == 1 || state_.tickCount % 2 == 1) platform_.progressStepIt(kProgressBar);
        bool monoDone = state_.tickCount == sound_.PlayTimeCount * 10 + 1;
        bool stereoDone = sound_.channels == 2 && state_.tickCount + 1 > 2 * state_.progressRange;
        if (monoDone || stereoDone) stopProgress();
    }
}

void Shell::takeTrackbarPosition() {
    int p = platform_.trackbarPosition(kTrackbar);
    state_.currentIndex = p - 1;
    state_.displayNumber = p;
    showNumber(kNumberField, p);
}

// ---- Commands ---------------------------------------------------------------------------

void Shell::stop() { stopPlayback(); }

void Shell::replay() {
    bool fromArchive = state_.archiveOpened && state_.archiveUsable && state_.currentIndex > 0;
    if (!state_.cauChosen && !fromArchive) {
        status_.beepRefused();
        return;
    }
    stopProgress();
    playLastExtracted();
    if (fromArchive) status_.setStatus("Now replaying last .tpa entry, or .eel listing . . .");
    if (state_.cauChosen) status_.setStatus("Now replaying last .cau file  . . .");
    startProgress();
}

std::string Shell::savedEntryStem() const {
    const std::string& name = state_.soundName;
    if (name == "unknown" || name == "MUSIC - MAYAN FACE/JEEP" || !usableAsFileName(name))
        return state_.archiveName + "_" + std::to_string(state_.currentIndex);
    return name;
}

void Shell::saveAsWav() {
    bool entry = state_.archiveOpened && state_.archiveUsable && state_.currentIndex >= 0;
    if (!state_.cauChosen && !entry && state_.ExternalPlayKind <= 0) {
        status_.beepRefused();
        return;
    }

    if (state_.ExternalPlayKind == 1 || state_.ExternalPlayKind == 2) {
        int number = state_.sampleCounter + 1;
        std::string target = io::joinPath(paths_.wavsDir, "sample_" + std::to_string(number) + ".wav");
        const std::string& source = state_.ExternalPlayKind == 1 ? paths_.conversionWav : state_.ExternalSourcePath;
        io::Outcome copied = io::copyFileReplacing(source, target);
        if (!copied) {
            // Nothing changes, so the same sound can be saved again.
            status_.beepRefused();
            status_.setStatus("external play not saved . . . " + copied.reason);
            return;
        }
        state_.sampleCounter = number;
        status_.beepDone();
        status_.setStatus("external play saved as .wav (documents/tpa_wavs folder)");
        state_.ExternalPlayKind = 0;
        return;
    }

    std::string target = state_.cauChosen ? state_.cauWavPath
                                           : io::joinPath(paths_.wavsDir, savedEntryStem() + ".wav");
    io::Outcome copied = io::failure("There is no extracted sound to save.");
    if (sound_.compressed == 0)
        copied = io::copyFileReplacing(paths_.entriesWav, target);
    else if (sound_.compressed == 1)
        copied = io::copyFileReplacing(paths_.decodedWav, target);
    state_.ExternalPlayKind = 0;
    if (!copied) {
        status_.beepRefused();
        status_.setStatus(".wav file not saved . . . " + copied.reason);
        return;
    }
    status_.beepDone();
    if (!state_.lastWasEntry)
        status_.setStatus(".cau file saved as .wav (inside directory of played .cau file)");
    else
        status_.setStatus("tpa entry saved as .wav (documents/tpa_wavs folder)");
}

}  // namespace sonkrate::app
