// Layouts the readers refuse, files too short for their data offset, and the
// header edge cases of each reader, on files made or patched at run time.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
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

void putText(Bytes& b, std::size_t at, const std::string& t) { std::memcpy(b.data() + at, t.data(), t.size()); }

// Writes bytes to name in dir and converts it with reader into out.wav.
ConversionResult convertBytes(const testkit::ScratchDir& dir, const std::string& name, const Bytes& bytes,
                              ReaderFunction reader, Bytes* wav = nullptr) {
    testkit::writeFile(dir.file(name), bytes);
    std::string out = dir.file(name + ".wav");
    ConversionResult r = reader(dir.file(name), out);
    if (wav) *wav = testkit::fileExists(out) ? testkit::readFile(out) : Bytes{};
    return r;
}

}  // namespace

TEST(Refusals, RefusedLayoutsFailAndLeaveTheOutputAlone) {
    if (!importtest::haveAudioTools()) GTEST_SKIP() << "sox and sndfile-convert are needed";
    testkit::ScratchDir dir;
    const std::string mono = importtest::tone(dir, 22050, 1), stereo = importtest::tone(dir, 22050, 2);
    auto make = [&](const std::string& options, const std::string& source, const std::string& name) {
        importtest::mustRun("sndfile-convert " + options + " " + testkit::quote(source) + " " +
                            testkit::quote(dir.file(name)));
        return testkit::readFile(dir.file(name));
    };
    struct Case {
        std::string name;
        Bytes bytes;
        ReaderFunction reader;
        const char* mentions;  // a word the reason holds
    };
    std::vector<Case> cases;
    cases.push_back({"float.aif", make("-float32", mono, "float.aif"), convertAiff, "FL32"});
    Bytes aiff12 = make("-pcm16", mono, "aiff12.aif");
    aiff12[26] = 0x00, aiff12[27] = 0x0C;  // 12-bit samples: word 3072
    cases.push_back({"aiff12.aif", aiff12, convertAiff, "12-bit"});
    Bytes caf32 = make("-pcm32", stereo, "caf32.caf");
    putText(caf32, 52, "chan");  // the description followed by a channel layout, not "free"
    cases.push_back({"caf32.caf", caf32, convertCaf, "free"});
    Bytes caf12 = make("-pcm16", mono, "caf12.caf");
    caf12[51] = 12;
    cases.push_back({"caf12.caf", caf12, convertCaf, "12-bit"});
    cases.push_back({"s24.paf", make("-pcm24", stereo, "s24.paf"), convertPaf, "24-bit"});
    Bytes paf32 = make("-pcm16", mono, "paf32.paf");
    paf32[19] = 3;
    cases.push_back({"paf32.paf", paf32, convertPaf, "format"});
    Bytes htk4 = make("-pcm16", mono, "htk4.htk");
    htk4[8] = 0x00, htk4[9] = 0x04;  // 4-byte samples: word 1024
    cases.push_back({"htk4.htk", htk4, convertHtk, "4-byte"});
    Bytes wve = make("-alaw", importtest::tone(dir, 8000, 1), "nosig.wve");
    putText(wve, 0, "BLaw");
    cases.push_back({"nosig.wve", wve, convertWve, "ALawSoundFile"});
    cases.push_back({"m24.au", make("-pcm24", mono, "m24.au"), convertAu, "encoding 4"});
    cases.push_back({"float.au", make("-float32", mono, "float.au"), convertAu, "encoding 6"});
    Bytes alaw = make("-alaw", mono, "nosig.au");
    putText(alaw, 0, "xxxx");
    cases.push_back({"nosig.au", alaw, convertAu, ".snd"});
    Bytes pcm32 = make("-pcm32", mono, "nosig32.au");
    putText(pcm32, 0, ".SND");
    cases.push_back({"nosig32.au", pcm32, convertAu, ".snd"});
    Bytes pvf24(1100, 0);
    putText(pvf24, 0, "PVF1\n1 8000 24\n");
    cases.push_back({"p24.pvf", pvf24, convertPvf, "24"});
    Bytes pvfEmptyWidth(1100, 0);
    putText(pvfEmptyWidth, 0, "PVF1\n1 8000  16\n");  // two blanks: the third word is empty
    cases.push_back({"empty.pvf", pvfEmptyWidth, convertPvf, "width"});
    Bytes voc0 = make("-pcmu8", mono, "key0.voc");
    voc0[30] = 0, voc0[31] = 0;
    cases.push_back({"key0.voc", voc0, convertVoc, "time constant"});

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string in = dir.file("in-" + c.name), out = dir.file(c.name + ".wav");
        testkit::writeFile(in, c.bytes);
        testkit::writeText(out, "left as it was");
        ConversionResult r = c.reader(in, out);
        EXPECT_TRUE(r.readFailed);
        EXPECT_FALSE(r.outputWritten);
        EXPECT_NE(r.reason.find(in), std::string::npos) << r.reason;
        EXPECT_NE(r.reason.find(c.mentions), std::string::npos) << r.reason;
        EXPECT_EQ(testkit::readText(out), "left as it was");
        std::filesystem::remove(out);
        EXPECT_FALSE(c.reader(in, out).ok());
        EXPECT_FALSE(testkit::fileExists(out));
    }

    // mu-law needs no signature; A-law and 32-bit linear do.
    Bytes ulaw = make("-ulaw", mono, "nosig-ulaw.au");
    putText(ulaw, 0, "xxxx");
    EXPECT_TRUE(convertBytes(dir, "nosig-ulaw.au", ulaw, convertAu).ok());
}

TEST(Refusals, UnknownEightBitVocRatesAreConvertedButReportedFailed) {
    if (!importtest::haveAudioTools()) GTEST_SKIP() << "sox and sndfile-convert are needed";
    testkit::ScratchDir dir;
    const std::string mono = importtest::tone(dir, 22050, 1);
    // libsndfile writes mu-law as a type 9 block of 8 bits: its rate read as a
    // time constant (22050) is not in the table.
    importtest::mustRun("sndfile-convert -ulaw " + testkit::quote(mono) + " " + testkit::quote(dir.file("u.voc")));
    // A 4-bit ADPCM block: packing byte 1 makes the key 256 + 211.
    importtest::mustRun("sndfile-convert -pcmu8 " + testkit::quote(mono) + " " + testkit::quote(dir.file("a.voc")));
    Bytes adpcm = testkit::readFile(dir.file("a.voc"));
    adpcm[31] = 1;
    testkit::writeFile(dir.file("a.voc"), adpcm);
    for (const char* name : {"u.voc", "a.voc"}) {
        SCOPED_TRACE(name);
        ConversionResult r = convertVoc(dir.file(name), dir.file("out.wav"));
        EXPECT_TRUE(r.readFailed);
        EXPECT_TRUE(r.outputWritten);
        importtest::WavFields f = importtest::fieldsOf(testkit::readFile(dir.file("out.wav")));
        EXPECT_EQ(f.sampleRate, 22050u);
        EXPECT_EQ(f.bitsPerSample, 8u);
        EXPECT_EQ(f.channels, 1u);
        const double length = static_cast<double>(testkit::fileSize(dir.file(name)));
        EXPECT_DOUBLE_EQ(r.playTimeSeconds, length / 22050);
    }
}

TEST(Refusals, FilesShorterThanTheirDataOffsetAreReadFailures) {
    testkit::ScratchDir dir;
    struct Case {
        const char* name;
        ReaderFunction reader;
        std::size_t offset;  // the data offset of the layout below
        std::function<void(Bytes&)> header;
    };
    const Case cases[] = {
        {"a.aif", convertAiff, 58, [](Bytes& b) { b[20] = 0, b[21] = 1, b[26] = 0, b[27] = 16; }},
        {"b.aif", convertAiff, 54, [](Bytes& b) { b[26] = 0, b[27] = 24; }},
        {"c.aif", convertAiff, 74, [](Bytes& b) { putText(b, 24, "COMM"), putText(b, 50, "ulaw"); }},
        {"a.au", convertAu, 32, [](Bytes& b) { putText(b, 0, ".snd"), b[15] = 3; }},
        {"b.au", convertAu, 24, [](Bytes& b) { putText(b, 0, ".snd"), b[15] = 1; }},
        {"a.voc", convertVoc, 40, [](Bytes& b) { b[34] = 16; }},
        {"b.voc", convertVoc, 41, [](Bytes& b) { b[30] = 211; }},
        {"a.caf", convertCaf, 4094, [](Bytes& b) { b[51] = 0x10; }},
        {"b.caf", convertCaf, 4096, [](Bytes& b) { b[51] = 0x18; }},
        {"a.sph", convertSphere, 1024, [](Bytes& b) { putText(b, 0, "NIST_1A\n   1024\n"); }},
        {"a.paf", convertPaf, 2048, [](Bytes&) {}},
        {"a.pvf", convertPvf, 1024, [](Bytes& b) { putText(b, 0, "PVF1\n1 8000 16\n"); }},
        {"a.wve", convertWve, 32, [](Bytes& b) { putText(b, 0, "ALawSoundFile**"); }},
        {"a.htk", convertHtk, 12, [](Bytes& b) { b[9] = 2; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (std::size_t length : {c.offset - 1, c.offset}) {
            Bytes bytes(std::max<std::size_t>(length, 64), 0);
            c.header(bytes);
            bytes.resize(length);
            Bytes wav;
            ConversionResult r = convertBytes(dir, c.name, bytes, c.reader, &wav);
            if (length < c.offset) {
                EXPECT_TRUE(r.readFailed) << length;
                EXPECT_NE(r.reason.find("too short"), std::string::npos) << r.reason;
                EXPECT_TRUE(wav.empty());
            } else {
                // Exactly the data offset: a valid header with no data.
                ASSERT_TRUE(r.ok()) << r.reason;
                importtest::WavFields f = importtest::fieldsOf(wav);
                EXPECT_EQ(f.dataSize, 0u);
                EXPECT_EQ(f.riffSize, f.headerSize - 8);
                EXPECT_EQ(wav.size(), f.headerSize);
            }
            std::filesystem::remove(dir.file(std::string(c.name) + ".wav"));
        }
    }
    // A source that cannot be opened, and an output that cannot be created.
    ConversionResult missing = convertHtk(dir.file("missing.htk"), dir.file("out.wav"));
    EXPECT_TRUE(missing.readFailed);
    EXPECT_NE(missing.reason.find("missing.htk"), std::string::npos) << missing.reason;
    Bytes htk(100, 0);
    htk[9] = 2;
    testkit::writeFile(dir.file("ok.htk"), htk);
    ConversionResult blocked = convertHtk(dir.file("ok.htk"), dir.file("no-such-folder/out.wav"));
    EXPECT_TRUE(blocked.readFailed);
    EXPECT_NE(blocked.reason.find("no-such-folder"), std::string::npos) << blocked.reason;
    // A file of 2 GiB or more does not fit the 32-bit sizes (a sparse file, nothing is read).
    std::error_code ec;
    std::filesystem::resize_file(dir.file("ok.htk"), std::uint64_t{1} << 31, ec);
    if (!ec) {
        ConversionResult huge = convertHtk(dir.file("ok.htk"), dir.file("huge.wav"));
        EXPECT_TRUE(huge.readFailed);
        EXPECT_NE(huge.reason.find("too large"), std::string::npos) << huge.reason;
        EXPECT_FALSE(testkit::fileExists(dir.file("huge.wav")));
    }
}

TEST(ReaderEdges, RateTablesFallBackAndZeroRatesGiveNoPlayingTime) {
    testkit::ScratchDir dir;
    Bytes wav;
    // CAF at 12000 Hz (key 40 C7) plays at 192000 Hz.
    Bytes caf(5000, 0);
    caf[20] = 0x40, caf[21] = 0xC7, caf[47] = 0x01, caf[51] = 0x10;
    ASSERT_TRUE(convertBytes(dir, "k.caf", caf, convertCaf, &wav).ok());
    EXPECT_EQ(importtest::fieldsOf(wav).sampleRate, 192000u);
    // A 32-bit AIFF at 96000 Hz has no row: 192000 Hz, byte rate 384000.
    Bytes aiff(200, 0);
    aiff[20] = 0, aiff[21] = 1, aiff[26] = 0, aiff[27] = 32;
    aiff[28] = 0x40, aiff[29] = 0x0F, aiff[30] = 0xBB, aiff[31] = 0x80;
    ASSERT_TRUE(convertBytes(dir, "k.aif", aiff, convertAiff, &wav).ok());
    EXPECT_EQ(importtest::fieldsOf(wav).sampleRate, 192000u);
    EXPECT_EQ(importtest::fieldsOf(wav).byteRate, 384000u);
    // WVE words 3762 and 1000 both give 8000 Hz.
    for (std::uint16_t key : {3762, 1000}) {
        Bytes wve(100, 0);
        putText(wve, 0, "ALawSoundFile**");
        testkit::put16(wve, 20, key);
        ASSERT_TRUE(convertBytes(dir, "k.wve", wve, convertWve, &wav).ok());
        EXPECT_EQ(importtest::fieldsOf(wav).sampleRate, 8000u) << key;
    }
    // An 8-bit stereo VOC holding 49536 (the usual 8000 Hz constant) plays at
    // 22050 Hz, and its time is worked out with 22050.
    Bytes voc(1040, 0);
    testkit::put16(voc, 30, 49536);
    ConversionResult vocResult = convertBytes(dir, "k.voc", voc, convertVoc, &wav);
    ASSERT_TRUE(vocResult.ok());
    EXPECT_EQ(importtest::fieldsOf(wav).sampleRate, 22050u);
    EXPECT_DOUBLE_EQ(vocResult.playTimeSeconds, 1040.0 / (2 * 22050));
    // An AU rate of 0 and a PVF rate that is not a number: no playing time, no crash.
    Bytes au(100, 0);
    putText(au, 0, ".snd");
    au[15] = 3;
    ConversionResult auResult = convertBytes(dir, "z.au", au, convertAu, &wav);
    ASSERT_TRUE(auResult.ok());
    EXPECT_EQ(auResult.playTimeSeconds, 0.0);
    EXPECT_EQ(auResult.playTimeCount, 0);
    Bytes pvf(1100, 0);
    putText(pvf, 0, "PVF1\n1 fast 16\n");
    ConversionResult pvfResult = convertBytes(dir, "z.pvf", pvf, convertPvf, &wav);
    ASSERT_TRUE(pvfResult.ok());
    EXPECT_EQ(importtest::fieldsOf(wav).sampleRate, 0u);
    EXPECT_EQ(pvfResult.playTimeSeconds, 0.0);
    // HTK at 16000 Hz: 32012 bytes play exactly one second.
    Bytes htk(32012, 0);
    htk[6] = 0x02, htk[7] = 0x71, htk[9] = 2;
    ConversionResult htkResult = convertBytes(dir, "s.htk", htk, convertHtk, &wav);
    EXPECT_EQ(importtest::fieldsOf(wav).sampleRate, 16000u);
    EXPECT_EQ(htkResult.playTimeSeconds, 1.0);
    EXPECT_EQ(htkResult.playTimeCount, 1000);
}

TEST(ReaderEdges, SizesFollowTheWholeFileLength) {
    testkit::ScratchDir dir;
    Bytes wav;
    // A 24-bit mono PAF of 2048 + 64 bytes writes 60 data bytes: data size 60, RIFF size 96.
    Bytes paf(2048 + 64, 0);
    paf[12] = 0, paf[13] = 0, paf[14] = 0x56, paf[15] = 0x22, paf[19] = 1, paf[23] = 1;
    for (std::size_t i = 2048; i < paf.size(); ++i) paf[i] = static_cast<std::uint8_t>(i);
    ConversionResult pafResult = convertBytes(dir, "a.paf", paf, convertPaf, &wav);
    ASSERT_TRUE(pafResult.ok()) << pafResult.reason;
    importtest::WavFields f = importtest::fieldsOf(wav);
    EXPECT_EQ(f.dataSize, 60u);
    EXPECT_EQ(f.riffSize, 96u);
    EXPECT_EQ(f.bitsPerSample, 24u);
    EXPECT_EQ(wav.size(), 104u);
    EXPECT_EQ(wav[44 + 30], paf[2048 + 32]);
    EXPECT_DOUBLE_EQ(pafResult.playTimeSeconds, 60.0 / (3 * 22050));

    // PVF: data size L - 1024 for an even length, L - 1023 for an odd one.
    for (std::size_t length : {1100u, 1101u}) {
        Bytes pvf(length, 0x11);
        putText(pvf, 0, "PVF1\n1 8000 16\n");
        ASSERT_TRUE(convertBytes(dir, "o.pvf", pvf, convertPvf, &wav).ok());
        f = importtest::fieldsOf(wav);
        EXPECT_EQ(f.dataSize, length % 2 ? length - 1023 : length - 1024);
        EXPECT_EQ(f.riffSize, length % 2 ? length - 987 : length - 988);
        EXPECT_EQ(f.sampleRate, 8000u);
        EXPECT_EQ(f.byteRate, 16000u);
    }
    Bytes pvf8(1100, 0);
    putText(pvf8, 0, "PVF1\n1 8000 8\n");
    ASSERT_TRUE(convertBytes(dir, "e.pvf", pvf8, convertPvf, &wav).ok());
    EXPECT_EQ(importtest::fieldsOf(wav).sampleRate, 4000u);
    EXPECT_EQ(importtest::fieldsOf(wav).byteRate, 8000u);

    // A pair-copy reader with an odd data size writes one byte more than its
    // data size says, repeating the second byte of the pair before.
    Bytes wve = {'A', 'L', 'a', 'w', 'S', 'o', 'u', 'n', 'd', 'F', 'i', 'l', 'e', '*', '*'};
    wve.resize(32, 0);
    for (std::uint8_t b : {0xA1, 0xA2, 0xB1, 0xB2, 0xC1}) wve.push_back(b);
    ASSERT_TRUE(convertBytes(dir, "odd.wve", wve, convertWve, &wav).ok());
    f = importtest::fieldsOf(wav);
    EXPECT_EQ(f.dataSize, 5u);
    EXPECT_EQ(f.riffSize, wve.size() + 18);
    EXPECT_EQ(Bytes(wav.begin() + 58, wav.end()), (Bytes{0xA1, 0xA2, 0xB1, 0xB2, 0xC1, 0xB2}));
}

TEST(ReaderEdges, WveSignatureIsTheTextBeforeTheFirstDot) {
    testkit::ScratchDir dir;
    struct Case {
        std::string start;
        bool accepted;
    };
    const Case cases[] = {
        {"ALawSoundFile**", true},   // no "." at all: the whole content, cut to "alaw"
        {"ALawSoundFile.x", true},
        {"alaw.", true},             // four characters are used as they are
        {"ALaw.", false},            // ... so the case must match
        {"alawx.", false},           // five characters are neither cut nor "alaw"
        {"ALAWsound", true},
        {"ulawSoundFile", false},
        {".ALawSoundFile", false},   // nothing before the dot
    };
    for (const Case& c : cases) {
        Bytes b(40, 0x20);
        putText(b, 0, c.start);
        ConversionResult r = convertBytes(dir, "s.wve", b, convertWve);
        EXPECT_EQ(r.ok(), c.accepted) << c.start;
    }
}
