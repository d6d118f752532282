// Beta archives rewritten in the retail layout: growth of the table, the
// rebuilt records, the trailer rule, and damaged sources refused.
#include <gtest/gtest.h>

#include <filesystem>

#include "archive/beta_to_retail.h"
#include "archive/tpa_loader.h"
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
            // 36 where a caption follows the header, but never in the last record.
            ASSERT_EQ(u32(b, r + 52), i % 3 == 0 && i + 1 < c.entries ? 36u : 0u) << i;
        }
        EXPECT_TRUE(loadTpaArchive(result.outputPath, "").archive.standardLayout);
    }
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
