// The picture of a sound: for each of a number of pixel columns, the lowest
// and highest sample of each channel among the frames that column covers,
// computed from the decoded samples in one streamed pass.
#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

#include "audio/cau/sound_frames.h"
#include "io/outcome.h"

namespace sonkrate::audio {

struct WaveformPeaks {
    int columns = 0;
    int channels = 0;
    // Column-major: column 0's channels first, each a minimum and a maximum.
    std::vector<std::int16_t> minMax;
    std::uint64_t frames = 0;
};

// The frames column c covers start at floor(c x frames / columns); a column
// covers at least one frame while there are frames, so a sound shorter than
// the picture repeats frames rather than leaving gaps. A column without
// frames (no sound at all) holds 0, 0.
std::uint64_t firstFrameOfColumn(std::uint64_t column, std::uint64_t columns, std::uint64_t frames);

// Reads the whole sound from the reader's start. cancel, when set by
// another thread, stops the work with a failure.
io::Outcome computeWaveformPeaks(SoundFrameReader& reader, int columns, WaveformPeaks& peaks,
                                 const std::atomic<bool>* cancel = nullptr);

}  // namespace sonkrate::audio
