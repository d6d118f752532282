// Every reader fed empty, truncated and random files: a read failure with a
// reason, or a well-formed output, and never a crash (run under the sanitizers).
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <random>

#include "import/aiff_reader.h"
#include "import/au_reader.h"
#include "import/caf_reader.h"
#include "import/htk_reader.h"
#include "import/paf_reader.h"
#include "import/play_foreign.h"
#include "import/pvf_reader.h"
#include "import/sphere_reader.h"
#include "import/voc_reader.h"
#include "import/wve_reader.h"
#include "import_testing.h"

using namespace sonkrate::import;
using testkit::Bytes;

namespace {

struct Reader {
    const char* extension;
    ReaderFunction convert;
    const char* prefix;  // a start that gets the bytes past the signature checks
};

const Reader kReaders[] = {
    {"aif", convertAiff, "FORM"}, {"aif", convertAiff24, "FORM"}, {"aif", convertAiff32, "FORM"},
    {"aif", convertAiff8OrAifc, "FORM"}, {"au", convertAu, ".snd"}, {"au", convertAuG711, ".snd"},
    {"voc", convertVoc, "Creative Voice File"}, {"voc", convertVoc8, "Creative Voice File"},
    {"caf", convertCaf, "caff"}, {"sph", convertSphere, "NIST_1A\n   1024\n"}, {"paf", convertPaf, " paf"},
    {"pvf", convertPvf, "PVF1\n"}, {"wve", convertWve, "ALawSoundFile**"}, {"htk", convertHtk, ""},
};

// Converts bytes with reader; checks the result is either a failure with a
// reason or an output whose header is whole.
void expectSafe(const testkit::ScratchDir& dir, const std::string& extension, ReaderFunction convert,
                const Bytes& bytes, const std::string& what) {
    const std::string in = dir.file("in." + extension), out = dir.file("out.wav");
    testkit::writeFile(in, bytes);
    std::filesystem::remove(out);
    ConversionResult r = convert(in, out);
    if (r.readFailed) {
        EXPECT_FALSE(r.reason.empty()) << what;
    }
    if (r.outputWritten) {
        Bytes wav = testkit::readFile(out);
        ASSERT_GE(wav.size(), 44u) << what;
        importtest::WavFields f = importtest::fieldsOf(wav);
        EXPECT_EQ(testkit::text(wav, 0, 4), "RIFF") << what;
        EXPECT_EQ(f.riffSize, f.headerSize - 8 + f.dataSize) << what;
        // At most one step beyond what the data size says.
        EXPECT_LE(wav.size(), f.headerSize + std::uint64_t{f.dataSize} + 6) << what;
        EXPECT_LE(f.dataSize, bytes.size()) << what;
    } else {
        EXPECT_TRUE(r.readFailed) << what;
        EXPECT_FALSE(testkit::fileExists(out)) << what;
    }
}

}  // namespace

TEST(Hostile, EmptyAndRandomFilesFailOrConvertSafely) {
    testkit::ScratchDir dir;
    std::mt19937 random(20240601);
    const std::size_t sizes[] = {0, 1, 5, 12, 24, 31, 33, 41, 54, 59, 64, 75, 1023, 1025, 2047, 2049, 4093, 4097, 9000};
    for (const Reader& reader : kReaders) {
        SCOPED_TRACE(reader.extension);
        for (std::size_t size : sizes) {
            for (int round = 0; round < 3; ++round) {
                Bytes bytes(size);
                for (auto& b : bytes) b = static_cast<std::uint8_t>(random());
                // Half of them start like the real thing, so that the header fields are reached.
                if (round > 0) {
                    std::string p = reader.prefix;
                    for (std::size_t i = 0; i < p.size() && i < size; ++i) bytes[i] = static_cast<std::uint8_t>(p[i]);
                }
                // Blanks and digits exercise the text headers.
                if (round == 2) {
                    for (std::size_t i = std::string(reader.prefix).size(); i < std::min<std::size_t>(size, 200); ++i)
                        bytes[i] = static_cast<std::uint8_t>(" -i1624\n"[random() % 8]);
                }
                expectSafe(dir, reader.extension, reader.convert, bytes, std::to_string(size) + "/" + std::to_string(round));
            }
        }
    }
}

TEST(Hostile, TruncatedRealFilesFailOrConvertSafely) {
    if (!importtest::haveAudioTools()) GTEST_SKIP() << "sox and sndfile-convert are needed";
    testkit::ScratchDir dir;
    struct Made {
        const char* file;
        const char* options;
        ReaderFunction convert;
    };
    const Made made[] = {
        {"a.aif", "-pcm24", convertAiff}, {"b.aif", "-ulaw", convertAiff}, {"c.au", "-pcm16", convertAu},
        {"d.au", "-alaw", convertAu},     {"e.voc", "-pcmu8", convertVoc}, {"f.caf", "-pcm24", convertCaf},
        {"g.sph", "-ulaw", convertSphere}, {"h.paf", "-pcm24", convertPaf}, {"i.pvf", "-pcm32", convertPvf},
        {"j.wve", "-alaw", convertWve},   {"k.htk", "-pcm16", convertHtk},
    };
    for (const Made& m : made) {
        SCOPED_TRACE(m.file);
        std::string path = dir.file(m.file);
        std::string tone = importtest::tone(dir, m.convert == convertWve ? 8000 : 22050, 1);
        importtest::mustRun("sndfile-convert " + std::string(m.options) + " " + testkit::quote(tone) + " " +
                            testkit::quote(path));
        const Bytes whole = testkit::readFile(path);
        const std::string extension = std::string(m.file).substr(2);
        for (std::size_t cut : {std::size_t{0}, std::size_t{3}, std::size_t{20}, std::size_t{40}, std::size_t{57},
                                std::size_t{100}, std::size_t{1024}, std::size_t{2048}, std::size_t{4095},
                                whole.size() / 2, whole.size() - 1}) {
            if (cut > whole.size()) continue;
            expectSafe(dir, extension, m.convert, Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut)),
                       "cut at " + std::to_string(cut));
        }
    }
}

TEST(Hostile, RandomWavHeadersAreDecidedWithoutACrash) {
    testkit::ScratchDir dir;
    ForeignWorkPaths paths{dir.file("temp_wav.wav"), dir.file("conversion.wav"), dir.file("decoded.wav")};
    std::mt19937 random(77);
    for (int round = 0; round < 60; ++round) {
        Bytes b(static_cast<std::size_t>(random() % 3000));
        for (auto& x : b) x = static_cast<std::uint8_t>(random());
        if (b.size() >= 36) {
            // Steer some into the decoded and the played branches.
            const std::uint32_t fmt[] = {16, 18, 20, 40};
            testkit::put32(b, 16, fmt[round % 4]);
            if (round % 3 == 0) testkit::put16(b, 32, round % 2 ? 1028 : 2056);
        }
        testkit::writeFile(dir.file("r.wav"), b);
        ForeignPlayOutcome o = playForeignFile(dir.file("r.wav"), paths);
        EXPECT_EQ(o.route, ForeignRoute::DirectWav);
        if (o.readFailed) {
            EXPECT_FALSE(o.reason.empty());
        }
        EXPECT_TRUE(std::isfinite(o.playTimeSeconds));
    }
}
