#include "audio/convert/ima_round_trip.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "audio/convert/encode_ima_wav.h"
#include "audio/codec/ima_adpcm.h"
#include "audio/wav/pcm_frame_reader.h"
#include "audio/wav/wav_reader.h"
#include "io/byte_order.h"
#include "io/file.h"

namespace sonkrate::audio {
namespace {

constexpr std::size_t kBlocksPerRun = 64;

// Decodes the blocks of one run and compares them with the next frames of pcm.
io::Outcome compareRun(const std::uint8_t* run, std::size_t len, std::uint32_t blockAlign, PcmFrameReader& pcm,
                       ImaCheckTally& t) {
    const unsigned channels = pcm.channels();
    std::vector<std::int16_t> decoded(2 * blockAlign * channels), input(decoded.size());
    for (std::size_t at = 0; at < len; at += blockAlign) {
        const std::size_t frames = decodeGameImaBlock(run + at, std::min<std::size_t>(blockAlign, len - at),
                                                      channels, decoded.data());
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(frames, pcm.frames() - t.compared));
        t.decoded += frames;
        if (n == 0) continue;
        if (io::Outcome got = pcm.read(input.data(), n); !got) return got;
        tallyImaFrames(input.data(), decoded.data(), n, channels, t);
    }
    return io::success();
}

ImaRoundTrip refused(ImaRoundTrip r, const std::string& source, const std::string& why) {
    r.outcome = io::failure("The IMA ADPCM sound made from " + source + " was not written: " + why + ".");
    return r;
}

}  // namespace

std::size_t decodeGameImaBlock(const std::uint8_t* block, std::size_t len, unsigned channels, std::int16_t* out) {
    ImaAdpcmDecoder state[2];
    if (len < 4u * channels) return 0;
    out[0] = io::getI16(block);
    if (channels == 1) {
        const std::size_t codes = (len - 4) * 2;
        decodeMonoBlock(state[0], block, out + 1, block + 4, codes);
        return 1 + codes;
    }
    out[1] = io::getI16(block + 4);
    const std::size_t codes = (len - 8) / 8 * 8;
    decodeStereoBlock(state[0], state[1], block, out + 2, block + 8, codes);
    return 1 + codes;
}

void tallyImaFrames(const std::int16_t* input, const std::int16_t* decoded, std::size_t n, unsigned channels,
                    ImaCheckTally& t) {
    // Exact in integers over a run (a square is below 2^32), then added to
    // the totals once; two sums each, so that the additions overlap.
    std::uint64_t signal[2] = {0, 0}, error[2] = {0, 0};
    const std::size_t samples = n * channels;
    for (std::size_t i = 0; i < samples; ++i) {
        const std::int32_t x = input[i], e = x - decoded[i];
        const auto ux = static_cast<std::uint32_t>(x < 0 ? -x : x), ue = static_cast<std::uint32_t>(e < 0 ? -e : e);
        signal[i & 1] += std::uint64_t{ux * ux};
        error[i & 1] += std::uint64_t{ue * ue};
    }
    t.signal += static_cast<double>(signal[0] + signal[1]);
    t.error += static_cast<double>(error[0] + error[1]);
    t.compared += n;
}

ImaRoundTrip judgeImaRoundTrip(const ImaCheckTally& t, std::uint64_t frames, unsigned channels,
                               const std::string& shownSource) {
    ImaRoundTrip r;
    r.frames = t.compared;
    // The last block's codes are padded to whole groups of 8: up to 7 frames more.
    if (t.compared != frames || t.decoded >= t.compared + 8)
        return refused(r, shownSource,
                       "it decodes to " + std::to_string(t.decoded) + " frames instead of " + std::to_string(frames));
    r.snrDb = t.error > 0 ? 10.0 * std::log10(std::max(t.signal, 1.0) / t.error) : 1000.0;
    r.rmsError = t.compared > 0 ? std::sqrt(t.error / static_cast<double>(t.compared * channels)) : 0.0;
    if (r.snrDb < kMinImaSnrDb && r.rmsError > kQuietImaError)
        return refused(r, shownSource,
                       "decoded back it differs too much from the sound (signal to error " +
                           std::to_string(static_cast<int>(std::floor(r.snrDb))) + " dB, at least " +
                           std::to_string(static_cast<int>(kMinImaSnrDb)) + " dB needed)");
    return r;
}

ImaRoundTrip checkImaRoundTrip(const std::string& pcmPath, const std::string& imaPath,
                               const std::string& shownSource) {
    ImaRoundTrip r;
    PcmFrameReader pcm;
    io::File ima;
    WavLayout w;
    if ((r.outcome = pcm.open(pcmPath)); !r.outcome) return r;
    if ((r.outcome = ima.open(imaPath, io::FileMode::Read)); !r.outcome) return r;
    if ((r.outcome = readWavLayout(ima, w)); !r.outcome) return r;
    const unsigned channels = pcm.channels();
    if (w.formatTag != kWavFormatImaAdpcm || w.channels != channels || w.blockAlign != gameImaBlockAlign(channels) ||
        w.sampleRate != pcm.layout().sampleRate || !w.hasFact || w.factValue != pcm.frames())
        return refused(r, shownSource, "its header does not describe the sound");

    ImaCheckTally t;
    std::vector<std::uint8_t> run(kBlocksPerRun * w.blockAlign);
    if ((r.outcome = ima.seek(w.dataOffset)); !r.outcome) return r;
    for (std::uint64_t left = w.dataLength; left > 0;) {
        const std::size_t len = static_cast<std::size_t>(std::min<std::uint64_t>(left, run.size()));
        if ((r.outcome = ima.readExact(run.data(), len)); !r.outcome) return r;
        if ((r.outcome = compareRun(run.data(), len, w.blockAlign, pcm, t)); !r.outcome) return r;
        left -= len;
    }
    return judgeImaRoundTrip(t, pcm.frames(), channels, shownSource);
}

}  // namespace sonkrate::audio
