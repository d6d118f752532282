#include "archive/format/tpa_format.h"

#include <algorithm>

#include "io/byte_order.h"

namespace sonkrate::archive {

using io::getU32;
using io::putU32;

TpaLayout layoutOfTag(std::uint32_t layoutTag) {
    if (layoutTag == kBeta24LayoutTag) return TpaLayout::Beta24;
    if (layoutTag == kBeta16LayoutTag) return TpaLayout::Beta16;
    return TpaLayout::Retail;
}

std::size_t recordSizeOf(TpaLayout layout) {
    switch (layout) {
    case TpaLayout::Beta24: return kBeta24RecordSize;
    case TpaLayout::Beta16: return kBeta16RecordSize;
    case TpaLayout::Retail: break;
    }
    return kRetailRecordSize;
}

std::uint64_t recordOffsetOf(TpaLayout layout, std::uint64_t index) {
    return kTableOffset + index * recordSizeOf(layout);
}

const char* layoutText(TpaLayout layout) {
    switch (layout) {
    case TpaLayout::Beta24: return "beta24";
    case TpaLayout::Beta16: return "beta16";
    case TpaLayout::Retail: break;
    }
    return "retail";
}

TpaHeader parseTpaHeader(const std::uint8_t* b) {
    TpaHeader h;
    h.layoutTag = getU32(b);
    h.soundCount = getU32(b + 4);
    h.tableOffset = getU32(b + 8);
    h.trailerFlag = getU32(b + 12);
    h.soundDataEnd = getU32(b + 16);
    h.entryCount = getU32(b + 20);
    return h;
}

std::array<std::uint8_t, kTpaHeaderSize> serializeTpaHeader(const TpaHeader& h) {
    std::array<std::uint8_t, kTpaHeaderSize> b{};
    putU32(&b[0], h.layoutTag);
    putU32(&b[4], h.soundCount);
    putU32(&b[8], h.tableOffset);
    putU32(&b[12], h.trailerFlag);
    putU32(&b[16], h.soundDataEnd);
    putU32(&b[20], h.entryCount);
    return b;
}

TpaEntry parseTpaEntry(const std::uint8_t* r, TpaLayout layout) {
    TpaEntry e;
    e.soundId = getU32(r);
    e.imageOffset = getU32(r + 4);
    e.imageLength = getU32(r + 8);
    if (layout != TpaLayout::Retail) return e;
    e.auxValue = getU32(r + 12);
    e.reserved = getU32(r + 16);
    std::copy(r + 20, r + 56, e.cauHeader.begin());
    return e;
}

std::array<std::uint8_t, kRetailRecordSize> serializeTpaEntry(const TpaEntry& e) {
    std::array<std::uint8_t, kRetailRecordSize> b{};
    putU32(&b[0], e.soundId);
    putU32(&b[4], e.imageOffset);
    putU32(&b[8], e.imageLength);
    putU32(&b[12], e.auxValue);
    putU32(&b[16], e.reserved);
    std::copy(e.cauHeader.begin(), e.cauHeader.end(), b.begin() + 20);
    return b;
}

}  // namespace sonkrate::archive
