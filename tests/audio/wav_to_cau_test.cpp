// .wav to .cau: sound data wrapped unchanged, files from SoX and libsndfile,
// chunk walking, refusals, truncated and hostile sources, target names.
#include <gtest/gtest.h>

#include <filesystem>

#include "audio/convert/add_wav_conversion.h"
#include "audio/cau/cau_reader.h"
#include "audio/convert/cau_to_wav.h"
#include "audio/codec/ima_adpcm_encoder.h"
#include "audio/convert/target_names.h"
#include "audio/wav/wav_headers.h"
#include "audio/convert/wav_to_cau.h"
#include "io/paths.h"
#include "audio_fixtures.h"

using namespace sonkrate::audio;
using testkit::Bytes;
using testkit::quote;
using testkit::text;
using testkit::u16;
using testkit::u32;
using namespace std::string_literals;

namespace {

Bytes slice(const Bytes& b, std::size_t at, std::size_t n) {
    return Bytes(b.begin() + static_cast<long>(at), b.begin() + static_cast<long>(at + n));
}

// Runs a tool line, failing the test when it fails.
void tool(const std::string& line) {
    auto r = testkit::run(line);
    ASSERT_EQ(r.exitCode, 0) << line << "\n" << r.err;
}

bool haveTools() { return testkit::haveTool("sox") && testkit::haveTool("sndfile-convert"); }

// A standard IMA ADPCM .wav (2049 samples per block, as libsndfile expects)
// of frames frames encoded by our encoder: fmt of 20 bytes, fact, data.
Bytes imaWav(unsigned channels, std::uint32_t blockAlign, std::size_t frames, std::uint32_t rate = 22050) {
    Bytes data = encodeImaBlocks(audiotest::tone(frames, channels), channels, blockAlign);
    auto head = imaWavHeader(static_cast<std::uint16_t>(channels), rate, blockAlign,
                             static_cast<std::uint32_t>(frames), static_cast<std::uint32_t>(data.size()));
    Bytes wav(head.begin(), head.end());
    testkit::put16(wav, 38, static_cast<std::uint16_t>((blockAlign - 4 * channels) * 2 / channels + 1));
    wav.insert(wav.end(), data.begin(), data.end());
    return wav;
}

// The file with a chunk inserted at offset at and the RIFF length fixed.
Bytes insertChunk(Bytes wav, std::size_t at, const char* tag, const std::string& body) {
    Bytes chunk(tag, tag + 4);
    chunk.resize(8);
    testkit::put32(chunk, 4, static_cast<std::uint32_t>(body.size()));
    chunk.insert(chunk.end(), body.begin(), body.end());
    if (body.size() & 1) chunk.push_back(0);
    wav.insert(wav.begin() + static_cast<long>(at), chunk.begin(), chunk.end());
    testkit::put32(wav, 4, static_cast<std::uint32_t>(wav.size() - 8));
    return wav;
}

std::size_t filesIn(const std::string& folder) {
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) ++n;
    return n;
}

}  // namespace

// Canonical PCM files from both tools: every header field, and the data
// chunk byte for byte after the header (or after the caption block).
TEST(WavToCau, PcmFromSoxAndLibsndfileKeepsFieldsAndData) {
    if (!haveTools()) GTEST_SKIP() << "sox and sndfile-convert are needed";
    testkit::ScratchDir dir;
    struct Case {
        const char* name;
        std::string make;
        unsigned rate, channels, bits;
    };
    std::string base = dir.file("base.wav");
    tool("sox -n -r 22050 -c 2 -b 16 " + quote(base) + " synth 0.3 sine 440 sine 660");
    const Case cases[] = {
        {"sox-m16", "sox -n -r 22050 -c 1 -b 16 %o synth 0.25 sine 300", 22050, 1, 16},
        {"sox-s16", "sox -n -r 44100 -c 2 -b 16 %o synth 0.2 sine 300 sine 500", 44100, 2, 16},
        {"sox-m8", "sox -r 11025 -c 1 -n -b 8 %o synth 1001s sine 300", 11025, 1, 8},
        {"sf-s16", "sndfile-convert -pcm16 " + quote(base) + " %o", 22050, 2, 16},
        {"sf-s8", "sndfile-convert -pcmu8 " + quote(base) + " %o", 22050, 2, 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string wav = dir.file(std::string(c.name) + ".wav");
        std::string line = c.make;
        line.replace(line.find("%o"), 2, quote(wav));
        tool(line);
        Bytes src = testkit::readFile(wav);
        ASSERT_EQ(text(src, 36, 4), "data");  // both tools write the 44-byte layout
        std::uint32_t length = u32(src, 40);
        Bytes data = slice(src, 44, length);

        for (const std::string caption : {"", "Door\r\nslams"}) {
            std::string cauPath = dir.file(std::string(c.name) + ".cau");
            WavToCauResult r = wavToCau(wav, cauPath, caption);
            ASSERT_TRUE(r.written()) << r.outcome.reason;
            EXPECT_EQ(r.kind, WavKind::Pcm);
            EXPECT_EQ(wavToCauOutcome(r), WavToCauOutcome::PcmWritten);
            Bytes cau = testkit::readFile(cauPath);
            std::uint32_t dataOffset = caption.empty() ? 36 : 53 + 11 + 3;
            ASSERT_EQ(cau.size(), dataOffset + length);
            EXPECT_EQ(text(cau, 0, 4), "WBOR");
            EXPECT_EQ(u32(cau, 4), 110u);
            EXPECT_EQ(u32(cau, 8), dataOffset);
            EXPECT_EQ(u32(cau, 12), 0u);
            EXPECT_EQ(u32(cau, 16), length);
            // decodedSize: the data's own bytes, played in the sound's own width.
            EXPECT_EQ(u32(cau, 20), length);
            EXPECT_EQ(u32(cau, 24), c.rate);
            EXPECT_EQ(cau[28], c.bits);
            EXPECT_EQ(cau[29], c.channels);
            EXPECT_EQ(cau[30], 0);
            EXPECT_EQ(cau[31], 0);
            EXPECT_EQ(u32(cau, 32), caption.empty() ? 0u : 36u);
            EXPECT_EQ(slice(cau, dataOffset, length), data);
        }
    }
}

TEST(WavToCau, HeaderOfA1362BytePcmSound) {
    if (!haveTools()) GTEST_SKIP() << "sox is needed";
    testkit::ScratchDir dir;
    std::string wav = dir.file("short.wav"), cau = dir.file("short.cau");
    tool("sox -r 11025 -c 1 -n -b 16 " + quote(wav) + " synth 681s sine 300");
    ASSERT_TRUE(wavToCau(wav, cau, "").written());
    Bytes b = testkit::readFile(cau);
    const Bytes expected = {'W', 'B', 'O', 'R', 0x6E, 0, 0, 0, 0x24, 0, 0, 0, 0, 0, 0, 0, 0x52, 0x05, 0, 0,
                            0x52, 0x05, 0, 0, 0x11, 0x2B, 0, 0, 0x10, 0x01, 0, 0, 0, 0, 0, 0};
    ASSERT_EQ(b.size(), 36u + 1362u);
    EXPECT_EQ(slice(b, 0, 36), expected);
}

// "ab", a line break, "c": the block bytes, the data after it, and the text
// read back. A caption with a bare LF gives the same bytes, so dataOffset
// always matches the block actually written.
TEST(WavToCau, CaptionBlockLayoutAndReadBack) {
    testkit::ScratchDir dir;
    Bytes samples(200);
    for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<std::uint8_t>(i * 7);
    auto head = pcmWavHeader(1, 22050, 16, 200);
    Bytes wav(head.begin(), head.end());
    wav.insert(wav.end(), samples.begin(), samples.end());
    testkit::writeFile(dir.file("in.wav"), wav);

    const Bytes block = {21, 0, 0, 0, 2, 0, 0, 0, 10, 0, 0, 0, 'a', 'b', 0, 0x0E, 0, 0, 0, 'c', 0, 0, 0, 0, 0};
    for (const std::string caption : {"ab\r\nc", "ab\nc"}) {
        SCOPED_TRACE(caption.size());
        ASSERT_TRUE(wavToCau(dir.file("in.wav"), dir.file("c.cau"), caption).written());
        Bytes cau = testkit::readFile(dir.file("c.cau"));
        ASSERT_EQ(cau.size(), 61u + 200u);
        EXPECT_EQ(u32(cau, 8), 61u);
        EXPECT_EQ(u32(cau, 32), 36u);
        EXPECT_EQ(slice(cau, 36, 25), block);
        EXPECT_EQ(slice(cau, 61, 200), samples);
        CauImage image;
        ASSERT_TRUE(readCauFile(dir.file("c.cau"), image).ok);
        EXPECT_TRUE(image.hasCaption);
        EXPECT_EQ(image.captionText, " ab c");
        EXPECT_EQ(image.dataStart, 61u);
    }
}

// IMA ADPCM at the two block alignments the game plays. libsndfile accepts
// the source; the .cau holds its blocks unchanged, and cauToWav gives the
// source back (but for the samples-per-block field, which it writes as 2048).
TEST(WavToCau, ImaAdpcmMonoAndStereoWrapUnchanged) {
    testkit::ScratchDir dir;
    for (unsigned channels : {1u, 2u}) {
        std::uint32_t align = channels == 1 ? 1028 : 2056;
        SCOPED_TRACE(align);
        std::size_t frames = 3 * 2049 + 500;
        Bytes src = imaWav(channels, align, frames, 11025);
        std::string wav = dir.file("ima.wav"), cauPath = dir.file("ima.cau");
        testkit::writeFile(wav, src);
        if (testkit::haveTool("sndfile-convert")) tool("sndfile-convert -pcm16 " + quote(wav) + " " + quote(dir.file("pcm.wav")));

        WavToCauResult r = wavToCau(wav, cauPath, channels == 2 ? "stereo" : "");
        ASSERT_TRUE(r.written()) << r.outcome.reason;
        EXPECT_EQ(r.kind, WavKind::Adpcm);
        EXPECT_EQ(wavToCauOutcome(r), WavToCauOutcome::AdpcmWritten);
        Bytes cau = testkit::readFile(cauPath);
        std::uint32_t dataSize = u32(src, 56);
        std::uint32_t dataOffset = channels == 2 ? 53 + 6 : 36;
        ASSERT_EQ(cau.size(), dataOffset + dataSize);
        EXPECT_EQ(u32(cau, 8), dataOffset);
        EXPECT_EQ(u32(cau, 12), align);
        EXPECT_EQ(u32(cau, 16), dataSize);
        // decodedSize: the bytes of 16-bit PCM the game decodes the sound to.
        EXPECT_EQ(u32(cau, 20), 2 * channels * frames);
        EXPECT_EQ(u32(cau, 24), 11025u);
        EXPECT_EQ(cau[28], 16);
        EXPECT_EQ(cau[29], channels);
        EXPECT_EQ(cau[30], 1);
        EXPECT_EQ(slice(cau, dataOffset, dataSize), slice(src, 60, dataSize));

        // On the way back the fact value is what the blocks hold: the short
        // last block's codes decode to a frame or a few more than the source's
        // fact counted.
        ASSERT_TRUE(cauToWav(cauPath, dir.file("back.wav")).ok());
        Bytes back = testkit::readFile(dir.file("back.wav"));
        EXPECT_EQ(u16(back, 38), 2048);
        const std::uint32_t lastBytes = dataSize % align;
        EXPECT_EQ(u32(back, 48), 3 * 2049 + 1 + (lastBytes - 4 * channels) * 2 / channels);
        EXPECT_GE(u32(back, 48), frames);
        testkit::put16(back, 38, u16(src, 38));
        testkit::put32(back, 48, u32(src, 48));
        EXPECT_EQ(back, src);
    }
}

// A LIST chunk (odd length, padded) or other chunks before "data" do not
// change the .cau: it is the one the canonical file gives. A LIST chunk
// after odd-length data (libsndfile's metadata) leaves out the pad byte.
TEST(WavToCau, ChunksAroundDataAreWalked) {
    testkit::ScratchDir dir;
    auto convert = [&](const Bytes& wav, const std::string& name) {
        testkit::writeFile(dir.file(name + ".wav"), wav);
        WavToCauResult r = wavToCau(dir.file(name + ".wav"), dir.file(name + ".cau"), "");
        EXPECT_TRUE(r.written()) << name << ": " << r.outcome.reason;
        return testkit::readFile(dir.file(name + ".cau"));
    };
    Bytes pcm;
    if (testkit::haveTool("sox")) {
        tool("sox -n -r 22050 -c 1 -b 16 " + quote(dir.file("sox.wav")) + " synth 0.1 sine 500");
        pcm = testkit::readFile(dir.file("sox.wav"));
    } else {
        auto head = pcmWavHeader(1, 22050, 16, 4410);
        pcm.assign(head.begin(), head.end());
        pcm.resize(44 + 4410, 0x33);
    }
    Bytes plain = convert(pcm, "plain");
    Bytes listed = insertChunk(insertChunk(pcm, 36, "LIST", "INFOICMT\x03\0\0\0hi"s), 36, "junk", "xyz");
    EXPECT_EQ(convert(listed, "listed"), plain);

    Bytes ima = imaWav(2, 2056, 3000);
    Bytes imaPlain = convert(ima, "ima");
    EXPECT_EQ(convert(insertChunk(ima, 52, "LIST", "INFOISFT\x05\0\0\0tool\0"s), "ima-listed"), imaPlain);

    if (testkit::haveTool("sndfile-metadata-set")) {
        std::string odd = dir.file("odd.wav"), tagged = dir.file("tagged.wav");
        auto head = pcmWavHeader(1, 11025, 8, 1001);
        Bytes eight(head.begin(), head.end());
        for (int i = 0; i < 1001; ++i) eight.push_back(static_cast<std::uint8_t>(128 + (i % 50)));
        testkit::writeFile(odd, eight);
        tool("sndfile-metadata-set --str-comment 'a comment' " + quote(odd) + " " + quote(tagged));
        Bytes t = testkit::readFile(tagged);
        ASSERT_GT(t.size(), 44u + 1002u);  // the metadata follows the padded data
        Bytes cau = convert(t, "tagged");
        ASSERT_EQ(cau.size(), 36u + 1001u);
        EXPECT_EQ(slice(cau, 36, 1001), slice(eight, 44, 1001));
    }
}

// Only PCM with a 16-byte format chunk and IMA ADPCM at 1028 / 2056 pass.
// A refusal writes nothing and leaves an existing target as it was.
TEST(WavToCau, RefusedKindsWriteNothing) {
    testkit::ScratchDir dir;
    std::vector<std::pair<std::string, WavKind>> refused;
    if (haveTools()) {
        tool("sox -n -r 22050 -c 1 -b 16 " + quote(dir.file("m.wav")) + " synth 0.1 sine 440");
        tool("sndfile-convert -alaw " + quote(dir.file("m.wav")) + " " + quote(dir.file("alaw.wav")));
        tool("sox -n -r 22050 -c 2 -e ima-adpcm " + quote(dir.file("soxima.wav")) + " synth 0.1 sine 440");
        tool("sox -n -r 44100 -c 2 -b 16 " + quote(dir.file("s.wav")) + " synth 0.1 sine 440");
        tool("sndfile-convert -ima-adpcm " + quote(dir.file("s.wav")) + " " + quote(dir.file("sfima.wav")));
        EXPECT_EQ(u32(testkit::readFile(dir.file("alaw.wav")), 16), 18u);
        // What the game would play as noise or not at all: 24- and 32-bit PCM,
        // floating-point samples, three channels.
        tool("sndfile-convert -pcm24 " + quote(dir.file("m.wav")) + " " + quote(dir.file("pcm24.wav")));
        tool("sndfile-convert -pcm32 " + quote(dir.file("m.wav")) + " " + quote(dir.file("pcm32.wav")));
        tool("sndfile-convert -float32 " + quote(dir.file("m.wav")) + " " + quote(dir.file("float.wav")));
        tool("sox -n -r 22050 -c 3 -b 16 " + quote(dir.file("three.wav")) + " synth 0.1 sine 440");
        refused = {{"alaw.wav", WavKind::Unsupported},  {"soxima.wav", WavKind::BadBlockAlign},
                   {"sfima.wav", WavKind::BadBlockAlign}, {"pcm24.wav", WavKind::Unsupported},
                   {"pcm32.wav", WavKind::Unsupported},   {"float.wav", WavKind::Unsupported},
                   {"three.wav", WavKind::Unsupported}};
    }
    Bytes b1024 = imaWav(1, 1028, 3000);
    testkit::put16(b1024, 32, 1024);
    testkit::writeFile(dir.file("b1024.wav"), b1024);
    refused.emplace_back("b1024.wav", WavKind::BadBlockAlign);
    Bytes fmt40 = insertChunk(imaWav(1, 1028, 100), 12, "fmt ", std::string(40, '\x11'));
    testkit::put32(fmt40, 60, 0x6B6E756A);  // the original fmt becomes a "junk" chunk
    testkit::writeFile(dir.file("fmt40.wav"), fmt40);
    refused.emplace_back("fmt40.wav", WavKind::Unsupported);
    // Hand-made: a 16-byte format chunk with 12-bit PCM, with float tag 3,
    // and a 20-byte chunk whose tag is Microsoft ADPCM rather than IMA.
    Bytes pcm12 = imaWav(1, 1028, 100);
    testkit::put32(pcm12, 16, 16);
    testkit::put16(pcm12, 20, 1);
    testkit::put16(pcm12, 34, 12);
    pcm12 = insertChunk(Bytes(pcm12.begin(), pcm12.begin() + 36), 36, "data", std::string(64, '\1'));
    testkit::writeFile(dir.file("pcm12.wav"), pcm12);
    refused.emplace_back("pcm12.wav", WavKind::Unsupported);
    Bytes msadpcm = imaWav(1, 1028, 100);
    testkit::put16(msadpcm, 20, 2);
    testkit::writeFile(dir.file("msadpcm.wav"), msadpcm);
    refused.emplace_back("msadpcm.wav", WavKind::Unsupported);

    const Bytes before = {'k', 'e', 'e', 'p'};
    for (const auto& [name, kind] : refused) {
        SCOPED_TRACE(name);
        std::string target = dir.file("target.cau");
        testkit::writeFile(target, before);
        WavToCauResult r = wavToCau(dir.file(name), target, "caption");
        EXPECT_EQ(r.status, WavToCauStatus::Refused);
        EXPECT_EQ(r.kind, kind);
        EXPECT_EQ(wavToCauOutcome(r), WavToCauOutcome::NothingWritten);
        EXPECT_NE(r.outcome.reason.find(name), std::string::npos) << r.outcome.reason;
        // The sentence says what the game plays and how to get there.
        EXPECT_NE(r.outcome.reason.find("8- or 16-bit PCM"), std::string::npos) << r.outcome.reason;
        EXPECT_NE(r.outcome.reason.find("sox \"" + dir.file(name) + "\" -b 16"), std::string::npos)
            << r.outcome.reason;
        EXPECT_EQ(testkit::readFile(target), before);

        // Adding such a .wav to an archive explains the refusal in the box.
        std::filesystem::create_directory(dir.file("Tpa_Wavs"));
        AddWavConversion added = convertWavForAdd(dir.file(name), dir.file("Tpa_Wavs"));
        EXPECT_FALSE(added.made);
        EXPECT_TRUE(added.refused);
        EXPECT_EQ(added.kind, kind);
        EXPECT_EQ(filesIn(dir.file("Tpa_Wavs")), 0u);
    }
    testkit::writeFile(dir.file("door.wav"), imaWav(1, 1028, 100));
    AddWavConversion added = convertWavForAdd(dir.file("door.wav"), dir.file("Tpa_Wavs"));
    EXPECT_TRUE(added.made) << added.outcome.reason;
    EXPECT_EQ(added.kind, WavKind::Adpcm);
    EXPECT_EQ(added.cauPath, sonkrate::io::joinPath(dir.file("Tpa_Wavs"), "door.cau"));
    EXPECT_FALSE(added.refused);
}

// A data chunk that claims more than the file holds: the bytes that are
// there are wrapped and the header counts exactly them; an IMA ADPCM fact
// value is cut down to the samples those bytes hold.
TEST(WavToCau, DataChunkLongerThanTheFileIsClamped) {
    testkit::ScratchDir dir;
    auto head = pcmWavHeader(2, 22050, 16, 5000);
    Bytes pcm(head.begin(), head.end());
    for (int i = 0; i < 3000; ++i) pcm.push_back(static_cast<std::uint8_t>(i));
    testkit::writeFile(dir.file("cut.wav"), pcm);
    WavToCauResult r = wavToCau(dir.file("cut.wav"), dir.file("cut.cau"), "");
    ASSERT_TRUE(r.written()) << r.outcome.reason;
    EXPECT_TRUE(r.dataClamped);
    EXPECT_EQ(r.declaredDataLength, 5000u);
    Bytes cau = testkit::readFile(dir.file("cut.cau"));
    ASSERT_EQ(cau.size(), 36u + 3000u);
    EXPECT_EQ(u32(cau, 16), 3000u);
    EXPECT_EQ(u32(cau, 20), 3000u);
    EXPECT_EQ(slice(cau, 36, 3000), slice(pcm, 44, 3000));

    // Mono 1028: a whole block (2049 samples) and 500 bytes of the next,
    // whose header sample and 496 code bytes hold 1 + 992 samples.
    Bytes ima = imaWav(1, 1028, 4 * 2049);
    ima.resize(60 + 1028 + 500);
    testkit::writeFile(dir.file("cutima.wav"), ima);
    r = wavToCau(dir.file("cutima.wav"), dir.file("cutima.cau"), "");
    ASSERT_TRUE(r.written()) << r.outcome.reason;
    EXPECT_TRUE(r.dataClamped);
    cau = testkit::readFile(dir.file("cutima.cau"));
    ASSERT_EQ(cau.size(), 36u + 1528u);
    EXPECT_EQ(u32(cau, 16), 1528u);
    EXPECT_EQ(u32(cau, 20), 2 * (2049u + 993u));
    EXPECT_EQ(slice(cau, 36, 1528), slice(ima, 60, 1528));

    // Without a fact chunk the count comes from the data as well.
    Bytes noFact = imaWav(2, 2056, 2 * 2049);
    noFact.erase(noFact.begin() + 40, noFact.begin() + 52);
    testkit::put32(noFact, 4, static_cast<std::uint32_t>(noFact.size() - 8));
    testkit::writeFile(dir.file("nofact.wav"), noFact);
    ASSERT_TRUE(wavToCau(dir.file("nofact.wav"), dir.file("nofact.cau"), "").written());
    EXPECT_EQ(u32(testkit::readFile(dir.file("nofact.cau")), 20), 2u * 2u * (2u * 2049u));
}

// The fact value is taken only when the blocks hold it: one that claims more
// than the data, or that would cut off whole blocks, gives way to what the
// blocks decode to; one within the last block is kept.
TEST(WavToCau, DecodedSizeIsTheDecodedLengthOfWhatTheBlocksHold) {
    testkit::ScratchDir dir;
    const std::size_t frames = 2 * 2049 + 300;
    struct Case {
        std::uint32_t fact;
        std::uint32_t decodedFrames;
    };
    Bytes src = imaWav(1, 1028, frames);
    const std::uint32_t held = 2 * 2049 + 1 + (u32(src, 56) % 1028 - 4) * 2;
    const Case cases[] = {{static_cast<std::uint32_t>(frames), static_cast<std::uint32_t>(frames)},
                          {held, held},
                          {held + 1, held},
                          {0xFFFFFFFFu, held},
                          {2 * 2049, held},
                          {0, held},
                          {2 * 2049 + 1, 2 * 2049 + 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fact);
        testkit::put32(src, 48, c.fact);
        testkit::writeFile(dir.file("f.wav"), src);
        ASSERT_TRUE(wavToCau(dir.file("f.wav"), dir.file("f.cau"), "").written());
        EXPECT_EQ(u32(testkit::readFile(dir.file("f.cau")), 20), 2 * c.decodedFrames);
    }
}

// Broken and hostile sources fail with a sentence naming the file; nothing
// is written and no temporary file is left.
TEST(WavToCau, HostileSourcesFailCleanly) {
    testkit::ScratchDir dir;
    auto head = pcmWavHeader(1, 22050, 16, 100);
    Bytes good(head.begin(), head.end());
    good.resize(144, 1);

    std::vector<std::pair<std::string, Bytes>> sources;
    sources.emplace_back("empty.wav", Bytes{});
    sources.emplace_back("riff-only.wav", slice(good, 0, 12));
    sources.emplace_back("cut-in-fmt.wav", slice(good, 0, 30));
    sources.emplace_back("no-data.wav", slice(good, 0, 36));
    Bytes hugeFmt = good;
    testkit::put32(hugeFmt, 16, 0xFFFFFFF0);
    sources.emplace_back("huge-fmt.wav", hugeFmt);
    Bytes tinyFmt = good;
    testkit::put32(tinyFmt, 16, 4);
    sources.emplace_back("tiny-fmt.wav", tinyFmt);
    Bytes notRiff = good;
    notRiff[0] = 'X';
    sources.emplace_back("not-riff.wav", notRiff);
    Bytes random(3000);
    std::uint32_t x = 99;
    for (auto& b : random) b = static_cast<std::uint8_t>((x = x * 1103515245 + 12345) >> 16);
    sources.emplace_back("random.wav", random);
    Bytes riffRandom = random;
    std::copy(good.begin(), good.begin() + 12, riffRandom.begin());
    sources.emplace_back("riff-random.wav", riffRandom);

    for (const auto& [name, bytes] : sources) {
        SCOPED_TRACE(name);
        testkit::ScratchDir out;
        testkit::writeFile(dir.file(name), bytes);
        WavToCauResult r = wavToCau(dir.file(name), out.file("x.cau"), "caption");
        EXPECT_FALSE(r.written());
        EXPECT_EQ(wavToCauOutcome(r), WavToCauOutcome::NothingWritten);
        EXPECT_NE(r.outcome.reason.find(name), std::string::npos) << r.outcome.reason;
        EXPECT_EQ(filesIn(out.path()), 0u);
    }
    // Huge claimed data lengths are clamped to the file, never allocated.
    Bytes hugeData = good;
    testkit::put32(hugeData, 40, 0xFFFFFFFF);
    testkit::writeFile(dir.file("huge-data.wav"), hugeData);
    WavToCauResult r = wavToCau(dir.file("huge-data.wav"), dir.file("huge-data.cau"), "");
    ASSERT_TRUE(r.written());
    EXPECT_EQ(testkit::fileSize(dir.file("huge-data.cau")), 36u + 100u);

    WavToCauResult absent = wavToCau(dir.file("absent.wav"), dir.file("absent.cau"), "");
    EXPECT_EQ(absent.status, WavToCauStatus::Failed);
    EXPECT_NE(absent.outcome.reason.find("absent.wav"), std::string::npos);
    testkit::writeFile(dir.file("good.wav"), good);
    WavToCauResult noFolder = wavToCau(dir.file("good.wav"), dir.file("none/x.cau"), "");
    EXPECT_EQ(noFolder.status, WavToCauStatus::Failed);
    EXPECT_NE(noFolder.outcome.reason.find("none/x.cau"), std::string::npos) << noFolder.outcome.reason;
}

TEST(TargetNames, NamesFollowTheirSources) {
    EXPECT_EQ(wavToCauTargetName("/snd/door.wav"), "door.cau");
    EXPECT_EQ(wavToCauTargetName("a.b.wav"), "aav.cau");
    EXPECT_EQ(wavToCauTargetBeside("/snd/door.wav"), "/snd/door.cau");
    EXPECT_EQ(dirToCausTarget("/snd/door.wav"), "/snd/door.cau");
    EXPECT_EQ(dirToCausTarget("/snd/soundwav"), "/snd/soundcau");
    EXPECT_EQ(dirToCausTarget("/snd/DOOR.WAV"), "/snd/DOOR.cau");
    EXPECT_EQ(cauToWavTarget("/snd/a.b.CAU"), "/snd/a.b.wav");
    EXPECT_EQ(cauWavPathFor("/snd/door.cau"), "/snd/door.wav");
    EXPECT_EQ(cauWavPathFor("/snd/a.b.cau"), "/snd/a.wavau");
    EXPECT_EQ(cauWavPathFor("/my.sounds/door.cau"), "/my.sounds/door.wav");
    EXPECT_EQ(cauWavPathFor("/snd/door"), "/snd/door.wav");
}
