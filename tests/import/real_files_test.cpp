// Files written by libsndfile and SoX, converted by each reader: the header
// fields, the data bytes against the source's bytes after the conversion the
// layout uses, the playing time, and libsndfile's acceptance of the result.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "import/aiff_reader.h"
#include "import/au_reader.h"
#include "import/caf_reader.h"
#include "import/htk_reader.h"
#include "import/paf_reader.h"
#include "import/pvf_reader.h"
#include "import/sphere_reader.h"
#include "import/voc_reader.h"
#include "import/wve_reader.h"
#include "import_testing.h"

using namespace sonkrate::import;
using testkit::Bytes;

namespace {

// How the output's data bytes follow from the input's: the byte at output
// position i of a whole step, given the step's first input byte.
enum class Expect { Bytes, Copy, Swap2, Reverse3, Reverse4, HighHalf, CafSigned8, Paf8, AifcWord, Paf24 };

std::size_t widthOf(Expect e) {
    switch (e) {
    case Expect::Bytes: return 1;
    case Expect::Reverse3: return 6;  // checked whole 6-byte steps for the AIFF reader too
    case Expect::Reverse4:
    case Expect::HighHalf: return 4;
    default: return 2;
    }
}

std::uint8_t expectedByte(Expect e, const Bytes& in, std::size_t d, std::size_t i) {
    const std::size_t j2 = i % 2, base2 = d + i - j2;
    switch (e) {
    case Expect::Bytes:
    case Expect::Copy: return in[d + i];
    case Expect::Swap2: return in[base2 + 1 - j2];
    case Expect::Reverse3: return in[d + i / 3 * 3 + 2 - i % 3];
    case Expect::Reverse4: return in[d + i / 4 * 4 + 3 - i % 4];
    case Expect::HighHalf: {
        std::size_t j = i % 4, base = d + i - j;
        return j == 0 ? in[base + 1] : j == 1 ? in[base] : 0;
    }
    case Expect::CafSigned8: return static_cast<std::uint8_t>((j2 == 0 ? in[base2 + 1] : in[base2]) + 127);
    case Expect::Paf8: return static_cast<std::uint8_t>(j2 == 0 ? in[base2] + 127 : in[base2 + 1] - 127);
    case Expect::AifcWord: {
        std::uint16_t w = static_cast<std::uint16_t>((in[base2] | (in[base2 + 1] << 8)) - 0x7F81);
        return static_cast<std::uint8_t>(j2 == 0 ? w : w >> 8);
    }
    case Expect::Paf24: {
        std::size_t pair = i / 2;
        return in[d + 2 * (pair + pair / 15) + j2];
    }
    }
    return 0;
}

struct RealCase {
    const char* file;      // the foreign file's name (its extension picks the tool's format)
    const char* tool;      // "sndfile" or "sox"
    const char* options;   // the encoding options of the tool
    int toneRate, toneChannels;
    ReaderFunction reader;
    // Header written
    std::uint16_t formatTag, channels;
    std::uint32_t rate, byteRate;
    std::uint16_t blockAlign, bits;
    // Data: offset in the source, data size L - cut, and the conversion
    std::uint32_t offset;
    std::int64_t cut;  // -1: the PVF rule (1024 for an even length, 1023 for an odd one)
    Expect expect;
    // PlayTimeSeconds = L / divisor (for PAF 24-bit: data size / divisor)
    double divisor;
    bool wholeSeconds = false;  // the quotient is taken in integers
};

const RealCase kCases[] = {
    // AIFF and AIFC
    {"m16.aif", "sndfile", "-pcm16", 22050, 1, convertAiff, 1, 1, 22050, 44100, 2, 16, 58, 58, Expect::Swap2, 44100},
    {"s16.aif", "sndfile", "-pcm16", 44100, 2, convertAiff, 1, 2, 44100, 176400, 4, 16, 58, 58, Expect::Swap2, 176400},
    {"m24.aif", "sndfile", "-pcm24", 22050, 1, convertAiff, 1, 1, 22050, 66150, 3, 24, 54, 54, Expect::Reverse3, 66150},
    {"s24.aif", "sndfile", "-pcm24", 22050, 2, convertAiff, 1, 2, 22050, 132300, 6, 24, 54, 54, Expect::Reverse3, 132300},
    {"m32.aif", "sndfile", "-pcm32", 22050, 1, convertAiff, 1, 1, 44100, 88200, 2, 16, 58, 58, Expect::HighHalf, 88200},
    {"s32.aif", "sndfile", "-pcm32", 22050, 2, convertAiff, 1, 2, 44100, 88200, 4, 16, 58, 58, Expect::HighHalf, 176400},
    {"m8.aif", "sndfile", "-pcms8", 11025, 1, convertAiff, 1, 1, 6000, 12000, 2, 16, 58, 58, Expect::Swap2, 12000},
    {"s8.aif", "sndfile", "-pcms8", 22050, 2, convertAiff, 1, 2, 11025, 44100, 4, 16, 58, 58, Expect::Swap2, 44100},
    {"mu8.aif", "sndfile", "-pcmu8", 22050, 1, convertAiff, 1, 1, 11025, 22050, 2, 16, 72, 74, Expect::AifcWord, 22050},
    {"mulaw.aif", "sndfile", "-ulaw", 22050, 1, convertAiff, 7, 1, 22050, 22050, 1, 8, 72, 74, Expect::Copy, 22050},
    {"sulaw.aif", "sndfile", "-ulaw", 8000, 2, convertAiff, 7, 2, 8000, 16000, 2, 8, 72, 74, Expect::Copy, 16000},
    {"salaw.aif", "sndfile", "-alaw", 22050, 2, convertAiff, 6, 2, 22050, 44100, 2, 8, 72, 74, Expect::Copy, 44100},
    {"m16.aifc", "sox", "-b 16", 22050, 1, convertAiff, 1, 1, 11025, 22050, 2, 16, 72, 74, Expect::AifcWord, 22050},
    {"s16.aifc", "sox", "-b 16", 22050, 2, convertAiff, 1, 1, 22050, 44100, 2, 16, 72, 74, Expect::AifcWord, 44100},
    {"m8.aifc", "sox", "-b 8 -e signed", 22050, 1, convertAiff, 1, 1, 11025, 22050, 2, 16, 72, 74, Expect::AifcWord, 22050},
    // AU: linear PCM as one 16-bit channel from 32, G.711 from 24
    {"m16.au", "sndfile", "-pcm16", 8000, 1, convertAu, 1, 1, 8000, 16000, 2, 16, 32, 32, Expect::Swap2, 16000},
    {"s16.au", "sndfile", "-pcm16", 8000, 2, convertAu, 1, 1, 16000, 32000, 2, 16, 32, 32, Expect::Swap2, 32000},
    {"m8.au", "sndfile", "-pcms8", 22050, 1, convertAu, 1, 1, 11025, 22050, 2, 16, 32, 32, Expect::Swap2, 22050},
    {"m32.au", "sndfile", "-pcm32", 22050, 1, convertAu, 1, 1, 44100, 88200, 2, 16, 32, 32, Expect::Swap2, 88200},
    {"s32.au", "sndfile", "-pcm32", 22050, 2, convertAu, 1, 1, 88200, 176400, 2, 16, 32, 32, Expect::Swap2, 176400},
    {"sulaw.au", "sndfile", "-ulaw", 8000, 2, convertAu, 7, 2, 8000, 16000, 2, 8, 24, 24, Expect::Copy, 16000},
    {"malaw.au", "sndfile", "-alaw", 22050, 1, convertAu, 6, 1, 22050, 22050, 1, 8, 24, 24, Expect::Copy, 22050},
    {"msox.snd", "sox", "-b 16", 22050, 1, convertAu, 1, 1, 22050, 44100, 2, 16, 32, 32, Expect::Swap2, 44100},
    // VOC
    {"m16.voc", "sndfile", "-pcm16", 22050, 1, convertVoc, 1, 1, 22050, 44100, 2, 16, 40, 40, Expect::Bytes, 44100},
    {"s16.voc", "sndfile", "-pcm16", 44100, 2, convertVoc, 1, 2, 44100, 176400, 4, 16, 40, 40, Expect::Bytes, 176400},
    {"m8.voc", "sndfile", "-pcmu8", 11025, 1, convertVoc, 1, 1, 11025, 11025, 1, 8, 40, 41, Expect::Bytes, 11025},
    {"m8k.voc", "sndfile", "-pcmu8", 8000, 1, convertVoc, 1, 1, 8000, 8000, 1, 8, 40, 41, Expect::Bytes, 8000},
    {"s8.voc", "sndfile", "-pcmu8", 22050, 2, convertVoc, 1, 2, 22050, 44100, 2, 8, 40, 41, Expect::Bytes, 44100},
    {"s8sox.voc", "sox", "-b 8 -e unsigned", 22050, 2, convertVoc, 1, 2, 22050, 44100, 2, 8, 40, 41, Expect::Bytes, 44100},
    // CAF
    {"m16.caf", "sndfile", "-pcm16", 22050, 1, convertCaf, 1, 1, 22050, 44100, 2, 16, 4094, 4094, Expect::Swap2, 44100},
    {"s16.caf", "sndfile", "-pcm16", 44100, 2, convertCaf, 1, 2, 44100, 176400, 4, 16, 4094, 4094, Expect::Swap2, 176400},
    {"m24.caf", "sndfile", "-pcm24", 48000, 1, convertCaf, 1, 1, 48000, 144000, 3, 24, 4096, 4096, Expect::Reverse3, 144000},
    {"s24.caf", "sndfile", "-pcm24", 22050, 2, convertCaf, 1, 2, 22050, 132300, 6, 24, 4096, 4096, Expect::Reverse3, 132300},
    {"m32.caf", "sndfile", "-pcm32", 22050, 1, convertCaf, 1, 1, 22050, 88200, 4, 32, 4094, 4094, Expect::Reverse4, 88200},
    {"s32.caf", "sndfile", "-pcm32", 22050, 2, convertCaf, 1, 2, 22050, 176400, 8, 32, 4094, 4094, Expect::Reverse4, 176400},
    {"mulaw.caf", "sndfile", "-ulaw", 8000, 1, convertCaf, 7, 1, 8000, 8000, 1, 8, 4096, 4096, Expect::Copy, 8000},
    {"salaw.caf", "sndfile", "-alaw", 22050, 2, convertCaf, 6, 2, 22050, 44100, 2, 8, 4096, 4096, Expect::Copy, 44100},
    {"m8.caf", "sndfile", "-pcms8", 22050, 1, convertCaf, 1, 1, 22050, 22050, 1, 8, 4094, 4094, Expect::CafSigned8, 22050},
    {"s8.caf", "sndfile", "-pcms8", 22050, 2, convertCaf, 1, 2, 22050, 44100, 2, 8, 4094, 4094, Expect::CafSigned8, 44100},
    // SPHERE: what the scan of the first ten words makes of each writer's header
    {"m16.sph", "sndfile", "-pcm16", 22050, 1, convertSphere, 1, 1, 22050, 44100, 2, 16, 1024, 1024, Expect::Copy, 44100},
    {"s16.sph", "sndfile", "-pcm16", 22050, 2, convertSphere, 1, 2, 22050, 88200, 4, 16, 1024, 1024, Expect::Copy, 88200},
    {"m24.sph", "sndfile", "-pcm24", 22050, 1, convertSphere, 1, 1, 22050, 132300, 3, 24, 1024, 1024, Expect::Copy, 66150},
    {"m32.sph", "sndfile", "-pcm32", 22050, 1, convertSphere, 1, 1, 44100, 88200, 2, 16, 1024, 1024, Expect::Copy, 176400},
    // Shorter G.711 headers let the scan reach sample_count: the 11025 frames
    // of the half-second tone are taken for the rate.
    {"sulaw.sph", "sndfile", "-ulaw", 22050, 2, convertSphere, 7, 2, 11025, 22050, 2, 8, 1024, 1024, Expect::Copy, 22050},
    {"malaw.sph", "sndfile", "-alaw", 22050, 1, convertSphere, 6, 1, 11025, 11025, 1, 8, 1024, 1024, Expect::Copy, 11025},
    // SoX puts sample_count first: its value starts with 2 and becomes the channel count.
    {"msox.sph", "sox", "-b 16", 22050, 1, convertSphere, 1, 2, 22050, 44100, 4, 16, 1024, 1024, Expect::Copy, 44100},
    // PAF (big-endian, as libsndfile writes it by default)
    {"m16.paf", "sndfile", "-pcm16", 22050, 1, convertPaf, 1, 1, 22050, 44100, 2, 16, 2048, 2048, Expect::Swap2, 44100},
    {"s16.paf", "sndfile", "-pcm16", 44100, 2, convertPaf, 1, 2, 44100, 176400, 4, 16, 2048, 2048, Expect::Swap2, 176400},
    {"m8.paf", "sndfile", "-pcms8", 22050, 1, convertPaf, 1, 1, 22050, 22050, 1, 8, 2048, 2048, Expect::Paf8, 22050},
    {"s8.paf", "sndfile", "-pcms8", 22050, 2, convertPaf, 1, 2, 22050, 44100, 2, 8, 2048, 2048, Expect::Paf8, 44100},
    {"m24.paf", "sndfile", "-pcm24", 22050, 1, convertPaf, 1, 1, 22050, 66150, 3, 24, 2048, 2048, Expect::Paf24, 66150},
    // PVF
    {"m16.pvf", "sndfile", "-pcm16", 22050, 1, convertPvf, 1, 1, 22050, 44100, 2, 16, 1024, -1, Expect::Swap2, 44100},
    {"s16.pvf", "sndfile", "-pcm16", 22050, 2, convertPvf, 1, 2, 22050, 88200, 4, 16, 1024, -1, Expect::Swap2, 88200},
    {"m8.pvf", "sndfile", "-pcms8", 8000, 1, convertPvf, 1, 1, 4000, 8000, 2, 16, 1024, -1, Expect::Swap2, 8000},
    {"s8.pvf", "sndfile", "-pcms8", 22050, 2, convertPvf, 1, 2, 11025, 44100, 4, 16, 1024, -1, Expect::Swap2, 44100},
    {"m32.pvf", "sndfile", "-pcm32", 22050, 1, convertPvf, 1, 1, 22050, 88200, 4, 32, 1024, -1, Expect::Reverse4, 88200},
    {"s32.pvf", "sndfile", "-pcm32", 22050, 2, convertPvf, 1, 2, 22050, 176400, 8, 32, 1024, -1, Expect::Reverse4, 176400},
    // WVE (its rate word is 0: the 8000 Hz fallback) and HTK
    {"malaw.wve", "sndfile", "-alaw", 8000, 1, convertWve, 6, 1, 8000, 8000, 1, 8, 32, 32, Expect::Copy, 8000},
    {"m16.htk", "sndfile", "-pcm16", 22050, 1, convertHtk, 1, 1, 22050, 44100, 2, 16, 12, 12, Expect::Swap2, 44100, true},
    {"m16k.htk", "sndfile", "-pcm16", 16000, 1, convertHtk, 1, 1, 16000, 32000, 2, 16, 12, 12, Expect::Swap2, 32000, true},
};

std::string makeForeign(const testkit::ScratchDir& dir, const RealCase& c) {
    std::string source = importtest::tone(dir, c.toneRate, c.toneChannels);
    std::string path = dir.file(c.file);
    if (std::string(c.tool) == "sox")
        importtest::mustRun("sox " + testkit::quote(source) + " " + c.options + " " + testkit::quote(path));
    else
        importtest::mustRun("sndfile-convert " + std::string(c.options) + " " + testkit::quote(source) + " " +
                            testkit::quote(path));
    return path;
}

}  // namespace

TEST(RealFiles, EveryWrittenLayoutConvertsAsPrescribed) {
    if (!importtest::haveAudioTools()) GTEST_SKIP() << "sox and sndfile-convert are needed";
    testkit::ScratchDir dir;
    for (const RealCase& c : kCases) {
        SCOPED_TRACE(c.file);
        const std::string foreign = makeForeign(dir, c);
        const std::string out = dir.file(std::string(c.file) + ".wav");
        ConversionResult result = c.reader(foreign, out);
        ASSERT_FALSE(result.readFailed) << result.reason;
        ASSERT_TRUE(result.outputWritten);

        const Bytes in = testkit::readFile(foreign);
        const Bytes wav = testkit::readFile(out);
        const std::int64_t length = static_cast<std::int64_t>(in.size());
        const std::int64_t cut = c.cut >= 0 ? c.cut : (length % 2 == 0 ? 1024 : 1023);
        const std::uint32_t inputData = static_cast<std::uint32_t>(length - cut);
        importtest::WavFields f = importtest::fieldsOf(wav);

        EXPECT_EQ(testkit::text(wav, 0, 4), "RIFF");
        EXPECT_EQ(testkit::text(wav, 8, 8), "WAVEfmt ");
        EXPECT_EQ(f.formatTag, c.formatTag);
        EXPECT_EQ(f.fmtSize, c.formatTag == 1 ? 16u : 18u);
        EXPECT_EQ(f.channels, c.channels);
        EXPECT_EQ(f.sampleRate, c.rate);
        EXPECT_EQ(f.byteRate, c.byteRate);
        EXPECT_EQ(f.blockAlign, c.blockAlign);
        EXPECT_EQ(f.bitsPerSample, c.bits);
        EXPECT_EQ(f.riffSize, f.headerSize - 8 + f.dataSize);
        if (f.headerSize == 58) {
            EXPECT_EQ(f.sampleFrames, f.dataSize / f.channels);
        }

        // The data bytes, step by step from the fixed offset.
        std::size_t compared;
        if (c.expect == Expect::Paf24) {
            std::uint64_t pairs = (inputData + 1) / 2;
            EXPECT_EQ(f.dataSize, (pairs - pairs / 16) * 2);
            EXPECT_EQ(wav.size(), 44 + f.dataSize);
            compared = f.dataSize - 2;
        } else {
            const std::size_t width = c.expect == Expect::Reverse3 && c.reader == convertCaf ? 3 : widthOf(c.expect);
            EXPECT_EQ(f.dataSize, inputData);
            EXPECT_EQ(wav.size(), f.headerSize + (inputData + width - 1) / width * width);
            // A PVF of odd length counts one byte more than it holds.
            compared = std::min<std::int64_t>(inputData, length - c.offset) / width * width;
        }
        ASSERT_GE(wav.size(), f.headerSize + compared);
        for (std::size_t i = 0; i < compared; ++i)
            ASSERT_EQ(wav[f.headerSize + i], expectedByte(c.expect, in, c.offset, i)) << "data byte " << i;

        // The playing time counts the whole file, header included.
        double seconds = c.expect == Expect::Paf24 ? f.dataSize / c.divisor
                         : c.wholeSeconds          ? std::floor(length / c.divisor)
                                                   : length / c.divisor;
        EXPECT_DOUBLE_EQ(result.playTimeSeconds, seconds);
        EXPECT_EQ(result.playTimeCount, static_cast<int>(std::trunc(seconds)) * 1000);

        std::string report;
        EXPECT_TRUE(importtest::sndfileAccepts(out, c.channels, &report)) << report;
        if (std::string(c.tool) == "sox") {
            testkit::RunResult sox = testkit::run("sox --i " + testkit::quote(out));
            EXPECT_EQ(sox.exitCode, 0) << sox.err;
        }
    }
}

// Where the layout keeps the sound as it is, libsndfile hears the same samples in the
// converted file as in the source, shifted by the frames the fixed data
// offset skips or adds.
TEST(RealFiles, FaithfulLayoutsSoundLikeTheirSource) {
    if (!importtest::haveAudioTools()) GTEST_SKIP() << "sox and sndfile-convert are needed";
    testkit::ScratchDir dir;
    struct Faithful {
        const char* file;
        const char* options;
        int channels;
        ReaderFunction reader;
        int shift;  // converted frame k is source frame k + shift
    };
    const Faithful cases[] = {
        {"a.aif", "-pcm16", 1, convertAiff, 2},   // data at 54, read from 58
        {"b.aif", "-pcm16", 2, convertAiff, 1},
        {"c.caf", "-pcm24", 2, convertCaf, 0},
        {"d.caf", "-pcm16", 1, convertCaf, -1},   // data at 4096, read from 4094
        {"e.htk", "-pcm16", 1, convertHtk, 0},
        {"f.voc", "-pcm16", 1, convertVoc, -1},  // data at 42, read from 40
        {"g.sph", "-pcm16", 1, convertSphere, 0},
        {"h.paf", "-pcm16", 2, convertPaf, 0},
        {"i.aif", "-alaw", 1, convertAiff, 0},
        {"j.caf", "-ulaw", 2, convertCaf, 0},
    };
    for (const Faithful& c : cases) {
        SCOPED_TRACE(c.file);
        std::string foreign = dir.file(c.file), out = dir.file(std::string(c.file) + ".wav");
        importtest::mustRun("sndfile-convert " + std::string(c.options) + " " +
                            testkit::quote(importtest::tone(dir, 22050, c.channels)) + " " + testkit::quote(foreign));
        ConversionResult result = c.reader(foreign, out);
        ASSERT_TRUE(result.ok()) << result.reason;
        std::string theirs = dir.file("theirs.raw"), ours = dir.file("ours.raw");
        importtest::mustRun("sndfile-convert -pcm16 -endian=little " + testkit::quote(foreign) + " " +
                            testkit::quote(theirs));
        importtest::mustRun("sndfile-convert -pcm16 -endian=little " + testkit::quote(out) + " " +
                            testkit::quote(ours));
        Bytes a = testkit::readFile(theirs), b = testkit::readFile(ours);
        const std::size_t frame = 2 * c.channels;
        ASSERT_GT(b.size(), 1000 * frame);
        // The start of the converted data may hold header bytes (a negative
        // shift); the end may hold bytes the last step repeats.
        std::size_t first = c.shift < 0 ? static_cast<std::size_t>(-c.shift) : 0;
        std::size_t frames = std::min(b.size(), a.size()) / frame - 4;
        for (std::size_t k = first; k < frames - 4; ++k)
            for (std::size_t j = 0; j < frame; ++j)
                ASSERT_EQ(b[k * frame + j], a[(k + c.shift) * frame + j]) << "frame " << k;
    }
}
