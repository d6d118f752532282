// The checks of one sound image as the game's player reads it.
#include <algorithm>
#include <cstdio>
#include <vector>

#include "archive/check/verify_checks.h"
#include "audio/cau/caption_sections.h"
#include "io/byte_order.h"

namespace sonkrate::archive::verify_detail {

namespace {

constexpr std::size_t kCaptionBuffer = 64 * 1024;

std::string num(std::uint64_t value) { return std::to_string(value); }

// Walks the caption block at `at` as the game does: its length (not counting
// its own four bytes), the section count, then each section's 32-bit display
// time and zero-terminated text, all inside the block. Streamed in chunks.
void checkCaption(io::File& file, std::uint64_t fileSize, std::uint64_t at, FindingSink& sink) {
    std::uint8_t head[8];
    if (at + 8 > fileSize) {
        return sink.error("caption-outside-file", "the caption block at offset " + num(at) +
                                                      " lies past the end of the file (" + num(fileSize) +
                                                      " bytes)");
    }
    if (!file.readAt(at, head, 8)) return sink.error("caption-outside-file", "the caption block cannot be read");
    const std::uint64_t end = at + 4 + io::getU32(head);
    const std::uint32_t sections = io::getU32(head + 4);
    if (end > fileSize) {
        return sink.error("caption-outside-file", "the caption block at offset " + num(at) + " claims " +
                                                      num(io::getU32(head)) + " bytes, past the end of the file");
    }
    if (end < at + 8) return sink.error("caption-sections", "the caption block is too short to hold its line count");
    // Blocks past these limits are not caption text anyone wrote for the game;
    // Sonkrate reads no more than the first MiB and writes none.
    if (end - at > audio::kMaxCaptionBytes)
        sink.warning("caption-size", "the caption block takes " + num(end - at) + " bytes; captions are read to " +
                                         num(audio::kMaxCaptionBytes) + " bytes and no caption is written larger");
    if (sections > audio::kMaxCaptionSections)
        sink.warning("caption-size", "the caption block counts " + num(sections) + " sections; captions are "
                                         "written with at most " + num(audio::kMaxCaptionSections));
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(std::min<std::uint64_t>(kCaptionBuffer, end - at - 8)));
    std::uint64_t pos = at + 8;
    std::uint32_t done = 0, timeBytes = 0;
    while (done < sections && pos < end) {
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), end - pos));
        if (!file.readAt(pos, buffer.data(), n)) return sink.error("caption-sections", "the caption block cannot be read");
        for (std::size_t i = 0; i < n && done < sections; ++i) {
            if (timeBytes < 4) ++timeBytes;  // the section's display time
            else if (buffer[i] == 0) ++done, timeBytes = 0;
        }
        pos += n;
    }
    if (done < sections) {
        sink.error("caption-sections", "the caption block of " + num(end - at - 4) + " bytes holds " + num(done) +
                                           " of its " + num(sections) + " sections (display time and text)");
    }
}

// Bits, channels, compression and block size the game can decode; false
// when the sound cannot be decoded at all.
bool checkFormat(const audio::CauHeader& h, FindingSink& sink) {
    bool decodable = true;
    auto refuse = [&](const std::string& code, const std::string& message) { sink.error(code, message), decodable = false; };
    if (h.bitsPerSample != 8 && h.bitsPerSample != 16)
        refuse("bits-per-sample", num(h.bitsPerSample) + " bits per sample; the game plays 8 or 16");
    if (h.channels != 1 && h.channels != 2) refuse("channels", num(h.channels) + " channels; the game plays 1 or 2");
    if (h.compression > 1)
        refuse("compression", "compression " + num(h.compression) + "; the game plays 0 (PCM) or 1 (IMA ADPCM)");
    else if (h.isAdpcm() && h.bitsPerSample != 16)
        refuse("compression", "IMA ADPCM of " + num(h.bitsPerSample) + " bits; the game decodes 16-bit IMA ADPCM only");
    else if (decodable && h.isAdpcm() && h.blockAlign <= 4u * h.channels)
        refuse("block-align", "IMA ADPCM blocks of " + num(h.blockAlign) + " bytes cannot hold a " +
                                  num(4u * h.channels) + "-byte block header and any code");
    if (h.formatTag > audio::kCauFormatTag)
        sink.error("format-tag", "formatTag " + num(h.formatTag) + " is newer than the game's 110");
    return decodable;
}

}  // namespace

void FindingSink::add(Severity severity, const std::string& code, const std::string& message) {
    if (report_.findings.size() >= kMaxFindings) {
        report_.truncated = true;
        return;
    }
    report_.findings.push_back({file_, index_, soundId_, severity, code, message});
}

void FindingSink::addFor(std::uint32_t index, std::uint32_t soundId, Severity severity, const std::string& code,
                         const std::string& message) {
    auto keptIndex = index_, keptId = soundId_;
    atEntry(index, soundId);
    add(severity, code, message);
    index_ = keptIndex, soundId_ = keptId;
}

std::string hex(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", static_cast<unsigned>(value));
    return text;
}

std::uint64_t leastDecodedBytes(const audio::CauHeader& h) {
    if (!h.isAdpcm()) return h.dataSize;
    // Each block: the header sample of each channel, then two samples per code byte.
    const std::uint64_t blocks = (std::uint64_t{h.dataSize} + h.blockAlign - 1) / h.blockAlign;
    const std::uint64_t framesPerBlock = 1 + (std::uint64_t{h.blockAlign} - 4u * h.channels) * 2 / h.channels;
    return (blocks == 0 ? 0 : blocks - 1) * framesPerBlock * 2 * h.channels;
}

namespace {

// The game plays a buffer of decodedSize bytes: PCM in its own width, IMA
// ADPCM as 16-bit PCM. Less cuts the sound; more than PCM's data plays
// whatever follows it and stretches its play time.
void checkDecodedSize(const audio::CauHeader& h, FindingSink& sink) {
    const std::uint64_t least = leastDecodedBytes(h);
    if (h.isAdpcm()) {
        if (h.decodedSize < least)
            sink.error("decoded-size", "decodedSize " + num(h.decodedSize) +
                                           " cuts the sound short: its data decodes to more than " + num(least) +
                                           " bytes of 16-bit PCM");
        return;
    }
    const std::string width = std::to_string(h.bitsPerSample) + "-bit PCM";
    if (h.decodedSize < least)
        sink.error("decoded-size", "decodedSize " + num(h.decodedSize) + " cuts the sound short: it holds " +
                                       num(least) + " bytes of " + width);
    else if (h.decodedSize > least)
        sink.warning("decoded-size", "decodedSize " + num(h.decodedSize) + " is more than the " + num(least) +
                                         " bytes of " + width + " the sound holds: the game plays past its end");
}

}  // namespace

void checkSound(io::File& file, std::uint64_t fileSize, const audio::CauHeader& h, std::uint64_t imageStart,
                FindingSink& sink) {
    const bool decodable = checkFormat(h, sink);
    const std::uint64_t dataStart = imageStart + h.dataOffset;
    if (dataStart + h.dataSize > fileSize) {
        sink.error("data-outside-file", "the sound data (" + num(h.dataSize) + " bytes at offset " + num(dataStart) +
                                            ") runs past the end of the file (" + num(fileSize) + " bytes)");
    }
    if (decodable) checkDecodedSize(h, sink);
    if (h.captionOffset != 0 && h.formatTag >= audio::kCauFormatTag)
        checkCaption(file, fileSize, imageStart + h.captionOffset, sink);
}

}  // namespace sonkrate::archive::verify_detail
