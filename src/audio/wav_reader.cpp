#include "audio/wav_reader.h"

#include <algorithm>
#include <cstring>

#include "io/byte_order.h"

namespace sonkrate::audio {

using io::getU16;
using io::getU32;

namespace {

bool isTag(const std::uint8_t* p, const char* tag) { return std::memcmp(p, tag, 4) == 0; }

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
    if (length >= 40 && avail >= 26) w.subFormat = getU16(b + 24);
}

}  // namespace

io::Outcome readWavLayout(io::File& file, WavLayout& w) {
    w = WavLayout{};
    const std::string& path = file.path();
    w.fileSize = file.size();
    if (w.fileSize < 12)
        return io::failure(path + " is not a .wav file: it is only " + std::to_string(w.fileSize) +
                           " bytes long.");
    std::uint8_t head[12];
    if (io::Outcome got = file.readAt(0, head, sizeof head); !got) return got;
    if (!isTag(head, "RIFF") || !isTag(head + 8, "WAVE"))
        return io::failure(path + " is not a .wav file: it does not begin with a RIFF WAVE header.");

    // Chunks are walked up to the file's real end; the RIFF length is often wrong.
    bool haveFormat = false, haveData = false;
    std::uint64_t at = 12;
    while (at + 8 <= w.fileSize && !(haveFormat && haveData)) {
        std::uint8_t chunk[8];
        if (io::Outcome got = file.readAt(at, chunk, sizeof chunk); !got) return got;
        std::uint32_t length = getU32(chunk + 4);
        std::uint64_t body = at + 8;
        std::uint64_t avail = w.fileSize - body;
        if (isTag(chunk, "fmt ") && !haveFormat) {
            if (length < 16)
                return io::failure(path + " has a format chunk of only " + std::to_string(length) +
                                   " bytes; a .wav format chunk holds at least 16.");
            if (avail < 16) return io::failure(path + " ends inside its format chunk.");
            std::uint8_t fmt[26] = {};
            std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>({length, avail, sizeof fmt}));
            if (io::Outcome got = file.readAt(body, fmt, n); !got) return got;
            parseFormat(fmt, n, length, w);
            haveFormat = true;
        } else if (isTag(chunk, "fact") && !w.hasFact && length >= 4 && avail >= 4) {
            std::uint8_t fact[4];
            if (io::Outcome got = file.readAt(body, fact, 4); !got) return got;
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
    if (!haveFormat) return io::failure(path + " has no format chunk (\"fmt \"), so its sound cannot be read.");
    if (!haveData) return io::failure(path + " has no sound data chunk (\"data\").");
    return io::success();
}

io::Outcome readWavLayout(const std::string& path, WavLayout& layout) {
    io::File file;
    if (io::Outcome opened = file.open(path, io::FileMode::Read); !opened) return opened;
    return readWavLayout(file, layout);
}

}  // namespace sonkrate::audio
