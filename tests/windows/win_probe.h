// Helpers of the Windows window tests: starting a program, finding its
// windows, reading controls of another process, and reporting checks.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace sonkrate::wintest {

// Failed checks, printed one line each as they happen. The first failure
// asks the driver script for a screenshot while the windows are still up.
class Checks {
public:
    explicit Checks(std::string scope) : scope_(std::move(scope)) {}

    bool expect(bool held, const std::string& what);
    bool expectText(const std::string& what, const std::string& expected, const std::string& found);
    bool expectNumber(const std::string& what, long long expected, long long found);
    // A failure whose message says everything itself.
    void fail(const std::string& message);

    int failures() const { return failures_; }

private:
    std::string scope_;
    int failures_ = 0;
};

// A started program. Its processes are put in a job that ends them when the
// test program ends, so that a failed run leaves nothing behind.
class Process {
public:
    Process() = default;
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    // Starts exe in folder; arguments are appended to the quoted program path.
    bool start(const std::string& exe, const std::string& arguments, const std::string& folder, std::string& error);
    DWORD id() const { return id_; }
    HANDLE handle() const { return process_; }
    // The exit code once the process has ended within timeoutMs.
    std::optional<DWORD> waitForExit(DWORD timeoutMs);
    // Ends the process (and the ones it started) if it still runs.
    void end();

private:
    HANDLE process_ = nullptr;
    HANDLE job_ = nullptr;
    DWORD id_ = 0;
};

// Polls until ready() holds or timeoutMs have passed.
bool waitUntil(const std::function<bool()>& ready, DWORD timeoutMs, DWORD stepMs = 50);

// Top-level windows of process pid (0: of any process); an empty className
// or title matches any.
std::vector<HWND> topWindowsOf(DWORD pid, const std::string& className = {}, const std::string& title = {});
HWND waitForTopWindow(DWORD pid, const std::string& className, const std::string& title, DWORD timeoutMs);
// The process that started pid, 0 when unknown.
DWORD parentProcessOf(DWORD pid);
DWORD processOf(HWND window);

std::string classNameOf(HWND window);
// The text through WM_GETTEXT: GetWindowText does not ask a window of
// another process and would miss every text set after creation.
std::optional<std::string> textOf(HWND window, DWORD timeoutMs = 3000);
// Sets the text of a window of another process (UTF-8, any script).
bool setTextOf(HWND window, const std::string& text, DWORD timeoutMs);
// The items of a list box of another process.
std::vector<std::string> listItemsOf(HWND listBox);
// The child's rectangle in its parent's client pixels.
RECT placeInParent(HWND child);
// left,top widthxheight, for messages.
std::string describe(const RECT& r);

// Sends or posts without waiting forever on a busy window.
bool sendWithin(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD timeoutMs, LRESULT* result = nullptr);

// Files.
std::string programFolder();
bool fileExists(const std::string& path);
std::optional<std::uint64_t> fileSizeOf(const std::string& path);
std::optional<std::string> fileText(const std::string& path);
bool writeFileText(const std::string& path, const std::string& text);

std::string lowerCase(std::string text);

// The menu bar of a window of another process, read inside that process by
// the hook library menu_probe.dll (menus of another process cannot be read
// from outside under Wine).
struct MenuItemInfo {
    int id = 0;
    UINT state = 0;  // GetMenuState flags
    std::string text;
};
struct MenuReport {
    std::vector<std::string> popups;  // titles, in menu bar order
    std::vector<MenuItemInfo> items;  // every command of every popup
    const MenuItemInfo* find(int id) const;
};
std::optional<MenuReport> probeMenu(HWND window, const std::string& hookLibrary, std::string& error);
// Drops the file path on a row of the list view of window (the archive
// window of another process), made inside that process by the hook library.
bool dropOnArchiveRow(HWND window, int row, const std::string& path, const std::string& hookLibrary,
                      std::string& error);

}  // namespace sonkrate::wintest
