// The rules of the trackbar and the progress bar, kept by every backend the
// same way: the range, the position clamped into it (also when the range
// changes under it), the progress bar's step and its wrap past the end.
// The defaults are those the Windows controls start with.
#pragma once

#include <algorithm>

namespace sonkrate::platform {

struct RangeControl {
    int low = 0;
    int high = 100;
    int position = 0;
    int step = 10;          // progress bar
    int ticFrequency = 1;   // trackbar
};

// A high below low is taken as low; the position moves into the new range.
inline void setRange(RangeControl& c, int low, int high) {
    c.low = low;
    c.high = std::max(low, high);
    c.position = std::clamp(c.position, c.low, c.high);
}

inline void setPosition(RangeControl& c, int position) { c.position = std::clamp(position, c.low, c.high); }

// Advances by the step; stepped past its end, the bar starts over from low
// by what it overshot, as the Windows control does.
inline void stepIt(RangeControl& c) {
    c.position += c.step;
    if (c.position > c.high) c.position = c.low + (c.position - c.high);
}

}  // namespace sonkrate::platform
