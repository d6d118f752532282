#include "platform/win32/win32_platform.h"

#include <windows.h>
#include <windowsx.h>
#include <commctrl.h>
#include <commdlg.h>
#include <mmsystem.h>
#include <shellapi.h>
#include <shlobj.h>

#include <climits>
#include <vector>

#include "io/game_text.h"
#include "io/program_path.h"
#include "io/unicode_text.h"
#include "platform/win32/control_styles.h"
#include "platform/win32/win32_archive_window.h"
#include "platform/win32/win32_dialogs.h"
#include "platform/win32/win32_dpi.h"
#include "platform/win32/win32_file_dialog.h"
#include "platform/win32/win32_text.h"

namespace sonkrate::platform::win32 {

namespace {

// The platform whose main window is being created: Windows sends messages
// (WM_GETMINMAXINFO, WM_NCCREATE, WM_CREATE) before CreateWindowExW returns.
Win32Platform* gCreating = nullptr;

// The trackbar keeps TBM_SETRANGE's two halves as signed 16-bit numbers.
bool fitsSigned16(int value) { return value >= SHRT_MIN && value <= SHRT_MAX; }

// A box that could not be shown counts as the answer that commits to nothing.
MessageResult messageResult(int answer, MessageButtons buttons) {
    switch (answer) {
    case IDOK: return MessageResult::Ok;
    case IDCANCEL: return MessageResult::Cancel;
    case IDYES: return MessageResult::Yes;
    case IDNO: return MessageResult::No;
    default: break;
    }
    switch (buttons) {
    case MessageButtons::Ok: return MessageResult::Ok;
    case MessageButtons::OkCancel: return MessageResult::Cancel;
    case MessageButtons::YesNo: return MessageResult::No;
    }
    return MessageResult::Ok;
}

using io::fromWide;
using io::toWide;

// The classes of common controls both windows use: the list view and header,
// the status bar, the trackbar and the progress bar.
void initCommonControls() {
    INITCOMMONCONTROLSEX classes = {};
    classes.dwSize = sizeof classes;
    classes.dwICC = ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES | ICC_PROGRESS_CLASS;
    if (!InitCommonControlsEx(&classes)) InitCommonControls();
}

constexpr DWORD kMainWindowStyle = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

std::string shellFolder(int folderId) {
    wchar_t buffer[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, folderId, nullptr, SHGFP_TYPE_CURRENT, buffer))) return {};
    return fromWide(buffer);
}

}  // namespace

Win32Platform::Win32Platform(HINSTANCE instance, int showCommand) : instance_(instance), showCommand_(showCommand) {}

Win32Platform::~Win32Platform() {
    // The shell is gone by now: a window still open is closed without it.
    sink_ = nullptr;
    archive_.reset();
    if (window_) DestroyWindow(window_);
    // The class goes too, so that another platform of this process may
    // register it again.
    if (classRegistered_) UnregisterClassW(className_.c_str(), instance_);
    for (const auto& [id, b] : bitmaps_) DeleteObject(b);
    if (smallIcon_) DestroyIcon(smallIcon_);
    if (scaledGuiFont_) DeleteObject(scaledGuiFont_);
    if (scaledSystemFont_) DeleteObject(scaledSystemFont_);
}

// ---- Main window and loop -----------------------------------------------------------

ScreenSize Win32Platform::screenSize() { return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }

WindowResult Win32Platform::createMainWindow(const WindowDescription& window, EventSink& sink) {
    sink_ = &sink;
    initCommonControls();
    smallIconId_ = window.smallIconId;
    className_ = toWide(window.className);
    std::wstring title = toWide(window.title);
    smallIcon_ = static_cast<HICON>(
        LoadImageW(instance_, MAKEINTRESOURCEW(window.smallIconId), IMAGE_ICON, 16, 16, 0));

    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.style = 0;
    wc.lpfnWndProc = &Win32Platform::windowProcedure;
    wc.cbClsExtra = 0;
    wc.cbWndExtra = 0;
    wc.hInstance = instance_;
    wc.hIcon = LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszMenuName = nullptr;
    wc.lpszClassName = className_.c_str();
    wc.hIconSm = smallIcon_;
    if (!RegisterClassExW(&wc)) return WindowResult::RegistrationFailed;
    classRegistered_ = true;

    // Laid out for the DPI of the monitor it opens on, its centre kept
    // where the shell put it (the menu bar comes with WM_CREATE).
    width96_ = window.width;
    height96_ = window.height;
    dpi_ = dpiAtPoint(POINT{window.x + window.width / 2, window.y + window.height / 2});
    for (HFONT font : {scaledGuiFont_, scaledSystemFont_})
        if (font) DeleteObject(font);
    scaledGuiFont_ = stockFontForDpi(DEFAULT_GUI_FONT, dpi_);
    scaledSystemFont_ = stockFontForDpi(SYSTEM_FONT, dpi_);
    const SIZE size = outerSizeForDpi(window.width, window.height, kMainWindowStyle, 0, true, dpi_);
    gCreating = this;
    HWND hwnd = CreateWindowExW(0, className_.c_str(), title.c_str(), kMainWindowStyle,
                                window.x + (window.width - size.cx) / 2, window.y + (window.height - size.cy) / 2,
                                size.cx, size.cy, nullptr, nullptr, instance_, nullptr);
    gCreating = nullptr;
    if (!hwnd) {
        window_ = nullptr;
        return WindowResult::CreationFailed;
    }
    window_ = hwnd;
    // Windows may have put it on a monitor of another DPI.
    if (dpiOfWindow(hwnd) != dpi_) changeDpi(dpiOfWindow(hwnd), nullptr);
    // Files dropped from Explorer arrive as WM_DROPFILES.
    DragAcceptFiles(hwnd, TRUE);
    return WindowResult::Created;
}

void Win32Platform::showMainWindow() {
    if (!window_) return;
    ShowWindow(window_, showCommand_);
    UpdateWindow(window_);
}

void Win32Platform::createControl(const ControlDescription& d) {
    if (!window_) return;
    ControlStyles s = controlStyles(d.kind, d.style);
    std::wstring text = toWide(d.text);
    std::wstring className = toWide(s.className);
    // The table's pixels are at 96 DPI.
    const RECT r = scaledRect(d.x, d.y, d.width, d.height, dpi_);
    HWND h = CreateWindowExW(s.exStyle, className.c_str(), text.c_str(), s.style, r.left, r.top, r.right - r.left,
                             r.bottom - r.top, window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(d.id)),
                             instance_, nullptr);
    if (!h) return;
    controls_[d.id] = h;
    PlacedControl place{d.x, d.y, d.width, d.height, d.guiFont, d.kind == ControlKind::Bitmap ? d.bitmapId : 0};
    placed_[d.id] = place;
    if (d.guiFont || place.bitmapId || scaledSystemFont_) placeControl(d.id, h, place);
}

void Win32Platform::installMenu(const std::vector<MenuPopup>& menu) {
    if (!window_) return;
    HMENU bar = CreateMenu();
    for (const MenuPopup& popup : menu) {
        HMENU items = CreateMenu();
        for (const MenuItem& item : popup.items) {
            std::wstring text = toWide(item.text);
            AppendMenuW(items, MF_STRING, static_cast<UINT_PTR>(item.commandId), text.c_str());
            if (item.grayed) EnableMenuItem(items, static_cast<UINT>(item.commandId), MF_BYCOMMAND | MF_GRAYED);
        }
        std::wstring title = toWide(popup.title);
        AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(items), title.c_str());
    }
    // A menu bar installed before goes with the new one's arrival.
    HMENU previous = GetMenu(window_);
    SetMenu(window_, bar);
    if (previous) DestroyMenu(previous);
}

int Win32Platform::runMessageLoop() {
    MSG msg = {};
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        // The archive window's accelerators and Tab key.
        if (archive_ && archive_->translate(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

void Win32Platform::postQuit(int exitCode) { PostQuitMessage(exitCode); }

void Win32Platform::minimiseWindow() {
    if (window_) ShowWindow(window_, SW_MINIMIZE);
}

void Win32Platform::restoreWindow() {
    if (window_) ShowWindow(window_, SW_RESTORE);
}

void Win32Platform::repaint() {
    // Paints what has changed, in the windows and their controls, without
    // handling any other message.
    if (window_) RedrawWindow(window_, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    if (archive_ && archive_->window())
        RedrawWindow(archive_->window(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

LRESULT CALLBACK Win32Platform::windowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<Win32Platform*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self && gCreating) {
        // The first message of the main window: from now on it knows its
        // platform, and the platform its window, before WM_CREATE arrives.
        self = gCreating;
        self->window_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
    return self->handleMessage(hwnd, message, wParam, lParam);
}

LRESULT Win32Platform::handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    EventSink* sink = sink_;
    switch (message) {
    case WM_CREATE:
        if (sink) sink->onCreate();
        return 0;
    case WM_COMMAND:
        if (sink) sink->onCommand(LOWORD(wParam), HIWORD(wParam));
        return DefWindowProcW(hwnd, message, wParam, lParam);
    case WM_TIMER:
        if (sink) sink->onTimer(static_cast<int>(wParam));
        return 0;
    case WM_HSCROLL:
        if (sink) sink->onTrackbarScroll();
        return 0;
    case WM_LBUTTONUP:
        if (sink) sink->onLeftButtonUp();
        return 0;
    case WM_MOUSEMOVE:
        if (sink) sink->onMouseMove(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return 0;
    case WM_DROPFILES: {
        std::vector<std::string> paths = droppedFiles(reinterpret_cast<HDROP>(wParam));
        if (sink && !paths.empty()) sink->onFilesDropped(paths);
        return 0;
    }
    case WM_DPICHANGED:
        changeDpi(LOWORD(wParam), reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_CLOSE:
        // The close box, Alt+F4 or the system menu: the shell may keep the
        // program running (edits not saved and the user cancelled).
        if (sink && !sink->onCloseRequest()) return 0;
        return DefWindowProcW(hwnd, message, wParam, lParam);
    case WM_QUERYENDSESSION:
        // Log-off or shut-down asks first; FALSE holds it up.
        return sink && !sink->onCloseRequest() ? FALSE : TRUE;
    case WM_ENDSESSION:
        // The session ends and the process with it: the window is destroyed
        // now so that the shell stops its sound and removes its working files.
        if (wParam) DestroyWindow(hwnd);
        return 0;
    case WM_DESTROY:
        if (sink) sink->onDestroy();
        return 0;
    case WM_NCDESTROY:
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        window_ = nullptr;
        controls_.clear();
        placed_.clear();
        return DefWindowProcW(hwnd, message, wParam, lParam);
    default:
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

// ---- Controls -----------------------------------------------------------------------

HWND Win32Platform::control(int controlId) const {
    auto it = controls_.find(controlId);
    return it == controls_.end() ? nullptr : it->second;
}

LRESULT Win32Platform::send(int controlId, UINT message, WPARAM wParam, LPARAM lParam) const {
    HWND h = control(controlId);
    return h ? SendMessageW(h, message, wParam, lParam) : 0;
}

void Win32Platform::setText(int controlId, const std::string& text) {
    if (HWND h = control(controlId)) SetWindowTextW(h, shownWide(text).c_str());
}

std::string Win32Platform::text(int controlId) { return windowText(control(controlId)); }

void Win32Platform::setEnabled(int controlId, bool enabled) {
    if (HWND h = control(controlId)) EnableWindow(h, enabled ? TRUE : FALSE);
}

void Win32Platform::setShown(int controlId, bool shown) {
    if (HWND h = control(controlId)) ShowWindow(h, shown ? SW_SHOW : SW_HIDE);
}

void Win32Platform::setMenuItemEnabled(int commandId, bool enabled) {
    // The command's item in the main window's menu and in the archive window's.
    const UINT state = MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED);
    if (window_)
        if (HMENU menu = GetMenu(window_)) EnableMenuItem(menu, static_cast<UINT>(commandId), state);
    if (archive_ && archive_->window())
        if (HMENU menu = GetMenu(archive_->window())) EnableMenuItem(menu, static_cast<UINT>(commandId), state);
}

void Win32Platform::setTrackbarRange(int controlId, int low, int high) {
    if (fitsSigned16(low) && fitsSigned16(high)) {
        send(controlId, TBM_SETRANGE, TRUE, MAKELPARAM(low, high));
        return;
    }
    // An archive of more than 32767 entries: the two halves one by one.
    send(controlId, TBM_SETRANGEMIN, FALSE, low);
    send(controlId, TBM_SETRANGEMAX, TRUE, high);
}

int Win32Platform::trackbarPosition(int controlId) { return static_cast<int>(send(controlId, TBM_GETPOS)); }

void Win32Platform::setTrackbarPosition(int controlId, int position) {
    send(controlId, TBM_SETPOS, TRUE, position);
}

void Win32Platform::setTrackbarTicFrequency(int controlId, int frequency) {
    send(controlId, TBM_SETTICFREQ, static_cast<WPARAM>(frequency));
}

void Win32Platform::setProgressRange(int controlId, int low, int high) {
    send(controlId, PBM_SETRANGE32, static_cast<WPARAM>(low), high);
}

void Win32Platform::setProgressStep(int controlId, int step) { send(controlId, PBM_SETSTEP, static_cast<WPARAM>(step)); }

void Win32Platform::setProgressPosition(int controlId, int position) {
    send(controlId, PBM_SETPOS, static_cast<WPARAM>(position));
}

void Win32Platform::progressStepIt(int controlId) { send(controlId, PBM_STEPIT); }

void Win32Platform::listReset(int controlId) { send(controlId, LB_RESETCONTENT); }

void Win32Platform::listAddString(int controlId, const std::string& item) {
    std::wstring wide = shownWide(item);
    send(controlId, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()));
}

int Win32Platform::listCaretIndex(int controlId) {
    // An empty list box still answers 0.
    if (listCount(controlId) <= 0) return -1;
    return static_cast<int>(send(controlId, LB_GETCARETINDEX));
}

std::string Win32Platform::listItemText(int controlId, int index) {
    if (index < 0) return {};
    LRESULT length = send(controlId, LB_GETTEXTLEN, static_cast<WPARAM>(index));
    if (length == LB_ERR || length <= 0) return {};
    std::vector<wchar_t> buffer(static_cast<std::size_t>(length) + 1);
    LRESULT got = send(controlId, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer.data()));
    if (got == LB_ERR || got <= 0) return {};
    return fromWide(std::wstring_view(buffer.data(), static_cast<std::size_t>(got < length ? got : length)));
}

int Win32Platform::listCount(int controlId) {
    if (!control(controlId)) return 0;
    LRESULT count = send(controlId, LB_GETCOUNT);
    return count == LB_ERR ? 0 : static_cast<int>(count);
}

void Win32Platform::startTimer(int timerId, int periodMs) {
    if (window_) SetTimer(window_, static_cast<UINT_PTR>(timerId), static_cast<UINT>(periodMs), nullptr);
}

void Win32Platform::stopTimer(int timerId) {
    if (window_) KillTimer(window_, static_cast<UINT_PTR>(timerId));
}

// ---- Dialogs, boxes, beeps ----------------------------------------------------------

std::optional<std::string> Win32Platform::fileDialog(const FileDialogOptions& options, bool save) {
    std::vector<std::string> paths =
        fileDialogPaths(dialogOwner(), options, save ? FileDialogKind::Save : FileDialogKind::Open);
    if (paths.empty()) return std::nullopt;
    return paths.front();
}

HWND Win32Platform::dialogOwner() const {
    HWND archive = archive_ ? archive_->window() : nullptr;
    if (archive && IsWindowVisible(archive) && GetActiveWindow() == archive) return archive;
    return window_;
}

std::optional<std::string> Win32Platform::openFileDialog(const FileDialogOptions& options) {
    return fileDialog(options, false);
}

std::optional<std::string> Win32Platform::saveFileDialog(const FileDialogOptions& options) {
    return fileDialog(options, true);
}

MessageResult Win32Platform::messageBox(const std::string& text, const std::string& caption, MessageIcon icon,
                                        MessageButtons buttons) {
    int answer = MessageBoxW(dialogOwner(), shownWide(text).c_str(), shownWide(caption).c_str(), messageBoxStyle(icon, buttons));
    return messageResult(answer, buttons);
}

void Win32Platform::beep(Beep kind) { MessageBeep(kind == Beep::Done ? MB_ICONASTERISK : 0); }

// ---- Sound, documents, the kill switch ----------------------------------------------

void Win32Platform::playWavAsync(const std::string& path) {
    PlaySoundW(toWide(path).c_str(), nullptr, SND_FILENAME | SND_ASYNC);
}

void Win32Platform::stopSound() { PlaySoundW(nullptr, nullptr, 0); }

bool Win32Platform::openThroughDesktop(const std::string& path) {
    HINSTANCE result = ShellExecuteW(window_, L"open", toWide(path).c_str(), nullptr, nullptr, SW_SHOW);
    return reinterpret_cast<INT_PTR>(result) > 32;
}

bool Win32Platform::startKillSwitch(const std::string& programPath, const std::string& stopFlagPath) {
    std::wstring parameters = toWide(killSwitchParameters(stopFlagPath));
    std::wstring folder = toWide(folderOfProgram(programPath));
    HINSTANCE result = ShellExecuteW(window_, L"open", toWide(programPath).c_str(), parameters.c_str(),
                                     folder.empty() ? nullptr : folder.c_str(), SW_SHOW);
    return reinterpret_cast<INT_PTR>(result) > 32;
}

void Win32Platform::closeKillSwitch(const std::string& windowTitle) {
    HWND killSwitch = FindWindowW(nullptr, toWide(windowTitle).c_str());
    if (!killSwitch) return;
    // A kill switch that hangs must not hang the window with it.
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(killSwitch, WM_SYSCOMMAND, SC_CLOSE, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
}

// ---- Folders and the clock ----------------------------------------------------------

std::string Win32Platform::documentsFolder() { return shellFolder(CSIDL_PERSONAL); }

std::string Win32Platform::executablePath() { return io::programPath(); }

std::string Win32Platform::userDataFolder() {
    std::string local = shellFolder(CSIDL_LOCAL_APPDATA);
    return local.empty() ? std::string() : local + "\\Sonkrate";
}

std::uint64_t Win32Platform::milliseconds() { return GetTickCount64(); }

void Win32Platform::sleep(std::uint32_t ms) { Sleep(ms); }

// ---- The archive window -------------------------------------------------------------

ArchiveWindow* Win32Platform::archiveWindow(const ArchiveWindowDescription& description, ArchiveWindowSink& sink) {
    if (!archive_) {
        initCommonControls();
        archive_ = std::make_unique<Win32ArchiveWindow>(instance_, smallIconId_, description, sink);
        if (!archive_->window()) archive_.reset();
    }
    return archive_.get();
}

}  // namespace sonkrate::platform::win32
