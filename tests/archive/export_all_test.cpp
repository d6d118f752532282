// Exporting every entry: file names from the name database or numbered,
// names that would escape the folder or fail, and failures counted.
#include <gtest/gtest.h>

#include <filesystem>

#include "archive/export_all.h"
#include "archive/tpa_loader.h"
#include "archive_builder.h"
#include "ids/sound_id.h"
#include "ids/sound_id_database.h"
#include "testkit/testkit.h"

using namespace sonkrate::archive;
using archive_test::Bytes;
using archive_test::Image;

namespace fs = std::filesystem;

namespace {

std::string dbLine(std::uint32_t id, const std::string& name) {
    return "\"" + sonkrate::ids::formatSoundId(id) + "\" \"" + name + "\"\r\n";
}

std::vector<std::string> namesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

TEST(ExportAll, NamesFromTheDatabaseUnlessTheyCannotBeFileNames) {
    testkit::ScratchDir dir;
    std::vector<Image> images;
    const std::vector<std::string> names = {"door",     "MUSIC - MAYAN FACE/JEEP", "../evil", "a:b", "con",
                                            "tab\tname", "door",                    "(none)",  "dot."};
    for (std::uint32_t i = 0; i < names.size(); ++i) {
        Bytes image = archive_test::pcmImage(11025, 1, 20 + i);
        image[0] = 'Q';  // exports start with "WBOR" whatever the entry holds
        images.push_back({0xC0DE0000 + i, image});
    }
    testkit::writeFile(dir.file("effects.tpa"), archive_test::retailArchive(images));
    std::string db;
    for (std::uint32_t i = 0; i < names.size(); ++i)
        if (names[i] != "(none)") db += dbLine(0xC0DE0000 + i, names[i]);
    testkit::writeText(dir.file("SndIds.dat"), db);
    fs::create_directory(dir.file("out"));

    TpaLoad load = loadTpaArchive(dir.file("effects.tpa"), "");
    ASSERT_TRUE(load.outcome);
    std::uint64_t calls = 0;
    ExportAllResult result = exportAllEntries(load.archive, ExportMode::Cau, dir.file("out"), dir.file("SndIds.dat"),
                                              [&](std::uint64_t, std::uint64_t total) {
                                                  ++calls;
                                                  EXPECT_EQ(total, names.size());
                                              });
    ASSERT_TRUE(result.outcome) << result.outcome.reason;
    EXPECT_EQ(calls, names.size() + 1);
    EXPECT_EQ(result.filesWritten, names.size());
    EXPECT_EQ(result.numbered, 7u);
    EXPECT_EQ(namesIn(dir.file("out")),
              (std::vector<std::string>{"door.cau", "effects_1.cau", "effects_2.cau", "effects_3.cau", "effects_4.cau",
                                        "effects_5.cau", "effects_7.cau", "effects_8.cau"}));
    EXPECT_FALSE(testkit::fileExists(dir.file("evil.cau")));
    // The later of two equal names wins.
    Bytes door = testkit::readFile(dir.file("out/door.cau"));
    Bytes expected = images[6].bytes;
    std::copy_n("WBOR", 4, expected.begin());
    EXPECT_EQ(door, expected);

    EXPECT_TRUE(isUsableFileStem("Footstep 3 (gravel)"));
    for (const char* bad : {"", ".", "..", "a/b", "a\\b", "x?", "pipe|", "star*", "<tag>", "q\"", "lpt1", "Aux",
                            "nul.cau", "trailing ", "\x7f"})
        EXPECT_FALSE(isUsableFileStem(bad)) << bad;
    EXPECT_FALSE(isUsableFileStem(std::string(201, 'a')));
}

TEST(ExportAll, NamesMatchTheSingleLookupOnAwkwardDatabases) {
    testkit::ScratchDir dir;
    const std::uint32_t ids[] = {0x0000ABCD, 0xDEADBEEF, 0x12345678, 0xCAFEF00D, 0x0BADF00D, 0x11112222, 0x99990000};
    // Upper-case digits, a name equal to a key, a repeated identifier, a line
    // with nothing after its key, LF-only lines and a last line without end.
    const std::string db = "\"0000ABCD\" \"upper digits\"\r\n"
                           "\"deadbeef\" \"12345678\"\r\n"
                           "\"12345678\" \"second\"\n"
                           "\"cafef00d\" \"first\"\n\"cafef00d\" \"later\"\n"
                           "\"0badf00d\"\n"
                           "\"11112222\" \"no line end\"";
    testkit::writeText(dir.file("SndIds.dat"), db);
    std::vector<Image> images;
    for (std::uint32_t id : ids) images.push_back({id, archive_test::pcmImage(8000, 1, 4)});
    testkit::writeFile(dir.file("s.tpa"), archive_test::retailArchive(images));
    fs::create_directory(dir.file("out"));
    TpaLoad load = loadTpaArchive(dir.file("s.tpa"), "");
    ASSERT_TRUE(load.outcome);
    ExportAllResult result = exportAllEntries(load.archive, ExportMode::Cau, dir.file("out"), dir.file("SndIds.dat"));
    ASSERT_TRUE(result.outcome) << result.outcome.reason;
    std::vector<std::string> expected;
    for (std::uint32_t i = 0; i < 7; ++i) {
        auto lookup = sonkrate::ids::lookupSoundName(dir.file("SndIds.dat"), ids[i]);
        expected.push_back(exportFileStem("s", i, lookup.name) + ".cau");
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(namesIn(dir.file("out")), expected);
    EXPECT_TRUE(testkit::fileExists(dir.file("out/12345678.cau")));  // the name token that equals a key
    EXPECT_TRUE(testkit::fileExists(dir.file("out/first.cau")));
}

TEST(ExportAll, FilesThatCannotBeWrittenAreCountedAndTheRestWritten) {
    testkit::ScratchDir dir;
    std::vector<Image> images;
    for (std::uint32_t i = 0; i < 4; ++i) images.push_back({i, archive_test::pcmImage(8000, 1, 30)});
    Bytes archive = archive_test::retailArchive(images);
    testkit::put32(archive, 24 + 56 * 3 + 8, 100000);  // entry 3 runs past the end
    testkit::writeFile(dir.file("x.tpa"), archive);
    fs::create_directory(dir.file("out"));
    fs::create_directory(dir.file("out/x_1.cau"));  // entry 1's name is taken by a folder
    TpaLoad load = loadTpaArchive(dir.file("x.tpa"), "");
    ASSERT_TRUE(load.outcome);
    ExportAllResult result = exportAllEntries(load.archive, ExportMode::Cau, dir.file("out"), "");
    EXPECT_FALSE(result.outcome);
    EXPECT_EQ(result.filesWritten, 2u);
    EXPECT_EQ(result.filesFailed, 2u);
    EXPECT_EQ(result.failures.size(), 2u);
    EXPECT_NE(result.outcome.reason.find("2 of 4"), std::string::npos) << result.outcome.reason;
    EXPECT_EQ(namesIn(dir.file("out")), (std::vector<std::string>{"x_0.cau", "x_1.cau", "x_2.cau"}));

    EXPECT_FALSE(exportAllEntries(load.archive, ExportMode::Cau, dir.file("absent"), "").outcome);
}
