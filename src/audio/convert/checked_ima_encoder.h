// The IMA ADPCM stage of making a game sound: 16-bit frames encoded in the
// game's block layout (1028 bytes a block mono, 2056 stereo, 2049 frames a
// block) a run at a time, each block decoded back as the game decodes it and
// compared with the frames it was made from while the next is encoded.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "audio/codec/ima_adpcm.h"
#include "audio/convert/ima_round_trip.h"

namespace sonkrate::audio {

class CheckedImaEncoder {
public:
    explicit CheckedImaEncoder(unsigned channels);

    std::uint32_t blockAlign() const { return blockAlign_; }
    // Frames of one whole block; runs given to encode hold whole blocks but
    // for the last.
    std::size_t framesPerBlock() const { return perBlock_; }

    // Appends to out the blocks of the n interleaved frames and compares
    // each, decoded, with them.
    void encode(const std::int16_t* frames, std::size_t n, std::vector<std::uint8_t>& out);
    // The verdict once every frame (frames in all) has been encoded; failures
    // name shownSource.
    ImaRoundTrip finish(std::uint64_t frames, const std::string& shownSource) const;

private:
    unsigned channels_;
    std::uint32_t blockAlign_;
    std::size_t perBlock_;
    bool seeded_ = false;
    ImaAdpcmDecoder state_[2];
    ImaCheckTally tally_;
    std::vector<std::int16_t> decoded_;
};

}  // namespace sonkrate::audio
