// sonkrate-cli names on a made-up game folder: names found in binaries,
// UTF-16 resources and scripts, varied and guessed, appended to the name
// database in its own format, and nothing appended the second time.
#include <gtest/gtest.h>

#include <filesystem>

#if !defined(_WIN32)
#include <unistd.h>
#endif

#include "archive/archive_builder.h"
#include "ids/sound_id.h"
#include "testkit/testkit.h"

using testkit::quote;
using testkit::run;
using sonkrate::ids::computeSoundId;
using sonkrate::ids::formatSoundId;

namespace {

std::string cli(const std::string& args) { return quote(SONKRATE_CLI_PATH) + " " + args; }

// An archive with one small image per identifier.
void writeArchive(const std::string& path, const std::vector<std::string>& names, std::uint32_t extraId = 0) {
    std::vector<archive_test::Image> images;
    for (const std::string& n : names) images.push_back({computeSoundId(n), archive_test::pcmImage(11025, 1, 8)});
    if (extraId) images.push_back({extraId, archive_test::pcmImage(11025, 1, 8)});
    testkit::writeFile(path, testkit::Bytes(archive_test::retailArchive(images)));
}

// A path as the tool shows it in JSON: the system's separators, backslashes escaped.
std::string jsonPath(const std::string& path) {
    std::string shown;
    for (char c : std::filesystem::path(path).make_preferred().string())
        shown += c == '\\' ? std::string("\\\\") : std::string(1, c);
    return shown;
}

std::string dbLine(const std::string& name) {
    std::string line = "\"";
    line += formatSoundId(computeSoundId(name));
    line += "\" \"" + name + "\"\r\n";
    return line;
}

// The game folder: an executable with names between zeros and junk, a
// resource in UTF-16LE, a level script.
void writeGame(const testkit::ScratchDir& dir) {
    std::filesystem::create_directories(dir.file("game/data"));
    std::filesystem::create_directories(dir.file("game/scripts"));
    std::string exe(3000, '\x01');
    for (std::size_t i = 0; i < exe.size(); ++i) exe[i] = static_cast<char>((i * 37) % 251);
    exe.insert(1000, std::string("\0DINO - RAPT DIST A\0", 20));
    exe.insert(2000, std::string("\0\x02snd_door_17\0", 15));
    testkit::writeText(dir.file("game/game.exe"), exe);
    std::string wide = "\xFF\xFE";
    for (char c : std::string("Unicode-Name")) wide += std::string{c, '\0'};
    testkit::writeText(dir.file("game/res.dat"), wide + std::string(2, '\0'));
    testkit::writeText(dir.file("game/scripts/level.scn"),
                       "Object Door { Sound=\"amb-pv-b01\"; Volume=3 }\r\n"
                       "Path m:\\workingaudio\\amb\\air-exterior-01.cau\r\n");
}

}  // namespace

TEST(NamesCli, NamesAGameFolderIntoTheDatabaseOnceAndKeepsWhatWasThere) {
    testkit::ScratchDir dir;
    writeGame(dir);
    const std::string tpa = dir.file("game/data/ambient.tpa"), db = dir.file("SndIds.dat");
    writeArchive(tpa, {"amb-pv-b01", "amb-pv-b07", "air-exterior-01", "dino - rapt dist a", "dino - rapt dist b",
                       "snd_door_17", "unicode-name", "missing"},
                 0x12345678);
    // A line of another tool, upper-case digits: kept, and its name not sought.
    const std::string before = "\"F0A07BD9\" \"missing\"\r\n";
    testkit::writeText(db, before);

    auto first = run(cli("names " + quote(dir.file("game/data")) + " --from " + quote(dir.file("game")) + " --db " +
                         quote(db)));
    ASSERT_EQ(first.exitCode, 0) << first.err;
    EXPECT_NE(first.out.find("ambient.tpa: 8 of 9 identifiers named (7 new: 5 found, 2 varied); 1 unknown\n"
                             "  12345678\n"),
              std::string::npos)
        << first.out;
    // Found in the order of the records, lower-cased, CR LF, after what was there.
    EXPECT_EQ(testkit::readText(db), before + dbLine("amb-pv-b01") + dbLine("amb-pv-b07") + dbLine("air-exterior-01") +
                                         dbLine("dino - rapt dist a") + dbLine("dino - rapt dist b") +
                                         dbLine("snd_door_17") + dbLine("unicode-name"));

    auto second = run(cli("names " + quote(tpa) + " --from " + quote(dir.file("game")) + " --db " + quote(db)));
    ASSERT_EQ(second.exitCode, 0) << second.err;
    EXPECT_NE(second.out.find("ambient.tpa: 8 of 9 identifiers named (0 new: 0 found, 0 varied); 1 unknown"),
              std::string::npos)
        << second.out;
    EXPECT_EQ(testkit::readText(db), before + dbLine("amb-pv-b01") + dbLine("amb-pv-b07") + dbLine("air-exterior-01") +
                                         dbLine("dino - rapt dist a") + dbLine("dino - rapt dist b") +
                                         dbLine("snd_door_17") + dbLine("unicode-name"));

    // Without --db nothing is written, and --no-vary leaves b07 and the second dino unknown.
    auto plain = run(cli("names " + quote(tpa) + " --from " + quote(dir.file("game")) + " --no-vary"));
    ASSERT_EQ(plain.exitCode, 0) << plain.err;
    EXPECT_NE(plain.out.find("ambient.tpa: 5 of 9 identifiers named (5 new: 5 found, 0 varied); 4 unknown"),
              std::string::npos)
        << plain.out;
    EXPECT_FALSE(testkit::fileExists(dir.file("game/SndIds.dat")));
}

TEST(NamesCli, JsonSaysHowEachNameCameAndWhereItStands) {
    testkit::ScratchDir dir;
    writeGame(dir);
    const std::string tpa = dir.file("a.tpa");
    writeArchive(tpa, {"amb-pv-b01", "amb-pv-b02", "unicode-name"}, 0x0000BEEF);
    writeArchive(dir.file("b.tpa"), {}, 0xDEAD);
    const std::string db = dir.file("SndIds.dat");
    testkit::writeText(db, "\"0000BEEF\" \"beef sound\"\r\n");
    auto r = run(cli("names " + quote(tpa) + " " + quote(dir.file("b.tpa")) + " --from " + quote(dir.file("game")) +
                     " --json --guess " + quote("AMB-PV-B0#") + " --db " + quote(db)));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string script = dir.file("game/scripts/level.scn");
    const std::string text = testkit::readText(script);
    const std::string offset = std::to_string(text.find("amb-pv-b01"));
    EXPECT_NE(r.out.find("{\"archive\": " + std::string("\"") + jsonPath(tpa) + "\", \"index\": 0, \"soundId\": \"" +
                         formatSoundId(computeSoundId("amb-pv-b01")) + "\", \"name\": \"amb-pv-b01\", \"how\": \"found\", "
                         "\"source\": {\"path\": \"" + jsonPath(script) + "\", \"offset\": " + offset + "}}"),
              std::string::npos)
        << r.out;
    // The same name guessed again is no alternative; b02 comes from the pattern
    // before any variation could name it.
    EXPECT_NE(r.out.find("\"name\": \"amb-pv-b02\", \"how\": \"guessed\", \"source\": null}"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"name\": \"unicode-name\", \"how\": \"found\", \"source\": {\"path\": \"" +
                         jsonPath(dir.file("game/res.dat")) + "\", \"offset\": 2}"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("\"index\": 3, \"soundId\": \"0000beef\", \"name\": \"beef sound\", \"how\": \"database\", "
                         "\"source\": null}"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("b.tpa\", \"index\": 0, \"soundId\": \"0000dead\", \"name\": null, \"how\": null, \"source\": null}"),
              std::string::npos)
        << r.out;
    EXPECT_EQ(r.out.find("guessed: "), std::string::npos);  // JSON only
}

TEST(NamesCli, PatternsNameFamiliesFromNoFilesAndBadOnesAreRefusedFirst) {
    testkit::ScratchDir dir;
    const std::string tpa = dir.file("effects.tpa"), db = dir.file("SndIds.dat");
    writeArchive(tpa, {"dino - rapt dist a", "dino - rapt dist q", "dino - rapt dist z", "ceo-xq7z2k"});
    auto r = run(cli("names " + quote(tpa) + " --guess " + quote("DINO - RAPT DIST @") + " --db " + quote(db)));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("guessed: " + formatSoundId(computeSoundId("dino - rapt dist q")) + " dino - rapt dist q\n"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("effects.tpa: 3 of 4 identifiers named (3 new: 0 found, 0 varied, 3 guessed); 1 unknown"),
              std::string::npos)
        << r.out;
    EXPECT_EQ(testkit::readText(db),
              dbLine("dino - rapt dist a") + dbLine("dino - rapt dist q") + dbLine("dino - rapt dist z"));

    // Six unknowns: 3.5 billion names against the one identifier left.
    auto six = run(cli("names " + quote(tpa) + " --guess " + quote("ceo-??????") + " --db " + quote(db) + " --no-vary"));
    ASSERT_EQ(six.exitCode, 0) << six.err;
    EXPECT_NE(six.out.find("guessed: " + formatSoundId(computeSoundId("ceo-xq7z2k")) + " ceo-xq7z2k\n"),
              std::string::npos)
        << six.out;

    const std::string kept = testkit::readText(db);
    std::vector<std::string> refusals = {"?" "???????", "", "a\tb"};
#if !defined(_WIN32)
    refusals.push_back("ab\\");  // cmd.exe cannot pass a backslash before the closing quotation mark
#endif
    for (const std::string& bad : refusals) {
        auto refused = run(cli("names " + quote(tpa) + " --from " + quote(dir.file("nonexistent")) + " --guess " +
                               quote(bad) + " --db " + quote(db)));
        EXPECT_EQ(refused.exitCode, 2) << bad;
        EXPECT_NE(refused.err.find("The pattern"), std::string::npos) << refused.err;
        EXPECT_EQ(refused.err.find("nonexistent"), std::string::npos) << "refused before anything else: " << refused.err;
    }
    auto absent = run(cli("names " + quote(tpa) + " --from " + quote(dir.file("nothing-here"))));
    EXPECT_EQ(absent.exitCode, 1);
    EXPECT_NE(absent.err.find("nothing-here"), std::string::npos) << absent.err;
    EXPECT_EQ(testkit::readText(db), kept);
}

#if !defined(_WIN32)
TEST(NamesCli, UnreadableFilesAreNamedAndSkipped) {
    if (geteuid() == 0) GTEST_SKIP() << "root reads every file";
    testkit::ScratchDir dir;
    std::filesystem::create_directories(dir.file("game"));
    testkit::writeText(dir.file("game/a.txt"), "wind-01\n");
    testkit::writeText(dir.file("game/locked.txt"), "rain-01\n");
    std::filesystem::permissions(dir.file("game/locked.txt"), std::filesystem::perms::none);
    writeArchive(dir.file("x.tpa"), {"wind-01", "rain-01"});
    auto r = run(cli("names " + quote(dir.file("x.tpa")) + " --from " + quote(dir.file("game")) + " --no-vary"));
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.err.find("locked.txt"), std::string::npos) << r.err;
    EXPECT_NE(r.out.find("x.tpa: 1 of 2 identifiers named"), std::string::npos) << r.out;
}
#endif

TEST(NamesCli, NamesOfTheDatabaseSeedVariationsAndANameWithAQuoteIsSaidNotWritten) {
    testkit::ScratchDir dir;
    std::filesystem::create_directories(dir.file("game"));
    // Only a name with a quotation mark stands in the files; amb-wind-05 stands nowhere.
    testkit::writeText(dir.file("game/level.scn"), std::string("\x01say\"hi\x01", 8));
    const std::string tpa = dir.file("ambient.tpa"), db = dir.file("SndIds.dat");
    writeArchive(tpa, {"amb-wind-01", "amb-wind-05", "say\"hi"});
    const std::string before = dbLine("amb-wind-01");
    testkit::writeText(db, before);

    auto r = run(cli("names " + quote(tpa) + " --from " + quote(dir.file("game")) + " --db " + quote(db)));
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(testkit::readText(db), before + dbLine("amb-wind-05"));
    const std::string id = formatSoundId(computeSoundId("say\"hi"));
    EXPECT_NE(r.err.find("warning: the name of " + id + ", say\"hi, holds a quotation mark"), std::string::npos)
        << r.err;
    EXPECT_NE(r.out.find("3 of 3 identifiers named (2 new: 1 found, 1 varied)"), std::string::npos) << r.out;

    // Without the database's name there is nothing to vary from.
    testkit::writeText(db, "");
    auto bare = run(cli("names " + quote(tpa) + " --from " + quote(dir.file("game")) + " --db " + quote(db)));
    EXPECT_EQ(testkit::readText(db), "");
    EXPECT_NE(bare.out.find("1 of 3 identifiers named"), std::string::npos) << bare.out;
}
