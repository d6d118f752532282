#include "audio/convert/waveform_peaks.h"

#include <algorithm>

namespace sonkrate::audio {

namespace {

// Folds frames [from, to) of buffer into the extremes of one column; stereo
// in one pass over the frames.
void fold(const std::int16_t* buffer, std::size_t from, std::size_t to, unsigned channels, std::int16_t* column) {
    if (channels == 2) {
        std::int16_t lowL = column[0], highL = column[1], lowR = column[2], highR = column[3];
        for (std::size_t f = from; f < to; ++f) {
            const std::int16_t l = buffer[2 * f], r = buffer[2 * f + 1];
            lowL = std::min(lowL, l), highL = std::max(highL, l);
            lowR = std::min(lowR, r), highR = std::max(highR, r);
        }
        column[0] = lowL, column[1] = highL, column[2] = lowR, column[3] = highR;
        return;
    }
    for (unsigned c = 0; c < channels; ++c) {
        std::int16_t low = column[2 * c], high = column[2 * c + 1];
        for (std::size_t f = from; f < to; ++f) {
            const std::int16_t v = buffer[f * channels + c];
            low = std::min(low, v);
            high = std::max(high, v);
        }
        column[2 * c] = low;
        column[2 * c + 1] = high;
    }
}

}  // namespace

std::uint64_t firstFrameOfColumn(std::uint64_t column, std::uint64_t columns, std::uint64_t frames) {
    if (columns == 0) return 0;
    // Frames stay below 2^33 (32-bit data sizes) and columns are pixels: the product fits.
    return column * frames / columns;
}

io::Outcome computeWaveformPeaks(SoundFrameReader& reader, int columns, WaveformPeaks& peaks,
                                 const std::atomic<bool>* cancel) {
    const unsigned channels = reader.channels();
    const std::uint64_t frames = reader.frames();
    peaks = WaveformPeaks{};
    peaks.columns = std::max(columns, 0);
    peaks.channels = static_cast<int>(channels);
    peaks.frames = frames;
    peaks.minMax.assign(static_cast<std::size_t>(peaks.columns) * channels * 2, 0);
    if (peaks.columns == 0 || frames == 0) return io::success();
    const auto total = static_cast<std::uint64_t>(peaks.columns);
    // Every column starts from its first frame's value, then takes the rest.
    std::vector<bool> started(total, false);
    std::uint64_t at = 0;   // frame index of buffer[0]
    std::uint64_t column = 0;
    for (;;) {
        if (cancel && cancel->load(std::memory_order_relaxed)) return io::failure("The waveform was cancelled.");
        const std::int16_t* buffer = nullptr;
        std::size_t got = 0;
        if (io::Outcome read = reader.next(buffer, got); !read) return read;
        if (got == 0) break;
        std::size_t f = 0;
        while (f < got) {
            // Columns whose frames all lie before this one repeat its frame (short sounds).
            while (column + 1 < total && firstFrameOfColumn(column + 1, total, frames) <= at + f) {
                if (!started[column]) {
                    std::int16_t* dst = &peaks.minMax[column * channels * 2];
                    for (unsigned c = 0; c < channels; ++c) dst[2 * c] = dst[2 * c + 1] = buffer[f * channels + c];
                    started[column] = true;
                }
                ++column;
            }
            std::uint64_t end = column + 1 < total ? firstFrameOfColumn(column + 1, total, frames) : frames;
            std::size_t to = static_cast<std::size_t>(std::min<std::uint64_t>(end - at, got));
            to = std::max(to, f + 1);
            std::int16_t* dst = &peaks.minMax[column * channels * 2];
            if (!started[column]) {
                for (unsigned c = 0; c < channels; ++c) dst[2 * c] = dst[2 * c + 1] = buffer[f * channels + c];
                started[column] = true;
            }
            fold(buffer, f, to, channels, dst);
            f = to;
        }
        at += got;
    }
    return io::success();
}

}  // namespace sonkrate::audio
