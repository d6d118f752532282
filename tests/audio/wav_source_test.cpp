// The sound decoder of the desktop player against SoX: every coding a .wav
// may hold is written by sox, decoded here and by sox, and the samples must
// be the same to the bit. Then the decoders it stands on, on known bytes.
#include <gtest/gtest.h>

#include <cstring>

#include "audio/codec/a_law.h"
#include "audio/codec/ima_wav_block.h"
#include "audio/codec/ms_adpcm.h"
#include "audio/codec/mu_law.h"
#include "audio/wav/wav_headers.h"
#include "audio/wav/wav_source.h"
#include "testkit/testkit.h"

using sonkrate::audio::SampleType;
using sonkrate::audio::WavCoding;
using sonkrate::audio::WavSource;
using testkit::Bytes;
using testkit::quote;

namespace {

Bytes decodeAll(WavSource& source, std::size_t chunk = 1000) {
    Bytes out, buffer(chunk);
    for (std::size_t n; (n = source.read(buffer.data(), buffer.size())) > 0;)
        out.insert(out.end(), buffer.begin(), buffer.begin() + static_cast<long>(n));
    return out;
}

}  // namespace

TEST(WavSource, DecodesEveryCodingAsSoxDoes) {
    if (!testkit::haveTool("sox")) GTEST_SKIP() << "sox is not installed";
    testkit::ScratchDir dir;
    struct Case {
        const char* options;  // sox output options
        WavCoding coding;
        SampleType type;
        const char* reference;  // sox options of the raw reference
    };
    const Case cases[] = {
        {"-b 8 -e unsigned-integer", WavCoding::Pcm, SampleType::S16, "-b 16 -e signed-integer"},
        {"-b 16 -e signed-integer", WavCoding::Pcm, SampleType::S16, "-b 16 -e signed-integer"},
        {"-b 24 -e signed-integer", WavCoding::Pcm, SampleType::S32, "-b 32 -e signed-integer"},
        {"-b 32 -e signed-integer", WavCoding::Pcm, SampleType::S32, "-b 32 -e signed-integer"},
        {"-b 32 -e floating-point", WavCoding::Float, SampleType::F32, "-b 32 -e floating-point"},
        {"-e a-law", WavCoding::ALaw, SampleType::S16, "-b 16 -e signed-integer"},
        {"-e u-law", WavCoding::MuLaw, SampleType::S16, "-b 16 -e signed-integer"},
        {"-e ima-adpcm", WavCoding::ImaAdpcm, SampleType::S16, "-b 16 -e signed-integer"},
        {"-e ms-adpcm", WavCoding::MsAdpcm, SampleType::S16, "-b 16 -e signed-integer"},
    };
    for (int channels : {1, 2}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.options) + ", " + std::to_string(channels) + " channel(s)");
            std::string wav = dir.file("in.wav"), raw = dir.file("ref.raw");
            // A chord that is not a whole number of ADPCM blocks long, so
            // that the short last block is decoded too.
            auto made = testkit::run("sox -n -r 11025 -c " + std::to_string(channels) + " " + c.options + " " +
                                     quote(wav) + " synth 0.37 sine 440 sine 1234 gain -3");
            ASSERT_EQ(made.exitCode, 0) << made.err;
            auto ref = testkit::run("sox " + quote(wav) + " -t raw " + c.reference + " " + quote(raw));
            ASSERT_EQ(ref.exitCode, 0) << ref.err;

            WavSource source;
            auto opened = source.open(wav);
            ASSERT_TRUE(opened.ok) << opened.reason;
            EXPECT_EQ(source.coding(), c.coding);
            EXPECT_EQ(source.format().type, c.type);
            EXPECT_EQ(source.format().channels, channels);
            EXPECT_EQ(source.format().sampleRate, 11025u);
            Bytes ours = decodeAll(source, 777);  // odd reads cut samples apart
            Bytes theirs = testkit::readFile(raw);
            ASSERT_EQ(ours.size(), theirs.size());
            EXPECT_TRUE(ours == theirs);
        }
    }
}

TEST(WavSource, DecodesAdpcmOfThreeChannelsAsSoxDoes) {
    if (!testkit::haveTool("sox")) GTEST_SKIP() << "sox is not installed";
    testkit::ScratchDir dir;
    for (const char* coding : {"ima-adpcm", "ms-adpcm"}) {
        SCOPED_TRACE(coding);
        std::string wav = dir.file("in.wav"), raw = dir.file("ref.raw");
        auto made = testkit::run("sox -n -r 8000 -c 3 -e " + std::string(coding) + " " + quote(wav) +
                                 " synth 0.41 sine 440 sine 1234 sine 300 gain -3");
        ASSERT_EQ(made.exitCode, 0) << made.err;
        ASSERT_EQ(testkit::run("sox " + quote(wav) + " -t raw -b 16 -e signed-integer " + quote(raw)).exitCode, 0);
        WavSource source;
        auto opened = source.open(wav);
        ASSERT_TRUE(opened.ok) << opened.reason;
        EXPECT_EQ(source.format().channels, 3);
        Bytes ours = decodeAll(source, 1001);
        Bytes theirs = testkit::readFile(raw);
        ASSERT_EQ(ours.size(), theirs.size());
        EXPECT_TRUE(ours == theirs);
    }
}

TEST(WavSource, PlaysWhatATruncatedFileHoldsAndRefusesBadHeaders) {
    testkit::ScratchDir dir;
    // 100 frames of 16-bit mono PCM, but the data chunk claims 1000.
    auto header = sonkrate::audio::pcmWavHeader(1, 8000, 16, 2000);
    Bytes file(header.begin(), header.end());
    for (int i = 0; i < 100; ++i) {
        file.push_back(static_cast<std::uint8_t>(i));
        file.push_back(static_cast<std::uint8_t>(0x80 | i));
    }
    testkit::writeFile(dir.file("short.wav"), file);
    WavSource source;
    ASSERT_TRUE(source.open(dir.file("short.wav")).ok);
    Bytes samples = decodeAll(source);
    ASSERT_EQ(samples.size(), 200u);
    EXPECT_TRUE(std::equal(samples.begin(), samples.end(), file.begin() + 44));
    Bytes more(16);
    EXPECT_EQ(source.read(more.data(), more.size()), 0u);

    auto refused = [&](Bytes bytes, const char* words) {
        std::string path = dir.file("bad.wav");
        testkit::writeFile(path, bytes);
        WavSource s;
        auto o = s.open(path);
        EXPECT_FALSE(o.ok) << words;
        EXPECT_NE(o.reason.find(path), std::string::npos) << o.reason;
        EXPECT_NE(o.reason.find(words), std::string::npos) << o.reason;
    };
    Bytes noChannels = file;
    testkit::put16(noChannels, 22, 0);
    refused(noChannels, "0 channels");
    Bytes noAlign = file;
    testkit::put16(noAlign, 32, 0);
    refused(noAlign, "block alignment of 0");
    Bytes gsm = file;
    testkit::put16(gsm, 20, 0x31);
    refused(gsm, "format tag 0x0031");
    // IMA ADPCM blocks that cannot hold whole groups of 4 bytes per channel.
    Bytes ima = file;
    testkit::put16(ima, 20, 0x11);
    testkit::put16(ima, 32, 7);
    refused(ima, "cannot be cut");
    refused(Bytes(file.begin(), file.begin() + 30), "format chunk shorter");
    Bytes notWave = file;
    std::memcpy(notWave.data() + 8, "AVI ", 4);
    refused(notWave, "not a RIFF WAVE");
}

TEST(WavSource, ExpandsG711CodesOfBothLaws) {
    using sonkrate::audio::aLawToLinear;
    using sonkrate::audio::muLawToLinear;
    // The ends and the middle of both scales.
    EXPECT_EQ(muLawToLinear(0xFF), 0);
    EXPECT_EQ(muLawToLinear(0x7F), 0);
    EXPECT_EQ(muLawToLinear(0x00), -32124);
    EXPECT_EQ(muLawToLinear(0x80), 32124);
    EXPECT_EQ(aLawToLinear(0xD5), 8);
    EXPECT_EQ(aLawToLinear(0x55), -8);
    EXPECT_EQ(aLawToLinear(0xAA), 32256);
    EXPECT_EQ(aLawToLinear(0x2A), -32256);
}

// Every one of the 256 codes of both laws, expanded as sox expands them.
TEST(G711, EveryCodeExpandsAsSoxExpandsIt) {
    if (!testkit::haveTool("sox")) GTEST_SKIP() << "sox is not installed";
    testkit::ScratchDir dir;
    Bytes codes(256);
    for (int i = 0; i < 256; ++i) codes[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
    testkit::writeFile(dir.file("codes.raw"), codes);
    for (const char* law : {"a-law", "mu-law"}) {
        SCOPED_TRACE(law);
        auto done = testkit::run("sox -t raw -r 8000 -c 1 -b 8 -e " + std::string(law) + " " +
                                 quote(dir.file("codes.raw")) + " -t raw -b 16 -e signed-integer " +
                                 quote(dir.file("linear.raw")));
        ASSERT_EQ(done.exitCode, 0) << done.err;
        Bytes linear = testkit::readFile(dir.file("linear.raw"));
        ASSERT_EQ(linear.size(), 512u);
        std::vector<std::int16_t> ours(256);
        if (std::string(law) == "a-law")
            sonkrate::audio::expandALaw(codes.data(), 256, ours.data());
        else
            sonkrate::audio::expandMuLaw(codes.data(), 256, ours.data());
        for (std::size_t i = 0; i < 256; ++i)
            EXPECT_EQ(ours[i], static_cast<std::int16_t>(testkit::u16(linear, 2 * i))) << "code " << i;
    }
}

TEST(MsAdpcm, DecodesKnownBlocks) {
    using sonkrate::audio::decodeMsAdpcmBlock;
    std::vector<std::int16_t> out;
    // Mono, predictor 1 (512, -256), delta 16, newest 100, older 50; codes 7, -8, 0, 0.
    // 7: (100*512 - 50*256) >> 8 = 150, + 7*16 = 262; delta 614*16 >> 8 = 38.
    // -8: (262*512 - 100*256) >> 8 = 424, - 8*38 = 120; delta 768*38 >> 8 = 114.
    // 0: (120*512 - 262*256) >> 8 = -22; delta 230*114 >> 8 = 102.
    // 0: (-22*512 - 120*256) >> 8 = -164.
    const std::uint8_t mono[] = {1, 16, 0, 100, 0, 50, 0, 0x78, 0x00};
    EXPECT_EQ(decodeMsAdpcmBlock(mono, sizeof mono, 1, out), 6u);
    EXPECT_EQ(out, (std::vector<std::int16_t>{50, 100, 262, 120, -22, -164}));

    // Stereo: every header field is a pair (left, right); codes alternate
    // left, right. Predictor 3 (192, 64) rounds towards minus infinity:
    // (-1*192 + 0*64) >> 8 is -1, where a division would give 0.
    out.clear();
    const std::uint8_t stereo[] = {0, 3, 16, 0, 16, 0, 10, 0, 0xFF, 0xFF, 5, 0, 0, 0, 0x10};
    EXPECT_EQ(decodeMsAdpcmBlock(stereo, sizeof stereo, 2, out), 3u);
    EXPECT_EQ(out, (std::vector<std::int16_t>{5, 0, 10, -1, 26, -1}));

    // Clamped at the top; an index past the table takes its last pair
    // (392, -232), seen in the step after; a block shorter than its header
    // gives nothing.
    out.clear();
    const std::uint8_t loud[] = {9, 16, 0, 0xFF, 0x7F, 0, 0, 0x70};
    EXPECT_EQ(decodeMsAdpcmBlock(loud, sizeof loud, 1, out), 4u);
    EXPECT_EQ(out[2], 32767);
    EXPECT_EQ(out[3], 20479);  // (32767*392 - 32767*232) >> 8
    out.clear();
    EXPECT_EQ(decodeMsAdpcmBlock(stereo, 13, 2, out), 0u);
    EXPECT_TRUE(out.empty());

    // Code -8 again and again triples delta each step: a long hostile block
    // pins the samples at the bottom bound instead of overflowing.
    out.clear();
    std::vector<std::uint8_t> falling = {0, 0xFF, 0x7F, 0, 0, 0, 0};
    falling.resize(falling.size() + 200, 0x88);
    EXPECT_EQ(decodeMsAdpcmBlock(falling.data(), falling.size(), 1, out), 402u);
    ASSERT_EQ(out.size(), 402u);
    for (std::size_t i = 2; i < out.size(); ++i) ASSERT_EQ(out[i], -32768) << "sample " << i;
}

TEST(ImaWavBlock, CutsBlocksOfAnyChannelCount) {
    using sonkrate::audio::decodeImaWavBlock;
    using sonkrate::audio::isImaWavBlockAlign;
    EXPECT_TRUE(isImaWavBlockAlign(1028, 1));
    EXPECT_TRUE(isImaWavBlockAlign(2056, 2));
    EXPECT_TRUE(isImaWavBlockAlign(12 + 24, 3));
    EXPECT_FALSE(isImaWavBlockAlign(12, 3));      // headers only
    EXPECT_FALSE(isImaWavBlockAlign(12 + 8, 3));  // not a whole round
    EXPECT_FALSE(isImaWavBlockAlign(8, 0));

    // Three channels, one round: headers (predictor, index 0), then one
    // group of 8 codes per channel. Code 4 at step 7 adds 7 + (7 >> 3) = 7.
    std::vector<std::uint8_t> block = {100, 0, 0, 0, 0x9C, 0xFF, 0, 0, 0, 0, 0, 0};
    for (int c = 0; c < 3; ++c)
        for (int i = 0; i < 4; ++i) block.push_back(c == 0 ? 0x04 : 0x00);
    std::vector<std::int16_t> out;
    EXPECT_EQ(decodeImaWavBlock(block.data(), block.size(), 3, out), 9u);
    ASSERT_EQ(out.size(), 27u);
    EXPECT_EQ(out[0], 100);
    EXPECT_EQ(out[1], -100);
    EXPECT_EQ(out[2], 0);
    EXPECT_EQ(out[3], 107);   // first code of channel 0
    EXPECT_EQ(out[4], -100);  // code 0 at step 7 adds 7 >> 3 = 0
    // A short block gives only the header frame; a cut header gives nothing.
    out.clear();
    EXPECT_EQ(decodeImaWavBlock(block.data(), 20, 3, out), 1u);
    EXPECT_EQ(decodeImaWavBlock(block.data(), 11, 3, out), 0u);
    EXPECT_EQ(out.size(), 3u);
}
