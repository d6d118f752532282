// The archive window's behaviour: every record of the loaded archive as a
// row (read once), sorted and filtered here, the selection kept in step with
// the main window's current entry, play with a moving cursor, the waveform,
// captions and findings, export, names and verify. Long work runs on
// background jobs whose results the window takes on its timer.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/background_job.h"
#include "archive/edit/save_edits.h"
#include "archive/edit/staged_edits.h"
#include "archive/format/archive_rows.h"
#include "archive/folder/export_all.h"
#include "archive/format/tpa_loader.h"
#include "archive/check/verify.h"
#include "audio/cau/sound_frames.h"
#include "audio/convert/waveform_peaks.h"
#include "ids/search/name_run.h"
#include "platform/platform.h"

namespace sonkrate::app {

class Shell;

// The archive window's menu, its groups of items parted by dividers.
const std::vector<platform::MenuPopup>& archiveWindowMenu();

// The columns of the table, in order.
enum ArchiveColumn {
    kColIndex, kColName, kColId, kColLength, kColRate, kColChannels, kColBits, kColFormat, kColSize,
    kColAttenuation, kColVolume, kColCaption, kColShared, kColumnCount
};

// Sounds whose 16-bit PCM is at most this long are written and drawn at
// once; longer ones on a background job.
inline constexpr std::uint64_t kInstantPcmBytes = 2u << 20;

class ArchiveWindowController : public platform::ArchiveWindowSink {
public:
    ArchiveWindowController(platform::Platform& platform, Shell& shell);
    ~ArchiveWindowController() override;

    // Shows the window on the archive, its rows read anew. False (with a
    // message box naming the file and the reason) when they cannot be read.
    bool open(const archive::TpaArchive& archive);
    bool isOpen() const;
    // The archive the window shows (its path and size when it was read).
    const std::string& archivePath() const { return archive_.archivePath; }
    std::uint64_t fileSizeRead() const { return fileSize_; }
    std::uint32_t rowsRead() const { return static_cast<std::uint32_t>(rows_.size()); }
    // The main window moved to entry index: its row is selected when shown.
    void followEntry(int index);
    // A tick of the window's timer.
    void onTimer();
    // Closes the window and waits for its work; removes its working file.
    void shutDown();
    // With edits staged, asks whether to save them: true when they were saved
    // or dropped (or none were staged), false when the user cancelled.
    // canCancel false (the program is quitting) offers only Save and Don't save.
    bool settleEdits(bool canCancel = true);
    int changes() const { return edits_.isOpen() ? edits_.changes() : 0; }

    // ---- ArchiveWindowSink ----
    std::string archiveCellText(int position, int column) override;
    platform::RowMark archiveRowMark(int position) override;
    void onArchiveCommand(int commandId) override;
    void onArchiveKey(platform::ArchiveKey key, platform::KeyPlace place) override;
    void onArchiveHeaderClick(int column) override;
    void onArchiveSelectionChanged() override;
    void onArchiveRowActivated(int position) override;
    void onArchiveFilterChanged(const std::string& text) override;
    void onWaveformClick(double fraction) override;
    void onWaveformResized(int columns) override;
    void onPlayOnSelectToggled(bool on) override;
    void onArchiveCancel() override;
    void onArchiveFilesDropped(int position, const std::vector<std::string>& paths) override;
    void onArchiveCloseRequest() override;
    void onArchiveEditRequest(int position, int column) override;
    void onArchiveCellEdited(int position, int column, const std::string& text) override;
    platform::ArchiveWindowFacts archiveWindowFacts() override;

private:
    platform::ArchiveWindow* window();
    // Rows: names, the text the filter searches, order and filter.
    void lookUpNames();
    void sortRows();
    void applyFilter();
    void showRows(const std::vector<std::uint32_t>& selected);
    void showStatus();
    std::optional<std::uint32_t> recordAt(int position) const;
    std::vector<std::uint32_t> selectedRecords();
    void selectRecord(std::uint32_t record);
    std::string rowTitle(std::uint32_t record) const;
    void showDetails();
    void closeWindow();
    // Greys the items that cannot act now (archive_window_menu.cpp).
    void updateMenus();
    // Play and the waveform (archive_window_play.cpp).
    void play(std::uint32_t record, std::uint64_t fromMs);
    void startPlaying(std::uint32_t record, std::uint64_t fromMs, const io::Outcome& written);
    void stopPlaying();
    void togglePlay();
    void drawWaveform();
    void takeWaveform(std::uint32_t record, const io::Outcome& made, const audio::WaveformPeaks& peaks);
    void moveCursor();
    void refuseRecord(std::uint32_t record, const std::string& reason);
    // Export, names and verify (archive_window_work.cpp).
    bool workBusy();
    void exportRecords(std::vector<std::uint32_t> records, archive::ExportMode mode);
    void findNames();
    void guessNames();
    void runNames(ids::NameRunRequest request, const std::string& what);
    void takeNames(const ids::NameRunResult& result);
    void verify();
    void takeFindings(const archive::VerifyReport& report);
    void showWorkProgress();
    // Where a record's sound lies now (play and the waveform).
    struct RecordSound {
        bool entry = true;  // the archive's entry record; else the range below
        std::uint32_t record = 0;
        std::string path;
        std::uint64_t dataStart = 0;
        audio::CauHeader header;
        std::string source;
    };
    RecordSound recordSound(std::uint32_t record) const;
    io::Outcome openRecordFrames(const RecordSound& sound, audio::SoundFrameReader& reader) const;
    // Editing (archive_window_edit.cpp).
    void openEdits();
    std::string stateKey(std::uint32_t record) const;
    void rebuildRows();
    std::string windowTitle() const;
    bool editCommand(int commandId);
    void editKey(platform::ArchiveKey key);
    void refuseEdit(std::uint32_t record, const archive::EditResult& result, const std::string& given);
    std::string refusalText(std::uint32_t record, const archive::EditResult& result, const std::string& given) const;
    void showRefusal(const std::string& text);
    void afterEdit(const archive::EditResult& result, std::uint32_t record, const std::string& given);
    void removeSelected();
    void startRename();
    // The sound files chosen in the dialog (several or one); empty when cancelled.
    std::vector<std::string> chooseSounds(bool several);
    // True when the replacement was staged.
    bool replaceRecord(std::uint32_t record, const std::string& path);
    void addSounds(const std::vector<std::string>& paths);
    // why receives the reason when a foreign file cannot be converted.
    std::optional<std::string> wavForSound(const std::string& path, std::string& why);
    void editCaptions();
    void importSubRip();
    void exportSubRip();
    void takeSubRip(std::uint32_t record, const std::string& text, const std::string& from);
    bool save(const std::string& target);
    void rememberNames();
    void saveAs();
    void revertEdits();

    platform::Platform& platform_;
    Shell& shell_;
    platform::ArchiveWindow* window_ = nullptr;
    archive::TpaArchive archive_;
    std::uint64_t fileSize_ = 0;
    std::vector<archive::ArchiveRow> rows_;
    std::vector<std::string> names_;       // shown name per record, "unknown" when none
    std::vector<std::string> haystacks_;   // lower-cased name, identifier and caption per record
    std::vector<platform::RowMark> marks_;
    std::map<std::uint32_t, std::vector<archive::Finding>> findings_;
    std::map<std::uint32_t, std::string> failures_;  // records that could not be played, and why
    std::vector<std::uint32_t> order_;     // every record in the sorted order
    std::vector<std::uint32_t> shown_;     // the records the filter keeps, in order
    std::vector<int> positionOf_;          // per record its position among the shown, or -1
    std::string filter_;
    int sortColumn_ = -1;
    bool descending_ = false;
    std::optional<std::uint32_t> focused_;
    std::map<int, bool> menuEnabled_;      // the state each item was last given
    bool playOnSelect_ = false;
    std::string workWav_;
    // Play.
    BackgroundJob playJob_;
    bool playing_ = false;
    std::uint32_t playingRecord_ = 0;
    std::uint64_t playStartClock_ = 0;   // the clock when the sound's frame 0 would have started
    std::uint64_t playEndMs_ = 0;
    // The waveform.
    BackgroundJob waveJob_;
    int waveformColumns_ = 0;
    std::optional<std::uint32_t> waveformRecord_;
    std::uint64_t waveformMs_ = 0;
    int waveformChannels_ = 0;
    // Export, names, verify: one at a time.
    BackgroundJob workJob_;
    std::string workText_;
    // Edits.
    archive::StagedEdits edits_;
    std::string editsRefused_;   // why the archive cannot be edited, when it cannot
    archive::ArchiveStamp stamp_;
    std::vector<archive::ArchiveRow> openedRows_;  // the rows as read, by record of the archive
    std::vector<std::string> dbNames_;             // their names in the database
    std::string scratchPath_;
    std::string convertedWav_;                      // a foreign sound converted to be staged
    std::string soundFolder_;                       // where the last sound was chosen
};

}  // namespace sonkrate::app
