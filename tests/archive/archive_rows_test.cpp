// The archive's records as rows of facts: the fields of each record, the play
// time the game computes, captions, images shared by several records, the
// beta layouts, and records whose sound cannot be decoded.
#include <gtest/gtest.h>

#include "archive/format/archive_rows.h"
#include "archive/format/tpa_loader.h"
#include "archive_builder.h"

using namespace sonkrate::archive;
using archive_test::Bytes;
using archive_test::Image;

namespace {

// A 36-byte header with the given format fields and dataSize bytes of data.
Bytes image(std::uint32_t rate, std::uint8_t channels, std::uint8_t bits, std::uint8_t compression,
            std::uint32_t dataSize, std::uint32_t decodedSize, std::uint32_t blockAlign = 0) {
    Bytes b = archive_test::pcmImage(rate, channels, dataSize);
    testkit::put32(b, 12, blockAlign);
    testkit::put32(b, 20, decodedSize);
    b[28] = bits;
    b[30] = compression;
    return b;
}

ArchiveRows rowsOf(const std::string& path) {
    TpaLoad load = loadTpaArchive(path, "");
    EXPECT_TRUE(load.outcome) << load.outcome.reason;
    return readArchiveRows(load.archive);
}

}  // namespace

TEST(ArchiveRows, EachRecordsFactsAndThePlayTimeTheGameComputes) {
    testkit::ScratchDir dir;
    Bytes archive = archive_test::retailArchive({
        {0x11111111, image(22050, 1, 8, 0, 22050, 22050)},                 // 1 s of 8-bit mono
        {0x22222222, image(44100, 2, 16, 0, 44100 * 4 / 2, 44100 * 4 / 2)},  // 0.5 s of 16-bit stereo
        {0x33333333, image(22050, 2, 4, 1, 4112, 2 * 2 * 22050 * 3, 2056)},  // IMA ADPCM: 3 s as 16-bit PCM
        {0x44444444, archive_test::pcmImage(11025, 1, 2205, true)},        // captioned
    });
    // Attenuation -18 and volume 0.5 on record 1.
    testkit::put32(archive, 24 + 56 + 12, 0xC1900000u);
    testkit::put32(archive, 24 + 56 + 16, 0x3F000000u);
    testkit::writeFile(dir.file("a.tpa"), archive);
    ArchiveRows read = rowsOf(dir.file("a.tpa"));
    ASSERT_TRUE(read.outcome) << read.outcome.reason;
    ASSERT_EQ(read.rows.size(), 4u);
    EXPECT_EQ(read.fileSize, archive.size());

    const ArchiveRow& r0 = read.rows[0];
    EXPECT_EQ(r0.soundId, 0x11111111u);
    EXPECT_EQ(r0.imageOffset, 24u + 4 * 56);
    EXPECT_EQ(r0.bitsPerSample, 8);
    EXPECT_EQ(r0.lengthMs, 1000u);
    EXPECT_EQ(read.rows[1].lengthMs, 500u);
    EXPECT_EQ(read.rows[1].channels, 2);
    EXPECT_EQ(read.rows[1].auxValue, 0xC1900000u);
    EXPECT_EQ(read.rows[1].reserved, 0x3F000000u);
    // IMA ADPCM counts as the 16-bit PCM it decodes to, whatever its header's bits say.
    EXPECT_EQ(read.rows[2].compression, 1);
    EXPECT_EQ(read.rows[2].bitsPerSample, 16);
    EXPECT_EQ(read.rows[2].lengthMs, 3000u);
    EXPECT_EQ(read.rows[2].problem, RowProblem::None);
    // 2205 bytes of 16-bit mono at 11025 Hz.
    EXPECT_EQ(read.rows[3].lengthMs, 100u);
    EXPECT_TRUE(read.rows[3].hasCaption);
    EXPECT_EQ(read.rows[3].caption, " ab c");
    EXPECT_TRUE(read.rows[0].caption.empty());
    for (const ArchiveRow& r : read.rows) EXPECT_FALSE(r.shared);
}

TEST(ArchiveRows, SharedImagesBetaLayoutsAndUndecodableRecordsKeepTheirRows) {
    testkit::ScratchDir dir;
    Bytes archive = archive_test::retailArchive({
        {1, archive_test::pcmImage(22050, 1, 100)},
        {2, image(22050, 1, 16, 7, 100, 100)},               // unknown compression
        {3, image(22050, 1, 16, 1, 100, 100, 300)},          // IMA ADPCM in blocks of 300 bytes
        {4, image(22050, 3, 16, 0, 96, 96)},                 // three channels
        {5, archive_test::pcmImage(22050, 1, 100)},
    });
    // Record 4 points at record 0's image: both are shared.
    for (int k = 0; k < 8; k += 4) testkit::put32(archive, 24 + 4 * 56 + 4 + k, testkit::u32(archive, 24 + 4 + k));
    testkit::writeFile(dir.file("a.tpa"), archive);
    ArchiveRows read = rowsOf(dir.file("a.tpa"));
    ASSERT_TRUE(read.outcome);
    ASSERT_EQ(read.rows.size(), 5u);
    EXPECT_TRUE(read.rows[0].shared);
    EXPECT_TRUE(read.rows[4].shared);
    EXPECT_FALSE(read.rows[1].shared);
    EXPECT_EQ(read.rows[1].problem, RowProblem::UnknownCompression);
    EXPECT_EQ(read.rows[2].problem, RowProblem::UnknownBlockAlign);
    EXPECT_EQ(read.rows[3].problem, RowProblem::UnsupportedLayout);
    EXPECT_EQ(read.rows[0].problem, RowProblem::None);

    // An image past the end of the file keeps its row.
    Bytes cut = archive;
    testkit::put32(cut, 24 + 2 * 56 + 8, 1u << 30);
    testkit::writeFile(dir.file("cut.tpa"), cut);
    read = rowsOf(dir.file("cut.tpa"));
    ASSERT_TRUE(read.outcome);
    EXPECT_EQ(read.rows[2].problem, RowProblem::ImageOutsideFile);

    // A beta archive: the header comes from the image itself.
    testkit::writeFile(dir.file("beta.tpa"),
                       archive_test::betaArchive(0x140, 24, {{9, archive_test::pcmImage(11025, 2, 44100, true)}}));
    read = rowsOf(dir.file("beta.tpa"));
    ASSERT_TRUE(read.outcome);
    ASSERT_EQ(read.rows.size(), 1u);
    EXPECT_EQ(read.rows[0].soundId, 9u);
    EXPECT_EQ(read.rows[0].channels, 2);
    EXPECT_EQ(read.rows[0].lengthMs, 1000u);
    EXPECT_EQ(read.rows[0].caption, " ab c");
}

TEST(ArchiveRows, ATableThatRunsPastTheFileFailsNamingIt) {
    testkit::ScratchDir dir;
    Bytes archive = archive_test::retailArchive({{1, archive_test::pcmImage(22050, 1, 100)}});
    testkit::writeFile(dir.file("a.tpa"), archive);
    TpaLoad load = loadTpaArchive(dir.file("a.tpa"), "");
    ASSERT_TRUE(load.outcome);
    // The file shrinks after it was loaded: the table no longer fits.
    testkit::writeFile(dir.file("a.tpa"), Bytes(archive.begin(), archive.begin() + 40));
    ArchiveRows read = readArchiveRows(load.archive);
    EXPECT_FALSE(read.outcome);
    EXPECT_NE(read.outcome.reason.find(dir.file("a.tpa")), std::string::npos) << read.outcome.reason;
    EXPECT_TRUE(read.rows.empty());
}
