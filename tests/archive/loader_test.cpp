#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "archive/edit/default_sound.h"
#include "archive/format/entry_reader.h"
#include "archive/format/tpa_loader.h"
#include "archive_builder.h"
#include "io/paths.h"
#include "testkit/testkit.h"

using namespace sonkrate::archive;
using namespace archive_test;

namespace {

TpaLoad loadBytes(const testkit::ScratchDir& dir, const std::string& name, const Bytes& bytes) {
    testkit::writeFile(dir.file(name), bytes);
    return loadTpaArchive(dir.file(name), dir.file("Tpa_Wavs"));
}

}  // namespace

TEST(Loader, ANewArchiveIsStandardRetailAndOpenToAdds) {
    testkit::ScratchDir dir;
    ASSERT_TRUE(writeNewArchive(dir.file("Sounds.tpa")));
    TpaLoad load = loadTpaArchive(dir.file("Sounds.tpa"), dir.file("Tpa_Wavs"));
    ASSERT_TRUE(load.outcome) << load.outcome.reason;
    const TpaArchive& a = load.archive;
    EXPECT_EQ(a.archivePath, dir.file("Sounds.tpa"));
    EXPECT_EQ(a.layout, TpaLayout::Retail);
    EXPECT_EQ(a.layoutTag, 0x150u);
    EXPECT_EQ(a.entryCount, 1u);
    EXPECT_EQ(a.soundCount, 1u);
    EXPECT_EQ(a.fileSize, 88316u);
    EXPECT_EQ(a.soundDataEnd, 88316u);
    EXPECT_EQ(a.trailerFlag, 0u);
    EXPECT_TRUE(a.standardLayout);
    EXPECT_FALSE(a.demoStream);
    EXPECT_EQ(a.archiveName, "sounds");
    EXPECT_EQ(a.archiveClass, ArchiveClass::General);
    EXPECT_TRUE(acceptsAdds(a));
    EXPECT_FALSE(isBetaLayout(a));

    EntryRead e = readTpaEntry(a, 0);
    ASSERT_TRUE(e.outcome) << e.outcome.reason;
    EXPECT_EQ(e.entry.soundId, kDefaultSoundId);
    EXPECT_EQ(e.entry.imageOffset, 80u);
    EXPECT_EQ(e.entry.imageLength, 88236u);
}

TEST(Loader, NamesClassesAndBackupPathsComeFromTheFileName) {
    testkit::ScratchDir dir;
    ASSERT_TRUE(writeNewArchive(dir.file("x.tpa")));
    Bytes image = testkit::readFile(dir.file("x.tpa"));
    const std::string wavs = dir.file("Tpa_Wavs");
    struct Case {
        const char* file;
        const char* name;
        ArchiveClass cls;
        const char* backup;
    } cases[] = {
        {"Effects.tpa", "effects", ArchiveClass::EffectsClass, "Effects.tpa.backup"},
        {"AltEffects.tpa", "alteffects", ArchiveClass::EffectsClass, "AltEffects.tpa.backup"},
        {"AMBIENT.TPA", "ambient", ArchiveClass::Ambient, "AMBIENT.tpa.backup"},
        {"a.b.tpa", "apa", ArchiveClass::General, "apa.tpa.backup"},
        {"plain", "plain", ArchiveClass::General, "plain.tpa.backup"},
    };
    for (const Case& c : cases) {
        TpaLoad load = loadBytes(dir, c.file, image);
        ASSERT_TRUE(load.outcome) << load.outcome.reason;
        EXPECT_EQ(load.archive.archiveName, c.name) << c.file;
        EXPECT_EQ(load.archive.archiveClass, c.cls) << c.file;
        EXPECT_EQ(load.archive.backupPath, sonkrate::io::joinPath(wavs, c.backup)) << c.file;
        // Standard effects and ambient archives can still be added to.
        EXPECT_TRUE(acceptsAdds(load.archive)) << c.file;
    }
}

TEST(Loader, BetaLayoutsAreReadOnlyAndReadWithTheirOwnRecordSize) {
    testkit::ScratchDir dir;
    std::vector<Image> images = {{0x11111111, olderImage(11025, 40)},
                                 {0x22222222, olderImage(22050, 10)},
                                 {0x33333333, pcmImage(8000, 1, 20)}};
    struct Case {
        std::uint32_t tag;
        std::size_t recordSize;
        TpaLayout layout;
    } cases[] = {{0x140, 24, TpaLayout::Beta24}, {0x130, 16, TpaLayout::Beta16}};
    for (const Case& c : cases) {
        Bytes bytes = betaArchive(c.tag, c.recordSize, images);
        TpaLoad load = loadBytes(dir, "beta.tpa", bytes);
        ASSERT_TRUE(load.outcome) << load.outcome.reason;
        EXPECT_EQ(load.archive.layout, c.layout);
        EXPECT_EQ(load.archive.entryCount, 3u);
        EXPECT_FALSE(acceptsAdds(load.archive));
        EXPECT_TRUE(isBetaLayout(load.archive));
        std::uint32_t offset = static_cast<std::uint32_t>(24 + c.recordSize * 3);
        for (std::uint32_t i = 0; i < 3; ++i) {
            EntryRead e = readTpaEntry(load.archive, i);
            ASSERT_TRUE(e.outcome) << e.outcome.reason;
            EXPECT_EQ(e.entry.soundId, images[i].soundId);
            EXPECT_EQ(e.entry.imageOffset, offset);
            EXPECT_EQ(e.entry.imageLength, images[i].bytes.size());
            EXPECT_EQ(e.entry.auxValue, 0u);  // filler bytes are not interpreted
            offset += static_cast<std::uint32_t>(images[i].bytes.size());
        }
        // The older header is recognised: its data is the last dataSize bytes.
        EntrySound s = readEntrySound(load.archive, 0);
        ASSERT_TRUE(s.outcome) << s.outcome.reason;
        EXPECT_TRUE(s.header.olderHeader);
        EXPECT_EQ(s.header.sampleRate, 11025u);
        EXPECT_EQ(s.dataSize, 40u);
        EXPECT_EQ(s.dataStart, 24 + c.recordSize * 3 + 32);
    }
    // A table that fits 16-byte records but not 24-byte ones.
    Bytes small = betaArchive(0x130, 16, {{1, olderImage(8000, 0)}, {2, olderImage(8000, 0)}});
    ASSERT_EQ(small.size(), 24u + 32 + 64);
    EXPECT_TRUE(loadBytes(dir, "b16.tpa", small).outcome);
    testkit::put32(small, 0, 0x140);
    small.resize(24 + 40);
    EXPECT_FALSE(loadBytes(dir, "b24.tpa", small).outcome);
}

TEST(Loader, AnyOtherLayoutTagIsRetailAndAGapMakesItNonStandard) {
    testkit::ScratchDir dir;
    Bytes bytes = retailArchive({{5, pcmImage(22050, 1, 100)}});
    testkit::put32(bytes, 0, 0x999);
    TpaLoad load = loadBytes(dir, "odd.tpa", bytes);
    ASSERT_TRUE(load.outcome) << load.outcome.reason;
    EXPECT_EQ(load.archive.layout, TpaLayout::Retail);
    EXPECT_TRUE(load.archive.standardLayout);

    // Four bytes of something between table and image: no longer standard,
    // no adds, no demo stream either.
    Bytes gap(bytes.begin(), bytes.begin() + 80);
    gap.insert(gap.end(), 4, 0);
    gap.insert(gap.end(), bytes.begin() + 80, bytes.end());
    testkit::put32(gap, 28, 84);
    load = loadBytes(dir, "Effects.tpa", gap);
    ASSERT_TRUE(load.outcome) << load.outcome.reason;
    EXPECT_FALSE(load.archive.standardLayout);
    EXPECT_FALSE(load.archive.demoStream);
    EXPECT_FALSE(acceptsAdds(load.archive));
    EXPECT_FALSE(isBetaLayout(load.archive));
    EXPECT_TRUE(readEntrySound(load.archive, 0).outcome);
}

TEST(Loader, ADemoStreamHasAnEightyByteBlockBeforeItsFirstImage) {
    testkit::ScratchDir dir;
    Image block{0xDEAD, Bytes(80, 0x01)};
    Bytes bytes = retailArchive({block, {0xBEEF, pcmImage(22050, 2, 64)}});
    // The helper copies a header from every image; the block has none.
    TpaLoad load = loadBytes(dir, "demo.tpa", bytes);
    ASSERT_TRUE(load.outcome) << load.outcome.reason;
    EXPECT_FALSE(load.archive.standardLayout);
    EXPECT_TRUE(load.archive.demoStream);
    EXPECT_FALSE(acceptsAdds(load.archive));
    EntrySound second = readEntrySound(load.archive, 1);
    ASSERT_TRUE(second.outcome) << second.outcome.reason;
    EXPECT_EQ(second.entry.imageOffset, 24u + 112 + 80);
    EXPECT_EQ(second.header.channels, 2);
}

TEST(Loader, ProbesPastTheEndOfTheFileDoNotMatch) {
    testkit::ScratchDir dir;
    // A bare header of an empty archive: the format tag probe would lie at
    // 28, the demo probe at 104, both past the end of these 24 bytes.
    Bytes bare(24);
    putHeader(bare, 0x150, 0, 24);
    TpaLoad load = loadBytes(dir, "bare.tpa", bare);
    ASSERT_TRUE(load.outcome) << load.outcome.reason;
    EXPECT_EQ(load.archive.entryCount, 0u);
    EXPECT_FALSE(load.archive.standardLayout);
    EXPECT_FALSE(load.archive.demoStream);
    int visited = 0;
    EXPECT_TRUE(forEachEntrySound(load.archive, [&](const EntrySound&) { return ++visited, true; }));
    EXPECT_EQ(visited, 0);

    // "WB" as the file's last two bytes is still found; one byte short is not.
    Bytes demo(24 + 56 + 82, 0);
    putHeader(demo, 0x150, 1, static_cast<std::uint32_t>(demo.size()));
    demo[160] = 'W', demo[161] = 'B';
    EXPECT_TRUE(loadBytes(dir, "d1.tpa", demo).archive.demoStream);
    demo.pop_back();
    load = loadBytes(dir, "d2.tpa", demo);
    ASSERT_TRUE(load.outcome);
    EXPECT_FALSE(load.archive.demoStream);
}

TEST(Loader, ArchivesAbove260MillionBytesLoadButTakeNoMoreSounds) {
    testkit::ScratchDir dir;
    for (std::uint64_t size : {std::uint64_t{260000000}, std::uint64_t{260000001}}) {
        const std::string path = dir.file("big.tpa");
        ASSERT_TRUE(writeNewArchive(path));
        // Sparse: the tail takes no disk space.
        std::filesystem::resize_file(path, size);
        TpaLoad load = loadTpaArchive(path, dir.path());
        ASSERT_TRUE(load.outcome) << load.outcome.reason;
        EXPECT_EQ(load.archive.fileSize, size);
        EXPECT_TRUE(load.archive.standardLayout);
        bool addable = size <= 260000000;
        EXPECT_EQ(acceptsAdds(load.archive), addable) << size;
        EXPECT_TRUE(readEntrySound(load.archive, 0).outcome);
    }
}

TEST(Loader, FilesThatAreNotWholeArchivesFailWithASentenceNamingThem) {
    testkit::ScratchDir dir;
    auto expectFailure = [&](const TpaLoad& load, const std::string& file, const char* words) {
        EXPECT_FALSE(load.outcome) << file;
        EXPECT_NE(load.outcome.reason.find(file), std::string::npos) << load.outcome.reason;
        EXPECT_NE(load.outcome.reason.find(words), std::string::npos) << load.outcome.reason;
        EXPECT_TRUE(load.archive.archivePath.empty()) << file;
    };
    expectFailure(loadTpaArchive(dir.file("absent.tpa"), dir.path()), dir.file("absent.tpa"), "Cannot open");
    expectFailure(loadBytes(dir, "empty.tpa", {}), dir.file("empty.tpa"), "0 bytes long");
    expectFailure(loadBytes(dir, "short.tpa", Bytes(23, 0)), dir.file("short.tpa"), "24-byte");

    // The header claims more records than the file holds.
    Bytes whole = retailArchive({{1, pcmImage(8000, 1, 10)}, {2, pcmImage(8000, 1, 10)}});
    Bytes cut(whole.begin(), whole.begin() + 24 + 56 + 30);
    expectFailure(loadBytes(dir, "cut.tpa", cut), dir.file("cut.tpa"), "2 entries");
    Bytes lying = whole;
    testkit::put32(lying, 20, 0xFFFFFFFF);
    expectFailure(loadBytes(dir, "lying.tpa", lying), dir.file("lying.tpa"), "4294967295 entries");
    // Exactly the table and nothing more still loads.
    Bytes tableOnly(whole.begin(), whole.begin() + 24 + 112);
    EXPECT_TRUE(loadBytes(dir, "table.tpa", tableOnly).outcome);
}

TEST(Loader, RandomBytesNeverCrashLoadingOrListing) {
    testkit::ScratchDir dir;
    std::mt19937 random(20240601);
    int loaded = 0, failed = 0;
    for (int round = 0; round < 300; ++round) {
        Bytes bytes(random() % 2000);
        for (auto& b : bytes) b = static_cast<std::uint8_t>(random());
        // Small counts now and then, so that some tables fit and their
        // records (offsets and lengths of random value) get read.
        if (bytes.size() >= 24 && round % 2 == 0) testkit::put32(bytes, 20, random() % 8);
        if (bytes.size() >= 24 && round % 3 == 0) testkit::put32(bytes, 0, 0x130 + 0x10 * (random() % 3));
        TpaLoad load = loadBytes(dir, "random.tpa", bytes);
        if (!load.outcome) {
            ++failed;
            EXPECT_FALSE(load.outcome.reason.empty());
            continue;
        }
        ++loaded;
        const std::uint64_t size = bytes.size();
        sonkrate::io::Outcome listed = forEachEntrySound(load.archive, [&](const EntrySound& s) {
            EXPECT_LE(s.dataStart + s.dataSize, size);
            EXPECT_GE(s.dataStart, s.entry.imageOffset);
            return true;
        });
        if (!listed) {
            EXPECT_NE(listed.reason.find("random.tpa"), std::string::npos) << listed.reason;
        }
    }
    EXPECT_GT(loaded, 50);
    EXPECT_GT(failed, 50);
}
