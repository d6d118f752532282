#include "platform/win32/win32_dpi.h"

namespace sonkrate::platform::win32 {

namespace {

// A function of a system library, or nullptr where this Windows has none.
template <typename Function>
Function systemFunction(const wchar_t* library, const char* name) {
    HMODULE module = GetModuleHandleW(library);
    if (!module) module = LoadLibraryW(library);
    if (!module) return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

using SetAwarenessContextFn = BOOL(WINAPI*)(HANDLE);
using SetAwarenessFn = HRESULT(WINAPI*)(int);
using SetAwareFn = BOOL(WINAPI*)();
using DpiForWindowFn = UINT(WINAPI*)(HWND);
using DpiForSystemFn = UINT(WINAPI*)();
using DpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
using AdjustForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
using ParametersForDpiFn = BOOL(WINAPI*)(UINT, UINT, void*, UINT, UINT);

// DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2 and _PER_MONITOR_AWARE.
const HANDLE kPerMonitorV2 = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4));
const HANDLE kPerMonitor = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-3));
constexpr int kProcessPerMonitorDpiAware = 2;
constexpr int kEffectiveDpi = 0;

int screenDpi() {
    HDC screen = GetDC(nullptr);
    int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : kBaseDpi;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : kBaseDpi;
}

}  // namespace

void declareDpiAwareness() {
    // Refused (access denied) when the manifest has declared it already.
    if (auto set = systemFunction<SetAwarenessContextFn>(L"user32.dll", "SetProcessDpiAwarenessContext")) {
        if (set(kPerMonitorV2) || set(kPerMonitor)) return;
        if (GetLastError() == ERROR_ACCESS_DENIED) return;
    }
    if (auto set = systemFunction<SetAwarenessFn>(L"shcore.dll", "SetProcessDpiAwareness")) {
        HRESULT result = set(kProcessPerMonitorDpiAware);
        if (SUCCEEDED(result) || result == E_ACCESSDENIED) return;
    }
    if (auto set = systemFunction<SetAwareFn>(L"user32.dll", "SetProcessDPIAware")) set();
}

int systemDpi() {
    static const DpiForSystemFn forSystem = systemFunction<DpiForSystemFn>(L"user32.dll", "GetDpiForSystem");
    if (forSystem) {
        UINT dpi = forSystem();
        if (dpi > 0) return static_cast<int>(dpi);
    }
    return screenDpi();
}

int dpiOfWindow(HWND window) {
    static const DpiForWindowFn forWindow = systemFunction<DpiForWindowFn>(L"user32.dll", "GetDpiForWindow");
    if (window && forWindow) {
        UINT dpi = forWindow(window);
        if (dpi > 0) return static_cast<int>(dpi);
    }
    return systemDpi();
}

int dpiAtPoint(POINT point) {
    static const DpiForMonitorFn forMonitor = systemFunction<DpiForMonitorFn>(L"shcore.dll", "GetDpiForMonitor");
    UINT x = 0, y = 0;
    if (forMonitor && SUCCEEDED(forMonitor(MonitorFromPoint(point, MONITOR_DEFAULTTOPRIMARY), kEffectiveDpi, &x, &y)) &&
        x > 0)
        return static_cast<int>(x);
    return systemDpi();
}

SIZE outerSizeForDpi(int width, int height, DWORD style, DWORD exStyle, bool menu, int dpi) {
    if (dpi == kBaseDpi) return SIZE{width, height};
    static const AdjustForDpiFn adjust = systemFunction<AdjustForDpiFn>(L"user32.dll", "AdjustWindowRectExForDpi");
    if (!adjust) return SIZE{scaledForDpi(width, dpi), scaledForDpi(height, dpi)};
    // The frame at 96 DPI taken off, the client scaled, the frame at dpi put on.
    RECT frame96 = {0, 0, 0, 0};
    RECT frame = {0, 0, 0, 0};
    adjust(&frame96, style, menu ? TRUE : FALSE, exStyle, kBaseDpi);
    adjust(&frame, style, menu ? TRUE : FALSE, exStyle, static_cast<UINT>(dpi));
    const int clientWidth = width - (frame96.right - frame96.left);
    const int clientHeight = height - (frame96.bottom - frame96.top);
    return SIZE{scaledForDpi(clientWidth, dpi) + (frame.right - frame.left),
                scaledForDpi(clientHeight, dpi) + (frame.bottom - frame.top)};
}

HFONT messageFontForDpi(int dpi) {
    static const ParametersForDpiFn forDpi =
        systemFunction<ParametersForDpiFn>(L"user32.dll", "SystemParametersInfoForDpi");
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof metrics;
    if (forDpi && forDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, static_cast<UINT>(dpi)))
        return CreateFontIndirectW(&metrics.lfMessageFont);
    LOGFONTW& font = metrics.lfMessageFont;
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0) &&
        !GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font))
        return nullptr;
    // The system's metrics and stock fonts are at the system's DPI.
    font.lfHeight = MulDiv(font.lfHeight, dpi, systemDpi());
    font.lfWidth = MulDiv(font.lfWidth, dpi, systemDpi());
    return CreateFontIndirectW(&font);
}

HFONT stockFontForDpi(int stockObject, int dpi) {
    // Stock fonts are made at the system's DPI.
    const int system = systemDpi();
    if (dpi == system) return nullptr;
    LOGFONTW font = {};
    if (!GetObjectW(GetStockObject(stockObject), sizeof font, &font)) return nullptr;
    font.lfHeight = MulDiv(font.lfHeight, dpi, system);
    font.lfWidth = MulDiv(font.lfWidth, dpi, system);
    return CreateFontIndirectW(&font);
}

void moveToSuggestedRect(HWND window, LPARAM suggested) {
    const RECT* r = reinterpret_cast<const RECT*>(suggested);
    if (!r) return;
    SetWindowPos(window, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace sonkrate::platform::win32
