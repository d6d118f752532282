// auto_stop.exe: the Windows kill switch of automatic play, a small window
// with one Stop button that writes the stop flag. sonkrate starts it with
// the flag's path as its argument and closes it (SC_CLOSE) when automatic
// play has ended.
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "io/process_text.h"
#include "io/unicode_text.h"
#include "killswitch/stop_flag.h"

namespace {

// Control ids. The Windows tests press the Stop button by its id, 1.
constexpr int kStopButtonId = 1;
constexpr int kNoteId = 3;

constexpr wchar_t kClassName[] = L"sonkrate_auto_stop";
constexpr wchar_t kTitle[] = L"Auto_Stop (KillSwitch)";
// The message box gets a title of its own: sonkrate finds the kill switch by
// its title and must not close the box instead of the window.
constexpr wchar_t kErrorTitle[] = L"Auto_Stop - Error";
constexpr int kWidth = 260;
constexpr int kHeight = 110;
constexpr DWORD kStyle = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

struct KillSwitch {
    std::string flagPath;
    HWND note = nullptr;
    HWND button = nullptr;
};

KillSwitch killSwitch;

HWND makeControl(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, RECT r, int id) {
    HWND control = CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, r.left, r.top, r.right - r.left,
                                   r.bottom - r.top, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                   GetModuleHandleW(nullptr), nullptr);
    if (control) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), TRUE);
    return control;
}

void createControls(HWND window) {
    RECT client;
    GetClientRect(window, &client);
    const int buttonWidth = 80;
    const int buttonHeight = 28;
    const int left = (client.right - buttonWidth) / 2;
    killSwitch.note = makeControl(window, L"STATIC", L"Automatic play is running.", SS_CENTER,
                                  {8, 8, client.right - 8, 40}, kNoteId);
    killSwitch.button = makeControl(window, L"BUTTON", L"Stop", BS_DEFPUSHBUTTON | WS_TABSTOP,
                                    {left, 44, left + buttonWidth, 44 + buttonHeight}, kStopButtonId);
    SetFocus(killSwitch.button);
}

void stopPressed(HWND window) {
    sonkrate::io::Outcome written = sonkrate::killswitch::writeStopFlag(killSwitch.flagPath);
    if (!written) {
        // The reason names the file and what went wrong; the button stays
        // usable so that the user can try again.
        std::wstring text = L"The stop flag could not be written.\n\n" + sonkrate::io::toWide(written.reason);
        MessageBoxW(window, text.c_str(), kErrorTitle, MB_OK | MB_ICONWARNING);
        return;
    }
    EnableWindow(killSwitch.button, FALSE);
    SetWindowTextW(killSwitch.note, L"Stopping after the sound that plays . . .");
}

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        createControls(window);
        return 0;
    case WM_COMMAND:
        // Escape arrives as IDCANCEL through the dialog keys; it closes nothing.
        if (LOWORD(wParam) == kStopButtonId && HIWORD(wParam) == BN_CLICKED) stopPressed(window);
        return 0;
    case WM_CTLCOLORSTATIC:
        // The note is drawn on the window's own background.
        SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        // SC_CLOSE from the system menu or from sonkrate ends up here and
        // destroys the window.
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    // The arguments from the wide command line, quotes removed: sonkrate
    // passes the flag's path quoted, and it may hold blanks and characters of
    // any script.
    std::vector<std::string> arguments = sonkrate::io::utf8Arguments(__argc, __argv);
    std::vector<char*> pointers = sonkrate::io::argumentPointers(arguments);
    killSwitch.flagPath = sonkrate::killswitch::stopFlagPath(static_cast<int>(arguments.size()), pointers.data());

    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = windowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = kClassName;
    if (!RegisterClassExW(&wc)) return 1;

    // Topmost, so that the switch stays reachable over the program that
    // plays; not resizable, and it cannot be maximised.
    HWND window = CreateWindowExW(WS_EX_TOPMOST, kClassName, kTitle, kStyle, CW_USEDEFAULT, CW_USEDEFAULT, kWidth,
                                  kHeight, nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    ShowWindow(window, show == SW_HIDE ? SW_SHOW : show);
    UpdateWindow(window);

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        // Dialog keys: Enter and Space press Stop.
        if (IsDialogMessageW(window, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}
