// The archive window's waveform view: per pixel column each channel's
// minimum and maximum as a vertical line, the channels stacked, and the play
// cursor. A click tells the shell where, as a fraction of the width; a new
// width is told as the number of pixel columns the shell should compute.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>

#include "platform/archive_window.h"

namespace sonkrate::platform::win32 {

HWND createWaveformView(HWND parent, HINSTANCE instance, int id, ArchiveWindowSink& sink);
void setWaveformPicture(HWND view, const WaveformPicture& picture);
void setWaveformCursorAt(HWND view, std::optional<std::uint64_t> ms);
// From now on (the window is shown) widths are told to the shell; the
// present one at once when it has not been told yet.
void startTellingWaveformWidth(HWND view);

// Drawing and pointing, in a view of width x height pixels.
void paintWaveform(HDC dc, RECT area, const WaveformPicture& picture, std::optional<std::uint64_t> cursorMs,
                   int cursorWidth = 1);
double waveformFraction(int x, int width);
// The column of the cursor, or -1 when it is outside the sound.
int waveformCursorColumn(std::uint64_t ms, std::uint64_t durationMs, int width);

}  // namespace sonkrate::platform::win32
