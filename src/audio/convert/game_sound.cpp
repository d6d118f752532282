#include "audio/convert/game_sound.h"

#include <algorithm>

#include "audio/cau/caption_sections.h"
#include "audio/cau/cau_header.h"
#include "audio/convert/checked_ima_encoder.h"
#include "audio/convert/encode_ima_wav.h"
#include "audio/convert/game_ready_wav.h"
#include "audio/wav/wav_headers.h"
#include "io/byte_order.h"

namespace sonkrate::audio {
namespace {

// Blocks encoded between two writes.
constexpr std::size_t kBlocksPerRun = 64;
// Frames converted between two writes of 16-bit PCM.
constexpr std::size_t kFramesPerRun = 32768;

// The layout of the .wav the conversion would have written: 16-bit PCM, or
// IMA ADPCM in the game's blocks with the frame count as its fact value.
WavLayout madeLayout(const GameFrameSource& source, bool ima) {
    WavLayout w;
    const auto channels = static_cast<std::uint16_t>(source.channels());
    w.channels = channels;
    w.sampleRate = source.layout().sampleRate;
    if (ima) {
        w.fmtChunkLength = 20;
        w.formatTag = kWavFormatImaAdpcm;
        w.blockAlign = static_cast<std::uint16_t>(gameImaBlockAlign(channels));
        w.bitsPerSample = static_cast<std::uint16_t>((w.blockAlign / channels) & 0xFF);
        w.dataLength = static_cast<std::uint32_t>(imaEncodedBytes(source.frames(), channels, w.blockAlign));
        w.hasFact = true;
        w.factValue = static_cast<std::uint32_t>(source.frames());
    } else {
        w.fmtChunkLength = 16;
        w.formatTag = kWavFormatPcm;
        w.blockAlign = static_cast<std::uint16_t>(2 * channels);
        w.bitsPerSample = 16;
        w.dataLength = static_cast<std::uint32_t>(source.frames() * channels * 2);
    }
    w.declaredDataLength = w.dataLength;
    return w;
}

}  // namespace

io::Outcome GameSound::open(const std::string& path, const GameSoundOptions& options) {
    path_ = path;
    caption_ = options.captionBlock;
    if (io::Outcome fits = checkCaptionBlock(caption_, path); !fits) return fits;
    if (!options.toGame && !options.ima) return openAsIs();
    if (io::Outcome opened = frames_.open(path); !opened) return opened;
    if (frames_.isIma() || (!options.ima && !frames_.converts())) return openAsIs();
    return openConverted(options.ima);
}

io::Outcome GameSound::openAsIs() {
    form_ = Form::AsIs;
    io::Outcome ok = file_.open(path_, io::FileMode::Read);
    if (ok) ok = readWavLayout(file_, layout_);
    if (!ok) return ok;
    image_ = planWavToCau(path_, layout_, caption_);
    return image_.outcome;
}

io::Outcome GameSound::openConverted(bool ima) {
    form_ = ima ? Form::Ima : Form::Pcm16;
    if (frames_.converts()) {
        if (io::Outcome fits = checkSixteenBitWavFits(frames_, path_); !fits) return fits;
    }
    if (io::Outcome started = frames_.start(); !started) return started;
    const WavLayout& w = frames_.layout();
    const unsigned channels = frames_.channels();
    before_ = frames_.converts() ? frames_.before()
                                 : std::to_string(w.bitsPerSample) + "-bit PCM, " +
                                       describeRateAndChannels(w.sampleRate, w.channels);
    after_ = frames_.after();
    if (ima) {
        // The game's header holds the decoded length in bytes of 16-bit samples.
        const std::uint64_t dataLength = imaEncodedBytes(frames_.frames(), channels, gameImaBlockAlign(channels));
        if (frames_.frames() * 2u * channels > UINT32_MAX || dataLength > UINT32_MAX - kImaWavHeaderSize)
            return io::failure(path_ + " holds more sound than one game sound can (at most 4 GiB once decoded).");
        after_ = "IMA ADPCM, " + describeRateAndChannels(w.sampleRate, channels);
    }
    image_ = planWavToCau(path_, madeLayout(frames_, ima), caption_);
    return image_.outcome;
}

std::vector<std::uint8_t> GameSound::head() const {
    const auto header = serializeCauHeader(image_.header);
    std::vector<std::uint8_t> bytes(header.size() + caption_.size());
    std::copy(header.begin(), header.end(), bytes.begin());
    std::copy(caption_.begin(), caption_.end(), bytes.begin() + static_cast<std::ptrdiff_t>(header.size()));
    return bytes;
}

std::uint64_t GameSound::imageSize() const { return std::uint64_t{image_.header.dataOffset} + image_.header.dataSize; }

io::Outcome GameSound::writeData(io::File& out) {
    if (written_ && form_ != Form::AsIs) {
        if (io::Outcome started = frames_.start(); !started) return started;
    }
    written_ = true;
    switch (form_) {
    case Form::AsIs: return io::copyRange(file_, layout_.dataOffset, image_.header.dataSize, out);
    case Form::Pcm16: return writePcm16(out);
    case Form::Ima: return writeIma(out);
    }
    return io::success();
}

io::Outcome GameSound::writeImage(io::File& out) {
    const std::vector<std::uint8_t> first = head();
    if (io::Outcome put = out.write(first.data(), first.size()); !put) return put;
    return writeData(out);
}

io::Outcome GameSound::writePcm16(io::File& out) {
    const unsigned channels = frames_.channels();
    std::vector<std::int16_t> frames(kFramesPerRun * channels);
    std::vector<std::uint8_t> bytes(frames.size() * 2);
    for (std::uint64_t done = 0; done < frames_.frames();) {
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(kFramesPerRun, frames_.frames() - done));
        if (io::Outcome got = frames_.read(frames.data(), n); !got) return got;
        for (std::size_t i = 0; i < n * channels; ++i) io::putI16(&bytes[2 * i], frames[i]);
        if (io::Outcome put = out.write(bytes.data(), n * channels * 2); !put) return put;
        done += n;
    }
    return io::success();
}

io::Outcome GameSound::writeIma(io::File& out) {
    const unsigned channels = frames_.channels();
    CheckedImaEncoder encoder(channels);
    const std::size_t perRun = kBlocksPerRun * encoder.framesPerBlock();
    std::vector<std::int16_t> frames(perRun * channels);
    std::vector<std::uint8_t> blocks;
    blocks.reserve(kBlocksPerRun * encoder.blockAlign());
    for (std::uint64_t done = 0; done < frames_.frames();) {
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(perRun, frames_.frames() - done));
        if (io::Outcome got = frames_.read(frames.data(), n); !got) return got;
        blocks.clear();
        encoder.encode(frames.data(), n, blocks);
        if (io::Outcome put = out.write(blocks.data(), blocks.size()); !put) return put;
        done += n;
    }
    return encoder.finish(frames_.frames(), path_).outcome;
}

}  // namespace sonkrate::audio
