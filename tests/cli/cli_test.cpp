// The command-line tool driven as a user would: real files, exit codes, output.
#include <gtest/gtest.h>

#include "archive/edit/default_sound.h"
#include "testkit/testkit.h"

using testkit::Bytes;
using testkit::quote;
using testkit::run;

namespace {

std::string cli(const std::string& args) { return quote(SONKRATE_CLI_PATH) + " " + args; }

// A Beta24 archive of n small PCM images, each a 32-byte older header + data.
Bytes beta24Archive(std::uint32_t n, std::uint32_t dataSize) {
    std::uint32_t tableEnd = 24 + 24 * n;
    std::uint32_t imageSize = 32 + dataSize;
    Bytes b(tableEnd + n * imageSize, 0);
    testkit::put32(b, 0, 0x140);
    testkit::put32(b, 4, n);
    testkit::put32(b, 8, 24);
    testkit::put32(b, 16, static_cast<std::uint32_t>(b.size()));
    testkit::put32(b, 20, n);
    for (std::uint32_t i = 0; i < n; ++i) {
        std::uint32_t rec = 24 + 24 * i, img = tableEnd + i * imageSize;
        testkit::put32(b, rec, 0x1000 + i);
        testkit::put32(b, rec + 4, img);
        testkit::put32(b, rec + 8, imageSize);
        testkit::put32(b, rec + 12, 0xDEADBEEF);  // bytes a reader must not interpret
        b[img] = 'X';                              // not "WBOR": exports still start with it
        testkit::put32(b, img + 12, imageSize);
        testkit::put32(b, img + 16, dataSize);
        testkit::put32(b, img + 20, 11025);
        b[img + 24] = 16;
        b[img + 25] = 1;
        for (std::uint32_t k = 0; k < dataSize; ++k) b[img + 32 + k] = static_cast<std::uint8_t>(i + k);
    }
    return b;
}

}  // namespace

TEST(Cli, NewArchiveIsDescribedListedAndExtracted) {
    testkit::ScratchDir dir;
    std::string tpa = dir.file("a.b.tpa");
    ASSERT_TRUE(sonkrate::archive::writeNewArchive(tpa));

    auto info = run(cli("info " + quote(tpa) + " --json"));
    ASSERT_EQ(info.exitCode, 0) << info.err;
    for (const char* field : {"\"archiveName\": \"apa\"", "\"layout\": \"retail\"", "\"class\": \"general\"",
                              "\"layoutTag\": 336", "\"soundCount\": 1", "\"entryCount\": 1",
                              "\"fileSize\": 88316", "\"standardLayout\": true", "\"demoStream\": false",
                              "\"trailerFlag\": 0", "\"soundDataEnd\": 88316"})
        EXPECT_NE(info.out.find(field), std::string::npos) << field << " in " << info.out;

    testkit::writeText(dir.file("SndIds.dat"), "\"F0A07BD9\" \"missing\"\r\n");
    auto list = run(cli("list " + quote(tpa) + " --json --db " + quote(dir.file("SndIds.dat"))));
    ASSERT_EQ(list.exitCode, 0) << list.err;
    for (const char* field : {"\"index\": 0", "\"soundId\": \"f0a07bd9\"", "\"imageOffset\": 80",
                              "\"imageLength\": 88236", "\"sampleRate\": 22050", "\"channels\": 2",
                              "\"bitsPerSample\": 16", "\"compression\": \"pcm\"", "\"dataSize\": 88200",
                              "\"caption\": null", "\"name\": \"missing\""})
        EXPECT_NE(list.out.find(field), std::string::npos) << field << " in " << list.out;

    auto cau = run(cli("extract " + quote(tpa) + " 0 " + quote(dir.file("x.cau"))));
    ASSERT_EQ(cau.exitCode, 0) << cau.err;
    EXPECT_EQ(testkit::readFile(dir.file("x.cau")), sonkrate::archive::defaultSoundImage());

    auto wav = run(cli("extract " + quote(tpa) + " 0 " + quote(dir.file("x.wav"))));
    ASSERT_EQ(wav.exitCode, 0) << wav.err;
    Bytes w = testkit::readFile(dir.file("x.wav"));
    ASSERT_EQ(w.size(), 44u + 88200u);
    EXPECT_EQ(testkit::u32(w, 4), w.size() - 8);
    EXPECT_EQ(testkit::u32(w, 40), 88200u);
    EXPECT_EQ(testkit::u16(w, 22), 2);
    EXPECT_EQ(testkit::u32(w, 24), 22050u);

    // The .cau taken out converts back to the same .wav.
    auto back = run(cli("cau2wav " + quote(dir.file("x.cau"))));
    ASSERT_EQ(back.exitCode, 0) << back.err;
    EXPECT_EQ(testkit::readFile(dir.file("x.wav")), w);

    auto beyond = run(cli("extract " + quote(tpa) + " 1 " + quote(dir.file("y.cau"))));
    EXPECT_EQ(beyond.exitCode, 1);
    EXPECT_NE(beyond.err.find("no entry 1"), std::string::npos) << beyond.err;
    EXPECT_FALSE(testkit::fileExists(dir.file("y.cau")));
}

TEST(Cli, Beta24RecordsAreReadAtTheirStrideAndExportWithTheMagic) {
    testkit::ScratchDir dir;
    std::string tpa = dir.file("beta.tpa");
    testkit::writeFile(tpa, beta24Archive(3, 100));
    auto list = run(cli("list " + quote(tpa) + " --json"));
    ASSERT_EQ(list.exitCode, 0) << list.err;
    // Record 2 sits at 24 + 2 x 24; its image at 96 + 2 x 132.
    EXPECT_NE(list.out.find("\"index\": 2, \"soundId\": \"00001002\", \"imageOffset\": 360, \"imageLength\": 132"),
              std::string::npos)
        << list.out;
    auto info = run(cli("info " + quote(tpa) + " --json"));
    EXPECT_NE(info.out.find("\"layout\": \"beta24\""), std::string::npos) << info.out;

    auto cau = run(cli("extract " + quote(tpa) + " 1 " + quote(dir.file("one.cau"))));
    ASSERT_EQ(cau.exitCode, 0) << cau.err;
    Bytes one = testkit::readFile(dir.file("one.cau"));
    ASSERT_EQ(one.size(), 132u);
    EXPECT_EQ(testkit::text(one, 0, 4), "WBOR");
    EXPECT_EQ(one[32], 1);  // first data byte of entry 1

    auto wav = run(cli("extract " + quote(tpa) + " 1 " + quote(dir.file("one.wav"))));
    ASSERT_EQ(wav.exitCode, 0) << wav.err;
    Bytes w = testkit::readFile(dir.file("one.wav"));
    ASSERT_EQ(w.size(), 144u);
    EXPECT_EQ(testkit::u32(w, 24), 11025u);
    EXPECT_EQ(w[44], 1);
}

TEST(Cli, BrokenArchivesFailWithASentenceNamingTheFile) {
    testkit::ScratchDir dir;
    std::string good = dir.file("good.tpa");
    ASSERT_TRUE(sonkrate::archive::writeNewArchive(good));
    Bytes whole = testkit::readFile(good);

    std::vector<std::pair<std::string, Bytes>> broken = {
        {"empty.tpa", {}},
        {"header-only.tpa", Bytes(whole.begin(), whole.begin() + 24)},
        {"cut-table.tpa", Bytes(whole.begin(), whole.begin() + 60)},
        {"cut-image.tpa", Bytes(whole.begin(), whole.begin() + 5000)},
    };
    Bytes random(4096);
    std::uint32_t x = 12345;
    for (auto& b : random) b = static_cast<std::uint8_t>((x = x * 1103515245 + 12345) >> 16);
    broken.emplace_back("random.tpa", random);
    Bytes hugeCount = whole;
    testkit::put32(hugeCount, 20, 0xFFFFFFFF);
    broken.emplace_back("huge-count.tpa", hugeCount);
    Bytes farImage = whole;
    testkit::put32(farImage, 28, 0xFFFFFF00);
    broken.emplace_back("far-image.tpa", farImage);

    for (const auto& [name, bytes] : broken) {
        std::string path = dir.file(name);
        testkit::writeFile(path, bytes);
        auto list = run(cli("list " + quote(path)));
        EXPECT_EQ(list.exitCode, 1) << name << ": " << list.out;
        EXPECT_NE(list.err.find(name), std::string::npos) << name << ": " << list.err;
        auto extract = run(cli("extract " + quote(path) + " 0 " + quote(dir.file("out.wav"))));
        EXPECT_EQ(extract.exitCode, 1) << name;
        EXPECT_FALSE(testkit::fileExists(dir.file("out.wav"))) << name;
    }
}

TEST(Cli, IdentifiersAndUsage) {
    auto ids = run(cli("id missing MISSING abc"));
    ASSERT_EQ(ids.exitCode, 0);
    EXPECT_EQ(ids.out, "f0a07bd9 missing\nf0a07bd9 MISSING\n352441c2 abc\n");

    testkit::ScratchDir dir;
    std::string db = dir.file("SndIds.dat");
    testkit::writeText(db, "\"352441C2\" \"abc\"\n\"352441c2\" \"second\"\n");
    EXPECT_EQ(run(cli("lookup 352441c2 --db " + quote(db))).out, "abc\n");
    EXPECT_EQ(run(cli("lookup 00000001 --db " + quote(db))).out, "unknown\n");
    EXPECT_EQ(run(cli("lookup 1 --db " + quote(dir.file("absent.dat")))).out, "unknown\n");

    EXPECT_EQ(run(cli("")).exitCode, 2);
    EXPECT_EQ(run(cli("nonsense")).exitCode, 2);
    EXPECT_EQ(run(cli("info")).exitCode, 2);
    EXPECT_EQ(run(cli("info a b")).exitCode, 2);
    EXPECT_EQ(run(cli("info a.tpa --bogus")).exitCode, 2);
    EXPECT_EQ(run(cli("lookup xyz --db x")).exitCode, 2);
    EXPECT_EQ(run(cli("extract a.tpa -1 x.cau")).exitCode, 2);
    EXPECT_EQ(run(cli("extract a.tpa 0 x.mp3")).exitCode, 2);
    auto help = run(cli("list --help"));
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("usage: sonkrate-cli list ARCHIVE"), std::string::npos);
    EXPECT_EQ(run(cli("--version")).exitCode, 0);
}

TEST(Cli, ConvertWritesWhatWouldBePlayedOrSaysWhyNot) {
    if (!testkit::haveTool("sox") || !testkit::haveTool("sndfile-convert")) GTEST_SKIP() << "needs sox and sndfile-convert";
    testkit::ScratchDir dir;
    ASSERT_EQ(run("sox -n -r 22050 -c 2 -b 16 " + quote(dir.file("t.wav")) + " synth 1 sine 440").exitCode, 0);
    ASSERT_EQ(run("sndfile-convert -pcm16 " + quote(dir.file("t.wav")) + " " + quote(dir.file("t.aiff"))).exitCode, 0);

    auto ok = run(cli("convert " + quote(dir.file("t.aiff"))));
    ASSERT_EQ(ok.exitCode, 0) << ok.err;
    Bytes w = testkit::readFile(dir.file("t.wav"));  // the default target replaced the source tone
    ASSERT_GT(w.size(), 44u);
    EXPECT_EQ(testkit::text(w, 0, 4), "RIFF");
    EXPECT_EQ(testkit::u16(w, 22), 2);
    EXPECT_EQ(testkit::u32(w, 24), 22050u);
    EXPECT_EQ(run("sndfile-info " + quote(dir.file("t.wav"))).exitCode, 0);

    testkit::writeFile(dir.file("bad.caf"), Bytes(100, 0x7F));
    auto bad = run(cli("convert " + quote(dir.file("bad.caf")) + " " + quote(dir.file("bad.wav"))));
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_NE(bad.err.find("Read fail . . . cannot play audio ("), std::string::npos) << bad.err;
    EXPECT_NE(bad.err.find("bad.caf"), std::string::npos) << bad.err;
    EXPECT_FALSE(testkit::fileExists(dir.file("bad.wav")));
    EXPECT_EQ(run(cli("convert " + quote(dir.file("t.aiff")) + " " + quote(dir.file("t.aiff")))).exitCode, 1);
}
