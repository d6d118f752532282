#include "archive/folder/export_all.h"

#include <algorithm>
#include <unordered_map>

#include "archive/format/archive_class.h"
#include "archive/format/archive_reader.h"
#include "archive/format/entry_reader.h"
#include "audio/convert/cau_to_pcm_wav.h"
#include "ids/sound_id.h"
#include "ids/sound_id_database.h"
#include "ids/sound_name_index.h"
#include "io/file.h"
#include "io/file_system.h"
#include "io/paths.h"
#include "io/replacement.h"

namespace sonkrate::archive {

namespace {

constexpr std::size_t kMaxKeptFailures = 100;
constexpr std::uint32_t kRecordsPerBlock = 1024;
// Longest stem used as it is; with ".cau" it stays well below the usual 255.
constexpr std::size_t kMaxStemLength = 200;
bool isReservedDeviceName(std::string_view stem) {
    std::string base = io::toUpper(stem.substr(0, stem.find('.')));
    while (!base.empty() && base.back() == ' ') base.pop_back();
    if (base == "CON" || base == "PRN" || base == "AUX" || base == "NUL" || base == "CONIN$" || base == "CONOUT$")
        return true;
    return base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) &&
           base[3] >= '0' && base[3] <= '9';
}

// "WBOR", then bytes 4 .. length-1 of the image. A file that cannot be
// completed is not left short: it replaces the target only when complete.
// Outputs made again in bulk are not synced one by one.
io::Outcome writeCau(io::File& archive, const TpaEntry& entry, const std::string& path) {
    if (entry.imageLength < 4)
        return io::failure("Entry image at offset " + std::to_string(entry.imageOffset) + " of " + archive.path() +
                           " is only " + std::to_string(entry.imageLength) + " bytes long");
    io::ReplacementFile out;
    io::Outcome done = out.begin(path);
    if (done) done = out.file().write("WBOR", 4);
    if (done) done = io::copyRange(archive, std::uint64_t{entry.imageOffset} + 4, entry.imageLength - 4u, out.file());
    if (done) done = out.commit(io::Durability::Scratch);
    return done;
}

io::Outcome writeWav(const std::string& archivePath, const TpaEntry& entry, const std::string& path) {
    return audio::cauToPcmWav(archivePath, entry.imageOffset, entry.imageLength, path, io::Durability::Scratch)
        .outcome;
}

}  // namespace

bool isUsableFileStem(std::string_view name) {
    if (name.empty() || name.size() > kMaxStemLength) return false;
    if (name.find("..") != std::string_view::npos) return false;
    for (unsigned char c : name) {
        if (c < 0x20 || c == 0x7F) return false;
        switch (c) {
        case '<': case '>': case ':': case '"': case '/': case '\\': case '|': case '?': case '*': return false;
        default: break;
        }
    }
    if (name.back() == ' ' || name.back() == '.') return false;
    return !isReservedDeviceName(name);
}

std::string exportFileStem(std::string_view archiveName, std::uint32_t index, std::string_view name) {
    if (name == "unknown" || name == kMayanFaceJeepName || !isUsableFileStem(name))
        return std::string(archiveName) + "_" + std::to_string(index);
    return std::string(name);
}

// The record of entry i. The records are read in blocks; one that lies past
// the end of the file fails on its own, as does an image outside the file.
static EntryRead recordAt(io::File& file, const TpaArchive& archive, const ArchiveHeader& info, std::uint32_t i,
                          std::vector<TpaEntry>& block) {
    if (i % kRecordsPerBlock == 0) {
        block.clear();
        const std::uint32_t count = std::min<std::uint32_t>(kRecordsPerBlock, archive.entryCount - i);
        if (!readArchiveRecords(file, info, i, count, false, block)) block.clear();
    }
    EntryRead record;
    if (i % kRecordsPerBlock < block.size()) {
        record.entry = block[i % kRecordsPerBlock];
        if (std::uint64_t{record.entry.imageOffset} + record.entry.imageLength > info.fileSize)
            record.outcome = imageOutsideFile(archive.archivePath, i, record.entry, info.fileSize);
    } else {
        record = readTpaEntry(file, archive, i);
    }
    return record;
}

ExportAllResult exportAllEntries(const TpaArchive& archive, ExportMode mode, const std::string& outDir,
                                 const std::string& dbPath, const io::ProgressCallback& progress) {
    ExportAllResult result;
    result.entryCount = archive.entryCount;
    if (!io::isFolder(outDir.empty() ? std::string(".") : outDir)) {
        result.outcome = io::failure("The output folder " + outDir + " does not exist");
        return result;
    }
    io::File file;
    if (io::Outcome opened = file.open(archive.archivePath, io::FileMode::Read); !opened) {
        result.outcome = opened;
        return result;
    }
    ids::SoundNameIndex names;
    names.load(dbPath);
    const std::string archiveName =
        archive.archiveName.empty() ? archiveNameOf(archive.archivePath) : archive.archiveName;
    const char* extension = mode == ExportMode::Cau ? ".cau" : ".wav";

    io::reportProgress(progress, 0, archive.entryCount);
    ArchiveHeader info;
    info.layout = archive.layout;
    info.fileSize = file.size();
    std::vector<TpaEntry> block;
    for (std::uint32_t i = 0; i < archive.entryCount; ++i) {
        io::Outcome done;
        const EntryRead record = recordAt(file, archive, info, i, block);
        if (record.outcome) {
            const std::string name = names.lookup(record.entry.soundId);
            const std::string stem = exportFileStem(archiveName, i, name);
            if (stem != name) ++result.numbered;
            const std::string path = io::joinPath(outDir, stem + extension);
            done = mode == ExportMode::Cau ? writeCau(file, record.entry, path)
                                           : writeWav(archive.archivePath, record.entry, path);
        } else {
            done = record.outcome;
        }
        if (done) {
            ++result.filesWritten;
        } else {
            ++result.filesFailed;
            if (result.failures.size() < kMaxKeptFailures) result.failures.push_back(done.reason);
        }
        io::reportProgress(progress, i + 1, archive.entryCount);
    }
    if (result.filesFailed > 0) {
        result.outcome = io::failure(std::to_string(result.filesFailed) + " of " + std::to_string(archive.entryCount) +
                                     " entries of " + archive.archivePath + " could not be written into " + outDir +
                                     "; the first: " + result.failures.front());
    } else {
        result.outcome = io::success();
    }
    return result;
}

}  // namespace sonkrate::archive
