// The archive-writing commands driven as a user would: new, add (of a .cau
// and of a .wav), build-dir, export-all and beta-to-retail, their exit codes,
// and an add that runs out of file size part-way.
#include <gtest/gtest.h>

#include "archive/archive_builder.h"
#include "archive/edit/default_sound.h"
#include "ids/sound_id.h"
#include "testkit/game_reader.h"
#include "testkit/testkit.h"

using testkit::Bytes;
using testkit::quote;
using testkit::run;
using testkit::u32;

namespace {

std::string cli(const std::string& args) { return quote(SONKRATE_CLI_PATH) + " " + args; }

}  // namespace

TEST(ArchiveCli, NewAndAddWithBackupLogDatabaseAndWav) {
    testkit::ScratchDir dir;
    const std::string tpa = dir.file("Game.tpa"), cau = dir.file("Door_Slam.cau");
    ASSERT_EQ(run(cli("new " + quote(tpa))).exitCode, 0);
    testkit::expectGameReads(tpa);
    const Bytes fresh = testkit::readFile(tpa);
    EXPECT_EQ(fresh, sonkrate::archive::newArchiveImage());
    testkit::writeFile(cau, archive_test::pcmImage(11025, 1, 1362));

    auto added = run(cli("add " + quote(tpa) + " " + quote(cau) + " --db " + quote(dir.file("SndIds.dat")) +
                         " --log " + quote(dir.file("tpa_logs.log"))));
    ASSERT_EQ(added.exitCode, 0) << added.err;
    EXPECT_EQ(testkit::fileSize(tpa), 89770u);
    testkit::expectGameReads(tpa);
    EXPECT_EQ(testkit::readFile(dir.file("Game.tpa.backup")), fresh);
    EXPECT_NE(testkit::readText(dir.file("tpa_logs.log")).find("Door_Slam"), std::string::npos);
    EXPECT_NE(testkit::readText(dir.file("SndIds.dat")).find("\"door_slam\""), std::string::npos);

    Bytes cut = testkit::readFile(cau);
    cut.pop_back();
    testkit::writeFile(dir.file("cut.cau"), cut);
    auto refused = run(cli("add " + quote(tpa) + " " + quote(dir.file("cut.cau"))));
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find("cut.cau"), std::string::npos) << refused.err;
    EXPECT_EQ(testkit::fileSize(tpa), 89770u);
    EXPECT_EQ(run(cli("add " + quote(tpa))).exitCode, 2);

    // A .wav is wrapped first and the .cau made for it not kept; a refused one is explained.
    if (!testkit::haveTool("sox")) return;
    const std::string wav = dir.file("tone.wav"), alaw = dir.file("alaw.wav");
    ASSERT_EQ(run("sox -n -r 11025 -c 1 -b 16 " + quote(wav) + " synth 0.1 sine 500").exitCode, 0);
    ASSERT_EQ(run("sox -n -r 8000 -c 1 -e a-law " + quote(alaw) + " synth 0.1 sine 500").exitCode, 0);
    added = run(cli("add " + quote(tpa) + " " + quote(wav) + " --name=Beep"));
    ASSERT_EQ(added.exitCode, 0) << added.err;
    Bytes b = testkit::readFile(tpa);
    EXPECT_EQ(u32(b, 20), 3u);
    EXPECT_EQ(u32(b, 24 + 2 * 56), sonkrate::ids::computeSoundId("beep"));
    EXPECT_EQ(u32(b, 24 + 2 * 56 + 8), 36u + (testkit::fileSize(wav) - 44));
    EXPECT_EQ(testkit::readFile(dir.file("Game.tpa.backup")), fresh);
    testkit::expectGameReads(tpa);
    refused = run(cli("add " + quote(tpa) + " " + quote(alaw)));
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find("alaw.wav holds A-law"), std::string::npos) << refused.err;
    EXPECT_NE(refused.err.find("sox \"" + alaw + "\" -b 16"), std::string::npos) << refused.err;
    EXPECT_EQ(testkit::readFile(tpa), b);
    EXPECT_EQ(run("ls -A " + quote(dir.path())).out,
              "Door_Slam.cau\nGame.tpa\nGame.tpa.backup\nSndIds.dat\nalaw.wav\ncut.cau\ntone.wav\ntpa_logs.log\n");

    // A name already in the archive is added all the same, with a warning
    // naming the entry that holds it and the command that replaces it.
    EXPECT_EQ(run(cli("add " + quote(tpa) + " " + quote(cau) + " --name Tone")).err, "");
    added = run(cli("add " + quote(tpa) + " " + quote(cau) + " --name BEEP"));
    ASSERT_EQ(added.exitCode, 0) << added.err;
    EXPECT_NE(added.err.find("warning: " + tpa + " already held \"BEEP\" (" +
                             sonkrate::ids::formatSoundId(sonkrate::ids::computeSoundId("beep")) + ") as entry 2"),
              std::string::npos)
        << added.err;
    EXPECT_NE(added.err.find("sonkrate-cli replace"), std::string::npos) << added.err;
    b = testkit::readFile(tpa);
    EXPECT_EQ(u32(b, 20), 5u);
    EXPECT_EQ(u32(b, 24 + 4 * 56), u32(b, 24 + 2 * 56));
}

#ifndef _WIN32  // the file size limit is set by a POSIX shell
TEST(ArchiveCli, AnAddStoppedByTheFileSizeLimitLeavesNoTrace) {
    testkit::ScratchDir dir;
    std::vector<archive_test::Image> images;
    for (std::uint32_t i = 0; i < 20; ++i) images.push_back({i, archive_test::pcmImage(22050, 2, 40000)});
    const Bytes original = archive_test::retailArchive(images);
    const std::string tpa = dir.file("big.tpa");
    testkit::writeFile(tpa, original);
    testkit::writeFile(dir.file("s.cau"), archive_test::pcmImage(11025, 1, 5000));
    testkit::writeFile(dir.file("big.tpa.backup"), Bytes(3, 0));  // no backup needed
    // 400 blocks of 512 bytes, far less than the new archive; the tool itself
    // turns the signal of the limit into a failed write.
    auto r = run("sh -c " + quote("ulimit -f 400; exec " + cli("add " + quote(tpa) + " " + quote(dir.file("s.cau")))));
    EXPECT_EQ(r.exitCode, 1) << r.err;
    EXPECT_EQ(testkit::readFile(tpa), original);
    EXPECT_EQ(run("ls -A " + quote(dir.path())).out, "big.tpa\nbig.tpa.backup\ns.cau\n");
}
#endif

TEST(ArchiveCli, BuildExportAndBetaConversion) {
    testkit::ScratchDir dir;
    run("mkdir " + quote(dir.file("caus")));
    const Bytes a = archive_test::pcmImage(11025, 1, 2000), b = archive_test::pcmImage(22050, 2, 4000, true);
    testkit::writeFile(dir.file("caus/a.cau"), a);
    testkit::writeFile(dir.file("caus/b.cau"), b);
    const std::string tpa = dir.file("built.tpa"), build = "build-dir " + quote(dir.file("caus")) + " " + quote(tpa);
    EXPECT_EQ(run(cli(build)).exitCode, 1);
    EXPECT_FALSE(testkit::fileExists(tpa));
    testkit::writeFile(dir.file("caus/c.cau"), a);
    ASSERT_EQ(run(cli(build)).exitCode, 0);
    testkit::expectGameReads(tpa);

    // SoX reads an exported .wav as the PCM the image holds.
    auto wav = run(cli("export-all " + quote(tpa) + " " + quote(dir.file("wavs")) + " --wav"));
    ASSERT_EQ(wav.exitCode, 0) << wav.err;
    const std::string w = dir.file("wavs/built_2.wav");
    if (testkit::haveTool("sox")) {
        EXPECT_EQ(run("sox --i -r " + quote(w)).out + run("sox --i -c " + quote(w)).out, "22050\n2\n");
        ASSERT_EQ(run("sox " + quote(w) + " -t raw " + quote(dir.file("b.raw"))).exitCode, 0);
        EXPECT_EQ(testkit::readFile(dir.file("b.raw")), Bytes(b.end() - 4000, b.end()));
    }

    testkit::writeFile(dir.file("Beta.tpa"), archive_test::betaArchive(0x140, 24, {{1, a}, {2, b}}));
    ASSERT_EQ(run(cli("beta-to-retail " + quote(dir.file("Beta.tpa")))).exitCode, 0);
    testkit::expectGameReads(dir.file("altbeta.tpa"));
    EXPECT_EQ(testkit::fileSize(dir.file("altbeta.tpa")), testkit::fileSize(dir.file("Beta.tpa")) + 2 * 32);
    EXPECT_EQ(run(cli("beta-to-retail " + quote(tpa))).exitCode, 1);
}

// replace and remove by name and by identifier, a .wav converted first, the
// refusals with their reasons and exit codes, the archive left as it was.
TEST(ArchiveCli, ReplaceAndRemove) {
    testkit::ScratchDir dir;
    const std::string tpa = dir.file("Game.tpa"), door = dir.file("door.cau"), bell = dir.file("bell.cau");
    ASSERT_EQ(run(cli("new " + quote(tpa))).exitCode, 0);
    const Bytes fresh = testkit::readFile(tpa);
    testkit::writeFile(door, archive_test::pcmImage(11025, 1, 1362));
    testkit::writeFile(bell, archive_test::pcmImage(22050, 2, 800, true));
    ASSERT_EQ(run(cli("add " + quote(tpa) + " " + quote(door) + " --name Door")).exitCode, 0);
    ASSERT_EQ(run(cli("add " + quote(tpa) + " " + quote(door) + " --name Rain")).exitCode, 0);
    const Bytes two = testkit::readFile(tpa);

    auto replaced = run(cli("replace " + quote(tpa) + " DOOR " + quote(bell)));
    ASSERT_EQ(replaced.exitCode, 0) << replaced.err;
    EXPECT_NE(replaced.out.find("in 1 entry (1)"), std::string::npos) << replaced.out;
    Bytes b = testkit::readFile(tpa);
    EXPECT_EQ(b.size(), two.size() - 1398 + 861);
    EXPECT_EQ(u32(b, 24 + 56 + 8), 861u);
    EXPECT_EQ(Bytes(b.end() - 1398, b.end()), testkit::readFile(door));  // Rain's image, moved
    EXPECT_EQ(testkit::readFile(dir.file("Game.tpa.backup")), fresh);  // the first add's backup stays
    testkit::expectGameReads(tpa);

    // By identifier; the backup of a later change is not made again.
    const std::string id = sonkrate::ids::formatSoundId(sonkrate::ids::computeSoundId("door"));
    ASSERT_EQ(run(cli("replace " + quote(tpa) + " " + id + " " + quote(door))).exitCode, 0);
    EXPECT_EQ(testkit::readFile(tpa), two);
    if (testkit::haveTool("sox")) {
        const std::string wav = dir.file("tone.wav");
        ASSERT_EQ(run("sox -n -r 11025 -c 1 -b 16 " + quote(wav) + " synth 0.05 sine 500").exitCode, 0);
        auto fromWav = run(cli("replace " + quote(tpa) + " rain " + quote(wav)));
        ASSERT_EQ(fromWav.exitCode, 0) << fromWav.err;
        b = testkit::readFile(tpa);
        EXPECT_EQ(u32(b, 24 + 2 * 56 + 8), 36 + testkit::fileSize(wav) - 44);
        testkit::expectGameReads(tpa);
        ASSERT_EQ(run(cli("replace " + quote(tpa) + " rain " + quote(door))).exitCode, 0);
    }

    // Refusals: a name not held, "missing", a beta archive; usage errors.
    for (const std::string& args : {"replace " + quote(tpa) + " ghost " + quote(door), "remove " + quote(tpa) + " door ghost",
                                    "remove " + quote(tpa) + " MISSING"}) {
        auto refused = run(cli(args));
        EXPECT_EQ(refused.exitCode, 1) << args;
        EXPECT_NE(refused.err.find(tpa), std::string::npos) << refused.err;
        EXPECT_EQ(testkit::readFile(tpa), two);
    }
    EXPECT_NE(run(cli("remove " + quote(tpa) + " missing")).err.find("cannot be removed"), std::string::npos);
    testkit::writeFile(dir.file("beta.tpa"), archive_test::betaArchive(0x130, 16, {{1, testkit::readFile(door)}}));
    EXPECT_NE(run(cli("remove " + quote(dir.file("beta.tpa")) + " 00000001")).err.find("beta layout"),
              std::string::npos);
    EXPECT_EQ(run(cli("replace " + quote(tpa) + " door")).exitCode, 2);
    EXPECT_EQ(run(cli("remove " + quote(tpa))).exitCode, 2);

    auto removed = run(cli("remove " + quote(tpa) + " door rain"));
    ASSERT_EQ(removed.exitCode, 0) << removed.err;
    EXPECT_EQ(testkit::readFile(tpa), fresh);
    testkit::expectGameReads(tpa);
}
