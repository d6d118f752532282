// Playing and saving: extracting entries and .cau files, the progress
// animation, next, previous, replay and stop, the trackbar, the sound list,
// automatic play with the kill switch, Save_as_Wav and Save_as_Cau.
#include <cctype>
#include <optional>
#include <string>

#include "app/command_ids.h"
#include "app/dialogs.h"
#include "app/result_texts.h"
#include "app/shell.h"
#include "app/archive_window.h"
#include "archive/format/entry_reader.h"
#include "archive/folder/export_all.h"
#include "audio/cau/cau_export.h"
#include "audio/convert/cau_to_wav.h"
#include "audio/convert/decode_adpcm_wav.h"
#include "audio/convert/target_names.h"
#include "ids/sound_id_database.h"
#include "io/copy_replacing.h"
#include "io/file.h"
#include "io/file_system.h"
#include "io/game_text.h"
#include "io/paths.h"

namespace sonkrate::app {

namespace {

constexpr int kTimerPeriodMs = 100;
constexpr const char* kKillSwitchTitle = "Auto_Stop (KillSwitch)";

void takeSoundInfo(const audio::CauToWavResult& r, SoundInfo& info, ShellState& state) {
    info.PlayTimeSeconds = r.playTimeSeconds;
    info.PlayTimeCount = r.playTimeCount;
    info.channels = r.channels;
    info.compressed = compressionOf(r.compressed);
    info.captionOffset = static_cast<int>(r.captionOffset);
    // Without a caption the text of the sound before stays; showCaption
    // learns from captionOffset that there is none.
    if (r.hasCaption) state.captionText = r.captionText;
}

// The integer at the start of a text, as the C library reads one; nothing
// when the text does not start with one.
std::optional<int> leadingInteger(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if (i >= text.size() || !std::isdigit(static_cast<unsigned char>(text[i]))) return std::nullopt;
    long long value = 0;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
        if (value < 1000000000000LL) value = value * 10 + (text[i] - '0');
        ++i;
    }
    if (negative) value = -value;
    // Any non-zero number stops, however large.
    if (value > 2147483647LL) value = 2147483647LL;
    if (value < -2147483647LL) value = -2147483647LL;
    return static_cast<int>(value);
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
    if (sound_.compressed == SoundCompression::Pcm)
        platform_.playWavAsync(paths_.entriesWav);
    else if (sound_.compressed == SoundCompression::ImaAdpcm)
        platform_.playWavAsync(paths_.decodedWav);
}

bool Shell::playExtracted() {
    if (sound_.compressed == SoundCompression::Pcm) {
        platform_.playWavAsync(paths_.entriesWav);
        return true;
    }
    if (sound_.compressed != SoundCompression::ImaAdpcm) return false;
    audio::DecodeAdpcmResult decoded = audio::decodeAdpcmWav(paths_.entriesWav, paths_.decodedWav);
    if (decoded.status == audio::DecodeStatus::UnknownBlockAlign) {
        platform_.messageBox(kBlockAlignUnknownText, kErrorTitle, platform::MessageIcon::None,
                             platform::MessageButtons::Ok);
        return false;
    }
    if (!decoded.ok()) {
        reportUnplayable(decoded.reason);
        return false;
    }
    platform_.playWavAsync(paths_.decodedWav);
    return true;
}

void Shell::reportUnplayable(const std::string& reason) {
    status_.beepRefused();
    status_.setStatus("Sound could not be played . . . " + reason);
}

bool Shell::extractEntry(int index) {
    archive::EntryRead record = archive::readTpaEntry(archive_, static_cast<std::uint32_t>(index));
    if (!record.outcome) {
        reportUnplayable(record.outcome.reason);
        return false;
    }
    audio::CauToWavResult wav =
        audio::cauToWav(archive_.archivePath, record.entry.imageOffset, record.entry.imageLength, paths_.entriesWav);
    if (!wav.ok()) {
        reportUnplayable(wav.outcome.reason);
        return false;
    }
    takeSoundInfo(wav, sound_, state_);
    ids::SoundNameLookup name = ids::lookupSoundName(paths_.sndIdsDat, record.entry.soundId);
    state_.soundName = name.name;
    platform_.setText(kIdsField, "");
    platform_.setText(kIdsField, name.displayName);
    platform_.setText(kCrcField, "");
    platform_.setText(kCrcField, name.key);
    return true;
}

bool Shell::extractCauFile(const std::string& path) {
    audio::CauToWavResult wav = audio::cauToWav(path, paths_.entriesWav);
    if (!wav.ok()) {
        reportUnplayable(wav.outcome.reason);
        return false;
    }
    takeSoundInfo(wav, sound_, state_);
    return true;
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
    if (timerId == platform::kArchiveTimer && archiveWindow_) archiveWindow_->onTimer();
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

bool Shell::archiveReady() const { return state_.archiveOpened && state_.archiveUsable; }

void Shell::next() {
    state_.currentIndex += 1;
    state_.lastWasEntry = true;
    state_.cauChosen = false;
    state_.displayNumber = state_.currentIndex == 0 ? 1 : state_.displayNumber + 1;
    showNumber(kNumberField, state_.displayNumber);
    if (state_.currentIndex == 2 || state_.displayNumber == 2) platform_.setEnabled(kTrackbar, true);
    stopProgress();
    bool played = extractEntry(state_.currentIndex) && playExtracted();
    if (played) showCaption();
    // The thumb follows the number shown, so that taking the trackbar's
    // position again selects the entry that is playing.
    platform_.setTrackbarPosition(kTrackbar, state_.displayNumber);
    platform_.setTrackbarTicFrequency(kTrackbar, 1);
    if (played) startProgress();
}

void Shell::previous() {
    state_.currentIndex -= 1;
    state_.displayNumber -= 1;
    showNumber(kNumberField, state_.displayNumber);
    state_.lastWasEntry = true;
    state_.cauChosen = false;
    stopProgress();
    bool extracted = true;
    if (archive_.demoStream && state_.currentIndex == 0)
        platform_.messageBox("Demo stream error (no wav data). Replaying last entry . . .", "sonkrate",
                             platform::MessageIcon::None, platform::MessageButtons::Ok);
    else
        extracted = extractEntry(state_.currentIndex);
    bool played = extracted && playExtracted();
    if (played) showCaption();
    platform_.setTrackbarPosition(kTrackbar, state_.displayNumber);
    platform_.setTrackbarTicFrequency(kTrackbar, 1);
    if (played) startProgress();
}

void Shell::playCau() {
    stopPlayback();
    std::optional<std::string> chosen = platform_.openFileDialog(cauOpenDialog());
    state_.cauChosen = false;
    if (!chosen) return;
    playCauFile(*chosen);
}

void Shell::playCauFile(const std::string& path) {
    state_.cauChosen = true;
    state_.lastWasEntry = false;
    state_.cauWavPath = audio::cauWavPathFor(path);
    // A file that cannot be played cannot be replayed or saved either.
    if (!extractCauFile(path) || !playExtracted()) {
        state_.cauChosen = false;
        return;
    }
    showCaption();
    startProgress();
}

void Shell::selectListing(int notification) {
    if (notification != platform::kListSelectionChanged) return;
    const std::string text = platform_.listItemText(kEelListBox, platform_.listCaretIndex(kEelListBox));
    // Listed paths are compared without regard to case but opened as they
    // are written, so that they also work where file names have case.
    std::string lower = io::toLower(text);
    bool opens = false;
    {
        io::File file;
        opens = file.open(text, io::FileMode::Read).ok;
    }
    bool endsInCau = io::endsWith(lower, "cau");
    // A name is shown as text; the list holds it as the game's bytes.
    if (!endsInCau) state_.selectedListName = io::gameText(text);
    if (lower.find("cau") != std::string::npos && opens) {
        stopProgress();
        state_.selectedListName.clear();
        if (extractCauFile(text) && playExtracted()) {
            showCaption();
            startProgress();
        }
    } else if (endsInCau) {
        status_.beepRefused();
    }
}

void Shell::readStopFlag() {
    io::File file;
    if (!file.open(paths_.tmpConfIni, io::FileMode::Read)) return;
    char buffer[64];
    std::size_t got = file.readSome(buffer, sizeof buffer);
    if (std::optional<int> value = leadingInteger(std::string(buffer, got))) state_.stopRequested = *value;
}

void Shell::autoPlay() {
    auto more = [this] {
        return state_.currentIndex < entryCount() - 1 && state_.archiveUsable && state_.stopRequested == 0;
    };
    if (state_.currentIndex < entryCount() - 1 && state_.archiveUsable) {
        state_.stopRequested = 0;
        // A non-zero flag left from an earlier play would stop this one at
        // once: when "0" cannot be written the flag goes (no flag reads as "go on").
        io::File flag;
        io::Outcome reset = flag.open(paths_.tmpConfIni, io::FileMode::Write);
        if (reset) reset = flag.writeText("0");
        if (reset) reset = flag.close();
        if (!reset) (void)io::removeFile(paths_.tmpConfIni);
        platform_.minimiseWindow();
        if (!platform_.startKillSwitch(paths_.killSwitchExe, paths_.tmpConfIni))
            platform_.messageBox("kill_switch could not be opened ... ", "sonkrate - Error",
                                 platform::MessageIcon::None, platform::MessageButtons::Ok);
    }
    while (more()) {
        state_.currentIndex += 1;
        platform_.setProgressPosition(kProgressBar, 0);
        bool played = extractEntry(state_.currentIndex) && playExtracted();
        state_.displayNumber = state_.currentIndex + 1;
        platform_.setTrackbarPosition(kTrackbar, state_.displayNumber);
        platform_.setTrackbarTicFrequency(kTrackbar, 1);
        showNumber(kNumberField, state_.displayNumber);
        platform_.repaint();
        readStopFlag();
        if (played) {
            // No messages are handled while the sound plays: the only way in
            // is the stop flag.
            std::uint64_t end = platform_.milliseconds() + (static_cast<std::uint64_t>(sound_.PlayTimeCount) + 1) * 1000;
            for (std::uint64_t now = platform_.milliseconds(); now < end; now = platform_.milliseconds())
                platform_.sleep(static_cast<std::uint32_t>(end - now));
        }
        // Read again once the sound has had its time, so that a stop given
        // while it played ends auto-play before the next entry starts.
        readStopFlag();
    }
    platform_.restoreWindow();
    platform_.closeKillSwitch(kKillSwitchTitle);
    if (entryCount() == state_.currentIndex + 1 || !state_.archiveUsable) status_.beepRefused();
}

void Shell::stop() { stopPlayback(); }

void Shell::replay() {
    const bool fromArchive = replaysEntry();
    stopProgress();
    playLastExtracted();
    if (fromArchive) status_.setStatus("Now replaying last .tpa entry, or .eel listing . . .");
    if (state_.cauChosen) status_.setStatus("Now replaying last .cau file  . . .");
    startProgress();
}

std::string Shell::savedEntryStem() const {
    // Numbered like the export of all entries when the database has no name
    // or one that cannot serve as a file name.
    return archive::exportFileStem(archive_.archiveName, static_cast<std::uint32_t>(state_.currentIndex),
                                   state_.soundName);
}

bool Shell::hasSoundToSave() const {
    const bool entry = archiveReady() && state_.currentIndex >= 0;
    return state_.cauChosen || entry || state_.externalPlay != ExternalPlayKind::None;
}

void Shell::saveAsWav() {
    if (state_.externalPlay != ExternalPlayKind::None) {
        int number = state_.sampleCounter + 1;
        std::string target = io::joinPath(paths_.wavsDir, "sample_" + std::to_string(number) + ".wav");
        const std::string& source =
            state_.externalPlay == ExternalPlayKind::Converted ? paths_.conversionWav : state_.externalSourcePath;
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
        state_.externalPlay = ExternalPlayKind::None;
        return;
    }

    std::string target = state_.cauChosen ? state_.cauWavPath
                                           : io::joinPath(paths_.wavsDir, savedEntryStem() + ".wav");
    io::Outcome copied = io::failure("There is no extracted sound to save.");
    if (sound_.compressed == SoundCompression::Pcm)
        copied = io::copyFileReplacing(paths_.entriesWav, target);
    else if (sound_.compressed == SoundCompression::ImaAdpcm)
        copied = io::copyFileReplacing(paths_.decodedWav, target);
    state_.externalPlay = ExternalPlayKind::None;
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

void Shell::saveAsCau() {
    std::string target = io::joinPath(paths_.wavsDir, savedEntryStem() + ".cau");
    archive::EntryRead record = archive::readTpaEntry(archive_, static_cast<std::uint32_t>(state_.currentIndex));
    io::Outcome saved = record.outcome;
    if (saved) saved = audio::exportEntryAsCau(archive_.archivePath, record.entry.imageOffset, record.entry.imageLength, target);
    if (!saved) {
        status_.beepRefused();
        status_.setStatus("tpa entry not saved as .cau file . . . " + saved.reason);
        return;
    }
    status_.beepDone();
    status_.setStatus("tpa entry saved as .cau file (documents/tpa_wavs folder)");
}

}  // namespace sonkrate::app
