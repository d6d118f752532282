// Building an archive from a folder of .cau files: the layout figures, the
// identifier list, and folders that are refused without writing anything.
#include <gtest/gtest.h>

#include <filesystem>

#include "archive/edit/build_from_cau_dir.h"
#include "archive/edit/default_sound.h"
#include "archive_builder.h"
#include "archive_check.h"
#include "ids/sound_id.h"
#include "io/paths.h"
#include "testkit/game_reader.h"

using namespace sonkrate::archive;
using archive_test::Bytes;
using archive_test::pcmImage;
using testkit::u32;

namespace fs = std::filesystem;

TEST(BuildFromCauDir, ThreeFilesGiveTheKnownLayoutAndTheirList) {
    testkit::ScratchDir dir;
    fs::create_directories(dir.file("caus/folder.cau"));  // a folder is not a sound
    const Bytes a = pcmImage(11025, 1, 100), b = pcmImage(22050, 2, 256, true), c = pcmImage(8000, 1, 3);
    testkit::writeFile(dir.file("caus/Door.cau"), b);
    testkit::writeFile(dir.file("caus/alarm.cau"), a);
    testkit::writeFile(dir.file("caus/zip.CAU"), c);
    testkit::writeText(dir.file("caus/notes.txt"), "not a sound");

    BuildFromCauDirResult result = buildArchiveFromCauDir(dir.file("caus"), dir.file("out.tpa"));
    ASSERT_TRUE(result.outcome) << result.outcome.reason;
    Bytes t = testkit::readFile(dir.file("out.tpa"));
    ASSERT_EQ(t.size(), 24 + 4 * 56 + 88236 + a.size() + b.size() + c.size());
    EXPECT_TRUE(archive_test::retailInvariants(t, {4}));
    testkit::expectGameReads(dir.file("out.tpa"));
    EXPECT_EQ(u32(t, 24), kDefaultSoundId);
    EXPECT_EQ(u32(t, 28), 248u);
    EXPECT_EQ(u32(t, 28 + 56), 88484u);
    EXPECT_TRUE(std::equal(b.begin(), b.end(), t.begin() + 88484));  // "Door" sorts before "alarm"
    const auto line = [](const char* name) {
        const std::string digits = sonkrate::ids::formatSoundId(sonkrate::ids::computeSoundId(name));
        return "\"" + sonkrate::io::toUpper(digits) + "\" \"" + sonkrate::io::toUpper(name) + "\"\r\n";
    };
    EXPECT_EQ(u32(t, 24 + 3 * 56), sonkrate::ids::computeSoundId("zip"));
    EXPECT_EQ(result.listPath, dir.file("out_SampleIDs_list.txt"));
    EXPECT_EQ(testkit::readText(result.listPath), line("Door") + line("alarm") + line("zip"));
    EXPECT_FALSE(testkit::fileExists(dir.file("out_SampleIDs.txt")));

    // The list's name drops the target's last four characters, extension or not.
    ASSERT_TRUE(buildArchiveFromCauDir(dir.file("caus"), dir.file("archive7")).outcome);
    EXPECT_TRUE(testkit::fileExists(dir.file("arch_SampleIDs_list.txt")));
}

TEST(BuildFromCauDir, TooFewOrBadFilesWriteNothing) {
    testkit::ScratchDir dir;
    fs::create_directory(dir.file("caus"));
    const std::string target = dir.file("out.tpa");
    testkit::writeFile(target, Bytes(50, 9));
    testkit::writeFile(dir.file("caus/a.cau"), pcmImage(11025, 1, 10));
    testkit::writeFile(dir.file("caus/b.cau"), pcmImage(11025, 1, 12));
    EXPECT_EQ(buildArchiveFromCauDir(dir.file("caus"), target).buildState, CauDirBuildState::TooFewCaus);
    // A third file whose header does not describe it stops the build.
    Bytes bad = pcmImage(11025, 1, 40);
    bad.resize(bad.size() - 5);
    testkit::writeFile(dir.file("caus/c.cau"), bad);
    BuildFromCauDirResult result = buildArchiveFromCauDir(dir.file("caus"), target);
    EXPECT_EQ(result.buildState, CauDirBuildState::Tried);
    EXPECT_NE(result.outcome.reason.find("c.cau"), std::string::npos) << result.outcome.reason;
    EXPECT_EQ(testkit::readFile(target), Bytes(50, 9));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), {}), 2);  // caus and out.tpa
}
