// Encoding a PCM .wav into the game's IMA ADPCM blocks, and the check that
// decodes it back before anything is built from it.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "audio/convert/encode_ima_wav.h"
#include "audio/convert/game_ready_ima.h"
#include "audio/codec/ima_adpcm_encoder.h"
#include "audio/convert/ima_round_trip.h"
#include "audio/wav/wav_headers.h"
#include "audio_fixtures.h"

using namespace sonkrate::audio;
using testkit::Bytes;
using testkit::u16;
using testkit::u32;

namespace {

// A PCM .wav of the samples, 8-bit (unsigned) or 16-bit.
Bytes pcmWav(const std::vector<std::int16_t>& samples, unsigned channels, unsigned bits, std::uint32_t rate) {
    const std::uint32_t length = static_cast<std::uint32_t>(samples.size() * bits / 8);
    auto h = pcmWavHeader(static_cast<std::uint16_t>(channels), rate, static_cast<std::uint16_t>(bits), length);
    Bytes wav(h.begin(), h.end());
    for (std::int16_t s : samples) {
        if (bits == 8) {
            wav.push_back(static_cast<std::uint8_t>((s >> 8) + 128));
        } else {
            wav.push_back(static_cast<std::uint8_t>(s & 0xFF));
            wav.push_back(static_cast<std::uint8_t>((s >> 8) & 0xFF));
        }
    }
    return wav;
}

// Full-scale noise from a fixed seed: the hardest sound for IMA ADPCM.
std::vector<std::int16_t> noise(std::size_t samples) {
    std::vector<std::int16_t> out(samples);
    std::uint32_t state = 12345;
    for (auto& s : out) {
        state = state * 1664525u + 1013904223u;
        s = static_cast<std::int16_t>(state >> 16);
    }
    return out;
}

}  // namespace

// Blocks encoded one call at a time equal the blocks of one call, and the
// byte count is known before encoding: the .wav header is written first.
TEST(ImaEncoder, BlockByBlockEqualsWholeAndSizesAreKnownAhead) {
    for (unsigned channels : {1u, 2u}) {
        const std::uint32_t align = gameImaBlockAlign(channels);
        EXPECT_EQ(align, channels == 1 ? 1028u : 2056u);
        ASSERT_EQ(imaFramesPerBlock(channels, align), 2049u);
        for (std::size_t frames : {1u, 2u, 8u, 9u, 10u, 2048u, 2049u, 2050u, 3 * 2049u + 700}) {
            SCOPED_TRACE(std::to_string(channels) + " channels, " + std::to_string(frames) + " frames");
            const auto samples = audiotest::tone(frames, channels);
            const Bytes whole = encodeImaBlocks(samples, channels, align);
            EXPECT_EQ(whole.size(), imaEncodedBytes(frames, channels, align));
            Bytes streamed;
            ImaAdpcmDecoder state[2];
            for (std::size_t first = 0; first < frames; first += 2049)
                encodeImaBlock(state, samples.data() + first * channels,
                               std::min<std::size_t>(2049, frames - first), channels, align, streamed);
            EXPECT_EQ(streamed, whole);
            // Every block opens with the exact first sample of its frames.
            for (std::size_t b = 0; b * 2049 < frames; ++b)
                for (unsigned c = 0; c < channels; ++c)
                    EXPECT_EQ(static_cast<std::int16_t>(u16(whole, b * align + 4 * c)),
                              samples[b * 2049 * channels + c]);
        }
    }
    // The last block: its headers, then codes padded to whole groups of 4 bytes per channel.
    EXPECT_EQ(imaEncodedBytes(1, 2, 2056), 8u);
    EXPECT_EQ(imaEncodedBytes(9, 2, 2056), 16u);
    EXPECT_EQ(imaEncodedBytes(10, 1, 1028), 12u);
    EXPECT_EQ(imaEncodedBytes(2049 + 1, 1, 1028), 1028u + 4u);
    EXPECT_EQ(imaEncodedBytes(0, 1, 1028), 0u);
}

// The encoder against the textbook one, written out plainly: per block each
// channel's header, then codes chosen by sign, step, half and quarter step,
// packed low nibble first in groups of 4 bytes per channel. Noise with jumps
// to both ends (the predictor clamps), silence, and a slow tone that walks
// the step index down and up again.
TEST(ImaEncoder, BlocksAreThoseOfThePlainAlgorithm) {
    auto plainBlocks = [](const std::vector<std::int16_t>& in, unsigned channels, std::uint32_t align) {
        const std::size_t perBlock = imaFramesPerBlock(channels, align), frames = in.size() / channels;
        Bytes out;
        ImaAdpcmDecoder state[2];
        for (std::size_t first = 0; first < frames; first += perBlock) {
            const std::size_t n = std::min(perBlock, frames - first), padded = (n - 1 + 7) / 8 * 8;
            std::vector<std::vector<std::uint8_t>> codes(channels, std::vector<std::uint8_t>(padded, 0));
            for (unsigned c = 0; c < channels; ++c) {
                state[c].predictor = in[first * channels + c];
                out.push_back(static_cast<std::uint8_t>(state[c].predictor & 0xFF));
                out.push_back(static_cast<std::uint8_t>((state[c].predictor >> 8) & 0xFF));
                out.push_back(state[c].stepIndex);
                out.push_back(0);
                for (std::size_t i = 1; i < n; ++i) {
                    int diff = in[(first + i) * channels + c] - state[c].predictor, step = ImaStepTable[state[c].stepIndex];
                    std::uint8_t code = 0;
                    if (diff < 0) code = 8, diff = -diff;
                    if (diff >= step) code |= 4, diff -= step;
                    if (diff >= step / 2) code |= 2, diff -= step / 2;
                    if (diff >= step / 4) code |= 1;
                    codes[c][i - 1] = code;
                    decodeNibble(state[c], code);
                }
            }
            for (std::size_t g = 0; g < padded; g += 8)
                for (unsigned c = 0; c < channels; ++c)
                    for (std::size_t k = 0; k < 8; k += 2)
                        out.push_back(static_cast<std::uint8_t>(codes[c][g + k] | (codes[c][g + k + 1] << 4)));
        }
        return out;
    };
    for (unsigned channels : {1u, 2u}) {
        std::vector<std::int16_t> in = noise(2049 * 3 * channels);
        for (std::size_t i = 0; i < in.size(); i += 97) in[i] = (i / 97) % 2 ? 32767 : -32768;
        in.insert(in.end(), 3000 * channels, 0);
        const auto tone = audiotest::tone(5000, channels);
        in.insert(in.end(), tone.begin(), tone.end());
        in.resize(in.size() - 37 * channels);  // a short last block
        for (std::uint32_t align : {gameImaBlockAlign(channels), 512u * channels}) {
            SCOPED_TRACE(std::to_string(channels) + " channels, blocks of " + std::to_string(align));
            EXPECT_EQ(encodeImaBlocks(in, channels, align), plainBlocks(in, channels, align));
        }
    }
}

// 8- and 16-bit, mono and stereo, shorter than a block and ending mid-block:
// the .wav carries the game's fields and passes the check with a good ratio.
TEST(ImaEncoder, PcmWavBecomesGameBlocksThatDecodeBackClose) {
    testkit::ScratchDir dir;
    for (unsigned bits : {8u, 16u}) {
        for (unsigned channels : {1u, 2u}) {
            for (std::size_t frames : {1u, 300u, 2 * 2049u + 777}) {
                SCOPED_TRACE(std::to_string(bits) + "-bit, " + std::to_string(channels) + " channels, " +
                             std::to_string(frames) + " frames");
                const std::string pcm = dir.file("in.wav"), ima = dir.file("ima.wav");
                testkit::writeFile(pcm, pcmWav(audiotest::tone(frames, channels), channels, bits, 48000));
                EncodeImaResult e = encodeImaWav(pcm, ima);
                ASSERT_TRUE(e.outcome) << e.outcome.reason;
                const Bytes wav = testkit::readFile(ima);
                const std::uint32_t align = channels == 1 ? 1028 : 2056;
                EXPECT_EQ(u16(wav, 20), 0x11);
                EXPECT_EQ(u16(wav, 22), channels);
                EXPECT_EQ(u32(wav, 24), 48000u);
                EXPECT_EQ(u16(wav, 32), align);
                EXPECT_EQ(u32(wav, 48), frames);  // the fact value
                EXPECT_EQ(u32(wav, 56), imaEncodedBytes(frames, channels, align));
                EXPECT_EQ(wav.size(), 60 + u32(wav, 56));

                ImaRoundTrip check = checkImaRoundTrip(pcm, ima, "in.wav");
                ASSERT_TRUE(check.outcome) << check.outcome.reason;
                EXPECT_EQ(check.frames, frames);
                if (frames > 1) {
                    EXPECT_GT(check.snrDb, bits == 8 ? 18.0 : 20.0);
                }
            }
        }
    }
}

// The check fails, naming the file given, when the blocks or their header do
// not match the sound; full-scale noise and a very quiet sound still pass.
TEST(ImaEncoder, CheckCatchesBrokenBlocksAndPassesHardSounds) {
    testkit::ScratchDir dir;
    const std::string pcm = dir.file("in.wav"), ima = dir.file("ima.wav"), bad = dir.file("bad.wav");
    testkit::writeFile(pcm, pcmWav(audiotest::tone(3 * 2049 + 100, 2), 2, 16, 44100));
    ASSERT_TRUE(encodeImaWav(pcm, ima).outcome);
    const Bytes good = testkit::readFile(ima);
    auto expectRefused = [&](Bytes broken, const char* what) {
        testkit::writeFile(bad, broken);
        ImaRoundTrip check = checkImaRoundTrip(pcm, bad, "door.wav");
        EXPECT_FALSE(check.outcome) << what;
        EXPECT_NE(check.outcome.reason.find("door.wav"), std::string::npos) << check.outcome.reason;
    };
    Bytes swapped = good;  // left and right code groups of every block exchanged
    for (std::size_t at = 60 + 8; at + 8 <= swapped.size(); at += 8)
        if ((at - 60) % 2056 != 0)
            std::swap_ranges(swapped.begin() + at, swapped.begin() + at + 4, swapped.begin() + at + 4);
    expectRefused(swapped, "channels swapped");
    Bytes silent = good;  // the codes zeroed
    for (std::size_t at = 60; at < silent.size(); ++at)
        if ((at - 60) % 2056 >= 8) silent[at] = 0;
    expectRefused(silent, "codes zeroed");
    Bytes longer = good;
    testkit::put32(longer, 48, u32(good, 48) + 1);
    expectRefused(longer, "fact one frame more");
    Bytes shortened(good.begin(), good.end() - 2056);
    testkit::put32(shortened, 56, u32(good, 56) - 2056);
    expectRefused(shortened, "a block missing");

    for (bool loud : {true, false}) {
        auto samples = noise(5 * 2049 * 2);
        if (!loud)
            for (auto& s : samples) s = static_cast<std::int16_t>(s / 4096);  // within 8 steps of silence
        testkit::writeFile(pcm, pcmWav(samples, 2, 16, 22050));
        ASSERT_TRUE(encodeImaWav(pcm, ima).outcome);
        ImaRoundTrip check = checkImaRoundTrip(pcm, ima, "noise.wav");
        EXPECT_TRUE(check.outcome) << check.outcome.reason;
    }
}

// An IMA ADPCM .wav is left to the wrapping, and a file that is no .wav
// fails; neither leaves a file behind.
TEST(ImaEncoder, GameReadyImaLeavesImaAsItIsAndRefusesNonWav) {
    testkit::ScratchDir dir;
    const std::string pcm = dir.file("in.wav"), already = dir.file("already.wav"), out = dir.file("out.wav");
    testkit::writeFile(pcm, pcmWav(audiotest::tone(5000, 1), 1, 16, 11025));
    ASSERT_TRUE(encodeImaWav(pcm, already).outcome);
    GameReadyResult r = makeGameReadyImaWav(already, out);
    EXPECT_TRUE(r.outcome);
    EXPECT_FALSE(r.converted);
    testkit::writeText(dir.file("text.wav"), "not a wave file at all");
    r = makeGameReadyImaWav(dir.file("text.wav"), out);
    EXPECT_FALSE(r.outcome);
    std::size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) files += entry.is_regular_file();
    EXPECT_EQ(files, 3u);  // in.wav, already.wav, text.wav
}
