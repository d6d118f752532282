#include "app/archive_window.h"

#include <algorithm>
#include <bit>
#include <numeric>

#include "app/archive_window_texts.h"
#include "app/command_ids.h"
#include "app/shell.h"
#include "archive/edit/staged_export.h"
#include "archive/format/entry_reader.h"
#include "ids/sound_id.h"
#include "ids/sound_name_index.h"
#include "io/file_system.h"
#include "io/game_text.h"
#include "io/paths.h"

namespace sonkrate::app {

using platform::ArchiveKey;
using platform::KeyPlace;
using platform::MessageButtons;
using platform::MessageIcon;

namespace {

constexpr int kTimerPeriodMs = 50;
constexpr int kFactRows = 5000;

const std::vector<platform::TableColumn>& tableColumns() {
    static const std::vector<platform::TableColumn> columns = {
        {"#", 50, true},       {"Name", 220, false},  {"ID", 80, false},     {"Length", 80, true},
        {"Rate", 60, true},    {"Ch", 34, true},      {"Bits", 40, true},    {"Format", 80, false},
        {"Size", 80, true},    {"Atten.", 56, true},  {"Volume", 56, true},  {"Caption", 240, false},
        {"Shared", 56, false},
    };
    return columns;
}

// The edit state of a record, for the UI dump.
const char* stateText(archive::RecordState state) {
    switch (state) {
    case archive::RecordState::Changed: return "changed";
    case archive::RecordState::Added: return "added";
    case archive::RecordState::Removed: return "removed";
    case archive::RecordState::Same: break;
    }
    return "same";
}

// Compares two rows by one column; 0 when equal there.
int compareRows(const archive::ArchiveRow& a, const archive::ArchiveRow& b, const std::string& nameA,
                const std::string& nameB, int column) {
    auto cmp = [](auto x, auto y) { return x < y ? -1 : (y < x ? 1 : 0); };
    switch (column) {
    case kColIndex: return cmp(a.index, b.index);
    case kColName: return cmp(io::toLower(nameA), io::toLower(nameB));
    case kColId: return cmp(a.soundId, b.soundId);
    case kColLength: return cmp(a.lengthMs, b.lengthMs);
    case kColRate: return cmp(a.sampleRate, b.sampleRate);
    case kColChannels: return cmp(a.channels, b.channels);
    case kColBits: return cmp(a.bitsPerSample, b.bitsPerSample);
    case kColFormat: return cmp(a.compression, b.compression);
    case kColSize: return cmp(a.imageLength, b.imageLength);
    case kColAttenuation: return cmp(std::bit_cast<float>(a.auxValue), std::bit_cast<float>(b.auxValue));
    case kColVolume: return cmp(std::bit_cast<float>(a.reserved), std::bit_cast<float>(b.reserved));
    case kColCaption: return cmp(a.caption, b.caption);
    case kColShared: return cmp(a.shared, b.shared);
    default: return 0;
    }
}

}  // namespace

ArchiveWindowController::ArchiveWindowController(platform::Platform& platform, Shell& shell)
    : platform_(platform), shell_(shell) {
    workWav_ = io::joinPath(shell_.paths().workDir, "browsed.wav");
}

ArchiveWindowController::~ArchiveWindowController() { shutDown(); }

platform::ArchiveWindow* ArchiveWindowController::window() {
    if (!window_) {
        platform::ArchiveWindowDescription d;
        d.title = "Sonkrate";
        d.columns = tableColumns();
        d.menu = &archiveWindowMenu();
        d.filterLabel = "Filter:";
        d.playOnSelectText = "Play on select";
        window_ = platform_.archiveWindow(d, *this);
    }
    return window_;
}

bool ArchiveWindowController::isOpen() const { return window_ && window_->isOpen(); }

bool ArchiveWindowController::open(const archive::TpaArchive& archive) {
    if (!settleEdits()) return false;
    archive::ArchiveRows read = archive::readArchiveRows(archive);
    if (!read.outcome) {
        platform_.messageBox("The archive window cannot show " + archive.archivePath + ": " + read.outcome.reason,
                             kBrowserTitle, MessageIcon::Warning, MessageButtons::Ok);
        return false;
    }
    platform::ArchiveWindow* w = window();
    if (!w) {
        platform_.messageBox("This system's window has no archive window yet.", kBrowserTitle, MessageIcon::Warning,
                             MessageButtons::Ok);
        return false;
    }
    stopPlaying();
    waveJob_.stop();
    workJob_.stop();
    archive_ = archive;
    fileSize_ = read.fileSize;
    rows_ = std::move(read.rows);
    marks_.assign(rows_.size(), platform::RowMark::None);
    for (const archive::ArchiveRow& row : rows_)
        if (row.problem != archive::RowProblem::None) marks_[row.index] = platform::RowMark::Error;
    findings_.clear();
    failures_.clear();
    focused_.reset();
    waveformRecord_.reset();
    edits_ = archive::StagedEdits{};
    lookUpNames();
    openEdits();
    w->setTitle(windowTitle());
    w->selectRows({}, -1);
    w->setWaveform({});
    w->setWaveformCursor(std::nullopt);
    w->setDetails("");
    w->setFilterText(filter_);
    sortRows();
    w->show();
    platform_.startTimer(platform::kArchiveTimer, kTimerPeriodMs);
    return true;
}

void ArchiveWindowController::lookUpNames() {
    ids::SoundNameIndex index;
    index.load(shell_.paths().sndIdsDat);
    names_.resize(rows_.size());
    haystacks_.resize(rows_.size());
    for (const archive::ArchiveRow& row : rows_) {
        names_[row.index] = io::shownText(index.lookup(row.soundId));
        haystacks_[row.index] =
            io::toLower(names_[row.index]) + '\n' + ids::formatSoundId(row.soundId) + '\n' + io::toLower(row.caption);
    }
    // A name given by an edit stands; the others are kept for the rows the edits rebuild.
    if (!edits_.isOpen() || edits_.records().size() != rows_.size()) return;
    for (std::uint32_t i = 0; i < rows_.size(); ++i) {
        const archive::StagedRecord& r = edits_.records()[i];
        if (r.name.empty() && r.original) dbNames_[*r.original] = names_[i];
        if (r.name.empty()) continue;
        names_[i] = r.name;
        haystacks_[i] = io::toLower(r.name) + '\n' + ids::formatSoundId(r.soundId) + '\n' + io::toLower(rows_[i].caption);
    }
}

void ArchiveWindowController::sortRows() {
    order_.resize(rows_.size());
    std::iota(order_.begin(), order_.end(), 0u);
    if (sortColumn_ > kColIndex) {
        std::stable_sort(order_.begin(), order_.end(), [&](std::uint32_t a, std::uint32_t b) {
            const int c = compareRows(rows_[a], rows_[b], names_[a], names_[b], sortColumn_);
            return descending_ ? c > 0 : c < 0;
        });
    } else if (descending_) {
        std::reverse(order_.begin(), order_.end());
    }
    applyFilter();
}

void ArchiveWindowController::applyFilter() {
    // The selection is kept by record, across the new order.
    const std::vector<std::uint32_t> selected = selectedRecords();
    const std::string needle = io::toLower(filter_);
    shown_.clear();
    positionOf_.assign(rows_.size(), -1);
    for (std::uint32_t record : order_) {
        if (!needle.empty() && haystacks_[record].find(needle) == std::string::npos) continue;
        positionOf_[record] = static_cast<int>(shown_.size());
        shown_.push_back(record);
    }
    showRows(selected);
}

// The table shows the shown rows; the selection follows its records.
void ArchiveWindowController::showRows(const std::vector<std::uint32_t>& selected) {
    platform::ArchiveWindow* w = window();
    w->setRowCount(static_cast<int>(shown_.size()));
    std::vector<int> positions;
    for (std::uint32_t record : selected)
        if (positionOf_[record] >= 0) positions.push_back(positionOf_[record]);
    std::sort(positions.begin(), positions.end());
    const int focus = focused_ && positionOf_[*focused_] >= 0 ? positionOf_[*focused_] : -1;
    // A filter that hid every row emptied the selection; the chosen row, shown again, is selected again.
    if (positions.empty() && focus >= 0) positions.push_back(focus);
    w->selectRows(positions, focus);
    w->refreshRows();
    showStatus();
    updateMenus();
}

void ArchiveWindowController::showStatus() {
    std::size_t named = 0;
    for (const std::string& name : names_) named += name != "unknown";
    std::string text = archiveStatusText(rows_.size(), named, shown_.size(), !filter_.empty(), fileSize_);
    if (changes() > 0) text += ", " + std::to_string(changes()) + (changes() == 1 ? " change" : " changes") + " not saved";
    window()->setStatus(text);
}

std::optional<std::uint32_t> ArchiveWindowController::recordAt(int position) const {
    if (position < 0 || position >= static_cast<int>(shown_.size())) return std::nullopt;
    return shown_[static_cast<std::size_t>(position)];
}

std::vector<std::uint32_t> ArchiveWindowController::selectedRecords() {
    std::vector<std::uint32_t> records;
    if (!window_) return records;
    for (int position : window_->selectedRows())
        if (std::optional<std::uint32_t> record = recordAt(position)) records.push_back(*record);
    return records;
}

std::string ArchiveWindowController::rowTitle(std::uint32_t record) const {
    std::string title = "Record " + std::to_string(record);
    if (record < names_.size() && names_[record] != "unknown") title += " (" + names_[record] + ")";
    return title;
}

// ---- Cells and facts ------------------------------------------------------------------------

std::string ArchiveWindowController::archiveCellText(int position, int column) {
    const std::optional<std::uint32_t> record = recordAt(position);
    if (!record) return "";
    const archive::ArchiveRow& row = rows_[*record];
    switch (column) {
    case kColIndex: return std::to_string(row.index);
    case kColName: return names_[row.index];
    case kColId: return ids::formatSoundId(row.soundId);
    case kColLength: return lengthText(row.lengthMs);
    case kColRate: return std::to_string(row.sampleRate);
    case kColChannels: return std::to_string(row.channels);
    case kColBits: return std::to_string(row.bitsPerSample);
    case kColFormat: return formatText(row);
    case kColSize: return std::to_string(row.imageLength);
    case kColAttenuation: return floatText(row.auxValue);
    case kColVolume: return floatText(row.reserved);
    case kColCaption: return row.caption;
    case kColShared: return row.shared ? "shared" : "";
    default: return "";
    }
}

platform::RowMark ArchiveWindowController::archiveRowMark(int position) {
    const std::optional<std::uint32_t> record = recordAt(position);
    return record ? marks_[*record] : platform::RowMark::None;
}

std::string ArchiveWindowController::stateKey(std::uint32_t record) const {
    return edits_.isOpen() && record < edits_.records().size() ? stateText(edits_.state(record)) : "same";
}

platform::ArchiveWindowFacts ArchiveWindowController::archiveWindowFacts() {
    platform::ArchiveWindowFacts facts;
    facts.records = static_cast<int>(rows_.size());
    facts.shown = static_cast<int>(shown_.size());
    facts.selected = selectedRecords();
    if (sortColumn_ >= 0) facts.sortColumn = std::string(tableColumns()[static_cast<std::size_t>(sortColumn_)].title);
    facts.descending = descending_;
    facts.filter = filter_;
    facts.changes = changes();
    facts.title = window_ ? windowTitle() : "";
    const std::size_t count = std::min<std::size_t>(shown_.size(), kFactRows);
    for (std::size_t p = 0; p < count; ++p) {
        const archive::ArchiveRow& row = rows_[shown_[p]];
        facts.rows.push_back({static_cast<int>(p), row.index, row.soundId, row.lengthMs, row.sampleRate, row.channels,
                              row.bitsPerSample, formatKey(row), stateKey(row.index), names_[row.index]});
    }
    facts.waveformRecord = waveformRecord_;
    facts.waveformColumns = waveformRecord_ ? waveformColumns_ : 0;
    facts.waveformChannels = waveformRecord_ ? waveformChannels_ : 0;
    facts.playing = playing_;
    facts.cursorMs = playing_ ? platform_.milliseconds() - playStartClock_ : 0;
    return facts;
}

// ---- The user's actions ---------------------------------------------------------------------

void ArchiveWindowController::onArchiveHeaderClick(int column) {
    if (column < 0 || column >= kColumnCount) return;
    descending_ = column == sortColumn_ ? !descending_ : false;
    sortColumn_ = column;
    window()->setSortIndicator(column, descending_);
    sortRows();
}

void ArchiveWindowController::onArchiveFilterChanged(const std::string& text) {
    filter_ = text;
    applyFilter();
}

void ArchiveWindowController::onArchiveSelectionChanged() {
    const std::optional<std::uint32_t> record = recordAt(window()->focusedRow());
    const bool moved = record != focused_;
    focused_ = record;
    updateMenus();
    if (!moved) return;
    if (!record) {
        showDetails();
        return;
    }
    shell_.showEntryFromArchiveWindow(static_cast<int>(*record));
    showDetails();
    drawWaveform();
    if (playOnSelect_) play(*record, 0);
}

void ArchiveWindowController::selectRecord(std::uint32_t record) {
    const int position = positionOf_[record];
    window()->selectRows({position}, position);
    onArchiveSelectionChanged();
}

void ArchiveWindowController::followEntry(int index) {
    if (!isOpen() || index < 0 || index >= static_cast<int>(rows_.size())) return;
    const auto record = static_cast<std::uint32_t>(index);
    if (positionOf_[record] < 0 || focused_ == record) return;
    window()->selectRows({positionOf_[record]}, positionOf_[record]);
    focused_ = record;
    updateMenus();
    showDetails();
    drawWaveform();
}

void ArchiveWindowController::onArchiveRowActivated(int position) {
    if (std::optional<std::uint32_t> record = recordAt(position)) play(*record, 0);
}

void ArchiveWindowController::onArchiveKey(ArchiveKey key, KeyPlace place) {
    if (place == KeyPlace::Filter) {
        if (key == ArchiveKey::Escape) {
            window()->setFilterText("");
            onArchiveFilterChanged("");
        } else if ((key == ArchiveKey::Down || key == ArchiveKey::Enter) && !shown_.empty()) {
            window()->focusTable();
            selectRecord(shown_.front());
        }
        return;
    }
    if (key == ArchiveKey::Delete || key == ArchiveKey::F2) editKey(key);
    if (key == ArchiveKey::Enter && focused_) play(*focused_, 0);
    if (key == ArchiveKey::Space) togglePlay();
    if (key == ArchiveKey::Escape) stopPlaying();
}

void ArchiveWindowController::onArchiveCommand(int commandId) {
    if (editCommand(commandId)) return;
    switch (commandId) {
    case kCmdBrowserExportWav: exportRecords(selectedRecords(), archive::ExportMode::Wav); break;
    case kCmdBrowserExportCau: exportRecords(selectedRecords(), archive::ExportMode::Cau); break;
    case kCmdBrowserExportAllWav: exportRecords(order_, archive::ExportMode::Wav); break;
    case kCmdBrowserExportAllCau: exportRecords(order_, archive::ExportMode::Cau); break;
    case kCmdBrowserClose: onArchiveCloseRequest(); break;
    case kCmdBrowserSelectAll: {
        std::vector<int> all(shown_.size());
        std::iota(all.begin(), all.end(), 0);
        window()->selectRows(all, focused_ && positionOf_[*focused_] >= 0 ? positionOf_[*focused_] : (all.empty() ? -1 : 0));
        onArchiveSelectionChanged();
        break;
    }
    case kCmdBrowserFind: window()->focusFilter(); break;
    case kCmdBrowserPlay: if (focused_) play(*focused_, 0); break;
    case kCmdBrowserStop: stopPlaying(); break;
    case kCmdBrowserFindNames: findNames(); break;
    case kCmdBrowserGuessNames: guessNames(); break;
    case kCmdBrowserVerify: verify(); break;
    default: break;
    }
}

void ArchiveWindowController::onPlayOnSelectToggled(bool on) { playOnSelect_ = on; }

// Sounds dropped on a row replace its sound (the first of them); on the table
// below the rows they are added. An archive dropped is opened.
void ArchiveWindowController::onArchiveFilesDropped(int position, const std::vector<std::string>& paths) {
    const bool archives = std::any_of(paths.begin(), paths.end(),
                                      [](const std::string& p) { return io::endsWith(io::toLower(p), ".tpa"); });
    if (archives || paths.empty() || !edits_.isOpen()) {
        shell_.openFiles(paths);
        return;
    }
    // The row dropped on is chosen, so that its new sound is what is shown and played.
    if (const std::optional<std::uint32_t> record = recordAt(position)) {
        if (replaceRecord(*record, paths.front()) && positionOf_[*record] >= 0) selectRecord(*record);
    } else
        addSounds(paths);
}

void ArchiveWindowController::onArchiveCloseRequest() {
    if (settleEdits()) closeWindow();
}

void ArchiveWindowController::closeWindow() {
    stopPlaying();
    waveJob_.stop();
    workJob_.stop();
    if (window_) {
        window_->endProgress();
        window_->close();
    }
    platform_.stopTimer(platform::kArchiveTimer);
}

void ArchiveWindowController::shutDown() {
    closeWindow();
    (void)io::removeFile(workWav_);
}

// The captions of the focused record, then its findings and why it could not be played.
void ArchiveWindowController::showDetails() {
    if (!focused_) {
        window()->setDetails("");
        return;
    }
    const std::uint32_t record = *focused_;
    std::string text;
    if (edits_.isOpen() && record < edits_.records().size() && archive::isImageStaged(edits_, record)) {
        // Captions as they will be saved.
        const std::vector<audio::CaptionSection> sections = edits_.sectionsOf(record);
        text = sections.empty() ? "No caption." : captionLines(sections);
    } else if (rows_[record].hasCaption) {
        archive::EntrySound sound = archive::readEntrySound(archive_, record);
        if (sound.outcome && sound.captionFault == audio::CaptionFault::None)
            text = captionLines(sound.captionSections);
        else
            text = "Caption: " + rows_[record].caption;
    } else {
        text = "No caption.";
    }
    if (rows_[record].problem != archive::RowProblem::None && !failures_.count(record))
        text += "\n" + rowTitle(record) + " cannot be played: " + rowProblemText(rows_[record].problem) + ".";
    if (auto it = failures_.find(record); it != failures_.end()) text += "\n" + it->second;
    if (auto it = findings_.find(record); it != findings_.end())
        for (const archive::Finding& f : it->second) text += "\n" + findingLine(f);
    window()->setDetails(text);
}

void ArchiveWindowController::onTimer() {
    playJob_.poll();
    waveJob_.poll();
    if (workJob_.running() && !workJob_.poll()) showWorkProgress();
    moveCursor();
}

}  // namespace sonkrate::app
