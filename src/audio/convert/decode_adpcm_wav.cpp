#include "audio/convert/decode_adpcm_wav.h"

#include <algorithm>
#include <bit>
#include <optional>
#include <vector>

#include "audio/codec/ima_adpcm.h"
#include "audio/wav/wav_headers.h"
#include "audio/wav/wav_reader.h"
#include "io/byte_order.h"
#include "io/file.h"
#include "io/replacement.h"

namespace sonkrate::audio {

namespace {

// Input is read this many bytes at a time, rounded down to whole blocks.
constexpr std::size_t kReadBytes = 256 * 1024;

DecodeAdpcmResult failed(DecodeAdpcmResult r, DecodeStatus status, std::string reason) {
    r.status = status;
    r.reason = std::move(reason);
    return r;
}

// Samples are written little-endian whatever the host's byte order.
void toLittleEndian(std::int16_t* samples, std::size_t n) {
    if constexpr (std::endian::native == std::endian::big) {
        for (std::size_t i = 0; i < n; ++i) {
            auto v = static_cast<std::uint16_t>(samples[i]);
            samples[i] = static_cast<std::int16_t>(static_cast<std::uint16_t>((v >> 8) | (v << 8)));
        }
    } else {
        (void)samples;
        (void)n;
    }
}

// Decodes dataLength bytes of blocks from in, read from its current place,
// into out, counting the blocks and frames in r.
io::Outcome decodeData(io::File& in, io::File& out, const AdpcmBlockLayout& layout, unsigned channels,
                       std::uint64_t dataLength, DecodeAdpcmResult& r) {
    const std::size_t align = layout.blockBytes;
    // Buffers no larger than the data needs: a short file decodes without
    // clearing a megabyte of samples first.
    const std::uint64_t dataBlocks = (dataLength + align - 1) / align;
    const std::size_t blocksPerRead =
        static_cast<std::size_t>(std::max<std::uint64_t>(1, std::min<std::uint64_t>(kReadBytes / align, dataBlocks)));
    std::vector<std::uint8_t> input(blocksPerRead * align);
    std::vector<std::int16_t> samples(blocksPerRead * (layout.codesPerChannel + 1) * channels);
    std::uint64_t left = dataLength;
    while (left > 0) {
        std::size_t chunk = static_cast<std::size_t>(std::min<std::uint64_t>(left, input.size()));
        if (io::Outcome got = in.readExact(input.data(), chunk); !got)
            return got;
        left -= chunk;
        // Whole blocks together, then the short last block on its own.
        const std::size_t whole = chunk / align;
        std::size_t written = decodeBlocks(layout, channels, input.data(), whole, samples.data());
        r.blocksDecoded += whole;
        if (chunk % align != 0) {
            std::size_t n =
                decodePartialBlock(layout, channels, input.data() + whole * align, chunk % align,
                                   samples.data() + written * channels);
            if (n > 0) ++r.blocksDecoded;
            written += n;
        }
        toLittleEndian(samples.data(), written * channels);
        if (io::Outcome put = out.write(samples.data(), written * channels * 2); !put)
            return put;
        r.framesWritten += written;
    }
    return io::success();
}

// The refusal of IMA ADPCM the decoder cannot take, if it is.
std::optional<DecodeAdpcmResult> refusal(const std::string& name, std::uint32_t blockAlign, unsigned channels,
                                         const DecodeAdpcmResult& r) {
    if (!isKnownBlockAlign(blockAlign))
        return failed(r, DecodeStatus::UnknownBlockAlign,
                      name + " holds IMA ADPCM in blocks of " + std::to_string(blockAlign) + " bytes; only blocks of " +
                          std::to_string(kMinBlockAlign) + " to " + std::to_string(kMaxBlockAlign) +
                          " bytes can be decoded.");
    if (channels != 1 && channels != 2)
        return failed(r, DecodeStatus::Failed,
                      name + " has " + std::to_string(channels) +
                          " channels; only mono and stereo IMA ADPCM sounds can be decoded.");
    return std::nullopt;
}

}  // namespace

DecodeAdpcmResult decodeImaData(io::File& in, const ImaData& data, const std::string& name,
                                const std::string& outputPath, io::Durability durability) {
    DecodeAdpcmResult r;
    r.channels = static_cast<std::uint16_t>(data.channels);
    r.sampleRate = data.sampleRate;
    r.blockAlign = data.blockAlign;
    if (std::optional<DecodeAdpcmResult> refused = refusal(name, data.blockAlign, data.channels, r)) return *refused;

    const unsigned channels = data.channels;
    const AdpcmBlockLayout layout = adpcmBlockLayout(channels, data.blockAlign);
    const std::size_t align = layout.blockBytes;
    const std::uint64_t fullBlocks = data.length / align;
    const std::size_t lastLength = data.length % align;
    const std::uint64_t frames =
        fullBlocks * (layout.codesPerChannel + 1) + partialBlockFrames(layout, channels, lastLength);
    const std::uint64_t pcmBytes = frames * channels * 2;
    if (pcmBytes > UINT32_MAX - 36)
        return failed(r, DecodeStatus::Failed,
                      name + " decodes to more sound than a .wav file can hold (" + std::to_string(pcmBytes) +
                          " bytes).");

    io::ReplacementFile out;
    if (io::Outcome begun = out.begin(outputPath); !begun) return failed(r, DecodeStatus::Failed, begun.reason);
    auto header = pcmWavHeader(static_cast<std::uint16_t>(channels), data.sampleRate, 16,
                               static_cast<std::uint32_t>(pcmBytes));
    if (io::Outcome put = out.file().write(header.data(), header.size()); !put)
        return failed(r, DecodeStatus::Failed, put.reason);

    if (io::Outcome sought = in.seek(data.offset); !sought) return failed(r, DecodeStatus::Failed, sought.reason);
    if (io::Outcome decoded = decodeData(in, out.file(), layout, channels, data.length, r); !decoded)
        return failed(r, DecodeStatus::Failed, decoded.reason);
    (void)in.close();  // read only; closed since the output may replace it
    if (r.framesWritten != frames)
        return failed(r, DecodeStatus::Failed, name + " changed while it was being decoded.");
    if (io::Outcome done = out.commit(durability); !done) return failed(r, DecodeStatus::Failed, done.reason);
    r.status = DecodeStatus::Ok;
    return r;
}

DecodeAdpcmResult decodeAdpcmWav(const std::string& inputPath, const std::string& outputPath,
                                 io::Durability durability) {
    DecodeAdpcmResult r;
    io::File in;
    if (io::Outcome opened = in.open(inputPath, io::FileMode::Read); !opened)
        return failed(r, DecodeStatus::Failed, opened.reason);
    WavLayout wav;
    if (io::Outcome read = readWavLayout(in, wav); !read) return failed(r, DecodeStatus::Failed, read.reason);
    r.channels = wav.channels;
    r.sampleRate = wav.sampleRate;
    r.blockAlign = wav.blockAlign;
    r.dataClamped = wav.dataClamped;
    // An unknown block alignment is told before a format tag that is not IMA ADPCM.
    if (!isKnownBlockAlign(wav.blockAlign))
        return *refusal(inputPath, wav.blockAlign, wav.channels, r);
    if (wav.formatTag != kWavFormatImaAdpcm)
        return failed(r, DecodeStatus::Failed,
                      inputPath + " is not an IMA ADPCM .wav file (its format tag is " +
                          std::to_string(wav.formatTag) + ").");
    DecodeAdpcmResult decoded =
        decodeImaData(in, {wav.dataOffset, wav.dataLength, wav.channels, wav.sampleRate, wav.blockAlign}, inputPath,
                      outputPath, durability);
    decoded.dataClamped = wav.dataClamped;
    return decoded;
}

}  // namespace sonkrate::audio
