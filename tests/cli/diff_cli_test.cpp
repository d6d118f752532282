// diff of two archives: every kind of change named, by identifier, and the
// exit codes scripts rely on (0 the same sounds, 1 they differ, 2 trouble).
#include <gtest/gtest.h>

#include "archive/archive_builder.h"
#include "testkit/testkit.h"

using testkit::Bytes;
using testkit::quote;
using testkit::run;

namespace {

std::string cli(const std::string& args) { return quote(SONKRATE_CLI_PATH) + " " + args; }

using archive_test::Image;
using archive_test::pcmImage;

// Six sounds; the tests change them one way each.
std::vector<Image> sounds() {
    return {{0x10000001, pcmImage(22050, 1, 300)}, {0x10000002, pcmImage(22050, 1, 200)},
            {0x10000003, pcmImage(22050, 1, 100, true)}, {0x10000004, pcmImage(11025, 1, 100)},
            {0x10000005, pcmImage(22050, 2, 80)}, {0x10000006, pcmImage(22050, 1, 60)}};
}

}  // namespace

TEST(DiffCli, NamesEveryKindOfChangeWithExitCodes) {
    testkit::ScratchDir dir;
    const std::string a = dir.file("a.tpa"), b = dir.file("b.tpa"), c = dir.file("c.tpa");
    testkit::writeFile(a, archive_test::retailArchive(sounds()));

    std::vector<Image> changed = sounds();
    changed[0].bytes[36 + 299] ^= 1;                          // the last byte of the sound data
    changed[2].bytes = pcmImage(22050, 1, 100);               // caption dropped, data the same
    testkit::put32(changed[3].bytes, 24, 22050);              // rate, data the same
    changed.erase(changed.begin() + 5);                       // 10000006 removed
    changed.push_back({0x20000000, pcmImage(8000, 1, 10)});   // added
    std::swap(changed[1], changed[4]);                        // order alone is no change
    Bytes other = archive_test::retailArchive(changed);
    // Record order now 1, 5, 3, 4, 2, new: the attenuation of 10000005 and the volume of 10000002.
    testkit::put32(other, 24 + 56 * 1 + 12, 0x3FC00000);  // 1.5
    testkit::put32(other, 24 + 56 * 4 + 16, 0xC0400000);  // -3
    testkit::writeFile(b, other);

    auto same = run(cli("diff " + quote(a) + " " + quote(a)));
    EXPECT_EQ(same.exitCode, 0) << same.err;
    EXPECT_EQ(same.out, a + " and " + a + " hold the same sounds (6)\n");

    auto differ = run(cli("diff " + quote(a) + " " + quote(b)));
    EXPECT_EQ(differ.exitCode, 1) << differ.err;
    EXPECT_EQ(differ.out, "changed  10000001  sound data\n"
                          "changed  10000002  volume 0 -> -3\n"
                          "changed  10000003  captions\n"
                          "changed  10000004  format 11025 Hz, 1 ch, 16-bit, pcm -> 22050 Hz, 1 ch, 16-bit, pcm\n"
                          "changed  10000005  attenuation 0 -> 1.5\n"
                          "removed  10000006  (entry 5 of " + a + ")\n"
                          "added    20000000  (entry 5 of " + b + ")\n"
                          "1 added, 1 removed, 5 changed, 0 the same\n");

    auto json = run(cli("diff " + quote(b) + " " + quote(a) + " --json"));
    EXPECT_EQ(json.exitCode, 1);
    for (const char* field :
         {"\"sameSounds\": false", "\"unchanged\": 0", "{\"soundId\": \"20000000\", \"change\": \"removed\", "
                                                      "\"changes\": [], \"a\": {\"index\": 5",
          "{\"soundId\": \"10000006\", \"change\": \"added\", \"changes\": [], \"a\": null, \"b\": {\"index\": 5",
          "\"soundId\": \"10000001\", \"change\": \"changed\", \"changes\": [\"data\"]",
          "\"changes\": [\"masterVolume\"], \"a\": {\"index\": 4, \"attenuation\": 0, \"masterVolume\": -3,"})
        EXPECT_NE(json.out.find(field), std::string::npos) << field << " in " << json.out;

    // A larger sound changed past the first buffer, and a sound held twice paired in order.
    std::vector<Image> big = {{1, pcmImage(22050, 1, 200000)}, {7, pcmImage(22050, 1, 20)}, {7, pcmImage(22050, 1, 30)}};
    testkit::writeFile(a, archive_test::retailArchive(big));
    big[0].bytes[36 + 150000] ^= 0x40;
    big.push_back({7, pcmImage(22050, 1, 40)});
    testkit::writeFile(b, archive_test::retailArchive(big));
    auto far = run(cli("diff " + quote(a) + " " + quote(b)));
    EXPECT_EQ(far.exitCode, 1);
    EXPECT_EQ(far.out, "changed  00000001  sound data\nadded    00000007  (entry 3 of " + b +
                           ")\n1 added, 0 removed, 1 changed, 2 the same\n");

    // Trouble is exit 2, as with cmp: a file not there, a damaged one, a usage error.
    auto missing = run(cli("diff " + quote(a) + " " + quote(dir.file("none.tpa"))));
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_NE(missing.err.find("none.tpa"), std::string::npos) << missing.err;
    Bytes cut = testkit::readFile(a);
    cut.resize(200);
    testkit::writeFile(c, cut);
    auto damaged = run(cli("diff " + quote(c) + " " + quote(a) + " --json"));
    EXPECT_EQ(damaged.exitCode, 2);
    std::string cJson;  // the path as a JSON string holds it: a Windows path's backslashes doubled
    for (char ch : c) cJson += ch == '\\' ? std::string("\\\\") : std::string(1, ch);
    EXPECT_NE(damaged.out.find("\"file\": \"" + cJson + "\""), std::string::npos) << damaged.out;
    EXPECT_EQ(run(cli("diff " + quote(a))).exitCode, 2);
}
