// The headless archive window: everything the shell shows in it held in
// memory, and the user's actions (clicks on headers and rows with Shift and
// Ctrl, typing in the filter, keys, menu commands, the waveform, drops, the
// close box) sent to the shell as a real window sends them. Folder and text
// questions are answered from queues a test fills.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/archive_window.h"
#include "platform/platform.h"

namespace sonkrate::platform {

// One item of the window's menu in order; a divider has no text and no command.
struct HeadlessArchiveMenuItem {
    std::string popup;
    std::string text;
    int commandId = 0;
    std::string shortcut;
    bool enabled = true;
    bool divider = false;
};

class HeadlessArchiveWindow : public ArchiveWindow {
public:
    HeadlessArchiveWindow(const ArchiveWindowDescription& description, ArchiveWindowSink& sink);

    // ---- The user ----
    // A click on a row: alone it selects only that row; with ctrl it toggles
    // the row; with shift it selects from the anchor to it. Focuses it.
    void clickRow(int position, bool shift = false, bool ctrl = false);
    void doubleClickRow(int position);
    void clickHeader(int column);
    // Types text into the filter field (replacing what it holds).
    void typeFilter(const std::string& text);
    void pressKey(ArchiveKey key, KeyPlace place);
    // A menu item or its accelerator; false when the window has no such
    // command or its item is greyed (nothing is sent then).
    bool chooseCommand(int commandId);
    // By the accelerator's text ("Ctrl+E"); false when no usable item has it.
    bool pressShortcut(const std::string& shortcut);
    void clickWaveform(double fraction);
    void resizeWaveform(int columns);
    void togglePlayOnSelect();
    void pressCancel();
    void dropFiles(int position, const std::vector<std::string>& paths);
    void requestClose();
    void answerFolder(std::optional<std::string> folder) { folderAnswers_.push_back(std::move(folder)); }
    void answerText(std::optional<std::string> text) { textAnswers_.push_back(std::move(text)); }
    // Answers of the editing dialogs: files chosen (empty: cancelled), a file
    // to save to, the index of the button pressed (-1: closed), a long text.
    void answerFiles(std::vector<std::string> files) { fileAnswers_.push_back(std::move(files)); }
    void answerSaveFile(std::optional<std::string> file) { saveAnswers_.push_back(std::move(file)); }
    void answerChoice(int button) { choiceAnswers_.push_back(button); }
    void answerLongText(std::optional<std::string> text) { longTextAnswers_.push_back(std::move(text)); }
    // The second, slow click on a cell of the focused row.
    void slowClick(int position, int column);
    // Types text into the open in-place editor and confirms it (Enter); Escape closes it.
    void typeInCell(const std::string& text);
    void escapeCell() { editor_.reset(); }

    // ---- What the test looks at ----
    const ArchiveWindowDescription& description() const { return description_; }
    const std::vector<HeadlessArchiveMenuItem>& menu() const { return menu_; }
    // Whether the item of this command is usable; false when there is none.
    bool commandEnabled(int commandId) const;
    // A popup's items as "Text" (greyed: "(Text)") and "-" for a divider.
    std::vector<std::string> popupItems(const std::string& popup) const;
    const std::string& title() const { return title_; }
    int rowCount() const { return rows_; }
    // The text of a cell as the window would draw it now.
    std::string cell(int position, int column) { return sink_.archiveCellText(position, column); }
    RowMark mark(int position) { return sink_.archiveRowMark(position); }
    int sortColumn() const { return sortColumn_; }
    bool sortDescending() const { return sortDescending_; }
    const std::string& status() const { return status_; }
    const std::string& details() const { return details_; }
    bool playOnSelect() const { return playOnSelect_; }
    bool filterFocused() const { return filterFocused_; }
    const WaveformPicture& waveform() const { return waveform_; }
    std::optional<std::uint64_t> cursor() const { return cursor_; }
    bool progressShown() const { return progressShown_; }
    const std::string& progressText() const { return progressText_; }
    int progressDone() const { return progressDone_; }
    int progressTotal() const { return progressTotal_; }
    int showCount() const { return shows_; }
    int refreshCount() const { return refreshes_; }
    // The in-place editor while it is open: its position, column and text.
    struct CellEditor {
        int position = -1;
        int column = -1;
        std::string text;
    };
    const std::optional<CellEditor>& editor() const { return editor_; }
    // Every message box and question shown, as "TITLE: MESSAGE".
    const std::vector<std::string>& messages() const { return messages_; }
    const std::vector<std::string>& questions() const { return questions_; }
    // The texts the long-text editor was opened with.
    const std::vector<std::string>& longTexts() const { return longTexts_; }
    // Questions asked with none queued, and other misuse.
    const std::vector<std::string>& faults() const { return faults_; }

    // ---- ArchiveWindow ----
    void show() override;
    void close() override { open_ = false; }
    bool isOpen() override { return open_; }
    void setTitle(const std::string& title) override { title_ = title; }
    void setCommandEnabled(int commandId, bool enabled) override;
    void setRowCount(int rows) override;
    void refreshRows() override { ++refreshes_; }
    std::vector<int> selectedRows() override { return selected_; }
    int focusedRow() override { return focus_; }
    void selectRows(const std::vector<int>& positions, int focus) override;
    void setSortIndicator(int column, bool descending) override;
    void setFilterText(const std::string& text) override { filter_ = text; }
    std::string filterText() override { return filter_; }
    void focusFilter() override { filterFocused_ = true; }
    void focusTable() override { filterFocused_ = false; }
    void setStatus(const std::string& text) override { status_ = text; }
    void setDetails(const std::string& text) override { details_ = text; }
    void setPlayOnSelect(bool on) override { playOnSelect_ = on; }
    void setWaveform(const WaveformPicture& picture) override { waveform_ = picture; }
    void setWaveformCursor(std::optional<std::uint64_t> ms) override { cursor_ = ms; }
    void showProgress(const std::string& text, int done, int total) override;
    void endProgress() override { progressShown_ = false; }
    std::optional<std::string> chooseFolder(const std::string& title, const std::string& initial) override;
    std::optional<std::string> askText(const std::string& title, const std::string& prompt,
                                       const std::string& initial) override;
    void editCell(int position, int column, const std::string& text) override;
    std::vector<std::string> chooseFiles(const FileDialogOptions& options, bool several) override;
    std::optional<std::string> chooseSaveFile(const FileDialogOptions& options) override;
    int askChoice(const std::string& title, const std::string& message, const std::vector<std::string>& buttons) override;
    void showMessage(const std::string& title, const std::string& message, MessageIcon icon) override;
    std::optional<std::string> editLongText(const std::string& title, const std::string& prompt,
                                            const std::string& text) override;

private:
    ArchiveWindowDescription description_;
    std::vector<HeadlessArchiveMenuItem> menu_;
    ArchiveWindowSink& sink_;
    std::string title_;
    bool open_ = false;
    int shows_ = 0;
    int rows_ = 0;
    int refreshes_ = 0;
    std::vector<int> selected_;
    int focus_ = -1;
    int anchor_ = -1;
    int sortColumn_ = -1;
    bool sortDescending_ = false;
    std::string filter_;
    bool filterFocused_ = false;
    std::string status_;
    std::string details_;
    bool playOnSelect_ = false;
    WaveformPicture waveform_;
    std::optional<std::uint64_t> cursor_;
    int waveformColumns_ = 0;
    bool progressShown_ = false;
    std::string progressText_;
    int progressDone_ = 0;
    int progressTotal_ = 0;
    std::deque<std::optional<std::string>> folderAnswers_;
    std::deque<std::optional<std::string>> textAnswers_;
    std::deque<std::vector<std::string>> fileAnswers_;
    std::deque<std::optional<std::string>> saveAnswers_;
    std::deque<int> choiceAnswers_;
    std::deque<std::optional<std::string>> longTextAnswers_;
    std::optional<CellEditor> editor_;
    std::vector<std::string> messages_;
    std::vector<std::string> questions_;
    std::vector<std::string> longTexts_;
    std::vector<std::string> faults_;
};

}  // namespace sonkrate::platform
