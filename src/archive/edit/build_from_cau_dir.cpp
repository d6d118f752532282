#include "archive/edit/build_from_cau_dir.h"

#include <algorithm>
#include <array>
#include <limits>

#include "archive/edit/built_archive_plan.h"
#include "archive/edit/default_sound.h"
#include "archive/format/tpa_format.h"
#include "audio/cau/cau_file_check.h"
#include "ids/id_log.h"
#include "ids/sound_id.h"
#include "io/folder_listing.h"
#include "io/game_text.h"
#include "io/byte_order.h"
#include "io/file.h"
#include "io/file_system.h"
#include "io/paths.h"

namespace sonkrate::archive {

namespace {

struct Member : PlannedImage {
    std::string name;  // file name without its last four characters, case kept
};

std::string withoutLastFour(const std::string& name) {
    return name.size() >= 4 ? name.substr(0, name.size() - 4) : std::string();
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

namespace {

// Every member's name, identifier, size and header, so the whole table is
// known before anything is written and a bad file stops the build before it
// starts. archiveSize becomes the size of the archive to be written.
io::Outcome inspectMembers(const std::vector<std::string>& paths, const std::string& sourceFolder,
                           std::vector<Member>& members, std::uint64_t& archiveSize) {
    const std::uint64_t tableEnd = recordOffsetOf(TpaLayout::Retail, paths.size() + 1);  // 56 n + 80
    members.assign(paths.size(), Member{});
    archiveSize = tableEnd + kDefaultSoundImageSize;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        members[i].path = paths[i];
        // Named as the game names its own: in its code page where the name fits.
        members[i].name = io::gameText(withoutLastFour(io::fileNameOf(paths[i])));
        members[i].soundId = ids::computeSoundId(io::toLower(members[i].name));
        if (io::Outcome ok = audio::inspectCauFile(paths[i], members[i].facts); !ok) return ok;
        archiveSize += members[i].facts.size;
        if (archiveSize > std::numeric_limits<std::uint32_t>::max())
            return io::failure("The .cau files of " + sourceFolder +
                               " together are larger than an archive can be (4 GiB)");
    }
    return io::success();
}

// The archive itself: the default sound, then the members. progress counts
// the members copied.
io::Outcome writeMembers(const std::string& targetPath, const std::vector<Member>& members,
                         const io::ProgressCallback& progress, std::uint32_t& entryCount) {
    const std::uint64_t n = members.size();
    const std::vector<std::uint8_t> defaultImage = defaultSoundImage();
    const std::vector<PlannedImage> images(members.begin(), members.end());
    ArchivePlan plan = planBuiltArchive(images, defaultImage);
    ArchiveWriteOptions options;
    io::reportProgress(progress, 0, n);
    // Progress in files; the first piece is the default sound.
    options.piecesProgress = [&](std::uint64_t done, std::uint64_t) {
        if (done > 1) io::reportProgress(progress, done - 1, n);
    };
    entryCount = plan.header.entryCount;
    return writeArchive(targetPath, plan, options);
}

// The log of the names, turned into the list file of their identifiers.
// The log stays only when the list was made from it.
io::Outcome writeIdList(const std::string& targetPath, const std::vector<Member>& members, std::string& listPath) {
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
        (void)io::removeFile(logPath);
        return logged;
    }
    ids::IdListResult list = ids::convertIdLog(logPath);
    listPath = list.listPath;
    if (!list.outcome) (void)io::removeFile(logPath);  // made only for the list
    return list.outcome;
}

}  // namespace

BuildFromCauDirResult buildArchiveFromCauDir(const std::string& sourceFolder, const std::string& targetPath,
                                             const io::ProgressCallback& progress) {
    BuildFromCauDirResult result;
    result.targetPath = targetPath;
    std::vector<std::string> paths = listCauFiles(sourceFolder, result.outcome);
    if (!result.outcome) return result;
    if (paths.size() < kMinBuildCaus) {
        result.buildState = CauDirBuildState::TooFewCaus;
        result.outcome = io::failure("The folder " + sourceFolder + " holds " + std::to_string(paths.size()) +
                                     " .cau files; an archive is built from 3 or more");
        return result;
    }
    result.buildState = CauDirBuildState::Tried;

    std::vector<Member> members;
    std::uint64_t archiveSize = 0;
    if (!(result.outcome = inspectMembers(paths, sourceFolder, members, archiveSize))) return result;
    std::uint32_t entryCount = 0;
    if (!(result.outcome = writeMembers(targetPath, members, progress, entryCount))) return result;
    result.entryCount = entryCount;
    result.fileSize = archiveSize;
    for (const Member& m : members) result.cauFiles.push_back(m.path);

    if (io::Outcome listed = writeIdList(targetPath, members, result.listPath); !listed)
        result.outcome = io::failure(targetPath + " was written, but its identifier list could not be: " +
                                     listed.reason);
    return result;
}

}  // namespace sonkrate::archive
