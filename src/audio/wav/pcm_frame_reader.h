// Reading the frames of a plain PCM .wav (8- or 16-bit samples, mono or
// stereo) as interleaved 16-bit samples, a run of frames at a time.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "audio/wav/wav_reader.h"
#include "io/file.h"
#include "io/outcome.h"

namespace sonkrate::audio {

class PcmFrameReader {
public:
    // Opens the .wav at path and goes to its first frame. Fails with a
    // sentence naming path when it is not 8- or 16-bit PCM, mono or stereo.
    io::Outcome open(const std::string& path);

    const WavLayout& layout() const { return layout_; }
    unsigned channels() const { return layout_.channels; }
    // Whole frames the data chunk holds.
    std::uint64_t frames() const { return frames_; }

    // Reads the next n frames (n x channels samples) into out; 8-bit samples
    // are widened to 16 bits. Fails when fewer than n frames are left.
    io::Outcome read(std::int16_t* out, std::size_t n);

private:
    io::File file_;
    WavLayout layout_;
    std::uint64_t frames_ = 0;
    std::uint64_t left_ = 0;
    std::vector<std::uint8_t> raw_;
};

}  // namespace sonkrate::audio
