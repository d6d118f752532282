// The first stage of making a .wav into a game sound: its frames, of any
// integer or float layout, read as 16-bit frames of one or two channels
// through a fixed buffer. Samples wider than 16 bits or float get triangular
// dither, more than two channels are mixed down to stereo; 8- and 16-bit PCM
// the game plays as it is is only widened.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "audio/wav/pcm_frame_reader.h"
#include "audio/wav/wav_reader.h"
#include "io/file.h"
#include "io/outcome.h"

namespace sonkrate::audio {

// "48000 Hz, stereo", "22050 Hz, mono", "48000 Hz, 6 channels".
std::string describeRateAndChannels(unsigned rate, unsigned channels);

class GameFrameSource {
public:
    // Reads the layout of the .wav at path. Fails with a sentence naming path
    // when it cannot be read or holds neither integer nor float samples; an
    // IMA ADPCM .wav opens with isIma() set and no frames to read.
    io::Outcome open(const std::string& path);

    const WavLayout& layout() const { return layout_; }
    bool isIma() const { return ima_; }
    // True when the frames are made from the samples rather than read as they are.
    bool converts() const { return converts_; }
    // Channels of the frames read: 1 or 2.
    unsigned channels() const;
    // Whole frames of the source.
    std::uint64_t frames() const { return layout_.blockAlign ? layout_.dataLength / layout_.blockAlign : 0; }
    // The source and the frames in words: "24-bit integer, 48000 Hz, stereo"
    // and "16-bit PCM, 48000 Hz, stereo"; meaningful when converts().
    std::string before() const;
    std::string after() const;

    // Goes to the first frame, the dither as it was at the start, so that
    // every pass gives the same frames; for a source read as it is, fails as
    // PcmFrameReader does when it is not 8- or 16-bit PCM of one or two channels.
    io::Outcome start();
    // The next n frames (n x channels() samples) into out.
    io::Outcome read(std::int16_t* out, std::size_t n);

private:
    io::Outcome convert(std::int16_t* out, std::size_t n);

    std::string path_;
    io::File file_;
    WavLayout layout_;
    PcmFrameReader plain_;
    bool ima_ = false;
    bool converts_ = false;
    bool isFloat_ = false;
    unsigned bytes_ = 0;  // container bytes per sample
    static constexpr std::uint64_t kDitherSeed = 0x5EED;
    std::uint64_t ditherState_ = kDitherSeed;
    std::vector<std::uint8_t> raw_;
    std::vector<double> mixed_;
};

}  // namespace sonkrate::audio
