// The archive window's side of the platform: a second top-level window with a
// filter field, a virtual table of an archive's records, a waveform view, a
// details panel, a status line and a menu with keyboard accelerators. The
// shell owns every row and text; the window asks for cell texts as it draws
// (virtual rows) and reports the user's actions through ArchiveWindowSink.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sonkrate::platform {

struct MenuPopup;
struct FileDialogOptions;
enum class MessageIcon;

struct TableColumn {
    std::string_view title;
    int width = 60;            // pixels at 96 DPI; the backend scales it
    bool alignRight = false;   // numbers
};

// How a row is drawn: its record is marked by a finding of verify, could not
// be decoded, or (when the window edits) is changed, added or removed.
enum class RowMark { None, Warning, Error, Changed, Added, Removed };

// Keys the window hands to the shell; where they were pressed says whether the
// filter field or the table had the focus. Accelerators of the menu (Ctrl+F,
// Ctrl+E, Ctrl+A, F5 ...) come as commands instead.
enum class ArchiveKey { Enter, Space, Escape, Down, Delete, F2 };
enum class KeyPlace { Filter, Table };

// One channel's extremes in one pixel column, in 16-bit sample units.
struct PeakPair {
    std::int16_t minimum = 0;
    std::int16_t maximum = 0;
};

// The waveform of one sound: columns x channels pairs, column-major
// (column 0's channels first). Empty when there is nothing to show.
struct WaveformPicture {
    int columns = 0;
    int channels = 0;
    std::vector<PeakPair> peaks;
    std::uint64_t durationMs = 0;
};

struct ArchiveWindowDescription {
    std::string title;                    // "ambient.tpa - Sonkrate"
    std::vector<TableColumn> columns;
    std::vector<MenuPopup> const* menu = nullptr;  // items may carry a shortcut
    std::string filterLabel;              // "Filter:"
    std::string playOnSelectText;         // "Play on select"
    int width = 900, height = 600;        // at 96 DPI
};

// Facts the UI dump writes for scripts and tests (see ui_dump.h).
struct ArchiveRowFacts {
    int position = 0;              // place among the shown rows
    std::uint32_t record = 0;      // index of the record in the archive
    std::uint32_t soundId = 0;
    std::uint64_t lengthMs = 0;
    std::uint32_t rate = 0;
    int channels = 0;
    int bits = 0;
    std::string format;            // "pcm" or "ima-adpcm"
    std::string state;             // "same", "changed", "added" or "removed"
    std::string name;
};

struct ArchiveWindowFacts {
    int records = 0;
    int shown = 0;
    std::vector<std::uint32_t> selected;   // record indices, in shown order
    std::string sortColumn;                // the column's title; "" before a sort
    bool descending = false;
    int changes = 0;
    std::string filter;
    std::string title;
    std::vector<ArchiveRowFacts> rows;     // the first 5,000 shown rows, in order
    // The waveform view.
    std::optional<std::uint32_t> waveformRecord;
    int waveformColumns = 0;
    int waveformChannels = 0;
    bool playing = false;
    std::uint64_t cursorMs = 0;
};

// Events of the archive window, sent on the window's thread.
class ArchiveWindowSink {
public:
    virtual ~ArchiveWindowSink() = default;
    // The text of one cell of a shown row, asked for as the table draws.
    virtual std::string archiveCellText(int position, int column) = 0;
    virtual RowMark archiveRowMark(int position) = 0;
    // A menu item or accelerator of the archive window.
    virtual void onArchiveCommand(int commandId) = 0;
    virtual void onArchiveKey(ArchiveKey key, KeyPlace place) = 0;
    virtual void onArchiveHeaderClick(int column) = 0;
    // The selection or the focused row changed (click, arrows, Shift, Ctrl).
    virtual void onArchiveSelectionChanged() = 0;
    // A double click on a row.
    virtual void onArchiveRowActivated(int position) = 0;
    virtual void onArchiveFilterChanged(const std::string& text) = 0;
    // A click in the waveform, as the fraction of its width (0 to 1).
    virtual void onWaveformClick(double fraction) = 0;
    // The waveform view's width in pixel columns changed (and at first show).
    virtual void onWaveformResized(int columns) = 0;
    virtual void onPlayOnSelectToggled(bool on) = 0;
    // The cancel button of the window's progress was pressed.
    virtual void onArchiveCancel() = 0;
    // Files dropped on a row (its position), or on the table below its rows (-1).
    virtual void onArchiveFilesDropped(int position, const std::vector<std::string>& paths) = 0;
    // The user asks to close the window; the shell closes it (or not).
    virtual void onArchiveCloseRequest() = 0;
    // A click on a cell of the focused row that was already focused (the
    // second, slow click of in-place editing): the shell may call editCell.
    // A sink that does not edit ignores this and the next event.
    virtual void onArchiveEditRequest(int position, int column) { (void)position, (void)column; }
    // The in-place editor opened by editCell was confirmed (Enter, or the
    // focus left it) with this text. Escape closes it with no event.
    virtual void onArchiveCellEdited(int position, int column, const std::string& text) {
        (void)position, (void)column, (void)text;
    }
    // What the UI dump shows of the window.
    virtual ArchiveWindowFacts archiveWindowFacts() = 0;
};

// The archive window, owned by the backend. Every call comes from the
// window's thread.
class ArchiveWindow {
public:
    virtual ~ArchiveWindow() = default;
    // Shows the window (or brings it to the front); closes it.
    virtual void show() = 0;
    virtual void close() = 0;
    virtual bool isOpen() = 0;
    virtual void setTitle(const std::string& title) = 0;
    // Greys a menu item (false) or makes it usable again; a greyed item's
    // accelerator sends nothing either. Items start as MenuItem::grayed says.
    virtual void setCommandEnabled(int commandId, bool enabled) = 0;

    // The table: how many rows are shown; their cells are asked for anew.
    virtual void setRowCount(int rows) = 0;
    virtual void refreshRows() = 0;
    // Selected rows as positions, ascending; the focused row or -1.
    virtual std::vector<int> selectedRows() = 0;
    virtual int focusedRow() = 0;
    // Selects exactly these positions, focuses one (-1: none) and scrolls it into view.
    virtual void selectRows(const std::vector<int>& positions, int focus) = 0;
    virtual void setSortIndicator(int column, bool descending) = 0;

    // The filter field.
    virtual void setFilterText(const std::string& text) = 0;
    virtual std::string filterText() = 0;
    virtual void focusFilter() = 0;
    virtual void focusTable() = 0;

    virtual void setStatus(const std::string& text) = 0;
    // The details panel below the table: captions and findings of a sound.
    virtual void setDetails(const std::string& text) = 0;
    virtual void setPlayOnSelect(bool on) = 0;

    virtual void setWaveform(const WaveformPicture& picture) = 0;
    // The play cursor in milliseconds from the start; nothing hides it.
    virtual void setWaveformCursor(std::optional<std::uint64_t> ms) = 0;

    // A progress line with a cancel button for long work; hidden by endProgress.
    virtual void showProgress(const std::string& text, int done, int total) = 0;
    virtual void endProgress() = 0;

    // Dialogs over the archive window: a folder (nothing when cancelled), a
    // line of text.
    virtual std::optional<std::string> chooseFolder(const std::string& title, const std::string& initial) = 0;
    virtual std::optional<std::string> askText(const std::string& title, const std::string& prompt,
                                               const std::string& initial) = 0;

    // Editing. An in-place editor over one cell of a shown row, its text
    // selected; its end is reported through onArchiveCellEdited.
    virtual void editCell(int position, int column, const std::string& text) = 0;
    // Files to open, several when several is true (empty when cancelled).
    virtual std::vector<std::string> chooseFiles(const FileDialogOptions& options, bool several) = 0;
    // A file to save to (nothing when cancelled); kOverwritePrompt asks first.
    virtual std::optional<std::string> chooseSaveFile(const FileDialogOptions& options) = 0;
    // A question with buttons of these texts, the first the default: the index
    // of the button pressed, or -1 when the dialog was closed or Escape pressed.
    virtual int askChoice(const std::string& title, const std::string& message,
                          const std::vector<std::string>& buttons) = 0;
    // A message box over the archive window.
    virtual void showMessage(const std::string& title, const std::string& message, MessageIcon icon) = 0;
    // Several lines of text to edit (the captions as SubRip text); nothing
    // when cancelled.
    virtual std::optional<std::string> editLongText(const std::string& title, const std::string& prompt,
                                                    const std::string& text) = 0;
};

// The archive window's timer: ticks reach EventSink::onTimer with this id.
inline constexpr int kArchiveTimer = 2;

}  // namespace sonkrate::platform
