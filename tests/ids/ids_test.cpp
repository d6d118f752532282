#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "ids/id_log.h"
#include "ids/sound_id.h"
#include "ids/sound_id_database.h"
#include "testkit/testkit.h"

using namespace sonkrate::ids;

TEST(SoundId, CrcOfTheLowerCasedNameInEightDigits) {
    EXPECT_EQ(computeSoundId("missing"), 0xF0A07BD9u);
    EXPECT_EQ(computeSoundId("MISSING"), 0xF0A07BD9u);
    EXPECT_EQ(computeSoundId("MiSsInG"), 0xF0A07BD9u);
    EXPECT_EQ(computeSoundId("abc"), 0x352441C2u);
    EXPECT_EQ(computeSoundId(""), 0u);
    // Nothing is trimmed or cut: the extension and blanks count.
    EXPECT_NE(computeSoundId("missing.cau"), computeSoundId("missing"));
    EXPECT_NE(computeSoundId(" missing"), computeSoundId("missing"));

    EXPECT_EQ(formatSoundId(0xF0A07BD9u), "f0a07bd9");
    EXPECT_EQ(formatSoundId(computeSoundId("snd1546")), "000774be");
    EXPECT_EQ(formatSoundId(0), "00000000");
    EXPECT_EQ(formatSoundId(0xF), "0000000f");

    EXPECT_EQ(parseSoundId("F0A07BD9"), 0xF0A07BD9u);
    EXPECT_EQ(parseSoundId("0xf0a07bd9"), 0xF0A07BD9u);
    EXPECT_EQ(parseSoundId("774be"), 0x774BEu);
    EXPECT_FALSE(parseSoundId(""));
    EXPECT_FALSE(parseSoundId("0x"));
    EXPECT_FALSE(parseSoundId("123456789"));
    EXPECT_FALSE(parseSoundId("f0a07bdg"));
    EXPECT_FALSE(parseSoundId("-1"));
}

TEST(SoundId, AgreesWithZlibOnNamesOfEveryKind) {
    if (!testkit::haveTool("python3")) GTEST_SKIP() << "python3 is not installed";
    // Bytes above 0x7F are hashed as they are; only A-Z are lower-cased.
    const std::string names[] = {"Door_Slam", "MUSIC - MAYAN FACE/JEEP", "x", "\xC4\xD6\xDC-sound", "a b\tc"};
    std::string script = "import zlib\nfor h in [";
    std::string expected;
    for (const std::string& name : names) {
        std::string lower;
        for (char c : name) lower += (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
        script += "'";
        for (unsigned char c : lower) {
            char buf[4];
            std::snprintf(buf, sizeof buf, "%02x", c);
            script += buf;
        }
        script += "',";
        expected += formatSoundId(computeSoundId(name)) + "\n";
    }
    script += "]: print('%08x' % zlib.crc32(bytes.fromhex(h)))\n";
    auto r = testkit::run("python3 -c " + testkit::quote(script));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, expected);
}

TEST(SoundIdDatabase, AppendedRecordsAreCrLfLinesThatLookupsFind) {
    testkit::ScratchDir dir;
    const std::string db = dir.file("SndIds.dat");
    ASSERT_TRUE(appendSoundIdRecord(db, "Door_Slam"));
    ASSERT_TRUE(appendSoundIdRecord(db, "snd1546"));
    EXPECT_EQ(testkit::readText(db), "\"18b8c4f8\" \"door_slam\"\r\n\"000774be\" \"snd1546\"\r\n");

    SoundNameLookup found = lookupSoundName(db, 0x774BE);
    EXPECT_TRUE(found.found);
    EXPECT_EQ(found.name, "snd1546");
    EXPECT_EQ(found.displayName, "  \"snd1546\"");
    EXPECT_EQ(found.key, "000774BE");
    EXPECT_EQ(lookupSoundName(db, computeSoundId("DOOR_SLAM")).name, "door_slam");

    SoundNameLookup absent = lookupSoundName(db, 0x12345678);
    EXPECT_FALSE(absent.found);
    EXPECT_EQ(absent.name, "unknown");
    EXPECT_EQ(absent.displayName, " unknown");
    EXPECT_EQ(absent.key, "12345678");

    SoundNameLookup noFile = lookupSoundName(dir.file("none.dat"), 0xF0A07BD9u);
    EXPECT_EQ(noFile.name, "unknown");
    EXPECT_EQ(noFile.key, "F0A07BD9");

    EXPECT_FALSE(appendSoundIdRecord(dir.file("no/such/folder/SndIds.dat"), "x"));
}

TEST(SoundIdDatabase, LookupTakesTheFirstTokenEqualToTheKeyInEitherCase) {
    testkit::ScratchDir dir;
    const std::string db = dir.file("SndIds.dat");

    // Upper-case digits written by others, LF line ends, first match wins.
    testkit::writeText(db, "\"12345678\" \"other\"\n\"F0A07BD9\" \"MISSING\"\n\"f0a07bd9\" \"second\"\n");
    EXPECT_EQ(lookupSoundName(db, 0xF0A07BD9u).name, "MISSING");
    EXPECT_EQ(lookupSoundName(db, 0xF0A07BD9u).displayName, "  \"MISSING\"");

    // A name token that equals the key matches too; the rest of its line is
    // empty, so the answer is unknown and the later real line is not reached.
    testkit::writeText(db, "\"00000001\" \"f0a07bd9\"\r\n\"f0a07bd9\" \"missing\"\r\n");
    EXPECT_EQ(lookupSoundName(db, 0xF0A07BD9u).name, "unknown");
    EXPECT_EQ(lookupSoundName(db, 1).name, "f0a07bd9");

    // Keys inside a longer token or without quotes do not match.
    testkit::writeText(db, "\"f0a07bd9x\" \"a\"\r\nf0a07bd9 \"b\"\r\n");
    EXPECT_EQ(lookupSoundName(db, 0xF0A07BD9u).name, "unknown");

    // A match whose line holds too little for a name gives unknown.
    testkit::writeText(db, "\"f0a07bd9\" \"");
    EXPECT_EQ(lookupSoundName(db, 0xF0A07BD9u).name, "unknown");
    testkit::writeText(db, "\"f0a07bd9\" \"\"\r\n");
    EXPECT_EQ(lookupSoundName(db, 0xF0A07BD9u).name, "unknown");
}

TEST(SoundIdDatabase, AHugeFileWithoutQuotesOrLineEndsIsReadInBoundedPieces) {
    testkit::ScratchDir dir;
    const std::string db = dir.file("SndIds.dat");
    std::string junk(3 * 1024 * 1024, 'a');
    std::string longName(200000, 'n');
    testkit::writeText(db, junk + "\"\"f0a07bd9\" \"" + longName + "\"");
    SoundNameLookup r = lookupSoundName(db, 0xF0A07BD9u);
    EXPECT_TRUE(r.found);
    // The name line is kept only to a bounded length.
    EXPECT_LT(r.name.size(), 10000u);
    EXPECT_EQ(r.name.substr(0, 10), "nnnnnnnnnn");
}

TEST(IdLog, ListFileNamesDropTheLastExtension) {
    EXPECT_EQ(idListPathFor("out/name_SampleIDs.txt"), "out/name_SampleIDs_list.txt");
    EXPECT_EQ(idListPathFor("nameIDs_.txt"), "nameIDs__list.txt");
    // Only the file name's own dot counts, not one in a folder name.
    EXPECT_EQ(idListPathFor("my.dir/log"), "my.dir/log_list.txt");
}

TEST(IdLog, ConversionWritesUpperCaseListLinesAndDeletesTheLog) {
    testkit::ScratchDir dir;
    const std::string log = dir.file("name_SampleIDs.txt");
    ASSERT_TRUE(appendLogLine(log, ingameSampleLogLine("Door_Slam")));
    ASSERT_TRUE(appendLogLine(log, ingameIdLogLine("snd1546")));
    EXPECT_EQ(testkit::readText(log), "INGAME SAMPLE: Door_Slam\r\n Ingame_ID (string sample): snd1546\r\n");

    IdListResult r = convertIdLog(log);
    ASSERT_TRUE(r.outcome) << r.outcome.reason;
    EXPECT_EQ(r.listPath, dir.file("name_SampleIDs_list.txt"));
    EXPECT_EQ(r.soundCount, 2u);
    EXPECT_EQ(testkit::readText(r.listPath), "\"18B8C4F8\" \"DOOR_SLAM\"\r\n\"000774BE\" \"SND1546\"\r\n");
    EXPECT_FALSE(testkit::fileExists(log));
}

TEST(IdLog, ALineWithoutAColonEndsTheListAndLfLogsAreRead) {
    testkit::ScratchDir dir;
    const std::string log = dir.file("nameIDs_.txt");
    testkit::writeText(log, "INGAME SAMPLE: abc\nLabel: \nno colon here\nINGAME SAMPLE: after\n");
    IdListResult r = convertIdLog(log);
    ASSERT_TRUE(r.outcome) << r.outcome.reason;
    EXPECT_EQ(r.listPath, dir.file("nameIDs__list.txt"));
    EXPECT_EQ(r.soundCount, 2u);
    // An empty name still gets its line: the identifier of "" is 0.
    EXPECT_EQ(testkit::readText(r.listPath), "\"352441C2\" \"ABC\"\r\n\"00000000\" \"\"\r\n");
    EXPECT_FALSE(testkit::fileExists(log));
}

TEST(IdLog, AMissingLogGivesAnEmptyListAndAnUnwritableListKeepsTheLog) {
    testkit::ScratchDir dir;
    IdListResult missing = convertIdLog(dir.file("gone_SampleIDs.txt"));
    ASSERT_TRUE(missing.outcome) << missing.outcome.reason;
    EXPECT_EQ(missing.soundCount, 0u);
    ASSERT_TRUE(testkit::fileExists(dir.file("gone_SampleIDs_list.txt")));
    EXPECT_EQ(testkit::fileSize(dir.file("gone_SampleIDs_list.txt")), 0u);

    // A folder where the list file should go: the list cannot be written,
    // so the log must survive for another try.
    const std::string log = dir.file("keep_SampleIDs.txt");
    testkit::writeText(log, "INGAME SAMPLE: x\r\n");
    std::filesystem::create_directory(dir.file("keep_SampleIDs_list.txt"));
    IdListResult blocked = convertIdLog(log);
    EXPECT_FALSE(blocked.outcome);
    EXPECT_NE(blocked.outcome.reason.find("keep_SampleIDs_list.txt"), std::string::npos) << blocked.outcome.reason;
    EXPECT_EQ(testkit::readText(log), "INGAME SAMPLE: x\r\n");
}
