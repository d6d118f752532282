// A fault at every I/O call of the operations that write archives: each
// failed run names a file and leaves the archive it would replace byte for
// byte as it was, and no temporary file behind.
#include <gtest/gtest.h>

#include <filesystem>

#include "archive/edit/add_sound.h"
#include "archive/archive_builder.h"
#include "archive/edit/beta_to_retail.h"
#include "archive/edit/build_from_cau_dir.h"
#include "archive/edit/build_from_list.h"
#include "archive/edit/create_archive.h"
#include "archive/format/tpa_loader.h"
#include "robustness/fault_walk.h"

using namespace sonkrate;
using archive_test::pcmImage;
using robustness::Attempt;
using robustness::walkFaults;

namespace {

Attempt fromOutcome(const io::Outcome& outcome) { return {outcome.ok, outcome.reason}; }

// An add is complete only when its log line and name record went in too.
Attempt fromAdd(const archive::AddSoundResult& r) {
    if (r.addResult != archive::AddOutcome::Done) return {false, r.outcome.reason};
    return {r.warning.empty(), r.warning, robustness::Targets::AsAfter};
}

std::vector<archive_test::Image> someImages(std::uint32_t count) {
    std::vector<archive_test::Image> images;
    for (std::uint32_t i = 0; i < count; ++i) images.push_back({0x1000 + i, pcmImage(22050, 1 + i % 2, 900 + 64 * i)});
    return images;
}

}  // namespace

TEST(ArchiveWrites, NewArchive) {
    testkit::ScratchDir dir;
    testkit::writeText(dir.file("new.tpa"), "a file the new archive replaces");
    auto report = walkFaults(dir.path(), [&] { return fromOutcome(archive::createDefaultArchive(dir.file("new.tpa")).outcome); },
                             {{"new.tpa"}, {}});
    EXPECT_GT(report.failures, 3u);
}

TEST(ArchiveWrites, TheThreeAddsWithBackupLogAndNameRecord) {
    testkit::ScratchDir dir;
    testkit::writeFile(dir.file("level.tpa"), archive_test::retailArchive(someImages(6)));
    testkit::writeFile(dir.file("effects.tpa"), archive_test::retailArchive(someImages(5)));
    testkit::writeFile(dir.file("door.cau"), pcmImage(11025, 1, 3000, true));
    testkit::writeText(dir.file("SndIds.dat"), "\"00000001\" \"first\"\r\n");
    testkit::writeText(dir.file("tpa_logs.log"), " Ingame_ID (string sample): first\r\n");

    archive::AddSoundRequest r;
    r.archivePath = dir.file("level.tpa");
    r.soundPath = dir.file("door.cau");
    r.soundName = "Door Slam";
    r.updateSndIds = true;
    r.dbPath = dir.file("SndIds.dat");
    r.logPath = dir.file("tpa_logs.log");
    r.backupPath = dir.file("level.tpa.backup");
    auto general = walkFaults(dir.path(), [&] { return fromAdd(archive::addSoundGeneral(r)); }, {{"level.tpa"}, {}});
    EXPECT_GT(general.failures, 8u);

    r.archivePath = dir.file("effects.tpa");
    r.backupPath.clear();
    walkFaults(dir.path(), [&] { return fromAdd(archive::addSoundEffects(r)); }, {{"effects.tpa"}, {}});

    walkFaults(dir.path(), [&] {
        return fromAdd(archive::addSoundFromList(dir.file("level.tpa"), "crate", dir.file("door.cau"),
                                                 dir.file("levelIDs_.txt")));
    }, {{"level.tpa"}, {}});
}

TEST(ArchiveWrites, BuildsFromAFolderAndFromAList) {
    testkit::ScratchDir dir;
    const std::string caus = dir.file("caus");
    std::filesystem::create_directories(caus);
    for (int i = 0; i < 4; ++i)
        testkit::writeFile(caus + "/snd" + std::to_string(i) + ".cau", pcmImage(22050, 1, 700 + 100 * i));
    testkit::writeText(dir.file("built.tpa"), "the archive a build replaces");
    walkFaults(dir.path(), [&] {
        archive::BuildFromCauDirResult b = archive::buildArchiveFromCauDir(caus, dir.file("built.tpa"));
        // fileSize is set once the archive is in place, before its list is made.
        const bool written = !b.outcome && b.fileSize != 0;
        return Attempt{b.outcome.ok, b.outcome.reason,
                       written ? robustness::Targets::AsAfter : robustness::Targets::AsBefore};
    }, {{"built.tpa"}, {}});

    // Two listed sounds and one that is missing (replaced, and reported).
    std::vector<archive::ListedSound> listings;
    for (const char* name : {"snd0", "snd1", "gone"}) listings.push_back({name, caus + "/" + name + ".cau"});
    testkit::writeFile(dir.file("missing.cau"), pcmImage(22050, 1, 500));
    walkFaults(dir.path(), [&] {
        archive::ListBuildResult b = archive::buildArchiveFromList(listings, dir.file("built.tpa"), dir.file("missing.cau"));
        if (!b.outcome) return fromOutcome(b.outcome);
        if (b.problems.empty() && b.missingNames == std::vector<std::string>{"gone"}) return Attempt{true, ""};
        // A listed sound that could not be read was replaced by the missing
        // sound and reported; the archive still holds every listing.
        archive::TpaLoad built = archive::loadTpaArchive(dir.file("built.tpa"), "");
        EXPECT_TRUE(built.outcome) << built.outcome.reason;
        EXPECT_EQ(built.archive.entryCount, 4u);
        EXPECT_FALSE(b.missingNames.empty() && b.problems.empty());
        return Attempt{false, b.problems.empty() ? b.missingReportPath : b.problems.front(),
                       robustness::Targets::CheckedByCaller};
    }, {{"built.tpa"}, {}});
}

TEST(ArchiveWrites, BetaToRetail) {
    testkit::ScratchDir dir;
    testkit::writeFile(dir.file("beta.tpa"), archive_test::betaArchive(0x140, 24, someImages(4)));
    testkit::writeText(dir.file("altbeta.tpa"), "an older copy");
    walkFaults(dir.path(), [&] {
        archive::TpaLoad load = archive::loadTpaArchive(dir.file("beta.tpa"), "");
        if (!load.outcome) return fromOutcome(load.outcome);
        return fromOutcome(archive::convertBetaToRetail(load.archive).outcome);
    }, {{"altbeta.tpa", "beta.tpa"}, {}});
}
