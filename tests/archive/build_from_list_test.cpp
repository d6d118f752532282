// Building an archive from list listings in one pass: the same bytes as a new
// archive with the listings appended one by one, missing and refused files
// replaced and reported, the logs, and failures that leave the target alone.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "archive/edit/add_sound.h"
#include "archive/edit/build_from_list.h"
#include "archive/edit/create_archive.h"
#include "archive_builder.h"
#include "archive_check.h"
#include "audio/cau/missing_sound.h"
#include "ids/sound_id.h"
#include "io/paths.h"
#include "testkit/game_reader.h"

using namespace sonkrate;
using namespace sonkrate::archive;
using archive_test::Bytes;
using archive_test::pcmImage;
using testkit::u32;
using Items = std::vector<std::string>;

namespace {

Items namesIn(const std::string& folder) {
    Items names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

// The build equals a new archive to which every built listing is appended in
// turn, the replacement for the missing and the refused ones; a short path
// that names no file is passed over.
TEST(ListBuild, EqualsAppendingTheListingsOneByOne) {
    testkit::ScratchDir dir;
    const std::string door = dir.file("door.cau"), rain = dir.file("rain.cau"), bad = dir.file("bad.cau");
    const std::string missing = dir.file("missing.cau"), ghost = dir.file("ghost.cau");
    testkit::writeFile(door, pcmImage(11025, 1, 1362));
    testkit::writeFile(rain, pcmImage(22050, 2, 400, true));
    Bytes cut = pcmImage(8000, 1, 50);
    cut.pop_back();
    testkit::writeFile(bad, cut);
    const std::vector<ListedSound> listings = {
        {"Door", door}, {"ghost", ghost}, {"shrt", "x.cau"}, {"Rain", rain}, {"bad", bad}, {"0", "0"}};

    std::vector<std::pair<std::uint64_t, std::string>> told;
    const std::string target = dir.file("out.tpa");
    ListBuildResult r = buildArchiveFromList(listings, target, missing, 5,
                                             [&](std::uint64_t done, std::uint64_t total, const std::string& name) {
                                                 EXPECT_EQ(total, 5u);
                                                 told.emplace_back(done, name);
                                             });
    ASSERT_TRUE(r.outcome.ok) << r.outcome.reason;
    EXPECT_TRUE(r.archiveWritten);
    EXPECT_EQ(r.appended, 4u);
    EXPECT_EQ(r.missingNames, (Items{"ghost", "bad"}));
    ASSERT_EQ(r.problems.size(), 1u);
    EXPECT_NE(r.problems[0].find(bad), std::string::npos) << r.problems[0];
    EXPECT_EQ(told, (std::vector<std::pair<std::uint64_t, std::string>>{
                        {1, "Door"}, {2, "ghost"}, {3, "Rain"}, {4, "bad"}}));
    EXPECT_EQ(testkit::fileSize(missing), audio::kMissingSoundSize);

    const std::string oneByOne = dir.file("steps.tpa"), stepsLog = dir.file("stepsIDs_.txt");
    ASSERT_TRUE(createDefaultArchive(oneByOne).outcome.ok);
    const std::vector<std::pair<std::string, std::string>> steps = {
        {"Door", door}, {"ghost", missing}, {"Rain", rain}, {"bad", missing}};
    for (const auto& [name, path] : steps)
        ASSERT_EQ(addSoundFromList(oneByOne, name, path, stepsLog).addResult, AddOutcome::Done);
    const Bytes built = testkit::readFile(target);
    EXPECT_EQ(built, testkit::readFile(oneByOne));
    EXPECT_TRUE(archive_test::retailInvariants(built, {5}));
    testkit::expectGameReads(target);
    EXPECT_EQ(u32(built, 24 + 56), ids::computeSoundId("door"));

    EXPECT_EQ(r.missingReportPath, dir.file("outIDs__missing.txt"));
    EXPECT_EQ(testkit::readText(r.missingReportPath), "SoundIDs Missing:  ghost bad\r\n");
    EXPECT_EQ(r.idListPath, dir.file("outIDs__list.txt"));
    const std::string ids = testkit::readText(r.idListPath);
    EXPECT_EQ(ids.substr(0, 19), "\"" + io::toUpper(ids::formatSoundId(ids::computeSoundId("door"))) + "\" \"DOOR\"\r\n");
    EXPECT_EQ(std::count(ids.begin(), ids.end(), '\n'), 4);

    // Again: the same archive, a second line in the same report.
    ASSERT_TRUE(buildArchiveFromList(listings, target, missing).outcome.ok);
    EXPECT_EQ(testkit::readFile(target), built);
    EXPECT_EQ(testkit::readText(r.missingReportPath), "SoundIDs Missing:  ghost bad\r\nSoundIDs Missing:  ghost bad\r\n");
}

// Nothing to replace: no missing sound made, no report. A failure (a folder
// that does not exist, a replacement that cannot be made, a listed file that
// changes while it is copied) leaves the target and its folder as they were.
TEST(ListBuild, FailuresLeaveTheTargetAsItWas) {
    testkit::ScratchDir dir;
    const std::string door = dir.file("door.cau"), target = dir.file("old.tpa");
    testkit::writeFile(door, pcmImage(11025, 1, 300));
    ListBuildResult clean = buildArchiveFromList({{"door", door}, {"door2", door}}, dir.file("clean.tpa"),
                                                 dir.file("m.cau"));
    ASSERT_TRUE(clean.outcome.ok) << clean.outcome.reason;
    testkit::expectGameReads(dir.file("clean.tpa"));
    EXPECT_TRUE(clean.missingNames.empty());
    EXPECT_TRUE(clean.missingReportPath.empty());
    EXPECT_FALSE(testkit::fileExists(dir.file("m.cau")));

    testkit::writeText(target, "old archive");
    const Items before = namesIn(dir.path());
    ListBuildResult noFolder = buildArchiveFromList({{"door", door}}, dir.file("absent/x.tpa"), dir.file("m.cau"));
    EXPECT_FALSE(noFolder.outcome.ok);
    EXPECT_NE(noFolder.outcome.reason.find("absent"), std::string::npos) << noFolder.outcome.reason;

    // The replacement would go into a folder that does not exist.
    ListBuildResult noReplacement =
        buildArchiveFromList({{"door", door}, {"lost", dir.file("lost.cau")}}, target, dir.file("absent/m.cau"));
    EXPECT_FALSE(noReplacement.outcome.ok);
    EXPECT_FALSE(noReplacement.archiveWritten);
    EXPECT_NE(noReplacement.outcome.reason.find(target + " was left as it was"), std::string::npos);
    EXPECT_EQ(testkit::readText(target), "old archive");
    EXPECT_EQ(namesIn(dir.path()), before);
}
