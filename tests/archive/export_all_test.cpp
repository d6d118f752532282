// Exporting every entry: file names from the name database or numbered,
// names that would escape the folder or fail, and failures counted.
#include <gtest/gtest.h>

#include <filesystem>

#include "archive/folder/export_all.h"
#include "archive/format/tpa_loader.h"
#include "archive_builder.h"
#include "ids/sound_id.h"
#include "ids/sound_id_database.h"

using namespace sonkrate::archive;
using archive_test::Bytes;
using archive_test::Image;

namespace fs = std::filesystem;

namespace {

std::vector<std::string> namesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// An archive of one image per identifier, loaded.
TpaArchive archiveOf(const std::string& path, const std::vector<std::uint32_t>& ids) {
    std::vector<Image> images;
    for (std::uint32_t id : ids) {
        Bytes image = archive_test::pcmImage(8000, 1, 20 + id % 7);
        image[0] = 'Q';  // exports start with "WBOR" whatever the entry holds
        images.push_back({id, image});
    }
    testkit::writeFile(path, archive_test::retailArchive(images));
    return loadTpaArchive(path, "").archive;
}

}  // namespace

TEST(ExportAll, NamesFromTheDatabaseUnlessTheyCannotBeFileNames) {
    testkit::ScratchDir dir;
    const std::vector<std::string> names = {"door", "MUSIC - MAYAN FACE/JEEP", "../evil", "a:b", "con",
                                            "tab\tname", "door", "(none)", "dot."};
    std::vector<std::uint32_t> ids;
    std::string db;
    for (std::uint32_t i = 0; i < names.size(); ++i) {
        ids.push_back(0xC0DE0000 + i);
        if (names[i] != "(none)") db += "\"" + sonkrate::ids::formatSoundId(ids[i]) + "\" \"" + names[i] + "\"\r\n";
    }
    testkit::writeText(dir.file("SndIds.dat"), db);
    const TpaArchive archive = archiveOf(dir.file("effects.tpa"), ids);
    fs::create_directory(dir.file("out"));
    std::uint64_t calls = 0;
    ExportAllResult result = exportAllEntries(archive, ExportMode::Cau, dir.file("out"), dir.file("SndIds.dat"),
                                              [&](std::uint64_t, std::uint64_t) { ++calls; });
    ASSERT_TRUE(result.outcome) << result.outcome.reason;
    EXPECT_EQ(calls, names.size() + 1);
    EXPECT_EQ(result.numbered, 7u);
    EXPECT_EQ(namesIn(dir.file("out")),
              (std::vector<std::string>{"door.cau", "effects_1.cau", "effects_2.cau", "effects_3.cau", "effects_4.cau",
                                        "effects_5.cau", "effects_7.cau", "effects_8.cau"}));
    // The later of two equal names wins; every file begins with the magic.
    EXPECT_EQ(testkit::readFile(dir.file("out/door.cau")).size(), 36u + 20 + (0xC0DE0006 % 7));
    EXPECT_EQ(testkit::text(testkit::readFile(dir.file("out/effects_8.cau")), 0, 4), "WBOR");

    // Files that cannot be written are counted; the others are still written.
    fs::remove(dir.file("out/effects_1.cau"));
    fs::create_directory(dir.file("out/effects_1.cau"));  // the name is taken by a folder
    result = exportAllEntries(archive, ExportMode::Cau, dir.file("out"), dir.file("SndIds.dat"));
    EXPECT_EQ(result.filesFailed, 1u);
    EXPECT_EQ(result.filesWritten, names.size() - 1);
    EXPECT_NE(result.outcome.reason.find("1 of 9"), std::string::npos) << result.outcome.reason;
    EXPECT_FALSE(exportAllEntries(archive, ExportMode::Cau, dir.file("absent"), "").outcome);
}

TEST(ExportAll, NamesMatchTheSingleLookupOnAwkwardDatabases) {
    testkit::ScratchDir dir;
    const std::vector<std::uint32_t> ids = {0x0000ABCD, 0xDEADBEEF, 0x12345678, 0xCAFEF00D, 0x0BADF00D, 0x11112222};
    // Upper-case digits, a name equal to a key, a repeated identifier, a key
    // with nothing after it, LF-only lines and a last line without its end.
    testkit::writeText(dir.file("SndIds.dat"), "\"0000ABCD\" \"upper digits\"\r\n\"deadbeef\" \"12345678\"\r\n"
                                               "\"12345678\" \"second\"\n\"cafef00d\" \"first\"\n"
                                               "\"cafef00d\" \"later\"\n\"0badf00d\"\n\"11112222\" \"no line end\"");
    const TpaArchive archive = archiveOf(dir.file("s.tpa"), ids);
    fs::create_directory(dir.file("out"));
    ASSERT_TRUE(exportAllEntries(archive, ExportMode::Cau, dir.file("out"), dir.file("SndIds.dat")).outcome);
    std::vector<std::string> expected;
    for (std::uint32_t i = 0; i < ids.size(); ++i)
        expected.push_back(exportFileStem("s", i, sonkrate::ids::lookupSoundName(dir.file("SndIds.dat"), ids[i]).name) +
                           ".cau");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(namesIn(dir.file("out")), expected);
    EXPECT_TRUE(testkit::fileExists(dir.file("out/12345678.cau")));  // the name token that equals a key

    for (const char* bad : {"", "..", "a\\b", "x?", "pipe|", "<tag>", "lpt1", "nul.cau", "trailing ", "\x7f"})
        EXPECT_FALSE(isUsableFileStem(bad)) << bad;
    EXPECT_TRUE(isUsableFileStem("Footstep 3 (gravel)"));
}
