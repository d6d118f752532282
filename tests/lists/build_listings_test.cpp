// The listings a build reads from a list: records of four lines, the first
// listing skipped, up to a name of fewer than 3 characters or the end.
#include <gtest/gtest.h>

#include "lists/build_listings.h"
#include "testkit/testkit.h"

using namespace sonkrate::lists;
using Items = std::vector<std::string>;

namespace {

Items pairs(const std::vector<BuildListing>& listings) {
    Items out;
    for (const BuildListing& l : listings) out.push_back(l.name + "<" + l.path);
    return out;
}

}  // namespace

// CR LF and LF lists read alike; the record with a short name is the last
// one handed on (the build still takes its file when it is one), and a list
// that ends without its terminator ends with an empty record.
TEST(BuildListings, RecordsAreReadByTheirLines) {
    testkit::ScratchDir dir;
    testkit::writeText(dir.file("crlf.eel"), "3\r\n3\r\nMISSING\r\nmissing.cau\r\n0\r\n0\r\ndoor\r\n/d/door.cau\r\n0\r\n0\r\n"
                                             "rain\r\nr.cau\r\n0\r\n0\r\n0\r\n0\r\n");
    std::vector<BuildListing> listings;
    ASSERT_TRUE(readBuildListings(EelList{dir.file("crlf.eel"), 3}, listings).ok);
    EXPECT_EQ(pairs(listings), (Items{"door</d/door.cau", "rain<r.cau", "0<0"}));

    testkit::writeText(dir.file("lf.eel"), "3\n4\nMISSING\nmissing.cau\n0\n0\ndoor\n/d/door.cau\n0\n0\nab\n/d/ab.cau"
                                           "\n0\n0\nlate\n/d/late.cau\n0\n0\n");
    ASSERT_TRUE(readBuildListings(EelList{dir.file("lf.eel"), 4}, listings).ok);
    EXPECT_EQ(pairs(listings), (Items{"door</d/door.cau", "ab</d/ab.cau"}));

    testkit::writeText(dir.file("cut.eel"), "3\n2\nMISSING\nmissing.cau\n0\n0\ndoor\n/d/door.cau\n");
    ASSERT_TRUE(readBuildListings(EelList{dir.file("cut.eel"), 2}, listings).ok);
    EXPECT_EQ(pairs(listings), (Items{"door</d/door.cau", "<"}));

    // Fewer than 2 listings, or a list that cannot be read: refused, naming it.
    auto refused = readBuildListings(EelList{dir.file("crlf.eel"), 1}, listings);
    EXPECT_FALSE(refused.ok);
    EXPECT_NE(refused.reason.find("crlf.eel"), std::string::npos);
    auto absent = readBuildListings(EelList{dir.file("absent.eel"), 4}, listings);
    EXPECT_FALSE(absent.ok);
    EXPECT_NE(absent.reason.find("absent.eel"), std::string::npos);
}
