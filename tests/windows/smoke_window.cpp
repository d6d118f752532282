// The window at start-up (frame, a sample of controls, the list's
// placeholder, the menu), the UpDater_ option, the files made at start-up
// and the working files removed at exit.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "archive/edit/add_sound.h"
#include "archive/edit/create_archive.h"
#include "audio/cau/missing_sound.h"
#include "io/paths.h"
#include "lists/eel_list.h"
#include "smoke_modes.h"

namespace sonkrate::wintest {

namespace {

// The last control made at start-up: once it exists the window is complete.
constexpr int kLastControl = 1300;

struct ExpectedControl {
    int id;
    const char* className;  // compared ignoring case: Wine says "Edit", Windows "EDIT"
    const char* text;       // nullptr: not checked
    int x, y, width, height;
};

// clang-format off
const ExpectedControl kControls[] = {
    {200,  "Button",            "-->",              253, 15,  40,  24},
    {1100, "Button",            "<>",               209, 15,  20,  24},
    {300,  "Button",            "<--",              167, 15,  40,  24},
    {400,  "Button",            "[ ]",              231, 15,  20,  24},
    {500,  "msctls_trackbar32", "Trackbar Control", 74,  45,  320, 22},
    {700,  "msctls_progress32", nullptr,            47,  80,  376, 8},
    {1500, "Edit",              "",                 9,   96,  452, 32},
    {3100, "Edit",              "0",                19,  135, 30,  20},
    {4400, "Edit",              "0",                96,  135, 32,  20},
    {1900, "Edit",              "",                 69,  162, 276, 20},
    {2000, "Static",            "Sound ID:",        9,   164, 48,  20},
    {2200, "ListBox",           nullptr,            9,   190, 432, 36},
    {2650, "Button",            "",                 445, 158, 28,  28},
    {3600, "Edit",              "",                 8,   228, 454, 44},
};
// clang-format on

// The files the window deletes when it closes.
const char* const kWorkingFiles[] = {"entries.wav",  "decoded.wav",  "tmpConf.ini",
                                     "eel_edit.eel", "temp_eel.eel", "conversion.wav"};

std::string hex(std::uint64_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(value));
    return text;
}

void checkFrame(Checks& c, HWND window) {
    c.expectText("main window class", " sonkrate", classNameOf(window));
    RECT r{};
    GetWindowRect(window, &r);
    c.expectText("main window size", "476x326", std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top));
    // Centred by halves of the screen less fixed offsets.
    int x = GetSystemMetrics(SM_CXSCREEN) / 2 - 208;
    int y = GetSystemMetrics(SM_CYSCREEN) / 2 - 155;
    c.expectText("main window place", std::to_string(x) + "," + std::to_string(y),
                 std::to_string(r.left) + "," + std::to_string(r.top));
    LONG style = GetWindowLongA(window, GWL_STYLE);
    const LONG wanted = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    c.expect((style & wanted) == wanted, "main window style " + hex(static_cast<ULONG>(style)) +
                                             " lacks WS_CAPTION|WS_SYSMENU|WS_MINIMIZEBOX");
    c.expect((style & (WS_MAXIMIZEBOX | WS_THICKFRAME)) == 0,
             "main window style " + hex(static_cast<ULONG>(style)) + " has WS_MAXIMIZEBOX or WS_THICKFRAME");
}

void checkControls(Checks& c, HWND window) {
    for (const auto& e : kControls) {
        std::string name = "control " + std::to_string(e.id);
        HWND control = GetDlgItem(window, e.id);
        if (!c.expect(control != nullptr, name + " is missing")) continue;
        std::string cls = classNameOf(control);
        if (lowerCase(cls) != lowerCase(e.className)) c.expectText(name + " class", e.className, cls);
        if (e.text) c.expectText(name + " text", e.text, textOf(control).value_or("<no answer>"));
        RECT expected{e.x, e.y, e.x + e.width, e.y + e.height};
        c.expectText(name + " place in the client area", describe(expected), describe(placeInParent(control)));
    }

    HWND status = GetDlgItem(window, 1500);
    if (status) {
        LONG style = GetWindowLongA(status, GWL_STYLE);
        const LONG wanted = ES_READONLY | ES_MULTILINE | WS_VSCROLL;
        c.expect((style & wanted) == wanted,
                 "status line style " + hex(static_cast<ULONG>(style)) + " lacks ES_READONLY|ES_MULTILINE|WS_VSCROLL");
        c.expect((GetWindowLongA(status, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) != 0, "status line has no client edge");
    }
    if (HWND trackbar = GetDlgItem(window, 500))
        c.expect(!IsWindowEnabled(trackbar), "trackbar 500 is enabled before any archive is loaded");

    // The hover labels wait hidden; the strips under the buttons show.
    const std::pair<int, bool> shown[] = {{1150, false}, {1250, false}, {1200, true}, {1300, true}};
    for (auto [id, visible] : shown) {
        HWND control = GetDlgItem(window, id);
        if (!c.expect(control != nullptr, "control " + std::to_string(id) + " is missing")) continue;
        c.expect(IsWindowVisible(control) == (visible ? TRUE : FALSE),
                 "control " + std::to_string(id) + (visible ? " is hidden" : " is visible"));
    }
}

void checkList(Checks& c, HWND window, const std::string& folder) {
    // A fresh list: the placeholder's name, then the path of missing.cau.
    std::vector<std::string> expected = {"MISSING", io::joinPath(folder, "missing.cau")};
    HWND list = GetDlgItem(window, 2200);
    if (!list) return;
    std::vector<std::string> items = listItemsOf(list);
    if (!c.expectNumber("list box items", static_cast<long long>(expected.size()),
                        static_cast<long long>(items.size())))
        return;
    c.expectText("list box item 0", expected[0], items[0]);
    if (lowerCase(items[1]) != lowerCase(expected[1])) c.expectText("list box item 1", expected[1], items[1]);

    // The working list file holds the same, read back with the core library.
    std::uint32_t count = 0;
    lists::EelListView view = lists::readEelListView(io::joinPath(folder, "temp_eel.eel"), count);
    if (!c.expect(view.outcome.ok, "temp_eel.eel cannot be read: " + view.outcome.reason)) return;
    c.expectNumber("listings in temp_eel.eel", 1, count);
    c.expect(view.items.size() == 2 && view.items[0] == "MISSING" && lowerCase(view.items[1]) == lowerCase(expected[1]),
             "temp_eel.eel does not hold the placeholder listing MISSING, " + expected[1]);
}

void checkMenu(Checks& c, HWND window, const std::string& hookLibrary) {
    std::string error;
    std::optional<MenuReport> menu = probeMenu(window, hookLibrary, error);
    if (!c.expect(menu.has_value(), "menu not read: " + error)) return;

    const std::vector<std::string> titles = {"File", "Auto", "Save", "Convert", "Options", "*eels", "Build", "Help"};
    std::string found;
    for (const auto& t : menu->popups) found += (found.empty() ? "" : " ") + t;
    std::string wanted;
    for (const auto& t : titles) wanted += (wanted.empty() ? "" : " ") + t;
    c.expectText("menu bar popups", wanted, found);

    const std::pair<int, bool> grayed[] = {{3200, true}, {1850, true}, {1700, true}, {100, false}, {2050, false}};
    for (auto [id, gray] : grayed) {
        const MenuItemInfo* item = menu->find(id);
        if (!c.expect(item != nullptr, "menu command " + std::to_string(id) + " is missing")) continue;
        bool isGray = (item->state & MF_GRAYED) != 0;
        c.expect(isGray == gray, "menu command " + std::to_string(id) + " (" + item->text + ") is " +
                                     (isGray ? "grayed" : "enabled") + " at start-up");
    }
    if (const MenuItemInfo* load = menu->find(100)) c.expectText("menu command 100", "Load_Tpa", load->text);
    if (const MenuItemInfo* updater = menu->find(4200)) c.expectText("menu command 4200", "UpDater_", updater->text);
}

void checkUpdater(Checks& c, HWND window) {
    bool answered = sendWithin(window, WM_COMMAND, 4200, 0, 10000);
    if (!c.expect(answered, "UpDater_ (4200) got no answer within 10 s")) return;
    HWND status = GetDlgItem(window, 1500);
    c.expectText("status line after UpDater_", "Option set: Imported sound info will be added to SndIds.dat file",
                 status ? textOf(status).value_or("<no answer>") : "<no status line>");
}

void checkStartUpFiles(Checks& c, const std::string& folder) {
    std::string missing = io::joinPath(folder, "missing.cau");
    std::optional<std::string> bytes = fileText(missing);
    if (c.expect(bytes.has_value(), "missing.cau was not made")) {
        c.expectNumber("size of missing.cau", 22156, static_cast<long long>(bytes->size()));
        std::vector<std::uint8_t> image = audio::missingSoundImage();
        c.expect(bytes->size() == image.size() && std::equal(image.begin(), image.end(), bytes->begin(),
                                                             [](std::uint8_t a, char b) {
                                                                 return a == static_cast<std::uint8_t>(b);
                                                             }),
                 "missing.cau differs from the built-in missing sound");
    }
    c.expect(fileExists(io::joinPath(folder, "temp_eel.eel")), "temp_eel.eel was not made");
}

}  // namespace

bool makeToneArchive(Checks& c, const std::string& folder, const std::string& archivePath, int added,
                     const std::string& namePrefix) {
    std::string cau = io::joinPath(folder, "tone.cau");
    std::vector<std::uint8_t> image = audio::missingSoundImage();
    if (!c.expect(writeFileText(cau, std::string(image.begin(), image.end())), "cannot write " + cau)) return false;
    archive::CreateArchiveResult created = archive::createDefaultArchive(archivePath);
    if (!c.expect(created.created, "cannot make " + archivePath + ": " + created.outcome.reason)) return false;
    for (int i = 1; i <= added; ++i) {
        archive::AddSoundRequest request;
        request.archivePath = archivePath;
        request.soundPath = cau;
        request.soundName = namePrefix + " " + std::to_string(i);
        archive::AddSoundResult result = archive::addSoundGeneral(request);
        if (!c.expect(result.addResult == archive::AddOutcome::Done,
                      "cannot add a sound to " + archivePath + ": " + result.outcome.reason))
            return false;
    }
    return true;
}

HWND startSonkrate(Process& process, const std::string& sonkrateExe, Checks& checks) {
    std::string error;
    if (!process.start(sonkrateExe, "", io::folderOf(sonkrateExe), error)) {
        checks.fail(error);
        return nullptr;
    }
    // Wine takes its time with the first window of a process.
    HWND window = waitForTopWindow(process.id(), " sonkrate", " sonkrate", 20000);
    if (!window) {
        checks.fail("no top-level window of class \" sonkrate\" titled \" sonkrate\" within 20 s");
        return nullptr;
    }
    // The controls are made after the window is shown; the message loop
    // starts once all of them are there, and only the loop answers a
    // message sent from another process.
    bool complete = waitUntil([&] { return GetDlgItem(window, kLastControl) != nullptr; }, 10000);
    WaitForInputIdle(process.handle(), 10000);
    checks.expect(complete, "control " + std::to_string(kLastControl) + " did not appear within 10 s");
    checks.expect(sendWithin(window, WM_NULL, 0, 0, 10000), "the main window answers no message within 10 s");
    return window;
}

void closeSonkrate(Process& process, HWND window, Checks& checks) {
    PostMessageA(window, WM_CLOSE, 0, 0);
    std::optional<DWORD> code = process.waitForExit(15000);
    if (!checks.expect(code.has_value(), "sonkrate.exe still runs 15 s after WM_CLOSE")) return;
    checks.expectNumber("exit code of sonkrate.exe", 0, static_cast<long long>(*code));
}

int checkMainWindow(const std::string& sonkrateExe, const std::string& hookLibrary) {
    Checks c("window");
    std::string folder = io::folderOf(sonkrateExe);
    Process process;
    HWND window = startSonkrate(process, sonkrateExe, c);
    if (!window) return c.failures();

    checkFrame(c, window);
    checkControls(c, window);
    checkList(c, window, folder);
    checkMenu(c, window, hookLibrary);
    checkUpdater(c, window);
    checkStartUpFiles(c, folder);

    // Files the session never made are made now, so that their absence
    // afterwards shows that the window removed them.
    for (const char* name : kWorkingFiles) {
        std::string path = io::joinPath(folder, name);
        if (!fileExists(path)) c.expect(writeFileText(path, "left over"), "cannot make " + path);
    }
    closeSonkrate(process, window, c);
    for (const char* name : kWorkingFiles)
        c.expect(!fileExists(io::joinPath(folder, name)), std::string(name) + " is still there after the window closed");
    c.expect(fileExists(io::joinPath(folder, "missing.cau")), "missing.cau was removed at exit");
    return c.failures();
}

}  // namespace sonkrate::wintest
