// A .wav file read as a stream of samples a sound device can play: PCM of
// 8 to 32 bits, IEEE float, A-law, mu-law, IMA ADPCM and Microsoft ADPCM,
// plain or in the extensible layout. The file is read in fixed buffers while
// it plays, never whole.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "io/file.h"
#include "io/outcome.h"

namespace sonkrate::audio {

enum class SampleType { S16, S32, F32 };

struct PlayFormat {
    SampleType type = SampleType::S16;
    int channels = 0;
    std::uint32_t sampleRate = 0;

    std::size_t bytesPerSample() const { return type == SampleType::S16 ? 2 : 4; }
    std::size_t bytesPerFrame() const { return bytesPerSample() * static_cast<std::size_t>(channels); }
};

// How the stored samples are coded.
enum class WavCoding { Pcm, Float, ALaw, MuLaw, ImaAdpcm, MsAdpcm };

class WavSource {
public:
    // Reads the header of the file at path; a file that cannot be played
    // gives a sentence naming it.
    io::Outcome open(const std::string& path);
    const PlayFormat& format() const { return format_; }
    WavCoding coding() const { return coding_; }

    // Writes up to n bytes of samples (native byte order, interleaved) to
    // out; returns how many were written, 0 once the sound has ended. A file
    // that ends early ends the sound there.
    std::size_t read(std::uint8_t* out, std::size_t n);

private:
    io::Outcome chooseCoding(const std::string& path, std::uint16_t tag, unsigned bits);
    bool refill();
    void decodeBlocks(std::size_t got);
    void convertSamples(const std::uint8_t* in, std::size_t frames);
    void putS16(std::int16_t v);
    void putS32(std::int32_t v);
    void putF32(float v);

    io::File file_;
    PlayFormat format_;
    WavCoding coding_ = WavCoding::Pcm;
    std::size_t containerBytes_ = 0;  // bytes of one stored sample (PCM, float, G.711)
    std::size_t blockAlign_ = 0;
    std::uint64_t remaining_ = 0;     // data bytes not read yet
    std::vector<std::uint8_t> raw_;
    std::vector<std::int16_t> decoded_;
    std::vector<std::uint8_t> pending_;
    std::size_t pendingAt_ = 0;
};

}  // namespace sonkrate::audio
