// The SPHERE header scan: words end at blanks only, the first ten are
// examined, and values are known by their first characters.
#include <gtest/gtest.h>

#include "import/sphere_reader.h"
#include "import_testing.h"
#include "io/file.h"

using namespace sonkrate;
using namespace sonkrate::import;
using testkit::Bytes;

namespace {

// A SPHERE file: the header text padded to 1024 bytes, then data bytes.
Bytes sphereFile(const std::string& header, std::size_t dataBytes = 400) {
    Bytes b(1024 + dataBytes, 0);
    std::copy(header.begin(), header.end(), b.begin());
    for (std::size_t i = 1024; i < b.size(); ++i) b[i] = static_cast<std::uint8_t>(i * 3);
    return b;
}

SphereScan scan(const testkit::ScratchDir& dir, const std::string& header) {
    testkit::writeFile(dir.file("h.sph"), sphereFile(header));
    io::File f;
    EXPECT_TRUE(f.open(dir.file("h.sph"), io::FileMode::Read));
    return scanSphereHeader(f);
}

importtest::WavFields convert(const testkit::ScratchDir& dir, const std::string& header, ConversionResult* result) {
    testkit::writeFile(dir.file("c.sph"), sphereFile(header));
    *result = convertSphere(dir.file("c.sph"), dir.file("c.wav"));
    EXPECT_TRUE(result->ok()) << result->reason;
    return importtest::fieldsOf(testkit::readFile(dir.file("c.wav")));
}

const std::string kUlawHeader =
    "NIST_1A\n   1024\nchannel_count -i 1\nsample_rate -i 16000\nsample_coding -s4 ulaw\nend_head\n";

}  // namespace

TEST(Sphere, WordsSpanLineEndsAndValuesAreKnownByTheirStart) {
    testkit::ScratchDir dir;
    // NIST_1A and its newline; two empty words; "1024\nchannel_count"; "-i"
    // with "1\nsample_rate" (starts with 1: one channel); "-i" with
    // "16000\nsample_coding" (the rate); "-s4" with a value starting "ulaw".
    ConversionResult r;
    importtest::WavFields f = convert(dir, kUlawHeader, &r);
    EXPECT_EQ(f.formatTag, 7u);
    EXPECT_EQ(f.channels, 1u);
    EXPECT_EQ(f.sampleRate, 16000u);
    EXPECT_EQ(f.byteRate, 16000u);
    EXPECT_EQ(f.blockAlign, 1u);
    EXPECT_EQ(f.dataSize, 400u);
    EXPECT_EQ(f.riffSize, 1424u - 974u);
    EXPECT_DOUBLE_EQ(r.playTimeSeconds, 1424.0 / 16000);
    // The same lines with CR LF ends read the same.
    std::string crlf;
    for (char c : kUlawHeader) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    SphereScan s = scan(dir, crlf);
    EXPECT_EQ(s.channels(), 1);
    EXPECT_EQ(s.rate(), 16000);
    EXPECT_TRUE(s.muLaw);

    // sample_count placed before sample_rate, with no channel_count: 36480
    // starts with 3 and is passed over; "16000\nsample_coding" starts with 1
    // and becomes the channel text (16000 channels, written as 2), and no rate is found.
    f = convert(dir, "NIST_1A\n   1024\nsample_count -i 36480\nsample_rate -i 16000\nsample_coding -s4 ulaw\n", &r);
    EXPECT_EQ(f.channels, 2u);
    EXPECT_EQ(f.sampleRate, 44100u);
    EXPECT_EQ(f.byteRate, 88200u);  // doubled: the channel count is not 1
    EXPECT_DOUBLE_EQ(r.playTimeSeconds, 1424.0 / 44100);  // not halved: the count is not 2
    // With channel_count after sample_count, its value is the first to start with 1 or 2.
    s = scan(dir, "NIST_1A\n   1024\nsample_count -i 36480\nchannel_count -i 1\nsample_rate -i 16000\n");
    EXPECT_EQ(s.channels(), 1);
    EXPECT_EQ(s.rate(), 16000);

    // 8000 followed by a newline is "8000\n" in its first five characters: not a rate.
    s = scan(dir, "NIST_1A\n   1024\nchannel_count -i 1\nsample_rate -i 8000\nsample_coding -s3 pcm\n");
    EXPECT_EQ(s.rateText, "");
    EXPECT_EQ(s.rate(), 44100);
    // As a word by itself it is one.
    s = scan(dir, "NIST_1A\n   1024\nchannel_count -i 1\nsample_rate -i 8000 \nsample_coding -s3 pcm\n");
    EXPECT_EQ(s.rate(), 8000);
    s = scan(dir, "NIST_1A\n   1024\nchannel_count -i 2\nsample_rate -i 176400\nsample_coding -s4 alaw\n");
    EXPECT_EQ(s.channels(), 2);
    EXPECT_EQ(s.rate(), 176400);
    EXPECT_TRUE(s.aLaw);
}

TEST(Sphere, OnlyTheFirstTenWordsAreExamined) {
    testkit::ScratchDir dir;
    // Eleven words before the fields: nothing is seen; 16-bit, 2 channels, 44100 Hz.
    ConversionResult r;
    importtest::WavFields f =
        convert(dir, "NIST_1A a b c d e f g h i j\nchannel_count -i 1\nsample_rate -i 16000\n", &r);
    EXPECT_EQ(f.formatTag, 1u);
    EXPECT_EQ(f.channels, 2u);
    EXPECT_EQ(f.sampleRate, 44100u);
    EXPECT_EQ(f.byteRate, 88200u);
    EXPECT_EQ(f.blockAlign, 4u);
    EXPECT_EQ(f.bitsPerSample, 16u);
    EXPECT_EQ(f.riffSize, 1424u - 988u);
    // The values after "-i" and "-s4" are not counted: eight markers with
    // their values still leave the tenth word, "-s4", examined.
    SphereScan s = scan(dir, "x -i 1\n -i 3\n -i 3\n -i 3\n -i 3\n -i 3\n -i 3\n -i 22050 -s4 alaw\n");
    EXPECT_EQ(s.channels(), 1);
    EXPECT_EQ(s.rate(), 22050);
    EXPECT_TRUE(s.aLaw);
    // A "-i" whose value is missing at the end of the file, or a short "-s4" value.
    s = scan(dir, "NIST_1A -s4 ula");
    EXPECT_FALSE(s.muLaw);
}

TEST(Sphere, SampleWidthsComeFromTheLastLongValue) {
    testkit::ScratchDir dir;
    ConversionResult r;
    // A value starting "24" after the channel: 24-bit, byte rate doubled by the "24".
    importtest::WavFields f = convert(
        dir, "NIST_1A\n   1024\nchannel_count -i 1\nsample_rate -i 22050\nsample_sig_bits -i 24\nend_head\n", &r);
    EXPECT_EQ(f.bitsPerSample, 24u);
    EXPECT_EQ(f.blockAlign, 3u);
    EXPECT_EQ(f.byteRate, 22050u * 3 * 2);
    EXPECT_DOUBLE_EQ(r.playTimeSeconds, 1424.0 / (3 * 22050));
    // "32": 16-bit samples at twice the rate.
    f = convert(dir, "NIST_1A\n   1024\nchannel_count -i 2\nsample_rate -i 22050\nsample_sig_bits -i 32\nend_head\n",
                &r);
    EXPECT_EQ(f.bitsPerSample, 16u);
    EXPECT_EQ(f.channels, 2u);
    EXPECT_EQ(f.sampleRate, 44100u);
    EXPECT_EQ(f.byteRate, 22050u * 4 * 2);
    EXPECT_DOUBLE_EQ(r.playTimeSeconds, 1424.0 / (8 * 22050) / 2);
    // The data is copied unchanged from 1024.
    Bytes wav = testkit::readFile(dir.file("c.wav"));
    Bytes in = testkit::readFile(dir.file("c.sph"));
    EXPECT_TRUE(std::equal(wav.begin() + 44, wav.end(), in.begin() + 1024));
}
