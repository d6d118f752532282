// Checking archives and sounds as the game reads them: silence on what the
// project writes, each kind of damage reported with its code and record, and
// hostile files read without harm.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <filesystem>
#include <functional>
#include <random>

#include "archive/edit/add_sound.h"
#include "archive/edit/build_from_cau_dir.h"
#include "archive/edit/create_archive.h"
#include "archive/check/verify.h"
#include "archive_builder.h"
#include "audio/cau/missing_sound.h"

using namespace sonkrate::archive;
using archive_test::Bytes;
using archive_test::pcmImage;
using testkit::put32;
using testkit::u32;

namespace {

std::string describe(const VerifyReport& r) {
    std::string text = r.outcome ? "" : "unreadable: " + r.outcome.reason + "\n";
    for (const Finding& f : r.findings)
        text += std::string(severityText(f.severity)) + " " + f.code + " @" +
                (f.index ? std::to_string(*f.index) : "-") + ": " + f.message + "\n";
    return text;
}

const Finding* find(const VerifyReport& r, const std::string& code) {
    for (const Finding& f : r.findings)
        if (f.code == code) return &f;
    return nullptr;
}

VerifyReport verifyBytes(const testkit::ScratchDir& dir, const Bytes& bytes, const char* name = "x.tpa") {
    testkit::writeFile(dir.file(name), bytes);
    return verifyFile(dir.file(name));
}

// Entry 0 a captioned PCM sound, entry 1 the built-in stereo IMA ADPCM sound.
Bytes goodArchive() {
    return archive_test::retailArchive({{0x11, pcmImage(22050, 1, 64, true)}, {0x22, sonkrate::audio::missingSoundImage()}});
}

}  // namespace

TEST(Verify, ArchivesAndSoundsTheProjectWritesHaveNoError) {
    testkit::ScratchDir dir;
    const std::string tpa = dir.file("Game.tpa");
    ASSERT_TRUE(createDefaultArchive(tpa).outcome);
    testkit::writeFile(dir.file("missing.cau"), sonkrate::audio::missingSoundImage());
    AddSoundRequest add;
    add.archivePath = tpa;
    add.soundPath = dir.file("missing.cau");
    add.soundName = "stand_in";
    ASSERT_EQ(addSoundGeneral(add).addResult, AddOutcome::Done);
    VerifyReport report = verifyFile(tpa);
    EXPECT_TRUE(report.outcome && report.findings.empty()) << describe(report);
    report = verifyFile(dir.file("missing.cau"));
    EXPECT_TRUE(report.outcome && report.findings.empty()) << describe(report);

    std::filesystem::create_directory(dir.file("caus"));
    testkit::writeFile(dir.file("caus/a.cau"), pcmImage(11025, 2, 400, true));
    testkit::writeFile(dir.file("caus/b.cau"), pcmImage(8000, 1, 3));
    testkit::writeFile(dir.file("caus/c.cau"), sonkrate::audio::missingSoundImage());
    const BuildFromCauDirResult built = buildArchiveFromCauDir(dir.file("caus"), dir.file("built.tpa"));
    ASSERT_TRUE(built.outcome) << built.outcome.reason;
    report = verifyFile(dir.file("built.tpa"));
    EXPECT_TRUE(report.outcome && report.findings.empty()) << describe(report);

    // Records sharing one image, as in the game's own archives, are no fault.
    Bytes shared = goodArchive();
    Bytes record(shared.begin() + 80, shared.begin() + 136);
    put32(record, 0, 0x33);
    shared.insert(shared.begin() + 136, record.begin(), record.end());
    put32(shared, 20, 3);
    for (int i = 0; i < 3; ++i) put32(shared, 24 + 56 * i + 4, u32(shared, 24 + 56 * i + 4) + 56);
    put32(shared, 16, static_cast<std::uint32_t>(shared.size()));
    report = verifyBytes(dir, shared);
    EXPECT_TRUE(report.findings.empty()) << describe(report);
}

TEST(Verify, EachDamageIsReportedWithItsCodeAndRecord) {
    testkit::ScratchDir dir;
    const Bytes good = goodArchive();
    ASSERT_TRUE(verifyBytes(dir, good).findings.empty()) << describe(verifyBytes(dir, good));
    const std::size_t r0 = 24, r1 = 80, c0 = r0 + 20, c1 = r1 + 20;  // records and their header copies
    const std::size_t image0 = u32(good, r0 + 4), caption0 = image0 + 36;
    struct Case {
        const char* code;
        Severity severity;
        int index;  // -1: the file as a whole
        std::function<void(Bytes&)> damage;
    };
    const auto E = Severity::Error, W = Severity::Warning;
    const Case cases[] = {
        {"layout-tag", E, -1, [](Bytes& b) { put32(b, 0, 0x151); }},
        {"table-outside-file", E, -1, [](Bytes& b) { put32(b, 20, 0x10000); }},
        {"collision-table-outside-file", E, -1, [](Bytes& b) { put32(b, 12, 1); }},
        {"image-outside-file", E, 1, [&](Bytes& b) { put32(b, r1 + 8, u32(b, r1 + 8) + 1); }},
        {"data-outside-file", E, 1, [&](Bytes& b) { put32(b, c1 + 16, u32(b, c1 + 16) + 1), put32(b, u32(b, r1 + 4) + 16, u32(b, c1 + 16)); }},
        {"header-magic", E, 0, [&](Bytes& b) { b[c0 + 3] = 'D'; }},
        {"header-copy-differs", E, 1, [&](Bytes& b) { b[u32(b, r1 + 4) + 24] ^= 1; }},
        {"bits-per-sample", E, 0, [&](Bytes& b) { b[c0 + 28] = 24, b[image0 + 28] = 24; }},
        {"channels", E, 0, [&](Bytes& b) { b[c0 + 29] = 0, b[image0 + 29] = 0; }},
        {"compression", E, 0, [&](Bytes& b) { b[c0 + 30] = 3, b[image0 + 30] = 3; }},
        {"compression", E, 1, [&](Bytes& b) { b[c1 + 28] = 8, b[u32(b, r1 + 4) + 28] = 8; }},
        {"block-align", E, 1, [&](Bytes& b) { put32(b, c1 + 12, 8), put32(b, u32(b, r1 + 4) + 12, 8); }},
        {"format-tag", E, 0, [&](Bytes& b) { put32(b, c0 + 4, 111), put32(b, image0 + 4, 111); }},
        // The samples per channel where the byte length belongs: the game plays a quarter.
        {"decoded-size", E, 1, [&](Bytes& b) { put32(b, c1 + 20, 22043), put32(b, u32(b, r1 + 4) + 20, 22043); }},
        {"decoded-size", E, 0, [&](Bytes& b) { put32(b, c0 + 20, 63), put32(b, image0 + 20, 63); }},
        {"attenuation", E, 1, [&](Bytes& b) { put32(b, r1 + 12, std::bit_cast<std::uint32_t>(-1.5f)); }},
        {"attenuation", E, 0, [&](Bytes& b) { put32(b, r0 + 12, std::bit_cast<std::uint32_t>(NAN)); }},
        {"master-volume", E, 0, [&](Bytes& b) { put32(b, r0 + 16, std::bit_cast<std::uint32_t>(0.5f)); }},
        {"caption-sections", E, 0, [&](Bytes& b) { put32(b, caption0 + 4, 3); }},
        {"caption-sections", E, 0, [&](Bytes& b) { std::fill_n(b.begin() + static_cast<long>(caption0) + 19, 6, 'x'); }},
        {"caption-outside-file", E, 0, [&](Bytes& b) { put32(b, caption0, 0x7FFFFFF0); }},
        {"duplicate-id", W, 1, [&](Bytes& b) { put32(b, r1, 0x11); }},
        {"image-overlap", W, 1, [&](Bytes& b) { put32(b, r0 + 8, u32(b, r0 + 8) + 1); }},
        {"gap", W, -1, [&](Bytes& b) { b.push_back(0), put32(b, 16, static_cast<std::uint32_t>(b.size())); }},
        {"count-mismatch", W, -1, [](Bytes& b) { put32(b, 4, 3); }},
        {"sound-data-end", W, -1, [](Bytes& b) { put32(b, 16, 100); }},
    };
    for (const Case& c : cases) {
        Bytes b = good;
        c.damage(b);
        const VerifyReport report = verifyBytes(dir, b);
        const Finding* f = find(report, c.code);
        ASSERT_NE(f, nullptr) << c.code << " not reported:\n" << describe(report);
        EXPECT_EQ(f->severity, c.severity) << c.code;
        EXPECT_EQ(f->index ? static_cast<int>(*f->index) : -1, c.index) << c.code;
        EXPECT_EQ(f->soundId, f->index ? std::optional(u32(b, 24 + 56 * *f->index)) : std::nullopt) << c.code;
        EXPECT_EQ(f->file, dir.file("x.tpa"));
        EXPECT_EQ(report.count(Severity::Error) != 0, c.severity == E) << c.code << ":\n" << describe(report);
    }
    Bytes twice = good;
    put32(twice, r1, 0x11);
    const VerifyReport report = verifyBytes(dir, twice);
    const Finding* duplicate = find(report, "duplicate-id");
    ASSERT_NE(duplicate, nullptr);
    EXPECT_NE(duplicate->message.find("entry 0"), std::string::npos) << duplicate->message;
    // A copy that differs names the fields the game would play differently.
    Bytes slower = good;
    slower[u32(slower, r1 + 4) + 24] ^= 1;
    const VerifyReport differs = verifyBytes(dir, slower);
    ASSERT_EQ(differs.findings.size(), 1u) << describe(differs);
    EXPECT_EQ(differs.findings[0].message, "the table's header copy differs from the header of its image in "
                                           "sampleRate (22050 in the copy, 22051 in the image)");
}

TEST(Verify, BetaLayoutsPointToTheConversion) {
    testkit::ScratchDir dir;
    for (std::uint32_t tag : {0x140u, 0x130u}) {
        const VerifyReport report =
            verifyBytes(dir, archive_test::betaArchive(tag, tag == 0x140 ? 24 : 16, {{1, pcmImage(8000, 1, 20)}}));
        ASSERT_EQ(report.findings.size(), 1u) << describe(report);
        EXPECT_EQ(report.findings[0].code, "layout-tag");
        EXPECT_NE(report.findings[0].message.find("beta-to-retail"), std::string::npos);
    }
}

TEST(Verify, ImagesWithTheOlderHeaderAreComparedByTheirSound) {
    testkit::ScratchDir dir;
    Bytes b = archive_test::retailArchive({{7, archive_test::olderImage(11025, 300)}});
    // The copy the game plays: a full header for the same sound, its data at 32.
    const Bytes header = pcmImage(11025, 1, 300);
    std::copy(header.begin(), header.begin() + 36, b.begin() + 44);
    put32(b, 44 + 8, 32);
    VerifyReport report = verifyBytes(dir, b);
    EXPECT_TRUE(report.findings.empty()) << describe(report);
    put32(b, 44 + 24, 22050);
    report = verifyBytes(dir, b);
    ASSERT_EQ(report.findings.size(), 1u) << describe(report);
    EXPECT_EQ(report.findings[0].message, "the table's header copy differs from the header of its image in "
                                          "sampleRate (22050 in the copy, 11025 in the image)");
}

TEST(Verify, LoneSoundsAndUnreadableFiles) {
    testkit::ScratchDir dir;
    EXPECT_TRUE(verifyBytes(dir, pcmImage(11025, 2, 40, true), "a.CAU").findings.empty());
    // Without a telling name the magic decides.
    EXPECT_TRUE(verifyBytes(dir, pcmImage(11025, 2, 40), "sound.bin").findings.empty());
    Bytes cut = sonkrate::audio::missingSoundImage();
    put32(cut, 20, 22043);
    EXPECT_NE(find(verifyBytes(dir, cut, "m.cau"), "decoded-size"), nullptr);
    cut.resize(100);
    EXPECT_NE(find(verifyBytes(dir, cut, "m.cau"), "data-outside-file"), nullptr);
    cut[0] = 'X';
    const VerifyReport renamed = verifyBytes(dir, cut, "m.cau");
    ASSERT_NE(find(renamed, "header-magic"), nullptr);
    EXPECT_EQ(find(renamed, "header-magic")->message, "the header starts with \"XBOR\", not WBOR");
    EXPECT_NE(find(verifyBytes(dir, Bytes(35, 0), "short.cau"), "header-outside-file"), nullptr);
    EXPECT_NE(find(verifyBytes(dir, Bytes(23, 0), "short.tpa"), "header-outside-file"), nullptr);
    EXPECT_FALSE(verifyFile(dir.file("absent.tpa")).outcome);
}

TEST(Verify, DamagedBytesAnywhereAreReadWithoutHarm) {
    testkit::ScratchDir dir;
    const Bytes good = goodArchive();
    std::mt19937 random(12);
    for (int round = 0; round < 250; ++round) {
        Bytes b = good;
        // Damage the header, the table and the image headers, where the offsets live.
        for (int i = 0; i < 6; ++i) {
            std::size_t at = random() % 240;
            if (at >= 136) at = at - 136 + u32(good, 28) + (round % 2 ? 0 : u32(good, 32));
            b[at] = static_cast<std::uint8_t>(random());
        }
        if (round % 7 == 0) b.resize(random() % b.size());
        const VerifyReport report = verifyBytes(dir, b);
        ASSERT_TRUE(report.outcome) << report.outcome.reason;
        EXPECT_LE(report.findings.size(), kMaxFindings);
    }
}
