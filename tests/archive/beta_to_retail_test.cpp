// Beta archives rewritten in the retail layout: growth of the table, the
// rebuilt records, the trailer rule, and damaged sources refused.
#include <gtest/gtest.h>

#include <filesystem>

#include "archive/edit/beta_to_retail.h"
#include "archive/format/tpa_loader.h"
#include "archive_builder.h"
#include "archive_check.h"
#include "testkit/game_reader.h"

using namespace sonkrate::archive;
using archive_test::Bytes;
using archive_test::Image;
using testkit::u32;

namespace {

// Every third image has a caption, so dataOffset > 36.
std::vector<Image> images(std::uint32_t n) {
    std::vector<Image> all;
    for (std::uint32_t i = 0; i < n; ++i)
        all.push_back({0x5000 + i, archive_test::pcmImage(11025 + i, 1 + i % 2, 40 + 3 * i, i % 3 == 0)});
    return all;
}

TpaArchive betaAt(const std::string& path, TpaLayout layout) {
    TpaArchive a;
    a.archivePath = path;
    a.archiveName = archiveNameOf(path);
    a.layout = layout;
    return a;
}

}  // namespace

TEST(BetaToRetail, LayoutsGrowByTheirRecordsAndImagesAndTrailerAreKept) {
    struct Case { std::uint32_t tag; std::size_t recordSize; std::uint32_t entries; std::uint32_t flag; };
    for (Case c : {Case{0x140, 24, 10, 0}, Case{0x130, 16, 10, 1}, Case{0x130, 16, 1100, 0}, Case{0x140, 24, 1, 1}}) {
        SCOPED_TRACE(std::to_string(c.tag) + " x " + std::to_string(c.entries));
        testkit::ScratchDir dir;
        const std::vector<Image> all = images(c.entries);
        Bytes beta = archive_test::betaArchive(c.tag, c.recordSize, all);
        testkit::put32(beta, 24 + 8, 3);  // record 0's length is taken from its image instead
        testkit::put32(beta, 12, c.flag);
        beta.insert(beta.end(), {1, 2, 3, 4, 5, 6, 7});  // dropped without the trailer flag
        testkit::writeFile(dir.file("Effects.tpa"), beta);
        TpaLoad load = loadTpaArchive(dir.file("Effects.tpa"), "");
        ASSERT_TRUE(load.outcome);

        BetaToRetailResult result = convertBetaToRetail(load.archive);
        ASSERT_TRUE(result.outcome) << result.outcome.reason;
        EXPECT_EQ(result.outputPath, dir.file("alteffects.tpa"));
        const std::uint64_t growth = (56 - c.recordSize) * c.entries;  // 320 and 400 for ten entries
        Bytes b = testkit::readFile(result.outputPath);
        ASSERT_EQ(b.size(), beta.size() - (c.flag ? 0 : 7) + growth);
        EXPECT_TRUE(archive_test::retailInvariants(b, {c.entries, c.flag ? 7u : 0u, 32}));
        if (c.flag == 0) testkit::expectGameReads(result.outputPath);  // the 7-byte trailer is no collision table
        EXPECT_EQ(u32(b, 16), u32(beta, 16) + growth);
        for (std::uint32_t i = 0; i < c.entries; ++i) {
            const std::size_t r = 24 + 56 * i;
            ASSERT_EQ(u32(b, r), u32(beta, 24 + c.recordSize * i));
            ASSERT_EQ(u32(b, r + 8), all[i].bytes.size());
            ASSERT_EQ(u32(b, r + 12) | u32(b, r + 16), 0u);
            // 36 where a caption follows the header, the last record included.
            ASSERT_EQ(u32(b, r + 52), i % 3 == 0 ? 36u : 0u) << i;
        }
        EXPECT_TRUE(loadTpaArchive(result.outputPath, "").archive.standardLayout);
    }
}

// The game plays from the table's copy in the 36-byte layout: an image with
// the older 32-byte header gets a copy rewritten field by field, and record 0
// of that kind is as long as its header and data.
TEST(BetaToRetail, OlderHeadersGetACopyTheGamePlays) {
    testkit::ScratchDir dir;
    const std::vector<Image> all = {{0x11, archive_test::olderImage(8000, 50)},
                                    {0x22, archive_test::pcmImage(22050, 2, 64)},
                                    {0x33, archive_test::olderImage(11025, 7)},
                                    {0x44, archive_test::pcmImage(11025, 1, 40, true)}};
    testkit::writeFile(dir.file("beta.tpa"), archive_test::betaArchive(0x140, 24, all));
    BetaToRetailResult result = convertBetaToRetail(betaAt(dir.file("beta.tpa"), TpaLayout::Beta24));
    ASSERT_TRUE(result.outcome) << result.outcome.reason;
    testkit::expectGameReads(result.outputPath);
    const Bytes b = testkit::readFile(result.outputPath);
    for (std::size_t i : {0u, 2u}) {
        SCOPED_TRACE(i);
        const std::size_t copy = 24 + 56 * i + 20;
        const std::uint32_t dataSize = i == 0 ? 50 : 7;
        EXPECT_EQ(std::string(b.begin() + copy, b.begin() + copy + 4), "WBOR");
        EXPECT_EQ(u32(b, copy + 4), 110u);
        EXPECT_EQ(u32(b, copy + 8), 32u);
        EXPECT_EQ(u32(b, copy + 12), 0u);
        EXPECT_EQ(u32(b, copy + 16), dataSize);
        EXPECT_EQ(u32(b, copy + 20), dataSize);
        EXPECT_EQ(u32(b, copy + 24), i == 0 ? 8000u : 11025u);
        EXPECT_EQ(u32(b, copy + 28), 0x00000110u);  // 16 bits, mono, PCM
        EXPECT_EQ(u32(b, copy + 32), 0u);
        EXPECT_EQ(u32(b, 24 + 56 * i + 8), 32 + dataSize);
    }
    EXPECT_EQ(u32(b, 24 + 56 * 3 + 52), 36u);  // the caption of the last sound is kept
    // The images themselves are carried over unchanged.
    EXPECT_TRUE(std::equal(all[0].bytes.begin(), all[0].bytes.end(), b.begin() + u32(b, 24 + 4)));
}

TEST(BetaToRetail, DamagedSourcesAreRefusedWithoutOutput) {
    const Bytes good = archive_test::betaArchive(0x130, 16, images(4));
    std::vector<Bytes> cases(6, good);
    testkit::put32(cases[0], 20, 100000);                                          // table past the end
    testkit::put32(cases[1], 16, static_cast<std::uint32_t>(good.size() + 1));     // data end past the end
    testkit::put32(cases[2], 24 + 32 + 4, static_cast<std::uint32_t>(good.size() - 10));  // image past it
    testkit::put32(cases[3], 24 + 48 + 4, 0);                                      // image over the header
    testkit::put32(cases[4], 24 + 16 + 8, 0x7FFFFFFF);                             // length past the data
    cases[5].resize(30);
    for (const Bytes& bytes : cases) {
        testkit::ScratchDir dir;
        testkit::writeFile(dir.file("beta.tpa"), bytes);
        BetaToRetailResult result = convertBetaToRetail(betaAt(dir.file("beta.tpa"), TpaLayout::Beta16));
        EXPECT_NE(result.outcome.reason.find(dir.file("beta.tpa")), std::string::npos) << result.outcome.reason;
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
    }
    testkit::ScratchDir dir;
    testkit::writeFile(dir.file("r.tpa"), archive_test::retailArchive(images(2)));
    EXPECT_FALSE(convertBetaToRetail(betaAt(dir.file("r.tpa"), TpaLayout::Retail)).outcome);
}
