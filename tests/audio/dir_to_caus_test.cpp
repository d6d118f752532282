// The folder conversion: what it takes from a folder, what it writes, what
// it skips, and what it tells its progress callback.
#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

#include "audio/convert/dir_to_caus.h"
#include "audio/codec/ima_adpcm_encoder.h"
#include "audio/wav/wav_headers.h"
#include "audio_fixtures.h"

using namespace sonkrate::audio;
using testkit::Bytes;
using testkit::quote;

namespace {

Bytes pcmWav(std::uint32_t dataLength) {
    auto head = pcmWavHeader(1, 22050, 16, dataLength);
    Bytes wav(head.begin(), head.end());
    for (std::uint32_t i = 0; i < dataLength; ++i) wav.push_back(static_cast<std::uint8_t>(i * 3));
    return wav;
}

Bytes stereoImaWav(std::size_t frames) {
    Bytes data = encodeImaBlocks(audiotest::tone(frames, 2), 2, 2056);
    auto head = imaWavHeader(2, 22050, 2056, static_cast<std::uint32_t>(frames), static_cast<std::uint32_t>(data.size()));
    Bytes wav(head.size() + data.size());
    std::copy(data.begin(), data.end(), std::copy(head.begin(), head.end(), wav.begin()));
    return wav;
}

}  // namespace

// One PCM, one IMA ADPCM at 2056 and one A-law .wav give two .cau files; a
// name merely ending in "wav" is taken too, a folder so named is not.
TEST(DirToCaus, ConvertsWhatItCanAndSkipsTheRest) {
    testkit::ScratchDir dir;
    if (testkit::haveTool("sox") && testkit::haveTool("sndfile-convert")) {
        auto made = testkit::run("sox -n -r 22050 -c 1 -b 16 " + quote(dir.file("pcm.wav")) + " synth 0.2 sine 440");
        ASSERT_EQ(made.exitCode, 0) << made.err;
        made = testkit::run("sndfile-convert -alaw " + quote(dir.file("pcm.wav")) + " " + quote(dir.file("alaw.wav")));
        ASSERT_EQ(made.exitCode, 0) << made.err;
    } else {
        testkit::writeFile(dir.file("pcm.wav"), pcmWav(8820));
        Bytes alaw = pcmWav(100);
        testkit::put32(alaw, 16, 18);
        testkit::writeFile(dir.file("alaw.wav"), alaw);
    }
    Bytes ima = stereoImaWav(3000);
    testkit::writeFile(dir.file("ima.wav"), ima);
    testkit::writeFile(dir.file("soundwav"), pcmWav(10));
    testkit::writeFile(dir.file("notes.txt"), {'x'});
    std::filesystem::create_directory(dir.file("subwav"));

    std::vector<std::tuple<std::uint64_t, std::uint64_t, std::string>> told;
    DirToCausResult r = dirToCaus(dir.path(), [&](std::uint64_t done, std::uint64_t total, const std::string& name) {
        told.emplace_back(done, total, name);
    });
    ASSERT_TRUE(r.outcome.ok) << r.outcome.reason;
    EXPECT_EQ(r.converted, 3u);
    EXPECT_EQ(r.refused, 1u);
    EXPECT_EQ(r.failed, 0u);
    ASSERT_EQ(r.items.size(), 4u);
    EXPECT_EQ(r.items[0].wavPath, dir.file("alaw.wav"));
    EXPECT_EQ(r.items[0].kind, WavKind::Unsupported);
    EXPECT_EQ(r.items[3].cauPath, dir.file("soundcau"));

    EXPECT_TRUE(testkit::fileExists(dir.file("pcm.cau")));
    EXPECT_TRUE(testkit::fileExists(dir.file("soundcau")));
    EXPECT_FALSE(testkit::fileExists(dir.file("alaw.cau")));
    EXPECT_FALSE(testkit::fileExists(dir.file("subcau")));
    Bytes cau = testkit::readFile(dir.file("ima.cau"));
    ASSERT_EQ(cau.size(), 36 + ima.size() - 60);
    EXPECT_TRUE(std::equal(cau.begin() + 36, cau.end(), ima.begin() + 60));

    using Told = std::tuple<std::uint64_t, std::uint64_t, std::string>;
    const std::vector<Told> expected = {Told{0, 4, "alaw.wav"}, Told{1, 4, "ima.wav"}, Told{2, 4, "pcm.wav"},
                                        Told{3, 4, "soundwav"}, Told{4, 4, ""}};
    EXPECT_EQ(told, expected);

}

TEST(DirToCaus, AMissingFolderFailsAndAnEmptyOneDoesNothing) {
    testkit::ScratchDir dir;
    DirToCausResult missing = dirToCaus(dir.file("absent"));
    EXPECT_FALSE(missing.outcome.ok);
    EXPECT_NE(missing.outcome.reason.find("absent"), std::string::npos);
    DirToCausResult empty = dirToCaus(dir.path());
    EXPECT_TRUE(empty.outcome.ok);
    EXPECT_TRUE(empty.items.empty());
}
