// menu_probe.dll: a hook library that the window tests load into the
// process of the window they check. On the registered message
// "sonkrate_menu_probe" it writes the window's menu bar, read from inside
// the process, to menu_report.txt beside itself:
//   popup<TAB>position<TAB>title
//   item<TAB>id<TAB>GetMenuState flags in hex<TAB>text
// or the single line "nomenu".
// On "sonkrate_drop_probe" it drops a file on a row of the window's list
// view as Explorer would: drop_request.txt beside itself holds the row and,
// on the next line, the path (UTF-8); the drop's memory is the process's own.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

HINSTANCE self = nullptr;

std::string besideSelf(const char* name) {
    char path[MAX_PATH] = {};
    DWORD n = GetModuleFileNameA(self, path, MAX_PATH);
    std::string p(path, n);
    std::size_t slash = p.find_last_of("\\/");
    return (slash == std::string::npos ? std::string() : p.substr(0, slash + 1)) + name;
}

std::string reportPath() { return besideSelf("menu_report.txt"); }

std::string itemText(HMENU menu, UINT position) {
    char text[256] = {};
    GetMenuStringA(menu, position, text, sizeof text, MF_BYPOSITION);
    return text;
}

void writeReport(HWND window) {
    std::FILE* out = std::fopen(reportPath().c_str(), "wb");
    if (!out) return;
    HMENU bar = GetMenu(window);
    int popups = bar ? GetMenuItemCount(bar) : -1;
    if (popups < 0) std::fputs("nomenu\n", out);
    for (int p = 0; p < popups; ++p) {
        std::fprintf(out, "popup\t%d\t%s\n", p, itemText(bar, static_cast<UINT>(p)).c_str());
        HMENU popup = GetSubMenu(bar, p);
        int items = popup ? GetMenuItemCount(popup) : 0;
        for (int i = 0; i < items; ++i) {
            UINT id = GetMenuItemID(popup, i);
            if (id == static_cast<UINT>(-1)) continue;  // a nested popup
            std::fprintf(out, "item\t%u\t%x\t%s\n", id, GetMenuState(bar, id, MF_BYCOMMAND),
                         itemText(popup, static_cast<UINT>(i)).c_str());
        }
    }
    std::fclose(out);
}

void dropOnRow(HWND window) {
    std::FILE* in = std::fopen(besideSelf("drop_request.txt").c_str(), "rb");
    if (!in) return;
    char line[4096] = {};
    int row = -1;
    std::string path;
    if (std::fgets(line, sizeof line, in)) row = std::atoi(line);
    if (std::fgets(line, sizeof line, in)) path = line;
    std::fclose(in);
    while (!path.empty() && (path.back() == '\n' || path.back() == '\r')) path.pop_back();
    HWND list = FindWindowExW(window, nullptr, WC_LISTVIEWW, nullptr);
    if (!list || row < 0 || path.empty()) return;
    RECT cell = {};
    cell.top = 2;  // the Name column
    cell.left = LVIR_BOUNDS;
    SendMessageW(list, LVM_GETSUBITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&cell));
    POINT at = {(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2};
    MapWindowPoints(list, window, &at, 1);
    const int length = MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, nullptr, 0);
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + (static_cast<std::size_t>(length) + 1) * sizeof(wchar_t));
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->pt = at;
    drop->fWide = TRUE;
    MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, reinterpret_cast<wchar_t*>(drop + 1), length);
    GlobalUnlock(memory);
    // Handled once the hook has returned, as a real drop is.
    PostMessageW(window, WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) self = instance;
    return TRUE;
}

extern "C" __declspec(dllexport) LRESULT CALLBACK menuProbeHook(int code, WPARAM wParam, LPARAM lParam) {
    static const UINT probe = RegisterWindowMessageA("sonkrate_menu_probe");
    static const UINT dropProbe = RegisterWindowMessageA("sonkrate_drop_probe");
    if (code == HC_ACTION) {
        const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (call->message == probe) writeReport(call->hwnd);
        if (call->message == dropProbe) dropOnRow(call->hwnd);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
