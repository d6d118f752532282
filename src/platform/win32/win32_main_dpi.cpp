// The main window at any DPI: its controls' places, sizes, fonts and
// images come from the shell's table at 96 DPI, scaled by the window's DPI
// when they are made and again when the window moves to a monitor of
// another DPI. At 96 DPI every control is exactly as the table gives it.
#include "platform/win32/win32_dpi.h"
#include "platform/win32/win32_platform.h"

namespace sonkrate::platform::win32 {

HFONT Win32Platform::guiFont() const {
    return scaledGuiFont_ ? scaledGuiFont_ : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

void Win32Platform::placeControl(int controlId, HWND control, const PlacedControl& place) {
    const RECT r = scaledRect(place.x, place.y, place.width, place.height, dpi_);
    SetWindowPos(control, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
    if (place.guiFont) {
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(guiFont()), TRUE);
    } else if (!place.bitmapId && (scaledSystemFont_ || SendMessageW(control, WM_GETFONT, 0, 0))) {
        // The system font is at the system's DPI: a copy at the window's
        // DPI where they differ, else the system font itself (none set).
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(scaledSystemFont_), TRUE);
    }
    if (!place.bitmapId) return;
    // The image at its own size at 96 DPI, stretched at any other; the
    // static takes the image's size.
    const int width = dpi_ == kBaseDpi ? 0 : r.right - r.left;
    const int height = dpi_ == kBaseDpi ? 0 : r.bottom - r.top;
    HANDLE image = LoadImageW(instance_, MAKEINTRESOURCEW(place.bitmapId), IMAGE_BITMAP, width, height,
                              LR_CREATEDIBSECTION);
    if (!image) return;
    SendMessageW(control, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(image));
    auto old = bitmaps_.find(controlId);
    if (old != bitmaps_.end()) DeleteObject(old->second);
    bitmaps_[controlId] = static_cast<HBITMAP>(image);
}

void Win32Platform::changeDpi(int dpi, const RECT* suggested) {
    if (!window_ || dpi <= 0) return;
    dpi_ = dpi;
    HFONT previous[] = {scaledGuiFont_, scaledSystemFont_};
    scaledGuiFont_ = stockFontForDpi(DEFAULT_GUI_FONT, dpi);
    scaledSystemFont_ = stockFontForDpi(SYSTEM_FONT, dpi);
    for (const auto& [id, place] : placed_)
        if (HWND h = control(id)) placeControl(id, h, place);
    for (HFONT font : previous)
        if (font) DeleteObject(font);
    if (suggested) {
        SetWindowPos(window_, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    } else {
        const SIZE size = outerSizeForDpi(width96_, height96_, GetWindowLongW(window_, GWL_STYLE), 0, true, dpi);
        SetWindowPos(window_, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    InvalidateRect(window_, nullptr, TRUE);
}

}  // namespace sonkrate::platform::win32
