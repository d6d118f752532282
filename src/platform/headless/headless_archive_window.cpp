#include "platform/headless/headless_archive_window.h"

#include <algorithm>

namespace sonkrate::platform {

HeadlessArchiveWindow::HeadlessArchiveWindow(const ArchiveWindowDescription& description, ArchiveWindowSink& sink)
    : description_(description), sink_(sink), title_(description.title) {
    if (description.menu)
        for (const MenuPopup& popup : *description.menu)
            for (const MenuItem& item : popup.items)
                menu_.push_back({std::string(popup.title), std::string(item.text), item.commandId,
                                 std::string(item.shortcut), !item.grayed, item.text.empty()});
    // The menu's texts live in the shell; the copy above keeps them.
    description_.menu = nullptr;
}

void HeadlessArchiveWindow::show() {
    ++shows_;
    const bool wasOpen = open_;
    open_ = true;
    // A real window reports its waveform view's width when it is first shown.
    if (!wasOpen && waveformColumns_ == 0) resizeWaveform(600);
}

void HeadlessArchiveWindow::setRowCount(int rows) {
    rows_ = std::max(rows, 0);
    ++refreshes_;
    std::erase_if(selected_, [&](int p) { return p >= rows_; });
    if (focus_ >= rows_) focus_ = -1;
    if (anchor_ >= rows_) anchor_ = -1;
}

void HeadlessArchiveWindow::selectRows(const std::vector<int>& positions, int focus) {
    selected_.clear();
    for (int p : positions)
        if (p >= 0 && p < rows_) selected_.push_back(p);
    std::sort(selected_.begin(), selected_.end());
    selected_.erase(std::unique(selected_.begin(), selected_.end()), selected_.end());
    focus_ = focus >= 0 && focus < rows_ ? focus : -1;
    anchor_ = focus_;
}

void HeadlessArchiveWindow::setSortIndicator(int column, bool descending) {
    sortColumn_ = column;
    sortDescending_ = descending;
}

void HeadlessArchiveWindow::showProgress(const std::string& text, int done, int total) {
    progressShown_ = true;
    progressText_ = text;
    progressDone_ = done;
    progressTotal_ = total;
}

std::optional<std::string> HeadlessArchiveWindow::chooseFolder(const std::string& title, const std::string&) {
    if (folderAnswers_.empty()) {
        faults_.push_back("the folder question \"" + title + "\" was asked with no answer queued");
        return std::nullopt;
    }
    std::optional<std::string> answer = folderAnswers_.front();
    folderAnswers_.pop_front();
    return answer;
}

std::optional<std::string> HeadlessArchiveWindow::askText(const std::string& title, const std::string&,
                                                          const std::string&) {
    if (textAnswers_.empty()) {
        faults_.push_back("the question \"" + title + "\" was asked with no answer queued");
        return std::nullopt;
    }
    std::optional<std::string> answer = textAnswers_.front();
    textAnswers_.pop_front();
    return answer;
}

void HeadlessArchiveWindow::editCell(int position, int column, const std::string& text) {
    if (position < 0 || position >= rows_) {
        faults_.push_back("an editor was opened over row " + std::to_string(position) + ", which is not shown");
        return;
    }
    editor_ = CellEditor{position, column, text};
}

std::vector<std::string> HeadlessArchiveWindow::chooseFiles(const FileDialogOptions& options, bool several) {
    if (fileAnswers_.empty()) {
        faults_.push_back("files of " + options.filterText + " were asked for with no answer queued");
        return {};
    }
    std::vector<std::string> answer = std::move(fileAnswers_.front());
    fileAnswers_.pop_front();
    if (!several && answer.size() > 1) faults_.push_back("several files answered a dialog for one");
    return answer;
}

std::optional<std::string> HeadlessArchiveWindow::chooseSaveFile(const FileDialogOptions& options) {
    if (saveAnswers_.empty()) {
        faults_.push_back("a file to save " + options.filterText + " was asked for with no answer queued");
        return std::nullopt;
    }
    std::optional<std::string> answer = saveAnswers_.front();
    saveAnswers_.pop_front();
    return answer;
}

int HeadlessArchiveWindow::askChoice(const std::string& title, const std::string& message,
                                     const std::vector<std::string>& buttons) {
    questions_.push_back(title + ": " + message);
    if (choiceAnswers_.empty()) {
        faults_.push_back("the question \"" + message + "\" was asked with no answer queued");
        return -1;
    }
    const int answer = choiceAnswers_.front();
    choiceAnswers_.pop_front();
    if (answer >= static_cast<int>(buttons.size())) faults_.push_back("an answer past the buttons of \"" + message + "\"");
    return answer;
}

void HeadlessArchiveWindow::showMessage(const std::string& title, const std::string& message, MessageIcon) {
    messages_.push_back(title + ": " + message);
}

std::optional<std::string> HeadlessArchiveWindow::editLongText(const std::string& title, const std::string&,
                                                               const std::string& text) {
    longTexts_.push_back(text);
    if (longTextAnswers_.empty()) {
        faults_.push_back("the text editor \"" + title + "\" was opened with no answer queued");
        return std::nullopt;
    }
    std::optional<std::string> answer = longTextAnswers_.front();
    longTextAnswers_.pop_front();
    return answer;
}

// ---- The user ----------------------------------------------------------------

void HeadlessArchiveWindow::slowClick(int position, int column) {
    if (position < 0 || position >= rows_ || position != focus_) return;
    sink_.onArchiveEditRequest(position, column);
}

void HeadlessArchiveWindow::typeInCell(const std::string& text) {
    if (!editor_) {
        faults_.push_back("text was typed into a cell with no editor open");
        return;
    }
    const CellEditor editor = *editor_;
    editor_.reset();
    sink_.onArchiveCellEdited(editor.position, editor.column, text);
}

void HeadlessArchiveWindow::clickRow(int position, bool shift, bool ctrl) {
    if (position < 0 || position >= rows_) return;
    filterFocused_ = false;
    if (shift && anchor_ >= 0) {
        selected_.clear();
        for (int p = std::min(anchor_, position); p <= std::max(anchor_, position); ++p) selected_.push_back(p);
    } else if (ctrl) {
        auto it = std::find(selected_.begin(), selected_.end(), position);
        if (it != selected_.end()) selected_.erase(it);
        else selected_.insert(std::upper_bound(selected_.begin(), selected_.end(), position), position);
        anchor_ = position;
    } else {
        selected_ = {position};
        anchor_ = position;
    }
    focus_ = position;
    sink_.onArchiveSelectionChanged();
}

void HeadlessArchiveWindow::doubleClickRow(int position) {
    if (position < 0 || position >= rows_) return;
    clickRow(position);
    sink_.onArchiveRowActivated(position);
}

void HeadlessArchiveWindow::clickHeader(int column) {
    if (column >= 0 && column < static_cast<int>(description_.columns.size())) sink_.onArchiveHeaderClick(column);
}

void HeadlessArchiveWindow::typeFilter(const std::string& text) {
    filterFocused_ = true;
    filter_ = text;
    sink_.onArchiveFilterChanged(text);
}

void HeadlessArchiveWindow::pressKey(ArchiveKey key, KeyPlace place) {
    filterFocused_ = place == KeyPlace::Filter;
    sink_.onArchiveKey(key, place);
}

bool HeadlessArchiveWindow::chooseCommand(int commandId) {
    if (!commandEnabled(commandId)) return false;
    sink_.onArchiveCommand(commandId);
    return true;
}

// As on a desktop, a greyed item's accelerator does nothing.
bool HeadlessArchiveWindow::pressShortcut(const std::string& shortcut) {
    if (shortcut.empty()) return false;
    for (const HeadlessArchiveMenuItem& item : menu_)
        if (item.shortcut == shortcut && item.enabled && !item.divider) {
            sink_.onArchiveCommand(item.commandId);
            return true;
        }
    return false;
}

bool HeadlessArchiveWindow::commandEnabled(int commandId) const {
    for (const HeadlessArchiveMenuItem& item : menu_)
        if (item.commandId == commandId && !item.divider) return item.enabled;
    return false;
}

std::vector<std::string> HeadlessArchiveWindow::popupItems(const std::string& popup) const {
    std::vector<std::string> items;
    for (const HeadlessArchiveMenuItem& item : menu_)
        if (item.popup == popup) items.push_back(item.divider ? "-" : item.enabled ? item.text : "(" + item.text + ")");
    return items;
}

void HeadlessArchiveWindow::setCommandEnabled(int commandId, bool enabled) {
    bool found = false;
    for (HeadlessArchiveMenuItem& item : menu_)
        if (item.commandId == commandId && !item.divider) item.enabled = enabled, found = true;
    if (!found) faults_.push_back("setCommandEnabled of unknown command " + std::to_string(commandId));
}

void HeadlessArchiveWindow::clickWaveform(double fraction) { sink_.onWaveformClick(std::clamp(fraction, 0.0, 1.0)); }

void HeadlessArchiveWindow::resizeWaveform(int columns) {
    waveformColumns_ = columns;
    sink_.onWaveformResized(columns);
}

void HeadlessArchiveWindow::togglePlayOnSelect() {
    playOnSelect_ = !playOnSelect_;
    sink_.onPlayOnSelectToggled(playOnSelect_);
}

void HeadlessArchiveWindow::pressCancel() {
    if (progressShown_) sink_.onArchiveCancel();
}

void HeadlessArchiveWindow::dropFiles(int position, const std::vector<std::string>& paths) {
    sink_.onArchiveFilesDropped(position, paths);
}

void HeadlessArchiveWindow::requestClose() { sink_.onArchiveCloseRequest(); }

}  // namespace sonkrate::platform
