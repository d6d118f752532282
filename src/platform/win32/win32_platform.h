// The Windows backend of the platform API: the main window, its child
// controls and menu, the common dialogs, PlaySound, the shell's folders and
// ShellExecute, all through the wide (UTF-16) functions of Windows itself:
// texts and paths are UTF-8 on this side and any script on the other.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace sonkrate::platform::win32 {

class Win32ArchiveWindow;

class Win32Platform : public Platform {
public:
    // instance and showCommand are WinMain's.
    Win32Platform(HINSTANCE instance, int showCommand);
    ~Win32Platform() override;
    Win32Platform(const Win32Platform&) = delete;
    Win32Platform& operator=(const Win32Platform&) = delete;

    HWND mainWindow() const { return window_; }

    ScreenSize screenSize() override;
    WindowResult createMainWindow(const WindowDescription& window, EventSink& sink) override;
    void showMainWindow() override;
    void createControl(const ControlDescription& description) override;
    void installMenu(const std::vector<MenuPopup>& menu) override;
    int runMessageLoop() override;
    void postQuit(int exitCode) override;
    void minimiseWindow() override;
    void restoreWindow() override;
    void repaint() override;

    void setText(int controlId, const std::string& text) override;
    std::string text(int controlId) override;
    void setEnabled(int controlId, bool enabled) override;
    void setShown(int controlId, bool shown) override;
    void setMenuItemEnabled(int commandId, bool enabled) override;

    void setTrackbarRange(int controlId, int low, int high) override;
    int trackbarPosition(int controlId) override;
    void setTrackbarPosition(int controlId, int position) override;
    void setTrackbarTicFrequency(int controlId, int frequency) override;

    void setProgressRange(int controlId, int low, int high) override;
    void setProgressStep(int controlId, int step) override;
    void setProgressPosition(int controlId, int position) override;
    void progressStepIt(int controlId) override;

    void listReset(int controlId) override;
    void listAddString(int controlId, const std::string& item) override;
    int listCaretIndex(int controlId) override;
    std::string listItemText(int controlId, int index) override;
    int listCount(int controlId) override;

    void startTimer(int timerId, int periodMs) override;
    void stopTimer(int timerId) override;

    std::optional<std::string> openFileDialog(const FileDialogOptions& options) override;
    std::optional<std::string> saveFileDialog(const FileDialogOptions& options) override;
    MessageResult messageBox(const std::string& text, const std::string& caption, MessageIcon icon,
                             MessageButtons buttons) override;
    void beep(Beep kind) override;

    void playWavAsync(const std::string& path) override;
    void stopSound() override;
    bool openThroughDesktop(const std::string& path) override;
    bool startKillSwitch(const std::string& programPath, const std::string& stopFlagPath) override;
    void closeKillSwitch(const std::string& windowTitle) override;

    std::string documentsFolder() override;
    std::string executablePath() override;
    std::string userDataFolder() override;
    std::uint64_t milliseconds() override;
    void sleep(std::uint32_t ms) override;

    ArchiveWindow* archiveWindow(const ArchiveWindowDescription& description, ArchiveWindowSink& sink) override;
    // The archive window once made, else nullptr.
    Win32ArchiveWindow* archiveWindowMade() const { return archive_.get(); }
    // The DPI the main window is laid out for.
    int mainWindowDpi() const { return dpi_; }

private:
    // A control's place at 96 DPI and what else changes with the DPI.
    struct PlacedControl {
        int x = 0, y = 0, width = 0, height = 0;
        bool guiFont = false;
        int bitmapId = 0;
    };

    static LRESULT CALLBACK windowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    // The control of that id, or nullptr before it exists.
    HWND control(int controlId) const;
    LRESULT send(int controlId, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    std::optional<std::string> fileDialog(const FileDialogOptions& options, bool save);
    // The window boxes and dialogs belong to: the archive window while it is active.
    HWND dialogOwner() const;
    // The main window laid out for a DPI (win32_main_dpi.cpp).
    void changeDpi(int dpi, const RECT* suggested);
    void placeControl(int controlId, HWND control, const PlacedControl& place);
    HFONT guiFont() const;

    HINSTANCE instance_;
    int showCommand_;
    std::wstring className_;
    bool classRegistered_ = false;
    HWND window_ = nullptr;
    EventSink* sink_ = nullptr;
    std::map<int, HWND> controls_;
    // Images loaded for bitmap statics, by control; the statics do not free them.
    std::map<int, HBITMAP> bitmaps_;
    HICON smallIcon_ = nullptr;
    int smallIconId_ = 0;
    // The main window's size at 96 DPI, its DPI, its controls' places and
    // the GUI and system fonts at its DPI (nullptr: the stock font is at that DPI).
    int width96_ = 0, height96_ = 0;
    int dpi_ = 96;
    std::map<int, PlacedControl> placed_;
    HFONT scaledGuiFont_ = nullptr;
    HFONT scaledSystemFont_ = nullptr;
    std::unique_ptr<Win32ArchiveWindow> archive_;
};

}  // namespace sonkrate::platform::win32
