#include "platform/win32/win32_dialogs.h"

#include <commctrl.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <algorithm>
#include <vector>

#include "io/unicode_text.h"
#include "platform/win32/win32_text.h"

namespace sonkrate::platform::win32 {

namespace {

// ---- The folder -------------------------------------------------------------------

std::optional<std::string> pickedFolder(IFileOpenDialog* dialog, HWND owner, const std::string& title,
                                        const std::string& initial) {
    DWORD options = 0;
    dialog->GetOptions(&options);
    dialog->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST);
    if (!title.empty()) dialog->SetTitle(io::toWide(title).c_str());
    IShellItem* start = nullptr;
    if (!initial.empty() &&
        SUCCEEDED(SHCreateItemFromParsingName(io::toWide(initial).c_str(), nullptr, IID_PPV_ARGS(&start)))) {
        dialog->SetFolder(start);
        start->Release();
    }
    if (FAILED(dialog->Show(owner))) return std::nullopt;
    IShellItem* chosen = nullptr;
    if (FAILED(dialog->GetResult(&chosen))) return std::nullopt;
    std::optional<std::string> path;
    wchar_t* name = nullptr;
    if (SUCCEEDED(chosen->GetDisplayName(SIGDN_FILESYSPATH, &name)) && name) {
        path = io::fromWide(name);
        CoTaskMemFree(name);
    }
    chosen->Release();
    return path;
}

int CALLBACK browseCallback(HWND window, UINT message, LPARAM, LPARAM initial) {
    if (message == BFFM_INITIALIZED && initial) SendMessageW(window, BFFM_SETSELECTIONW, TRUE, initial);
    return 0;
}

std::optional<std::string> browsedFolder(HWND owner, const std::string& title, const std::string& initial) {
    std::wstring wideTitle = io::toWide(title);
    std::wstring start = io::toWide(initial);
    BROWSEINFOW browse = {};
    browse.hwndOwner = owner;
    browse.lpszTitle = wideTitle.c_str();
    browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    browse.lpfn = browseCallback;
    browse.lParam = start.empty() ? 0 : reinterpret_cast<LPARAM>(start.c_str());
    PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&browse);
    if (!chosen) return std::nullopt;
    std::vector<wchar_t> path(32768, L'\0');
    const bool named = SHGetPathFromIDListEx(chosen, path.data(), static_cast<DWORD>(path.size()), GPFIDL_DEFAULT);
    CoTaskMemFree(chosen);
    if (!named) return std::nullopt;
    return io::fromWide(path.data());
}

// ---- The line of text -------------------------------------------------------------

constexpr WORD kPromptId = 100;
constexpr WORD kTextId = 101;

void putText(std::vector<WORD>& out, const std::wstring& text) {
    out.insert(out.end(), text.begin(), text.end());
    out.push_back(0);
}

void alignToDword(std::vector<WORD>& out) {
    if (out.size() % 2) out.push_back(0);
}

void putDword(std::vector<WORD>& out, DWORD value) {
    out.push_back(LOWORD(value));
    out.push_back(HIWORD(value));
}

// One control of the template: style, no extended style, place in dialog
// units, id, a predefined class (0x0080 button, 0x0081 edit, 0x0082 static).
void putItem(std::vector<WORD>& out, DWORD style, short x, short y, short cx, short cy, WORD id, WORD atom,
             const std::wstring& text) {
    alignToDword(out);
    putDword(out, style | WS_CHILD | WS_VISIBLE);
    putDword(out, 0);
    for (short v : {x, y, cx, cy}) out.push_back(static_cast<WORD>(v));
    out.push_back(id);
    out.push_back(0xFFFF);
    out.push_back(atom);
    putText(out, text);
    out.push_back(0);  // no creation data
}

struct TextDialog {
    std::wstring text;
    std::wstring prompt;
};

// OK takes the text field's text and ends the dialog; Cancel ends it. TRUE
// when the command was one of the two.
INT_PTR endTextDialog(HWND dialog, WORD command, std::wstring& text) {
    if (command != IDOK && command != IDCANCEL) return FALSE;
    if (command == IDOK) text = io::toWide(windowText(GetDlgItem(dialog, kTextId)));
    EndDialog(dialog, command);
    return TRUE;
}

INT_PTR CALLBACK textDialogProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<TextDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (message == WM_INITDIALOG) {
        state = reinterpret_cast<TextDialog*>(lParam);
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        SetDlgItemTextW(dialog, kPromptId, state->prompt.c_str());
        SetDlgItemTextW(dialog, kTextId, state->text.c_str());
        SendDlgItemMessageW(dialog, kTextId, EM_SETSEL, 0, -1);
        return TRUE;  // the focus goes to the first tab stop: the text
    }
    if (message != WM_COMMAND || !state) return FALSE;
    return endTextDialog(dialog, LOWORD(wParam), state->text);
}

// DLGTEMPLATE: the dialog's font is the shell's (DS_SHELLFONT), and
// Windows scales dialog units with the monitor's DPI.
std::vector<WORD> dialogTemplate(DWORD style, WORD controls, short cx, short cy, const std::wstring& title) {
    std::vector<WORD> out;
    putDword(out, DS_SHELLFONT | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU | style);
    putDword(out, 0);
    out.push_back(controls);
    for (short v : {short{0}, short{0}, cx, cy}) out.push_back(static_cast<WORD>(v));
    out.push_back(0);  // no menu
    out.push_back(0);  // the dialog class
    putText(out, title);
    out.push_back(8);  // points
    putText(out, L"MS Shell Dlg");
    return out;
}

INT_PTR runDialog(HWND owner, const std::vector<WORD>& dialog, DLGPROC procedure, void* state) {
    return DialogBoxIndirectParamW(reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(owner, GWLP_HINSTANCE)),
                                   reinterpret_cast<LPCDLGTEMPLATEW>(dialog.data()), owner, procedure,
                                   reinterpret_cast<LPARAM>(state));
}

std::vector<WORD> textDialogTemplate(const std::wstring& title) {
    std::vector<WORD> out = dialogTemplate(DS_MODALFRAME, 4, 240, 70, title);
    putItem(out, SS_LEFT, 7, 7, 226, 18, kPromptId, 0x0082, L"");
    putItem(out, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 7, 27, 226, 14, kTextId, 0x0081, L"");
    putItem(out, WS_TABSTOP | BS_DEFPUSHBUTTON, 129, 49, 50, 14, IDOK, 0x0080, L"OK");
    putItem(out, WS_TABSTOP | BS_PUSHBUTTON, 183, 49, 50, 14, IDCANCEL, 0x0080, L"Cancel");
    return out;
}

// ---- Several lines of text -------------------------------------------------------

// Places in dialog units: margin, button width and height, the gap between
// buttons, and the prompt's height.
constexpr short kMargin = 7, kButtonWidth = 50, kButtonHeight = 14, kButtonGap = 4, kPromptHeight = 10;

void placeLongTextControls(HWND dialog) {
    RECT units = {kMargin, kButtonHeight, kButtonWidth, kPromptHeight};
    MapDialogRect(dialog, &units);
    RECT gap = {kButtonGap, 0, 0, 0};
    MapDialogRect(dialog, &gap);
    const int margin = units.left, buttonHeight = units.top, buttonWidth = units.right, prompt = units.bottom;
    RECT client = {};
    GetClientRect(dialog, &client);
    const int width = std::max<int>(client.right - 2 * margin, 0);
    const int buttons = std::max<int>(client.bottom - margin - buttonHeight, 0);
    const int textTop = margin + prompt + gap.left;
    MoveWindow(GetDlgItem(dialog, kPromptId), margin, margin, width, prompt, TRUE);
    MoveWindow(GetDlgItem(dialog, kTextId), margin, textTop, width, std::max(buttons - margin - textTop, 0), TRUE);
    const int cancel = client.right - margin - buttonWidth;
    MoveWindow(GetDlgItem(dialog, IDCANCEL), cancel, buttons, buttonWidth, buttonHeight, TRUE);
    MoveWindow(GetDlgItem(dialog, IDOK), cancel - gap.left - buttonWidth, buttons, buttonWidth, buttonHeight, TRUE);
}

INT_PTR CALLBACK longTextDialogProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<TextDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (message == WM_INITDIALOG) {
        state = reinterpret_cast<TextDialog*>(lParam);
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        SetDlgItemTextW(dialog, kPromptId, state->prompt.c_str());
        HWND edit = GetDlgItem(dialog, kTextId);
        SendMessageW(edit, EM_SETLIMITTEXT, 0, 0);  // as long as the text is, not 30,000 characters
        SetWindowTextW(edit, state->text.c_str());
        placeLongTextControls(dialog);
        // The caret at the start, nothing selected: a stray key replaces nothing.
        SetFocus(edit);
        SendMessageW(edit, EM_SETSEL, 0, 0);
        return FALSE;
    }
    if (message == WM_SIZE) {
        placeLongTextControls(dialog);
        return TRUE;
    }
    if (message != WM_COMMAND || !state) return FALSE;
    return endTextDialog(dialog, LOWORD(wParam), state->text);
}

std::vector<WORD> longTextDialogTemplate(const std::wstring& title) {
    // Resizable; the controls are placed by placeLongTextControls.
    std::vector<WORD> out = dialogTemplate(WS_THICKFRAME, 4, 320, 220, title);
    const DWORD text = WS_BORDER | WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_WANTRETURN |
                       ES_AUTOVSCROLL | ES_AUTOHSCROLL;
    putItem(out, SS_LEFT | SS_NOPREFIX, 0, 0, 1, 1, kPromptId, 0x0082, L"");
    putItem(out, text, 0, 0, 1, 1, kTextId, 0x0081, L"");
    putItem(out, WS_TABSTOP | BS_PUSHBUTTON, 0, 0, 1, 1, IDOK, 0x0080, L"OK");
    putItem(out, WS_TABSTOP | BS_PUSHBUTTON, 0, 0, 1, 1, IDCANCEL, 0x0080, L"Cancel");
    return out;
}

}  // namespace

std::optional<std::string> editLongTextDialog(HWND owner, const std::string& title, const std::string& prompt,
                                              const std::string& text) {
    TextDialog state{shownWide(withWindowsLineBreaks(text)), shownWide(prompt)};
    if (runDialog(owner, longTextDialogTemplate(shownWide(title)), longTextDialogProcedure, &state) != IDOK)
        return std::nullopt;
    return withoutWindowsLineBreaks(io::fromWide(state.text));
}

int askChoiceDialog(HWND owner, const std::string& title, const std::string& message,
                    const std::vector<std::string>& buttons) {
    // The task dialog comes with common controls 6, which the manifest asks for.
    using TaskDialogFunction = HRESULT(WINAPI*)(const TASKDIALOGCONFIG*, int*, int*, BOOL*);
    HMODULE controls = GetModuleHandleW(L"comctl32.dll");
    auto taskDialog = controls ? reinterpret_cast<TaskDialogFunction>(
                                     reinterpret_cast<void*>(GetProcAddress(controls, "TaskDialogIndirect")))
                               : nullptr;
    if (!taskDialog || buttons.empty()) return -1;
    std::vector<std::wstring> texts;
    for (const std::string& b : buttons) texts.push_back(shownWide(b));
    std::vector<TASKDIALOG_BUTTON> items;
    for (std::size_t i = 0; i < texts.size(); ++i)
        items.push_back(TASKDIALOG_BUTTON{kFirstChoiceId + static_cast<int>(i), texts[i].c_str()});
    const std::wstring caption = shownWide(title), content = shownWide(message);
    TASKDIALOGCONFIG config = {};
    config.cbSize = sizeof config;
    config.hwndParent = owner;
    config.dwFlags = TDF_ALLOW_DIALOG_CANCELLATION | TDF_POSITION_RELATIVE_TO_WINDOW;
    config.pszWindowTitle = caption.c_str();
    config.pszContent = content.c_str();
    config.cButtons = static_cast<UINT>(items.size());
    config.pButtons = items.data();
    config.nDefaultButton = kFirstChoiceId;
    int pressed = 0;
    if (FAILED(taskDialog(&config, &pressed, nullptr, nullptr))) return -1;
    const int index = pressed - kFirstChoiceId;
    return index >= 0 && index < static_cast<int>(buttons.size()) ? index : -1;
}

UINT messageBoxStyle(MessageIcon icon, MessageButtons buttons) {
    UINT style = 0;
    switch (icon) {
    case MessageIcon::None: break;
    case MessageIcon::Information: style |= MB_ICONINFORMATION; break;
    case MessageIcon::Warning: style |= MB_ICONWARNING; break;
    case MessageIcon::Error: style |= MB_ICONERROR; break;
    }
    switch (buttons) {
    case MessageButtons::Ok: style |= MB_OK; break;
    case MessageButtons::OkCancel: style |= MB_OKCANCEL; break;
    case MessageButtons::YesNo: style |= MB_YESNO; break;
    }
    return style;
}

std::optional<std::string> chooseFolderDialog(HWND owner, const std::string& title, const std::string& initial) {
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    IFileOpenDialog* dialog = nullptr;
    std::optional<std::string> folder;
    if (SUCCEEDED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&dialog)))) {
        folder = pickedFolder(dialog, owner, title, initial);
        dialog->Release();
    } else {
        folder = browsedFolder(owner, title, initial);
    }
    if (SUCCEEDED(com)) CoUninitialize();
    return folder;
}

std::optional<std::string> askTextDialog(HWND owner, const std::string& title, const std::string& prompt,
                                         const std::string& initial) {
    TextDialog state{io::toWide(initial), io::toWide(prompt)};
    if (runDialog(owner, textDialogTemplate(io::toWide(title)), textDialogProcedure, &state) != IDOK)
        return std::nullopt;
    return io::fromWide(state.text);
}

}  // namespace sonkrate::platform::win32
