// Load_Tpa through the real open dialog of an archive named in three
// scripts, then Auto_Play stopped with the kill switch while the second
// entry plays; the programs run from a folder named in three scripts too.
//
// The archive: the default sound (PCM) and four copies of the missing
// sound (IMA ADPCM), about one second each, so every entry is waited for
// two seconds. The first compressed entry is the first to make
// decoded.wav: its appearance tells that entry 2 has started.
#include <windows.h>

#include <commctrl.h>

#include <cstdint>
#include <vector>

#include "io/paths.h"
#include "io/unicode_text.h"
#include "smoke_modes.h"

namespace sonkrate::wintest {

namespace {

constexpr char kKillSwitchTitle[] = "Auto_Stop (KillSwitch)";
constexpr int kAddedSounds = 4;
constexpr int kEntries = kAddedSounds + 1;
// The entry that plays when Stop is pressed.
constexpr int kStoppedAt = 2;

// The file name field of the open dialog: the edit of the combo box cmb13
// in the explorer-style dialog, edt1 in the older one.
HWND fileNameField(HWND dialog) {
    if (HWND combo = GetDlgItem(dialog, 1148)) {
        HWND edit = FindWindowExA(combo, nullptr, "Edit", nullptr);
        return edit ? edit : combo;
    }
    return GetDlgItem(dialog, 1152);
}

bool loadArchive(Checks& c, Process& process, HWND window, const std::string& archivePath) {
    // Posted: the command opens a modal dialog and returns only when it closes.
    PostMessageA(window, WM_COMMAND, 100, 0);
    HWND dialog = waitForTopWindow(process.id(), "#32770", "", 15000);
    if (!c.expect(dialog != nullptr, "Load_Tpa (100) opened no dialog within 15 s")) return false;
    HWND field = fileNameField(dialog);
    if (!c.expect(field != nullptr, "the open dialog has no file name field (cmb13 or edt1)")) return false;
    // The dialog fills its controls after it appears.
    WaitForInputIdle(process.handle(), 5000);
    setTextOf(field, archivePath, 5000);
    c.expectText("file name typed into the open dialog", archivePath, textOf(field).value_or("<no answer>"));
    HWND ok = GetDlgItem(dialog, IDOK);
    if (!ok || !sendWithin(ok, BM_CLICK, 0, 0, 10000)) PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    bool closed = waitUntil([&] { return !IsWindow(dialog); }, 10000);
    if (!c.expect(closed, "the open dialog is still there 10 s after OK")) return false;

    HWND entries = GetDlgItem(window, 4400);
    std::string shown;
    bool loaded = waitUntil(
        [&] {
            shown = textOf(entries).value_or("");
            return shown == std::to_string(kEntries);
        },
        15000, 100);
    return c.expect(loaded, "#Entries (4400) shows \"" + shown + "\" instead of " + std::to_string(kEntries) +
                                " after Load_Tpa of " + archivePath);
}

// A retail archive of the usual layout can take more sounds; it is no beta
// archive to convert.
void checkMenuAfterLoad(Checks& c, HWND window, const std::string& hookLibrary) {
    std::string error;
    std::optional<MenuReport> menu = probeMenu(window, hookLibrary, error);
    if (!c.expect(menu.has_value(), "menu not read: " + error)) return;
    const std::pair<int, bool> grayed[] = {{1850, false}, {1700, false}, {3200, true}};
    for (auto [id, gray] : grayed) {
        const MenuItemInfo* item = menu->find(id);
        if (!c.expect(item != nullptr, "menu command " + std::to_string(id) + " is missing")) continue;
        bool isGray = (item->state & MF_GRAYED) != 0;
        c.expect(isGray == gray, "menu command " + std::to_string(id) + " (" + item->text + ") is " +
                                     (isGray ? "grayed" : "enabled") + " after Load_Tpa of a retail archive");
    }
}

// The kill switch is found by its title, as sonkrate finds it, among the
// programs sonkrate started: other Wine programs may be running.
HWND findKillSwitch(DWORD sonkratePid) {
    for (HWND candidate : topWindowsOf(0, "", kKillSwitchTitle))
        if (parentProcessOf(processOf(candidate)) == sonkratePid) return candidate;
    return nullptr;
}

void stopAutoPlay(Checks& c, Process& process, HWND window, const std::string& folder) {
    std::string flag = io::joinPath(folder, "tmpConf.ini");
    PostMessageA(window, WM_COMMAND, 800, 0);
    HWND killSwitch = nullptr;
    waitUntil([&] { return (killSwitch = findKillSwitch(process.id())) != nullptr; }, 20000, 100);
    if (!c.expect(killSwitch != nullptr, "Auto_Play (800) started no window \"" + std::string(kKillSwitchTitle) +
                                             "\" within 20 s"))
        return;
    HANDLE killSwitchProcess =
        OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processOf(killSwitch));

    c.expect(IsIconic(window) != FALSE, "the main window is not minimised during automatic play");
    c.expectText("tmpConf.ini while automatic play runs", "0", fileText(flag).value_or("<missing>"));

    bool second = waitUntil([&] { return fileExists(io::joinPath(folder, "decoded.wav")); }, 15000, 20);
    if (c.expect(second, "entry 2 (the first compressed one) did not start within 15 s: no decoded.wav")) {
        HWND stop = GetDlgItem(killSwitch, 1);
        bool pressed = stop && sendWithin(stop, BM_CLICK, 0, 0, 5000);
        ULONGLONG pressedAt = GetTickCount64();
        if (c.expect(pressed, "the kill switch's Stop button (id 1) cannot be pressed")) {
            c.expectText("tmpConf.ini after Stop", "1", fileText(flag).value_or("<missing>"));
            c.expect(!IsWindowEnabled(stop), "the Stop button is still enabled after it was pressed");
        }
        // Automatic play ends after the entry that plays, then closes the switch.
        bool gone = waitUntil([&] { return !IsWindow(killSwitch); }, 15000, 50);
        ULONGLONG waited = GetTickCount64() - pressedAt;
        if (c.expect(gone, "the kill switch is still open 15 s after Stop")) {
            c.expect(waited >= 1000 && waited <= 5000,
                     "the kill switch closed " + std::to_string(waited) +
                         " ms after Stop; entry 2 should have played to the end of its two seconds first");
        }
    }
    if (killSwitchProcess) {
        DWORD code = 99;
        bool ended = WaitForSingleObject(killSwitchProcess, 10000) == WAIT_OBJECT_0 &&
                     GetExitCodeProcess(killSwitchProcess, &code);
        if (c.expect(ended, "auto_stop.exe still runs after automatic play ended"))
            c.expectNumber("exit code of auto_stop.exe", 0, code);
        CloseHandle(killSwitchProcess);
    }

    // The window is busy until automatic play ends: ask with a long timeout.
    HWND number = GetDlgItem(window, 3100);
    std::optional<std::string> shown = textOf(number, 20000);
    c.expectText("\"#\" (3100) after automatic play was stopped", std::to_string(kStoppedAt),
                 shown.value_or("<no answer within 20 s>"));
    LRESULT position = -1;
    sendWithin(GetDlgItem(window, 500), TBM_GETPOS, 0, 0, 5000, &position);
    c.expectNumber("trackbar position after automatic play", kStoppedAt, position);
    c.expect(IsIconic(window) == FALSE, "the main window is still minimised after automatic play");
}

// "Zoë Дмитрий サウンド" in UTF-8.
const std::string kThreeScripts = "Zo\xC3\xAB \xD0\x94\xD0\xBC\xD0\xB8\xD1\x82\xD1\x80\xD0\xB8\xD0\xB9 "
                                  "\xE3\x82\xB5\xE3\x82\xA6\xE3\x83\xB3\xE3\x83\x89";

// sonkrate.exe and auto_stop.exe copied into a folder named in three
// scripts: the working files, the stop flag and the kill switch's start
// then all go through such a path. Empty when the copy fails.
std::string copyIntoThreeScriptFolder(Checks& c, const std::string& sonkrateExe) {
    const std::string folder = io::joinPath(programFolder(), "app " + kThreeScripts);
    CreateDirectoryW(io::toWide(folder).c_str(), nullptr);
    for (const char* name : {"sonkrate.exe", "auto_stop.exe"}) {
        const std::string from = io::joinPath(io::folderOf(sonkrateExe), name);
        const std::string to = io::joinPath(folder, name);
        if (!c.expect(CopyFileW(io::toWide(from).c_str(), io::toWide(to).c_str(), FALSE) != FALSE,
                      "cannot copy " + from + " to " + to))
            return {};
    }
    return io::joinPath(folder, "sonkrate.exe");
}

}  // namespace

int checkAutoPlay(const std::string& originalExe, const std::string& hookLibrary) {
    Checks c("autoplay");
    const std::string sonkrateExe = copyIntoThreeScriptFolder(c, originalExe);
    if (sonkrateExe.empty()) return c.failures();
    std::string folder = io::folderOf(sonkrateExe);
    // Named in three scripts too: the dialog, the loader and automatic play take it whole.
    std::string archivePath = io::joinPath(programFolder(), "autoplay " + kThreeScripts + ".tpa");
    if (!makeToneArchive(c, programFolder(), archivePath, kAddedSounds, "autoplay tone")) return c.failures();

    Process process;
    HWND window = startSonkrate(process, sonkrateExe, c);
    if (!window) return c.failures();
    if (loadArchive(c, process, window, archivePath)) {
        c.expectText("\"#\" (3100) after Load_Tpa", "0", textOf(GetDlgItem(window, 3100)).value_or("<no answer>"));
        checkMenuAfterLoad(c, window, hookLibrary);
        stopAutoPlay(c, process, window, folder);
    }
    closeSonkrate(process, window, c);
    return c.failures();
}

}  // namespace sonkrate::wintest
