#include <gtest/gtest.h>

#include "archive/format/archive_writer.h"
#include "testkit/testkit.h"

using namespace sonkrate;
using namespace sonkrate::archive;
using testkit::Bytes;

namespace {

Bytes slice(const Bytes& b, std::size_t from, std::size_t length) {
    return Bytes(b.begin() + static_cast<long>(from), b.begin() + static_cast<long>(from + length));
}

}  // namespace

// Ranges of one file that lie back to back are copied together; ranges out
// of order, repeated, of another file or between other pieces must still
// land exactly where the plan puts them.
TEST(ArchiveWriter, RangesInAnyOrderLandWhereThePlanPutsThem) {
    testkit::ScratchDir dir;
    Bytes a(300000), c(5000);
    for (std::size_t i = 0; i < a.size(); ++i) a[i] = static_cast<std::uint8_t>(i * 7 + i / 251);
    for (std::size_t i = 0; i < c.size(); ++i) c[i] = static_cast<std::uint8_t>(255 - i % 253);
    testkit::writeFile(dir.file("a.bin"), a);
    testkit::writeFile(dir.file("c.bin"), c);
    const Bytes memory{1, 2, 3};
    io::File fa, fc;
    ASSERT_TRUE(fa.open(dir.file("a.bin"), io::FileMode::Read));
    ASSERT_TRUE(fc.open(dir.file("c.bin"), io::FileMode::Read));

    ArchivePlan plan;
    plan.pieces = {ImagePiece::range(fa, 0, 1000),      ImagePiece::range(fa, 1000, 99000),
                   ImagePiece::range(fa, 100000, 0),    ImagePiece::range(fa, 100000, 200000),
                   ImagePiece::range(fa, 500, 600),     ImagePiece::range(fc, 1100, 3900),
                   ImagePiece::range(fa, 1100, 10),     ImagePiece::memory(memory),
                   ImagePiece::range(fa, 299990, 10),   ImagePiece::range(fc, 0, 1100)};
    std::uint64_t piecesSeen = 0;
    ArchiveWriteOptions options;
    options.syncToDisk = false;
    options.piecesProgress = [&](std::uint64_t done, std::uint64_t total) {
        EXPECT_GT(done, piecesSeen);
        EXPECT_EQ(total, plan.pieces.size());
        piecesSeen = done;
    };
    ASSERT_TRUE(writeArchive(dir.file("out.tpa"), plan, options));
    EXPECT_EQ(piecesSeen, plan.pieces.size());

    Bytes expected(24, 0);
    auto put = [&](const Bytes& b) { expected.insert(expected.end(), b.begin(), b.end()); };
    put(a);
    put(slice(a, 500, 600));
    put(slice(c, 1100, 3900));
    put(slice(a, 1100, 10));
    put(memory);
    put(slice(a, 299990, 10));
    put(slice(c, 0, 1100));
    const Bytes written = testkit::readFile(dir.file("out.tpa"));
    ASSERT_EQ(written.size(), expected.size());
    EXPECT_TRUE(std::equal(written.begin() + 24, written.end(), expected.begin() + 24));
}

// A run of ranges that reaches past the end of its file fails naming the file
// and leaves the target as it was.
TEST(ArchiveWriter, ARunPastTheEndOfItsFileFailsAndKeepsTheTarget) {
    testkit::ScratchDir dir;
    testkit::writeFile(dir.file("a.bin"), Bytes(4096, 9));
    testkit::writeFile(dir.file("out.tpa"), Bytes{7, 7, 7});
    io::File fa;
    ASSERT_TRUE(fa.open(dir.file("a.bin"), io::FileMode::Read));
    ArchivePlan plan;
    plan.pieces = {ImagePiece::range(fa, 0, 4000), ImagePiece::range(fa, 4000, 200)};
    const io::Outcome written = writeArchive(dir.file("out.tpa"), plan);
    ASSERT_FALSE(written);
    EXPECT_NE(written.reason.find("a.bin"), std::string::npos) << written.reason;
    EXPECT_EQ(testkit::readFile(dir.file("out.tpa")), (Bytes{7, 7, 7}));
}
