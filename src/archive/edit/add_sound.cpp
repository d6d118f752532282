#include "archive/edit/add_sound.h"

#include <algorithm>
#include <limits>
#include <utility>
#include <vector>

#include "archive/format/archive_class.h"
#include "archive/format/archive_reader.h"
#include "archive/format/archive_writer.h"
#include "archive/format/tpa_format.h"
#include "archive/format/tpa_loader.h"
#include "audio/cau/cau_file_check.h"
#include "ids/id_log.h"
#include "ids/sound_id_database.h"
#include "io/byte_order.h"
#include "io/copy_replacing.h"
#include "io/file.h"
#include "io/game_text.h"
#include "io/paths.h"

namespace sonkrate::archive {

namespace {

enum class Variant { General, Effects, FromList };

AddSoundResult refused(AddSoundResult result, AddOutcome addResult, std::string reason) {
    result.addResult = addResult;
    result.outcome = io::failure(std::move(reason));
    return result;
}

// Why the archive cannot take one more sound, or success. kept is the number
// of records the rewrite keeps.
io::Outcome checkAddable(io::File& archive, const ArchiveHeader& info, std::uint64_t kept,
                         std::uint64_t soundSize, const std::string& soundPath) {
    const std::string& path = archive.path();
    const std::uint64_t A = info.fileSize;
    if (info.layout != TpaLayout::Retail)
        return io::failure(path + " has a beta layout; sounds can be added only once it is converted to the "
                                  "retail layout");
    if (A > kAddSizeLimit)
        return io::failure(path + " is " + std::to_string(A) + " bytes long; sounds can no longer be added to "
                                  "archives above " + std::to_string(kAddSizeLimit) + " bytes");
    if (A + soundSize + kRetailRecordSize > std::numeric_limits<std::uint32_t>::max())
        return io::failure("Adding " + soundPath + " would make " + path + " larger than an archive can be (4 GiB)");
    const std::uint64_t tableEnd = recordOffsetOf(TpaLayout::Retail, kept);
    if (tableEnd > A) return tableOutsideFile(path, kept, tableEnd, A);
    if (kept == 0) return io::success();
    std::uint8_t word[4];
    if (io::Outcome read = archive.readAt(28, word, 4); !read) return read;
    if (io::getU32(word) != tableEnd)
        return io::failure(path + " cannot take more sounds: its first sound does not follow its table of " +
                           std::to_string(kept) + " entries directly");
    return io::success();
}

// The new header: both counts one more; the effects archive keeps its
// trailer and its soundDataEnd keeps marking where the trailer starts.
TpaHeader addedHeader(const TpaHeader& old, Variant variant, ArchiveClass archiveClass, std::uint64_t kept,
                      std::uint64_t newSize) {
    TpaHeader header;
    header.layoutTag = kRetailLayoutTag;
    header.soundCount = old.soundCount + 1;
    header.tableOffset = kTableOffset;
    header.trailerFlag = 0;
    header.soundDataEnd = static_cast<std::uint32_t>(newSize);
    if (variant == Variant::Effects) {
        header.entryCount = old.entryCount + 1;
        if (archiveClass != ArchiveClass::Ambient) {
            header.trailerFlag = old.trailerFlag;
            header.soundDataEnd = old.soundDataEnd + static_cast<std::uint32_t>(kRetailRecordSize);
        }
    } else {
        // The new record must lie within the entryCount records the game reads.
        header.entryCount = static_cast<std::uint32_t>(kept + 1);
    }
    return header;
}

// Old records: offsets move by one record; everything else, the attenuation
// (auxValue) and the master volume (reserved) included, is kept.
io::Outcome shiftRecords(std::vector<TpaEntry>& records, const std::string& path) {
    for (std::size_t i = 0; i < records.size(); ++i) {
        TpaEntry& entry = records[i];
        if (entry.imageOffset > std::numeric_limits<std::uint32_t>::max() - kRetailRecordSize)
            return io::failure(path + " is damaged: entry " + std::to_string(i) +
                               " claims an offset beyond what an archive can hold");
        entry.imageOffset += static_cast<std::uint32_t>(kRetailRecordSize);
    }
    return io::success();
}

// The logs name only sounds that really are in the archive now.
void writeLogs(const AddSoundRequest& request, AddSoundResult& result) {
    if (!request.logPath.empty()) {
        if (io::Outcome logged = ids::appendLogLine(request.logPath, ids::ingameIdLogLine(result.name)); !logged)
            result.warning = logged.reason;
    }
    if (request.updateSndIds) {
        if (io::Outcome recorded = ids::appendSoundIdRecord(request.dbPath, result.name); !recorded)
            result.warning += (result.warning.empty() ? "" : "; ") + recorded.reason;
    }
}

// The kept records, read after the checks and shifted by one record; a
// general add first keeps the archive's backup.
io::Outcome prepareRecords(io::File& archive, const ArchiveHeader& info, std::uint64_t kept, Variant variant,
                           const AddSoundRequest& request, std::uint64_t soundSize, ArchivePlan& plan,
                           bool& backupWritten) {
    io::Outcome ok = checkAddable(archive, info, kept, soundSize, request.soundPath);
    if (ok) ok = readArchiveRecords(archive, info, 0, kept, false, plan.records);
    if (ok) ok = shiftRecords(plan.records, request.archivePath);
    if (ok && variant == Variant::General)
        ok = keepArchiveBackup(request.archivePath, request.backupPath, backupWritten);
    return ok;
}

// The new sound's record: its image goes where the old file ended, which
// moves by the one record added to the table.
TpaEntry addedRecord(std::uint32_t soundId, const audio::CauFileFacts& sound, Variant variant,
                     std::uint64_t oldSize) {
    TpaEntry added;
    added.soundId = soundId;
    added.imageOffset = static_cast<std::uint32_t>(oldSize + kRetailRecordSize);
    added.imageLength = static_cast<std::uint32_t>(sound.size);
    added.auxValue = variant == Variant::Effects ? kEffectsAuxValue : 0;
    std::copy(sound.header.begin(), sound.header.end(), added.cauHeader.begin());
    return added;
}

AddSoundResult added(AddSoundResult result, const TpaHeader& header, const TpaEntry& record, std::uint64_t newSize,
                     const AddSoundRequest& request) {
    result.addResult = AddOutcome::Done;
    result.outcome = io::success();
    result.soundCount = header.soundCount;
    result.entryCount = header.entryCount;
    result.fileSize = newSize;
    result.imageOffset = record.imageOffset;
    result.imageLength = record.imageLength;
    writeLogs(request, result);
    return result;
}

AddSoundResult addSound(Variant variant, const AddSoundRequest& request, const io::ProgressCallback& progress) {
    AddSoundResult result;
    result.name = addSoundName(request);
    const std::string& archivePath = request.archivePath;
    if (result.name.empty())
        return refused(result, AddOutcome::NothingDone, "No sound name was given for " + request.soundPath);
    result.soundId = ids::computeSoundId(io::toLower(result.name));

    audio::CauFileFacts sound;
    if (request.image != nullptr) {
        sound.size = request.image->size;
        sound.header = request.image->header;
    } else if (io::Outcome ok = audio::inspectCauFile(request.soundPath, sound); !ok) {
        return refused(result, AddOutcome::NothingDone, ok.reason);
    }
    const std::string archiveName = archiveNameOf(archivePath);
    if (variant == Variant::General && archiveName == "effects")
        return refused(result, AddOutcome::Refused,
                       archivePath + " is the effects archive, to which sounds are added as effects sounds");

    io::File archive;
    ArchiveHeader info;
    io::Outcome ok = archive.open(archivePath, io::FileMode::Read);
    if (ok) ok = readArchiveHeader(archive, info);
    if (!ok) return refused(result, AddOutcome::NothingDone, ok.reason);
    const TpaHeader& old = info.header;
    result.soundCount = old.soundCount;
    result.entryCount = old.entryCount;
    result.fileSize = info.fileSize;
    // Every record is kept: the table holds as many as the larger count
    // (records may share images, so entryCount can exceed soundCount).
    const std::uint64_t kept = std::max(old.soundCount, old.entryCount);
    ArchivePlan plan;
    ok = prepareRecords(archive, info, kept, variant, request, sound.size, plan, result.backupWritten);
    if (!ok) return refused(result, AddOutcome::NothingDone, ok.reason);

    const std::uint64_t A = info.fileSize, tableEnd = recordOffsetOf(TpaLayout::Retail, kept);
    const std::uint64_t newSize = A + sound.size + kRetailRecordSize;
    plan.header = addedHeader(old, variant, archiveClassOf(archiveName), kept, newSize);
    const TpaEntry record = addedRecord(result.soundId, sound, variant, A);
    plan.records.push_back(record);
    // The old data region (with any trailer) unchanged, then the new image.
    plan.pieces = {ImagePiece::range(archive, tableEnd, A - tableEnd)};
    if (request.image != nullptr)
        plan.pieces.insert(plan.pieces.end(), request.image->pieces.begin(), request.image->pieces.end());
    else
        plan.pieces.push_back(ImagePiece::wholeFile(request.soundPath, sound.size));

    // Synced before and after the rename (the writer's default): a power cut
    // leaves the old archive or the new one on every file system.
    ArchiveWriteOptions options;
    options.progress = progress;
    if (io::Outcome written = writeArchive(archivePath, plan, options); !written) {
        result.overwriteFailed = true;
        return refused(result, AddOutcome::NothingDone, written.reason);
    }
    return added(std::move(result), plan.header, record, newSize, request);
}

}  // namespace

io::Outcome keepArchiveBackup(const std::string& archivePath, const std::string& backupPath, bool& written) {
    written = false;
    if (backupPath.empty()) return io::success();
    io::File existing;
    if (existing.open(backupPath, io::FileMode::Read)) return io::success();
    if (io::Outcome copied = io::copyFileReplacing(archivePath, backupPath); !copied)
        return io::failure("Cannot keep a backup of " + archivePath + ", so nothing was changed: " + copied.reason);
    written = true;
    return io::success();
}

bool usesEffectsAdd(std::string_view archiveName, bool standardLayout) {
    return archiveName == "effects" || archiveName == "ambient" || (archiveName == "alteffects" && standardLayout);
}

std::string addSoundName(const AddSoundRequest& request) {
    if (request.useFileNames) return io::gameText(io::stripFromFirstDot(io::fileNameOf(request.soundPath)));
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
