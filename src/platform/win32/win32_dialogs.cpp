#include "platform/win32/win32_dialogs.h"

#include <shlobj.h>
#include <shobjidl.h>

#include <vector>

#include "io/unicode_text.h"

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
    if (LOWORD(wParam) == IDOK) {
        HWND edit = GetDlgItem(dialog, kTextId);
        std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(edit)) + 1, L'\0');
        text.resize(static_cast<std::size_t>(GetWindowTextW(edit, text.data(), static_cast<int>(text.size()))));
        state->text = text;
        EndDialog(dialog, IDOK);
        return TRUE;
    }
    if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    }
    return FALSE;
}

std::vector<WORD> textDialogTemplate(const std::wstring& title) {
    std::vector<WORD> out;
    // DLGTEMPLATE: the dialog's font is the shell's (DS_SHELLFONT), and
    // Windows scales dialog units with the monitor's DPI.
    putDword(out, DS_SHELLFONT | DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU);
    putDword(out, 0);
    out.push_back(4);  // controls
    for (short v : {0, 0, 240, 70}) out.push_back(static_cast<WORD>(v));
    out.push_back(0);  // no menu
    out.push_back(0);  // the dialog class
    putText(out, title);
    out.push_back(8);  // points
    putText(out, L"MS Shell Dlg");
    putItem(out, SS_LEFT, 7, 7, 226, 18, kPromptId, 0x0082, L"");
    putItem(out, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 7, 27, 226, 14, kTextId, 0x0081, L"");
    putItem(out, WS_TABSTOP | BS_DEFPUSHBUTTON, 129, 49, 50, 14, IDOK, 0x0080, L"OK");
    putItem(out, WS_TABSTOP | BS_PUSHBUTTON, 183, 49, 50, 14, IDCANCEL, 0x0080, L"Cancel");
    return out;
}

}  // namespace

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
    std::vector<WORD> dialogTemplate = textDialogTemplate(io::toWide(title));
    const INT_PTR answer =
        DialogBoxIndirectParamW(reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(owner, GWLP_HINSTANCE)),
                                reinterpret_cast<LPCDLGTEMPLATEW>(dialogTemplate.data()), owner, textDialogProcedure,
                                reinterpret_cast<LPARAM>(&state));
    if (answer != IDOK) return std::nullopt;
    return io::fromWide(state.text);
}

}  // namespace sonkrate::platform::win32
