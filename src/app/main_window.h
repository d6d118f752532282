// The main window as data: its class, title, size and place, and the table
// of child controls (ids, kinds, texts, styles, positions, fonts) from which
// every backend builds the same window.
#pragma once

#include <array>
#include <span>

#include "platform/platform.h"

namespace sonkrate::app {

inline constexpr int kWindowWidth = 476;
inline constexpr int kWindowHeight = 326;

// Class and title of the main window (both with the leading blank).
inline constexpr std::string_view kWindowClassName = " sonkrate";
inline constexpr std::string_view kWindowTitle = " sonkrate";

// The window centred on a screen of the given size.
platform::WindowDescription mainWindowDescription(platform::ScreenSize screen);

// Every child control, in the order of the table; each carries the start-up
// phase in which it is created.
std::span<const platform::ControlDescription> controlTable();
// The entry of one control; nullptr for an unknown id.
const platform::ControlDescription* findControl(int id);

// The four buttons that long commands disable together: next, replay,
// previous, stop.
inline constexpr std::array<int, 4> kPlaybackButtons{200, 1100, 300, 400};

}  // namespace sonkrate::app
