// How the archive window looks: its fonts, sizes and colours, the colours of
// a row by its mark and selection, and text cut to a width with an ellipsis.
#pragma once

#include <FL/Enumerations.H>

#include <string>

#include "platform/archive_window.h"

namespace sonkrate::platform::desktop {

// The unmarked row, named here because X11's headers define None as a macro.
inline constexpr RowMark kNoMark = RowMark::None;

inline constexpr Fl_Font kTableFont = FL_HELVETICA;
inline constexpr int kTableFontSize = 12;
inline constexpr int kHeaderHeight = 24;
inline constexpr int kArchiveMenuHeight = 26;

inline const Fl_Color kWindowBackground = fl_rgb_color(239, 239, 239);
inline const Fl_Color kHeaderBackground = fl_rgb_color(240, 240, 240);
inline const Fl_Color kGridLine = fl_rgb_color(200, 200, 200);
inline const Fl_Color kSelection = fl_rgb_color(48, 110, 200);
inline const Fl_Color kSortArrow = fl_rgb_color(90, 90, 90);

struct RowLook {
    Fl_Color background;
    Fl_Color text;
    Fl_Color stripe;  // the mark's bar at the start of the row
};

// A selected row stands out in the selection colour, greyed when the table
// has not the keyboard; marks tint the ground and draw a bar of their colour.
RowLook rowLook(RowMark mark, bool selected, bool tableFocused, bool oddRow);

// The text as it fits width pixels in the current font: whole, or cut at a
// character boundary and ended with an ellipsis.
std::string fitText(const std::string& text, int width);

}  // namespace sonkrate::platform::desktop
