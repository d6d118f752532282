// What the parts of the desktop backend share: the window's frame and fonts,
// the display, the clock and a few questions about files.
#pragma once

#include <FL/Enumerations.H>

#include <cstdint>
#include <string>

namespace sonkrate::platform::desktop {

// The window's frame on the system it was drawn for: 3 pixels each side,
// a caption and a menu bar; what is left is the client area.
inline constexpr int kFrameWidth = 6;
inline constexpr int kFrameHeight = 46;
inline constexpr int kMenuBarHeight = 24;
// The system's GUI font and its plainer, bolder default font.
inline constexpr Fl_Font kGuiFont = FL_HELVETICA;
inline constexpr int kGuiFontSize = 10;
inline constexpr Fl_Font kSystemFont = FL_HELVETICA_BOLD;
inline constexpr int kSystemFontSize = 12;

// Opens the X display once; false when there is none.
bool openDisplay();
std::uint64_t steadyMillis();
bool isRegularFile(const std::string& path);
bool isFolder(const std::string& path);

}  // namespace sonkrate::platform::desktop
