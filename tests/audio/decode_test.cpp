#include <gtest/gtest.h>

#include "audio/convert/cau_to_wav.h"
#include "audio/convert/decode_adpcm_wav.h"
#include "audio/codec/ima_adpcm.h"
#include "audio/codec/ima_adpcm_encoder.h"
#include "audio/cau/missing_sound.h"
#include "audio/wav/wav_headers.h"
#include "audio_fixtures.h"
#include "io/byte_order.h"

using namespace sonkrate::audio;
using testkit::Bytes;
using testkit::u16;
using testkit::u32;

namespace {

// An IMA ADPCM .wav as cauToWav writes it, of frames frames of a tone.
Bytes imaWav(std::size_t frames, unsigned channels, std::uint32_t blockAlign, std::uint32_t rate = 22050) {
    Bytes data = encodeImaBlocks(audiotest::tone(frames, channels), channels, blockAlign);
    auto h = imaWavHeader(static_cast<std::uint16_t>(channels), rate, blockAlign,
                          static_cast<std::uint32_t>(frames), static_cast<std::uint32_t>(data.size()));
    Bytes wav(h.size() + data.size());
    std::copy(data.begin(), data.end(), std::copy(h.begin(), h.end(), wav.begin()));
    return wav;
}

struct Decoded {
    DecodeAdpcmResult result;
    Bytes wav;
    std::vector<std::int16_t> samples;
};

Decoded decodeFile(const std::string& in, const std::string& out) {
    Decoded d;
    d.result = decodeAdpcmWav(in, out);
    d.wav = testkit::readFile(out);
    if (d.wav.size() >= 44) d.samples = audiotest::pcmSamples(d.wav);
    return d;
}

Decoded decode(const testkit::ScratchDir& dir, const Bytes& input) {
    testkit::writeFile(dir.file("in.wav"), input);
    return decodeFile(dir.file("in.wav"), dir.file("out.wav"));
}

// Frame f of channel c of interleaved samples.
std::int16_t at(const std::vector<std::int16_t>& s, unsigned channels, std::size_t f, unsigned c) {
    return s.at(f * channels + c);
}

// Compares our frames with a reference decoder's: the same count, and every
// sample the same (the first few differences are shown).
void expectSameFrames(const std::vector<std::int16_t>& ours, const std::vector<std::int16_t>& theirs,
                      unsigned channels) {
    ASSERT_GT(ours.size(), 0u);
    ASSERT_EQ(ours.size() / channels, theirs.size() / channels) << "frames, ours and the reference's";
    std::size_t mismatches = 0;
    for (std::size_t i = 0; i < ours.size(); ++i)
        if (ours[i] != theirs[i] && ++mismatches < 5)
            ADD_FAILURE() << "frame " << i / channels << " channel " << i % channels << ": " << ours[i] << " vs "
                          << theirs[i];
    EXPECT_EQ(mismatches, 0u);
}

}  // namespace

TEST(DecodeAdpcmWav, StereoKeepsBothChannelsTheRateAndTheBlockCounts) {
    testkit::ScratchDir dir;
    Bytes input = imaWav(3 * 2049 + 500, 2, 2056, 11025);
    Decoded d = decode(dir, input);
    ASSERT_TRUE(d.result.ok()) << d.result.reason;
    // Three full blocks of 2049 frames (the header's and one per code), then
    // the 499 codes of the last block rounded up to whole groups (504) and
    // its header frame.
    const std::size_t frames = 3 * 2049 + 505;
    EXPECT_EQ(d.result.framesWritten, frames);
    EXPECT_EQ(d.result.blocksDecoded, 4u);
    ASSERT_EQ(d.wav.size(), 44 + frames * 4);
    EXPECT_EQ(u32(d.wav, 4), d.wav.size() - 8);
    EXPECT_EQ(u32(d.wav, 40), d.wav.size() - 44);
    EXPECT_EQ(u16(d.wav, 20), 1);
    EXPECT_EQ(u16(d.wav, 22), 2);
    EXPECT_EQ(u32(d.wav, 24), 11025u);
    EXPECT_EQ(u32(d.wav, 28), 44100u);
    EXPECT_EQ(u16(d.wav, 32), 4);
    EXPECT_EQ(u16(d.wav, 34), 16);
    for (std::size_t b = 0; b < 4; ++b) {
        const std::uint8_t* header = input.data() + 60 + b * 2056;
        EXPECT_EQ(at(d.samples, 2, b * 2049, 0), sonkrate::io::getI16(header)) << b;
        EXPECT_EQ(at(d.samples, 2, b * 2049, 1), sonkrate::io::getI16(header + 4)) << b;
    }
    // The decoded sound follows the tone in both channels, frame for frame
    // to the end: no block loses a frame.
    auto original = audiotest::tone(3 * 2049 + 500, 2);
    for (std::size_t f : {2048u, 2049u, 3 * 2049u + 200, 3 * 2049u + 499})
        for (unsigned c = 0; c < 2; ++c) EXPECT_NEAR(at(d.samples, 2, f, c), original[f * 2 + c], 1200) << f << c;

    // The mono layouts: 2049 frames per block of 1028, 1017 per block of 512.
    d = decode(dir, imaWav(2 * 2049 + 1, 1, 1028));
    ASSERT_TRUE(d.result.ok()) << d.result.reason;
    EXPECT_EQ(d.result.framesWritten, 2 * 2049 + 1u);
    EXPECT_EQ(u16(d.wav, 22), 1);
    EXPECT_EQ(u32(d.wav, 24), 22050u);
    d = decode(dir, imaWav(2 * 1017, 1, 512));
    ASSERT_TRUE(d.result.ok()) << d.result.reason;
    EXPECT_EQ(d.result.framesWritten, 2 * 1017u);
}

TEST(DecodeAdpcmWav, ShortLastBlocksAndTruncatedData) {
    testkit::ScratchDir dir;
    Bytes full = imaWav(2 * 2049, 1, 1028);
    // The data ends 4 bytes into the second block: its header frame only.
    Bytes cut(full.begin(), full.begin() + 60 + 1028 + 4);
    testkit::put32(cut, 56, 1028 + 4);
    Decoded d = decode(dir, cut);
    ASSERT_TRUE(d.result.ok()) << d.result.reason;
    EXPECT_EQ(d.result.framesWritten, 2050u);
    EXPECT_EQ(at(d.samples, 1, 2049, 0), sonkrate::io::getI16(full.data() + 60 + 1028));
    // Two bytes of a header are no frame at all.
    cut.resize(60 + 1028 + 2);
    testkit::put32(cut, 56, 1028 + 2);
    EXPECT_EQ(decode(dir, cut).result.framesWritten, 2049u);
    // A data chunk that claims more than the file holds: what is there is decoded.
    cut.assign(full.begin(), full.begin() + 60 + 1028 + 10);
    d = decode(dir, cut);
    ASSERT_TRUE(d.result.ok()) << d.result.reason;
    EXPECT_TRUE(d.result.dataClamped);
    EXPECT_EQ(d.result.framesWritten, 2049u + 1 + 12);
    EXPECT_EQ(u32(d.wav, 40), d.wav.size() - 44);
}

TEST(DecodeAdpcmWav, FindsTheDataPastOtherChunks) {
    testkit::ScratchDir dir;
    Bytes canonical = imaWav(3000, 2, 2056);
    Bytes reference = decode(dir, canonical).wav;
    // A LIST chunk between fmt and fact, as editors write them.
    Bytes list = {'L', 'I', 'S', 'T', 10, 0, 0, 0, 'I', 'N', 'F', 'O', 'I', 'C', 'M', 'T', 1, 0};
    Bytes edited(canonical.size() + list.size());
    auto end = std::copy(canonical.begin(), canonical.begin() + 40, edited.begin());
    end = std::copy(list.begin(), list.end(), end);
    std::copy(canonical.begin() + 40, canonical.end(), end);
    testkit::put32(edited, 4, static_cast<std::uint32_t>(edited.size() - 8));
    Decoded d = decode(dir, edited);
    ASSERT_TRUE(d.result.ok()) << d.result.reason;
    EXPECT_EQ(d.wav, reference);
}

TEST(DecodeAdpcmWav, RefusalsLeaveTheOutputAsItWas) {
    testkit::ScratchDir dir;
    auto refused = [&](const Bytes& input, DecodeStatus status, const std::string& why) {
        testkit::writeText(dir.file("out.wav"), "previous");
        Decoded d = decode(dir, input);
        EXPECT_EQ(d.result.status, status) << why << ": " << d.result.reason;
        EXPECT_FALSE(d.result.reason.empty()) << why;
        EXPECT_EQ(testkit::readText(dir.file("out.wav")), "previous") << why;
        return d.result;
    };
    Bytes wav = imaWav(3000, 1, 1028);
    Bytes b = wav;
    testkit::put16(b, 32, 2057);
    auto r = refused(b, DecodeStatus::UnknownBlockAlign, "2057");
    EXPECT_EQ(r.reason, dir.file("in.wav") + " holds IMA ADPCM in blocks of 2057 bytes; only blocks of 512 to 2056 "
                        "bytes can be decoded.");
    testkit::put16(b, 32, 511);
    refused(b, DecodeStatus::UnknownBlockAlign, "511");
    b = wav;
    testkit::put16(b, 22, 3);
    refused(b, DecodeStatus::Failed, "three channels");
    b = wav;
    testkit::put16(b, 20, 1);
    refused(b, DecodeStatus::Failed, "PCM format tag");
    refused(Bytes(30, 0), DecodeStatus::Failed, "not a wav");
    testkit::writeText(dir.file("out.wav"), "previous");
    auto missing = decodeAdpcmWav(dir.file("absent.wav"), dir.file("out.wav"));
    EXPECT_EQ(missing.status, DecodeStatus::Failed);
    EXPECT_NE(missing.reason.find("absent.wav"), std::string::npos);
    EXPECT_EQ(testkit::readText(dir.file("out.wav")), "previous");

    // 512 and 2056 are accepted, for mono too (block data = alignment - 4).
    Decoded d = decode(dir, imaWav(2 * 4105, 1, 2056));
    ASSERT_TRUE(d.result.ok()) << d.result.reason;
    EXPECT_EQ(d.result.framesWritten, 2 * 4105u);
    // The input may be the output.
    testkit::writeFile(dir.file("same.wav"), wav);
    ASSERT_TRUE(decodeAdpcmWav(dir.file("same.wav"), dir.file("same.wav")).ok());
    EXPECT_EQ(u16(testkit::readFile(dir.file("same.wav")), 20), 1);
}

TEST(DecodeAdpcmWav, MissingSoundIsASecondOfStereo) {
    testkit::ScratchDir dir;
    testkit::writeFile(dir.file("missing.cau"), missingSoundImage());
    auto r = cauToWav(dir.file("missing.cau"), dir.file("entries.wav"));
    ASSERT_TRUE(r.ok()) << r.outcome.reason;
    EXPECT_EQ(r.channels, 2);
    EXPECT_NEAR(r.playTimeSeconds, 1.0, 0.01);
    Decoded d = decodeFile(dir.file("entries.wav"), dir.file("decoded.wav"));
    ASSERT_TRUE(d.result.ok()) << d.result.reason;
    EXPECT_EQ(d.result.framesWritten, 10 * 2049 + 1553u);
    int peak[2] = {0, 0};
    std::size_t differ = 0;
    for (std::size_t f = 0; f < d.result.framesWritten; ++f) {
        for (unsigned c = 0; c < 2; ++c) peak[c] = std::max(peak[c], std::abs(int{at(d.samples, 2, f, c)}));
        differ += at(d.samples, 2, f, 0) != at(d.samples, 2, f, 1);
    }
    EXPECT_GT(peak[0], 6000);
    EXPECT_GT(peak[1], 4000);
    EXPECT_GT(differ, d.result.framesWritten / 2);
}

// The IMA ADPCM .wav that cauToWav writes, with the standard 2049 samples per
// block, decoded by libsndfile: every frame is ours. The sounds are long
// enough to cross several of the decoder's reads (whole blocks decoded side
// by side and alone), and end in a short block.
TEST(DecodeAdpcmWav, AgreesWithSndfileBlockByBlock) {
    if (!testkit::haveTool("sndfile-convert")) GTEST_SKIP() << "sndfile-convert is not installed";
    testkit::ScratchDir dir;
    for (unsigned channels : {1u, 2u}) {
        std::uint32_t align = channels == 1 ? 1028 : 2056;
        std::size_t blocks = channels == 1 ? 262 : 130;
        std::string cau = dir.file("s.cau"), wav = dir.file("s.wav");
        testkit::writeFile(cau, audiotest::imaCau(audiotest::tone(blocks * 2049 + 777, channels), channels, align));
        ASSERT_TRUE(cauToWav(cau, wav).ok());
        Bytes standard = testkit::readFile(wav);
        testkit::put16(standard, 38, 2049);
        testkit::writeFile(dir.file("std.wav"), standard);
        auto run = testkit::run("sndfile-convert -pcm16 " + testkit::quote(dir.file("std.wav")) + " " +
                                testkit::quote(dir.file("ref.wav")));
        ASSERT_EQ(run.exitCode, 0) << run.err;
        Bytes ref = testkit::readFile(dir.file("ref.wav"));
        ASSERT_EQ(u16(ref, 22), channels);

        Decoded d = decodeFile(wav, dir.file("ours.wav"));
        ASSERT_TRUE(d.result.ok()) << d.result.reason;
        ASSERT_EQ(d.result.framesWritten, blocks * 2049 + 777u);  // the last block: header and 776 codes
        SCOPED_TRACE(channels == 1 ? "mono 1028" : "stereo 2056");
        // libsndfile fills the short last block out to a whole one.
        std::vector<std::int16_t> theirs = audiotest::pcmSamples(ref);
        ASSERT_EQ(theirs.size(), (blocks + 1) * 2049 * channels);
        theirs.resize(d.samples.size());
        expectSameFrames(d.samples, theirs, channels);
    }
}

// Real IMA ADPCM written by SoX (its own block sizes), decoded by both.
TEST(DecodeAdpcmWav, AgreesWithSoxOnItsOwnFiles) {
    if (!testkit::haveTool("sox")) GTEST_SKIP() << "sox is not installed";
    testkit::ScratchDir dir;
    struct Case { int rate; int channels; };
    // SoX uses 256 bytes per channel: stereo blocks of 512 bytes.
    for (Case c : {Case{11025, 2}, Case{44100, 2}}) {
        std::string in = dir.file("sox.wav"), ref = dir.file("ref.wav");
        auto made = testkit::run("sox -n -r " + std::to_string(c.rate) + " -c " + std::to_string(c.channels) +
                                 " -e ima-adpcm " + testkit::quote(in) + " synth 1.3 sine 440 sine 620 vol 0.8");
        ASSERT_EQ(made.exitCode, 0) << made.err;
        auto decoded = testkit::run("sox " + testkit::quote(in) + " -e signed -b 16 " + testkit::quote(ref));
        ASSERT_EQ(decoded.exitCode, 0) << decoded.err;
        Decoded d = decodeFile(in, dir.file("ours.wav"));
        ASSERT_TRUE(d.result.ok()) << d.result.reason;
        EXPECT_EQ(u32(d.wav, 24), static_cast<std::uint32_t>(c.rate));
        EXPECT_EQ(u16(d.wav, 22), c.channels);
        SCOPED_TRACE(std::to_string(c.rate) + " Hz, " + std::to_string(c.channels) + " channels");
        expectSameFrames(d.samples, audiotest::pcmSamples(testkit::readFile(ref)), static_cast<unsigned>(c.channels));
    }
    // Its mono blocks of 256 bytes lie below what the decoder accepts.
    std::string mono = dir.file("mono.wav");
    auto made = testkit::run("sox -n -r 22050 -c 1 -e ima-adpcm " + testkit::quote(mono) + " synth 0.2 sine 440");
    ASSERT_EQ(made.exitCode, 0) << made.err;
    EXPECT_EQ(decodeAdpcmWav(mono, dir.file("m.wav")).status, DecodeStatus::UnknownBlockAlign);
}
