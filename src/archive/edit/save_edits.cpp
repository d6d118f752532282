#include "archive/edit/save_edits.h"

#include <algorithm>
#include <deque>
#include <filesystem>
#include <optional>

#include "archive/edit/staged_export.h"
#include "archive/format/archive_class.h"
#include "archive/format/archive_reader.h"
#include "archive/format/archive_writer.h"
#include "archive/format/image_layout.h"
#include "io/unicode_text.h"

namespace sonkrate::archive {

namespace {

struct Placed {
    std::uint64_t offset = 0;
    std::uint64_t length = 0;
    std::array<std::uint8_t, 36> header{};
};

struct Saver {
    StagedEdits& edits;
    io::File archive, scratch;
    ImageLayout layout;
    std::vector<bool> used;
    std::vector<Placed> placed;
    std::deque<std::vector<std::uint8_t>> heads;  // the memory pieces, alive until written
    ArchivePlan plan;
    std::vector<std::uint64_t> newEnds;  // per image of the archive opened: where its slot ends now
    std::uint64_t at = 0;

    io::Outcome open();
    io::Outcome put(std::size_t image);
    io::Outcome placeImages();
    void planRecords();
    void planHeader();
};

io::Outcome Saver::open() {
    const std::string& path = edits.archivePath();
    if (io::Outcome opened = archive.open(path, io::FileMode::Read); !opened) return opened;
    if (archive.size() != edits.originalSize())
        return io::failure(path + " changed on the disk since it was opened; open it again to edit it");
    used.assign(edits.images().size(), false);
    for (const StagedRecord& r : edits.records())
        if (!r.removed) used[r.image] = true;
    for (std::size_t i = 0; i < used.size(); ++i)
        if (used[i] && edits.images()[i].staged && !scratch.isOpen())
            if (io::Outcome opened = edits.scratch().openForReading(scratch); !opened) return opened;
    placed.resize(used.size());
    return layOutImages(path, edits.originalEntries(), edits.originalSize(), layout);
}

// The image's bytes at the end of what is planned: as they are, or with its
// header and caption block made anew before its sound data.
io::Outcome Saver::put(std::size_t index) {
    const ImageSource& image = edits.images()[index];
    io::File& from = image.staged ? scratch : archive;
    Placed& p = placed[index];
    p.offset = at;
    if (!image.sections) {
        plan.pieces.push_back(ImagePiece::range(from, image.offset, image.length));
        p.length = image.length;
        p.header = image.header;
    } else {
        NewImageHead head;
        if (io::Outcome made = makeNewImageHead(image, edits.archivePath(), head); !made) return made;
        p.header = head.header;
        p.length = head.bytes.size() + head.dataSize;
        const std::vector<std::uint8_t>& bytes = heads.emplace_back(std::move(head.bytes));
        plan.pieces.push_back(ImagePiece::memory(bytes));
        plan.pieces.push_back(ImagePiece::range(from, image.offset + head.dataOffset, head.dataSize));
    }
    at += p.length;
    return io::success();
}

// The bytes after the table: the gaps kept in their places, each image of
// the archive still used in its place, a staged image in the place of the
// image it stands in for when that one is no longer used, the rest at the end.
io::Outcome Saver::placeImages() {
    const std::size_t originals = edits.originalImageCount();
    std::vector<std::optional<std::size_t>> inSlot(originals);
    std::vector<std::size_t> appended;
    for (std::size_t k = 0; k < originals; ++k)
        if (used[k]) inSlot[k] = k;
    for (std::size_t i = originals; i < used.size(); ++i) {
        if (!used[i]) continue;
        const std::optional<std::size_t> slot = edits.images()[i].replaces;
        if (slot && !inSlot[*slot]) inSlot[*slot] = i;
        else appended.push_back(i);
    }
    for (std::size_t k = 0; k < originals; ++k) {
        const LaidImage& laid = layout.images[k];
        if (laid.gapBefore > 0)
            plan.pieces.push_back(ImagePiece::range(archive, laid.offset - laid.gapBefore, laid.gapBefore));
        at += laid.gapBefore;
        if (inSlot[k])
            if (io::Outcome ok = put(*inSlot[k]); !ok) return ok;
        newEnds.push_back(at);
    }
    if (layout.trailingGap > 0)
        plan.pieces.push_back(
            ImagePiece::range(archive, edits.originalSize() - layout.trailingGap, layout.trailingGap));
    at += layout.trailingGap;
    for (std::size_t i : appended)
        if (io::Outcome ok = put(i); !ok) return ok;
    return io::success();
}

void Saver::planRecords() {
    for (const StagedRecord& r : edits.records()) {
        if (r.removed) continue;
        TpaEntry e = r.original ? edits.originalEntries()[*r.original] : TpaEntry{};
        e.soundId = r.soundId;
        e.auxValue = r.auxValue;
        e.reserved = r.reserved;
        e.imageOffset = static_cast<std::uint32_t>(placed[r.image].offset);
        e.imageLength = static_cast<std::uint32_t>(placed[r.image].length);
        // A record on its own image of the archive keeps its header copy as it was.
        if (r.image >= edits.originalImageCount() || !r.original) e.cauHeader = placed[r.image].header;
        plan.records.push_back(e);
    }
}

std::uint32_t counted(std::uint32_t was, std::size_t now, std::size_t before) {
    const std::int64_t n = std::int64_t{was} + static_cast<std::int64_t>(now) - static_cast<std::int64_t>(before);
    return static_cast<std::uint32_t>(std::clamp<std::int64_t>(n, 0, UINT32_MAX));
}

// Counts moved by what was added and dropped; the end of the sounds (the
// start of the collision records) moved with the bytes before it, or the end
// of the file where it was, except in the effects archive, whose new sounds
// follow its collision records as an add puts them.
void Saver::planHeader() {
    const TpaHeader& old = edits.originalHeader();
    TpaHeader h = old;
    std::size_t images = 0, added = 0;
    for (bool u : used) images += u ? 1 : 0;
    for (const StagedRecord& r : edits.records()) added += !r.removed && !r.original ? 1 : 0;
    h.entryCount = counted(old.entryCount, plan.records.size(), edits.originalEntries().size());
    if (added > 0) h.entryCount = std::max<std::uint32_t>(h.entryCount, static_cast<std::uint32_t>(plan.records.size()));
    h.soundCount = counted(old.soundCount, images, edits.originalImageCount());
    plan.header = h;
    const bool effects = archiveClassOf(archiveNameOf(edits.archivePath())) == ArchiveClass::EffectsClass;
    std::uint64_t end = plannedSize(plan);
    if (old.soundDataEnd != edits.originalSize() || effects) {
        const std::uint64_t tableEnd = recordOffsetOf(TpaLayout::Retail, plan.records.size());
        std::int64_t shift = static_cast<std::int64_t>(tableEnd) - static_cast<std::int64_t>(layout.tableEnd);
        for (std::size_t k = 0; k < layout.images.size(); ++k) {
            const std::uint64_t imageEnd = layout.images[k].offset + layout.images[k].length;
            if (imageEnd > old.soundDataEnd) break;
            shift = static_cast<std::int64_t>(newEnds[k]) - static_cast<std::int64_t>(imageEnd);
        }
        end = static_cast<std::uint64_t>(static_cast<std::int64_t>(old.soundDataEnd) + shift);
    }
    plan.header.soundDataEnd = static_cast<std::uint32_t>(std::min<std::uint64_t>(end, UINT32_MAX));
}

}  // namespace

SaveEditsResult saveEdits(StagedEdits& edits, const std::string& target, const SaveEditsOptions& options) {
    SaveEditsResult result;
    if (!edits.isOpen()) {
        result.outcome = io::failure("No archive is open for editing");
        return result;
    }
    Saver saver{edits, {}, {}, {}, {}, {}, {}, {}, {}, 0};
    if (!(result.outcome = saver.open())) return result;
    std::size_t kept = 0;
    for (const StagedRecord& r : edits.records()) kept += r.removed ? 0 : 1;
    saver.at = recordOffsetOf(TpaLayout::Retail, kept);
    if (!(result.outcome = saver.placeImages())) return result;
    saver.planRecords();
    saver.planHeader();
    ArchiveWriteOptions write;
    write.syncToDisk = options.syncToDisk;
    write.progress = options.progress;
    if (!(result.outcome = writeArchive(target, saver.plan, write))) return result;
    result.records = static_cast<std::uint32_t>(saver.plan.records.size());
    result.images = saver.plan.header.soundCount;
    result.fileSize = plannedSize(saver.plan);
    return result;
}

io::Outcome stampArchive(const std::string& path, ArchiveStamp& stamp) {
    stamp = {};
    io::File in;
    ArchiveHeader info;
    if (io::Outcome opened = in.open(path, io::FileMode::Read); !opened) return opened;
    stamp.size = in.size();
    std::error_code error;
    const auto changed = std::filesystem::last_write_time(io::nativePath(path), error);
    if (!error) stamp.changed = static_cast<std::int64_t>(changed.time_since_epoch().count());
    if (io::Outcome read = readArchiveHeader(in, info); !read) return read;
    // FNV-1a over the header and the table the header announces.
    std::uint64_t hash = 0xcbf29ce484222325ull;
    std::vector<std::uint8_t> block(io::kCopyBufferSize);
    for (std::uint64_t done = 0; done < info.tableEnd;) {
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(block.size(), info.tableEnd - done));
        if (io::Outcome got = in.readAt(done, block.data(), n); !got) return got;
        for (std::size_t i = 0; i < n; ++i) hash = (hash ^ block[i]) * 0x100000001b3ull;
        done += n;
    }
    stamp.tableHash = hash;
    return io::success();
}

}  // namespace sonkrate::archive
