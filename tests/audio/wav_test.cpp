#include <gtest/gtest.h>

#include "audio/wav/wav_headers.h"
#include "audio/wav/wav_reader.h"
#include "audio_fixtures.h"

using namespace sonkrate::audio;
using testkit::Bytes;
using testkit::text;
using testkit::u16;
using testkit::u32;

namespace {

Bytes chunk(const char* tag, const Bytes& body) {
    Bytes out(8);
    std::copy(tag, tag + 4, out.begin());
    testkit::put32(out, 4, static_cast<std::uint32_t>(body.size()));
    out.insert(out.end(), body.begin(), body.end());
    if (body.size() & 1) out.push_back(0);
    return out;
}

Bytes riff(const std::vector<Bytes>& chunks) {
    Bytes out = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
    for (const Bytes& c : chunks) out.insert(out.end(), c.begin(), c.end());
    testkit::put32(out, 4, static_cast<std::uint32_t>(out.size() - 8));
    return out;
}

WavLayout layoutOf(const testkit::ScratchDir& dir, const Bytes& file, bool expectOk = true) {
    std::string path = dir.file("t.wav");
    testkit::writeFile(path, file);
    WavLayout w;
    auto outcome = readWavLayout(path, w);
    EXPECT_EQ(outcome.ok, expectOk) << outcome.reason;
    if (!expectOk) {
        EXPECT_NE(outcome.reason.find(path), std::string::npos) << outcome.reason;
    }
    return w;
}

}  // namespace

TEST(WavHeaders, ImaHeaderLayoutAndItsBitsField) {
    auto h = imaWavHeader(1, 22050, 1028, 4096, 2056);
    Bytes b(h.begin(), h.end());
    EXPECT_EQ(u32(b, 4), 2056u + 52);
    EXPECT_EQ(text(b, 12, 4), "fmt ");
    EXPECT_EQ(u32(b, 16), 20u);
    EXPECT_EQ(u16(b, 20), 0x11);
    EXPECT_EQ(u16(b, 22), 1);
    EXPECT_EQ(u32(b, 24), 22050u);
    EXPECT_EQ(u32(b, 28), 11025u);
    EXPECT_EQ(u16(b, 32), 1028);
    EXPECT_EQ(u16(b, 34), 4);
    EXPECT_EQ(u16(b, 36), 2);
    EXPECT_EQ(b[38], 0x00);
    EXPECT_EQ(b[39], 0x08);
    EXPECT_EQ(text(b, 40, 4), "fact");
    EXPECT_EQ(u32(b, 44), 4u);
    EXPECT_EQ(u32(b, 48), 4096u);
    EXPECT_EQ(text(b, 52, 4), "data");
    EXPECT_EQ(u32(b, 56), 2056u);
    EXPECT_EQ(imaWavHeader(2, 22050, 2056, 0, 0)[34], 4);
    auto stereo = imaWavHeader(2, 22050, 2056, 0, 0);
    EXPECT_EQ(u32(Bytes(stereo.begin(), stereo.end()), 28), 22050u);
    EXPECT_EQ(imaWavHeader(1, 22050, 512, 0, 0)[34], 0);
    EXPECT_EQ(imaWavHeader(0, 22050, 512, 0, 0)[34], 0);  // no division by zero channels
}

TEST(WavReader, CanonicalFilesGiveTheFixedOffsets) {
    testkit::ScratchDir dir;
    auto pcm = pcmWavHeader(1, 11025, 16, 6);
    Bytes file(pcm.begin(), pcm.end());
    file.resize(50);
    for (std::uint8_t i = 0; i < 6; ++i) file[44 + i] = static_cast<std::uint8_t>(i + 1);
    WavLayout w = layoutOf(dir, file);
    EXPECT_EQ(w.fmtChunkLength, 16u);
    EXPECT_EQ(w.formatTag, 1);
    EXPECT_EQ(w.channels, 1);
    EXPECT_EQ(w.sampleRate, 11025u);
    EXPECT_EQ(w.bitsPerSample, 16);
    EXPECT_EQ(w.dataOffset, 44u);
    EXPECT_EQ(w.dataLength, 6u);
    EXPECT_FALSE(w.dataClamped);
    EXPECT_FALSE(w.hasFact);

    auto ima = imaWavHeader(2, 22050, 2056, 2048, 2056);
    file.assign(ima.begin(), ima.end());
    file.resize(60 + 2056, 0x11);
    w = layoutOf(dir, file);
    EXPECT_EQ(w.fmtChunkLength, 20u);
    EXPECT_EQ(w.formatTag, 0x11);
    EXPECT_EQ(w.blockAlign, 2056);
    EXPECT_TRUE(w.hasSamplesPerBlock);
    EXPECT_EQ(w.samplesPerBlock, 2048);
    EXPECT_TRUE(w.hasFact);
    EXPECT_EQ(w.factValue, 2048u);
    EXPECT_EQ(w.dataOffset, 60u);
    EXPECT_EQ(w.dataLength, 2056u);
}

TEST(WavReader, WalksPastListAndOddChunksAndClampsTheData) {
    testkit::ScratchDir dir;
    auto pcm = pcmWavHeader(2, 44100, 16, 0);
    Bytes fmt(pcm.begin() + 20, pcm.begin() + 36);
    Bytes list = {'I', 'N', 'F', 'O', 'I', 'S', 'F', 'T', 5, 0, 0, 0, 'L', 'a', 'v', 'f', 0};  // odd length
    Bytes data = {9, 8, 7, 6, 5, 4, 3, 2};
    Bytes file = riff({chunk("LIST", list), chunk("fmt ", fmt), chunk("junk", {1, 2, 3}), chunk("data", data),
                       chunk("LIST", list)});
    WavLayout w = layoutOf(dir, file);
    EXPECT_EQ(w.channels, 2);
    EXPECT_EQ(w.sampleRate, 44100u);
    EXPECT_EQ(w.dataLength, 8u);
    EXPECT_EQ(Bytes(file.begin() + static_cast<long>(w.dataOffset), file.begin() + static_cast<long>(w.dataOffset) + 8),
              data);

    // A data chunk claiming more than the file holds is cut to what is there.
    Bytes truncated = riff({chunk("fmt ", fmt), chunk("data", data)});
    testkit::put32(truncated, truncated.size() - 12, 0x7FFFF000);
    w = layoutOf(dir, truncated);
    EXPECT_TRUE(w.dataClamped);
    EXPECT_EQ(w.declaredDataLength, 0x7FFFF000u);
    EXPECT_EQ(w.dataLength, 8u);
}

TEST(WavReader, RefusesWhatIsNoUsableWav) {
    testkit::ScratchDir dir;
    auto pcm = pcmWavHeader(1, 8000, 16, 0);
    Bytes fmt(pcm.begin() + 20, pcm.begin() + 36);
    layoutOf(dir, {}, false);
    layoutOf(dir, Bytes(40, 0), false);                                  // no RIFF
    layoutOf(dir, riff({chunk("data", {1, 2})}), false);                 // no fmt
    layoutOf(dir, riff({chunk("fmt ", fmt)}), false);                    // no data
    layoutOf(dir, riff({chunk("fmt ", Bytes(fmt.begin(), fmt.begin() + 14))}), false);  // fmt too short
    Bytes cut = riff({chunk("fmt ", fmt)});
    cut.resize(cut.size() - 6);                                          // ends inside fmt
    layoutOf(dir, cut, false);
    // A chunk length pointing far past the end stops the walk without reading there.
    Bytes huge = riff({chunk("fmt ", fmt), chunk("LIST", {1, 2})});
    testkit::put32(huge, 12 + 24 + 4, 0xFFFFFFF0u);
    layoutOf(dir, huge, false);
}

TEST(WavReader, TheWalkNamesWhatIsWrong) {
    testkit::ScratchDir dir;
    auto pcm = pcmWavHeader(1, 8000, 16, 0);
    Bytes fmt(pcm.begin() + 20, pcm.begin() + 36);
    auto walk = [&](const Bytes& file) {
        std::string path = dir.file("w.wav");
        testkit::writeFile(path, file);
        sonkrate::io::File f;
        EXPECT_TRUE(f.open(path, sonkrate::io::FileMode::Read).ok);
        WavLayout w;
        return walkWavChunks(f, w).walk;
    };
    Bytes cut = riff({chunk("fmt ", fmt)});
    cut.resize(cut.size() - 6);
    Bytes avi = riff({chunk("fmt ", fmt), chunk("data", {1, 2})});
    std::copy_n("AVI ", 4, avi.begin() + 8);
    EXPECT_EQ(walk(riff({chunk("fmt ", fmt), chunk("data", {1, 2})})), WavWalk::Ok);
    EXPECT_EQ(walk(Bytes(11, 0)), WavWalk::TooShort);
    EXPECT_EQ(walk(avi), WavWalk::NotRiffWave);
    EXPECT_EQ(walk(riff({chunk("fmt ", Bytes(fmt.begin(), fmt.begin() + 14))})), WavWalk::FormatTooShort);
    EXPECT_EQ(walk(cut), WavWalk::FormatTruncated);
    EXPECT_EQ(walk(riff({chunk("data", {1, 2})})), WavWalk::NoFormat);
    EXPECT_EQ(walk(riff({chunk("fmt ", fmt)})), WavWalk::NoData);

    // The sentence still gives the format chunk's length.
    std::string path = dir.file("short-fmt.wav");
    testkit::writeFile(path, riff({chunk("fmt ", Bytes(fmt.begin(), fmt.begin() + 14))}));
    WavLayout w;
    auto outcome = readWavLayout(path, w);
    EXPECT_NE(outcome.reason.find("only 14 bytes"), std::string::npos) << outcome.reason;
}

TEST(WavReader, ExtensibleSubFormatOnlyFromAFullChunkButItsTagWheneverPresent) {
    testkit::ScratchDir dir;
    auto pcm = pcmWavHeader(2, 48000, 24, 0);
    Bytes fmt(pcm.begin() + 20, pcm.begin() + 36);
    testkit::put16(fmt, 0, 0xFFFE);
    Bytes ext = fmt;
    ext.resize(40, 0);
    testkit::put16(ext, 16, 22);
    testkit::put16(ext, 24, 3);  // the GUID opens with the float tag
    WavLayout full = layoutOf(dir, riff({chunk("fmt ", ext), chunk("data", {0, 0, 0, 0, 0, 0})}));
    EXPECT_EQ(full.subFormat, 3);
    EXPECT_TRUE(full.hasSubFormatTag);
    EXPECT_EQ(full.subFormatTag, 3);

    Bytes partial(ext.begin(), ext.begin() + 26);
    WavLayout shortExt = layoutOf(dir, riff({chunk("fmt ", partial), chunk("data", {0, 0})}));
    EXPECT_EQ(shortExt.subFormat, 0);
    EXPECT_TRUE(shortExt.hasSubFormatTag);
    EXPECT_EQ(shortExt.subFormatTag, 3);

    Bytes tooShort(ext.begin(), ext.begin() + 24);
    WavLayout none = layoutOf(dir, riff({chunk("fmt ", tooShort), chunk("data", {0, 0})}));
    EXPECT_FALSE(none.hasSubFormatTag);
    EXPECT_EQ(none.fmtChunkLength, 24u);
}

TEST(WavReader, TheCanonicalHeaderIsReadAtItsOffsetsWithoutLookingAtTags) {
    testkit::ScratchDir dir;
    // A LIST chunk first: the walk would find "fmt " later, the fixed
    // offsets read whatever lies at 16..35.
    Bytes file = riff({chunk("LIST", Bytes(24, 0x11)), chunk("data", {1, 2})});
    testkit::put32(file, 16, 20);
    testkit::put16(file, 20, 0xFFFF);  // read as signed
    testkit::put16(file, 22, 2);
    testkit::put32(file, 24, 22050);
    testkit::put16(file, 32, 2056);
    testkit::put16(file, 34, 4);
    std::string path = dir.file("c.wav");
    testkit::writeFile(path, file);
    CanonicalWavHeader h;
    ASSERT_TRUE(readCanonicalWavHeader(path, h).ok);
    EXPECT_EQ(h.riffSize, file.size() - 8);
    EXPECT_EQ(h.fmtSize, 20u);
    EXPECT_EQ(h.formatTag, -1);
    EXPECT_EQ(h.channels, 2);
    EXPECT_EQ(h.sampleRate, 22050u);
    EXPECT_EQ(h.blockAlign, 2056);
    EXPECT_EQ(h.bitsPerSample, 4);

    // A short file gives zeros past its end; a missing one fails naming it.
    testkit::writeFile(path, Bytes(file.begin(), file.begin() + 26));
    CanonicalWavHeader cut;
    ASSERT_TRUE(readCanonicalWavHeader(path, cut).ok);
    EXPECT_EQ(cut.channels, 2);
    EXPECT_EQ(cut.sampleRate & 0xFFFFu, 22050u);
    EXPECT_EQ(cut.blockAlign, 0);
    EXPECT_EQ(cut.bitsPerSample, 0);
    auto missing = readCanonicalWavHeader(dir.file("gone.wav"), cut);
    EXPECT_FALSE(missing.ok);
    EXPECT_NE(missing.reason.find("gone.wav"), std::string::npos);
}
