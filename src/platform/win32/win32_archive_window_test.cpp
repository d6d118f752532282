// Tests of the Windows archive window against Windows itself (under Wine
// here): virtual rows asked of the shell, header clicks and sort arrows,
// selection and keys, the filter field, drops on rows, accelerators through
// the message loop, the waveform, the progress line, the dialog of a line of
// text, the manifest, and the layout of both windows at another DPI.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <algorithm>
#include <cwctype>
#include <set>
#include <string>
#include <vector>

#include "app/command_ids.h"
#include "app/main_window.h"
#include "app/command_table.h"
#include "io/unicode_text.h"
#include "platform/win32/win32_archive_list.h"
#include "platform/win32/win32_archive_window.h"
#include "platform/win32/win32_dpi.h"
#include "platform/win32/win32_menu.h"
#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_waveform.h"

namespace {

using namespace sonkrate;
using namespace sonkrate::platform;
using namespace sonkrate::platform::win32;

// Everything the window tells the shell, as lines; cell texts name their cell.
class ArchiveSink : public ArchiveWindowSink {
public:
    std::string archiveCellText(int position, int column) override {
        ++cellsAsked;
        askedRows.insert(position);
        return "r" + std::to_string(position) + "c" + std::to_string(column);
    }
    RowMark archiveRowMark(int position) override { return position == 1 ? RowMark::Error : RowMark::None; }
    void onArchiveCommand(int id) override { add("command " + std::to_string(id)); }
    void onArchiveKey(ArchiveKey key, KeyPlace place) override {
        static const char* names[] = {"enter", "space", "escape", "down", "delete", "f2"};
        add(std::string("key ") + names[static_cast<int>(key)] + (place == KeyPlace::Filter ? " filter" : " table"));
    }
    void onArchiveHeaderClick(int column) override { add("header " + std::to_string(column)); }
    void onArchiveSelectionChanged() override { add("selection"); }
    void onArchiveRowActivated(int position) override { add("activated " + std::to_string(position)); }
    void onArchiveFilterChanged(const std::string& text) override { add("filter " + text); }
    void onWaveformClick(double fraction) override { add("wave-click " + std::to_string(fraction)); }
    void onWaveformResized(int columns) override { add("wave-columns " + std::to_string(columns)); }
    void onPlayOnSelectToggled(bool on) override { add(std::string("play-on-select ") + (on ? "on" : "off")); }
    void onArchiveCancel() override { add("cancel"); }
    void onArchiveFilesDropped(int position, const std::vector<std::string>& paths) override {
        for (const auto& p : paths) add("dropped " + std::to_string(position) + " " + p);
    }
    void onArchiveCloseRequest() override { add("close"); }
    ArchiveWindowFacts archiveWindowFacts() override { return {}; }

    void add(std::string event) { events.push_back(std::move(event)); }
    std::vector<std::string> events;
    int cellsAsked = 0;
    std::set<int> askedRows;
};

// The main window's sink: timer 2 ends the loop.
class MainSink : public EventSink {
public:
    explicit MainSink(Win32Platform& p) : platform_(p) {}
    void onCreate() override {}
    void onCommand(int, int) override {}
    void onTimer(int id) override {
        timers.push_back(id);
        platform_.stopTimer(id);
        platform_.postQuit(3);
    }
    void onTrackbarScroll() override {}
    void onLeftButtonUp() override {}
    void onMouseMove(int, int) override {}
    void onDestroy() override {}
    void onFilesDropped(const std::vector<std::string>&) override {}
    std::vector<int> timers;

private:
    Win32Platform& platform_;
};

const std::vector<MenuPopup>& archiveMenu() {
    static const std::vector<MenuPopup> menu = {
        {"&Archive",
         {{"&Export...", 901, false, "Ctrl+E"},
          {"&Verify", 902, false, "F5"},
          {"", 0},
          {"Select &all", 903, false, "Ctrl+A"},
          {"&Filter", 904, false, "Ctrl+F"},
          {"&Remove", 905, false, "Del"}}}};
    return menu;
}

ArchiveWindowDescription description() {
    static const char* titles[] = {"#",    "Name",   "ID",     "Length", "Rate",    "Ch",    "Bits",
                                   "Format", "Size", "Atten.", "Volume", "Caption", "Shared"};
    ArchiveWindowDescription d;
    d.title = "ambient.tpa - Sonkrate";
    for (int i = 0; i < 13; ++i) d.columns.push_back({titles[i], 40 + 10 * i, i == 0 || i == 3});
    d.menu = &archiveMenu();
    d.filterLabel = "Filter:";
    d.playOnSelectText = "Play on select";
    return d;
}

void pump() {
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&m);
        DispatchMessageW(&m);
    }
}

void setKeys(std::initializer_list<int> down) {
    BYTE keys[256] = {};
    for (int k : down) keys[k] = 0x80;
    SetKeyboardState(keys);
}

RECT rectIn(HWND child, HWND parent) {
    RECT r = {};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

std::wstring textOf(HWND h) {
    wchar_t text[256] = {};
    GetWindowTextW(h, text, 256);
    return text;
}

class ArchiveWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(platform.createMainWindow(app::mainWindowDescription(platform.screenSize()), mainSink),
                  WindowResult::Created);
        window = platform.archiveWindow(description(), sink);
        ASSERT_NE(window, nullptr);
        made = platform.archiveWindowMade();
        setKeys({});
    }
    void TearDown() override { setKeys({}); }
    HWND item(int id) const { return made->child(id); }
    HWND header() const { return reinterpret_cast<HWND>(SendMessageW(item(kArchiveList), LVM_GETHEADER, 0, 0)); }

    Win32Platform platform{GetModuleHandleW(nullptr), SW_SHOWNOACTIVATE};
    MainSink mainSink{platform};
    ArchiveSink sink;
    ArchiveWindow* window = nullptr;
    Win32ArchiveWindow* made = nullptr;
};

TEST_F(ArchiveWindowTest, OpensHiddenThenShowsFiftyThousandRowsAskingOnlyForTheCellsDrawn) {
    EXPECT_EQ(platform.archiveWindow(description(), sink), window) << "one window, kept";
    EXPECT_FALSE(window->isOpen());
    EXPECT_EQ(textOf(made->window()), L"ambient.tpa - Sonkrate");
    HWND list = item(kArchiveList);
    const LONG style = GetWindowLongW(list, GWL_STYLE);
    EXPECT_EQ(style & (LVS_TYPEMASK | LVS_OWNERDATA | LVS_SHOWSELALWAYS), LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS);
    const LRESULT extended = SendMessageW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
    EXPECT_EQ(extended & (LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER), LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);

    window->setRowCount(50000);
    window->show();
    pump();
    EXPECT_TRUE(window->isOpen());
    EXPECT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 50000);
    UpdateWindow(list);
    // Row 1 is marked as an error: drawn on its own background, row 0 on the list's.
    RECT rows[2] = {};
    for (int i = 0; i < 2; ++i) {
        rows[i].left = LVIR_BOUNDS;
        SendMessageW(list, LVM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&rows[i]));
    }
    HDC dc = GetDC(list);
    EXPECT_EQ(GetPixel(dc, rows[1].left + 3, (rows[1].top + rows[1].bottom) / 2), rowColours(RowMark::Error).background);
    EXPECT_EQ(GetPixel(dc, rows[0].left + 3, (rows[0].top + rows[0].bottom) / 2), GetSysColor(COLOR_WINDOW));
    ReleaseDC(list, dc);
    SendMessageW(list, LVM_ENSUREVISIBLE, 49999, FALSE);
    UpdateWindow(list);
    EXPECT_GT(sink.cellsAsked, 0) << "the rows were drawn";
    EXPECT_LT(sink.askedRows.size(), 200u) << "only the rows on screen are asked for";

    // Every column's cells are the sink's, behind the list view's empty first one.
    for (int column : {-1, 0, 1, 12}) {
        wchar_t text[64] = L"?";
        LVITEMW cell = {};
        cell.iSubItem = column + 1;
        cell.pszText = text;
        cell.cchTextMax = 64;
        SendMessageW(list, LVM_GETITEMTEXTW, 49999, reinterpret_cast<LPARAM>(&cell));
        EXPECT_EQ(std::wstring(text), column < 0 ? L"" : L"r49999c" + std::to_wstring(column));
    }
    window->close();
    EXPECT_FALSE(window->isOpen());
    EXPECT_NE(made->window(), nullptr) << "closing hides";
    SendMessageW(made->window(), WM_CLOSE, 0, 0);
    EXPECT_EQ(sink.events.back(), "close");
    EXPECT_TRUE(IsWindow(made->window())) << "the close box only asks the shell";
}

TEST_F(ArchiveWindowTest, ColumnsHaveTheirTitlesWidthsAndAlignment) {
    HWND list = item(kArchiveList);
    // The columns: titles, widths at 96 DPI, "#" aligned right; the empty one without width.
    ASSERT_EQ(SendMessageW(header(), HDM_GETITEMCOUNT, 0, 0), 14);
    EXPECT_EQ(SendMessageW(list, LVM_GETCOLUMNWIDTH, 0, 0), 0);
    for (int i : {0, 1, 3, 12}) {
        wchar_t title[32] = {};
        LVCOLUMNW column = {};
        column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
        column.pszText = title;
        column.cchTextMax = 32;
        ASSERT_TRUE(SendMessageW(list, LVM_GETCOLUMNW, i + 1, reinterpret_cast<LPARAM>(&column)));
        EXPECT_EQ(std::wstring(title), io::toWide(description().columns[static_cast<std::size_t>(i)].title));
        EXPECT_EQ(column.cx, scaledForDpi(40 + 10 * i, made->dpi()));
        EXPECT_EQ(column.fmt & LVCFMT_JUSTIFYMASK, (i == 0 || i == 3) ? LVCFMT_RIGHT : LVCFMT_LEFT) << i;
    }
}

TEST_F(ArchiveWindowTest, HeaderClicksKeysAndDoubleClicksReachTheShellAndSortArrowsShow) {
    window->setRowCount(20);
    window->show();
    pump();
    sink.events.clear();
    HWND list = item(kArchiveList);
    RECT third = {};
    SendMessageW(header(), HDM_GETITEMRECT, 4, reinterpret_cast<LPARAM>(&third));
    const LPARAM at = MAKELPARAM((third.left + third.right) / 2, (third.top + third.bottom) / 2);
    SendMessageW(header(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(header(), WM_LBUTTONUP, 0, at);

    for (WPARAM key : {VK_RETURN, VK_SPACE, VK_DELETE, VK_F2, VK_ESCAPE}) SendMessageW(list, WM_KEYDOWN, key, 0);
    RECT row = {};
    row.left = LVIR_BOUNDS;
    SendMessageW(list, LVM_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&row));
    SendMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(row.left + 30, (row.top + row.bottom) / 2));
    pump();
    std::vector<std::string> keys(sink.events.begin(), sink.events.end());
    keys.erase(std::remove(keys.begin(), keys.end(), "selection"), keys.end());
    EXPECT_EQ(keys, (std::vector<std::string>{"header 3", "key enter table", "key space table", "key delete table",
                                              "key f2 table", "key escape table", "activated 2"}));

    auto sortFlags = [&](int i) {
        HDITEMW h = {};
        h.mask = HDI_FORMAT;
        SendMessageW(header(), HDM_GETITEMW, i + 1, reinterpret_cast<LPARAM>(&h));
        return h.fmt & (HDF_SORTUP | HDF_SORTDOWN);
    };
    window->setSortIndicator(3, true);
    EXPECT_EQ(sortFlags(3), HDF_SORTDOWN);
    window->setSortIndicator(1, false);
    EXPECT_EQ(sortFlags(1), HDF_SORTUP);
    EXPECT_EQ(sortFlags(3), 0) << "one arrow at a time";
    window->setSortIndicator(-1, false);
    EXPECT_EQ(sortFlags(1), 0);

    // The empty first column's divider does not move; the others' do.
    NMHEADERW track = {};
    track.hdr.hwndFrom = header();
    track.hdr.code = HDN_BEGINTRACKW;
    EXPECT_EQ(SendMessageW(made->window(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&track)), TRUE);
    track.iItem = 2;
    EXPECT_EQ(SendMessageW(made->window(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&track)), FALSE);
}

TEST_F(ArchiveWindowTest, UsersSelectionIsToldOnceAndTheShellsOwnIsNot) {
    window->setRowCount(50000);
    window->show();
    pump();
    sink.events.clear();
    HWND list = item(kArchiveList);
    LVITEMW state = {};
    state.stateMask = state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(list, LVM_SETITEMSTATE, 5, reinterpret_cast<LPARAM>(&state));
    pump();
    EXPECT_EQ(sink.events, std::vector<std::string>{"selection"});
    EXPECT_EQ(window->selectedRows(), std::vector<int>{5});
    EXPECT_EQ(window->focusedRow(), 5);

    sink.events.clear();
    SendMessageW(list, WM_KEYDOWN, VK_DOWN, 0);
    pump();
    EXPECT_EQ(sink.events, std::vector<std::string>{"selection"}) << "one move, told once";
    EXPECT_EQ(window->selectedRows(), std::vector<int>{6});
    setKeys({VK_SHIFT});
    SendMessageW(list, WM_KEYDOWN, VK_DOWN, 0);
    setKeys({});
    pump();
    EXPECT_EQ(window->selectedRows(), (std::vector<int>{6, 7}));
    EXPECT_EQ(window->focusedRow(), 7);

    sink.events.clear();
    window->selectRows({1, 3, 40000}, 40000);
    pump();
    EXPECT_TRUE(sink.events.empty());
    EXPECT_EQ(window->selectedRows(), (std::vector<int>{1, 3, 40000}));
    EXPECT_EQ(window->focusedRow(), 40000);
    std::vector<int> all(50000);
    for (int i = 0; i < 50000; ++i) all[static_cast<std::size_t>(i)] = i;
    window->selectRows(all, 0);
    EXPECT_EQ(window->selectedRows().size(), 50000u);
    window->setRowCount(10);
    pump();
    EXPECT_TRUE(window->selectedRows().empty()) << "new rows, no old selection";
    EXPECT_EQ(window->focusedRow(), -1);
    EXPECT_TRUE(sink.events.empty());
}

TEST_F(ArchiveWindowTest, FilterFieldCheckBoxProgressAndTextsWork) {
    window->show();
    pump();
    sink.events.clear();
    HWND filter = item(kArchiveFilter);
    EXPECT_EQ(textOf(item(kArchiveFilterLabel)), L"Filter:");
    SetWindowTextW(filter, L"T\u00fcr");
    window->setFilterText("wind");
    EXPECT_EQ(window->filterText(), "wind");
    for (WPARAM key : {VK_ESCAPE, VK_DOWN, VK_RETURN}) SendMessageW(filter, WM_KEYDOWN, key, 0);
    SendMessageW(item(kArchivePlayOnSelect), BM_CLICK, 0, 0);
    window->setPlayOnSelect(false);
    EXPECT_EQ(SendMessageW(item(kArchivePlayOnSelect), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(sink.events, (std::vector<std::string>{"filter T\xC3\xBCr", "key escape filter", "key down filter",
                                                     "key enter filter", "play-on-select on"}));

    const RECT tableBefore = rectIn(item(kArchiveList), made->window());
    EXPECT_FALSE(IsWindowVisible(item(kArchiveProgressBar)));
    window->showProgress("Exporting 3 of 10", 3, 10);
    EXPECT_TRUE(IsWindowVisible(item(kArchiveProgressBar)));
    EXPECT_EQ(SendMessageW(item(kArchiveProgressBar), PBM_GETPOS, 0, 0), 3);
    EXPECT_EQ(SendMessageW(item(kArchiveProgressBar), PBM_GETRANGE, FALSE, 0), 10);
    EXPECT_EQ(textOf(item(kArchiveProgressText)), L"Exporting 3 of 10");
    EXPECT_LT(rectIn(item(kArchiveList), made->window()).bottom, tableBefore.bottom) << "the table makes room";
    sink.events.clear();
    SendMessageW(item(kArchiveCancel), BM_CLICK, 0, 0);
    EXPECT_EQ(sink.events, std::vector<std::string>{"cancel"});
    window->endProgress();
    EXPECT_FALSE(IsWindowVisible(item(kArchiveCancel)));
    EXPECT_EQ(rectIn(item(kArchiveList), made->window()).bottom, tableBefore.bottom);

    // Leaving the window and coming back gives the keys to the same field.
    window->focusFilter();
    SendMessageW(made->window(), WM_ACTIVATE, WA_INACTIVE, 0);
    SetFocus(nullptr);
    SendMessageW(made->window(), WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_EQ(GetFocus(), filter);

    window->setStatus("27 sounds, 26 named, 1 unknown, 1.7 MB");
    wchar_t status[64] = {};
    SendMessageW(item(kArchiveStatus), SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(status));
    EXPECT_EQ(std::wstring(status), L"27 sounds, 26 named, 1 unknown, 1.7 MB");
    window->setDetails("0:00.000 - 0:01.500  Door\n0:01.500 - 0:02.000  (pause)");
    EXPECT_EQ(textOf(item(kArchiveDetails)), L"0:00.000 - 0:01.500  Door\r\n0:01.500 - 0:02.000  (pause)");
    EXPECT_EQ(SendMessageW(item(kArchiveDetails), EM_GETLINECOUNT, 0, 0), 2);
}

// A drop as Explorer hands it over, at a point of the window's client area.
HGLOBAL dropAt(POINT at, const std::wstring& path) {
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + (path.size() + 2) * sizeof(wchar_t));
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->pt = at;
    drop->fWide = TRUE;
    std::copy(path.begin(), path.end(), reinterpret_cast<wchar_t*>(drop + 1));
    GlobalUnlock(memory);
    return memory;
}

TEST_F(ArchiveWindowTest, FilesDroppedOnARowNameTheRow) {
    window->setRowCount(4);
    window->show();
    pump();
    sink.events.clear();
    EXPECT_NE(GetWindowLongW(made->window(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES, 0);
    HWND list = item(kArchiveList);
    RECT row = {};
    row.left = LVIR_BOUNDS;
    SendMessageW(list, LVM_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&row));
    POINT onRow = {row.left + 20, (row.top + row.bottom) / 2};
    MapWindowPoints(list, made->window(), &onRow, 1);
    SendMessageW(made->window(), WM_DROPFILES, reinterpret_cast<WPARAM>(dropAt(onRow, L"C:\\T\u00fcr.cau")), 0);
    const RECT table = rectIn(list, made->window());
    POINT below = {table.left + 20, table.bottom - 10};
    SendMessageW(made->window(), WM_DROPFILES, reinterpret_cast<WPARAM>(dropAt(below, L"C:\\b.wav")), 0);
    POINT onFilter = {rectIn(item(kArchiveFilter), made->window()).left + 5, 12};
    SendMessageW(made->window(), WM_DROPFILES, reinterpret_cast<WPARAM>(dropAt(onFilter, L"C:\\c.wav")), 0);
    EXPECT_EQ(sink.events, (std::vector<std::string>{"dropped 2 C:\\T\xC3\xBCr.cau", "dropped -1 C:\\b.wav",
                                                     "dropped -1 C:\\c.wav"}));
}

TEST_F(ArchiveWindowTest, AcceleratorsOfTheMenuBecomeCommandsInTheMessageLoop) {
    HMENU popup = GetSubMenu(GetMenu(made->window()), 0);
    ASSERT_NE(popup, nullptr);
    wchar_t text[64] = {};
    GetMenuStringW(popup, 0, text, 64, MF_BYPOSITION);
    EXPECT_EQ(std::wstring(text), L"&Export...\tCtrl+E");
    EXPECT_NE(GetMenuState(popup, 2, MF_BYPOSITION) & MF_SEPARATOR, 0u);

    window->setRowCount(5);
    window->show();
    pump();
    sink.events.clear();
    HWND list = item(kArchiveList), filter = item(kArchiveFilter);
    // With Ctrl held: Ctrl+E and Ctrl+A in the table are commands; Ctrl+A
    // in the filter field stays the field's.
    setKeys({VK_CONTROL});
    PostMessageW(list, WM_KEYDOWN, 'E', 0);
    PostMessageW(list, WM_KEYDOWN, 'A', 0);
    PostMessageW(filter, WM_KEYDOWN, 'A', 0);
    PostQuitMessage(0);
    EXPECT_EQ(platform.runMessageLoop(), 0);
    setKeys({});
    // A grayed item's key does nothing (verify while it runs).
    platform.setMenuItemEnabled(902, false);
    EXPECT_NE(GetMenuState(popup, 902, MF_BYCOMMAND) & MF_GRAYED, 0u);
    PostMessageW(list, WM_KEYDOWN, VK_F5, 0);
    PostQuitMessage(0);
    EXPECT_EQ(platform.runMessageLoop(), 0);
    platform.setMenuItemEnabled(902, true);
    PostMessageW(list, WM_KEYDOWN, VK_F5, 0);
    PostMessageW(filter, WM_KEYDOWN, VK_DELETE, 0);
    PostMessageW(list, WM_KEYDOWN, VK_DELETE, 0);
    PostQuitMessage(0);
    EXPECT_EQ(platform.runMessageLoop(), 0);
    std::vector<std::string> commands;
    for (const auto& e : sink.events)
        if (e.rfind("command", 0) == 0) commands.push_back(e);
    EXPECT_EQ(commands, (std::vector<std::string>{"command 901", "command 903", "command 902", "command 905"}));

    // The archive window's timer reaches the main window's sink.
    platform.startTimer(kArchiveTimer, 10);
    EXPECT_EQ(platform.runMessageLoop(), 3);
    EXPECT_EQ(mainSink.timers, std::vector<int>{kArchiveTimer});
}

TEST_F(ArchiveWindowTest, AnItemGreyedByTheShellReadsGrayedAndItsAcceleratorSendsNothing) {
    HMENU popup = GetSubMenu(GetMenu(made->window()), 0);
    ASSERT_NE(popup, nullptr);
    window->setRowCount(5);
    window->show();
    pump();
    sink.events.clear();
    HWND list = item(kArchiveList);
    window->setCommandEnabled(902, false);
    window->setCommandEnabled(905, false);
    EXPECT_EQ(GetMenuState(popup, 902, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED), static_cast<UINT>(MF_GRAYED));
    EXPECT_NE(GetMenuState(popup, 905, MF_BYCOMMAND) & MF_GRAYED, 0u);
    EXPECT_EQ(GetMenuState(popup, 901, MF_BYCOMMAND) & MF_GRAYED, 0u) << "the others stay";
    // The divider keeps its place: greying by command touches no separator.
    EXPECT_NE(GetMenuState(popup, 2, MF_BYPOSITION) & MF_SEPARATOR, 0u);
    // F5 and Delete reach no command; Ctrl+E, which stays usable, does.
    PostMessageW(list, WM_KEYDOWN, VK_F5, 0);
    PostMessageW(list, WM_KEYDOWN, VK_DELETE, 0);
    setKeys({VK_CONTROL});
    PostMessageW(list, WM_KEYDOWN, 'E', 0);
    PostQuitMessage(0);
    EXPECT_EQ(platform.runMessageLoop(), 0);
    setKeys({});
    std::vector<std::string> commands;
    for (const auto& e : sink.events)
        if (e.rfind("command", 0) == 0) commands.push_back(e);
    EXPECT_EQ(commands, std::vector<std::string>{"command 901"});
    // Usable again.
    window->setCommandEnabled(902, true);
    EXPECT_EQ(GetMenuState(popup, 902, MF_BYCOMMAND) & MF_GRAYED, 0u);
    sink.events.clear();
    PostMessageW(list, WM_KEYDOWN, VK_F5, 0);
    PostQuitMessage(0);
    EXPECT_EQ(platform.runMessageLoop(), 0);
    EXPECT_NE(std::find(sink.events.begin(), sink.events.end(), "command 902"), sink.events.end());
}

TEST(ArchiveRows, EveryMarkHasItsOwnLook) {
    std::set<COLORREF> backgrounds;
    for (RowMark mark : {RowMark::Warning, RowMark::Error, RowMark::Changed, RowMark::Added}) {
        const RowColours c = rowColours(mark);
        EXPECT_TRUE(c.own);
        EXPECT_NE(c.background, GetSysColor(COLOR_WINDOW));
        backgrounds.insert(c.background);
    }
    EXPECT_EQ(backgrounds.size(), 4u);
    EXPECT_NE(rowColours(RowMark::Removed).text, GetSysColor(COLOR_WINDOWTEXT)) << "removed rows greyed";
    EXPECT_FALSE(rowColours(RowMark::None).own);
}

TEST(ArchiveMenus, ShortcutsBecomeAccelerators) {
    auto is = [](std::optional<ACCEL> a, BYTE flags, WORD key) {
        return a && a->fVirt == flags && a->key == key && a->cmd == 7;
    };
    EXPECT_TRUE(is(acceleratorOf("Ctrl+E", 7), FVIRTKEY | FCONTROL, 'E'));
    EXPECT_TRUE(is(acceleratorOf("Ctrl+Shift+S", 7), FVIRTKEY | FCONTROL | FSHIFT, 'S'));
    EXPECT_TRUE(is(acceleratorOf("ctrl+a", 7), FVIRTKEY | FCONTROL, 'A'));
    EXPECT_TRUE(is(acceleratorOf("F5", 7), FVIRTKEY, VK_F5));
    EXPECT_TRUE(is(acceleratorOf("F12", 7), FVIRTKEY, VK_F12));
    EXPECT_TRUE(is(acceleratorOf("Del", 7), FVIRTKEY, VK_DELETE));
    EXPECT_TRUE(is(acceleratorOf("Alt+Enter", 7), FVIRTKEY | FALT, VK_RETURN));
    for (const char* wrong : {"", "F0", "F25", "Hyper+E", "Ctrl+", "Ctrl+EE"})
        EXPECT_FALSE(acceleratorOf(wrong, 7)) << wrong;
    EXPECT_FALSE(acceleratorOf("F5", 0)) << "no command";
}

TEST_F(ArchiveWindowTest, WaveformTellsItsWidthWhenShownAndWhereItWasClicked) {
    HWND wave = item(kArchiveWaveform);
    EXPECT_TRUE(sink.events.empty()) << "nothing told while hidden";
    window->show();
    pump();
    RECT client = {};
    GetClientRect(wave, &client);
    ASSERT_GT(client.right, 100);
    EXPECT_EQ(rectIn(wave, made->window()).bottom - rectIn(wave, made->window()).top - 4,
              scaledForDpi(100, made->dpi()) - 4);
    EXPECT_EQ(sink.events, std::vector<std::string>{"wave-columns " + std::to_string(client.right)});
    sink.events.clear();
    RECT outer = {};
    GetWindowRect(made->window(), &outer);
    SetWindowPos(made->window(), nullptr, 0, 0, outer.right - outer.left + 50, outer.bottom - outer.top,
                 SWP_NOMOVE | SWP_NOZORDER);
    SendMessageW(wave, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(0, 10));
    SendMessageW(wave, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(client.right + 50 - 1, 10));
    EXPECT_EQ(sink.events, (std::vector<std::string>{"wave-columns " + std::to_string(client.right + 50),
                                                     "wave-click 0.000000", "wave-click 1.000000"}));
    EXPECT_DOUBLE_EQ(waveformFraction(50, 101), 0.5);
    EXPECT_DOUBLE_EQ(waveformFraction(-3, 101), 0.0);
    EXPECT_EQ(waveformCursorColumn(500, 1000, 101), 50);
    EXPECT_EQ(waveformCursorColumn(1000, 1000, 101), 100);
    EXPECT_EQ(waveformCursorColumn(1001, 1000, 101), -1);
    EXPECT_EQ(waveformCursorColumn(5, 0, 101), -1);
}

// Two channels stacked in 4 x 40 pixels: a loud first column in channel 0,
// silence in channel 1, the cursor at the last column.
TEST(Waveform, ChannelsAreStackedAndTheCursorDrawn) {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 4, 40);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    WaveformPicture picture;
    picture.columns = 4;
    picture.channels = 2;
    picture.durationMs = 300;
    picture.peaks.resize(8);
    picture.peaks[0] = {-32768, 32767};  // column 0, channel 0: the whole band
    picture.peaks[2] = {0, 16384};       // column 1, channel 0: the upper quarter
    paintWaveform(dc, RECT{0, 0, 4, 40}, picture, 300);
    const COLORREF wave = RGB(0, 90, 180), white = RGB(255, 255, 255), cursor = RGB(220, 30, 30);
    EXPECT_EQ(GetPixel(dc, 0, 1), wave);
    EXPECT_EQ(GetPixel(dc, 0, 18), wave);
    EXPECT_EQ(GetPixel(dc, 0, 25), white) << "channel 1 is silent";
    EXPECT_EQ(GetPixel(dc, 1, 7), wave);
    EXPECT_EQ(GetPixel(dc, 1, 3), white) << "16384 reaches half way up";
    EXPECT_EQ(GetPixel(dc, 3, 5), cursor);
    EXPECT_EQ(GetPixel(dc, 3, 35), cursor);
    EXPECT_EQ(GetPixel(dc, 2, 35), white);
    // At 200 % the cursor is two pixels wide, and stays inside the view.
    paintWaveform(dc, RECT{0, 0, 4, 40}, picture, 300, 2);
    EXPECT_EQ(GetPixel(dc, 2, 35), cursor);
    EXPECT_EQ(GetPixel(dc, 3, 35), cursor);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
}

// The dialog of a line of text, answered by a timer that runs in its loop.
HWND gTextDialog = nullptr;
void CALLBACK answerTextDialog(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND dialog = FindWindowW(L"#32770", L"Guess names");
    if (!dialog) return;
    KillTimer(nullptr, timer);
    gTextDialog = dialog;
    SetDlgItemTextW(dialog, 101, L"Ambient_\u00e9*");
    SendMessageW(dialog, WM_COMMAND, IDOK, 0);
}
void CALLBACK cancelTextDialog(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND dialog = FindWindowW(L"#32770", L"Guess names");
    if (!dialog) return;
    KillTimer(nullptr, timer);
    SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
}

TEST_F(ArchiveWindowTest, AskTextShowsThePromptAndGivesTheTypedLine) {
    window->show();
    pump();
    SetTimer(nullptr, 0, 30, answerTextDialog);
    std::optional<std::string> typed = window->askText("Guess names", "Pattern of names:", "Ambient_*");
    ASSERT_TRUE(typed);
    EXPECT_EQ(*typed, "Ambient_\xC3\xA9*");
    EXPECT_NE(gTextDialog, nullptr);
    SetTimer(nullptr, 0, 30, cancelTextDialog);
    EXPECT_FALSE(window->askText("Guess names", "Pattern of names:", "x"));
}

// The folder dialog, closed by a timer that runs in its loop once it has
// come up under its title.
bool gFolderDialogSeen = false;
void CALLBACK cancelFolderDialog(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND dialog = FindWindowW(nullptr, L"Find names in the game's folder");
    if (!dialog) return;
    KillTimer(nullptr, timer);
    gFolderDialogSeen = IsWindowVisible(dialog) != FALSE;
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
}

TEST_F(ArchiveWindowTest, ChooseFolderComesUpAndGivesNothingWhenCancelled) {
    window->show();
    pump();
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    SetTimer(nullptr, 0, 50, cancelFolderDialog);
    EXPECT_FALSE(window->chooseFolder("Find names in the game's folder", io::fromWide(temp)));
    EXPECT_TRUE(gFolderDialogSeen);
}

TEST(Win32Resources, ManifestAsksForCommonControlsSixAndPerMonitorDpi) {
    HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    ASSERT_NE(found, nullptr);
    const char* bytes = static_cast<const char*>(LockResource(LoadResource(nullptr, found)));
    const std::string manifest(bytes, SizeofResource(nullptr, found));
    for (const char* part : {"Microsoft.Windows.Common-Controls", "version=\"6.0.0.0\"", "6595b64144ccf1df",
                             "<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true/pm<",
                             ">PerMonitorV2, PerMonitor</dpiAwareness>"})
        EXPECT_NE(manifest.find(part), std::string::npos) << part;

    // The process runs with the common controls the manifest asked for:
    // Windows' comctl32 of version 6 says so; Wine's says 5.81 in either
    // form, but loads version 6 from its side-by-side assembly.
    InitCommonControls();
    HMODULE comctl = GetModuleHandleW(L"comctl32.dll");
    ASSERT_NE(comctl, nullptr);
    auto getVersion = reinterpret_cast<HRESULT(CALLBACK*)(DLLVERSIONINFO*)>(
        reinterpret_cast<void*>(GetProcAddress(comctl, "DllGetVersion")));
    ASSERT_NE(getVersion, nullptr);
    DLLVERSIONINFO version = {};
    version.cbSize = sizeof version;
    ASSERT_EQ(getVersion(&version), S_OK);
    wchar_t file[MAX_PATH] = {};
    GetModuleFileNameW(comctl, file, MAX_PATH);
    std::wstring path = file;
    for (wchar_t& c : path) c = static_cast<wchar_t>(std::towlower(c));
    const bool sideBySideSix = path.find(L"microsoft.windows.common-controls_6595b64144ccf1df_6.") != std::wstring::npos;
    EXPECT_TRUE(version.dwMajorVersion >= 6 || sideBySideSix)
        << "comctl32 " << version.dwMajorVersion << "." << version.dwMinorVersion << " from "
        << std::string(path.begin(), path.end());
}

TEST(Dpi, LengthsScaleFromNinetySixDpi) {
    EXPECT_EQ(scaledForDpi(100, 96), 100);
    EXPECT_EQ(scaledForDpi(100, 192), 200);
    EXPECT_EQ(scaledForDpi(100, 144), 150);
    EXPECT_EQ(scaledForDpi(15, 120), 19);   // 18.75
    EXPECT_EQ(scaledForDpi(6, 120), 8);     // 7.5 rounds up
    EXPECT_EQ(scaledForDpi(-11, 192), -22);
    EXPECT_EQ(scaledForDpi(-6, 120), -8);
    EXPECT_EQ(scaledForDpi(37, 0), 37) << "an unknown DPI scales nothing";
    const RECT r = scaledRect(9, 96, 452, 32, 144);
    EXPECT_EQ(r.left, 14);   // 13.5
    EXPECT_EQ(r.top, 144);
    EXPECT_EQ(r.right - r.left, 678);
    EXPECT_EQ(r.bottom - r.top, 48);

    // The archive window at 200 % in a client twice as large: every place twice as far.
    const ArchiveLayout at96 = archiveLayout(900, 600, 22, true, 96);
    const ArchiveLayout at192 = archiveLayout(1800, 1200, 44, true, 192);
    const RECT ArchiveLayout::*parts[] = {&ArchiveLayout::filterLabel, &ArchiveLayout::filter,
                                          &ArchiveLayout::playOnSelect, &ArchiveLayout::table,
                                          &ArchiveLayout::waveform,     &ArchiveLayout::details,
                                          &ArchiveLayout::progressText, &ArchiveLayout::progressBar,
                                          &ArchiveLayout::cancel};
    for (auto part : parts) {
        const RECT a = at96.*part, b = at192.*part;
        EXPECT_TRUE(b.left == 2 * a.left && b.top == 2 * a.top && b.right == 2 * a.right && b.bottom == 2 * a.bottom);
    }
    EXPECT_EQ(at96.waveform.bottom - at96.waveform.top, 100);
    EXPECT_EQ(archiveLayout(900, 600, 22, false, 96).details.bottom, 600 - 22 - 6) << "no progress line";
}

int fontHeight(HFONT font) {
    LOGFONTW f = {};
    GetObjectW(font ? font : GetStockObject(SYSTEM_FONT), sizeof f, &f);
    return f.lfHeight;
}

// The main window on a monitor of 200 %: every control twice as far and as
// large, its font twice as high, the images twice as large; back at 100 %
// exactly as the table gives them.
TEST(Dpi, MainWindowFollowsItsMonitorsDpi) {
    if (systemDpi() != 96) GTEST_SKIP() << "the stock fonts are at " << systemDpi() << " DPI";
    Win32Platform platform(GetModuleHandleW(nullptr), SW_SHOWNOACTIVATE);
    MainSink sink(platform);
    ASSERT_EQ(platform.createMainWindow(app::mainWindowDescription(platform.screenSize()), sink),
              WindowResult::Created);
    EXPECT_EQ(platform.mainWindowDpi(), 96);
    for (const auto& c : app::controlTable()) platform.createControl(c);
    HWND main = platform.mainWindow();
    const int stockHeight = fontHeight(static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
    const int systemHeight = fontHeight(static_cast<HFONT>(GetStockObject(SYSTEM_FONT)));
    for (int dpi : {192, 96}) {
        RECT suggested = {10, 20, 10 + 2 * 476, 20 + 2 * 326};
        SendMessageW(main, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
        const int f = dpi / 96;
        RECT outer = {};
        GetWindowRect(main, &outer);
        EXPECT_EQ(outer.left, 10);
        EXPECT_EQ(outer.right - outer.left, 2 * 476);
        for (const auto& c : app::controlTable()) {
            SCOPED_TRACE("control " + std::to_string(c.id) + " at " + std::to_string(dpi));
            HWND h = GetDlgItem(main, c.id);
            const RECT r = rectIn(h, main);
            EXPECT_EQ(r.left, f * c.x);
            EXPECT_EQ(r.top, f * c.y);
            EXPECT_EQ(r.right - r.left, f * c.width);
            if (c.kind != ControlKind::ListBox) {
                EXPECT_EQ(r.bottom - r.top, f * c.height);
            }
            auto font = reinterpret_cast<HFONT>(SendMessageW(h, WM_GETFONT, 0, 0));
            if (c.guiFont) {
                EXPECT_EQ(fontHeight(font), f * stockHeight);
            }
            if (c.guiFont && dpi == 96) {
                EXPECT_EQ(font, GetStockObject(DEFAULT_GUI_FONT));
            }
            const bool textless = c.kind == ControlKind::Bitmap || c.kind == ControlKind::Trackbar ||
                                  c.kind == ControlKind::ProgressBar;
            if (!c.guiFont && !textless) {
                EXPECT_EQ(fontHeight(font), f * systemHeight);
                if (dpi == 96) {
                    EXPECT_EQ(font, nullptr) << "the system font itself";
                }
            }
        }
    }
}

TEST_F(ArchiveWindowTest, ArchiveWindowFollowsItsMonitorsDpi) {
    window->show();
    pump();
    ASSERT_EQ(made->dpi(), 96);
    HWND list = item(kArchiveList);
    const int filterHeight = rectIn(item(kArchiveFilter), made->window()).bottom -
                             rectIn(item(kArchiveFilter), made->window()).top;
    const int nameWidth = static_cast<int>(SendMessageW(list, LVM_GETCOLUMNWIDTH, 2, 0));
    const int font96 = fontHeight(reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0)));
    RECT suggested = {0, 0, 1800, 1200};
    SendMessageW(made->window(), WM_DPICHANGED, MAKEWPARAM(192, 192), reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(made->dpi(), 192);
    const RECT filter = rectIn(item(kArchiveFilter), made->window());
    EXPECT_EQ(filter.bottom - filter.top, 2 * filterHeight);
    EXPECT_EQ(filter.left, 16 + 80 + 12) << "margin, label and gap at 200 %";
    const RECT wave = rectIn(item(kArchiveWaveform), made->window());
    EXPECT_EQ(wave.bottom - wave.top, 200);
    EXPECT_EQ(SendMessageW(list, LVM_GETCOLUMNWIDTH, 2, 0), 2 * nameWidth);
    EXPECT_EQ(SendMessageW(list, LVM_GETCOLUMNWIDTH, 0, 0), 0);
    const int font192 = fontHeight(reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0)));
    EXPECT_NEAR(font192, 2 * font96, 1);
}

}  // namespace
