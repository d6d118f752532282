// unpack and pack driven as a user would, on archives the other commands
// write (new, add of .cau, .wav and IMA ADPCM, build-dir, build-eel): each
// unpacked and packed again gives the same bytes in both forms, and the
// folder's sounds are what SoX reads.
#include <gtest/gtest.h>

#include <filesystem>

#include "archive/archive_builder.h"
#include "testkit/game_reader.h"
#include "testkit/testkit.h"

using testkit::Bytes;
using testkit::quote;
using testkit::run;

namespace {

std::string cli(const std::string& args) { return quote(SONKRATE_CLI_PATH) + " " + args; }

void mustRun(const std::string& command) {
    auto r = run(command);
    ASSERT_EQ(r.exitCode, 0) << command << "\n" << r.err;
}

void expectRoundTrip(const std::string& tpa, const std::string& work) {
    for (const char* form : {"", " --cau"}) {
        SCOPED_TRACE(tpa + form);
        const std::string dir = work + (*form ? "-cau" : "-wav"), back = dir + ".tpa";
        mustRun(cli("unpack " + quote(tpa) + " " + quote(dir) + form));
        auto packed = run(cli("pack " + quote(dir) + " " + quote(back)));
        ASSERT_EQ(packed.exitCode, 0) << packed.err;
        EXPECT_EQ(testkit::readFile(back), testkit::readFile(tpa));
        auto verified = run(cli("verify " + quote(back)));
        EXPECT_EQ(verified.exitCode, 0) << verified.out << verified.err;
    }
}

}  // namespace

TEST(UnpackPackCli, ArchivesOfTheOtherCommandsComeBackByteForByte) {
    if (!testkit::haveTool("sox")) GTEST_SKIP() << "sox is not installed";
    testkit::ScratchDir dir;
    const std::string caus = dir.file("caus");
    std::filesystem::create_directory(caus);
    mustRun("sox -n -r 22050 -c 1 -b 16 " + quote(dir.file("mono.wav")) + " synth 0.3 sine 300");
    mustRun("sox -n -r 44100 -c 2 -b 16 " + quote(dir.file("st.wav")) + " synth 0.2 sine 300 sine 500");
    mustRun("sox -n -r 11025 -c 1 -b 8 " + quote(dir.file("low.wav")) + " synth 0.2 sine 200");
    mustRun(cli("wav2cau " + quote(dir.file("mono.wav")) + " " + quote(caus + "/bell.cau")));
    mustRun(cli("wav2cau " + quote(dir.file("st.wav")) + " " + quote(caus + "/drum.cau") + " --caption 'A drum'"));
    mustRun(cli("wav2cau " + quote(dir.file("low.wav")) + " " + quote(caus + "/hum.cau")));

    const std::string added = dir.file("added.tpa");
    mustRun(cli("new " + quote(added)));
    expectRoundTrip(added, dir.file("new"));
    mustRun(cli("add " + quote(added) + " " + quote(caus + "/drum.cau") + " --backup " + quote(dir.file("b"))));
    mustRun(cli("add " + quote(added) + " " + quote(dir.file("st.wav")) + " --name wind --ima --backup " +
                quote(dir.file("b"))));
    mustRun(cli("add " + quote(added) + " " + quote(dir.file("low.wav")) + " --name low --backup " +
                quote(dir.file("b"))));
    expectRoundTrip(added, dir.file("add"));

    const std::string built = dir.file("built.tpa");
    mustRun(cli("build-dir " + quote(caus) + " " + quote(built)));
    expectRoundTrip(built, dir.file("dir"));

    mustRun(cli("make-eel " + quote(caus) + " sounds"));
    const std::string fromList = dir.file("list.tpa");
    mustRun(cli("build-eel " + quote(caus + "/sounds.eel") + " " + quote(fromList)));
    expectRoundTrip(fromList, dir.file("eel"));

    // The unpacked sounds are .wav files SoX reads: the IMA ADPCM one decoded
    // to 16-bit PCM of the length the archive plays.
    const std::string manifest = testkit::readText(dir.file("add-wav") + "/manifest.json");
    const std::size_t at = manifest.find("\"ima-adpcm\"");
    ASSERT_NE(at, std::string::npos) << manifest;
    const std::size_t file = manifest.rfind("\"file\": \"", at);
    const std::string name = manifest.substr(file + 9, manifest.find('"', file + 9) - file - 9);
    auto info = run("soxi -b " + quote(dir.file("add-wav") + "/" + name));
    EXPECT_EQ(info.out, "16\n") << info.err;
    auto frames = run("soxi -s " + quote(dir.file("add-wav") + "/" + name));
    EXPECT_GE(std::stol(frames.out), 8800);  // 0.2 s at 44100 Hz

    auto usage = run(cli("pack " + quote(dir.file("add-wav"))));
    EXPECT_EQ(usage.exitCode, 2);
    auto refused = run(cli("unpack " + quote(added) + " " + quote(dir.file("add-wav"))));
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find("not empty"), std::string::npos) << refused.err;
}

TEST(UnpackPackCli, EditedFolderChangesJustTheEditedSound) {
    if (!testkit::haveTool("sox")) GTEST_SKIP() << "sox is not installed";
    testkit::ScratchDir dir;
    const std::string tpa = dir.file("ambient.tpa"), folder = dir.file("u"), out = dir.file("out.tpa");
    testkit::writeFile(tpa, archive_test::retailArchive({{0x11, archive_test::pcmImage(22050, 1, 400)},
                                                         {0x22, archive_test::pcmImage(22050, 2, 800)}}));
    mustRun(cli("unpack " + quote(tpa) + " " + quote(folder)));
    // A 32-bit float file in place of the second: 16-bit PCM at its own rate.
    mustRun("sox -n -r 32000 -c 2 -e float -b 32 " + quote(folder + "/1-00000022.wav") + " synth 0.1 sine 440");
    auto packed = run(cli("pack " + quote(folder) + " " + quote(out)));
    ASSERT_EQ(packed.exitCode, 0) << packed.err;
    EXPECT_NE(packed.out.find("1 as unpacked, 1 changed"), std::string::npos) << packed.out;
    testkit::expectGameReads(out);
    const Bytes b = testkit::readFile(out), was = testkit::readFile(tpa);
    EXPECT_EQ(Bytes(b.begin(), b.begin() + 16), Bytes(was.begin(), was.begin() + 16));
    EXPECT_EQ(testkit::u32(b, 16), b.size());
    // The first entry, its record and its image, as they were.
    EXPECT_EQ(Bytes(b.begin() + 24, b.begin() + 80), Bytes(was.begin() + 24, was.begin() + 80));
    EXPECT_EQ(Bytes(b.begin() + 136, b.begin() + 136 + 436), Bytes(was.begin() + 136, was.begin() + 136 + 436));
    EXPECT_EQ(testkit::u32(b, 24 + 56 + 20 + 24), 32000u);
    EXPECT_EQ(b[24 + 56 + 20 + 28], 16);

    testkit::writeText(folder + "/manifest.json", "{\"version\": 1,\n\"sounds\": [}");
    auto broken = run(cli("pack " + quote(folder) + " " + quote(dir.file("never.tpa"))));
    EXPECT_EQ(broken.exitCode, 1);
    EXPECT_NE(broken.err.find("manifest.json is not valid JSON at line 2, column 12"), std::string::npos)
        << broken.err;
    EXPECT_FALSE(testkit::fileExists(dir.file("never.tpa")));
}
