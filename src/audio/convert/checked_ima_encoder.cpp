#include "audio/convert/checked_ima_encoder.h"

#include <algorithm>
#include <cstdlib>

#include "audio/convert/encode_ima_wav.h"
#include "audio/codec/ima_adpcm_encoder.h"

namespace sonkrate::audio {
namespace {

// A starting step index per channel that can follow the first frames at
// once, rather than climbing from the smallest step over dozens of samples.
void seedStepIndex(ImaAdpcmDecoder* state, const std::int16_t* frames, std::size_t n, unsigned channels) {
    for (unsigned c = 0; c < channels; ++c) {
        int largest = 0;
        for (std::size_t i = 1; i < std::min<std::size_t>(n, 9); ++i)
            largest = std::max(largest, std::abs(frames[i * channels + c] - frames[(i - 1) * channels + c]));
        // A code moves the predictor by at most 15/8 of its step.
        std::uint8_t index = 0;
        while (index < kImaMaxStepIndex && ImaStepTable[index] * 15 / 8 < largest) ++index;
        state[c].stepIndex = index;
    }
}

}  // namespace

CheckedImaEncoder::CheckedImaEncoder(unsigned channels)
    : channels_(channels),
      blockAlign_(gameImaBlockAlign(channels)),
      perBlock_(imaFramesPerBlock(channels, blockAlign_)),
      decoded_(2 * blockAlign_ * channels) {}

void CheckedImaEncoder::encode(const std::int16_t* frames, std::size_t n, std::vector<std::uint8_t>& out) {
    if (!seeded_) seedStepIndex(state_, frames, n, channels_);
    seeded_ = true;
    for (std::size_t first = 0; first < n; first += perBlock_) {
        const std::size_t count = std::min(perBlock_, n - first), at = out.size();
        encodeImaBlock(state_, frames + first * channels_, count, channels_, blockAlign_, out);
        const std::size_t got = decodeGameImaBlock(out.data() + at, out.size() - at, channels_, decoded_.data());
        tally_.decoded += got;
        tallyImaFrames(frames + first * channels_, decoded_.data(), std::min(got, count), channels_, tally_);
    }
}

ImaRoundTrip CheckedImaEncoder::finish(std::uint64_t frames, const std::string& shownSource) const {
    return judgeImaRoundTrip(tally_, frames, channels_, shownSource);
}

}  // namespace sonkrate::audio
