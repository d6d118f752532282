// Dots per inch on Windows: the process declares itself per-monitor aware,
// and every window lays itself out from sizes given at 96 DPI, scaled by the
// DPI of the monitor it is on. The newer functions of user32 and shcore are
// looked up at run time, so that older Windows still start.
#pragma once

#include <windows.h>

namespace sonkrate::platform::win32 {

inline constexpr int kBaseDpi = 96;

// A length given at 96 DPI at dpi, rounded to the nearest pixel (half away
// from zero, as MulDiv rounds); 96 DPI keeps every length as it is.
constexpr int scaledForDpi(int length96, int dpi) {
    if (dpi == kBaseDpi || dpi <= 0) return length96;
    long long product = static_cast<long long>(length96) * dpi;
    long long half = kBaseDpi / 2;
    return static_cast<int>(product >= 0 ? (product + half) / kBaseDpi : -((-product + half) / kBaseDpi));
}

// A rectangle given at 96 DPI as place and size: each scaled by itself,
// so that controls of the same size stay the same size.
constexpr RECT scaledRect(int x, int y, int width, int height, int dpi) {
    const int left = scaledForDpi(x, dpi), top = scaledForDpi(y, dpi);
    return RECT{left, top, left + scaledForDpi(width, dpi), top + scaledForDpi(height, dpi)};
}

// Per-monitor awareness (version 2 where Windows has it, else version 1,
// else the system's DPI) for a process whose manifest did not declare it.
void declareDpiAwareness();

// The DPI of the system (the primary monitor's at logon), of a window's
// monitor, and of the monitor holding a point.
int systemDpi();
int dpiOfWindow(HWND window);
int dpiAtPoint(POINT point);

// The outer size of a window whose outer size at 96 DPI is width x height:
// its client area scaled, its frame, caption and menu bar as wide as they
// are at dpi.
SIZE outerSizeForDpi(int width, int height, DWORD style, DWORD exStyle, bool menu, int dpi);

// The font of message boxes at dpi; the caller deletes it.
HFONT messageFontForDpi(int dpi);
// A copy of a stock font at dpi, or nullptr when the stock font is already
// at that DPI (the caller then uses the stock font itself).
HFONT stockFontForDpi(int stockObject, int dpi);

// The window's rectangle that WM_DPICHANGED suggests, taken.
void moveToSuggestedRect(HWND window, LPARAM suggested);

}  // namespace sonkrate::platform::win32
