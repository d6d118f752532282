// Building an archive from a folder of .cau files: the layout figures, the
// identifier list, and folders that are refused without writing anything.
#include <gtest/gtest.h>

#include <filesystem>

#include "archive/build_from_cau_dir.h"
#include "archive/default_sound.h"
#include "archive_builder.h"
#include "archive_check.h"
#include "ids/sound_id.h"
#include "io/paths.h"
#include "testkit/testkit.h"

using namespace sonkrate::archive;
using archive_test::Bytes;
using testkit::u32;

namespace fs = std::filesystem;

TEST(BuildFromCauDir, ThreeFilesGiveTheKnownLayoutAndTheirList) {
    testkit::ScratchDir dir;
    fs::create_directory(dir.file("caus"));
    fs::create_directory(dir.file("caus/folder.cau"));  // a folder is not a sound
    testkit::writeText(dir.file("caus/notes.txt"), "not a sound");
    const Bytes a = archive_test::pcmImage(11025, 1, 100), b = archive_test::pcmImage(22050, 2, 256, true),
                c = archive_test::pcmImage(8000, 1, 3);
    testkit::writeFile(dir.file("caus/Door.cau"), b);
    testkit::writeFile(dir.file("caus/alarm.cau"), a);
    testkit::writeFile(dir.file("caus/zip.CAU"), c);
    testkit::writeFile(dir.file("out.tpa"), Bytes(10, 1));  // replaced

    int lastDone = -1;
    BuildFromCauDirResult result = buildArchiveFromCauDir(dir.file("caus"), dir.file("out.tpa"),
                                                          [&](std::uint64_t done, std::uint64_t total) {
                                                              EXPECT_EQ(total, 3u);
                                                              lastDone = static_cast<int>(done);
                                                          });
    ASSERT_TRUE(result.outcome) << result.outcome.reason;
    EXPECT_EQ(result.buildState, kBuildTargetChosen);
    EXPECT_EQ(lastDone, 3);
    Bytes t = testkit::readFile(dir.file("out.tpa"));
    ASSERT_EQ(t.size(), 24 + 4 * 56 + 88236 + a.size() + b.size() + c.size());
    EXPECT_TRUE(archive_test::retailInvariants(t, {4}));
    EXPECT_EQ(u32(t, 20), 4u);
    EXPECT_EQ(u32(t, 28), 248u);
    EXPECT_EQ(u32(t, 28 + 56), 88484u);
    EXPECT_EQ(u32(t, 24), kDefaultSoundId);
    // Name order: "Door" < "alarm" < "zip" byte by byte.
    const std::vector<std::pair<std::string, Bytes>> order = {{"door", b}, {"alarm", a}, {"zip", c}};
    for (std::size_t i = 0; i < order.size(); ++i) {
        const std::size_t r = 24 + 56 * (i + 1);
        EXPECT_EQ(u32(t, r), sonkrate::ids::computeSoundId(order[i].first));
        EXPECT_EQ(u32(t, r + 12), 0u);
        EXPECT_TRUE(std::equal(order[i].second.begin(), order[i].second.end(), t.begin() + u32(t, r + 4)));
    }

    EXPECT_EQ(result.listPath, dir.file("out_SampleIDs_list.txt"));
    const auto id = [](const char* name) {
        return sonkrate::io::toUpper(sonkrate::ids::formatSoundId(sonkrate::ids::computeSoundId(name)));
    };
    EXPECT_EQ(testkit::readText(result.listPath), "\"" + id("door") + "\" \"DOOR\"\r\n\"" + id("alarm") +
                                                      "\" \"ALARM\"\r\n\"" + id("zip") + "\" \"ZIP\"\r\n");
    EXPECT_FALSE(testkit::fileExists(dir.file("out_SampleIDs.txt")));
    EXPECT_FALSE(testkit::fileExists(dir.file("_header.tpa")));

    // A target without extension still loses four characters in the list's name.
    result = buildArchiveFromCauDir(dir.file("caus"), dir.file("archive7"));
    ASSERT_TRUE(result.outcome) << result.outcome.reason;
    EXPECT_TRUE(testkit::fileExists(dir.file("arch_SampleIDs_list.txt")));
}

TEST(BuildFromCauDir, TooFewOrBadFilesWriteNothing) {
    testkit::ScratchDir dir;
    fs::create_directory(dir.file("caus"));
    const std::string target = dir.file("out.tpa");
    EXPECT_EQ(buildArchiveFromCauDir(dir.file("caus"), target).buildState, kBuildTooFewCaus);
    testkit::writeFile(dir.file("caus/a.cau"), archive_test::pcmImage(11025, 1, 10));
    testkit::writeFile(dir.file("caus/b.cau"), archive_test::pcmImage(11025, 1, 12));
    BuildFromCauDirResult result = buildArchiveFromCauDir(dir.file("caus"), target);
    EXPECT_EQ(result.buildState, kBuildTooFewCaus);
    EXPECT_FALSE(result.outcome);
    EXPECT_FALSE(testkit::fileExists(target));

    // A third file whose header does not describe it stops the build; an
    // older archive under the target's name stays as it was.
    Bytes bad = archive_test::pcmImage(11025, 1, 40);
    bad.resize(bad.size() - 5);
    testkit::writeFile(dir.file("caus/c.cau"), bad);
    testkit::writeFile(target, Bytes(50, 9));
    result = buildArchiveFromCauDir(dir.file("caus"), target);
    EXPECT_EQ(result.buildState, kBuildTargetChosen);
    EXPECT_FALSE(result.outcome);
    EXPECT_NE(result.outcome.reason.find("c.cau"), std::string::npos) << result.outcome.reason;
    EXPECT_EQ(testkit::readFile(target), Bytes(50, 9));
    std::size_t files = 0;
    for (const auto& e : fs::directory_iterator(dir.path())) files += e.is_regular_file();
    EXPECT_EQ(files, 1u);

    EXPECT_FALSE(buildArchiveFromCauDir(dir.file("absent"), target).outcome);
}
