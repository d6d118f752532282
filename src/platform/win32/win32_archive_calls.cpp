// The shell's calls on the Windows archive window: rows, selection, sort
// arrows, filter, texts, waveform, progress and dialogs. Changes made here
// are not told back to the shell as if the user had made them.
#include <windows.h>
#include <commctrl.h>

#include "io/unicode_text.h"
#include "platform/win32/win32_archive_list.h"
#include "platform/win32/win32_archive_window.h"
#include "platform/win32/win32_dialogs.h"
#include "platform/win32/win32_file_dialog.h"
#include "platform/win32/win32_text.h"
#include "platform/win32/win32_waveform.h"

namespace sonkrate::platform::win32 {

namespace {

// Holds a flag for as long as the scope lasts.
class Quiet {
public:
    explicit Quiet(bool& flag) : flag_(flag), before_(flag) { flag_ = true; }
    ~Quiet() { flag_ = before_; }
    Quiet(const Quiet&) = delete;
    Quiet& operator=(const Quiet&) = delete;

private:
    bool& flag_;
    bool before_;
};

}  // namespace

void Win32ArchiveWindow::show() {
    if (!window_) return;
    if (IsIconic(window_))
        ShowWindow(window_, SW_RESTORE);
    else
        ShowWindow(window_, SW_SHOW);
    SetForegroundWindow(window_);
    if (!shownOnce_) {
        shownOnce_ = true;
        SetFocus(child(kArchiveList));
    }
    startTellingWaveformWidth(child(kArchiveWaveform));
}

void Win32ArchiveWindow::close() {
    if (window_) ShowWindow(window_, SW_HIDE);
}

bool Win32ArchiveWindow::isOpen() { return window_ && IsWindowVisible(window_); }

void Win32ArchiveWindow::setTitle(const std::string& title) {
    if (window_) SetWindowTextW(window_, shownWide(title).c_str());
}

// A greyed item's accelerator sends nothing: TranslateAccelerator skips the
// commands of disabled menu items.
void Win32ArchiveWindow::setCommandEnabled(int commandId, bool enabled) {
    if (!menu_) return;
    EnableMenuItem(menu_, static_cast<UINT>(commandId), MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
    if (window_) DrawMenuBar(window_);
}

void Win32ArchiveWindow::setRowCount(int rows) {
    Quiet quiet(quiet_);
    // Positions name other records now: an open editor and a waiting click mean nothing.
    cellEditor_.close(false);
    dropEditRequest();
    HWND list = child(kArchiveList);
    // Positions name other records now: the old selection means nothing.
    selectListRows(list, {}, -1);
    SendMessageW(list, LVM_SETITEMCOUNT, static_cast<WPARAM>(rows < 0 ? 0 : rows), 0);
    InvalidateRect(list, nullptr, FALSE);
}

void Win32ArchiveWindow::refreshRows() { InvalidateRect(child(kArchiveList), nullptr, FALSE); }

std::vector<int> Win32ArchiveWindow::selectedRows() { return selectedListRows(child(kArchiveList)); }

int Win32ArchiveWindow::focusedRow() {
    return static_cast<int>(SendMessageW(child(kArchiveList), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
}

void Win32ArchiveWindow::selectRows(const std::vector<int>& positions, int focus) {
    Quiet quiet(quiet_);
    selectListRows(child(kArchiveList), positions, focus);
}

void Win32ArchiveWindow::setSortIndicator(int column, bool descending) {
    showSortArrow(child(kArchiveList), column, descending);
}

void Win32ArchiveWindow::setFilterText(const std::string& text) {
    Quiet quiet(quiet_);
    SetWindowTextW(child(kArchiveFilter), io::toWide(text).c_str());
}

std::string Win32ArchiveWindow::filterText() { return windowText(child(kArchiveFilter)); }

void Win32ArchiveWindow::focusFilter() {
    HWND filter = child(kArchiveFilter);
    SetFocus(filter);
    SendMessageW(filter, EM_SETSEL, 0, -1);
}

void Win32ArchiveWindow::focusTable() { SetFocus(child(kArchiveList)); }

void Win32ArchiveWindow::setStatus(const std::string& text) {
    SendMessageW(child(kArchiveStatus), SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(shownWide(text).c_str()));
}

void Win32ArchiveWindow::setDetails(const std::string& text) {
    SetWindowTextW(child(kArchiveDetails), shownWide(withWindowsLineBreaks(text)).c_str());
}

void Win32ArchiveWindow::setPlayOnSelect(bool on) {
    SendMessageW(child(kArchivePlayOnSelect), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

void Win32ArchiveWindow::setWaveform(const WaveformPicture& picture) {
    setWaveformPicture(child(kArchiveWaveform), picture);
}

void Win32ArchiveWindow::setWaveformCursor(std::optional<std::uint64_t> ms) {
    setWaveformCursorAt(child(kArchiveWaveform), ms);
}

void Win32ArchiveWindow::showProgress(const std::string& text, int done, int total) {
    if (!window_) return;
    if (!progressShown_) {
        progressShown_ = true;
        for (int id : {kArchiveProgressText, kArchiveProgressBar, kArchiveCancel}) ShowWindow(child(id), SW_SHOW);
        layout();
    }
    SetWindowTextW(child(kArchiveProgressText), shownWide(text).c_str());
    HWND bar = child(kArchiveProgressBar);
    SendMessageW(bar, PBM_SETRANGE32, 0, total > 0 ? total : 1);
    SendMessageW(bar, PBM_SETPOS, static_cast<WPARAM>(total > 0 ? done : 0), 0);
}

void Win32ArchiveWindow::endProgress() {
    if (!window_ || !progressShown_) return;
    progressShown_ = false;
    for (int id : {kArchiveProgressText, kArchiveProgressBar, kArchiveCancel}) ShowWindow(child(id), SW_HIDE);
    layout();
}

std::optional<std::string> Win32ArchiveWindow::chooseFolder(const std::string& title, const std::string& initial) {
    return chooseFolderDialog(window_, title, initial);
}

std::optional<std::string> Win32ArchiveWindow::askText(const std::string& title, const std::string& prompt,
                                                       const std::string& initial) {
    return askTextDialog(window_, title, prompt, initial);
}

std::vector<std::string> Win32ArchiveWindow::chooseFiles(const FileDialogOptions& options, bool several) {
    return fileDialogPaths(window_, options, several ? FileDialogKind::OpenSeveral : FileDialogKind::Open);
}

std::optional<std::string> Win32ArchiveWindow::chooseSaveFile(const FileDialogOptions& options) {
    std::vector<std::string> paths = fileDialogPaths(window_, options, FileDialogKind::Save);
    if (paths.empty()) return std::nullopt;
    return paths.front();
}

int Win32ArchiveWindow::askChoice(const std::string& title, const std::string& message,
                                  const std::vector<std::string>& buttons) {
    return askChoiceDialog(window_, title, message, buttons);
}

void Win32ArchiveWindow::showMessage(const std::string& title, const std::string& message, MessageIcon icon) {
    MessageBoxW(window_, shownWide(message).c_str(), shownWide(title).c_str(), messageBoxStyle(icon, MessageButtons::Ok));
}

std::optional<std::string> Win32ArchiveWindow::editLongText(const std::string& title, const std::string& prompt,
                                                            const std::string& text) {
    return editLongTextDialog(window_, title, prompt, text);
}

}  // namespace sonkrate::platform::win32
