// The installed window: sonkrate.exe started from its installed folder with
// an archive as its argument, and the same archive opened as a double click
// opens it, through its registered file type. Each shows the archive's
// entry count; the working files go to the user's data folder, not beside
// the installed program.
#include <shlobj.h>

#include <vector>

#include "io/paths.h"
#include "io/unicode_text.h"
#include "smoke_modes.h"

namespace sonkrate::wintest {

namespace {

constexpr int kEntriesField = 4400;
constexpr int kEntries = 3;

// Waits for the window to show the archive's entry count.
void expectEntryCount(Checks& c, HWND window, const std::string& how) {
    std::string shown;
    bool loaded = waitUntil(
        [&] {
            shown = textOf(GetDlgItem(window, kEntriesField), 1000).value_or("");
            return shown == std::to_string(kEntries);
        },
        15000, 200);
    c.expect(loaded, "#Entries (4400) shows \"" + shown + "\" instead of " + std::to_string(kEntries) + " " + how);
}

std::string localAppData() {
    wchar_t path[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, path))) return {};
    return io::fromWide(path);
}

void checkWorkingFiles(Checks& c, const std::string& installed) {
    const std::string data = io::joinPath(localAppData(), "Sonkrate");
    for (const char* name : {"missing.cau", "temp_eel.eel"}) {
        c.expect(!fileExists(io::joinPath(installed, name)), std::string(name) + " was made beside the installed program");
        c.expect(fileExists(io::joinPath(data, name)), std::string(name) + " is not in " + data);
    }
}

// The window a double click started: a process of its own, found by class.
HWND waitForAnyWindow(DWORD timeoutMs) {
    HWND found = nullptr;
    waitUntil(
        [&] {
            std::vector<HWND> windows = topWindowsOf(0, " sonkrate", " sonkrate");
            found = windows.empty() ? nullptr : windows.front();
            return found != nullptr;
        },
        timeoutMs, 200);
    return found;
}

void checkDoubleClick(Checks& c, const std::string& archivePath) {
    HINSTANCE result = ShellExecuteW(nullptr, L"open", io::toWide(archivePath).c_str(), nullptr, nullptr, SW_SHOW);
    if (!c.expect(reinterpret_cast<INT_PTR>(result) > 32,
                  "opening " + archivePath + " through its file type failed (" +
                      std::to_string(reinterpret_cast<INT_PTR>(result)) + ")"))
        return;
    HWND window = waitForAnyWindow(30000);
    if (!c.expect(window != nullptr, "no sonkrate window within 30 s of opening " + archivePath)) return;
    expectEntryCount(c, window, "after opening the archive through its file type");
    PostMessageA(window, WM_CLOSE, 0, 0);
    c.expect(waitUntil([&] { return !IsWindow(window); }, 15000, 100),
             "the window opened through the file type still stands 15 s after WM_CLOSE");
}

}  // namespace

int checkInstalled(const std::string& sonkrateExe) {
    Checks c("installed");
    // A name outside the ANSI code page: the argument must come through wide.
    const std::string archivePath = io::joinPath(programFolder(), "Ge\xC5\x82\xC3\xA4usche.tpa");
    if (!makeToneArchive(c, programFolder(), archivePath, kEntries - 1, "installed tone")) return c.failures();

    Process process;
    std::string error;
    if (!c.expect(process.start(sonkrateExe, "\"" + archivePath + "\"", io::folderOf(sonkrateExe), error), error))
        return c.failures();
    HWND window = waitForTopWindow(process.id(), " sonkrate", " sonkrate", 30000);
    if (!c.expect(window != nullptr, "no sonkrate window within 30 s")) return c.failures();
    expectEntryCount(c, window, "when started with the archive as its argument");
    checkWorkingFiles(c, io::folderOf(sonkrateExe));
    closeSonkrate(process, window, c);

    checkDoubleClick(c, archivePath);
    return c.failures();
}

}  // namespace sonkrate::wintest
