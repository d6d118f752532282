#include <gtest/gtest.h>

#include "audio/cau/cau_export.h"
#include "audio/cau/cau_reader.h"
#include "audio/convert/cau_to_wav.h"
#include "audio/cau/missing_sound.h"
#include "audio_fixtures.h"

using namespace sonkrate::audio;
using testkit::Bytes;
using testkit::u16;
using testkit::u32;

namespace {

CauHeader pcmHeader(std::uint32_t dataSize, std::uint32_t rate = 22050, std::uint8_t bits = 16,
                    std::uint8_t channels = 1) {
    CauHeader h;
    h.dataSize = dataSize;
    h.decodedSize = dataSize;
    h.sampleRate = rate;
    h.bitsPerSample = bits;
    h.channels = channels;
    return h;
}

Bytes ramp(std::size_t n) {
    Bytes b(n);
    for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<std::uint8_t>(i * 7 + 3);
    return b;
}

Bytes tail(const Bytes& b, std::size_t from) { return Bytes(b.begin() + static_cast<long>(from), b.end()); }

}  // namespace

TEST(CauFormat, PcmHeaderAndCaptionLayouts) {
    // The header filled from a PCM .wav of 1362 data bytes, 11025 Hz, 16 bits, mono.
    auto bytes = serializeCauHeader(pcmHeader(1362, 11025));
    const Bytes expected = {'W', 'B', 'O', 'R', 0x6E, 0, 0, 0, 0x24, 0, 0, 0, 0, 0, 0, 0, 0x52, 0x05, 0, 0,
                            0x52, 0x05, 0, 0, 0x11, 0x2B, 0, 0, 0x10, 0x01, 0x00, 0x00, 0, 0, 0, 0};
    EXPECT_EQ(Bytes(bytes.begin(), bytes.end()), expected);

    // "ab", CR LF, "c": n = 8, dataOffset 61.
    Bytes image = audiotest::cauImage(pcmHeader(4), {1, 2, 3, 4}, "ab\r\nc");
    ASSERT_EQ(image.size(), 61u + 4);
    EXPECT_EQ(u32(image, 8), 61u);
    EXPECT_EQ(u32(image, 32), 36u);
    const Bytes block = {21, 0, 0, 0, 2, 0, 0, 0, 10, 0, 0, 0, 'a', 'b', 0, 0x0E, 0, 0, 0, 'c', 0, 0, 0, 0, 0};
    EXPECT_EQ(Bytes(image.begin() + 36, image.begin() + 61), block);

    testkit::ScratchDir dir;
    testkit::writeFile(dir.file("c.cau"), image);
    CauImage read;
    ASSERT_TRUE(readCauFile(dir.file("c.cau"), read).ok);
    EXPECT_TRUE(read.hasCaption);
    EXPECT_EQ(read.captionText, " ab c");
    EXPECT_EQ(read.dataStart, 61u);
    EXPECT_EQ(read.dataSize, 4u);
}

TEST(CauFormat, EntryDataIsTheLastDataSizeBytes) {
    testkit::ScratchDir dir;
    Bytes data = ramp(40);
    Bytes image = audiotest::cauImage(pcmHeader(40), data, "hello");
    testkit::put32(image, 8, 999);  // a wrong dataOffset does not matter inside an archive
    Bytes archive = audiotest::embed(image, 100, 30);
    testkit::writeFile(dir.file("a.tpa"), archive);
    CauImage read;
    ASSERT_TRUE(readCauEntry(dir.file("a.tpa"), 100, image.size(), read).ok);
    EXPECT_EQ(read.dataStart, 100 + image.size() - 40);
    EXPECT_EQ(read.captionText, " hello");

    // The older 32-byte header: its length at 12 stands for the entry length.
    Bytes older(32 + 20);
    std::copy_n("WBOR", 4, older.begin());
    testkit::put32(older, 12, 32 + 20);
    testkit::put32(older, 16, 20);
    testkit::put32(older, 20, 11025);
    testkit::put32(older, 24, 0x110);
    for (int i = 0; i < 20; ++i) older[32 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(0xC0 + i);
    testkit::writeFile(dir.file("b.tpa"), audiotest::embed(older, 24, 16));
    ASSERT_TRUE(readCauEntry(dir.file("b.tpa"), 24, older.size() + 16, read).ok);
    EXPECT_TRUE(read.header.olderHeader);
    EXPECT_EQ(read.header.sampleRate, 11025u);
    EXPECT_EQ(read.dataStart, 24u + 32);
}

TEST(CauToWav, PcmLengthsAndPlayingTime) {
    testkit::ScratchDir dir;
    Bytes data = ramp(1000);
    testkit::writeFile(dir.file("p.cau"), audiotest::cauImage(pcmHeader(1000), data));
    auto r = cauToWav(dir.file("p.cau"), dir.file("out.wav"));
    ASSERT_TRUE(r.ok()) << r.outcome.reason;
    Bytes wav = testkit::readFile(dir.file("out.wav"));
    ASSERT_EQ(wav.size(), 1044u);
    EXPECT_EQ(u32(wav, 4), 1036u);
    EXPECT_EQ(u32(wav, 40), 1000u);  // the full data length, as copied
    EXPECT_EQ(u16(wav, 22), 1);
    EXPECT_EQ(u32(wav, 24), 22050u);
    EXPECT_EQ(tail(wav, 44), data);
    EXPECT_EQ(r.channels, 1);
    EXPECT_EQ(r.compressed, 0);
    EXPECT_FALSE(r.hasCaption);
    EXPECT_DOUBLE_EQ(r.playTimeSeconds, 1000.0 / 44100.0);

    // The same image inside an archive, with a caption.
    Bytes image = audiotest::cauImage(pcmHeader(1000), data, "x");
    testkit::writeFile(dir.file("a.tpa"), audiotest::embed(image, 80, 5));
    r = cauToWav(dir.file("a.tpa"), 80, image.size(), dir.file("entry.wav"));
    ASSERT_TRUE(r.ok()) << r.outcome.reason;
    EXPECT_EQ(testkit::readFile(dir.file("entry.wav")), wav);
    EXPECT_TRUE(r.hasCaption);
    EXPECT_EQ(r.captionOffset, 36u);
    EXPECT_EQ(r.captionText, " x");
    EXPECT_EQ(r.playTimeSeconds, 0.0);  // whole seconds for an entry

    // 8-bit stereo: one byte per sample. 44100 bytes at 11025 Hz are 2 seconds.
    testkit::writeFile(dir.file("e.cau"), audiotest::cauImage(pcmHeader(44100, 11025, 8, 2), Bytes(44100, 0x80)));
    r = cauToWav(dir.file("e.cau"), dir.file("e.wav"));
    ASSERT_TRUE(r.ok()) << r.outcome.reason;
    EXPECT_DOUBLE_EQ(r.playTimeSeconds, 2.0);
    EXPECT_EQ(r.playTimeCount, 2);
    wav = testkit::readFile(dir.file("e.wav"));
    EXPECT_EQ(u32(wav, 28), 22050u);
    EXPECT_EQ(u16(wav, 32), 2);
    EXPECT_EQ(u16(wav, 34), 8);
}

TEST(CauToWav, ImaAdpcmHeaderCarriesTheImageFields) {
    testkit::ScratchDir dir;
    Bytes cau = audiotest::imaCau(audiotest::tone(3000, 1), 1, 1028, 11025);
    testkit::writeFile(dir.file("m.cau"), cau);
    auto r = cauToWav(dir.file("m.cau"), dir.file("m.wav"));
    ASSERT_TRUE(r.ok()) << r.outcome.reason;
    Bytes wav = testkit::readFile(dir.file("m.wav"));
    std::uint32_t dataSize = u32(cau, 16);
    ASSERT_EQ(wav.size(), 60u + dataSize);
    EXPECT_EQ(u32(wav, 24), 11025u);
    EXPECT_EQ(u16(wav, 32), 1028);
    // The fact value is what the blocks decode to: a whole block of 2049
    // samples and 476 code bytes of the last (3000 frames, padded to 3002).
    EXPECT_EQ(u32(wav, 48), 2049u + 1u + (u32(cau, 16) - 1028u - 4u) * 2u);
    EXPECT_EQ(u32(wav, 48), 3002u);
    EXPECT_EQ(u32(wav, 56), dataSize);
    EXPECT_EQ(tail(wav, 60), tail(cau, 36));
    EXPECT_EQ(r.compressed, 1);
    EXPECT_EQ(r.blockAlign, 1028u);
    EXPECT_DOUBLE_EQ(r.playTimeSeconds, dataSize * 4.0 / (11025.0 * 2));
}

TEST(CauToWav, LyingImagesFailAndLeaveTheOutputAlone) {
    testkit::ScratchDir dir;
    const std::string out = dir.file("out.wav");
    auto refused = [&](const std::string& why, auto&& convert) {
        testkit::writeText(out, "previous");
        CauToWavResult r = convert();
        EXPECT_FALSE(r.ok()) << why;
        EXPECT_FALSE(r.outcome.reason.empty()) << why;
        EXPECT_EQ(testkit::readText(out), "previous") << why;
    };
    auto file = [&](const Bytes& b) {
        testkit::writeFile(dir.file("bad.cau"), b);
        return [&] { return cauToWav(dir.file("bad.cau"), out); };
    };
    Bytes good = audiotest::cauImage(pcmHeader(100), ramp(100));

    refused("no such file", [&] { return cauToWav(dir.file("absent.cau"), out); });
    refused("short header", file(Bytes(good.begin(), good.begin() + 20)));
    Bytes b = good;
    testkit::put32(b, 16, 0xFFFFFF00u);  // dataSize far past the end
    refused("data size", file(b));
    b = good;
    testkit::put32(b, 8, 0x7FFFFFFFu);  // dataOffset past the end
    refused("data offset", file(b));
    b = good;
    b.resize(b.size() - 1);  // one byte short
    refused("truncated", file(b));
    b = good;
    b[30] = 7;  // neither PCM nor IMA ADPCM
    refused("compression", file(b));

    testkit::writeFile(dir.file("a.tpa"), audiotest::embed(good, 50));
    refused("entry past the end", [&] { return cauToWav(dir.file("a.tpa"), 50, good.size() + 1, out); });
    refused("offset past the end", [&] { return cauToWav(dir.file("a.tpa"), 1u << 30, 100, out); });
    refused("entry too short", [&] { return cauToWav(dir.file("a.tpa"), 50, 20, out); });
    b = good;
    testkit::put32(b, 16, static_cast<std::uint32_t>(b.size() + 1));  // more data than the entry holds
    testkit::writeFile(dir.file("a.tpa"), audiotest::embed(b, 50));
    refused("data larger than entry", [&] { return cauToWav(dir.file("a.tpa"), 50, b.size(), out); });

    // A caption block whose length word lies is read only as far as the file goes.
    b = audiotest::cauImage(pcmHeader(10), ramp(10), "cap");
    testkit::put32(b, 36, 0xFFFFFFF0u);
    testkit::writeFile(dir.file("cap.cau"), b);
    auto r = cauToWav(dir.file("cap.cau"), out);
    ASSERT_TRUE(r.ok()) << r.outcome.reason;
    EXPECT_EQ(r.captionText.substr(0, 5), " cap ");
}

TEST(CauExport, EntryGetsTheMagicAndKeepsItsLength) {
    testkit::ScratchDir dir;
    Bytes image = audiotest::cauImage(pcmHeader(300), ramp(300));
    std::copy_n("XYZW", 4, image.begin());
    testkit::writeFile(dir.file("a.tpa"), audiotest::embed(image, 4000, 77));
    ASSERT_TRUE(exportEntryAsCau(dir.file("a.tpa"), 4000, image.size(), dir.file("e.cau")).ok);
    Bytes out = testkit::readFile(dir.file("e.cau"));
    ASSERT_EQ(out.size(), image.size());
    EXPECT_EQ(testkit::text(out, 0, 4), "WBOR");
    EXPECT_EQ(tail(out, 4), tail(image, 4));

    testkit::writeText(dir.file("e.cau"), "kept");
    auto bad = exportEntryAsCau(dir.file("a.tpa"), 4000, image.size() + 78, dir.file("e.cau"));
    EXPECT_FALSE(bad.ok);
    EXPECT_NE(bad.reason.find("a.tpa"), std::string::npos);
    EXPECT_EQ(testkit::readText(dir.file("e.cau")), "kept");
    EXPECT_FALSE(exportEntryAsCau(dir.file("nothing.tpa"), 0, 40, dir.file("e.cau")).ok);
}

TEST(MissingSound, ImageHeaderDeterminismAndNoOverwrite) {
    Bytes image = missingSoundImage();
    ASSERT_EQ(image.size(), kMissingSoundSize);
    const Bytes header = {'W', 'B', 'O', 'R', 110, 0, 0, 0, 36, 0, 0, 0, 0x08, 0x08, 0, 0, 0x68, 0x56, 0, 0,
                          0x88, 0x58, 0x01, 0, 0x22, 0x56, 0, 0, 16, 2, 1, 0, 0, 0, 0, 0};
    EXPECT_EQ(Bytes(image.begin(), image.begin() + 36), header);
    EXPECT_EQ(missingSoundImage(), image);

    testkit::ScratchDir dir;
    const std::string path = dir.file("missing.cau");
    bool written = false;
    ASSERT_TRUE(writeMissingCauIfAbsent(path, written).ok);
    EXPECT_TRUE(written);
    EXPECT_EQ(testkit::readFile(path), image);
    testkit::writeText(path, "someone else's sound");
    ASSERT_TRUE(writeMissingCauIfAbsent(path, written).ok);
    EXPECT_FALSE(written);
    EXPECT_EQ(testkit::readText(path), "someone else's sound");
    EXPECT_FALSE(writeMissingCauIfAbsent(dir.file("no/such/folder/missing.cau"), written).ok);
}
