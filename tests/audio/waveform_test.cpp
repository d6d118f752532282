// The streamed frame reader of sound data (PCM widened, IMA ADPCM decoded,
// seeking to any frame) against the established decoder, and the waveform's
// per-column extremes on signals whose extremes are known exactly.
#include <gtest/gtest.h>

#include "audio/convert/decode_adpcm_wav.h"
#include "audio/convert/frames_to_wav.h"
#include "audio/codec/ima_adpcm_encoder.h"
#include "audio/cau/sound_frames.h"
#include "audio/convert/waveform_peaks.h"
#include "audio/wav/wav_headers.h"
#include "audio_fixtures.h"

using namespace sonkrate::audio;
using testkit::Bytes;

namespace {

CauHeader pcmHeader(unsigned channels, unsigned bits, std::uint32_t dataSize) {
    CauHeader h;
    h.channels = static_cast<std::uint8_t>(channels);
    h.bitsPerSample = static_cast<std::uint8_t>(bits);
    h.sampleRate = 1000;
    h.dataSize = dataSize;
    return h;
}

// samples as 16-bit little-endian data after a prefix of 7 bytes.
std::string writeData(const testkit::ScratchDir& dir, const std::vector<std::int16_t>& samples) {
    Bytes b(7, 0xAA);
    for (std::int16_t s : samples) {
        b.push_back(static_cast<std::uint8_t>(s & 0xFF));
        b.push_back(static_cast<std::uint8_t>((s >> 8) & 0xFF));
    }
    const std::string path = dir.file("data.bin");
    testkit::writeFile(path, b);
    return path;
}

std::vector<std::int16_t> readAll(SoundFrameReader& reader, std::size_t step = 1000) {
    std::vector<std::int16_t> out, buffer(step * reader.channels());
    for (;;) {
        std::size_t got = 0;
        EXPECT_TRUE(reader.read(buffer.data(), step, got));
        if (got == 0) return out;
        out.insert(out.end(), buffer.begin(), buffer.begin() + static_cast<long>(got * reader.channels()));
    }
}

WaveformPeaks peaksOf(const std::string& path, const CauHeader& h, int columns) {
    SoundFrameReader reader;
    EXPECT_TRUE(reader.open(path, 7, h.dataSize, h, "test sound"));
    WaveformPeaks peaks;
    EXPECT_TRUE(computeWaveformPeaks(reader, columns, peaks));
    return peaks;
}

}  // namespace

TEST(SoundFrames, ImaAdpcmDecodesAsTheWavDecoderAndSeeksToAnyFrame) {
    testkit::ScratchDir dir;
    for (unsigned channels : {1u, 2u}) {
        const std::uint32_t align = channels == 2 ? 2056 : 1028;
        // Several full blocks, then a short last block.
        Bytes data = encodeImaBlocks(audiotest::tone(9000, channels), channels, align);
        data.resize(data.size() - align / 3);
        auto wavHead = imaWavHeader(static_cast<std::uint16_t>(channels), 22050, align, 0,
                                    static_cast<std::uint32_t>(data.size()));
        Bytes wav(wavHead.size() + data.size());
        std::copy(data.begin(), data.end(), std::copy(wavHead.begin(), wavHead.end(), wav.begin()));
        testkit::writeFile(dir.file("ima.wav"), wav);
        ASSERT_TRUE(decodeAdpcmWav(dir.file("ima.wav"), dir.file("pcm.wav")).ok());
        const std::vector<std::int16_t> expected = audiotest::pcmSamples(testkit::readFile(dir.file("pcm.wav")));

        CauHeader h = pcmHeader(channels, 16, static_cast<std::uint32_t>(data.size()));
        h.compression = 1;
        h.blockAlign = align;
        SoundFrameReader reader;
        ASSERT_TRUE(reader.open(dir.file("ima.wav"), wavHead.size(), h.dataSize, h, "test sound"));
        EXPECT_EQ(reader.frames() * channels, expected.size());
        EXPECT_EQ(readAll(reader, 777), expected) << channels;
        // From a frame inside the second block, and from the last frame.
        for (std::uint64_t from : {std::uint64_t{2100}, reader.frames() - 1}) {
            ASSERT_TRUE(reader.seekFrame(from));
            std::vector<std::int16_t> tail = readAll(reader);
            EXPECT_EQ(tail, std::vector<std::int16_t>(expected.begin() + static_cast<long>(from * channels), expected.end()));
        }
        // Written from a frame on, the .wav holds exactly that tail.
        ASSERT_TRUE(writeFramesAsWav(reader, 2100, dir.file("from.wav")));
        EXPECT_EQ(audiotest::pcmSamples(testkit::readFile(dir.file("from.wav"))),
                  std::vector<std::int16_t>(expected.begin() + 2100 * channels, expected.end()));
    }
}

TEST(SoundFrames, PcmIsWidenedAndUndecodableFormatsAreRefusedByName) {
    testkit::ScratchDir dir;
    // 8-bit unsigned: 0x00 is the lowest, 0x80 silence, 0xFF the highest; an odd byte at the end of stereo is dropped.
    testkit::writeFile(dir.file("u8.bin"), Bytes{0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0x00, 0x80, 0xFF, 0x81, 0x7F});
    SoundFrameReader reader;
    ASSERT_TRUE(reader.open(dir.file("u8.bin"), 7, 5, pcmHeader(2, 8, 5), "test sound"));
    EXPECT_EQ(reader.frames(), 2u);
    EXPECT_EQ(readAll(reader), (std::vector<std::int16_t>{-32768, 0, 32512, 256}));

    CauHeader bad = pcmHeader(3, 16, 12);
    {
        sonkrate::io::Outcome refused = reader.open(dir.file("u8.bin"), 7, 4, bad, "entry 5 of a.tpa");
        EXPECT_FALSE(refused);
        EXPECT_NE(refused.reason.find("entry 5 of a.tpa"), std::string::npos) << refused.reason;
    }
    bad = pcmHeader(1, 16, 4);
    bad.compression = 1;
    bad.blockAlign = 100;
    EXPECT_FALSE(reader.open(dir.file("u8.bin"), 7, 4, bad, "test sound"));
    // Data that runs past the end of the file.
    EXPECT_FALSE(reader.open(dir.file("u8.bin"), 7, 64, pcmHeader(1, 16, 64), "test sound"));
}

TEST(Waveform, EachColumnHoldsTheExtremesOfItsOwnFrames) {
    testkit::ScratchDir dir;
    // A ramp on the left channel and its negation on the right: the extremes
    // of a column are its first and last frames, so the boundaries show.
    std::vector<std::int16_t> ramp;
    for (int f = 0; f < 10; ++f) ramp.insert(ramp.end(), {static_cast<std::int16_t>(f), static_cast<std::int16_t>(-f)});
    const std::string path = writeData(dir, ramp);
    WaveformPeaks p = peaksOf(path, pcmHeader(2, 16, 40), 4);
    // Columns start at frames 0, 2, 5 and 7.
    ASSERT_EQ(p.minMax.size(), 16u);
    EXPECT_EQ(p.minMax, (std::vector<std::int16_t>{0, 1, -1, 0, 2, 4, -4, -2, 5, 6, -6, -5, 7, 9, -9, -7}));

    // Fewer frames than columns: every column shows a frame, none is empty.
    p = peaksOf(path, pcmHeader(2, 16, 12), 5);
    EXPECT_EQ(p.minMax, (std::vector<std::int16_t>{0, 0, 0, 0, 0, 0, 0, 0, 1, 1, -1, -1, 1, 1, -1, -1, 2, 2, -2, -2}));

    // A square wave of full amplitude read over several of the reader's
    // buffers (columns straddle them): every column spans whole periods and
    // shows exactly both levels.
    std::vector<std::int16_t> square;
    for (int f = 0; f < 400000; ++f) square.push_back(f % 100 < 50 ? 32767 : -32768);
    p = peaksOf(writeData(dir, square), pcmHeader(1, 16, 800000), 1000);
    for (int c = 0; c < 1000; ++c) {
        EXPECT_EQ(p.minMax[2 * c], -32768) << c;
        EXPECT_EQ(p.minMax[2 * c + 1], 32767) << c;
    }
    // No sound: columns of zeros.
    p = peaksOf(path, pcmHeader(1, 16, 0), 3);
    EXPECT_EQ(p.minMax, std::vector<std::int16_t>(6, 0));
}
