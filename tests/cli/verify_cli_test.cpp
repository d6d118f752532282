// sonkrate-cli verify as a script sees it: the lines, the JSON array and the
// exit codes of good, damaged, unreadable and missing files.
#include <gtest/gtest.h>

#include "archive/archive_builder.h"
#include "testkit/testkit.h"

using testkit::quote;
using testkit::run;
using namespace std::string_literals;

namespace {

std::string cli(const std::string& args) { return quote(SONKRATE_CLI_PATH) + " " + args; }

}  // namespace

TEST(VerifyCli, LinesJsonAndExitCodes) {
    testkit::ScratchDir dir;
    const std::string good = dir.file("good.tpa"), bad = dir.file("bad.tpa"), cau = dir.file("s.cau");
    ASSERT_EQ(run(cli("new " + quote(good))).exitCode, 0);
    testkit::Bytes b = archive_test::retailArchive({{0xAB, archive_test::pcmImage(8000, 1, 50)},
                                                   {0xAB, archive_test::pcmImage(8000, 1, 50)}});
    testkit::put32(b, 24 + 56 + 20 + 20, 10);  // entry 1 plays 10 of its 50 bytes
    testkit::writeFile(bad, b);
    testkit::writeFile(cau, archive_test::pcmImage(8000, 2, 20));

    auto clean = run(cli("verify " + quote(good) + " " + quote(cau)));
    EXPECT_EQ(clean.exitCode, 0) << clean.err;
    EXPECT_EQ(clean.out, good + ": the game reads it without a problem\n" + cau +
                             ": the game reads it without a problem\n");

    auto damaged = run(cli("verify " + quote(good) + " " + quote(bad)));
    EXPECT_EQ(damaged.exitCode, 1);
    EXPECT_NE(damaged.out.find(bad + ": entry 1 (id 000000ab): error: decodedSize 10 cuts the sound short"),
              std::string::npos) << damaged.out;
    EXPECT_NE(damaged.out.find(bad + ": entry 1 (id 000000ab): warning: "), std::string::npos) << damaged.out;
    EXPECT_NE(damaged.out.find(bad + ": 2 errors, 1 warning\n"), std::string::npos) << damaged.out;

    // Warnings alone pass; the JSON names the record or null for the file.
    testkit::put32(b, 24 + 56 + 20 + 20, 50);
    testkit::writeFile(bad, b);
    auto json = run(cli("verify --json " + quote(bad)));
    EXPECT_EQ(json.exitCode, 0) << json.out;
    EXPECT_EQ(json.out.rfind("[\n  {\"file\": \"", 0), 0u) << json.out;
    EXPECT_NE(json.out.find("bad.tpa\", \"index\": 1, \"soundId\": \"000000ab\", \"severity\": \"warning\", "
                            "\"code\": \"duplicate-id\", \"message\": \""),
              std::string::npos) << json.out;
    EXPECT_EQ(json.out.substr(json.out.size() - 4), "}\n]\n"s);
    EXPECT_EQ(run(cli("verify --json " + quote(good))).out, "[]\n");

    testkit::writeFile(dir.file("short.tpa"), testkit::Bytes(10, 0));
    json = run(cli("verify --json " + quote(dir.file("short.tpa")) + " " + quote(dir.file("absent.tpa"))));
    EXPECT_EQ(json.exitCode, 1);
    EXPECT_NE(json.out.find("\"index\": null, \"soundId\": null, \"severity\": \"error\", \"code\": "
                            "\"header-outside-file\""), std::string::npos) << json.out;
    EXPECT_NE(json.out.find("\"code\": \"unreadable\""), std::string::npos) << json.out;
    EXPECT_NE(json.err.find("absent.tpa"), std::string::npos);

    EXPECT_EQ(run(cli("verify")).exitCode, 2);
    EXPECT_EQ(run(cli("verify --fast " + quote(good))).exitCode, 2);
    EXPECT_NE(run(cli("--help")).out.find("verify FILE... [--json]"), std::string::npos);
}
