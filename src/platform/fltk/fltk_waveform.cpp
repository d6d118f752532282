#include "platform/fltk/fltk_waveform.h"

#include <FL/Fl.H>
#include <FL/fl_draw.H>

#include <algorithm>

namespace sonkrate::platform::desktop {

namespace {

const Fl_Color kGround = fl_rgb_color(250, 250, 252);
const Fl_Color kWave = fl_rgb_color(40, 100, 180);
const Fl_Color kAxis = fl_rgb_color(205, 210, 220);
const Fl_Color kCursor = fl_rgb_color(220, 40, 40);

}  // namespace

WaveformView::WaveformView(int x, int y, int w, int h) : Fl_Widget(x, y, w, h) {
    box(FL_THIN_DOWN_BOX);
    color(kGround);
}

void WaveformView::picture(const WaveformPicture& picture) {
    picture_ = picture;
    redraw();
}

void WaveformView::cursor(std::optional<std::uint64_t> ms) {
    if (ms == cursorMs_) return;
    cursorMs_ = ms;
    redraw();
}

int WaveformView::cursorColumn() const {
    if (!cursorMs_ || picture_.durationMs == 0 || columns() == 0) return -1;
    std::uint64_t ms = std::min(*cursorMs_, picture_.durationMs);
    return static_cast<int>(static_cast<double>(ms) / static_cast<double>(picture_.durationMs) * (columns() - 1) + 0.5);
}

void WaveformView::drawChannel(int channel, int top, int height) {
    int mid = top + height / 2;
    fl_color(kAxis);
    fl_xyline(x() + 2, mid, x() + 2 + columns() - 1);
    if (picture_.columns <= 0) return;
    fl_color(kWave);
    double half = (height - 2) / 2.0;
    for (int px = 0; px < columns(); ++px) {
        // The picture may have been computed for another width: each pixel
        // column shows the picture column under it.
        int column = static_cast<int>(static_cast<long long>(px) * picture_.columns / columns());
        std::size_t at = static_cast<std::size_t>(column) * static_cast<std::size_t>(picture_.channels) +
                         static_cast<std::size_t>(channel);
        if (at >= picture_.peaks.size()) break;
        const PeakPair& p = picture_.peaks[at];
        int y1 = mid - static_cast<int>(p.maximum / 32768.0 * half);
        int y2 = mid - static_cast<int>(p.minimum / 32768.0 * half);
        fl_yxline(x() + 2 + px, std::min(y1, y2), std::max(y1, y2));
    }
}

void WaveformView::draw() {
    draw_box();
    fl_push_clip(x() + 2, y() + 2, w() - 4, h() - 4);
    int channels = std::max(picture_.channels, 1);
    int inner = h() - 4;
    for (int c = 0; c < channels; ++c) {
        int top = y() + 2 + inner * c / channels;
        int bottom = y() + 2 + inner * (c + 1) / channels;
        if (c > 0) {
            fl_color(kAxis);
            fl_xyline(x() + 2, top, x() + w() - 3);
        }
        drawChannel(c, top, bottom - top);
    }
    if (picture_.columns <= 0) {
        fl_color(fl_rgb_color(150, 150, 150));
        fl_font(FL_HELVETICA, 12);
        fl_draw("No waveform: select a sound.", x(), y(), w(), h(), FL_ALIGN_CENTER);
    }
    int cx = cursorColumn();
    if (cx >= 0) {
        fl_color(kCursor);
        fl_yxline(x() + 2 + cx, y() + 2, y() + h() - 3);
    }
    fl_pop_clip();
}

int WaveformView::handle(int event) {
    switch (event) {
    case FL_PUSH:
        if (Fl::event_button() != FL_LEFT_MOUSE || columns() == 0) return 0;
        if (clicked) {
            double fraction = static_cast<double>(Fl::event_x() - x() - 2) / std::max(columns() - 1, 1);
            clicked(std::clamp(fraction, 0.0, 1.0));
        }
        return 1;
    case FL_RELEASE: return 1;
    default: return Fl_Widget::handle(event);
    }
}

}  // namespace sonkrate::platform::desktop
