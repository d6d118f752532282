// The byte layout of a .tpa sound archive: the 24-byte header, the entry
// records of the retail layout and of the two beta layouts, and their
// parsing and serialisation field by field.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace sonkrate::archive {

inline constexpr std::size_t kTpaHeaderSize = 24;
inline constexpr std::uint32_t kTableOffset = 24;
inline constexpr std::size_t kRetailRecordSize = 56;
inline constexpr std::size_t kBeta24RecordSize = 24;
inline constexpr std::size_t kBeta16RecordSize = 16;
// Every beta record starts with soundId, imageOffset and imageLength.
inline constexpr std::size_t kRecordLeadSize = 12;

inline constexpr std::uint32_t kRetailLayoutTag = 0x150;
inline constexpr std::uint32_t kBeta24LayoutTag = 0x140;
inline constexpr std::uint32_t kBeta16LayoutTag = 0x130;

// auxValue of records added to effects and ambient archives: 1.5f.
inline constexpr std::uint32_t kEffectsAuxValue = 0x3FC00000;

enum class TpaLayout : int { Retail = 0, Beta24 = 1, Beta16 = 2 };

struct TpaHeader {
    std::uint32_t layoutTag = kRetailLayoutTag;
    std::uint32_t soundCount = 0;
    std::uint32_t tableOffset = kTableOffset;
    std::uint32_t trailerFlag = 0;
    std::uint32_t soundDataEnd = 0;
    std::uint32_t entryCount = 0;
};

// A table record. Retail records carry every field; for the beta layouts
// only soundId, imageOffset and imageLength are read and the rest stays 0.
struct TpaEntry {
    std::uint32_t soundId = 0;
    std::uint32_t imageOffset = 0;
    std::uint32_t imageLength = 0;
    std::uint32_t auxValue = 0;
    std::uint32_t reserved = 0;
    // Copy of the first 36 bytes of the entry's sound image.
    std::array<std::uint8_t, 36> cauHeader{};
};

// Any tag other than the two beta tags is read as Retail.
TpaLayout layoutOfTag(std::uint32_t layoutTag);
// 56, 24 or 16.
std::size_t recordSizeOf(TpaLayout layout);
// Offset of record index: 24 + index x record size.
std::uint64_t recordOffsetOf(TpaLayout layout, std::uint64_t index);
// "retail", "beta24" or "beta16".
const char* layoutText(TpaLayout layout);

TpaHeader parseTpaHeader(const std::uint8_t* bytes);
std::array<std::uint8_t, kTpaHeaderSize> serializeTpaHeader(const TpaHeader& header);

// record holds recordSizeOf(layout) bytes.
TpaEntry parseTpaEntry(const std::uint8_t* record, TpaLayout layout);
// The 56-byte retail record.
std::array<std::uint8_t, kRetailRecordSize> serializeTpaEntry(const TpaEntry& entry);

}  // namespace sonkrate::archive
