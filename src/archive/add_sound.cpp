#include "archive/add_sound.h"

#include <algorithm>
#include <limits>
#include <vector>

#include "archive/archive_class.h"
#include "archive/tpa_format.h"
#include "archive/tpa_loader.h"
#include "audio/cau_header.h"
#include "ids/id_log.h"
#include "ids/sound_id_database.h"
#include "io/byte_order.h"
#include "io/copy_replacing.h"
#include "io/file.h"
#include "io/paths.h"
#include "io/replacement.h"

namespace sonkrate::archive {

namespace {

enum class Variant { General, Effects, FromList };

// Records are read and written this many at a time.
constexpr std::size_t kRecordsPerBlock = 1024;
// The data region is copied in pieces of this size so progress can be told.
constexpr std::uint64_t kProgressPiece = 16u << 20;

struct SoundFile {
    io::File file;
    std::uint64_t size = 0;
    std::array<std::uint8_t, audio::kCauHeaderSize> header{};
};

AddSoundResult refused(AddSoundResult result, int addResult, std::string reason) {
    result.addResult = addResult;
    result.outcome = io::failure(std::move(reason));
    return result;
}

// Opens the .cau and checks that its header describes it: the data it
// announces (dataOffset + dataSize) ends exactly where the file ends.
io::Outcome openSound(const std::string& path, SoundFile& sound) {
    if (io::Outcome opened = sound.file.open(path, io::FileMode::Read); !opened) return opened;
    sound.size = sound.file.size();
    if (sound.size < audio::kCauHeaderSize)
        return io::failure(path + " is not a sound image: it is " + std::to_string(sound.size) +
                           " bytes long, shorter than the 36-byte sound header");
    if (io::Outcome read = sound.file.readAt(0, sound.header.data(), sound.header.size()); !read) return read;
    const std::uint64_t dataOffset = io::getU32(&sound.header[8]);
    const std::uint64_t dataSize = io::getU32(&sound.header[16]);
    if (dataOffset < audio::kCauHeaderSize || dataOffset + dataSize != sound.size)
        return io::failure(path + " is damaged or not a sound image: its header puts " + std::to_string(dataSize) +
                           " bytes of sound data at offset " + std::to_string(dataOffset) + ", but the file is " +
                           std::to_string(sound.size) + " bytes long");
    return io::success();
}

io::Outcome copyWithProgress(io::File& in, std::uint64_t offset, std::uint64_t length, io::File& out,
                             std::uint64_t& done, std::uint64_t total, const io::ProgressCallback& progress) {
    while (length > 0) {
        std::uint64_t piece = std::min(length, kProgressPiece);
        if (io::Outcome copied = io::copyRange(in, offset, piece, out); !copied) return copied;
        offset += piece;
        length -= piece;
        done += piece;
        io::reportProgress(progress, done, total);
    }
    return io::success();
}

AddSoundResult addSound(Variant variant, const AddSoundRequest& request, const io::ProgressCallback& progress) {
    AddSoundResult result;
    result.name = addSoundName(request);
    const std::string& archivePath = request.archivePath;
    if (result.name.empty())
        return refused(result, kAddNothingDone, "No sound name was given for " + request.soundPath);
    result.soundId = ids::computeSoundId(io::toLower(result.name));

    SoundFile sound;
    if (io::Outcome ok = openSound(request.soundPath, sound); !ok) return refused(result, kAddNothingDone, ok.reason);

    const std::string archiveName = archiveNameOf(archivePath);
    if (variant == Variant::General && archiveName == "effects")
        return refused(result, kAddRefused,
                       archivePath + " is the effects archive, to which sounds are added as effects sounds");

    io::File archive;
    if (io::Outcome opened = archive.open(archivePath, io::FileMode::Read); !opened)
        return refused(result, kAddNothingDone, opened.reason);
    const std::uint64_t A = archive.size();
    if (A < kTpaHeaderSize)
        return refused(result, kAddNothingDone,
                       archivePath + " is not a sound archive: it is shorter than the 24-byte archive header");
    std::uint8_t headerBytes[kTpaHeaderSize];
    if (io::Outcome read = archive.readAt(0, headerBytes, sizeof headerBytes); !read)
        return refused(result, kAddNothingDone, read.reason);
    const TpaHeader old = parseTpaHeader(headerBytes);
    result.soundCount = old.soundCount;
    result.entryCount = old.entryCount;
    result.fileSize = A;

    if (layoutOfTag(old.layoutTag) != TpaLayout::Retail)
        return refused(result, kAddNothingDone,
                       archivePath + " has a beta layout; sounds can be added only once it is converted to the "
                                     "retail layout");
    if (A > kAddSizeLimit)
        return refused(result, kAddNothingDone,
                       archivePath + " is " + std::to_string(A) + " bytes long; sounds can no longer be added to "
                                     "archives above " + std::to_string(kAddSizeLimit) + " bytes");
    const std::uint64_t newSize = A + sound.size + kRetailRecordSize;
    if (newSize > std::numeric_limits<std::uint32_t>::max())
        return refused(result, kAddNothingDone,
                       "Adding " + request.soundPath + " would make " + archivePath +
                           " larger than an archive can be (4 GiB)");

    // Every record is kept: the table holds as many as the larger count
    // (records may share images, so entryCount can exceed soundCount).
    const bool effects = variant == Variant::Effects;
    const std::uint64_t kept = std::max(old.soundCount, old.entryCount);
    const std::uint64_t tableEnd = recordOffsetOf(TpaLayout::Retail, kept);
    if (tableEnd > A)
        return refused(result, kAddNothingDone,
                       archivePath + " is damaged: its header counts " + std::to_string(kept) +
                           " entries, whose table runs past the end of the file");
    if (kept > 0) {
        std::uint8_t word[4];
        if (io::Outcome read = archive.readAt(28, word, 4); !read) return refused(result, kAddNothingDone, read.reason);
        if (io::getU32(word) != tableEnd)
            return refused(result, kAddNothingDone,
                           archivePath + " cannot take more sounds: its first sound does not follow its table of " +
                               std::to_string(kept) + " entries directly");
    }

    // A first add to a general archive keeps the archive as it was.
    if (variant == Variant::General && !request.backupPath.empty()) {
        io::File existing;
        if (!existing.open(request.backupPath, io::FileMode::Read)) {
            if (io::Outcome copied = io::copyFileReplacing(archivePath, request.backupPath); !copied)
                return refused(result, kAddNothingDone,
                               "Cannot keep a backup of " + archivePath + ", so nothing was added: " + copied.reason);
            result.backupWritten = true;
        }
    }

    TpaHeader header;
    header.layoutTag = kRetailLayoutTag;
    header.soundCount = old.soundCount + 1;
    header.tableOffset = kTableOffset;
    const ArchiveClass archiveClass = archiveClassOf(archiveName);
    if (effects && archiveClass != ArchiveClass::Ambient) {
        // The effects archive's soundDataEnd keeps marking the start of its trailer.
        header.trailerFlag = old.trailerFlag;
        header.soundDataEnd = old.soundDataEnd + static_cast<std::uint32_t>(kRetailRecordSize);
        header.entryCount = old.entryCount + 1;
    } else if (effects) {
        header.trailerFlag = 0;
        header.soundDataEnd = static_cast<std::uint32_t>(newSize);
        header.entryCount = old.entryCount + 1;
    } else {
        // The new record must lie within the entryCount records the game reads.
        header.trailerFlag = 0;
        header.soundDataEnd = static_cast<std::uint32_t>(newSize);
        header.entryCount = static_cast<std::uint32_t>(kept + 1);
    }

    TpaEntry added;
    added.soundId = result.soundId;
    added.imageOffset = static_cast<std::uint32_t>(A + kRetailRecordSize);
    added.imageLength = static_cast<std::uint32_t>(sound.size);
    added.auxValue = effects ? kEffectsAuxValue : 0;
    added.reserved = 0;
    std::copy(sound.header.begin(), sound.header.end(), added.cauHeader.begin());

    io::ReplacementFile out;
    auto overwriteFailed = [&](const io::Outcome& why) {
        out.discard();
        result.overwriteFailed = true;
        return refused(result, kAddNothingDone, why.reason);
    };
    if (io::Outcome begun = out.begin(archivePath); !begun) return overwriteFailed(begun);
    auto headerOut = serializeTpaHeader(header);
    if (io::Outcome put = out.file().write(headerOut.data(), headerOut.size()); !put) return overwriteFailed(put);

    // Old records: offsets move by one record, record 0's auxValue becomes 0,
    // reserved is written as 0, everything else is kept.
    std::vector<std::uint8_t> block(kRecordsPerBlock * kRetailRecordSize);
    for (std::uint64_t first = 0; first < kept; first += kRecordsPerBlock) {
        const std::size_t count = static_cast<std::size_t>(std::min<std::uint64_t>(kRecordsPerBlock, kept - first));
        const std::size_t bytes = count * kRetailRecordSize;
        if (io::Outcome read = archive.readAt(recordOffsetOf(TpaLayout::Retail, first), block.data(), bytes); !read)
            return refused(result, kAddNothingDone, read.reason);
        for (std::size_t i = 0; i < count; ++i) {
            std::uint8_t* record = block.data() + i * kRetailRecordSize;
            TpaEntry entry = parseTpaEntry(record, TpaLayout::Retail);
            if (entry.imageOffset > std::numeric_limits<std::uint32_t>::max() - kRetailRecordSize)
                return refused(result, kAddNothingDone,
                               archivePath + " is damaged: entry " + std::to_string(first + i) +
                                   " claims an offset beyond what an archive can hold");
            entry.imageOffset += static_cast<std::uint32_t>(kRetailRecordSize);
            if (first + i == 0) entry.auxValue = 0;
            entry.reserved = 0;
            auto bytesOut = serializeTpaEntry(entry);
            std::copy(bytesOut.begin(), bytesOut.end(), record);
        }
        if (io::Outcome put = out.file().write(block.data(), bytes); !put) return overwriteFailed(put);
    }
    auto addedOut = serializeTpaEntry(added);
    if (io::Outcome put = out.file().write(addedOut.data(), addedOut.size()); !put) return overwriteFailed(put);

    // The old data region (with any trailer) unchanged, then the new image.
    const std::uint64_t total = (A - tableEnd) + sound.size;
    std::uint64_t done = 0;
    io::reportProgress(progress, 0, total);
    if (io::Outcome copied = copyWithProgress(archive, tableEnd, A - tableEnd, out.file(), done, total, progress);
        !copied)
        return overwriteFailed(copied);
    if (io::Outcome copied = copyWithProgress(sound.file, 0, sound.size, out.file(), done, total, progress); !copied)
        return overwriteFailed(copied);
    archive.close();
    sound.file.close();
    // The rename alone makes the replacement atomic: until it happens the old
    // archive is untouched, and ext4 and btrfs write a file renamed over
    // another before the rename itself. Forcing every rewritten archive to
    // disk first would make each add (and each item of a list build) several
    // times slower than copying the archive.
    if (io::Outcome committed = out.commit(false); !committed) return overwriteFailed(committed);

    result.addResult = kAddDone;
    result.outcome = io::success();
    result.soundCount = header.soundCount;
    result.entryCount = header.entryCount;
    result.fileSize = newSize;
    result.imageOffset = added.imageOffset;
    result.imageLength = added.imageLength;

    // The logs name only sounds that really are in the archive now.
    if (!request.logPath.empty()) {
        if (io::Outcome logged = ids::appendLogLine(request.logPath, ids::ingameIdLogLine(result.name)); !logged)
            result.warning = logged.reason;
    }
    if (request.updateSndIds) {
        if (io::Outcome recorded = ids::appendSoundIdRecord(request.dbPath, result.name); !recorded)
            result.warning += (result.warning.empty() ? "" : "; ") + recorded.reason;
    }
    return result;
}

}  // namespace

bool usesEffectsAdd(std::string_view archiveName, bool standardLayout) {
    return archiveName == "effects" || archiveName == "ambient" || (archiveName == "alteffects" && standardLayout);
}

std::string addSoundName(const AddSoundRequest& request) {
    if (request.useFileNames) return io::stripFromFirstDot(io::fileNameOf(request.soundPath));
    return request.soundName;
}

AddSoundResult addSoundGeneral(const AddSoundRequest& request, const io::ProgressCallback& progress) {
    return addSound(Variant::General, request, progress);
}

AddSoundResult addSoundEffects(const AddSoundRequest& request, const io::ProgressCallback& progress) {
    return addSound(Variant::Effects, request, progress);
}

AddSoundResult addSoundFromList(const std::string& archivePath, const std::string& soundName,
                                const std::string& cauPath, const std::string& buildLogPath) {
    AddSoundRequest request;
    request.archivePath = archivePath;
    request.soundPath = cauPath;
    request.soundName = soundName;
    request.logPath = buildLogPath;
    return addSound(Variant::FromList, request, {});
}

}  // namespace sonkrate::archive
