// The sound data of an image (an archive entry or a .cau file) read as 16-bit
// interleaved frames through fixed buffers: PCM of 8 bits widened, IMA ADPCM
// decoded block by block. A reader can start at any frame.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "audio/cau/cau_header.h"
#include "audio/codec/ima_adpcm.h"
#include "io/file.h"
#include "io/outcome.h"

namespace sonkrate::audio {

class SoundFrameReader {
public:
    // The dataSize bytes at dataStart of the file at path, in the format the
    // header gives. Fails with a sentence naming source when the format cannot
    // be decoded (not 1 or 2 channels, PCM not of 8 or 16 bits, IMA ADPCM in
    // blocks of an unknown size, another compression).
    io::Outcome open(const std::string& path, std::uint64_t dataStart, std::uint32_t dataSize,
                     const CauHeader& header, const std::string& source);

    unsigned channels() const { return channels_; }
    std::uint32_t sampleRate() const { return sampleRate_; }
    // The frames the data decodes to.
    std::uint64_t frames() const { return frames_; }

    // Goes to frame (the end when past it).
    io::Outcome seekFrame(std::uint64_t frame);
    // Reads up to maxFrames frames into out (maxFrames x channels samples);
    // sets count to the frames read, 0 at the end.
    io::Outcome read(std::int16_t* out, std::size_t maxFrames, std::size_t& count);
    // The next run of frames as the reader holds them, without a copy: frames
    // points at count frames (0 at the end), valid until the next call.
    io::Outcome next(const std::int16_t*& frames, std::size_t& count);

private:
    io::Outcome refill();

    io::File file_;
    std::uint64_t dataStart_ = 0;
    std::uint32_t dataSize_ = 0;
    unsigned channels_ = 1;
    unsigned bits_ = 16;
    bool adpcm_ = false;
    std::uint32_t sampleRate_ = 0;
    AdpcmBlockLayout layout_;
    std::uint64_t frames_ = 0;
    std::uint64_t nextByte_ = 0;          // data bytes read so far
    std::vector<std::uint8_t> raw_;
    std::vector<std::int16_t> decoded_;   // frames decoded, not handed out yet
    std::size_t decodedAt_ = 0;           // in samples
    std::size_t skip_ = 0;                // frames to drop after a seek
};

}  // namespace sonkrate::audio
