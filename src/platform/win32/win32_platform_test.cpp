// Tests of the Windows backend against Windows itself (under Wine here):
// the window and class the shell asks for, every control's class, styles,
// font and image, the menu, the controls' clamping and empty cases, the
// messages that reach the shell, the timer and the loop's exit code, the
// kill switch's window and the folders. Needs a display.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "app/command_ids.h"
#include "app/main_window.h"
#include "app/command_table.h"
#include "app/shell.h"
#include "archive/edit/default_sound.h"
#include "audio/convert/target_names.h"
#include "io/file_system.h"
#include "io/folder_listing.h"
#include "io/game_text.h"
#include "io/paths.h"
#include "io/unicode_text.h"
#include "platform/win32/win32_platform.h"

namespace {

using namespace sonkrate;
using platform::win32::Win32Platform;

// Records what reaches the shell; on destruction it quits with code 7.
class RecordingSink : public platform::EventSink {
public:
    explicit RecordingSink(Win32Platform& p) : platform_(p) {}
    void onCreate() override {
        windowKnownInCreate = platform_.mainWindow() != nullptr;
        for (const auto& c : app::controlTable())
            if (c.phase == platform::CreationPhase::WithWindow) platform_.createControl(c);
        platform_.installMenu(app::menuTable());
        buttonMadeInCreate = GetDlgItem(platform_.mainWindow(), app::kNextButton) != nullptr;
        events.push_back("create");
    }
    void onCommand(int id, int notification) override {
        events.push_back("command " + std::to_string(id) + " " + std::to_string(notification));
    }
    void onTimer(int id) override {
        events.push_back("timer " + std::to_string(id));
        if (++ticks == 3) {
            platform_.stopTimer(id);
            DestroyWindow(platform_.mainWindow());
        }
    }
    void onTrackbarScroll() override { events.push_back("scroll"); }
    void onLeftButtonUp() override { events.push_back("button up"); }
    void onMouseMove(int x, int y) override {
        events.push_back("move " + std::to_string(x) + " " + std::to_string(y));
    }
    bool onCloseRequest() override {
        events.push_back("close request");
        return allowClose;
    }
    void onDestroy() override {
        events.push_back("destroy");
        platform_.postQuit(7);
    }
    void onFilesDropped(const std::vector<std::string>& paths) override {
        for (const auto& p : paths) events.push_back("dropped " + p);
    }

    std::vector<std::string> events;
    bool windowKnownInCreate = false;
    bool buttonMadeInCreate = false;
    int ticks = 0;
    bool allowClose = true;  // the answer to a close request

private:
    Win32Platform& platform_;
};

class Win32PlatformTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(platform.createMainWindow(app::mainWindowDescription(platform.screenSize()), sink),
                  platform::WindowResult::Created);
        platform.showMainWindow();
        for (const auto& c : app::controlTable())
            if (c.phase != platform::CreationPhase::WithWindow) platform.createControl(c);
    }

    HWND window() const { return platform.mainWindow(); }
    HWND item(int id) const { return GetDlgItem(window(), id); }

    Win32Platform platform{GetModuleHandleA(nullptr), SW_SHOWNOACTIVATE};
    RecordingSink sink{platform};
};

std::string className(HWND h) {
    char name[64] = {};
    GetClassNameA(h, name, sizeof name);
    return CharUpperA(name);
}

// A drop as Explorer hands it over: a DROPFILES block and the wide paths,
// each ended by a NUL, the list by another.
HGLOBAL dropOf(const std::vector<std::wstring>& paths) {
    std::size_t chars = 1;
    for (const auto& p : paths) chars += p.size() + 1;
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + chars * sizeof(wchar_t));
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    auto* text = reinterpret_cast<wchar_t*>(reinterpret_cast<char*>(drop) + sizeof(DROPFILES));
    for (const auto& p : paths) {
        std::copy(p.begin(), p.end(), text);
        text += p.size() + 1;
    }
    GlobalUnlock(memory);
    return memory;
}

TEST_F(Win32PlatformTest, FilesDroppedOnTheWindowReachTheShellAsUtf8) {
    EXPECT_NE(GetWindowLongW(window(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES, 0) << "the window takes no drops";
    sink.events.clear();
    // Names outside the ANSI code page: Polish, Cyrillic, Japanese.
    HGLOBAL drop = dropOf({L"C:\\Sounds\\Ge\u0142\u00e4usche.tpa", L"D:\\\u0414\u043c\u0438\u0442\u0440\u0438\u0439\\door.cau",
                           L"C:\\\u30b5\u30a6\u30f3\u30c9.eel"});
    SendMessageW(window(), WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
    EXPECT_EQ(sink.events, (std::vector<std::string>{
                               "dropped C:\\Sounds\\Ge\xC5\x82\xC3\xA4usche.tpa",
                               "dropped D:\\\xD0\x94\xD0\xBC\xD0\xB8\xD1\x82\xD1\x80\xD0\xB8\xD0\xB9\\door.cau",
                               "dropped C:\\\xE3\x82\xB5\xE3\x82\xA6\xE3\x83\xB3\xE3\x83\x89.eel"}));
}

TEST_F(Win32PlatformTest, WindowAndClassAreTheOnesOfTheTable) {
    EXPECT_TRUE(sink.windowKnownInCreate);
    EXPECT_TRUE(sink.buttonMadeInCreate);
    ASSERT_EQ(sink.events, std::vector<std::string>{"create"});

    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    ASSERT_TRUE(GetClassInfoExA(GetModuleHandleA(nullptr), " sonkrate", &wc));
    EXPECT_EQ(wc.style, 0u);
    EXPECT_EQ(wc.cbClsExtra, 0);
    EXPECT_EQ(wc.cbWndExtra, 0);
    EXPECT_EQ(wc.lpszMenuName, nullptr);
    EXPECT_EQ(reinterpret_cast<INT_PTR>(wc.hbrBackground), 16);  // COLOR_BTNFACE + 1
    EXPECT_EQ(wc.hCursor, LoadCursorA(nullptr, IDC_ARROW));
    EXPECT_EQ(wc.hIcon, LoadIconA(nullptr, IDI_APPLICATION));
    // The small icon is resource 50 at 16 x 16.
    ICONINFO info = {};
    ASSERT_TRUE(wc.hIconSm && GetIconInfo(wc.hIconSm, &info));
    BITMAP mask = {};
    GetObjectA(info.hbmMask, sizeof mask, &mask);
    EXPECT_EQ(mask.bmWidth, 16);
    EXPECT_EQ(mask.bmHeight, info.hbmColor ? 16 : 32);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);

    char title[32] = {};
    GetWindowTextA(window(), title, sizeof title);
    EXPECT_STREQ(title, " sonkrate");
    LONG style = GetWindowLongA(window(), GWL_STYLE);
    EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME | WS_CHILD),
              WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX);
    RECT r = {};
    GetWindowRect(window(), &r);
    platform::WindowDescription d = app::mainWindowDescription(platform.screenSize());
    EXPECT_EQ(r.left, d.x);
    EXPECT_EQ(r.top, d.y);
    EXPECT_EQ(r.right - r.left, 476);
    EXPECT_EQ(r.bottom - r.top, 326);
}

struct ExpectedControl {
    const char* className;
    DWORD style;
    DWORD exStyle;
};

// The class, styles and extended client edge of every control, by id.
std::map<int, ExpectedControl> expectedControls() {
    // 0x50000000 is WS_CHILD | WS_VISIBLE, 0x200 WS_EX_CLIENTEDGE.
    return {
        {700, {"MSCTLS_PROGRESS32", 0x50000000, 0}},
        {1500, {"EDIT", 0x50200804, 0x200}},  // WS_VSCROLL ES_READONLY ES_MULTILINE
        {1900, {"EDIT", 0x50000000, 0x200}},
        {2000, {"STATIC", 0x5000000B, 0}},  // SS_SIMPLE
        {3000, {"STATIC", 0x5000000B, 0}},
        {3100, {"EDIT", 0x50002800, 0x200}},  // ES_NUMBER ES_READONLY
        {4300, {"STATIC", 0x5000000B, 0}},
        {4400, {"EDIT", 0x50002800, 0x200}},
        {2800, {"STATIC", 0x5000000B, 0}},
        {2850, {"EDIT", 0x50000800, 0x200}},
        {2900, {"STATIC", 0x5000000B, 0}},
        {2950, {"EDIT", 0x5000080B, 0x200}},  // ES_READONLY ES_UPPERCASE ES_RIGHT ES_CENTER
        {2600, {"STATIC", 0x5000000B, 0}},
        {2200, {"LISTBOX", 0x50201001, 0x200}},  // WS_VSCROLL LBS_NOTIFY LBS_DISABLENOSCROLL
        {3600, {"EDIT", 0x50200044, 0x200}},     // WS_VSCROLL ES_MULTILINE ES_AUTOVSCROLL
        {1150, {"STATIC", 0x5000000E, 0}},       // SS_BITMAP
        {1250, {"STATIC", 0x5000000E, 0}},
        {1200, {"STATIC", 0x5000000E, 0}},
        {1300, {"STATIC", 0x5000000E, 0}},
        {200, {"BUTTON", 0x50000000, 0}},
        {1100, {"BUTTON", 0x50000000, 0}},
        {300, {"BUTTON", 0x50000000, 0}},
        {400, {"BUTTON", 0x50000000, 0}},
        {2700, {"BUTTON", 0x50000000, 0}},
        {2750, {"BUTTON", 0x50000000, 0}},
        {2650, {"BUTTON", 0x50000003, 0}},  // BS_AUTOCHECKBOX
        {500, {"MSCTLS_TRACKBAR32", 0x50000050, 0}},  // TBS_NOTICKS TBS_FIXEDLENGTH
    };
}

// One control as the window made it: class, styles, id, parent, font and place.
void expectControlAsInTable(HWND h, HWND parent, const platform::ControlDescription& c, const ExpectedControl& e) {
    EXPECT_EQ(className(h), e.className);
    // Windows keeps a few state bits of its own in the style (a list
    // box's and an edit's scroll bars, a button's focus); the table's
    // bits must all be there and no others of the low word.
    DWORD style = static_cast<DWORD>(GetWindowLongA(h, GWL_STYLE));
    EXPECT_EQ(style & 0xFFFF0000u & ~static_cast<DWORD>(WS_HSCROLL), e.style & 0xFFFF0000u);
    EXPECT_EQ(style & 0xFFFFu, e.style & 0xFFFFu);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(h, GWL_EXSTYLE)) & WS_EX_CLIENTEDGE, e.exStyle);
    EXPECT_EQ(GetDlgCtrlID(h), c.id);
    EXPECT_EQ(GetParent(h), parent);
    const HGDIOBJ guiFont = GetStockObject(DEFAULT_GUI_FONT);
    HGDIOBJ font = reinterpret_cast<HGDIOBJ>(SendMessageA(h, WM_GETFONT, 0, 0));
    if (c.guiFont)
        EXPECT_EQ(font, guiFont);
    else
        EXPECT_NE(font, guiFont);
    // Place in client pixels (a bitmap static takes its image's size).
    RECT r = {};
    GetWindowRect(h, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, c.x);
    EXPECT_EQ(r.top, c.y);
    if (c.kind != platform::ControlKind::ListBox) {  // a list box rounds its height to whole lines
        EXPECT_EQ(r.right - r.left, c.width);
        EXPECT_EQ(r.bottom - r.top, c.height);
    }
}

TEST_F(Win32PlatformTest, EveryControlHasItsClassStylesPlaceAndFont) {
    const std::map<int, ExpectedControl> expected = expectedControls();
    ASSERT_EQ(app::controlTable().size(), expected.size());
    for (const auto& c : app::controlTable()) {
        SCOPED_TRACE("control " + std::to_string(c.id));
        HWND h = item(c.id);
        ASSERT_NE(h, nullptr);
        expectControlAsInTable(h, window(), c, expected.at(c.id));
    }
    char text[32] = {};
    GetWindowTextA(item(app::kEntriesLabel), text, sizeof text);
    EXPECT_STREQ(text, "#Entries");
    GetWindowTextA(item(app::kTrackbar), text, sizeof text);
    EXPECT_STREQ(text, "Trackbar Control");
}

TEST_F(Win32PlatformTest, BitmapStaticsShowTheDrawnImages) {
    const std::map<int, std::pair<int, int>> sizes = {
        {1150, {48, 14}}, {1250, {32, 14}}, {1200, {20, 2}}, {1300, {20, 2}}};
    for (const auto& [id, size] : sizes) {
        SCOPED_TRACE("bitmap " + std::to_string(id));
        auto image = reinterpret_cast<HBITMAP>(SendMessageA(item(id), STM_GETIMAGE, IMAGE_BITMAP, 0));
        ASSERT_NE(image, nullptr);
        DIBSECTION dib = {};
        // A DIB section (LR_CREATEDIBSECTION) answers with the whole DIBSECTION.
        ASSERT_EQ(GetObjectA(image, sizeof dib, &dib), static_cast<int>(sizeof dib));
        EXPECT_EQ(dib.dsBm.bmWidth, size.first);
        EXPECT_EQ(dib.dsBm.bmHeight, size.second);
        EXPECT_EQ(dib.dsBm.bmBitsPixel, 24);
    }
    platform.setShown(app::kRepeatLabel, false);
    EXPECT_FALSE(IsWindowVisible(item(app::kRepeatLabel)));
    platform.setShown(app::kRepeatLabel, true);
    EXPECT_TRUE(IsWindowVisible(item(app::kRepeatLabel)));
}

TEST_F(Win32PlatformTest, MenuBarHasThePopupsItemsAndGrayedStates) {
    HMENU bar = GetMenu(window());
    ASSERT_NE(bar, nullptr);
    const auto& table = app::menuTable();
    ASSERT_EQ(GetMenuItemCount(bar), static_cast<int>(table.size()));
    for (int p = 0; p < static_cast<int>(table.size()); ++p) {
        char title[32] = {};
        GetMenuStringA(bar, static_cast<UINT>(p), title, sizeof title, MF_BYPOSITION);
        EXPECT_EQ(std::string(title), table[static_cast<std::size_t>(p)].title);
        HMENU popup = GetSubMenu(bar, p);
        ASSERT_NE(popup, nullptr);
        const auto& items = table[static_cast<std::size_t>(p)].items;
        ASSERT_EQ(GetMenuItemCount(popup), static_cast<int>(items.size()));
        for (int i = 0; i < static_cast<int>(items.size()); ++i) {
            const auto& want = items[static_cast<std::size_t>(i)];
            SCOPED_TRACE(std::string(want.text));
            EXPECT_EQ(GetMenuItemID(popup, i), static_cast<UINT>(want.commandId));
            char text[32] = {};
            GetMenuStringA(popup, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
            EXPECT_EQ(std::string(text), want.text);
            UINT state = GetMenuState(popup, static_cast<UINT>(i), MF_BYPOSITION);
            EXPECT_EQ((state & MF_GRAYED) != 0, want.grayed);
            EXPECT_EQ(state & MF_CHECKED, 0u);
        }
    }
    // By command id, through the popups.
    platform.setMenuItemEnabled(app::kCmdAddCau, true);
    EXPECT_EQ(GetMenuState(bar, app::kCmdAddCau, MF_BYCOMMAND) & MF_GRAYED, 0u);
    platform.setMenuItemEnabled(app::kCmdLoadTpa, false);
    EXPECT_NE(GetMenuState(bar, app::kCmdLoadTpa, MF_BYCOMMAND) & MF_GRAYED, 0u);
}

TEST_F(Win32PlatformTest, TrackbarAndProgressBarKeepTheirRanges) {
    // The shell sets position 0 after a range of 1 to the entry count.
    platform.setTrackbarRange(app::kTrackbar, 1, 4);
    platform.setTrackbarPosition(app::kTrackbar, 0);
    EXPECT_EQ(platform.trackbarPosition(app::kTrackbar), 1);
    platform.setTrackbarPosition(app::kTrackbar, 9);
    EXPECT_EQ(platform.trackbarPosition(app::kTrackbar), 4);
    platform.setTrackbarPosition(app::kTrackbar, 3);
    EXPECT_EQ(platform.trackbarPosition(app::kTrackbar), 3);
    // Ranges past 16 bits: an archive of 40000 entries.
    platform.setTrackbarRange(app::kTrackbar, 1, 40000);
    EXPECT_EQ(SendMessageA(item(app::kTrackbar), TBM_GETRANGEMIN, 0, 0), 1);
    EXPECT_EQ(SendMessageA(item(app::kTrackbar), TBM_GETRANGEMAX, 0, 0), 40000);
    platform.setTrackbarPosition(app::kTrackbar, 39999);
    EXPECT_EQ(platform.trackbarPosition(app::kTrackbar), 39999);
    platform.setTrackbarRange(app::kTrackbar, 1, 5);
    EXPECT_EQ(platform.trackbarPosition(app::kTrackbar), 5);

    HWND bar = item(app::kProgressBar);
    platform.setProgressRange(app::kProgressBar, 0, 20);
    platform.setProgressStep(app::kProgressBar, 1);
    platform.setProgressPosition(app::kProgressBar, 0);
    for (int i = 0; i < 3; ++i) platform.progressStepIt(app::kProgressBar);
    EXPECT_EQ(SendMessageA(bar, PBM_GETPOS, 0, 0), 3);
    // PBM_SETRANGE32: a range of more than 65535 steps (a long stereo sound).
    platform.setProgressRange(app::kProgressBar, 0, 100000);
    platform.setProgressPosition(app::kProgressBar, 70000);
    EXPECT_EQ(SendMessageA(bar, PBM_GETPOS, 0, 0), 70000);
    EXPECT_EQ(SendMessageA(bar, PBM_GETRANGE, FALSE, 0), 100000);
}

TEST_F(Win32PlatformTest, ListBoxAndTextsAnswerForEmptyAndLongContents) {
    const int list = app::kEelListBox;
    platform.listReset(list);
    EXPECT_EQ(platform.listCount(list), 0);
    EXPECT_EQ(platform.listCaretIndex(list), -1);
    EXPECT_EQ(platform.listItemText(list, 0), "");
    platform.listAddString(list, "MISSING");
    platform.listAddString(list, "C:\\Games\\Sounds\\missing.cau");
    // Items keep their order (no LBS_SORT).
    platform.listAddString(list, "A first");
    EXPECT_EQ(platform.listCount(list), 3);
    EXPECT_EQ(platform.listCaretIndex(list), 0);
    EXPECT_EQ(platform.listItemText(list, 1), "C:\\Games\\Sounds\\missing.cau");
    EXPECT_EQ(platform.listItemText(list, 2), "A first");
    EXPECT_EQ(platform.listItemText(list, 3), "");
    EXPECT_EQ(platform.listItemText(list, -1), "");
    SendMessageA(item(list), LB_SETCARETINDEX, 2, FALSE);
    EXPECT_EQ(platform.listCaretIndex(list), 2);
    platform.listReset(list);
    EXPECT_EQ(platform.listCaretIndex(list), -1);

    EXPECT_EQ(platform.text(app::kSoundIdInput), "");
    platform.setText(app::kSoundIdInput, "ambient_wind");
    EXPECT_EQ(platform.text(app::kSoundIdInput), "ambient_wind");
    std::string longCaption(5000, 'c');
    longCaption += "\r\nend";
    platform.setText(app::kCaptionInput, longCaption);
    EXPECT_EQ(platform.text(app::kCaptionInput), longCaption);
    EXPECT_EQ(platform.text(app::kNumberField), "0");
    platform.setText(app::kStatusLine, "");
    EXPECT_EQ(platform.text(app::kStatusLine), "");
    // Unknown controls are ignored and read as empty.
    platform.setText(4242, "x");
    EXPECT_EQ(platform.text(4242), "");
    EXPECT_EQ(platform.listCount(4242), 0);
    EXPECT_EQ(platform.listCaretIndex(4242), -1);

    platform.setEnabled(app::kTrackbar, false);
    EXPECT_FALSE(IsWindowEnabled(item(app::kTrackbar)));
    platform.setEnabled(app::kTrackbar, true);
    EXPECT_TRUE(IsWindowEnabled(item(app::kTrackbar)));
}

TEST_F(Win32PlatformTest, MessagesReachTheShellAndTheLoopEndsWithTheQuitCode) {
    SendMessageA(window(), WM_COMMAND, MAKEWPARAM(app::kEelListBox, LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(item(app::kEelListBox)));
    SendMessageA(window(), WM_COMMAND, MAKEWPARAM(app::kCmdLoadTpa, 0), 0);
    // Client coordinates are signed: left of and above the client area
    // while the pointer is captured.
    SendMessageA(window(), WM_MOUSEMOVE, 0, MAKELPARAM(215, 40));
    SendMessageA(window(), WM_MOUSEMOVE, 0, MAKELPARAM(-5, -3));
    SendMessageA(window(), WM_HSCROLL, TB_ENDTRACK, reinterpret_cast<LPARAM>(item(app::kTrackbar)));
    SendMessageA(window(), WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    // A real click on a button arrives as its command.
    SendMessageA(item(app::kNextButton), BM_CLICK, 0, 0);
    std::vector<std::string> expected = {"create",      "command 2200 1", "command 100 0", "move 215 40",
                                         "move -5 -3",  "scroll",         "button up",     "command 200 0"};
    EXPECT_EQ(sink.events, expected);

    // Three ticks of timer 1, then the window is destroyed and the loop
    // ends with the code given to postQuit.
    sink.events.clear();
    platform.startTimer(platform::kTimer1, 100);
    platform.startTimer(platform::kTimer1, 20);  // replaces the first
    EXPECT_EQ(platform.runMessageLoop(), 7);
    expected = {"timer 1", "timer 1", "timer 1", "destroy"};
    EXPECT_EQ(sink.events, expected);
    EXPECT_EQ(platform.mainWindow(), nullptr);
    // Controls of a destroyed window are not used.
    EXPECT_EQ(platform.text(app::kNumberField), "");
    platform.setTrackbarPosition(app::kTrackbar, 2);
}

// The close box, Alt+F4 (the system menu's Close) and a log-off ask the shell
// first: refused, the window stays and the log-off is held up; allowed, a
// close destroys the window, while a log-off's question alone does not.
TEST_F(Win32PlatformTest, ClosesTheShellRefusesKeepTheWindow) {
    const HWND h = window();
    sink.events.clear();
    sink.allowClose = false;
    SendMessageW(h, WM_CLOSE, 0, 0);
    SendMessageW(h, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(SendMessageW(h, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), FALSE);
    EXPECT_TRUE(IsWindow(h));
    EXPECT_EQ(sink.events, std::vector<std::string>(3, "close request"));

    sink.events.clear();
    sink.allowClose = true;
    EXPECT_EQ(SendMessageW(h, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
    SendMessageW(h, WM_ENDSESSION, FALSE, ENDSESSION_LOGOFF);  // another program held it up
    EXPECT_TRUE(IsWindow(h));
    SendMessageW(h, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(h));
    EXPECT_EQ(sink.events, (std::vector<std::string>{"close request", "close request", "destroy"}));
    EXPECT_EQ(platform.runMessageLoop(), 7);
}

// The session ending cannot be refused: the window is destroyed without
// asking, so that the shell still cleans up.
TEST_F(Win32PlatformTest, TheSessionEndingDestroysTheWindowUnasked) {
    const HWND h = window();
    sink.events.clear();
    sink.allowClose = false;
    SendMessageW(h, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    EXPECT_FALSE(IsWindow(h));
    EXPECT_EQ(sink.events, std::vector<std::string>{"destroy"});
    EXPECT_EQ(platform.mainWindow(), nullptr);
}

TEST_F(Win32PlatformTest, KillSwitchWindowIsClosedByItsTitleAndFoldersAreWhole) {
    // A window that stands in for the kill switch's.
    HWND stand = CreateWindowExA(0, "STATIC", "Auto_Stop (KillSwitch) test", WS_OVERLAPPEDWINDOW, 0, 0, 100, 50,
                                 nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(stand, nullptr);
    platform.closeKillSwitch("Auto_Stop (KillSwitch) test");
    EXPECT_FALSE(IsWindow(stand));
    platform.closeKillSwitch("Auto_Stop (KillSwitch) test");  // none left: nothing happens
    EXPECT_FALSE(platform.startKillSwitch("C:\\no such folder\\auto_stop.exe", "C:\\no such folder\\tmpConf.ini"));
    EXPECT_FALSE(platform.openThroughDesktop("C:\\no such folder\\Sonkrate-help.chm"));

    std::string exe = platform.executablePath();
    ASSERT_GT(exe.size(), 4u);
    EXPECT_EQ(CharLowerA(exe.substr(exe.size() - 4).data()), std::string(".exe"));
    EXPECT_NE(GetFileAttributesA(exe.c_str()), INVALID_FILE_ATTRIBUTES);
    std::string documents = platform.documentsFolder();
    ASSERT_FALSE(documents.empty());
    EXPECT_NE(documents.back(), '\\');
    std::string data = platform.userDataFolder();
    ASSERT_GT(data.size(), 9u);
    EXPECT_EQ(data.substr(data.size() - 9), "\\Sonkrate");

    // The tick count moves in steps of up to 16 ms.
    std::uint64_t before = platform.milliseconds();
    platform.sleep(100);
    std::uint64_t slept = platform.milliseconds() - before;
    EXPECT_GE(slept, 84u);
    EXPECT_LT(slept, 5000u);
}

// The shell over this backend: start-up builds the window in its phases,
// and closing it leaves no working file and exits with 0.
TEST(Win32Shell, StartsUpAndClosesWithoutItsWorkingFiles) {
    Win32Platform platform(GetModuleHandleA(nullptr), SW_SHOWNOACTIVATE);
    app::Shell shell(platform);
    ASSERT_TRUE(shell.startUp());
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(platform.mainWindow(), app::kRepeatLabel)));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(platform.mainWindow(), app::kTrackbar)));
    EXPECT_EQ(platform.listCount(app::kEelListBox), 2);
    EXPECT_EQ(platform.listItemText(app::kEelListBox, 0), "MISSING");
    EXPECT_EQ(platform.text(app::kEntriesField), "0");
    PostMessageA(platform.mainWindow(), WM_CLOSE, 0, 0);
    EXPECT_EQ(platform.runMessageLoop(), 0);
    for (const auto& path : shell.paths().filesDeletedAtExit())
        EXPECT_EQ(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES) << path;
}

// "Zoë", "Дмитрий" and "サウンド": one name of each script, in UTF-8 and UTF-16.
const std::string kThreeScripts = "Zo\xC3\xAB \xD0\x94\xD0\xBC\xD0\xB8\xD1\x82\xD1\x80\xD0\xB8\xD0\xB9 "
                                  "\xE3\x82\xB5\xE3\x82\xA6\xE3\x83\xB3\xE3\x83\x89";
const std::wstring kThreeScriptsWide = L"Zo\u00EB \u0414\u043C\u0438\u0442\u0440\u0438\u0439 \u30B5\u30A6\u30F3\u30C9";

TEST_F(Win32PlatformTest, TextsAndListItemsKeepEveryScript) {
    platform.setText(app::kSoundIdInput, kThreeScripts);
    EXPECT_EQ(platform.text(app::kSoundIdInput), kThreeScripts);
    wchar_t shown[64] = {};
    GetWindowTextW(item(app::kSoundIdInput), shown, 64);
    EXPECT_EQ(std::wstring(shown), kThreeScriptsWide);

    const std::string path = "C:\\" + kThreeScripts + "\\" + kThreeScripts + ".cau";
    platform.listReset(app::kEelListBox);
    platform.listAddString(app::kEelListBox, path);
    EXPECT_EQ(platform.listItemText(app::kEelListBox, 0), path);
    wchar_t item0[128] = {};
    SendMessageW(item(app::kEelListBox), LB_GETTEXT, 0, reinterpret_cast<LPARAM>(item0));
    EXPECT_EQ(std::wstring(item0), L"C:\\" + kThreeScriptsWide + L"\\" + kThreeScriptsWide + L".cau");
}

// Names and captions from files in the game's code page show as their
// letters; what is typed is read back as UTF-8 and stored as the game's bytes.
TEST_F(Win32PlatformTest, CodePageBytesShowAsTheirLettersAndTypedTextComesBackAsThem) {
    ASSERT_EQ(GetACP(), 1252u) << "the Windows tests run with LC_ALL=C.UTF-8, which Wine gives code page 1252";
    platform.setText(app::kStatusLine, " caf\xE9 \x80");
    wchar_t shown[32] = {};
    GetWindowTextW(item(app::kStatusLine), shown, 32);
    EXPECT_EQ(std::wstring(shown), L" caf\u00E9 \u20AC");

    platform.listReset(app::kEelListBox);
    platform.listAddString(app::kEelListBox, "Caf\xE9");
    wchar_t item0[32] = {};
    SendMessageW(item(app::kEelListBox), LB_GETTEXT, 0, reinterpret_cast<LPARAM>(item0));
    EXPECT_EQ(std::wstring(item0), L"Caf\u00E9");
    EXPECT_EQ(platform.listItemText(app::kEelListBox, 0), "Caf\xC3\xA9");
    EXPECT_EQ(io::gameText(platform.listItemText(app::kEelListBox, 0)), "Caf\xE9");

    SetWindowTextW(item(app::kCaptionInput), L"Caf\u00E9");
    EXPECT_EQ(platform.text(app::kCaptionInput), "Caf\xC3\xA9");
}

// The Win32 backend with its folders and dialog answers given by the test;
// sounds played and boxes shown are recorded (a box would wait for a click).
class FolderPlatform : public Win32Platform {
public:
    FolderPlatform(std::string program, std::string documents)
        : Win32Platform(GetModuleHandleW(nullptr), SW_SHOWNOACTIVATE),
          program_(std::move(program)),
          documents_(std::move(documents)) {}
    std::string executablePath() override { return program_; }
    std::string documentsFolder() override { return documents_; }
    std::optional<std::string> openFileDialog(const platform::FileDialogOptions&) override { return answer(); }
    std::optional<std::string> saveFileDialog(const platform::FileDialogOptions&) override { return answer(); }
    platform::MessageResult messageBox(const std::string& text, const std::string&, platform::MessageIcon,
                                       platform::MessageButtons) override {
        boxes.push_back(text);
        return platform::MessageResult::Ok;
    }
    void playWavAsync(const std::string& path) override {
        played.push_back(path);
        Win32Platform::playWavAsync(path);
    }

    std::deque<std::string> answers;
    std::vector<std::string> played;
    std::vector<std::string> boxes;

private:
    std::optional<std::string> answer() {
        if (answers.empty()) return std::nullopt;
        std::string next = answers.front();
        answers.pop_front();
        return next;
    }
    std::string program_;
    std::string documents_;
};

// A folder named in three scripts under the temporary folder, removed afterwards.
struct ThreeScriptFolder {
    ThreeScriptFolder() {
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        path = io::fromWide(temp) + kThreeScripts + " " + std::to_string(GetCurrentProcessId());
        EXPECT_TRUE(io::createFolders(path).ok);
    }
    ~ThreeScriptFolder() {
        std::error_code ec;
        std::filesystem::remove_all(io::nativePath(path), ec);
    }
    std::string path;
};

// The shell on Windows itself with its program, its documents folder and an
// archive in folders named in three scripts: open, play, export and add.
TEST(Win32Shell, OpensPlaysExportsAndAddsInFoldersOfThreeScripts) {
    ThreeScriptFolder root;
    const std::string bin = io::joinPath(root.path, "bin " + kThreeScripts);
    const std::string documents = io::joinPath(root.path, kThreeScripts);
    const std::string archive = io::joinPath(root.path, kThreeScripts + ".tpa");
    ASSERT_TRUE(io::createFolders(bin).ok && io::createFolders(documents).ok);
    ASSERT_TRUE(archive::writeNewArchive(archive).ok);

    FolderPlatform platform(io::joinPath(bin, "sonkrate.exe"), documents);
    app::Shell shell(platform);
    ASSERT_TRUE(shell.startUp());
    HWND window = platform.mainWindow();
    auto command = [&](int id) { SendMessageW(window, WM_COMMAND, MAKEWPARAM(id, 0), 0); };

    platform.answers.push_back(archive);
    command(app::kCmdLoadTpa);
    EXPECT_EQ(platform.text(app::kEntriesField), "1");
    SendMessageW(GetDlgItem(window, app::kNextButton), BM_CLICK, 0, 0);
    ASSERT_EQ(platform.played.size(), 1u);
    EXPECT_EQ(platform.played[0], io::joinPath(bin, "entries.wav"));
    EXPECT_NE(GetFileAttributesW(io::toWide(platform.played[0]).c_str()), INVALID_FILE_ATTRIBUTES);

    const std::string wavs = io::joinPath(documents, "Tpa_Wavs");
    command(app::kCmdSaveAsWav);
    command(app::kCmdSaveAllCau);
    std::vector<std::string> saved;
    ASSERT_TRUE(io::listFileNames(wavs, ".wav", saved).ok);
    EXPECT_EQ(saved.size(), 1u);
    ASSERT_TRUE(io::listFileNames(wavs, ".cau", saved).ok);
    ASSERT_EQ(saved.size(), 1u);

    // The exported .cau added back under a name of the three scripts.
    platform.setText(app::kSoundIdInput, kThreeScripts);
    platform.answers.push_back(io::joinPath(wavs, saved[0]));
    command(app::kCmdAddCau);
    EXPECT_EQ(platform.text(app::kStatusLine), "Operation completed. ..  file reset to 1st entry");
    EXPECT_EQ(platform.text(app::kEntriesField), "2");
    EXPECT_EQ(std::filesystem::file_size(io::nativePath(archive)), 88316u + 56u + 88236u);
    // The one box is the note that exporting all takes a while.
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(platform.boxes[0].rfind("Note: Exporting all", 0), 0u) << platform.boxes[0];

    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(platform.runMessageLoop(), 0);
}

// A caption typed into the real edit control ends up in the .cau as the
// game's bytes: "Café" as 43 61 66 E9.
TEST(Win32Shell, TypedCaptionIsStoredInTheCodePage) {
    ASSERT_EQ(GetACP(), 1252u) << "the Windows tests run with LC_ALL=C.UTF-8, which Wine gives code page 1252";
    ThreeScriptFolder root;
    const std::string bin = io::joinPath(root.path, "bin");
    ASSERT_TRUE(io::createFolders(bin).ok);
    // A 16-bit mono PCM .wav of 100 silent samples.
    std::string wav = std::string("RIFF") + std::string(4, '\0') + "WAVEfmt " + std::string("\x10\0\0\0\x01\0\x01\0", 8) +
                      std::string("\x22\x56\0\0\x44\xAC\0\0\x02\0\x10\0", 12) + "data" +
                      std::string("\xC8\0\0\0", 4) + std::string(200, '\0');
    wav[4] = static_cast<char>(wav.size() - 8);
    const std::string wavPath = io::joinPath(root.path, "cafe.wav");
    std::ofstream(io::nativePath(wavPath), std::ios::binary) << wav;

    FolderPlatform platform(io::joinPath(bin, "sonkrate.exe"), root.path);
    app::Shell shell(platform);
    ASSERT_TRUE(shell.startUp());
    HWND window = platform.mainWindow();
    SetWindowTextW(GetDlgItem(window, app::kCaptionInput), L"Caf\u00E9");
    platform.answers.push_back(wavPath);
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(app::kCmdWavToCau, 0), 0);
    EXPECT_EQ(platform.text(app::kStatusLine), "Cau export complete . .. ");

    std::ifstream made(io::nativePath(audio::wavToCauTargetBeside(wavPath)), std::ios::binary);
    const std::string cau((std::istreambuf_iterator<char>(made)), std::istreambuf_iterator<char>());
    ASSERT_GE(cau.size(), 53u);
    EXPECT_EQ(cau.substr(48, 5), std::string("Caf\xE9\0", 5));

    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(platform.runMessageLoop(), 0);
}

// The documents folder of a user whose shell folder is named in three
// scripts (set for the test in the Wine prefix's registry, then put back).
TEST(Win32Folders, DocumentsFolderInThreeScriptsComesBackWhole) {
    ThreeScriptFolder root;
    const wchar_t* shellFolders = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, shellFolders, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &key), ERROR_SUCCESS);
    std::vector<BYTE> old(65536);
    DWORD oldType = 0, oldSize = static_cast<DWORD>(old.size());
    const bool hadValue = RegQueryValueExW(key, L"Personal", nullptr, &oldType, old.data(), &oldSize) == ERROR_SUCCESS;

    const std::wstring documents = io::toWide(root.path);
    RegSetValueExW(key, L"Personal", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(documents.c_str()),
                   static_cast<DWORD>((documents.size() + 1) * sizeof(wchar_t)));
    Win32Platform platform(GetModuleHandleW(nullptr), SW_SHOWNOACTIVATE);
    const std::string found = platform.documentsFolder();

    if (hadValue)
        RegSetValueExW(key, L"Personal", 0, oldType, old.data(), oldSize);
    else
        RegDeleteValueW(key, L"Personal");
    RegCloseKey(key);
    EXPECT_EQ(found, root.path);
}

}  // namespace
