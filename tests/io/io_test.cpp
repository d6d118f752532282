#include <gtest/gtest.h>

#include <filesystem>

#include "io/byte_order.h"
#include "io/file.h"
#include "io/paths.h"
#include "io/replacement.h"
#include "testkit/testkit.h"

using namespace sonkrate::io;
using testkit::Bytes;

TEST(Paths, NamesAreCutAtTheFirstDotAndTheLastSeparator) {
    EXPECT_EQ(stripFromFirstDot("a.b.tpa"), "apa");
    EXPECT_EQ(stripFromFirstDot("Effects.tpa"), "Effects");
    EXPECT_EQ(stripFromFirstDot("door.wav"), "door");
    EXPECT_EQ(stripFromFirstDot("ab.c"), "ab");
    EXPECT_EQ(stripFromFirstDot("noext"), "noext");
    EXPECT_EQ(stripFromLastDot("name_SampleIDs.txt"), "name_SampleIDs");
    EXPECT_EQ(fileNameOf("dir/sub/x.tpa"), "x.tpa");
    EXPECT_EQ(fileNameOf("x.tpa"), "x.tpa");
    EXPECT_EQ(folderOf("dir/sub/x.tpa"), "dir/sub");
    EXPECT_EQ(folderOf("x.tpa"), "");
    EXPECT_EQ(folderOf("/x.tpa"), "/");
    EXPECT_EQ(joinPath("dir/", "x"), "dir/x");
    EXPECT_EQ(joinPath("", "x"), "x");
    // A name derived from a path keeps the folder as it was written.
    EXPECT_EQ(siblingPath("out/a.b.txt", "c.txt"), "out/c.txt");
    EXPECT_EQ(siblingPath("a.txt", "c.txt"), "c.txt");
    EXPECT_EQ(siblingPath("/a.txt", "c.txt"), "/c.txt");
}

#ifdef _WIN32
TEST(Paths, WindowsTakesBothSeparatorsAndDrives) {
    EXPECT_EQ(fileNameOf("C:\\Games\\sounds/door.cau"), "door.cau");
    EXPECT_EQ(folderOf("C:\\Games\\sounds/door.cau"), "C:\\Games\\sounds");
    EXPECT_EQ(folderOf("D:/x.tpa"), "D:/");
    EXPECT_EQ(folderOf("C:\\x.tpa"), "C:\\");
    EXPECT_EQ(joinPath(folderOf("C:\\x.tpa"), "y.tpa"), "C:\\y.tpa");
    // "C:x" is a file in the drive's current folder: the drive stays bare.
    EXPECT_EQ(fileNameOf("C:x.tpa"), "x.tpa");
    EXPECT_EQ(folderOf("C:x.tpa"), "C:");
    EXPECT_EQ(joinPath("C:", "y.tpa"), "C:y.tpa");
    EXPECT_EQ(siblingPath("C:x.tpa", "y.tpa"), "C:y.tpa");
    EXPECT_EQ(joinPath("C:\\Games", "a.eel"), "C:\\Games\\a.eel");
    EXPECT_EQ(siblingPath("\\\\server\\share\\a.txt", "b.txt"), "\\\\server\\share\\b.txt");
}
#endif

TEST(ByteOrder, FieldsRoundTripInBothOrders) {
    std::uint8_t b[4];
    putU32(b, 0xF0A07BD9u);
    EXPECT_EQ(b[0], 0xD9);
    EXPECT_EQ(b[3], 0xF0);
    EXPECT_EQ(getU32(b), 0xF0A07BD9u);
    EXPECT_EQ(getU32BE(b), 0xD97BA0F0u);
    putI16(b, -2);
    EXPECT_EQ(getI16(b), -2);
    EXPECT_EQ(getU16BE(b), 0xFEFF);
}

TEST(File, CopyRangeAppendsTheExactBytesAndShortSourcesFail) {
    testkit::ScratchDir dir;
    Bytes source(600000);
    for (std::size_t i = 0; i < source.size(); ++i) source[i] = static_cast<std::uint8_t>(i * 7 + i / 300);
    testkit::writeFile(dir.file("in"), source);

    for (FileMode mode : {FileMode::Write, FileMode::Append}) {
        std::filesystem::remove(dir.file("out"));
        File in, out;
        ASSERT_TRUE(in.open(dir.file("in"), FileMode::Read));
        ASSERT_TRUE(out.open(dir.file("out"), mode));
        ASSERT_TRUE(out.write("head", 4));
        ASSERT_TRUE(copyRange(in, 1000, 500000, out));
        ASSERT_TRUE(out.write("tail", 4));
        ASSERT_TRUE(out.close());
        Bytes got = testkit::readFile(dir.file("out"));
        ASSERT_EQ(got.size(), 500008u);
        EXPECT_EQ(testkit::text(got, 0, 4), "head");
        EXPECT_TRUE(std::equal(got.begin() + 4, got.end() - 4, source.begin() + 1000));
        EXPECT_EQ(testkit::text(got, 500004, 4), "tail");
    }

    File in, out;
    ASSERT_TRUE(in.open(dir.file("in"), FileMode::Read));
    ASSERT_TRUE(out.open(dir.file("short"), FileMode::Write));
    Outcome copied = copyRange(in, 500000, 200000, out);
    EXPECT_FALSE(copied);
    EXPECT_NE(copied.reason.find(dir.file("in")), std::string::npos) << copied.reason;

    std::uint8_t buffer[16];
    Outcome read = in.readAt(599990, buffer, 16);
    EXPECT_FALSE(read);
    EXPECT_NE(read.reason.find("shorter"), std::string::npos) << read.reason;
}

TEST(File, OpeningAMissingFileNamesItAndTheReason) {
    File f;
    Outcome opened = f.open("no/such/folder/file.tpa", FileMode::Read);
    EXPECT_FALSE(opened);
    EXPECT_NE(opened.reason.find("no/such/folder/file.tpa"), std::string::npos);
    EXPECT_NE(opened.reason.find("No such file"), std::string::npos) << opened.reason;
}

TEST(ReplacementFile, TargetChangesOnlyOnCommitAndNoTemporaryIsLeft) {
    testkit::ScratchDir dir;
    std::string target = dir.file("a.tpa");
    testkit::writeText(target, "old");
    {
        ReplacementFile r;
        ASSERT_TRUE(r.begin(target));
        ASSERT_TRUE(r.file().writeText("new content"));
        EXPECT_EQ(testkit::readText(target), "old");
    }  // dropped without commit
    EXPECT_EQ(testkit::readText(target), "old");
    {
        ReplacementFile r;
        ASSERT_TRUE(r.begin(target));
        ASSERT_TRUE(r.file().writeText("new content"));
        ASSERT_TRUE(r.commit());
    }
    EXPECT_EQ(testkit::readText(target), "new content");
    int entries = 0;
    for (auto& e : std::filesystem::directory_iterator(dir.path())) {
        (void)e;
        ++entries;
    }
    EXPECT_EQ(entries, 1);

    ReplacementFile r;
    Outcome begun = r.begin(dir.file("missing-folder/x.tpa"));
    EXPECT_FALSE(begun);
    EXPECT_NE(begun.reason.find("missing-folder"), std::string::npos);
}
