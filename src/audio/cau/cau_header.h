// The 36-byte header of a sound image (a .cau file, or one entry of a .tpa
// archive), the older 32-byte PCM header found inside archives, and the
// caption block that may follow the header.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace sonkrate::audio {

inline constexpr std::size_t kCauHeaderSize = 36;
inline constexpr std::uint32_t kCauFormatTag = 110;
inline constexpr std::uint32_t kCaptionAtHeaderEnd = 36;

struct CauHeader {
    std::array<char, 4> magic{'W', 'B', 'O', 'R'};
    std::uint32_t formatTag = kCauFormatTag;
    std::uint32_t dataOffset = kCauHeaderSize;
    std::uint32_t blockAlign = 0;
    std::uint32_t dataSize = 0;
    std::uint32_t decodedSize = 0;
    std::uint32_t sampleRate = 0;
    std::uint8_t bitsPerSample = 16;
    std::uint8_t channels = 1;
    std::uint8_t compression = 0;  // 0 = PCM, 1 = IMA ADPCM
    std::uint8_t reserved = 0;
    std::uint32_t captionOffset = 0;  // 36 when a caption block follows
    // Set when the bytes were the older 32-byte header: then imageLength
    // holds the length stored at offset 12 and blockAlign/decodedSize are 0.
    bool olderHeader = false;
    std::uint32_t imageLength = 0;

    bool isAdpcm() const { return compression == 1; }
    bool hasCaption() const { return captionOffset == kCaptionAtHeaderEnd; }
};

// Parses the first 36 bytes of an image; recognises the older 32-byte layout
// when recogniseOlder is set (archive entries) and the value at 24 says so.
CauHeader parseCauHeader(const std::uint8_t* bytes, bool recogniseOlder);
// The 36 bytes of a header, field by field.
std::array<std::uint8_t, kCauHeaderSize> serializeCauHeader(const CauHeader& header);

// Encodes typed caption text into its block (length, line count, 10, text,
// five zeros); line feeds become 00 0E 00 00 00, CR and NUL are dropped. The
// block reads as sections: the first line for 10 fifths, each further line
// for 14 (the 0E after each line's zero), then four bytes of slack.
std::string encodeCaptionBlock(const std::string& captionText);
// The caption text shown for a block that starts at block (its length word
// first) with available bytes readable: a blank, then the sections' texts
// joined by blanks. A block that does not read as sections is shown byte by
// byte instead (decodeCaptionBytes).
std::string decodeCaptionText(const std::uint8_t* block, std::size_t available);
// A block shown byte by byte, past the line count: bytes 1..30 as blanks, 0
// and 31 dropped, the rest kept; a length below 8 gives "".
std::string decodeCaptionBytes(const std::uint8_t* block, std::size_t available);

}  // namespace sonkrate::audio
