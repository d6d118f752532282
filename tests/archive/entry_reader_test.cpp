#include <gtest/gtest.h>

#include <filesystem>

#include "archive/format/entry_reader.h"
#include "archive/format/tpa_loader.h"
#include "archive_builder.h"
#include "testkit/testkit.h"

using namespace sonkrate::archive;
using namespace archive_test;

namespace {

struct Loaded {
    testkit::ScratchDir dir;
    TpaLoad load;
    std::string path;
    explicit Loaded(const Bytes& bytes) : path(dir.file("sounds.tpa")) {
        testkit::writeFile(path, bytes);
        load = loadTpaArchive(path, dir.path());
    }
};

void expectDamaged(const EntrySound& s, const std::string& path, std::uint32_t index, const char* words) {
    EXPECT_FALSE(s.outcome) << "entry " << index;
    EXPECT_NE(s.outcome.reason.find("entry " + std::to_string(index)), std::string::npos) << s.outcome.reason;
    EXPECT_NE(s.outcome.reason.find(path), std::string::npos) << s.outcome.reason;
    EXPECT_NE(s.outcome.reason.find(words), std::string::npos) << s.outcome.reason;
}

}  // namespace

TEST(EntryReader, OnePassGivesEveryHeaderCaptionAndDataPosition) {
    Bytes captioned = pcmImage(11025, 1, 1362, true);
    Bytes adpcm = pcmImage(22050, 2, 2056 * 2);
    adpcm[30] = 1;                        // IMA ADPCM
    testkit::put32(adpcm, 12, 2056);      // block alignment
    testkit::put32(adpcm, 20, 4094);      // samples per channel
    Bytes older = olderImage(8000, 100);
    // Its stated length (offset 12) is shorter than the record says: the data
    // is the last 100 bytes of the stated length.
    testkit::put32(older, 12, 32 + 100);
    older.insert(older.end(), 8, 0xAA);
    Loaded a(retailArchive({{0xA, captioned}, {0xB, adpcm}, {0xC, older}}));
    ASSERT_TRUE(a.load.outcome) << a.load.outcome.reason;

    std::vector<EntrySound> seen;
    ASSERT_TRUE(forEachEntrySound(a.load.archive, [&](const EntrySound& s) {
        seen.push_back(s);
        return true;
    }));
    ASSERT_EQ(seen.size(), 3u);
    const std::uint64_t first = 24 + 3 * 56;

    EXPECT_EQ(seen[0].entry.soundId, 0xAu);
    EXPECT_EQ(seen[0].header.sampleRate, 11025u);
    EXPECT_TRUE(seen[0].header.hasCaption());
    EXPECT_EQ(seen[0].caption, " ab c");
    EXPECT_EQ(seen[0].dataSize, 1362u);
    EXPECT_EQ(seen[0].dataStart, first + 61);
    // The record keeps its copy of the image header.
    EXPECT_EQ(Bytes(seen[0].entry.cauHeader.begin(), seen[0].entry.cauHeader.end()),
              Bytes(captioned.begin(), captioned.begin() + 36));

    EXPECT_TRUE(seen[1].header.isAdpcm());
    EXPECT_EQ(seen[1].header.blockAlign, 2056u);
    EXPECT_EQ(seen[1].header.channels, 2);
    EXPECT_EQ(seen[1].dataStart, first + captioned.size() + 36);
    EXPECT_TRUE(seen[1].caption.empty());

    EXPECT_TRUE(seen[2].header.olderHeader);
    EXPECT_EQ(seen[2].dataSize, 100u);
    EXPECT_EQ(seen[2].dataStart, first + captioned.size() + adpcm.size() + 32);

    // Stopping early visits no more.
    int visits = 0;
    EXPECT_TRUE(forEachEntrySound(a.load.archive, [&](const EntrySound&) { return ++visits < 2; }));
    EXPECT_EQ(visits, 2);
}

TEST(EntryReader, EntriesThatReachPastTheFileFailNamingArchiveAndEntry) {
    Bytes bytes = retailArchive({{1, pcmImage(8000, 1, 50)}, {2, pcmImage(8000, 1, 50)}, {3, pcmImage(8000, 1, 50)},
                                 {4, pcmImage(8000, 1, 50)}, {5, pcmImage(8000, 1, 50)}});
    const std::size_t r = 24;
    const std::uint32_t size = static_cast<std::uint32_t>(bytes.size());
    // 1: one byte too long; 2: offset and length that overflow 32 bits;
    // 3: shorter than a header; 4: more sound data than the image holds.
    testkit::put32(bytes, r + 56 * 1 + 8, size - testkit::u32(bytes, r + 56 * 1 + 4) + 1);
    testkit::put32(bytes, r + 56 * 2 + 4, 0xFFFFFFF0u);
    testkit::put32(bytes, r + 56 * 2 + 8, 0x20u);
    testkit::put32(bytes, r + 56 * 3 + 8, 31);
    std::uint32_t image4 = testkit::u32(bytes, r + 56 * 4 + 4);
    testkit::put32(bytes, image4 + 16, 87);
    Loaded a(bytes);
    ASSERT_TRUE(a.load.outcome) << a.load.outcome.reason;

    EXPECT_TRUE(readEntrySound(a.load.archive, 0).outcome);
    expectDamaged(readEntrySound(a.load.archive, 1), a.path, 1, "past the end of the file");
    expectDamaged(readEntrySound(a.load.archive, 2), a.path, 2, "4294967280");
    EXPECT_FALSE(readTpaEntry(a.load.archive, 2).outcome);
    expectDamaged(readEntrySound(a.load.archive, 3), a.path, 3, "too short");
    expectDamaged(readEntrySound(a.load.archive, 4), a.path, 4, "87 bytes of sound data");

    EntryRead beyond = readTpaEntry(a.load.archive, 5);
    EXPECT_FALSE(beyond.outcome);
    EXPECT_NE(beyond.outcome.reason.find("has no entry 5"), std::string::npos) << beyond.outcome.reason;

    // The walk reports entry 0, then stops with entry 1's failure.
    int visits = 0;
    sonkrate::io::Outcome walked = forEachEntrySound(a.load.archive, [&](const EntrySound&) { return ++visits, true; });
    EXPECT_EQ(visits, 1);
    EXPECT_NE(walked.reason.find("entry 1 of"), std::string::npos) << walked.reason;
}

TEST(EntryReader, AnArchiveThatShrinksAfterLoadingIsMeasuredAgain) {
    Bytes bytes = retailArchive({{1, pcmImage(8000, 1, 500)}, {2, pcmImage(8000, 1, 500)}});
    Loaded a(bytes);
    ASSERT_TRUE(a.load.outcome);
    std::filesystem::resize_file(a.path, bytes.size() - 1);
    EXPECT_TRUE(readEntrySound(a.load.archive, 0).outcome);
    expectDamaged(readEntrySound(a.load.archive, 1), a.path, 1, "past the end of the file");
    std::filesystem::resize_file(a.path, 30);
    expectDamaged(readEntrySound(a.load.archive, 1), a.path, 1, "past the end of the table");
    std::filesystem::remove(a.path);
    EntrySound gone = readEntrySound(a.load.archive, 0);
    EXPECT_FALSE(gone.outcome);
    EXPECT_NE(gone.outcome.reason.find(a.path), std::string::npos) << gone.outcome.reason;
}
