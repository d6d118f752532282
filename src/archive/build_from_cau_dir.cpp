#include "archive/build_from_cau_dir.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <limits>
#include <system_error>

#include "archive/default_sound.h"
#include "archive/tpa_format.h"
#include "audio/cau_header.h"
#include "ids/id_log.h"
#include "ids/sound_id.h"
#include "io/folder_listing.h"
#include "io/byte_order.h"
#include "io/file.h"
#include "io/paths.h"
#include "io/replacement.h"

namespace sonkrate::archive {

namespace fs = std::filesystem;

namespace {

struct Member {
    std::string path;
    std::string name;  // file name without its last four characters, case kept
    std::uint64_t size = 0;
    std::array<std::uint8_t, audio::kCauHeaderSize> header{};
};

std::string withoutLastFour(const std::string& name) {
    return name.size() >= 4 ? name.substr(0, name.size() - 4) : std::string();
}

// Reads a member's size and header and checks that the header describes the file.
io::Outcome inspect(Member& member) {
    io::File file;
    if (io::Outcome opened = file.open(member.path, io::FileMode::Read); !opened) return opened;
    member.size = file.size();
    if (member.size < audio::kCauHeaderSize)
        return io::failure(member.path + " is not a sound image: it is " + std::to_string(member.size) +
                           " bytes long, shorter than the 36-byte sound header");
    if (io::Outcome read = file.readAt(0, member.header.data(), member.header.size()); !read) return read;
    const std::uint64_t dataOffset = io::getU32(&member.header[8]);
    const std::uint64_t dataSize = io::getU32(&member.header[16]);
    if (dataOffset < audio::kCauHeaderSize || dataOffset + dataSize != member.size)
        return io::failure(member.path + " is damaged or not a sound image: its header puts " +
                           std::to_string(dataSize) + " bytes of sound data at offset " + std::to_string(dataOffset) +
                           ", but the file is " + std::to_string(member.size) + " bytes long");
    return io::success();
}

io::Outcome writeRecord(io::File& out, const TpaEntry& entry) {
    auto bytes = serializeTpaEntry(entry);
    return out.write(bytes.data(), bytes.size());
}

}  // namespace

std::vector<std::string> listCauFiles(const std::string& folder, io::Outcome& outcome) {
    std::vector<std::string> names;
    outcome = io::listFileNames(folder, ".cau", names);
    if (!outcome) return {};
    for (std::string& name : names) name = io::joinPath(folder, name);
    return names;
}

std::string sampleIdsLogPathFor(const std::string& targetPath) {
    return io::siblingPath(targetPath, withoutLastFour(io::fileNameOf(targetPath)) + "_SampleIDs.txt");
}

BuildFromCauDirResult buildArchiveFromCauDir(const std::string& sourceFolder, const std::string& targetPath,
                                             const io::ProgressCallback& progress) {
    BuildFromCauDirResult result;
    result.targetPath = targetPath;
    std::vector<std::string> paths = listCauFiles(sourceFolder, result.outcome);
    if (!result.outcome) return result;
    if (paths.size() < kMinBuildCaus) {
        result.buildState = kBuildTooFewCaus;
        result.outcome = io::failure("The folder " + sourceFolder + " holds " + std::to_string(paths.size()) +
                                     " .cau files; an archive is built from 3 or more");
        return result;
    }
    result.buildState = kBuildTargetChosen;

    // First every member's size and header, so the whole table is known before
    // anything is written and a bad file stops the build before it starts.
    const std::uint64_t n = paths.size();
    const std::uint64_t tableEnd = recordOffsetOf(TpaLayout::Retail, n + 1);  // 56 n + 80
    std::vector<Member> members(paths.size());
    std::uint64_t end = tableEnd + kDefaultSoundImageSize;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        members[i].path = paths[i];
        members[i].name = withoutLastFour(io::fileNameOf(paths[i]));
        if (io::Outcome ok = inspect(members[i]); !ok) {
            result.outcome = ok;
            return result;
        }
        end += members[i].size;
        if (end > std::numeric_limits<std::uint32_t>::max()) {
            result.outcome = io::failure("The .cau files of " + sourceFolder +
                                         " together are larger than an archive can be (4 GiB)");
            return result;
        }
    }

    TpaHeader header;
    header.soundCount = static_cast<std::uint32_t>(n + 1);
    header.trailerFlag = 0;
    header.soundDataEnd = static_cast<std::uint32_t>(end);
    header.entryCount = static_cast<std::uint32_t>(n + 1);

    io::ReplacementFile out;
    if (io::Outcome begun = out.begin(targetPath); !begun) {
        result.outcome = begun;
        return result;
    }
    auto headerBytes = serializeTpaHeader(header);
    result.outcome = out.file().write(headerBytes.data(), headerBytes.size());

    const std::vector<std::uint8_t> defaultImage = defaultSoundImage();
    TpaEntry entry;
    entry.soundId = kDefaultSoundId;
    entry.imageOffset = static_cast<std::uint32_t>(tableEnd);
    entry.imageLength = kDefaultSoundImageSize;
    std::copy(defaultImage.begin(), defaultImage.begin() + audio::kCauHeaderSize, entry.cauHeader.begin());
    if (result.outcome) result.outcome = writeRecord(out.file(), entry);
    std::uint64_t offset = tableEnd + kDefaultSoundImageSize;
    for (const Member& m : members) {
        if (!result.outcome) break;
        TpaEntry record;
        record.soundId = ids::computeSoundId(io::toLower(m.name));
        record.imageOffset = static_cast<std::uint32_t>(offset);
        record.imageLength = static_cast<std::uint32_t>(m.size);
        std::copy(m.header.begin(), m.header.end(), record.cauHeader.begin());
        result.outcome = writeRecord(out.file(), record);
        offset += m.size;
    }
    if (result.outcome) result.outcome = out.file().write(defaultImage.data(), defaultImage.size());

    io::reportProgress(progress, 0, n);
    for (std::size_t i = 0; i < members.size() && result.outcome; ++i) {
        const Member& m = members[i];
        io::File in;
        result.outcome = in.open(m.path, io::FileMode::Read);
        if (result.outcome && in.size() != m.size)
            result.outcome = io::failure(m.path + " changed while the archive was being built");
        if (result.outcome) result.outcome = io::copyRange(in, 0, m.size, out.file());
        io::reportProgress(progress, i + 1, n);
    }
    if (!result.outcome) return result;  // out removes its temporary file
    if (io::Outcome committed = out.commit(); !committed) {
        result.outcome = committed;
        return result;
    }
    result.entryCount = header.entryCount;
    result.fileSize = end;
    for (const Member& m : members) result.cauFiles.push_back(m.path);

    // The log of the names, turned into the list file of their identifiers.
    const std::string logPath = sampleIdsLogPathFor(targetPath);
    io::File log;
    io::Outcome logged = log.open(logPath, io::FileMode::Write);
    for (const Member& m : members) {
        if (!logged) break;
        logged = log.writeText(ids::ingameSampleLogLine(m.name));
    }
    io::Outcome closed = log.close();
    if (logged) logged = closed;
    if (!logged) {
        std::error_code ec;
        fs::remove(logPath, ec);
        result.outcome = io::failure(targetPath + " was written, but its identifier list could not be: " +
                                     logged.reason);
        return result;
    }
    ids::IdListResult list = ids::convertIdLog(logPath);
    result.listPath = list.listPath;
    if (!list.outcome)
        result.outcome = io::failure(targetPath + " was written, but its identifier list could not be: " +
                                     list.outcome.reason);
    return result;
}

}  // namespace sonkrate::archive
