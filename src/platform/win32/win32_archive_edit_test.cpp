// Tests of editing in the Windows archive window against Windows itself
// (under Wine here): the in-place editor over a cell, its keys and every
// way it ends, the slow second click that asks to edit, and the dialogs of
// editing (files to add, a file to save to, a question, a message, several
// lines of text). Dialogs are answered by timers that run in their loops;
// every wait is bounded.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <dlgs.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "io/unicode_text.h"
#include "platform/win32/win32_archive_window.h"
#include "platform/win32/win32_dialogs.h"
#include "platform/win32/win32_file_dialog.h"
#include "platform/win32/win32_platform.h"

namespace {

using namespace sonkrate;
using namespace sonkrate::platform;
using namespace sonkrate::platform::win32;

class EditSink : public ArchiveWindowSink {
public:
    std::string archiveCellText(int position, int column) override {
        return "r" + std::to_string(position) + "c" + std::to_string(column);
    }
    RowMark archiveRowMark(int) override { return RowMark::None; }
    void onArchiveCommand(int id) override { add("command " + std::to_string(id)); }
    void onArchiveKey(ArchiveKey, KeyPlace) override {}
    void onArchiveHeaderClick(int column) override { add("header " + std::to_string(column)); }
    void onArchiveSelectionChanged() override {}
    void onArchiveRowActivated(int position) override { add("activated " + std::to_string(position)); }
    void onArchiveFilterChanged(const std::string&) override {}
    void onWaveformClick(double) override {}
    void onWaveformResized(int) override {}
    void onPlayOnSelectToggled(bool) override {}
    void onArchiveCancel() override {}
    void onArchiveFilesDropped(int, const std::vector<std::string>&) override {}
    void onArchiveCloseRequest() override {}
    void onArchiveEditRequest(int position, int column) override {
        add("edit-request " + std::to_string(position) + " " + std::to_string(column));
    }
    void onArchiveCellEdited(int position, int column, const std::string& text) override {
        add("edited " + std::to_string(position) + " " + std::to_string(column) + " " + text);
    }
    ArchiveWindowFacts archiveWindowFacts() override { return {}; }

    void add(std::string event) { events.push_back(std::move(event)); }
    std::vector<std::string> events;
};

class QuietMainSink : public EventSink {
public:
    void onCreate() override {}
    void onCommand(int, int) override {}
    void onTimer(int) override {}
    void onTrackbarScroll() override {}
    void onLeftButtonUp() override {}
    void onMouseMove(int, int) override {}
    void onDestroy() override {}
    void onFilesDropped(const std::vector<std::string>&) override {}
};

const std::vector<MenuPopup>& editMenu() {
    static const std::vector<MenuPopup> menu = {
        {"&Edit",
         {{"&Undo", 905, false, "Ctrl+Z"},
          {"&Remove", 906, false, "Del"},
          {"Re&name", 907, false, "F2"},
          {"&Save", 908, false, "Ctrl+S"}}}};
    return menu;
}

ArchiveWindowDescription description() {
    static const char* titles[] = {"#", "Name", "ID", "Atten."};
    ArchiveWindowDescription d;
    d.title = "ambient.tpa - Sonkrate";
    for (int i = 0; i < 4; ++i) d.columns.push_back({titles[i], 90, i == 0 || i == 3});
    d.menu = &editMenu();
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

// Pumps messages for ms milliseconds, or until done holds.
bool pumpFor(DWORD ms, const std::function<bool()>& done = {}) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
        pump();
        if (done && done()) return true;
        Sleep(10);
    }
    pump();
    return done && done();
}

void setKeys(std::initializer_list<int> down) {
    BYTE keys[256] = {};
    for (int k : down) keys[k] = 0x80;
    SetKeyboardState(keys);
}

std::wstring textOf(HWND h) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(h)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(h, text.data(), static_cast<int>(text.size()))));
    return text;
}

RECT cellRect(HWND list, int row, int column) {
    RECT r = {};
    r.top = column + 1;
    r.left = LVIR_BOUNDS;
    SendMessageW(list, LVM_GETSUBITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&r));
    return r;
}

class ArchiveEditTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(platform.createMainWindow(app::mainWindowDescription(platform.screenSize()), mainSink),
                  WindowResult::Created);
        window = platform.archiveWindow(description(), sink);
        ASSERT_NE(window, nullptr);
        made = platform.archiveWindowMade();
        setKeys({});
        window->setRowCount(40);
        window->show();
        pump();
        list = made->child(kArchiveList);
        SetFocus(list);
        pump();
        sink.events.clear();
    }
    void TearDown() override { setKeys({}); }
    // Runs the program's message loop (accelerators and all) over what was posted.
    void runLoop() {
        PostQuitMessage(0);
        platform.runMessageLoop();
    }
    void click(int row, int column) {
        const RECT r = cellRect(list, row, column);
        const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageW(list, WM_LBUTTONUP, 0, at);
    }

    Win32Platform platform{GetModuleHandleW(nullptr), SW_SHOWNOACTIVATE};
    QuietMainSink mainSink;
    EditSink sink;
    ArchiveWindow* window = nullptr;
    Win32ArchiveWindow* made = nullptr;
    HWND list = nullptr;
};

TEST_F(ArchiveEditTest, EditorLiesOverTheCellWithItsTextSelectedAndEnterGivesWhatWasTyped) {
    window->editCell(2, 1, "door_open");
    HWND edit = made->cellEditor();
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(GetParent(edit), list);
    EXPECT_TRUE(IsWindowVisible(edit));
    RECT placed = {};
    GetWindowRect(edit, &placed);
    MapWindowPoints(nullptr, list, reinterpret_cast<POINT*>(&placed), 2);
    const RECT cell = cellRect(list, 2, 1);
    EXPECT_TRUE(EqualRect(&placed, &cell)) << placed.left << "," << placed.top << " " << placed.right << ","
                                           << placed.bottom << " over the cell " << cell.left << "," << cell.top
                                           << " " << cell.right << "," << cell.bottom;
    EXPECT_EQ(textOf(edit), L"door_open");
    DWORD from = 1, to = 0;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
    EXPECT_EQ(from, 0u);
    EXPECT_EQ(to, 9u);
    EXPECT_EQ(GetFocus(), edit);
    EXPECT_EQ(GetWindowLongW(edit, GWL_STYLE) & ES_RIGHT, 0);

    for (wchar_t c : std::wstring(L"w\u00fcnd")) SendMessageW(edit, WM_CHAR, c, 0);
    SendMessageW(edit, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(sink.events, std::vector<std::string>{"edited 2 1 w\xC3\xBCnd"});
    EXPECT_EQ(made->cellEditor(), nullptr);
    EXPECT_EQ(GetFocus(), list) << "the table has the keys again";
    pumpFor(500, [&] { return !IsWindow(edit); });
    EXPECT_FALSE(IsWindow(edit));

    // A number's cell: aligned right. Escape closes it, telling nothing.
    sink.events.clear();
    window->editCell(30, 3, "1.5");
    edit = made->cellEditor();
    ASSERT_NE(edit, nullptr);
    EXPECT_NE(GetWindowLongW(edit, GWL_STYLE) & ES_RIGHT, 0);
    RECT row30 = cellRect(list, 30, 3);
    RECT client = {};
    GetClientRect(list, &client);
    EXPECT_TRUE(row30.top >= 0 && row30.bottom <= client.bottom) << "scrolled into view";
    SendMessageW(edit, WM_CHAR, L'7', 0);
    SendMessageW(edit, WM_KEYDOWN, VK_ESCAPE, 0);
    pump();
    EXPECT_TRUE(sink.events.empty());
    EXPECT_EQ(made->cellEditor(), nullptr);
    // Nothing opens past the rows, nor while the window is hidden.
    window->editCell(40, 1, "x");
    EXPECT_EQ(made->cellEditor(), nullptr);
    window->close();
    window->editCell(1, 1, "x");
    EXPECT_EQ(made->cellEditor(), nullptr);
}

TEST_F(ArchiveEditTest, KeysInTheEditorEditItsTextAndEveryWayOutButEscapeKeepsIt) {
    window->editCell(1, 1, "abc");
    HWND edit = made->cellEditor();
    ASSERT_NE(edit, nullptr);
    SendMessageW(edit, EM_SETSEL, 0, 0);
    // Delete, F2 and Ctrl+Z edit the text; no accelerator takes them.
    PostMessageW(edit, WM_KEYDOWN, VK_DELETE, 0);
    PostMessageW(edit, WM_KEYDOWN, VK_F2, 0);
    runLoop();
    EXPECT_EQ(textOf(edit), L"bc");
    setKeys({VK_CONTROL});
    PostMessageW(edit, WM_KEYDOWN, 'Z', 0);
    runLoop();
    setKeys({});
    EXPECT_TRUE(sink.events.empty()) << sink.events.front();
    ASSERT_EQ(made->cellEditor(), edit);
    EXPECT_EQ(textOf(edit), L"abc") << "Ctrl+Z undid the Delete";
    SetWindowTextW(edit, L"bc");
    // A command (Ctrl+S) comes after what was typed.
    setKeys({VK_CONTROL});
    PostMessageW(edit, WM_KEYDOWN, 'S', 0);
    runLoop();
    setKeys({});
    EXPECT_EQ(sink.events, (std::vector<std::string>{"edited 1 1 bc", "command 908"}));

    // The keyboard going elsewhere keeps the text.
    sink.events.clear();
    window->editCell(2, 1, "x");
    SetFocus(made->child(kArchiveFilter));
    pump();
    EXPECT_EQ(sink.events, std::vector<std::string>{"edited 2 1 x"});
    EXPECT_EQ(made->cellEditor(), nullptr);
    // Scrolling closes it, and so does a click on a header (the rows may move).
    sink.events.clear();
    window->editCell(3, 1, "y");
    SendMessageW(list, WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_EQ(made->cellEditor(), nullptr);
    window->editCell(4, 2, "z");
    NMLISTVIEW column = {};
    column.hdr.hwndFrom = list;
    column.hdr.idFrom = kArchiveList;
    column.hdr.code = LVN_COLUMNCLICK;
    column.iItem = -1;
    column.iSubItem = 2;
    SendMessageW(made->window(), WM_NOTIFY, kArchiveList, reinterpret_cast<LPARAM>(&column));
    pump();
    EXPECT_EQ(sink.events, (std::vector<std::string>{"edited 3 1 y", "edited 4 2 z", "header 1"}));
    // New rows: the open editor is dropped, telling nothing.
    sink.events.clear();
    window->editCell(5, 1, "w");
    window->setRowCount(3);
    pump();
    EXPECT_EQ(made->cellEditor(), nullptr);
    EXPECT_TRUE(sink.events.empty());
}

TEST_F(ArchiveEditTest, SlowSecondClickOnTheFocusedRowAsksToEditThatCell) {
    const DWORD doubleClick = GetDoubleClickTime();
    auto requested = [&] {
        return std::find_if(sink.events.begin(), sink.events.end(),
                            [](const std::string& e) { return e.rfind("edit-request", 0) == 0; }) != sink.events.end();
    };
    click(3, 2);
    EXPECT_EQ(window->focusedRow(), 3);
    EXPECT_FALSE(pumpFor(doubleClick + 200, requested)) << "a first click only selects";
    click(3, 2);
    EXPECT_TRUE(pumpFor(2 * doubleClick + 1000, requested));
    EXPECT_EQ(sink.events, std::vector<std::string>{"edit-request 3 2"});

    // A double click plays the row and asks nothing.
    sink.events.clear();
    pumpFor(doubleClick + 100);
    click(3, 1);
    const RECT r = cellRect(list, 3, 1);
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    SendMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    SendMessageW(list, WM_LBUTTONUP, 0, at);
    EXPECT_FALSE(pumpFor(2 * doubleClick + 300, requested));
    EXPECT_EQ(sink.events, std::vector<std::string>{"activated 3"});

    // A click on another row, and a quick second click on it, only select.
    sink.events.clear();
    pumpFor(doubleClick + 100);
    click(6, 1);
    click(6, 1);
    EXPECT_FALSE(pumpFor(2 * doubleClick + 300, requested));
    EXPECT_EQ(window->focusedRow(), 6);
}

// ---- The dialogs, answered by timers that run in their loops -------------------------

HWND dialogTitled(const wchar_t* title) { return FindWindowW(L"#32770", title); }

struct ChoiceSeen {
    std::vector<std::wstring> buttons;
    bool answered = false;
};
ChoiceSeen gChoice;
int gPress = 0;

void CALLBACK answerChoice(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND dialog = dialogTitled(L"Unsaved changes");
    if (!dialog || !IsWindowVisible(dialog)) return;
    KillTimer(nullptr, timer);
    for (int id = kFirstChoiceId; id < kFirstChoiceId + 3; ++id)
        if (HWND b = GetDlgItem(dialog, id)) gChoice.buttons.push_back(textOf(b));
    gChoice.answered = true;
    SendMessageW(dialog, TDM_CLICK_BUTTON, static_cast<WPARAM>(gPress), 0);
}

TEST_F(ArchiveEditTest, AskChoiceGivesTheIndexOfTheButtonPressedAndMinusOneWhenCancelled) {
    const std::vector<std::string> buttons = {"&Save", "Do&n't save", "Cancel"};
    gPress = kFirstChoiceId + 1;
    SetTimer(nullptr, 0, 30, answerChoice);
    EXPECT_EQ(window->askChoice("Unsaved changes", "Save the changes to ambient.tpa?", buttons), 1);
    EXPECT_TRUE(gChoice.answered);
    if (!gChoice.buttons.empty()) {
        EXPECT_EQ(gChoice.buttons, (std::vector<std::wstring>{L"&Save", L"Do&n't save", L"Cancel"}));
    }
    gPress = IDCANCEL;
    SetTimer(nullptr, 0, 30, answerChoice);
    EXPECT_EQ(window->askChoice("Unsaved changes", "Save?", buttons), -1) << "closed: no button";
    gPress = kFirstChoiceId;
    SetTimer(nullptr, 0, 30, answerChoice);
    EXPECT_EQ(window->askChoice("Unsaved changes", "Save?", buttons), 0);
}

HWND gBoxOwner = nullptr;
void CALLBACK closeMessage(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND box = dialogTitled(L"Rename");
    if (!box) return;
    KillTimer(nullptr, timer);
    gBoxOwner = GetWindow(box, GW_OWNER);
    SendMessageW(box, WM_COMMAND, IDOK, 0);
}

TEST_F(ArchiveEditTest, ShowMessageIsABoxOwnedByTheArchiveWindow) {
    SetTimer(nullptr, 0, 30, closeMessage);
    window->showMessage("Rename", "The name door gives the identifier of record 3.", MessageIcon::Warning);
    EXPECT_EQ(gBoxOwner, made->window());
}

struct LongTextSeen {
    LONG style = 0;
    DWORD selectionStart = 1, selectionEnd = 1;
    bool seen = false;
};
LongTextSeen gLongText;
bool gLongTextOk = true;

void CALLBACK answerLongText(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND dialog = dialogTitled(L"Captions");
    if (!dialog || !IsWindowVisible(dialog)) return;
    KillTimer(nullptr, timer);
    HWND edit = GetDlgItem(dialog, 101);
    gLongText.seen = true;
    gLongText.style = GetWindowLongW(edit, GWL_STYLE);
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&gLongText.selectionStart),
                 reinterpret_cast<LPARAM>(&gLongText.selectionEnd));
    SendMessageW(edit, WM_CHAR, L'X', 0);
    SendMessageW(edit, WM_CHAR, L'\r', 0);
    SendMessageW(GetDlgItem(dialog, gLongTextOk ? IDOK : IDCANCEL), BM_CLICK, 0, 0);
}

TEST_F(ArchiveEditTest, EditLongTextKeepsEveryLineOfALongTextAndWhatWasTyped) {
    // Longer than an edit control takes unless told otherwise (30,000 characters).
    std::string srt;
    for (int i = 1; srt.size() < 100000; ++i)
        srt += std::to_string(i) + "\n00:00:01,000 --> 00:00:02,000\nT\xC3\xBCr " + std::to_string(i) + "\n\n";
    SetTimer(nullptr, 0, 30, answerLongText);
    std::optional<std::string> edited = window->editLongText("Captions", "Sections as SubRip:", srt);
    ASSERT_TRUE(gLongText.seen);
    EXPECT_EQ(gLongText.style & (ES_MULTILINE | ES_WANTRETURN), ES_MULTILINE | ES_WANTRETURN);
    EXPECT_EQ(gLongText.selectionStart, 0u);
    EXPECT_EQ(gLongText.selectionEnd, 0u) << "nothing selected for a stray key to replace";
    ASSERT_TRUE(edited);
    EXPECT_EQ(edited->size(), srt.size() + 2);
    EXPECT_TRUE(*edited == "X\n" + srt) << "lines come back broken by \\n alone";

    gLongTextOk = false;
    gLongText = {};
    SetTimer(nullptr, 0, 30, answerLongText);
    EXPECT_FALSE(window->editLongText("Captions", "Sections as SubRip:", "1\n"));
    EXPECT_TRUE(gLongText.seen);
}

std::wstring gFileNames;
bool gFileDialogSeen = false;
HWND gOwner = nullptr;
void CALLBACK answerFiles(HWND, UINT, UINT_PTR timer, DWORD) {
    static DWORD start = GetTickCount();
    HWND dialog = FindWindowW(L"#32770", nullptr);
    if (GetTickCount() - start > 20000) {  // never hang the test: give up
        KillTimer(nullptr, timer);
        if (dialog) PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        return;
    }
    if (!dialog || !IsWindowVisible(dialog) || GetWindow(dialog, GW_OWNER) != gOwner) return;
    KillTimer(nullptr, timer);
    gFileDialogSeen = true;
    // The name field: a combo box on newer dialogs, an edit on older ones.
    for (int id : {cmb13, edt1})
        if (HWND field = GetDlgItem(dialog, id)) SetWindowTextW(field, gFileNames.c_str());
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
}

TEST_F(ArchiveEditTest, ChooseFilesGivesEveryFileChosenWithItsFolder) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"sonkrate-choose-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder.c_str(), nullptr);
    for (const wchar_t* name : {L"a.wav", L"b \u00e9.wav"}) {
        HANDLE f = CreateFileW((folder + L"\\" + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        CloseHandle(f);
    }
    FileDialogOptions options;
    options.filterText = "Sounds (*.wav)";
    options.filterPattern = "*.wav";
    options.flags = kFileMustExist | kPathMustExist | kHideReadOnly;
    options.initialFolder = io::fromWide(folder);
    gFileNames = L"\"a.wav\" \"b \u00e9.wav\"";
    gOwner = made->window();
    SetTimer(nullptr, 0, 50, answerFiles);
    std::vector<std::string> chosen = window->chooseFiles(options, true);
    EXPECT_TRUE(gFileDialogSeen);
    const std::string base = io::fromWide(folder);
    EXPECT_EQ(chosen, (std::vector<std::string>{base + "\\a.wav", base + "\\b \xC3\xA9.wav"}));
    for (const wchar_t* name : {L"a.wav", L"b \u00e9.wav"}) DeleteFileW((folder + L"\\" + name).c_str());
    RemoveDirectoryW(folder.c_str());

    // As the dialog hands them back: one whole path, or the folder and its names.
    using W = std::vector<std::wstring>;
    EXPECT_EQ(pathsOfSelection(std::wstring(L"C:\\x\\a.wav\0\0", 13)), W{L"C:\\x\\a.wav"});
    EXPECT_EQ(pathsOfSelection(std::wstring(L"C:\\x\0a.wav\0b.cau\0\0", 19)), (W{L"C:\\x\\a.wav", L"C:\\x\\b.cau"}));
    EXPECT_EQ(pathsOfSelection(std::wstring(L"C:\\\0a.wav\0b.cau\0\0", 18)), (W{L"C:\\a.wav", L"C:\\b.cau"}));
    EXPECT_TRUE(pathsOfSelection(std::wstring(L"\0\0", 2)).empty());
}

}  // namespace
