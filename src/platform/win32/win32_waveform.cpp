#include "platform/win32/win32_waveform.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "platform/win32/win32_dpi.h"


namespace sonkrate::platform::win32 {

namespace {

const wchar_t kClassName[] = L"SonkrateWaveform";

struct WaveformState {
    ArchiveWindowSink* sink = nullptr;
    WaveformPicture picture;
    std::optional<std::uint64_t> cursorMs;
    bool telling = false;
    int toldColumns = -1;
};

WaveformState* stateOf(HWND view) { return reinterpret_cast<WaveformState*>(GetWindowLongPtrW(view, GWLP_USERDATA)); }

const COLORREF kBackground = RGB(255, 255, 255);
const COLORREF kCentreLine = RGB(208, 214, 222);
const COLORREF kSeparator = RGB(160, 168, 180);
const COLORREF kWave = RGB(0, 90, 180);
const COLORREF kCursor = RGB(220, 30, 30);

// A sample value's row in a band of the given top and height, +32767 at the top.
int rowOf(int value, int top, int height) {
    const int middle = top + height / 2;
    const int half = std::max(height / 2 - 1, 0);
    return middle - static_cast<int>(std::lround(static_cast<double>(value) * half / 32768.0));
}

void drawColumns(HDC dc, RECT area, const WaveformPicture& picture) {
    const int width = area.right - area.left, height = area.bottom - area.top;
    const int channels = picture.channels;
    HPEN wave = CreatePen(PS_SOLID, 1, kWave);
    HGDIOBJ old = SelectObject(dc, wave);
    for (int x = 0; x < width; ++x) {
        // Each pixel column shows the picture's column under it.
        const int column = static_cast<int>(static_cast<long long>(x) * picture.columns / width);
        for (int c = 0; c < channels; ++c) {
            const std::size_t at = static_cast<std::size_t>(column) * static_cast<std::size_t>(channels) + c;
            if (at >= picture.peaks.size()) continue;
            const int top = area.top + height * c / channels;
            const int band = area.top + height * (c + 1) / channels - top;
            const int high = rowOf(picture.peaks[at].maximum, top, band);
            const int low = rowOf(picture.peaks[at].minimum, top, band);
            MoveToEx(dc, area.left + x, std::min(high, low), nullptr);
            LineTo(dc, area.left + x, std::max(high, low) + 1);
        }
    }
    SelectObject(dc, old);
    DeleteObject(wave);
}

void fillRect(HDC dc, RECT r, COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &r, brush);
    DeleteObject(brush);
}

void drawBands(HDC dc, RECT area, int channels) {
    const int height = area.bottom - area.top;
    for (int c = 0; c < channels; ++c) {
        const int top = area.top + height * c / channels;
        const int band = area.top + height * (c + 1) / channels - top;
        fillRect(dc, RECT{area.left, top + band / 2, area.right, top + band / 2 + 1}, kCentreLine);
        if (c > 0) fillRect(dc, RECT{area.left, top, area.right, top + 1}, kSeparator);
    }
}

void paintBuffered(HWND view) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(view, &paint);
    RECT client;
    GetClientRect(view, &client);
    // Drawn off screen first, so that the moving cursor does not flicker.
    HDC memory = CreateCompatibleDC(dc);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, std::max<LONG>(client.right, 1), std::max<LONG>(client.bottom, 1));
    HGDIOBJ old = SelectObject(memory, bitmap);
    // The cursor as thick as a pixel at 96 DPI.
    if (WaveformState* state = stateOf(view))
        paintWaveform(memory, client, state->picture, state->cursorMs, scaledForDpi(1, dpiOfWindow(view)));
    BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    EndPaint(view, &paint);
}

void tellWidth(HWND view) {
    WaveformState* state = stateOf(view);
    RECT client;
    GetClientRect(view, &client);
    if (!state || !state->telling || client.right <= 0 || client.right == state->toldColumns) return;
    state->toldColumns = client.right;
    state->sink->onWaveformResized(client.right);
}

LRESULT CALLBACK waveformProcedure(HWND view, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_NCCREATE: {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        auto state = std::make_unique<WaveformState>();
        state->sink = static_cast<ArchiveWindowSink*>(create->lpCreateParams);
        SetWindowLongPtrW(view, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state.release()));
        return DefWindowProcW(view, message, wParam, lParam);
    }
    case WM_NCDESTROY:
        delete stateOf(view);
        SetWindowLongPtrW(view, GWLP_USERDATA, 0);
        return DefWindowProcW(view, message, wParam, lParam);
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: paintBuffered(view); return 0;
    case WM_SIZE:
        InvalidateRect(view, nullptr, FALSE);
        tellWidth(view);
        return 0;
    case WM_LBUTTONDOWN: {
        RECT client;
        GetClientRect(view, &client);
        if (WaveformState* state = stateOf(view))
            state->sink->onWaveformClick(waveformFraction(static_cast<short>(LOWORD(lParam)), client.right));
        return 0;
    }
    default: return DefWindowProcW(view, message, wParam, lParam);
    }
}

}  // namespace

void paintWaveform(HDC dc, RECT area, const WaveformPicture& picture, std::optional<std::uint64_t> cursorMs,
                   int cursorWidth) {
    fillRect(dc, area, kBackground);
    const int width = area.right - area.left;
    if (width <= 0 || area.bottom <= area.top) return;
    const bool whole = picture.channels > 0 && picture.columns > 0 &&
                       picture.peaks.size() >= static_cast<std::size_t>(picture.columns) * picture.channels;
    drawBands(dc, area, whole ? picture.channels : 1);
    if (whole) drawColumns(dc, area, picture);
    if (!cursorMs) return;
    const int x = waveformCursorColumn(*cursorMs, picture.durationMs, width);
    if (x < 0) return;
    const int left = std::clamp(x - (cursorWidth - 1) / 2, 0, std::max(width - cursorWidth, 0));
    fillRect(dc, RECT{area.left + left, area.top, area.left + left + cursorWidth, area.bottom}, kCursor);
}

double waveformFraction(int x, int width) {
    if (width <= 1) return 0.0;
    return std::clamp(static_cast<double>(x) / (width - 1), 0.0, 1.0);
}

int waveformCursorColumn(std::uint64_t ms, std::uint64_t durationMs, int width) {
    if (durationMs == 0 || width <= 0 || ms > durationMs) return -1;
    return static_cast<int>(std::min<std::uint64_t>(ms * static_cast<std::uint64_t>(width - 1) / durationMs,
                                                    static_cast<std::uint64_t>(width - 1)));
}

HWND createWaveformView(HWND parent, HINSTANCE instance, int id, ArchiveWindowSink& sink) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    if (!GetClassInfoExW(instance, kClassName, &wc)) {
        wc.lpfnWndProc = waveformProcedure;
        wc.hInstance = instance;
        wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_HAND));
        wc.lpszClassName = kClassName;
        if (!RegisterClassExW(&wc)) return nullptr;
    }
    return CreateWindowExW(WS_EX_CLIENTEDGE, kClassName, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, &sink);
}

void setWaveformPicture(HWND view, const WaveformPicture& picture) {
    if (WaveformState* state = stateOf(view)) state->picture = picture;
    InvalidateRect(view, nullptr, FALSE);
}

void setWaveformCursorAt(HWND view, std::optional<std::uint64_t> ms) {
    WaveformState* state = stateOf(view);
    if (!state || state->cursorMs == ms) return;
    state->cursorMs = ms;
    InvalidateRect(view, nullptr, FALSE);
}

void startTellingWaveformWidth(HWND view) {
    if (WaveformState* state = stateOf(view)) state->telling = true;
    tellWidth(view);
}

}  // namespace sonkrate::platform::win32
