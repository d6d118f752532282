#include "archive/folder/pack_archive.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdio>
#include <limits>
#include <map>
#include <optional>

#include "archive/format/archive_writer.h"
#include "archive/folder/content_hash.h"
#include "archive/edit/default_sound.h"
#include "archive/folder/pack_folder.h"
#include "archive/folder/pack_sound.h"
#include "archive/folder/image_captions.h"
#include "audio/cau/caption_sections.h"
#include "audio/cau/cau_file_check.h"
#include "ids/sound_id.h"
#include "io/file.h"
#include "io/game_text.h"
#include "io/paths.h"

namespace sonkrate::archive {

namespace {

// One record of the new archive.
struct Row {
    std::uint32_t soundId = 0;
    std::optional<std::uint32_t> record;  // in the archive unpacked
    std::uint32_t auxValue = 0;
    std::uint32_t reserved = 0;
    std::size_t image = 0;
};

// One image of the new archive: every row naming the same file shares it.
struct NewImage {
    std::string file;
    std::vector<std::size_t> rows;
    std::optional<std::uint32_t> slot;  // the unpacked image whose place it takes
    bool slotChosen = false;
    std::optional<std::uint32_t> kept;  // that unpacked image, written unchanged
    std::string path;                   // the bytes to write
    std::optional<PackImage> made;      // or these, made as they are written
    std::uint64_t length = 0;
    std::array<std::uint8_t, 36> header{};  // of a changed image
    std::uint64_t offset = 0;               // in the new archive
};

// Whether a manifest's number can be stored as the record's 32-bit float:
// finite, and not beyond the float's range (where it would become infinite).
bool fitsFloat(double value) { return std::fabs(value) <= std::numeric_limits<float>::max(); }

bool sameFloat(std::uint32_t bits, double value) {
    return fitsFloat(value) && std::bit_cast<float>(bits) == static_cast<float>(value);
}

struct Packer {
    const PackedFolder& f;
    std::vector<Row> rows;
    std::vector<NewImage> images;

    std::string where(std::size_t i) const {
        const ManifestSound& s = f.edited.sounds[i];
        std::string who = s.name ? " (" + *s.name + ")" : s.soundId ? " (" + ids::formatSoundId(*s.soundId) + ")" : "";
        return f.manifestPath + ", row " + std::to_string(i + 1) + " of \"sounds\"" + who;
    }
    io::Outcome identity(std::size_t i, std::vector<bool>& seen, Row& row) const;
    io::Outcome levels(std::size_t i, Row& row) const;
    io::Outcome resolveRows();
    io::Outcome checkIdentifiers() const;
    void groupImages();
    io::Outcome captionEdit(const NewImage& image, std::optional<std::vector<ManifestSection>>& edit) const;
    io::Outcome changedSource(const NewImage& image, const std::string& path, std::string& source,
                              std::optional<PackImage>& made) const;
    io::Outcome prepare(NewImage& image) const;
};

io::Outcome Packer::identity(std::size_t i, std::vector<bool>& seen, Row& row) const {
    const ManifestSound& s = f.edited.sounds[i];
    const ManifestSound* was = nullptr;
    if (s.record) {
        if (*s.record >= f.records.size())
            return io::failure(where(i) + " names record " + std::to_string(*s.record) +
                               ", but the archive unpacked had " + std::to_string(f.records.size()) +
                               "; leave \"record\" as unpack wrote it, or null for a new sound");
        if (seen[*s.record])
            return io::failure(where(i) + " names record " + std::to_string(*s.record) +
                               ", as an earlier row does; a copied row needs \"record\": null");
        seen[*s.record] = true;
        was = &f.original.sounds[*s.record];
        row.record = s.record;
    }
    const bool nameKept = was != nullptr && s.name == was->name;
    if (s.soundId && (nameKept || !s.name || s.name->empty())) {
        row.soundId = *s.soundId;
    } else if (s.name && !s.name->empty()) {
        row.soundId = ids::computeSoundId(io::gameText(*s.name));
    } else {
        return io::failure(where(i) + " has neither a name nor a soundId");
    }
    return io::success();
}

namespace {

constexpr double kLargestLevel = std::numeric_limits<float>::max();

// A level as the manifest gives it: 3 and -2.5, not 3.000000 and -2.500000.
std::string levelText(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

}  // namespace

io::Outcome Packer::levels(std::size_t i, Row& row) const {
    const ManifestSound& s = f.edited.sounds[i];
    if (row.record) {
        row.auxValue = f.records[*row.record].auxValue;
        row.reserved = f.records[*row.record].reserved;
    } else if (f.original.archiveClass == "effects" || f.original.archiveClass == "ambient") {
        row.auxValue = kEffectsAuxValue;  // as the add gives
    }
    if (s.attenuation && !(row.record && sameFloat(row.auxValue, *s.attenuation))) {
        if (!std::isfinite(*s.attenuation) || *s.attenuation < 0)
            return io::failure(where(i) + " gives the attenuation " + levelText(*s.attenuation) +
                               ", but the game refuses an attenuation below 0 (dB per metre)");
        if (!fitsFloat(*s.attenuation))
            return io::failure(where(i) + " gives the attenuation " + levelText(*s.attenuation) +
                               ", beyond what the record's 32-bit number holds (" + levelText(kLargestLevel) + ")");
        row.auxValue = std::bit_cast<std::uint32_t>(static_cast<float>(*s.attenuation));
    }
    if (s.masterVolume && !(row.record && sameFloat(row.reserved, *s.masterVolume))) {
        if (!std::isfinite(*s.masterVolume) || *s.masterVolume > 0)
            return io::failure(where(i) + " gives the master volume " + levelText(*s.masterVolume) +
                               ", but the game refuses a master volume above 0 dB");
        if (!fitsFloat(*s.masterVolume))
            return io::failure(where(i) + " gives the master volume " + levelText(*s.masterVolume) +
                               ", beyond what the record's 32-bit number holds (" + levelText(-kLargestLevel) + ")");
        row.reserved = std::bit_cast<std::uint32_t>(static_cast<float>(*s.masterVolume));
    }
    return io::success();
}

io::Outcome Packer::resolveRows() {
    std::vector<bool> seen(f.records.size(), false);
    rows.resize(f.edited.sounds.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (io::Outcome ok = identity(i, seen, rows[i]); !ok) return ok;
        if (io::Outcome ok = levels(i, rows[i]); !ok) return ok;
    }
    return checkIdentifiers();
}

// An identifier may appear as often as it did in the archive unpacked, and
// "missing" may not go.
io::Outcome Packer::checkIdentifiers() const {
    std::map<std::uint32_t, int> allowed, used;
    for (const TpaEntry& e : f.records) ++allowed[e.soundId];
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (++used[rows[i].soundId] > std::max(1, allowed[rows[i].soundId]))
            return io::failure(where(i) + " has the identifier " + ids::formatSoundId(rows[i].soundId) +
                               " of another row; the game keeps only one sound per identifier");
    const bool hadMissing = allowed.count(kDefaultSoundId) > 0;
    bool hasMissing = false;
    for (const Row& r : rows) hasMissing = hasMissing || r.soundId == kDefaultSoundId;
    if (hadMissing && !hasMissing)
        return io::failure(f.manifestPath + " has no row for \"missing\" (" + ids::formatSoundId(kDefaultSoundId) +
                           "), which cannot be removed: the game plays it in place of any sound it cannot find");
    return io::success();
}

void Packer::groupImages() {
    std::map<std::string, std::size_t> byFile;
    std::vector<bool> slotTaken(f.layout.images.size(), false);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const std::string& file = f.edited.sounds[i].file;
        auto [it, added] = byFile.try_emplace(file, images.size());
        if (added) images.emplace_back().file = file;
        NewImage& image = images[it->second];
        image.rows.push_back(i);
        rows[i].image = it->second;
        // The place of the image its first unpacked row had, unless an earlier image took it.
        if (!image.slotChosen && rows[i].record) {
            image.slotChosen = true;
            const std::uint32_t slot = f.layout.imageOfRecord[*rows[i].record];
            if (!slotTaken[slot]) image.slot = slot, slotTaken[slot] = true;
        }
    }
}

// New captions for the image: those of the rows whose captions differ from
// what unpack wrote (all alike), or of the first row when no row was unpacked.
io::Outcome Packer::captionEdit(const NewImage& image, std::optional<std::vector<ManifestSection>>& edit) const {
    std::optional<std::size_t> by;
    for (std::size_t i : image.rows) {
        const ManifestSound& s = f.edited.sounds[i];
        const bool changed = rows[i].record ? s.captions != f.original.sounds[*rows[i].record].captions
                                            : s.captions.has_value();
        if (!changed) continue;
        const auto wanted = s.captions.value_or(std::vector<ManifestSection>{});
        if (by && wanted != edit)
            return io::failure(where(i) + " gives other captions than " + where(*by) +
                               ", which shares its sound file " + image.file);
        by = i;
        edit = wanted;
    }
    if (!by || edit->empty()) return io::success();
    const std::vector<std::uint8_t> block = sectionsBlock(*edit);
    return audio::checkCaptionBlock(std::string(block.begin(), block.end()), where(*by));
}

// The .cau of a file that is not as unpack wrote it, or the image made of its .wav.
io::Outcome Packer::changedSource(const NewImage& image, const std::string& path, std::string& source,
                                  std::optional<PackImage>& made) const {
    const std::string lower = io::toLower(image.file);
    if (io::endsWith(lower, ".cau")) {
        audio::CauFileFacts facts;
        if (io::Outcome checked = audio::inspectCauFile(path, facts); !checked) return checked;
        source = path;
        return io::success();
    }
    if (!io::endsWith(lower, ".wav"))
        return io::failure(f.manifestPath + " names " + path + ", which is neither a .wav nor a .cau file");
    // IMA ADPCM stays IMA ADPCM; PCM stays PCM.
    bool ima = false;
    for (std::size_t i : image.rows) {
        if (!rows[i].record) continue;
        const auto& format = f.original.sounds[*rows[i].record].format;
        ima = format && format->compression == "ima-adpcm";
        break;
    }
    source = path;
    return convertChangedWav(path, ima, made.emplace());
}

io::Outcome Packer::prepare(NewImage& image) const {
    std::string path, hash;
    if (io::Outcome found = soundFilePath(f, image.file, path); !found) return found;
    if (io::Outcome hashed = hashFile(path, hash); !hashed) return hashed;
    for (std::size_t i : image.rows)
        if (rows[i].record && f.original.sounds[*rows[i].record].hash == hash) {
            image.kept = f.layout.imageOfRecord[*rows[i].record];
            break;
        }
    std::optional<std::vector<ManifestSection>> captions;
    if (io::Outcome ok = captionEdit(image, captions); !ok) return ok;
    std::string source;
    std::optional<PackImage>& made = image.made;
    if (image.kept) {
        if (io::Outcome found = keptImagePath(f, *image.kept, path, source); !found) return found;
    } else {
        if (io::Outcome changed = changedSource(image, path, source, made); !changed) return changed;
        // A new recording keeps the captions of its row.
        const ManifestSound& first = f.edited.sounds[image.rows.front()];
        if (!captions && first.captions && !io::endsWith(io::toLower(image.file), ".cau")) captions = first.captions;
    }
    if (captions) {
        if (!made) {
            if (io::Outcome read = imageOfFile(source, made.emplace()); !read) return read;
        }
        if (io::Outcome recaptioned = recaptionImage(*made, *captions, source); !recaptioned) return recaptioned;
        image.kept.reset();
    }
    image.path = source;
    if (made) {
        image.length = made->size();
        std::copy_n(made->head.begin(), image.header.size(), image.header.begin());
        return io::success();
    }
    if (image.kept) {
        image.length = f.layout.images[*image.kept].length;
        io::File in;
        if (io::Outcome opened = in.open(source, io::FileMode::ReadNoLink); !opened) return opened;
        if (in.size() != image.length)
            return io::failure(source + " is not the length of the image unpack kept in it; unpack the archive again");
        return io::success();
    }
    audio::CauFileFacts facts;
    if (io::Outcome checked = audio::inspectCauFile(source, facts); !checked) return checked;
    image.length = facts.size;
    image.header = facts.header;
    return io::success();
}

}  // namespace

namespace {

struct Plan {
    ArchivePlan archive;
    std::uint32_t appended = 0;
};

// Where an offset of the archive unpacked lies in the new one: moved by the
// change of the table and of every image that ends at or before it.
std::uint64_t movedOffset(const PackedFolder& f, const std::vector<std::uint64_t>& newEnds, std::uint64_t newTableEnd,
                          std::uint64_t old) {
    std::int64_t shift = static_cast<std::int64_t>(newTableEnd) - static_cast<std::int64_t>(f.layout.tableEnd);
    for (std::size_t k = 0; k < f.layout.images.size(); ++k) {
        const std::uint64_t end = f.layout.images[k].offset + f.layout.images[k].length;
        if (end > old) break;
        shift = static_cast<std::int64_t>(newEnds[k]) - static_cast<std::int64_t>(end);
    }
    return static_cast<std::uint64_t>(static_cast<std::int64_t>(old) + shift);
}

// The bytes after the table: the kept gaps in their places, each image in
// the place of the unpacked image it follows, new images at the end.
void planPieces(const PackedFolder& f, std::vector<NewImage>& images, io::File& outside, std::uint64_t tableEnd,
                Plan& plan, std::vector<std::uint64_t>& newEnds) {
    std::vector<std::optional<std::size_t>> inSlot(f.layout.images.size());
    for (std::size_t i = 0; i < images.size(); ++i)
        if (images[i].slot) inSlot[*images[i].slot] = i;
    std::uint64_t at = tableEnd, outsideAt = 0;
    auto gap = [&](std::uint64_t length) {
        if (length > 0) plan.archive.pieces.push_back(ImagePiece::range(outside, outsideAt, length));
        outsideAt += length;
        at += length;
    };
    auto put = [&](NewImage& image) {
        image.offset = at;
        if (image.made) {
            const PackImage& made = *image.made;
            plan.archive.pieces.push_back(ImagePiece::memory(made.head));
            plan.archive.pieces.push_back(
                ImagePiece::produced([&made](io::File& out) { return writeImageData(made, out); }, made.dataSize));
        } else {
            plan.archive.pieces.push_back(ImagePiece::wholeFile(image.path, image.length));
        }
        at += image.length;
    };
    for (std::size_t k = 0; k < f.layout.images.size(); ++k) {
        gap(f.layout.images[k].gapBefore);
        if (inSlot[k]) put(images[*inSlot[k]]);
        newEnds.push_back(at);
    }
    gap(f.layout.trailingGap);
    for (NewImage& image : images)
        if (!image.slot) put(image), ++plan.appended;
}

void planRecords(const PackedFolder& f, const std::vector<Row>& rows, const std::vector<NewImage>& images,
                 Plan& plan) {
    for (const Row& row : rows) {
        TpaEntry e = row.record ? f.records[*row.record] : TpaEntry{};
        const NewImage& image = images[row.image];
        e.soundId = row.soundId;
        e.auxValue = row.auxValue;
        e.reserved = row.reserved;
        e.imageOffset = static_cast<std::uint32_t>(image.offset);
        e.imageLength = static_cast<std::uint32_t>(image.length);
        if (!image.kept)
            e.cauHeader = image.header;
        else if (!row.record || f.layout.imageOfRecord[*row.record] != *image.kept)
            e.cauHeader = f.records[f.layout.images[*image.kept].firstRecord].cauHeader;
        plan.archive.records.push_back(e);
    }
}

std::uint32_t counted(std::uint32_t was, std::size_t now, std::size_t before) {
    const std::int64_t n = std::int64_t{was} + static_cast<std::int64_t>(now) - static_cast<std::int64_t>(before);
    return static_cast<std::uint32_t>(std::clamp<std::int64_t>(n, 0, UINT32_MAX));
}

void planHeader(const PackedFolder& f, const std::vector<Row>& rows, const std::vector<NewImage>& images,
                const std::vector<std::uint64_t>& newEnds, Plan& plan) {
    TpaHeader h = f.header;
    const std::uint64_t tableEnd = recordOffsetOf(TpaLayout::Retail, rows.size());
    h.entryCount = counted(h.entryCount, rows.size(), f.records.size());
    h.soundCount = counted(h.soundCount, images.size(), f.layout.images.size());
    // The end of the sounds, or the start of the collision records, moves
    // with the bytes before it; where it was the end of the file it stays
    // there, except in the effects archive, whose new sounds follow its
    // collision records as the add puts them.
    const bool atEnd = f.header.soundDataEnd == f.original.fileSize && f.original.archiveClass != "effects";
    plan.archive.header = h;
    const std::uint64_t size = plannedSize(plan.archive);
    const std::uint64_t end = atEnd ? size : movedOffset(f, newEnds, tableEnd, f.header.soundDataEnd);
    plan.archive.header.soundDataEnd = static_cast<std::uint32_t>(std::min<std::uint64_t>(end, UINT32_MAX));
}

}  // namespace

PackResult packArchive(const std::string& dir, const std::string& outPath, const PackOptions& options) {
    PackResult result;
    PackedFolder folder;
    if (!(result.outcome = loadPackedFolder(dir, folder))) return result;
    Packer packer{folder, {}, {}};
    if (!(result.outcome = packer.resolveRows())) return result;
    packer.groupImages();
    for (NewImage& image : packer.images)
        if (!(result.outcome = packer.prepare(image))) return result;

    io::File outside;
    if (!(result.outcome = outside.open(folder.outsidePath, io::FileMode::ReadNoLink))) return result;
    Plan plan;
    std::vector<std::uint64_t> newEnds;
    const std::uint64_t tableEnd = recordOffsetOf(TpaLayout::Retail, packer.rows.size());
    planPieces(folder, packer.images, outside, tableEnd, plan, newEnds);
    planRecords(folder, packer.rows, packer.images, plan);
    planHeader(folder, packer.rows, packer.images, newEnds, plan);

    ArchiveWriteOptions write;
    write.syncToDisk = options.syncToDisk;
    write.progress = options.progress;
    if (!(result.outcome = writeArchive(outPath, plan.archive, write))) return result;
    result.records = static_cast<std::uint32_t>(packer.rows.size());
    result.images = static_cast<std::uint32_t>(packer.images.size());
    for (const NewImage& image : packer.images) (image.kept ? result.imagesKept : result.imagesChanged)++;
    for (const Row& row : packer.rows) result.recordsAdded += row.record ? 0 : 1;
    result.recordsRemoved = static_cast<std::uint32_t>(folder.records.size() + result.recordsAdded - result.records);
    result.fileSize = plannedSize(plan.archive);
    return result;
}

}  // namespace sonkrate::archive
