#include "audio/convert/encode_ima_wav.h"

#include <algorithm>
#include <vector>

#include "audio/convert/checked_ima_encoder.h"
#include "audio/codec/ima_adpcm_encoder.h"
#include "audio/wav/pcm_frame_reader.h"
#include "audio/wav/wav_headers.h"
#include "io/replacement.h"

namespace sonkrate::audio {
namespace {

// Blocks encoded between two writes.
constexpr std::size_t kBlocksPerRun = 64;

// Streams every frame of pcm into blocks on out.
io::Outcome encodeFrames(PcmFrameReader& pcm, io::File& out) {
    const unsigned channels = pcm.channels();
    CheckedImaEncoder encoder(channels);
    std::vector<std::int16_t> frames(kBlocksPerRun * encoder.framesPerBlock() * channels);
    std::vector<std::uint8_t> blocks;
    blocks.reserve(kBlocksPerRun * encoder.blockAlign());
    for (std::uint64_t done = 0; done < pcm.frames();) {
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(frames.size() / channels,
                                                                               pcm.frames() - done));
        if (io::Outcome got = pcm.read(frames.data(), n); !got) return got;
        blocks.clear();
        encoder.encode(frames.data(), n, blocks);
        if (io::Outcome put = out.write(blocks.data(), blocks.size()); !put) return put;
        done += n;
    }
    return io::success();
}

}  // namespace

std::uint32_t gameImaBlockAlign(unsigned channels) { return channels == 2 ? 2056 : 1028; }

std::uint64_t imaEncodedBytes(std::uint64_t frames, unsigned channels, std::uint32_t blockAlign) {
    const std::size_t perBlock = imaFramesPerBlock(channels, blockAlign);
    if (perBlock == 0 || frames == 0) return 0;
    const std::uint64_t last = frames % perBlock;
    std::uint64_t bytes = frames / perBlock * blockAlign;
    if (last > 0) bytes += 4u * channels + (last - 1 + 7) / 8 * 4 * channels;
    return bytes;
}

EncodeImaResult encodeImaWav(const std::string& pcmPath, const std::string& imaPath) {
    EncodeImaResult r;
    PcmFrameReader pcm;
    if ((r.outcome = pcm.open(pcmPath)); !r.outcome) return r;
    r.channels = static_cast<std::uint16_t>(pcm.channels());
    r.sampleRate = pcm.layout().sampleRate;
    r.blockAlign = gameImaBlockAlign(r.channels);
    r.frames = pcm.frames();
    const std::uint64_t dataLength = imaEncodedBytes(r.frames, r.channels, r.blockAlign);
    // The game's header holds the decoded length in bytes of 16-bit samples.
    if (r.frames * 2u * r.channels > UINT32_MAX || dataLength > UINT32_MAX - kImaWavHeaderSize) {
        r.outcome = io::failure(pcmPath + " holds more sound than one game sound can (at most 4 GiB once decoded).");
        return r;
    }
    r.dataLength = static_cast<std::uint32_t>(dataLength);

    io::ReplacementFile out;
    if ((r.outcome = out.begin(imaPath)); !r.outcome) return r;
    auto header = imaWavHeader(r.channels, r.sampleRate, r.blockAlign, static_cast<std::uint32_t>(r.frames),
                               r.dataLength);
    if ((r.outcome = out.file().write(header.data(), header.size())); !r.outcome) return r;
    if ((r.outcome = encodeFrames(pcm, out.file())); !r.outcome) return r;
    r.outcome = out.commit();
    return r;
}

}  // namespace sonkrate::audio
