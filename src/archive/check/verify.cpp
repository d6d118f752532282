#include "archive/check/verify.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstring>

#include "archive/check/verify_checks.h"
#include "io/paths.h"

namespace sonkrate::archive {

using namespace verify_detail;

namespace {

// Records read from the table at a time.
constexpr std::size_t kRecordsPerRead = 4096;

std::string num(std::uint64_t value) { return std::to_string(value); }

// The layout tag, the table and the collision table against the file size;
// false when the records cannot be read as the game reads them.
bool checkHeader(const TpaHeader& h, std::uint64_t fileSize, FindingSink& sink) {
    if (h.layoutTag != kRetailLayoutTag) {
        const TpaLayout layout = layoutOfTag(h.layoutTag);
        if (layout != TpaLayout::Retail)
            sink.error("layout-tag", "layoutTag " + hex(h.layoutTag) + " is the " + layoutText(layout) +
                                         " layout, which the game refuses; beta-to-retail writes its retail copy");
        else
            sink.error("layout-tag", "layoutTag " + hex(h.layoutTag) + " is not the 0x150 that the game reads");
        return false;
    }
    const std::uint64_t tableEnd = std::uint64_t{h.tableOffset} + kRetailRecordSize * std::uint64_t{h.entryCount};
    if (tableEnd > fileSize) {
        sink.error("table-outside-file", "the table of " + num(h.entryCount) + " records at offset " +
                                             num(h.tableOffset) + " ends at " + num(tableEnd) +
                                             ", past the end of the file (" + num(fileSize) + " bytes)");
        return false;
    }
    const std::uint64_t collisionsEnd = h.soundDataEnd + kCollisionRecordSize * std::uint64_t{h.trailerFlag};
    if (h.trailerFlag != 0 && collisionsEnd > fileSize)
        sink.error("collision-table-outside-file", "the collision table of " + num(h.trailerFlag) +
                                                       " records at soundDataEnd " + num(h.soundDataEnd) +
                                                       " runs past the end of the file (" + num(fileSize) + " bytes)");
    if (h.trailerFlag == 0 && h.soundDataEnd != fileSize)
        sink.warning("sound-data-end", "soundDataEnd is " + num(h.soundDataEnd) +
                                           " without a collision table; the file is " + num(fileSize) + " bytes");
    return true;
}

// The four bytes as text when they are printable, else in hexadecimal.
std::string magicText(const std::uint8_t* bytes) {
    bool printable = true;
    for (int i = 0; i < 4; ++i) printable = printable && bytes[i] >= 0x20 && bytes[i] < 0x7F;
    if (printable) return "\"" + std::string(reinterpret_cast<const char*>(bytes), 4) + "\"";
    char text[16];
    std::snprintf(text, sizeof text, "%02X %02X %02X %02X", bytes[0], bytes[1], bytes[2], bytes[3]);
    return text;
}

std::string headerText(const audio::CauHeader& h) {
    return std::string(h.magic.data(), h.magic.size());
}

// "dataSize (100 in the copy, 64 in the image), ..." for every field that
// differs; an image with the older 32-byte header holds only the sound's
// size and format.
std::string differingFields(const audio::CauHeader& copy, const audio::CauHeader& image) {
    const struct {
        const char* name;
        std::uint32_t copy, image;
        bool inOlderHeader;
    } fields[] = {{"formatTag", copy.formatTag, image.formatTag, false},
                  {"dataOffset", copy.dataOffset, image.dataOffset, false},
                  {"blockAlign", copy.blockAlign, image.blockAlign, false},
                  {"dataSize", copy.dataSize, image.dataSize, true},
                  {"decodedSize", copy.decodedSize, image.decodedSize, false},
                  {"sampleRate", copy.sampleRate, image.sampleRate, true},
                  {"bitsPerSample", copy.bitsPerSample, image.bitsPerSample, true},
                  {"channels", copy.channels, image.channels, true},
                  {"compression", copy.compression, image.compression, true},
                  {"the reserved byte", copy.reserved, image.reserved, false},
                  {"captionOffset", copy.captionOffset, image.captionOffset, false}};
    std::string text;
    for (const auto& f : fields) {
        if (f.copy == f.image || (image.olderHeader && !f.inOlderHeader)) continue;
        if (!text.empty()) text += ", ";
        text += std::string(f.name) + " (" + num(f.copy) + " in the copy, " + num(f.image) + " in the image)";
    }
    return text;
}

// The table's copy against the image's own header. The image's first four
// bytes are read by nobody; the rest must match.
io::Outcome checkCopyAgainstImage(io::File& file, std::uint64_t fileSize, const TpaEntry& e,
                                  const audio::CauHeader& copy, FindingSink& sink) {
    if (std::uint64_t{e.imageOffset} + audio::kCauHeaderSize > fileSize) return io::success();
    std::uint8_t own[audio::kCauHeaderSize];
    io::Outcome read = file.readAt(e.imageOffset, own, sizeof own);
    if (!read) return read;
    const audio::CauHeader older = audio::parseCauHeader(own, true);
    std::string differing;
    if (older.olderHeader)
        differing = differingFields(copy, older);
    else if (std::memcmp(own + 4, e.cauHeader.data() + 4, sizeof own - 4) != 0)
        differing = differingFields(copy, audio::parseCauHeader(own, false));
    if (!differing.empty())
        sink.error("header-copy-differs",
                   "the table's header copy differs from the header of its image in " + differing);
    return io::success();
}

// One record: its image's place, the two floats, the header copy against
// its image, and the sound the game plays from that copy.
io::Outcome checkRecord(io::File& file, std::uint64_t fileSize, const TpaEntry& e, FindingSink& sink, ImageRef& ref) {
    ref.inFile = std::uint64_t{e.imageOffset} + e.imageLength <= fileSize && e.imageOffset < fileSize;
    if (!ref.inFile)
        sink.error("image-outside-file", "the image (" + num(e.imageLength) + " bytes at offset " +
                                             num(e.imageOffset) + ") runs past the end of the file (" +
                                             num(fileSize) + " bytes)");
    const float attenuation = std::bit_cast<float>(e.auxValue), volume = std::bit_cast<float>(e.reserved);
    if (!(attenuation >= 0.0f))
        sink.error("attenuation", "the attenuation (auxValue " + hex(e.auxValue) + ") is below 0 or not a number");
    if (!(volume <= 0.0f))
        sink.error("master-volume", "the master volume (reserved " + hex(e.reserved) + ") is above 0 or not a number");
    const audio::CauHeader copy = audio::parseCauHeader(e.cauHeader.data(), false);
    if (headerText(copy) != "WBOR")
        sink.error("header-magic", "the table's header copy starts with " + magicText(e.cauHeader.data()) +
                                       ", not WBOR");
    io::Outcome compared = checkCopyAgainstImage(file, fileSize, e, copy, sink);
    if (!compared) return compared;
    if (headerText(copy) == "WBOR") checkSound(file, fileSize, copy, e.imageOffset, sink);
    return io::success();
}

io::Outcome checkRecords(io::File& file, std::uint64_t fileSize, const TpaHeader& h, FindingSink& sink,
                         std::vector<ImageRef>& images) {
    images.reserve(h.entryCount);
    std::vector<std::uint8_t> block(kRecordsPerRead * kRetailRecordSize);
    for (std::uint64_t first = 0; first < h.entryCount; first += kRecordsPerRead) {
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(kRecordsPerRead, h.entryCount - first));
        io::Outcome read = file.readAt(h.tableOffset + first * kRetailRecordSize, block.data(), n * kRetailRecordSize);
        if (!read) return read;
        for (std::size_t i = 0; i < n; ++i) {
            const TpaEntry e = parseTpaEntry(block.data() + i * kRetailRecordSize, TpaLayout::Retail);
            ImageRef ref{static_cast<std::uint32_t>(first + i), e.soundId, e.imageOffset, e.imageLength, false};
            sink.atEntry(ref.index, ref.soundId);
            io::Outcome checked = checkRecord(file, fileSize, e, sink, ref);
            if (!checked) return checked;
            images.push_back(ref);
        }
    }
    sink.atFile();
    return io::success();
}

bool namedCau(const std::string& path) { return io::endsWith(io::toLower(io::fileNameOf(path)), ".cau"); }
bool namedTpa(const std::string& path) { return io::endsWith(io::toLower(io::fileNameOf(path)), ".tpa"); }

}  // namespace

std::size_t VerifyReport::count(Severity severity) const {
    return static_cast<std::size_t>(std::count_if(findings.begin(), findings.end(),
                                                   [&](const Finding& f) { return f.severity == severity; }));
}

const char* severityText(Severity severity) { return severity == Severity::Error ? "error" : "warning"; }

VerifyReport verifyArchive(const std::string& path) {
    VerifyReport report;
    FindingSink sink(path, report);
    io::File file;
    if (!(report.outcome = file.open(path, io::FileMode::Read))) return report;
    const std::uint64_t fileSize = file.size();
    std::uint8_t bytes[kTpaHeaderSize];
    if (fileSize < kTpaHeaderSize) {
        sink.error("header-outside-file", "the file is " + num(fileSize) + " bytes long, shorter than the " +
                                              num(kTpaHeaderSize) + "-byte archive header");
        return report;
    }
    if (!(report.outcome = file.readAt(0, bytes, sizeof bytes))) return report;
    const TpaHeader header = parseTpaHeader(bytes);
    if (!checkHeader(header, fileSize, sink)) return report;
    std::vector<ImageRef> images;
    if (!(report.outcome = checkRecords(file, fileSize, header, sink, images))) return report;
    checkImageLayout(header, fileSize, images, sink);
    return report;
}

VerifyReport verifyCau(const std::string& path) {
    VerifyReport report;
    FindingSink sink(path, report);
    io::File file;
    if (!(report.outcome = file.open(path, io::FileMode::Read))) return report;
    const std::uint64_t fileSize = file.size();
    std::uint8_t bytes[audio::kCauHeaderSize];
    if (fileSize < sizeof bytes) {
        sink.error("header-outside-file", "the file is " + num(fileSize) + " bytes long, shorter than the " +
                                              num(sizeof bytes) + "-byte sound header");
        return report;
    }
    if (!(report.outcome = file.readAt(0, bytes, sizeof bytes))) return report;
    const audio::CauHeader header = audio::parseCauHeader(bytes, false);
    if (headerText(header) != "WBOR")
        sink.error("header-magic", "the header starts with " + magicText(bytes) + ", not WBOR");
    checkSound(file, fileSize, header, 0, sink);
    return report;
}

VerifyReport verifyFile(const std::string& path) {
    if (namedCau(path)) return verifyCau(path);
    if (namedTpa(path)) return verifyArchive(path);
    io::File file;
    std::uint8_t magic[4] = {};
    if (file.open(path, io::FileMode::Read) && file.size() >= 4 && file.readAt(0, magic, 4) &&
        std::memcmp(magic, "WBOR", 4) == 0)
        return verifyCau(path);
    return verifyArchive(path);
}

}  // namespace sonkrate::archive
