// Captions from the command line: captions (sections and SubRip), and
// --captions FILE.srt on wav2cau, add and replace, read back as the game reads them.
#include <gtest/gtest.h>

#include "archive/archive_builder.h"
#include "testkit/game_reader.h"
#include "testkit/testkit.h"

using testkit::Bytes;
using testkit::quote;
using testkit::run;
using testkit::u32;

namespace {

std::string cli(const std::string& args) { return quote(SONKRATE_CLI_PATH) + " " + args; }

// Text as run() returns a program's output: on Windows it reads CR LF as LF.
std::string asRead(std::string text) {
#if defined(_WIN32)
    for (std::size_t at; (at = text.find("\r\n")) != std::string::npos;) text.erase(at, 1);
#endif
    return text;
}

void append32(Bytes& b, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

// A 14-second voice log as the game's are: 35, 5, 3 (a pause), 17 and 10 fifths.
Bytes voiceLogBlock() {
    Bytes sections;
    append32(sections, 5);
    for (auto [fifths, text] : std::vector<std::pair<std::uint32_t, std::string>>{
             {35, "Oh God. This can't be happening."}, {5, "Help!"}, {3, ""}, {17, "Anyone?"}, {10, "Hello?"}}) {
        append32(sections, fifths);
        sections.insert(sections.end(), text.begin(), text.end());
        sections.push_back(0);
    }
    Bytes block;
    append32(block, static_cast<std::uint32_t>(sections.size()));
    block.insert(block.end(), sections.begin(), sections.end());
    return block;
}

// A PCM image with block as its caption.
Bytes captioned(const Bytes& block, std::uint32_t dataSize = 400) {
    Bytes image = archive_test::pcmImage(22050, 1, dataSize);
    testkit::put32(image, 8, static_cast<std::uint32_t>(36 + block.size()));
    testkit::put32(image, 32, 36);
    image.insert(image.begin() + 36, block.begin(), block.end());
    return image;
}

const char* const kVoiceLogSrt =
    "1\r\n00:00:00,000 --> 00:00:07,000\r\nOh God. This can't be happening.\r\n\r\n"
    "2\r\n00:00:07,000 --> 00:00:08,000\r\nHelp!\r\n\r\n"
    "3\r\n00:00:08,600 --> 00:00:12,000\r\nAnyone?\r\n\r\n"
    "4\r\n00:00:12,000 --> 00:00:14,000\r\nHello?\r\n\r\n";

}  // namespace

TEST(CaptionsCli, VoiceLogShownAsSectionsAndSubRip) {
    testkit::ScratchDir dir;
    const std::string cau = dir.file("log.cau"), tpa = dir.file("logs.tpa");
    testkit::writeFile(cau, captioned(voiceLogBlock()));
    testkit::writeFile(tpa, archive_test::retailArchive({{0x11111111, archive_test::pcmImage(11025, 1, 100)},
                                                         {0x2222abcd, captioned(voiceLogBlock())},
                                                         {0x33333333, archive_test::pcmImage(11025, 1, 50, true)}}));

    auto shown = run(cli("captions " + quote(cau)));
    ASSERT_EQ(shown.exitCode, 0) << shown.err;
    EXPECT_EQ(shown.out, cau + ": 14.0 s in 5 sections\n"
                               "  00:00:00,000 --> 00:00:07,000  Oh God. This can't be happening.\n"
                               "  00:00:07,000 --> 00:00:08,000  Help!\n"
                               "  00:00:08,000 --> 00:00:08,600  (pause)\n"
                               "  00:00:08,600 --> 00:00:12,000  Anyone?\n"
                               "  00:00:12,000 --> 00:00:14,000  Hello?\n");
    auto srt = run(cli("captions --srt " + quote(cau)));
    ASSERT_EQ(srt.exitCode, 0) << srt.err;
    EXPECT_EQ(srt.out, asRead(kVoiceLogSrt));

    // list and cau2wav show the text without the bytes of the times ('#' for 35).
    auto listed = run(cli("list " + quote(tpa)));
    ASSERT_EQ(listed.exitCode, 0) << listed.err;
    EXPECT_NE(listed.out.find("caption:  Oh God. This can't be happening. Help!  Anyone? Hello?"), std::string::npos)
        << listed.out;
    EXPECT_EQ(listed.out.find("#Oh"), std::string::npos);
    EXPECT_NE(listed.out.find("caption:  ab c"), std::string::npos) << listed.out;

    // In an archive: only the captioned entries, the typed caption as two sections.
    auto inArchive = run(cli("captions " + quote(tpa)));
    ASSERT_EQ(inArchive.exitCode, 0) << inArchive.err;
    EXPECT_NE(inArchive.out.find(tpa + ": entry 1, 2222abcd (unknown): 14.0 s in 5 sections\n"), std::string::npos)
        << inArchive.out;
    EXPECT_NE(inArchive.out.find(tpa + ": entry 2, 33333333 (unknown): 4.8 s in 2 sections\n"
                                       "  00:00:00,000 --> 00:00:02,000  ab\n"
                                       "  00:00:02,000 --> 00:00:04,800  c\n"),
              std::string::npos)
        << inArchive.out;
    EXPECT_EQ(inArchive.out.find("11111111"), std::string::npos);
    auto both = run(cli("captions --srt " + quote(tpa)));
    ASSERT_EQ(both.exitCode, 0);
    EXPECT_EQ(both.out.rfind(asRead("==> " + tpa + ": entry 1, 2222abcd (unknown) <==\r\n" + kVoiceLogSrt), 0), 0u) << both.out;

    // A block that does not read as sections is shown with its text; an
    // unreadable file is exit 1 and the other files are still shown.
    Bytes bad = voiceLogBlock();
    testkit::put32(bad, 4, 6);
    testkit::writeFile(dir.file("bad.cau"), captioned(bad));
    auto mixed = run(cli("captions " + quote(dir.file("bad.cau")) + " " + quote(dir.file("none.cau")) + " " + quote(cau)));
    EXPECT_EQ(mixed.exitCode, 1);
    EXPECT_NE(mixed.out.find("bad.cau: the caption block does not read as timed sections (a section's time runs past "
                             "its end); its text: #Oh God."),
              std::string::npos)
        << mixed.out;
    EXPECT_NE(mixed.err.find("none.cau"), std::string::npos) << mixed.err;
    EXPECT_NE(mixed.out.find("log.cau: 14.0 s in 5 sections"), std::string::npos);
}

TEST(CaptionsCli, SubRipFileGivesTimedCaptionsToWav2cauAddAndReplace) {
    if (!testkit::haveTool("sox")) GTEST_SKIP() << "needs sox";
    testkit::ScratchDir dir;
    const std::string wav = dir.file("tone.wav"), srt = dir.file("lines.srt"), tpa = dir.file("Game.tpa");
    ASSERT_EQ(run("sox -n -r 11025 -c 1 -b 16 " + quote(wav) + " synth 0.2 sine 500").exitCode, 0);
    // Saved by hand in an editor on Windows: a BOM, CR LF, a cue of two lines.
    testkit::writeText(srt, "\xEF\xBB\xBF" "1\r\n00:00:00,400 --> 00:00:07,400\r\nOh God.\r\nNo.\r\n\r\n"
                            "2\r\n00:00:08,000 --> 00:00:09,000\r\nHelp!\r\n");

    auto made = run(cli("wav2cau " + quote(wav) + " " + quote(dir.file("t.cau")) + " --captions " + quote(srt)));
    ASSERT_EQ(made.exitCode, 0) << made.err;
    const Bytes cau = testkit::readFile(dir.file("t.cau"));
    Bytes block;
    append32(block, 4 + 5 + 16 + 5 + 10);
    append32(block, 4);
    for (std::uint8_t b : Bytes{2, 0, 0, 0, 0, 35, 0, 0, 0}) block.push_back(b);
    for (char c : std::string("Oh God.\nNo.")) block.push_back(static_cast<std::uint8_t>(c));
    for (std::uint8_t b : Bytes{0, 3, 0, 0, 0, 0, 5, 0, 0, 0, 'H', 'e', 'l', 'p', '!', 0}) block.push_back(b);
    ASSERT_GE(cau.size(), 36 + block.size());
    EXPECT_EQ(u32(cau, 8), 36 + block.size());
    EXPECT_EQ(u32(cau, 32), 36u);
    EXPECT_EQ(Bytes(cau.begin() + 36, cau.begin() + 36 + static_cast<long>(block.size())), block);
    EXPECT_EQ(cau.size(), 36 + block.size() + testkit::fileSize(wav) - 44);

    // Refusals: both caption options, overlapping cues, a file not there.
    auto twice = run(cli("wav2cau " + quote(wav) + " --caption hi --captions " + quote(srt)));
    EXPECT_EQ(twice.exitCode, 2);
    testkit::writeText(dir.file("over.srt"), "1\n00:00:01,000 --> 00:00:03,000\na\n\n2\n00:00:02,000 --> 00:00:04,000\nb\n");
    auto over = run(cli("wav2cau " + quote(wav) + " " + quote(dir.file("o.cau")) + " --captions " +
                        quote(dir.file("over.srt"))));
    EXPECT_EQ(over.exitCode, 1);
    EXPECT_NE(over.err.find("over.srt cannot be used as captions: cue 2 (line 6) starts before the cue before it ends"),
              std::string::npos)
        << over.err;
    EXPECT_FALSE(testkit::fileExists(dir.file("o.cau")));

    // add a .wav and replace with a .cau, both with captions; the game reads the results.
    ASSERT_EQ(run(cli("new " + quote(tpa))).exitCode, 0);
    auto added = run(cli("add " + quote(tpa) + " " + quote(wav) + " --name voice --captions " + quote(srt)));
    ASSERT_EQ(added.exitCode, 0) << added.err;
    testkit::expectGameReads(tpa);
    testkit::writeText(dir.file("one.srt"), "1\n00:00:00,000 --> 00:00:02,000\nOne line\n");
    auto replaced = run(cli("replace " + quote(tpa) + " missing " + quote(dir.file("t.cau")) + " --captions " +
                            quote(dir.file("one.srt"))));
    ASSERT_EQ(replaced.exitCode, 0) << replaced.err;
    testkit::expectGameReads(tpa);
    auto shown = run(cli("captions --srt " + quote(tpa)));
    ASSERT_EQ(shown.exitCode, 0) << shown.err;
    EXPECT_NE(shown.out.find(asRead("(unknown) <==\r\n1\r\n00:00:00,000 --> 00:00:02,000\r\nOne line\r\n")),
              std::string::npos)
        << shown.out;
    EXPECT_NE(shown.out.find(asRead("1\r\n00:00:00,400 --> 00:00:07,400\r\nOh God.\r\nNo.\r\n\r\n"
                                    "2\r\n00:00:08,000 --> 00:00:09,000\r\nHelp!\r\n")),
              std::string::npos)
        << shown.out;
}
