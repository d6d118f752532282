// The archive window's editing: replace, add, remove, rename, levels and
// captions staged on the archive's records (the core's staged edits), undone
// and redone, and saved as one new archive that the main window then loads.
// The words of every question and refusal are chosen here.
#include <algorithm>
#include <bit>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <numeric>

#include "app/archive_window.h"
#include "app/archive_window_texts.h"
#include "app/command_ids.h"
#include "app/shell.h"
#include "audio/cau/subrip.h"
#include "ids/sound_id.h"
#include "ids/sound_id_database.h"
#include "ids/sound_name_index.h"
#include "import/playable_wav.h"
#include "io/file_system.h"
#include "io/game_text.h"
#include "io/paths.h"
#include "io/replacement.h"

namespace sonkrate::app {

using archive::EditRefusal;
using archive::EditResult;
using platform::MessageIcon;

namespace {

// Refusals named one by one in the box of an add of several files, at most.
constexpr std::size_t kRefusalsShown = 10;

std::string quoted(const std::string& text) { return "\"" + text + "\""; }

// A level typed into a cell: a decimal number, nothing else.
std::optional<double> parseLevel(const std::string& text) {
    const std::string trimmed = text.substr(0, text.find_last_not_of(" \t") + 1);
    const std::size_t start = trimmed.find_first_not_of(" \t");
    if (start == std::string::npos) return std::nullopt;
    const char* begin = trimmed.c_str() + start;
    char* end = nullptr;
    errno = 0;
    const double value = std::strtod(begin, &end);
    if (end == begin || *end != '\0') return std::nullopt;
    return value;
}

std::string subRipFaultText(const audio::SubRipRead& r) {
    const std::string cue = "cue " + std::to_string(r.cue) + " (line " + std::to_string(r.line) + ")";
    switch (r.fault) {
    case audio::SubRipFault::NoCues: return "it holds no subtitle cues";
    case audio::SubRipFault::BadTiming: return cue + " has no timing line of the form 00:00:01,000 --> 00:00:02,500";
    case audio::SubRipFault::TimeTooLarge: return cue + " ends later than a caption can last";
    case audio::SubRipFault::Backwards: return cue + " ends before it starts";
    case audio::SubRipFault::Overlapping: return cue + " starts before the cue before it ends";
    case audio::SubRipFault::CrLineEnds: return "line " + std::to_string(r.line) + " ends in a carriage return alone";
    case audio::SubRipFault::Utf16: return "it is UTF-16 (or UTF-32) text; SubRip text is read as UTF-8";
    case audio::SubRipFault::None: break;
    }
    return "it cannot be read";
}

// Opened in folder: where the last sound was chosen, else the archive's folder.
platform::FileDialogOptions soundDialog(const std::string& folder) {
    platform::FileDialogOptions o;
    o.initialFolder = folder;
    o.filterText = "Sounds (*.wav;*.cau;*.aiff;*.aif;*.au;*.snd;*.voc;*.caf;*.sph;*.paf;*.pvf;*.wve;*.htk)";
    o.filterPattern = "*.wav;*.cau;*.aiff;*.aif;*.au;*.snd;*.voc;*.caf;*.sph;*.paf;*.pvf;*.wve;*.htk";
    o.flags = platform::kFileMustExist;
    return o;
}

platform::FileDialogOptions subRipDialog() {
    platform::FileDialogOptions o;
    o.filterText = "SubRip (*.srt)";
    o.filterPattern = "*.srt";
    o.defaultExtension = "srt";
    return o;
}

}  // namespace

// ---- The model and the rows ------------------------------------------------------------------

void ArchiveWindowController::openEdits() {
    scratchPath_ = io::joinPath(shell_.paths().workDir, "staged_sounds.bin");
    convertedWav_ = io::joinPath(shell_.paths().workDir, "staged_sound.wav");
    openedRows_ = rows_;
    dbNames_ = names_;
    editsRefused_.clear();
    if (io::Outcome opened = edits_.open(archive_.archivePath, scratchPath_); !opened) {
        edits_ = archive::StagedEdits{};
        editsRefused_ = opened.reason;
    }
    if (!archive::stampArchive(archive_.archivePath, stamp_)) stamp_ = {};
}

std::string ArchiveWindowController::windowTitle() const {
    return io::fileNameOf(archive_.archivePath) + (changes() > 0 ? "*" : "") + " - Sonkrate";
}

// The rows as the edits make them: an edited record's facts from its staged
// image, its name as given, its mark by its state.
void ArchiveWindowController::rebuildRows() {
    const std::vector<archive::StagedRecord>& records = edits_.records();
    std::vector<int> onImage(edits_.images().size(), 0);
    for (const archive::StagedRecord& r : records) onImage[r.image] += r.removed ? 0 : 1;
    rows_.assign(records.size(), archive::ArchiveRow{});
    names_.assign(records.size(), "unknown");
    marks_.assign(records.size(), platform::RowMark::None);
    for (std::uint32_t i = 0; i < records.size(); ++i) {
        const archive::StagedRecord& r = records[i];
        archive::ArchiveRow& row = rows_[i];
        if (r.original) row = openedRows_[*r.original], names_[i] = dbNames_[*r.original];
        if (!r.name.empty()) names_[i] = r.name;
        row.index = i;
        row.soundId = r.soundId;
        row.auxValue = r.auxValue;
        row.reserved = r.reserved;
        row.shared = onImage[r.image] > 1;
        if (!r.original || r.image >= edits_.originalImageCount()) {
            const archive::ImageSource& image = edits_.images()[r.image];
            const audio::CauHeader h = audio::parseCauHeader(image.header.data(), false);
            row.imageLength = static_cast<std::uint32_t>(image.length);
            row.sampleRate = h.sampleRate, row.dataSize = h.dataSize, row.decodedSize = h.decodedSize;
            row.channels = h.channels, row.bitsPerSample = h.bitsPerSample, row.compression = h.compression;
            row.lengthMs = archive::playTimeMs(h.decodedSize, h.sampleRate, h.channels, h.bitsPerSample, h.isAdpcm());
            row.problem = archive::RowProblem::None;
            const std::vector<audio::CaptionSection> sections = edits_.sectionsOf(i);
            row.hasCaption = !sections.empty();
            row.caption = sections.empty() ? "" : io::shownText(audio::captionShownText(sections));
        }
        switch (edits_.state(i)) {
        case archive::RecordState::Changed: marks_[i] = platform::RowMark::Changed; break;
        case archive::RecordState::Added: marks_[i] = platform::RowMark::Added; break;
        case archive::RecordState::Removed: marks_[i] = platform::RowMark::Removed; break;
        case archive::RecordState::Same:
            if (row.problem != archive::RowProblem::None) marks_[i] = platform::RowMark::Error;
            break;
        }
        if (r.original && findings_.count(i) && marks_[i] == platform::RowMark::None)
            marks_[i] = platform::RowMark::Warning;
    }
    haystacks_.resize(rows_.size());
    for (const archive::ArchiveRow& row : rows_)
        haystacks_[row.index] = io::toLower(names_[row.index]) + '\n' + ids::formatSoundId(row.soundId) + '\n' +
                                io::toLower(row.caption);
    if (focused_ && *focused_ >= rows_.size()) focused_.reset();
    failures_.clear();
    window()->setTitle(windowTitle());
    sortRows();
    showDetails();
    drawWaveform();
}

// ---- Refusals --------------------------------------------------------------------------------

std::string ArchiveWindowController::refusalText(std::uint32_t record, const EditResult& result,
                                                const std::string& given) const {
    const std::string file = io::fileNameOf(archive_.archivePath);
    const std::string who = record < rows_.size() ? rowTitle(record) + " of " + file : file;
    std::string text;
    switch (result.refusal) {
    case EditRefusal::None: break;
    case EditRefusal::NotEditable:
    case EditRefusal::FileRefused:
    case EditRefusal::TooManyCaptions: text = result.reason; break;
    case EditRefusal::NoSuchRecord: text = who + " no longer exists."; break;
    case EditRefusal::EmptyName: text = who + " cannot be renamed to nothing: a sound needs a name."; break;
    case EditRefusal::IdentifierTaken:
        text = who + " cannot take the name " + quoted(given) + ": its identifier " +
               ids::formatSoundId(ids::computeSoundId(io::gameText(given))) + " is held by " + rowTitle(static_cast<std::uint32_t>(result.other)) +
               ", and the game keeps only one sound per identifier.";
        break;
    case EditRefusal::MissingStays:
        text = rowTitle(static_cast<std::uint32_t>(result.other)) + " of " + file +
               " is \"missing\", which cannot be removed or renamed: the game plays it in place of any sound it "
               "cannot find.";
        break;
    case EditRefusal::NotANumber: text = who + ": " + quoted(given) + " is not a number the game can use."; break;
    case EditRefusal::AttenuationBelowZero:
        text = who + ": the attenuation " + given + " is below 0 dB per metre, which the game refuses.";
        break;
    case EditRefusal::VolumeAboveZero: text = who + ": the volume " + given + " is above 0 dB, which the game refuses."; break;
    case EditRefusal::BeyondFloat: text = who + ": " + given + " is beyond what the record's 32-bit number holds."; break;
    }
    return text;
}

void ArchiveWindowController::refuseEdit(std::uint32_t record, const EditResult& result, const std::string& given) {
    if (result.ok()) return;
    showRefusal(refusalText(record, result, given));
}

void ArchiveWindowController::showRefusal(const std::string& text) {
    platform_.beep(platform::Beep::Refused);
    window()->showMessage(kBrowserTitle, text, MessageIcon::Warning);
}

void ArchiveWindowController::afterEdit(const EditResult& result, std::uint32_t record, const std::string& given) {
    if (!result.ok()) {
        refuseEdit(record, result, given);
        return;
    }
    rebuildRows();
}

// ---- Commands --------------------------------------------------------------------------------

bool ArchiveWindowController::editCommand(int commandId) {
    if (commandId == kCmdBrowserSave || commandId == kCmdBrowserSaveAs || commandId == kCmdBrowserUndo ||
        commandId == kCmdBrowserRedo || commandId == kCmdBrowserReplace || commandId == kCmdBrowserAdd ||
        commandId == kCmdBrowserRemove || commandId == kCmdBrowserRename || commandId == kCmdBrowserCaptions ||
        commandId == kCmdBrowserImportSubRip || commandId == kCmdBrowserExportSubRip ||
        commandId == kCmdBrowserRevert) {
        if (!edits_.isOpen()) {
            refuseEdit(0, {EditRefusal::NotEditable, 0,
                           archive_.archivePath + " cannot be edited. " + editsRefused_}, "");
            return true;
        }
    } else {
        return false;
    }
    switch (commandId) {
    case kCmdBrowserSave: (void)save(archive_.archivePath); break;
    case kCmdBrowserSaveAs: saveAs(); break;
    case kCmdBrowserUndo: if (edits_.canUndo()) edits_.undo(), rebuildRows(); break;
    case kCmdBrowserRedo: if (edits_.canRedo()) edits_.redo(), rebuildRows(); break;
    case kCmdBrowserReplace: {
        if (!focused_) break;
        const std::vector<std::string> files = chooseSounds(false);
        if (!files.empty()) replaceRecord(*focused_, files.front());
        break;
    }
    case kCmdBrowserAdd: addSounds(chooseSounds(true)); break;
    case kCmdBrowserRemove: removeSelected(); break;
    case kCmdBrowserRename: startRename(); break;
    case kCmdBrowserCaptions: editCaptions(); break;
    case kCmdBrowserImportSubRip: importSubRip(); break;
    case kCmdBrowserExportSubRip: exportSubRip(); break;
    case kCmdBrowserRevert: revertEdits(); break;
    default: break;
    }
    return true;
}

void ArchiveWindowController::editKey(platform::ArchiveKey key) {
    if (key == platform::ArchiveKey::Delete) (void)editCommand(kCmdBrowserRemove);
    if (key == platform::ArchiveKey::F2) (void)editCommand(kCmdBrowserRename);
}

void ArchiveWindowController::removeSelected() {
    const std::vector<std::uint32_t> selected = selectedRecords();
    if (selected.empty()) return;
    const EditResult result = edits_.remove(std::vector<std::size_t>(selected.begin(), selected.end()));
    afterEdit(result, selected.front(), "");
}

void ArchiveWindowController::startRename() {
    if (!focused_ || positionOf_[*focused_] < 0) return;
    window()->editCell(positionOf_[*focused_], kColName, names_[*focused_] == "unknown" ? "" : names_[*focused_]);
}

void ArchiveWindowController::onArchiveEditRequest(int position, int column) {
    if (!recordAt(position) || !(column == kColName || column == kColAttenuation || column == kColVolume)) return;
    if (!edits_.isOpen()) {
        (void)editCommand(kCmdBrowserRename);  // says why
        return;
    }
    window()->editCell(position, column, archiveCellText(position, column) == "unknown" && column == kColName
                                             ? ""
                                             : archiveCellText(position, column));
}

void ArchiveWindowController::onArchiveCellEdited(int position, int column, const std::string& text) {
    const std::optional<std::uint32_t> record = recordAt(position);
    if (!record || !edits_.isOpen() || text == archiveCellText(position, column)) return;
    if (column == kColName) {
        afterEdit(edits_.rename(*record, text), *record, text);
        return;
    }
    if (column != kColAttenuation && column != kColVolume) return;
    const std::optional<double> value = parseLevel(text);
    if (!value) {
        refuseEdit(*record, {EditRefusal::NotANumber, 0, ""}, text);
        return;
    }
    afterEdit(column == kColAttenuation ? edits_.setAttenuation(*record, *value) : edits_.setVolume(*record, *value),
              *record, text);
}

std::vector<std::string> ArchiveWindowController::chooseSounds(bool several) {
    const std::string folder = soundFolder_.empty() ? io::folderOf(archive_.archivePath) : soundFolder_;
    std::vector<std::string> files = window()->chooseFiles(soundDialog(folder), several);
    if (!files.empty()) soundFolder_ = io::folderOf(files.front());
    return files;
}

// A sound file as what can be staged: a .wav or a .cau as they are, a
// foreign file converted to a .wav as the main window plays it.
std::optional<std::string> ArchiveWindowController::wavForSound(const std::string& path, std::string& why) {
    const std::string lower = io::toLower(path);
    if (io::endsWith(lower, ".wav") || io::endsWith(lower, ".cau")) return path;
    import::PlayableWavResult converted = import::writePlayableWav(path, convertedWav_);
    if (!converted.ok()) {
        why = converted.outcome.reason;
        return std::nullopt;
    }
    return convertedWav_;
}

bool ArchiveWindowController::replaceRecord(std::uint32_t record, const std::string& path) {
    bool follow = true;
    if (const std::size_t others = edits_.sharing(record).size(); others > 0) {
        const int answer = window()->askChoice(
            kBrowserTitle,
            rowTitle(record) + " shares its sound with " + std::to_string(others) +
                (others == 1 ? " other record" : " other records") + ". Should they take the new sound too?",
            {"All of them", "Only this one", "Cancel"});
        if (answer != 0 && answer != 1) return false;
        follow = answer == 0;
    }
    std::string why;
    const std::optional<std::string> sound = wavForSound(path, why);
    if (!sound) {
        showRefusal(why);
        return false;
    }
    stopPlaying();
    const EditResult result = edits_.replace(record, *sound, follow);
    afterEdit(result, record, path);
    return result.ok();
}

// Each file is added or refused on its own; the refusals are told together.
void ArchiveWindowController::addSounds(const std::vector<std::string>& paths) {
    std::vector<std::string> refused;
    for (const std::string& path : paths) {
        const std::string name = io::stripFromFirstDot(io::fileNameOf(path));
        std::string why;
        const std::optional<std::string> sound = wavForSound(path, why);
        const EditResult result = sound ? edits_.add(*sound, name) : EditResult{EditRefusal::FileRefused, 0, why};
        if (!result.ok()) refused.push_back(refusalText(static_cast<std::uint32_t>(edits_.records().size()), result, name));
    }
    rebuildRows();
    if (refused.size() == 1) showRefusal(refused.front());
    if (refused.size() < 2) return;
    std::string text = std::to_string(refused.size()) + " of " + countText(paths.size(), "sound was", "sounds were") +
                       " not added:";
    for (std::size_t i = 0; i < refused.size() && i < kRefusalsShown; ++i) text += "\n" + refused[i];
    if (refused.size() > kRefusalsShown) text += "\n... and " + std::to_string(refused.size() - kRefusalsShown) + " more.";
    showRefusal(text);
}

void ArchiveWindowController::revertEdits() {
    if (changes() == 0 && !edits_.canUndo()) return;
    const int answer = window()->askChoice(kBrowserTitle, "Drop every change to " + io::fileNameOf(archive_.archivePath) +
                                                              " not saved? This cannot be undone.",
                                           {"Revert", "Cancel"});
    if (answer != 0) return;
    edits_.revert();
    rebuildRows();
}

// ---- Captions ---------------------------------------------------------------------------------

void ArchiveWindowController::takeSubRip(std::uint32_t record, const std::string& text, const std::string& from) {
    std::vector<audio::CaptionSection> sections;
    if (text.size() > audio::kMaxCaptionBytes) {
        refuseEdit(record, {EditRefusal::TooManyCaptions, 0,
                            from + " is too large for captions: a caption block holds at most " +
                                std::to_string(audio::kMaxCaptionBytes) + " bytes."}, "");
        return;
    }
    if (text.find_first_not_of(" \t\r\n") != std::string::npos) {
        audio::SubRipRead read = audio::readSubRip(text);
        if (!read.ok()) {
            refuseEdit(record, {EditRefusal::FileRefused, 0, from + " cannot be used as captions: " +
                                                                 subRipFaultText(read) + "."}, "");
            return;
        }
        sections = std::move(read.sections);
        for (audio::CaptionSection& s : sections) s.text = io::gameText(s.text);
    }
    afterEdit(edits_.setSections(record, sections), record, "");
}

void ArchiveWindowController::editCaptions() {
    if (!focused_) return;
    const std::uint32_t record = *focused_;
    std::vector<audio::CaptionSection> sections = edits_.sectionsOf(record);
    for (audio::CaptionSection& s : sections) s.text = io::shownText(s.text);
    const std::optional<std::string> text = window()->editLongText(
        "Captions", "The captions of " + rowTitle(record) + " as SubRip text (empty: none):", audio::writeSubRip(sections));
    if (text) takeSubRip(record, *text, "The captions typed for " + rowTitle(record));
}

void ArchiveWindowController::importSubRip() {
    if (!focused_) return;
    const std::vector<std::string> files = window()->chooseFiles(subRipDialog(), false);
    if (files.empty()) return;
    io::File file;
    io::Outcome read = file.open(files.front(), io::FileMode::Read);
    std::string text;
    if (read && file.size() > audio::kMaxCaptionBytes) {
        takeSubRip(*focused_, std::string(audio::kMaxCaptionBytes + 1, ' '), files.front());
        return;
    }
    if (read) text.resize(static_cast<std::size_t>(file.size())), read = file.readAt(0, text.data(), text.size());
    if (!read) {
        refuseEdit(*focused_, {EditRefusal::FileRefused, 0, read.reason}, "");
        return;
    }
    takeSubRip(*focused_, text, files.front());
}

void ArchiveWindowController::exportSubRip() {
    if (!focused_) return;
    std::vector<audio::CaptionSection> sections = edits_.sectionsOf(*focused_);
    for (audio::CaptionSection& s : sections) s.text = io::shownText(s.text);
    platform::FileDialogOptions options = subRipDialog();
    options.flags = platform::kOverwritePrompt;
    options.initialName = (names_[*focused_] == "unknown" ? ids::formatSoundId(rows_[*focused_].soundId)
                                                          : names_[*focused_]) + ".srt";
    const std::optional<std::string> target = window()->chooseSaveFile(options);
    if (!target) return;
    io::ReplacementFile out;
    io::Outcome written = out.begin(*target);
    if (written) written = out.file().writeText(audio::writeSubRip(sections));
    if (written) written = out.commit(io::Durability::Durable);
    if (!written) refuseEdit(*focused_, {EditRefusal::FileRefused, 0, written.reason}, "");
    else window()->setStatus(*target + " written.");
}

// ---- Saving -----------------------------------------------------------------------------------

// The names given by renames and adds go into the database, so that the saved
// archive's rows keep them; a name it holds already is not written again.
void ArchiveWindowController::rememberNames() {
    ids::SoundNameIndex index;
    index.load(shell_.paths().sndIdsDat);
    std::string failed;
    for (const archive::StagedRecord& r : edits_.records()) {
        if (r.removed || r.name.empty() || index.lookup(r.soundId) != "unknown") continue;
        if (io::Outcome added = ids::appendSoundIdRecord(shell_.paths().sndIdsDat, io::gameText(r.name)); !added)
            failed = added.reason;
    }
    if (!failed.empty()) window()->showMessage(kBrowserTitle, "The archive was saved, but " + failed, MessageIcon::Warning);
}

bool ArchiveWindowController::save(const std::string& target) {
    const std::string path = archive_.archivePath;
    archive::ArchiveStamp now;
    // A file that cannot be read now is not said to have changed: its reason is shown.
    if (const io::Outcome stamped = archive::stampArchive(path, now); !stamped) {
        refuseEdit(0, {EditRefusal::FileRefused, 0, "The archive was not saved: " + stamped.reason}, "");
        return false;
    }
    if (now.size != stamp_.size || now.tableHash != stamp_.tableHash) {
        refuseEdit(0, {EditRefusal::FileRefused, 0,
                       path + " was changed on the disk since it was opened, so the edits can no longer be saved "
                              "from it; open it again to edit it."}, "");
        return false;
    }
    if (now != stamp_ && target == path &&
        window()->askChoice(kBrowserTitle, path + " was written by another program since it was opened. Write the "
                                                  "edited archive over it?", {"Overwrite", "Cancel"}) != 0)
        return false;
    stopPlaying();
    waveJob_.stop();
    archive::SaveEditsResult saved = archive::saveEdits(edits_, target);
    if (!saved.outcome) {
        refuseEdit(0, {EditRefusal::FileRefused, 0, "The archive was not saved: " + saved.outcome.reason}, "");
        return false;
    }
    rememberNames();
    // The record chosen stays chosen: its index once the removed records are gone.
    std::optional<std::uint32_t> kept;
    if (focused_ && !edits_.records()[*focused_].removed)
        kept = static_cast<std::uint32_t>(std::count_if(edits_.records().begin(), edits_.records().begin() + *focused_,
                                                        [](const archive::StagedRecord& r) { return !r.removed; }));
    edits_ = archive::StagedEdits{};  // its scratch file goes
    // The main window loads the saved archive, and this window shows it.
    shell_.loadSavedArchive(target);
    if (kept && isOpen() && *kept < rows_.size()) {
        shell_.showEntryFromArchiveWindow(static_cast<int>(*kept));
        followEntry(static_cast<int>(*kept));
    }
    if (window_) window_->setStatus(target + " saved: " + std::to_string(saved.records) + " sounds, " +
                        std::to_string(saved.fileSize) + " bytes.");
    return true;
}

void ArchiveWindowController::saveAs() {
    platform::FileDialogOptions options;
    options.filterText = "Tpa File (*.tpa)";
    options.filterPattern = "*.tpa";
    options.flags = platform::kOverwritePrompt;
    options.initialName = io::fileNameOf(archive_.archivePath);
    options.defaultExtension = "tpa";
    if (const std::optional<std::string> target = window()->chooseSaveFile(options)) (void)save(*target);
}

bool ArchiveWindowController::settleEdits(bool canCancel) {
    if (changes() == 0 || !isOpen()) return true;
    std::vector<std::string> buttons{"Save", "Don't save"};
    if (canCancel) buttons.push_back("Cancel");
    const int answer = window()->askChoice(
        kBrowserTitle,
        io::fileNameOf(archive_.archivePath) + " has " + std::to_string(changes()) +
            (changes() == 1 ? " change not saved. Save it?" : " changes not saved. Save them?"),
        buttons);
    if (answer == 0) return save(archive_.archivePath);
    if (answer == 1) {
        // The window may stay (the same archive loaded again): it shows the archive as it is.
        edits_.revert();
        rebuildRows();
        return true;
    }
    return !canCancel;
}

}  // namespace sonkrate::app
