// menu_probe.dll: a hook library that the window tests load into the
// process of the window they check. On the registered message
// "sonkrate_menu_probe" it writes the window's menu bar, read from inside
// the process, to menu_report.txt beside itself:
//   popup<TAB>position<TAB>title
//   item<TAB>id<TAB>GetMenuState flags in hex<TAB>text
// or the single line "nomenu".
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

HINSTANCE self = nullptr;

std::string reportPath() {
    char path[MAX_PATH] = {};
    DWORD n = GetModuleFileNameA(self, path, MAX_PATH);
    std::string p(path, n);
    std::size_t slash = p.find_last_of("\\/");
    return (slash == std::string::npos ? std::string() : p.substr(0, slash + 1)) + "menu_report.txt";
}

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

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) self = instance;
    return TRUE;
}

extern "C" __declspec(dllexport) LRESULT CALLBACK menuProbeHook(int code, WPARAM wParam, LPARAM lParam) {
    static const UINT probe = RegisterWindowMessageA("sonkrate_menu_probe");
    if (code == HC_ACTION) {
        const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (call->message == probe) writeReport(call->hwnd);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
