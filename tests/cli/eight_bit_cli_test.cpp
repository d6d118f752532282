// 8-bit PCM through every command that writes a sound: the game plays it from
// a buffer of decodedSize bytes in its own width, so decodedSize is the data's
// length; verify tells a cut sound (error) from one that plays past its end
// (warning). And the decoder's refusal of odd IMA ADPCM blocks, as cau2wav
// reports it.
#include <gtest/gtest.h>

#include "testkit/game_reader.h"
#include "testkit/testkit.h"

using testkit::Bytes;
using testkit::quote;
using testkit::run;
using testkit::u32;

namespace {

std::string cli(const std::string& args) { return quote(SONKRATE_CLI_PATH) + " " + args; }

}  // namespace

TEST(EightBitCli, DecodedSizeIsTheDataLengthEverywhere) {
    if (!testkit::haveTool("sox")) GTEST_SKIP() << "needs sox";
    testkit::ScratchDir dir;
    const std::string wav = dir.file("t8.wav"), cau = dir.file("t8.cau");
    ASSERT_EQ(run("sox -n -r 11025 -c 1 -b 8 " + quote(wav) + " synth 0.5 sine 440").exitCode, 0);

    auto made = run(cli("wav2cau " + quote(wav) + " " + quote(cau)));
    ASSERT_EQ(made.exitCode, 0) << made.err;
    const Bytes image = testkit::readFile(cau);
    EXPECT_EQ(image[28], 8);
    EXPECT_EQ(u32(image, 16), 5512u);
    EXPECT_EQ(u32(image, 20), 5512u);
    EXPECT_TRUE(testkit::gameCauProblems(image).empty()) << ::testing::PrintToString(testkit::gameCauProblems(image));

    // Added as a .cau and as a .wav, and built from a folder: every copy alike.
    const std::string tpa = dir.file("g.tpa");
    ASSERT_EQ(run(cli("new " + quote(tpa))).exitCode, 0);
    ASSERT_EQ(run(cli("add " + quote(tpa) + " " + quote(cau) + " --name a")).exitCode, 0);
    ASSERT_EQ(run(cli("add " + quote(tpa) + " " + quote(wav) + " --name b")).exitCode, 0);
    const Bytes b = testkit::readFile(tpa);
    for (std::size_t record : {1u, 2u}) {
        const std::size_t copy = 24 + 56 * record + 20;
        EXPECT_EQ(b[copy + 28], 8) << record;
        EXPECT_EQ(u32(b, copy + 20), u32(b, copy + 16)) << record;
    }
    testkit::expectGameReads(tpa);
    auto verified = run(cli("verify " + quote(tpa) + " " + quote(cau)));
    EXPECT_EQ(verified.exitCode, 0) << verified.out;
    EXPECT_EQ(verified.out.find("decodedSize"), std::string::npos) << verified.out;

    // The old doubled value plays past the sound: a warning; less cuts it: an error.
    Bytes doubled = image;
    testkit::put32(doubled, 20, 2 * 5512);
    testkit::writeFile(dir.file("doubled.cau"), doubled);
    auto warned = run(cli("verify " + quote(dir.file("doubled.cau"))));
    EXPECT_EQ(warned.exitCode, 0) << warned.out;
    EXPECT_NE(warned.out.find("warning: decodedSize 11024 is more than the 5512 bytes of 8-bit PCM"),
              std::string::npos) << warned.out;
    EXPECT_FALSE(testkit::gameCauProblems(doubled).empty());
    Bytes cut = image;
    testkit::put32(cut, 20, 5000);
    testkit::writeFile(dir.file("cut.cau"), cut);
    auto refused = run(cli("verify " + quote(dir.file("cut.cau"))));
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.out.find("error: decodedSize 5000 cuts the sound short: it holds 5512 bytes of 8-bit PCM"),
              std::string::npos) << refused.out;
}

TEST(EightBitCli, OddImaBlocksAreRefusedNamingTheSoundAndItsBlocks) {
    testkit::ScratchDir dir;
    // A header of stereo IMA ADPCM in 300-byte blocks, and one such block.
    Bytes image(36 + 300, 0);
    std::copy_n("WBOR", 4, image.begin());
    testkit::put32(image, 4, 110);
    testkit::put32(image, 8, 36);
    testkit::put32(image, 12, 300);
    testkit::put32(image, 16, 300);
    testkit::put32(image, 20, 4 * 293);
    testkit::put32(image, 24, 22050);
    image[28] = 16, image[29] = 2, image[30] = 1;
    const std::string cau = dir.file("odd.cau"), out = dir.file("odd.wav");
    testkit::writeFile(cau, image);
    auto converted = run(cli("cau2wav " + quote(cau) + " " + quote(out)));
    EXPECT_EQ(converted.exitCode, 1);
    EXPECT_NE(converted.err.find(cau + " holds IMA ADPCM in blocks of 300 bytes; only blocks of 512 to 2056 bytes "
                                       "can be decoded."),
              std::string::npos) << converted.err;
    EXPECT_EQ(converted.err.find("Conversion may fail"), std::string::npos) << converted.err;
    EXPECT_FALSE(testkit::fileExists(out));
}
