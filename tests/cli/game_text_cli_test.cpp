// Names and captions given to sonkrate-cli are stored and hashed as the game
// reads its own (the Windows code page on Windows, UTF-8 elsewhere), and
// names and captions from files always print as UTF-8.
#include <gtest/gtest.h>

#include <string>

#include "ids/sound_id.h"
#include "io/file_system.h"
#include "io/unicode_text.h"
#include "testkit/game_reader.h"
#include "testkit/testkit.h"

#if defined(_WIN32)
#include <windows.h>
#endif

using testkit::quote;
using testkit::run;

namespace {

std::string cli(const std::string& args) { return quote(SONKRATE_CLI_PATH) + " " + args; }

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

const std::string kCafe = "Caf\xC3\xA9";  // "Café" as typed: UTF-8
const std::string kCyrillic = "\xD0\x94\xD0\xBC\xD0\xB8\xD1\x82\xD1\x80\xD0\xB8\xD0\xB9";  // "Дмитрий"

void expectCodePage1252() {
#if defined(_WIN32)
    ASSERT_EQ(GetACP(), 1252u) << "the Windows tests run with LC_ALL=C.UTF-8, which Wine gives code page 1252";
#endif
}

// The identifier of entry 0 of a new archive, from list --json.
std::string firstSoundId(const std::string& tpa) {
    auto listed = run(cli("list " + quote(tpa) + " --json"));
    const std::size_t at = listed.out.find("\"soundId\": \"");
    return at == std::string::npos ? std::string() : listed.out.substr(at + 12, 8);
}

}  // namespace

TEST(GameTextCli, TypedNameAndCaptionAreStoredInTheGamesCodePage) {
    expectCodePage1252();
    testkit::ScratchDir dir;
    const std::string tpa = dir.file("a.tpa");
    ASSERT_EQ(run(cli("new " + quote(tpa))).exitCode, 0);
    ASSERT_EQ(run(cli("extract " + quote(tpa) + " 0 " + quote(dir.file("tone.wav")))).exitCode, 0);

    const std::string cau = dir.file("cafe.cau");
    auto wrapped = run(cli("wav2cau " + quote(dir.file("tone.wav")) + " " + quote(cau) + " --caption " + quote(kCafe)));
    ASSERT_EQ(wrapped.exitCode, 0) << wrapped.err;
    const testkit::Bytes image = testkit::readFile(cau);
    const std::string caption = "Caf" + testkit::storedEAcute() + std::string(1, '\0');
    ASSERT_GE(image.size(), 48 + caption.size());
    EXPECT_EQ(testkit::u32(image, 32), 36u);
    EXPECT_EQ(std::string(image.begin() + 48, image.begin() + 48 + static_cast<long>(caption.size())), caption);
    // Read back, it prints as it was typed.
    auto played = run(cli("cau2wav " + quote(cau) + " " + quote(dir.file("back.wav"))));
    EXPECT_TRUE(contains(played.out, "caption: " + kCafe)) << played.out;

    // The identifier of a name is the CRC-32 of the game's bytes; a name
    // outside the code page is hashed as UTF-8 on every system.
    const std::string cafeId = sonkrate::ids::formatSoundId(sonkrate::ids::computeSoundId("caf" + testkit::storedEAcute()));
    auto ids = run(cli("id " + quote(kCafe) + " " + quote(kCyrillic) + " door"));
    ASSERT_EQ(ids.exitCode, 0) << ids.err;
    EXPECT_EQ(ids.out, cafeId + " " + kCafe + "\n" +
                           sonkrate::ids::formatSoundId(sonkrate::ids::computeSoundId(kCyrillic)) + " " + kCyrillic +
                           "\n" + sonkrate::ids::formatSoundId(sonkrate::ids::computeSoundId("door")) + " door\n");

    const std::string db = dir.file("SndIds.dat");
    auto added = run(cli("add " + quote(tpa) + " " + quote(cau) + " --name " + quote(kCafe) + " --db " + quote(db)));
    ASSERT_EQ(added.exitCode, 0) << added.err;
    EXPECT_TRUE(contains(added.out, "added \"" + kCafe + "\" (" + cafeId + ")")) << added.out;
    EXPECT_EQ(testkit::readText(db), "\"" + cafeId + "\" \"caf" + testkit::storedEAcute() + "\"\r\n");
    EXPECT_EQ(testkit::u32(testkit::readFile(tpa), 24 + 56), sonkrate::ids::computeSoundId("caf" + testkit::storedEAcute()));
    testkit::expectGameReads(tpa);

    auto listed = run(cli("list " + quote(tpa) + " --json --db " + quote(db)));
    ASSERT_EQ(listed.exitCode, 0) << listed.err;
    EXPECT_TRUE(contains(listed.out, "\"caption\": \" " + kCafe + "\", \"name\": \"caf\xC3\xA9\"")) << listed.out;
    EXPECT_TRUE(sonkrate::io::utf16FromUtf8(listed.out).has_value());

    // The typed name finds the sound again.
    auto removed = run(cli("remove " + quote(tpa) + " " + quote(kCafe)));
    EXPECT_EQ(removed.exitCode, 0) << removed.err;
    EXPECT_TRUE(contains(removed.out, "removed 1 entry")) << removed.out;
}

// A name taken from a file's name is the game's text as well: "Café.cau"
// added, built into an archive and listed in an .eel gives the same bytes
// and identifier as the name typed.
TEST(GameTextCli, NamesTakenFromFileNamesAreStoredInTheGamesCodePage) {
    expectCodePage1252();
    testkit::ScratchDir dir;
    const std::string tpa = dir.file("a.tpa");
    ASSERT_EQ(run(cli("new " + quote(tpa))).exitCode, 0);
    const std::string folder = dir.file("sounds");
    ASSERT_TRUE(sonkrate::io::createFolders(folder).ok);
    const std::string cau = folder + "/" + kCafe + ".cau";
    ASSERT_EQ(run(cli("extract " + quote(tpa) + " 0 " + quote(cau))).exitCode, 0);
    const std::uint32_t id = sonkrate::ids::computeSoundId("caf" + testkit::storedEAcute());

    auto added = run(cli("add " + quote(tpa) + " " + quote(cau)));
    ASSERT_EQ(added.exitCode, 0) << added.err;
    EXPECT_TRUE(contains(added.out, "added \"" + kCafe + "\" (" + sonkrate::ids::formatSoundId(id) + ")"))
        << added.out;
    EXPECT_EQ(testkit::u32(testkit::readFile(tpa), 24 + 56), id);

    // A folder build takes three sounds or more.
    for (const char* other : {"/door.cau", "/slam.cau"})
        testkit::writeFile(folder + other, testkit::readFile(cau));
    const std::string built = dir.file("built.tpa");
    auto dirBuilt = run(cli("build-dir " + quote(folder) + " " + quote(built)));
    ASSERT_EQ(dirBuilt.exitCode, 0) << dirBuilt.err;
    const testkit::Bytes table = testkit::readFile(built);
    ASSERT_GE(table.size(), 24u + 4 * 56);
    int holding = 0;
    for (std::size_t entry = 1; entry <= 3; ++entry) holding += testkit::u32(table, 24 + 56 * entry) == id;
    EXPECT_EQ(holding, 1);
    testkit::expectGameReads(built);

    auto listed = run(cli("make-eel " + quote(folder) + " sounds"));
    ASSERT_EQ(listed.exitCode, 0) << listed.err;
    EXPECT_TRUE(contains(testkit::readText(folder + "/sounds.eel"), "\r\nCaf" + testkit::storedEAcute() + "\r\n"));
}

// A name database written by an older tool holds names in the ANSI code
// page: they print, and go into JSON, as UTF-8.
TEST(GameTextCli, NamesFromAnAnsiDatabasePrintAsUtf8) {
    expectCodePage1252();
    testkit::ScratchDir dir;
    const std::string tpa = dir.file("a.tpa");
    ASSERT_EQ(run(cli("new " + quote(tpa))).exitCode, 0);
    const std::string id = firstSoundId(tpa);
    ASSERT_EQ(id.size(), 8u);
    const std::string db = dir.file("SndIds.dat");
    testkit::writeText(db, "\"" + id + "\" \"caf\xE9 d\x92or\"\r\n");
    const std::string shown = "caf\xC3\xA9 d\xE2\x80\x99or";  // "café d’or"

    auto looked = run(cli("lookup " + id + " --db " + quote(db)));
    EXPECT_EQ(looked.out, shown + "\n");
    auto rows = run(cli("list " + quote(tpa) + " --db " + quote(db)));
    EXPECT_TRUE(contains(rows.out, shown)) << rows.out;

    auto listed = run(cli("list " + quote(tpa) + " --json --db " + quote(db)));
    ASSERT_EQ(listed.exitCode, 0) << listed.err;
    EXPECT_TRUE(contains(listed.out, "\"name\": \"" + shown + "\"")) << listed.out;
    EXPECT_TRUE(sonkrate::io::utf16FromUtf8(listed.out).has_value());
#if !defined(_WIN32)
    if (testkit::haveTool("python3")) {
        testkit::writeText(dir.file("list.json"), listed.out);
        auto parsed = run("python3 -c \"import json, sys; sys.exit(json.load(open(sys.argv[1], encoding='utf-8'))[0]"
                          "['name'] != 'caf\\u00e9 d\\u2019or')\" " +
                          quote(dir.file("list.json")));
        EXPECT_EQ(parsed.exitCode, 0) << parsed.err;
    }
#endif
}
