// Archives with random words in their header and table, fed to every
// writing operation: each either succeeds or fails with a reason, never
// crashes (run it under the sanitizers), and a failed add changes nothing.
#include <gtest/gtest.h>

#include <filesystem>

#include "archive/edit/add_sound.h"
#include "archive/edit/beta_to_retail.h"
#include "archive/folder/export_all.h"
#include "archive/format/tpa_loader.h"
#include "archive_builder.h"

using namespace sonkrate::archive;
using archive_test::Bytes;

namespace fs = std::filesystem;

TEST(HostileArchive, RandomWordsInHeaderAndTableAreSurvived) {
    std::vector<archive_test::Image> images;
    for (std::uint32_t i = 0; i < 6; ++i) images.push_back({i, archive_test::pcmImage(11025, 1, 50 + i, i == 2)});
    const Bytes retail = archive_test::retailArchive(images), beta = archive_test::betaArchive(0x130, 16, images);
    const std::uint32_t nasty[] = {0, 1, 23, 24, 36, 0x7FFFFFFF, 0x80000000, 0xFFFFFFC8, 0xFFFFFFFF};
    testkit::ScratchDir dir;
    const std::string path = dir.file("h.tpa"), cau = dir.file("s.cau"), out = dir.file("out");
    testkit::writeFile(cau, archive_test::pcmImage(8000, 1, 10));
    std::uint32_t x = 2024;
    auto next = [&] { return (x = x * 1103515245 + 12345) >> 8; };
    for (int round = 0; round < 120; ++round) {
        SCOPED_TRACE(round);
        const bool isBeta = round % 2 == 1;
        Bytes b = isBeta ? beta : retail;
        for (int k = 0; k < 3; ++k)
            testkit::put32(b, 4 * (next() % ((isBeta ? 24 + 16 * 6 : 24 + 56 * 6) / 4)),
                           next() % 3 == 0 ? nasty[next() % 9] : next());
        if (isBeta) testkit::put32(b, 0, 0x130);
        testkit::writeFile(path, b);

        TpaLoad load = loadTpaArchive(path, "");
        if (load.outcome) {
            fs::remove_all(out);
            fs::create_directory(out);
            ExportAllResult exported = exportAllEntries(load.archive, ExportMode::Cau, out, "");
            EXPECT_EQ(exported.filesWritten + exported.filesFailed, load.archive.entryCount);
            if (isBeta) {
                BetaToRetailResult converted = convertBetaToRetail(load.archive);
                if (converted.outcome) {
                    EXPECT_EQ(testkit::fileSize(converted.outputPath), converted.fileSize);
                }
                fs::remove(converted.outputPath);
            }
        }
        AddSoundRequest r;
        r.archivePath = path;
        r.soundPath = cau;
        r.soundName = "s";
        AddSoundResult added = round % 4 == 0 ? addSoundEffects(r) : addSoundGeneral(r);
        if (added.addResult == AddOutcome::Done) {
            EXPECT_EQ(testkit::fileSize(path), b.size() + 56 + 46);
        } else {
            EXPECT_EQ(testkit::readFile(path), b);
        }
    }
}
