#include "audio/wav/wav_reader.h"

#include <algorithm>
#include <cstring>

#include "io/byte_order.h"

namespace sonkrate::audio {

using io::getU16;
using io::getU32;

namespace {

bool isTag(const std::uint8_t* p, const char* tag) { return std::memcmp(p, tag, 4) == 0; }

WavWalkResult walkFailed(WavWalk walk) { return {walk, {}}; }
WavWalkResult readFailed(const io::Outcome& got) { return {WavWalk::ReadFailed, got.reason}; }

// The fields of a "fmt " chunk body of which avail bytes were read.
void parseFormat(const std::uint8_t* b, std::size_t avail, std::uint32_t length, WavLayout& w) {
    w.fmtChunkLength = length;
    w.formatTag = getU16(b);
    w.channels = getU16(b + 2);
    w.sampleRate = getU32(b + 4);
    w.bytesPerSecond = getU32(b + 8);
    w.blockAlign = getU16(b + 12);
    w.bitsPerSample = getU16(b + 14);
    if (length >= 20 && avail >= 20 && getU16(b + 16) >= 2) {
        w.hasSamplesPerBlock = true;
        w.samplesPerBlock = getU16(b + 18);
    }
    if (avail >= 26) {
        w.hasSubFormatTag = true;
        w.subFormatTag = getU16(b + 24);
        if (length >= 40) w.subFormat = w.subFormatTag;
    }
}

// Reads the format chunk whose body starts at body; avail bytes of the file follow it.
WavWalkResult readFormat(io::File& file, std::uint64_t body, std::uint64_t avail, std::uint32_t length,
                         WavLayout& w) {
    w.fmtChunkLength = length;
    if (length < 16) return walkFailed(WavWalk::FormatTooShort);
    if (avail < 16) return walkFailed(WavWalk::FormatTruncated);
    std::uint8_t fmt[26] = {};
    std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>({length, avail, sizeof fmt}));
    if (io::Outcome got = file.readAt(body, fmt, n); !got) return readFailed(got);
    parseFormat(fmt, n, length, w);
    return {};
}

}  // namespace

WavWalkResult walkWavChunks(io::File& file, WavLayout& w) {
    w = WavLayout{};
    w.fileSize = file.size();
    if (w.fileSize < 12) return walkFailed(WavWalk::TooShort);
    std::uint8_t head[12];
    if (io::Outcome got = file.readAt(0, head, sizeof head); !got) return readFailed(got);
    if (!isTag(head, "RIFF") || !isTag(head + 8, "WAVE")) return walkFailed(WavWalk::NotRiffWave);

    bool haveFormat = false, haveData = false;
    std::uint64_t at = 12;
    while (at + 8 <= w.fileSize && !(haveFormat && haveData)) {
        std::uint8_t chunk[8];
        if (io::Outcome got = file.readAt(at, chunk, sizeof chunk); !got) return readFailed(got);
        std::uint32_t length = getU32(chunk + 4);
        std::uint64_t body = at + 8;
        std::uint64_t avail = w.fileSize - body;
        if (isTag(chunk, "fmt ") && !haveFormat) {
            if (WavWalkResult r = readFormat(file, body, avail, length, w); !r.ok()) return r;
            haveFormat = true;
        } else if (isTag(chunk, "fact") && !w.hasFact && length >= 4 && avail >= 4) {
            std::uint8_t fact[4];
            if (io::Outcome got = file.readAt(body, fact, 4); !got) return readFailed(got);
            w.hasFact = true;
            w.factValue = getU32(fact);
        } else if (isTag(chunk, "data") && !haveData) {
            w.dataOffset = body;
            w.declaredDataLength = length;
            w.dataLength = static_cast<std::uint32_t>(std::min<std::uint64_t>(length, avail));
            w.dataClamped = length > avail;
            haveData = true;
        }
        // Chunk bodies are padded to an even length.
        at = body + length + (length & 1u);
    }
    if (!haveFormat) return walkFailed(WavWalk::NoFormat);
    if (!haveData) return walkFailed(WavWalk::NoData);
    return {};
}

io::Outcome readWavLayout(io::File& file, WavLayout& w) {
    const WavWalkResult walked = walkWavChunks(file, w);
    const std::string& path = file.path();
    switch (walked.walk) {
    case WavWalk::Ok: return io::success();
    case WavWalk::ReadFailed: return io::failure(walked.ioReason);
    case WavWalk::TooShort:
        return io::failure(path + " is not a .wav file: it is only " + std::to_string(w.fileSize) +
                           " bytes long.");
    case WavWalk::NotRiffWave:
        return io::failure(path + " is not a .wav file: it does not begin with a RIFF WAVE header.");
    case WavWalk::FormatTooShort:
        return io::failure(path + " has a format chunk of only " + std::to_string(w.fmtChunkLength) +
                           " bytes; a .wav format chunk holds at least 16.");
    case WavWalk::FormatTruncated: return io::failure(path + " ends inside its format chunk.");
    case WavWalk::NoFormat:
        return io::failure(path + " has no format chunk (\"fmt \"), so its sound cannot be read.");
    case WavWalk::NoData: return io::failure(path + " has no sound data chunk (\"data\").");
    }
    return io::failure(path + " cannot be read as a .wav file.");
}

io::Outcome readWavLayout(const std::string& path, WavLayout& layout) {
    io::File file;
    if (io::Outcome opened = file.open(path, io::FileMode::Read); !opened) return opened;
    return readWavLayout(file, layout);
}

io::Outcome readCanonicalWavHeader(const std::string& path, CanonicalWavHeader& header) {
    io::File file;
    if (io::Outcome opened = file.open(path, io::FileMode::Read); !opened) return opened;
    std::uint8_t b[36] = {};
    (void)file.readSome(b, sizeof b);
    header.riffSize = getU32(b + 4);
    header.fmtSize = getU32(b + 16);
    header.formatTag = io::getI16(b + 20);
    header.channels = io::getI16(b + 22);
    header.sampleRate = getU32(b + 24);
    header.blockAlign = getU16(b + 32);
    header.bitsPerSample = getU16(b + 34);
    return io::success();
}

}  // namespace sonkrate::audio
