// Beta archives rewritten in the retail layout: growth of the table, the
// rebuilt records, the trailer rule, and damaged sources refused.
#include <gtest/gtest.h>

#include <filesystem>

#include "archive/beta_to_retail.h"
#include "archive/tpa_loader.h"
#include "archive_builder.h"
#include "archive_check.h"
#include "testkit/testkit.h"

using namespace sonkrate::archive;
using archive_test::Bytes;
using archive_test::Image;
using testkit::u32;

namespace {

std::vector<Image> images(std::uint32_t n) {
    std::vector<Image> all;
    for (std::uint32_t i = 0; i < n; ++i)
        all.push_back({0x5000 + i, archive_test::pcmImage(11025 + i, 1 + i % 2, 40 + 3 * i, i % 3 == 0)});
    return all;
}

TpaArchive loaded(const std::string& path) {
    TpaLoad load = loadTpaArchive(path, "");
    EXPECT_TRUE(load.outcome) << load.outcome.reason;
    return load.archive;
}

std::size_t filesIn(const std::string& folder) {
    std::size_t n = 0;
    for (const auto& e : std::filesystem::directory_iterator(folder)) n += e.is_regular_file();
    return n;
}

}  // namespace

TEST(BetaToRetail, BothLayoutsGrowByTheirRecordsAndKeepTheImages) {
    struct Case { std::uint32_t tag; std::size_t recordSize; std::uint32_t entries; std::uint64_t growth; };
    for (Case c : {Case{0x140, 24, 10, 320}, Case{0x130, 16, 10, 400}, Case{0x130, 16, 1100, 44000}}) {
        SCOPED_TRACE(c.tag);
        testkit::ScratchDir dir;
        const std::vector<Image> all = images(c.entries);
        Bytes beta = archive_test::betaArchive(c.tag, c.recordSize, all);
        testkit::put32(beta, 24 + 8, 3);  // record 0's length is recomputed from its header
        const std::string path = dir.file("Effects.tpa");
        testkit::writeFile(path, beta);

        BetaToRetailResult result = convertBetaToRetail(loaded(path));
        ASSERT_TRUE(result.outcome) << result.outcome.reason;
        EXPECT_EQ(result.outputPath, dir.file("alteffects.tpa"));
        Bytes b = testkit::readFile(result.outputPath);
        ASSERT_EQ(b.size(), beta.size() + c.growth);
        EXPECT_TRUE(archive_test::retailInvariants(b, {c.entries, 0, 32}));
        EXPECT_EQ(u32(b, 16), u32(beta, 16) + c.growth);
        EXPECT_EQ(u32(b, 4), c.entries);
        EXPECT_EQ(u32(b, 20), c.entries);
        for (std::uint32_t i = 0; i < c.entries; ++i) {
            const std::size_t r = 24 + 56 * i, s = 24 + c.recordSize * i;
            ASSERT_EQ(u32(b, r), u32(beta, s));
            ASSERT_EQ(u32(b, r + 4), u32(beta, s + 4) + c.growth);
            ASSERT_EQ(u32(b, r + 8), all[i].bytes.size());
            ASSERT_EQ(u32(b, r + 12), 0u);
            ASSERT_EQ(u32(b, r + 16), 0u);
            // The caption word: 36 where a caption follows, never in the last record.
            const bool caption = all[i].bytes.size() > 36 + 40 + 3 * i;
            ASSERT_EQ(u32(b, r + 52), caption && i + 1 < c.entries ? 36u : 0u) << i;
            ASSERT_TRUE(std::equal(all[i].bytes.begin(), all[i].bytes.end(), b.begin() + u32(b, r + 4))) << i;
        }
        TpaLoad reloaded = loadTpaArchive(result.outputPath, "");
        ASSERT_TRUE(reloaded.outcome);
        EXPECT_EQ(reloaded.archive.layout, TpaLayout::Retail);
        EXPECT_TRUE(reloaded.archive.standardLayout);
        EXPECT_EQ(reloaded.archive.archiveClass, ArchiveClass::EffectsClass);
    }
}

TEST(BetaToRetail, TrailerIsCopiedOnlyWhenFlaggedAndTheLastRecordHasNoCaptionWord) {
    testkit::ScratchDir dir;
    const std::vector<Image> one = {{7, archive_test::pcmImage(22050, 2, 30, true)}};
    Bytes beta = archive_test::betaArchive(0x140, 24, one);
    const Bytes trailer = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    beta.insert(beta.end(), trailer.begin(), trailer.end());
    const std::string path = dir.file("one.tpa");
    for (std::uint32_t flag : {0u, 1u}) {
        testkit::put32(beta, 12, flag);
        testkit::writeFile(path, beta);
        BetaToRetailResult result = convertBetaToRetail(loaded(path));
        ASSERT_TRUE(result.outcome) << result.outcome.reason;
        Bytes b = testkit::readFile(result.outputPath);
        EXPECT_EQ(u32(b, 12), flag);
        EXPECT_EQ(u32(b, 24 + 52), 0u);
        if (flag == 0) {
            EXPECT_EQ(b.size(), beta.size() - trailer.size() + 32);
            EXPECT_TRUE(archive_test::retailInvariants(b, {1, 0, 32}));
        } else {
            ASSERT_EQ(b.size(), beta.size() + 32);
            EXPECT_TRUE(std::equal(trailer.begin(), trailer.end(), b.end() - static_cast<long>(trailer.size())));
            EXPECT_TRUE(archive_test::retailInvariants(b, {1, trailer.size(), 32}));
        }
    }
}

TEST(BetaToRetail, DamagedSourcesAreRefusedWithoutOutput) {
    const Bytes good = archive_test::betaArchive(0x130, 16, images(4));
    std::vector<std::pair<const char*, Bytes>> cases;
    Bytes b = good;
    testkit::put32(b, 20, 100000);  // table past the end
    cases.push_back({"table", b});
    b = good;
    testkit::put32(b, 16, static_cast<std::uint32_t>(good.size() + 1));  // data end past the end
    cases.push_back({"data end", b});
    b = good;
    testkit::put32(b, 24 + 16 * 2 + 4, static_cast<std::uint32_t>(good.size() - 10));  // image past the end
    cases.push_back({"image", b});
    b = good;
    testkit::put32(b, 24 + 16 * 3 + 4, 0);  // image over the header
    cases.push_back({"offset 0", b});
    b = good;
    testkit::put32(b, 24 + 16 * 1 + 8, 0x7FFFFFFF);  // length past the data
    cases.push_back({"length", b});
    cases.push_back({"header", Bytes(good.begin(), good.begin() + 30)});
    for (const auto& [what, bytes] : cases) {
        SCOPED_TRACE(what);
        testkit::ScratchDir dir;
        testkit::writeFile(dir.file("beta.tpa"), bytes);
        TpaArchive a;
        a.archivePath = dir.file("beta.tpa");
        a.archiveName = "beta";
        a.layout = TpaLayout::Beta16;
        BetaToRetailResult result = convertBetaToRetail(a);
        EXPECT_FALSE(result.outcome);
        EXPECT_NE(result.outcome.reason.find(a.archivePath), std::string::npos) << result.outcome.reason;
        EXPECT_EQ(filesIn(dir.path()), 1u);
    }
    // A retail archive is not converted.
    testkit::ScratchDir dir;
    testkit::writeFile(dir.file("r.tpa"), archive_test::retailArchive(images(2)));
    EXPECT_FALSE(convertBetaToRetail(loaded(dir.file("r.tpa"))).outcome);
    EXPECT_EQ(filesIn(dir.path()), 1u);
}
