// The archive window on Windows: a top-level window with a filter field, a
// list view of the shell's rows (owner data: the rows are asked for as they
// are drawn), a waveform view, a details panel, a status bar, a progress line
// with Cancel, and a menu with keyboard accelerators. Laid out from sizes at
// 96 DPI scaled by its monitor's DPI, and again when that DPI changes.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "platform/archive_window.h"
#include "platform/platform.h"
#include "platform/win32/win32_cell_editor.h"

namespace sonkrate::platform::win32 {

// The child windows, by control id.
enum ArchiveControl : int {
    kArchiveFilterLabel = 101,
    kArchiveFilter,
    kArchivePlayOnSelect,
    kArchiveList,
    kArchiveWaveform,
    kArchiveDetails,
    kArchiveStatus,
    kArchiveProgressText,
    kArchiveProgressBar,
    kArchiveCancel,
};

// Where the children go in a client area of width x height (the status bar,
// statusHeight high, at the bottom), with or without the progress line.
struct ArchiveLayout {
    RECT filterLabel, filter, playOnSelect, table, waveform, details, progressText, progressBar, cancel;
};
ArchiveLayout archiveLayout(int width, int height, int statusHeight, bool progress, int dpi);

class Win32ArchiveWindow : public ArchiveWindow {
public:
    // Made hidden; window() is nullptr when Windows refused it.
    Win32ArchiveWindow(HINSTANCE instance, int iconId, const ArchiveWindowDescription& description,
                       ArchiveWindowSink& sink);
    ~Win32ArchiveWindow() override;
    Win32ArchiveWindow(const Win32ArchiveWindow&) = delete;
    Win32ArchiveWindow& operator=(const Win32ArchiveWindow&) = delete;

    HWND window() const { return window_; }
    HWND child(int id) const { return window_ ? GetDlgItem(window_, id) : nullptr; }
    int dpi() const { return dpi_; }
    // A message of the loop meant for this window: its accelerators and the
    // Tab key between its controls. True when the message was taken.
    bool translate(MSG& message);

    void show() override;
    void close() override;
    bool isOpen() override;
    void setTitle(const std::string& title) override;
    void setCommandEnabled(int commandId, bool enabled) override;
    void setRowCount(int rows) override;
    void refreshRows() override;
    std::vector<int> selectedRows() override;
    int focusedRow() override;
    void selectRows(const std::vector<int>& positions, int focus) override;
    void setSortIndicator(int column, bool descending) override;
    void setFilterText(const std::string& text) override;
    std::string filterText() override;
    void focusFilter() override;
    void focusTable() override;
    void setStatus(const std::string& text) override;
    void setDetails(const std::string& text) override;
    void setPlayOnSelect(bool on) override;
    void setWaveform(const WaveformPicture& picture) override;
    void setWaveformCursor(std::optional<std::uint64_t> ms) override;
    void showProgress(const std::string& text, int done, int total) override;
    void endProgress() override;
    std::optional<std::string> chooseFolder(const std::string& title, const std::string& initial) override;
    std::optional<std::string> askText(const std::string& title, const std::string& prompt,
                                       const std::string& initial) override;
    void editCell(int position, int column, const std::string& text) override;
    std::vector<std::string> chooseFiles(const FileDialogOptions& options, bool several) override;
    std::optional<std::string> chooseSaveFile(const FileDialogOptions& options) override;
    int askChoice(const std::string& title, const std::string& message,
                  const std::vector<std::string>& buttons) override;
    void showMessage(const std::string& title, const std::string& message, MessageIcon icon) override;
    std::optional<std::string> editLongText(const std::string& title, const std::string& prompt,
                                            const std::string& text) override;
    // The in-place editor's edit control while it is open, else nullptr.
    HWND cellEditor() const { return cellEditor_.isOpen() ? cellEditor_.edit() : nullptr; }

private:
    static LRESULT CALLBACK procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK filterProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                            DWORD_PTR self);
    static LRESULT CALLBACK editorProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                            DWORD_PTR self);
    static LRESULT CALLBACK listProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                          DWORD_PTR self);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    bool registerClass(int iconId);
    void createChildren(const ArchiveWindowDescription& description);
    HWND makeChild(DWORD exStyle, const wchar_t* className, const std::wstring& text, DWORD style, int id);
    void layout();
    void applyDpi(int dpi);
    void onCommand(int id, int code);
    void onActivate(bool active);
    void onDrop(HDROP drop);
    void selectionMoved();
    bool filterKey(WPARAM key);
    LRESULT listNotification(const NMHDR& header);
    // A plain click on a cell of the list (list view column).
    void cellClicked(int row, int listColumn);
    void editRequestDue();
    void dropEditRequest();
    // Closes the in-place editor; kept, its text goes to the shell.
    void endCellEdit(bool keep);

    HINSTANCE instance_;
    ArchiveWindowSink& sink_;
    HWND window_ = nullptr;
    HMENU menu_ = nullptr;
    HACCEL accelerators_ = nullptr;
    HFONT font_ = nullptr;
    HICON bigIcon_ = nullptr;
    HICON smallIcon_ = nullptr;
    bool classRegistered_ = false;
    int dpi_ = 96;
    bool progressShown_ = false;
    // Set while the window itself changes what the user would change, so
    // that the shell hears only of the user's changes.
    bool quiet_ = false;
    // A selection change waiting to be told (the list view reports one
    // click as several changes).
    bool selectionPending_ = false;
    bool shownOnce_ = false;
    // Set while the window is destroyed with the program: nothing reaches the shell.
    bool dying_ = false;
    std::wstring cellText_;
    // The control that had the keyboard when the window was last left.
    HWND lastFocus_ = nullptr;
    CellEditor cellEditor_;
    // When the focused row or the list's keyboard last changed: a second
    // click on that row later than a double click asks to edit the cell.
    DWORD calmSince_ = 0;
    int requestRow_ = -1, requestColumn_ = -1;
};

// Posted to the archive window when the selection has moved.
inline constexpr UINT kSelectionMovedMessage = WM_APP + 1;
// Posted when the in-place editor lost the keyboard (wParam: its generation).
inline constexpr UINT kEndCellEditMessage = WM_APP + 2;
// The archive window's own timer: a slow click waits out a double click.
inline constexpr UINT_PTR kEditRequestTimer = 1;

}  // namespace sonkrate::platform::win32
