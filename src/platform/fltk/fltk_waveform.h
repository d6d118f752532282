// The archive window's waveform view: per pixel column the extremes of each
// channel (channels stacked), the play cursor, a click as a fraction of the
// width, and its width in columns reported when it changes.
#pragma once

#include <FL/Fl_Widget.H>

#include <cstdint>
#include <functional>
#include <optional>

#include "platform/archive_window.h"

namespace sonkrate::platform::desktop {

class WaveformView : public Fl_Widget {
public:
    WaveformView(int x, int y, int w, int h);

    std::function<void(double fraction)> clicked;

    void picture(const WaveformPicture& picture);
    const WaveformPicture& picture() const { return picture_; }
    void cursor(std::optional<std::uint64_t> ms);
    std::optional<std::uint64_t> cursor() const { return cursorMs_; }
    // Pixel columns inside the frame: the width the shell computes peaks for.
    int columns() const { return w() > 4 ? w() - 4 : 0; }
    // The cursor's pixel column inside the frame; -1 when none is drawn.
    int cursorColumn() const;

    void draw() override;
    int handle(int event) override;

private:
    void drawChannel(int channel, int top, int height);

    WaveformPicture picture_;
    std::optional<std::uint64_t> cursorMs_;
};

}  // namespace sonkrate::platform::desktop
