// The archive-writing commands driven as a user would: new, add, build-dir,
// export-all and beta-to-retail, their exit codes, and an add that runs out
// of file size part-way.
#include <gtest/gtest.h>

#include "archive/archive_builder.h"
#include "archive/default_sound.h"
#include "ids/sound_id.h"
#include "testkit/testkit.h"

using testkit::Bytes;
using testkit::quote;
using testkit::run;
using testkit::u32;

namespace {

std::string cli(const std::string& args) { return quote(SONKRATE_CLI_PATH) + " " + args; }

}  // namespace

TEST(ArchiveCli, NewAddBackupAndRefusals) {
    testkit::ScratchDir dir;
    const std::string tpa = dir.file("Game.tpa"), cau = dir.file("Door_Slam.cau");
    auto made = run(cli("new " + quote(tpa)));
    ASSERT_EQ(made.exitCode, 0) << made.err;
    EXPECT_EQ(testkit::readFile(tpa), sonkrate::archive::newArchiveImage());
    const Bytes fresh = testkit::readFile(tpa);
    testkit::writeFile(cau, archive_test::pcmImage(11025, 1, 1362));

    auto added = run(cli("add " + quote(tpa) + " " + quote(cau) + " --db " + quote(dir.file("SndIds.dat")) +
                         " --log " + quote(dir.file("tpa_logs.log"))));
    ASSERT_EQ(added.exitCode, 0) << added.err;
    EXPECT_EQ(testkit::fileSize(tpa), 89770u);
    EXPECT_EQ(testkit::readFile(dir.file("Game.tpa.backup")), fresh);
    EXPECT_EQ(testkit::readText(dir.file("tpa_logs.log")), " Ingame_ID (string sample): Door_Slam\r\n");
    EXPECT_NE(testkit::readText(dir.file("SndIds.dat")).find("\"door_slam\""), std::string::npos);

    added = run(cli("add " + quote(tpa) + " " + quote(cau) + " --name=Other"));
    ASSERT_EQ(added.exitCode, 0) << added.err;
    Bytes b = testkit::readFile(tpa);
    EXPECT_EQ(u32(b, 20), 3u);
    EXPECT_EQ(testkit::readFile(dir.file("Game.tpa.backup")), fresh);

    // A .cau cut short is refused, naming it; the archive stays.
    Bytes cut = testkit::readFile(cau);
    cut.resize(cut.size() - 2);
    testkit::writeFile(dir.file("cut.cau"), cut);
    auto refused = run(cli("add " + quote(tpa) + " " + quote(dir.file("cut.cau"))));
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find("cut.cau"), std::string::npos) << refused.err;
    EXPECT_EQ(testkit::readFile(tpa), b);

    EXPECT_EQ(run(cli("add " + quote(tpa))).exitCode, 2);
    EXPECT_EQ(run(cli("add " + quote(tpa) + " " + quote(cau) + " --bogus")).exitCode, 2);
    EXPECT_EQ(run(cli("new")).exitCode, 2);
    EXPECT_EQ(run(cli("new " + quote(dir.file("no/such/folder.tpa")))).exitCode, 1);

    // A .wav is wrapped first; the .cau made for it is not kept, a refused one explained.
    if (testkit::haveTool("sox")) {
        const std::string wav = dir.file("tone.wav"), alaw = dir.file("alaw.wav");
        ASSERT_EQ(run("sox -n -r 11025 -c 1 -b 16 " + quote(wav) + " synth 0.1 sine 500").exitCode, 0);
        ASSERT_EQ(run("sox -n -r 8000 -c 1 -e a-law " + quote(alaw) + " synth 0.1 sine 500").exitCode, 0);
        auto fromWav = run(cli("add " + quote(tpa) + " " + quote(wav)));
        ASSERT_EQ(fromWav.exitCode, 0) << fromWav.err;
        Bytes withWav = testkit::readFile(tpa);
        EXPECT_EQ(u32(withWav, 20), 4u);
        EXPECT_EQ(u32(withWav, 24 + 3 * 56), sonkrate::ids::computeSoundId("tone"));
        EXPECT_EQ(u32(withWav, 24 + 3 * 56 + 8), 36u + (testkit::fileSize(wav) - 44));
        auto refusedWav = run(cli("add " + quote(tpa) + " " + quote(alaw)));
        EXPECT_EQ(refusedWav.exitCode, 1);
        EXPECT_NE(refusedWav.err.find("Incorrect adpcm .wav type"), std::string::npos) << refusedWav.err;
        EXPECT_EQ(testkit::readFile(tpa), withWav);
        EXPECT_EQ(run("ls -A " + quote(dir.path()) + " | grep -c cau-").out, "0\n");
    }

    // The effects archive gets the effects add: auxValue 1.5.
    const std::string effects = dir.file("effects.tpa");
    ASSERT_EQ(run(cli("new " + quote(effects))).exitCode, 0);
    ASSERT_EQ(run(cli("add " + quote(effects) + " " + quote(cau))).exitCode, 0);
    EXPECT_EQ(u32(testkit::readFile(effects), 24 + 56 + 12), 0x3FC00000u);
    EXPECT_FALSE(testkit::fileExists(dir.file("effects.tpa.backup")));
}

TEST(ArchiveCli, AnAddStoppedByTheFileSizeLimitLeavesNoTrace) {
    testkit::ScratchDir dir;
    std::vector<archive_test::Image> images;
    for (std::uint32_t i = 0; i < 20; ++i) images.push_back({i, archive_test::pcmImage(22050, 2, 40000)});
    const Bytes original = archive_test::retailArchive(images);
    const std::string tpa = dir.file("big.tpa");
    testkit::writeFile(tpa, original);
    testkit::writeFile(dir.file("s.cau"), archive_test::pcmImage(11025, 1, 5000));
    testkit::writeFile(dir.file("big.tpa.backup"), Bytes(3, 0));  // no backup needed
    // 400 blocks of 512 bytes: far less than the new archive. The tool itself
    // turns the signal of the limit into a failed write.
    const std::string script = "ulimit -f 400; exec " +
                               cli("add " + quote(tpa) + " " + quote(dir.file("s.cau")));
    auto r = run("sh -c " + quote(script));
    EXPECT_EQ(r.exitCode, 1) << r.err;
    EXPECT_NE(r.err.find("was left as it was"), std::string::npos) << r.err;
    EXPECT_EQ(testkit::readFile(tpa), original);
    auto ls = run("ls -A " + quote(dir.path()));
    EXPECT_EQ(ls.out, "big.tpa\nbig.tpa.backup\ns.cau\n");
}

TEST(ArchiveCli, BuildExportAndBetaConversion) {
    testkit::ScratchDir dir;
    run("mkdir " + quote(dir.file("caus")));
    const Bytes a = archive_test::pcmImage(11025, 1, 2000), b = archive_test::pcmImage(22050, 2, 4000, true),
                c = archive_test::pcmImage(8000, 1, 600);
    testkit::writeFile(dir.file("caus/a.cau"), a);
    testkit::writeFile(dir.file("caus/b.cau"), b);
    const std::string tpa = dir.file("built.tpa");
    auto few = run(cli("build-dir " + quote(dir.file("caus")) + " " + quote(tpa)));
    EXPECT_EQ(few.exitCode, 1);
    EXPECT_FALSE(testkit::fileExists(tpa));
    testkit::writeFile(dir.file("caus/c.cau"), c);
    auto built = run(cli("build-dir " + quote(dir.file("caus")) + " " + quote(tpa)));
    ASSERT_EQ(built.exitCode, 0) << built.err;
    EXPECT_EQ(testkit::fileSize(tpa), 24 + 4 * 56 + 88236 + a.size() + b.size() + c.size());
    EXPECT_TRUE(testkit::fileExists(dir.file("built_SampleIDs_list.txt")));

    testkit::writeText(dir.file("SndIds.dat"), "\"f0a07bd9\" \"missing\"\r\n");
    auto cau = run(cli("export-all " + quote(tpa) + " " + quote(dir.file("out")) + " --db " +
                       quote(dir.file("SndIds.dat"))));
    ASSERT_EQ(cau.exitCode, 0) << cau.err;
    EXPECT_EQ(testkit::readFile(dir.file("out/missing.cau")), sonkrate::archive::defaultSoundImage());
    EXPECT_EQ(testkit::readFile(dir.file("out/built_2.cau")), b);

    auto wav = run(cli("export-all " + quote(tpa) + " " + quote(dir.file("wavs")) + " --wav"));
    ASSERT_EQ(wav.exitCode, 0) << wav.err;
    if (testkit::haveTool("sox")) {
        // SoX reads the exported .wav as the PCM that the image holds.
        const std::string w = dir.file("wavs/built_2.wav");
        EXPECT_EQ(run("sox --i -r " + quote(w)).out, "22050\n");
        EXPECT_EQ(run("sox --i -c " + quote(w)).out, "2\n");
        ASSERT_EQ(run("sox " + quote(w) + " -t raw " + quote(dir.file("b.raw"))).exitCode, 0);
        const std::size_t dataStart = b.size() - 4000;
        EXPECT_EQ(testkit::readFile(dir.file("b.raw")), Bytes(b.begin() + static_cast<long>(dataStart), b.end()));
    }

    testkit::writeFile(dir.file("Beta.tpa"), archive_test::betaArchive(0x140, 24, {{1, a}, {2, b}, {3, c}}));
    auto converted = run(cli("beta-to-retail " + quote(dir.file("Beta.tpa"))));
    ASSERT_EQ(converted.exitCode, 0) << converted.err;
    Bytes alt = testkit::readFile(dir.file("altbeta.tpa"));
    EXPECT_EQ(alt.size(), testkit::fileSize(dir.file("Beta.tpa")) + 3 * 32);
    auto info = run(cli("info " + quote(dir.file("altbeta.tpa")) + " --json"));
    EXPECT_NE(info.out.find("\"standardLayout\": true"), std::string::npos) << info.out;
    EXPECT_EQ(run(cli("beta-to-retail " + quote(tpa))).exitCode, 1);
}
