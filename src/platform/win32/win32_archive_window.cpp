#include "platform/win32/win32_archive_window.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>

#include "io/game_text.h"
#include "io/unicode_text.h"
#include "platform/win32/win32_archive_list.h"
#include "platform/win32/win32_dialogs.h"
#include "platform/win32/win32_dpi.h"
#include "platform/win32/win32_menu.h"
#include "platform/win32/win32_text.h"
#include "platform/win32/win32_waveform.h"

namespace sonkrate::platform::win32 {

namespace {

const wchar_t kClassName[] = L"SonkrateArchiveWindow";
constexpr DWORD kWindowStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
constexpr DWORD kWindowExStyle = WS_EX_APPWINDOW;

// Sizes at 96 DPI.
constexpr int kMargin = 8, kGap = 6, kRowHeight = 23, kLabelWidth = 40, kFilterWidth = 260, kCheckWidth = 130;
constexpr int kWaveformHeight = 100, kDetailsHeight = 80, kProgressHeight = 24, kProgressTextWidth = 240,
              kCancelWidth = 80;
constexpr int kMinimumWidth = 520, kMinimumHeight = 440;

Win32ArchiveWindow* gCreating = nullptr;

}  // namespace

ArchiveLayout archiveLayout(int width, int height, int statusHeight, bool progress, int dpi) {
    auto s = [dpi](int length) { return scaledForDpi(length, dpi); };
    ArchiveLayout l = {};
    const int margin = s(kMargin), gap = s(kGap), row = s(kRowHeight);
    const int right = std::max(width - margin, margin);
    l.filterLabel = RECT{margin, margin, margin + s(kLabelWidth), margin + row};
    l.filter = RECT{l.filterLabel.right + gap, margin, l.filterLabel.right + gap + s(kFilterWidth), margin + row};
    l.playOnSelect = RECT{l.filter.right + 2 * gap, margin, l.filter.right + 2 * gap + s(kCheckWidth), margin + row};
    // From the status bar upwards: the progress line, the details, the waveform.
    int bottom = height - statusHeight;
    if (progress) {
        const int top = bottom - gap - s(kProgressHeight);
        l.progressText = RECT{margin, top, margin + s(kProgressTextWidth), bottom - gap};
        l.cancel = RECT{right - s(kCancelWidth), top, right, bottom - gap};
        l.progressBar = RECT{l.progressText.right + gap, top + s(4), l.cancel.left - gap, bottom - gap - s(4)};
        bottom = top;
    }
    l.details = RECT{margin, bottom - gap - s(kDetailsHeight), right, bottom - gap};
    l.waveform = RECT{margin, l.details.top - gap - s(kWaveformHeight), right, l.details.top - gap};
    l.table = RECT{margin, margin + row + gap, right, std::max<LONG>(l.waveform.top - gap, margin + row + gap)};
    return l;
}

Win32ArchiveWindow::Win32ArchiveWindow(HINSTANCE instance, int iconId, const ArchiveWindowDescription& description,
                                       ArchiveWindowSink& sink)
    : instance_(instance), sink_(sink) {
    if (!registerClass(iconId)) return;
    if (description.menu) {
        menu_ = menuBarOf(*description.menu);
        accelerators_ = acceleratorsOf(*description.menu);
    }
    // The window opens where Windows puts new windows, on the primary monitor.
    dpi_ = dpiAtPoint(POINT{0, 0});
    SIZE size = outerSizeForDpi(description.width, description.height, kWindowStyle, kWindowExStyle, menu_ != nullptr, dpi_);
    gCreating = this;
    CreateWindowExW(kWindowExStyle, kClassName, shownWide(description.title).c_str(), kWindowStyle, CW_USEDEFAULT,
                    CW_USEDEFAULT, size.cx, size.cy, nullptr, menu_, instance_, nullptr);
    gCreating = nullptr;
    if (!window_) return;
    createChildren(description);
    const int actual = dpiOfWindow(window_);
    if (actual != dpi_) {
        size = outerSizeForDpi(description.width, description.height, kWindowStyle, kWindowExStyle, menu_ != nullptr, actual);
        SetWindowPos(window_, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    applyDpi(actual);
    DragAcceptFiles(window_, TRUE);
}

Win32ArchiveWindow::~Win32ArchiveWindow() {
    dying_ = true;
    if (window_) DestroyWindow(window_);
    else if (menu_) DestroyMenu(menu_);
    if (accelerators_) DestroyAcceleratorTable(accelerators_);
    if (font_) DeleteObject(font_);
    if (classRegistered_) UnregisterClassW(kClassName, instance_);
    if (bigIcon_) DestroyIcon(bigIcon_);
    if (smallIcon_) DestroyIcon(smallIcon_);
}

bool Win32ArchiveWindow::registerClass(int iconId) {
    bigIcon_ = static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(iconId), IMAGE_ICON,
                                             GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0));
    smallIcon_ = static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(iconId), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &Win32ArchiveWindow::procedure;
    wc.hInstance = instance_;
    wc.hIcon = bigIcon_;
    wc.hIconSm = smallIcon_;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClassName;
    classRegistered_ = RegisterClassExW(&wc) != 0;
    return classRegistered_;
}

HWND Win32ArchiveWindow::makeChild(DWORD exStyle, const wchar_t* className, const std::wstring& text, DWORD style,
                                   int id) {
    return CreateWindowExW(exStyle, className, text.c_str(), WS_CHILD | style, 0, 0, 0, 0, window_,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance_, nullptr);
}

void Win32ArchiveWindow::createChildren(const ArchiveWindowDescription& d) {
    makeChild(0, L"STATIC", shownWide(d.filterLabel), WS_VISIBLE | SS_LEFT | SS_CENTERIMAGE, kArchiveFilterLabel);
    HWND filter = makeChild(WS_EX_CLIENTEDGE, L"EDIT", L"", WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, kArchiveFilter);
    SetWindowSubclass(filter, &Win32ArchiveWindow::filterProcedure, 1, reinterpret_cast<DWORD_PTR>(this));
    makeChild(0, L"BUTTON", shownWide(d.playOnSelectText), WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX,
              kArchivePlayOnSelect);
    if (HWND list = createArchiveList(window_, instance_, kArchiveList)) {
        addArchiveColumns(list, d.columns, dpi_);
        SetWindowSubclass(list, &Win32ArchiveWindow::listProcedure, 1, reinterpret_cast<DWORD_PTR>(this));
    }
    createWaveformView(window_, instance_, kArchiveWaveform, sink_);
    makeChild(WS_EX_CLIENTEDGE, L"EDIT", L"",
              WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL, kArchiveDetails);
    makeChild(0, STATUSCLASSNAMEW, L"", WS_VISIBLE | SBARS_SIZEGRIP, kArchiveStatus);
    makeChild(0, L"STATIC", L"", SS_LEFT | SS_CENTERIMAGE | SS_ENDELLIPSIS, kArchiveProgressText);
    makeChild(0, PROGRESS_CLASSW, L"", 0, kArchiveProgressBar);
    makeChild(0, L"BUTTON", L"Cancel", WS_TABSTOP | BS_PUSHBUTTON, kArchiveCancel);
}

void Win32ArchiveWindow::layout() {
    if (!window_) return;
    RECT client;
    GetClientRect(window_, &client);
    HWND status = child(kArchiveStatus);
    SendMessageW(status, WM_SIZE, 0, 0);  // the status bar sizes itself
    RECT bar = {};
    GetWindowRect(status, &bar);
    const ArchiveLayout l = archiveLayout(client.right, client.bottom, bar.bottom - bar.top, progressShown_, dpi_);
    const std::pair<int, RECT> places[] = {
        {kArchiveFilterLabel, l.filterLabel}, {kArchiveFilter, l.filter},   {kArchivePlayOnSelect, l.playOnSelect},
        {kArchiveList, l.table},              {kArchiveWaveform, l.waveform}, {kArchiveDetails, l.details},
        {kArchiveProgressText, l.progressText}, {kArchiveProgressBar, l.progressBar}, {kArchiveCancel, l.cancel}};
    HDWP moves = BeginDeferWindowPos(static_cast<int>(std::size(places)));
    for (const auto& [id, r] : places) {
        HWND h = child(id);
        if (moves && h)
            moves = DeferWindowPos(moves, h, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                                   SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (moves) EndDeferWindowPos(moves);
}

void Win32ArchiveWindow::applyDpi(int dpi) {
    endCellEdit(true);  // the cell moves and its font changes
    const int before = dpi_;
    dpi_ = dpi;
    HFONT font = messageFontForDpi(dpi);
    for (int id = kArchiveFilterLabel; id <= kArchiveCancel; ++id)
        if (HWND h = child(id)) SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    if (font_) DeleteObject(font_);
    font_ = font;
    rescaleArchiveColumns(child(kArchiveList), before, dpi);
    layout();
    InvalidateRect(window_, nullptr, TRUE);
}

LRESULT CALLBACK Win32ArchiveWindow::procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<Win32ArchiveWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self && gCreating) {
        self = gCreating;
        self->window_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->window_ = nullptr;
        self->menu_ = nullptr;  // destroyed with the window
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    return self->handle(message, wParam, lParam);
}

LRESULT Win32ArchiveWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    if (dying_) return DefWindowProcW(window_, message, wParam, lParam);
    switch (message) {
    case WM_SIZE: layout(); return 0;
    case WM_GETMINMAXINFO: {
        auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
        limits->ptMinTrackSize = POINT{scaledForDpi(kMinimumWidth, dpi_), scaledForDpi(kMinimumHeight, dpi_)};
        return 0;
    }
    case WM_NOTIFY: {
        const NMHDR& header = *reinterpret_cast<const NMHDR*>(lParam);
        HWND list = child(kArchiveList);
        if (header.hwndFrom == reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0))) {
            // A column moving its edge moves the cell being edited.
            if (header.code == HDN_BEGINTRACKW || header.code == HDN_BEGINTRACKA) endCellEdit(true);
            return archiveHeaderNotification(header);
        }
        if (header.hwndFrom != list) break;
        return listNotification(header);
    }
    case kEndCellEditMessage:
        if (cellEditor_.isOpen() && cellEditor_.generation() == wParam) endCellEdit(true);
        return 0;
    case WM_TIMER:
        if (wParam != kEditRequestTimer) break;
        editRequestDue();
        return 0;
    case kSelectionMovedMessage:
        selectionPending_ = false;
        sink_.onArchiveSelectionChanged();
        return 0;
    case WM_COMMAND:
        if (lParam == 0) {  // a menu item or an accelerator: what is being typed in a cell counts first
            endCellEdit(true);
            sink_.onArchiveCommand(LOWORD(wParam));
        } else {
            onCommand(LOWORD(wParam), HIWORD(wParam));
        }
        return 0;
    case WM_ACTIVATE: onActivate(LOWORD(wParam) != WA_INACTIVE); return 0;
    case WM_DROPFILES: onDrop(reinterpret_cast<HDROP>(wParam)); return 0;
    case WM_CLOSE: sink_.onArchiveCloseRequest(); return 0;
    case WM_DPICHANGED:
        applyDpi(LOWORD(wParam));
        moveToSuggestedRect(window_, lParam);
        return 0;
    default: break;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}

void Win32ArchiveWindow::selectionMoved() {
    // Told once the list view has finished the change.
    if (selectionPending_) return;
    selectionPending_ = true;
    PostMessageW(window_, kSelectionMovedMessage, 0, 0);
}

void Win32ArchiveWindow::onCommand(int id, int code) {
    if (id == kArchiveFilter && code == EN_CHANGE && !quiet_) sink_.onArchiveFilterChanged(filterText());
    if (id == kArchivePlayOnSelect && code == BN_CLICKED)
        sink_.onPlayOnSelectToggled(SendMessageW(child(id), BM_GETCHECK, 0, 0) == BST_CHECKED);
    if (id == kArchiveCancel && code == BN_CLICKED) sink_.onArchiveCancel();
}

void Win32ArchiveWindow::onActivate(bool active) {
    // The control that had the keys has them again when the window comes back.
    HWND focus = GetFocus();
    dropEditRequest();
    if (!active) {
        if (focus && IsChild(window_, focus)) lastFocus_ = focus;
        return;
    }
    const bool known = lastFocus_ && IsWindow(lastFocus_) && IsChild(window_, lastFocus_);
    SetFocus(known ? lastFocus_ : child(kArchiveList));
}

void Win32ArchiveWindow::onDrop(HDROP drop) {
    POINT at = {};
    DragQueryPoint(drop, &at);  // in the window's client area
    std::vector<std::string> paths = droppedFiles(drop);
    if (paths.empty()) return;
    HWND list = child(kArchiveList);
    RECT table = {};
    GetWindowRect(list, &table);
    MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&table), 2);
    int row = -1;
    if (PtInRect(&table, at)) {
        MapWindowPoints(window_, list, &at, 1);
        row = listRowAt(list, at);
    }
    sink_.onArchiveFilesDropped(row, paths);
}

// ---- The filter field and the keyboard --------------------------------------------------

bool Win32ArchiveWindow::filterKey(WPARAM key) {
    switch (key) {
    case VK_ESCAPE: sink_.onArchiveKey(ArchiveKey::Escape, KeyPlace::Filter); return true;
    case VK_DOWN: sink_.onArchiveKey(ArchiveKey::Down, KeyPlace::Filter); return true;
    case VK_RETURN: sink_.onArchiveKey(ArchiveKey::Enter, KeyPlace::Filter); return true;
    default: return false;
    }
}

LRESULT CALLBACK Win32ArchiveWindow::filterProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                                     DWORD_PTR self) {
    auto* window = reinterpret_cast<Win32ArchiveWindow*>(self);
    if (message == WM_KEYDOWN && !window->dying_ && window->filterKey(wParam)) return 0;
    // Enter and Esc as characters would beep; Ctrl+A selects the whole text.
    if (message == WM_CHAR && (wParam == VK_RETURN || wParam == VK_ESCAPE)) return 0;
    if (message == WM_CHAR && wParam == 1) {
        SendMessageW(hwnd, EM_SETSEL, 0, -1);
        return 0;
    }
    if (message == WM_NCDESTROY) RemoveWindowSubclass(hwnd, &Win32ArchiveWindow::filterProcedure, 1);
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

namespace {

// Keys the filter field and the in-place editor use themselves, which
// accelerators must not take from them.
bool editingKey(const MSG& message) {
    if (message.message != WM_KEYDOWN) return false;
    switch (message.wParam) {
    case VK_DELETE: case VK_BACK: case VK_HOME: case VK_END: case VK_LEFT: case VK_RIGHT: case VK_INSERT: case VK_F2:
        return true;
    case 'A': case 'C': case 'V': case 'X': case 'Z': case 'Y':
        return (GetKeyState(VK_CONTROL) & 0x8000) && !(GetKeyState(VK_MENU) & 0x8000) &&
               !(GetKeyState(VK_SHIFT) & 0x8000);
    default: return false;
    }
}

}  // namespace

bool Win32ArchiveWindow::translate(MSG& message) {
    if (!window_ || (message.hwnd != window_ && !IsChild(window_, message.hwnd))) return false;
    if (message.message == WM_KEYDOWN && message.wParam == VK_TAB && !(GetKeyState(VK_CONTROL) & 0x8000)) {
        const bool back = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
        if (HWND next = GetNextDlgTabItem(window_, GetFocus(), back ? TRUE : FALSE)) SetFocus(next);
        return true;
    }
    const bool typing = message.hwnd == child(kArchiveFilter) || (message.hwnd && message.hwnd == cellEditor());
    if (typing && editingKey(message)) return false;
    return accelerators_ && TranslateAcceleratorW(window_, accelerators_, &message);
}

}  // namespace sonkrate::platform::win32
