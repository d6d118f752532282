// The sound decoder of the desktop player against SoX: every coding a .wav
// may hold is written by sox, decoded here and by sox, and the samples must
// be the same to the bit.
#include <gtest/gtest.h>

#include <cstring>

#include "audio/wav_headers.h"
#include "platform/fltk/wav_source.h"
#include "testkit/testkit.h"

using sonkrate::platform::desktop::SampleType;
using sonkrate::platform::desktop::WavCoding;
using sonkrate::platform::desktop::WavSource;
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
    using sonkrate::platform::desktop::aLawToLinear;
    using sonkrate::platform::desktop::muLawToLinear;
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
