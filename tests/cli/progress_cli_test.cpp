// The progress bar and --quiet: the text of a progress line, nothing on a
// pipe, a bar redrawn and cleared on a terminal, and what --quiet keeps.
#include <gtest/gtest.h>

#include <cmath>

#include "archive/archive_builder.h"
#include "cli/progress_text.h"
#include "testkit/testkit.h"

using sonkrate::cli::ProgressUnit;
using testkit::quote;
using testkit::run;

namespace {

std::string cli(const std::string& args) { return quote(SONKRATE_CLI_PATH) + " " + args; }

// A retail archive of n small PCM sounds with identifiers 1..n.
std::string writeArchive(const testkit::ScratchDir& dir, std::uint32_t n) {
    std::vector<archive_test::Image> images;
    for (std::uint32_t i = 1; i <= n; ++i) images.push_back({i, archive_test::pcmImage(11025, 1, 200 + i)});
    const std::string tpa = dir.file("many.tpa");
    testkit::writeFile(tpa, archive_test::retailArchive(images));
    return tpa;
}

}  // namespace

TEST(ProgressText, TimeLeftOnlyWithASensibleEstimate) {
    using sonkrate::cli::formatTimeLeft;
    EXPECT_EQ(formatTimeLeft(0.5, 10, 100), "");   // too early to tell
    EXPECT_EQ(formatTimeLeft(10, 0, 100), "");     // no rate yet
    EXPECT_EQ(formatTimeLeft(10, 100, 100), "");   // done
    EXPECT_EQ(formatTimeLeft(10, 150, 100), "");   // more than the total reported
    EXPECT_EQ(formatTimeLeft(NAN, 10, 100), "");
    EXPECT_EQ(formatTimeLeft(10, 50, 100), "0:10 left");
    EXPECT_EQ(formatTimeLeft(1.5, 1, 2), "0:02 left");  // rounded up, never "0:00" while work remains
    EXPECT_EQ(formatTimeLeft(1, 1, 60), "0:59 left");
    EXPECT_EQ(formatTimeLeft(1, 1, 3601), "1:00:00 left");
    EXPECT_EQ(formatTimeLeft(2, 1, 1864), "1:02:06 left");
    EXPECT_EQ(formatTimeLeft(1, 1, 360000), "99:59:59 left");
    EXPECT_EQ(formatTimeLeft(1, 1, 360001), ">99 h left");
    EXPECT_EQ(formatTimeLeft(1000, 1, 1ull << 62), ">99 h left");
}

TEST(ProgressText, CountsBytesAndBar) {
    using sonkrate::cli::formatByteSize;
    using sonkrate::cli::formatProgressCount;
    using sonkrate::cli::progressBar;
    EXPECT_EQ(formatByteSize(0), "0 B");
    EXPECT_EQ(formatByteSize(1023), "1023 B");
    EXPECT_EQ(formatByteSize(1024), "1.0 KiB");
    EXPECT_EQ(formatByteSize(1536), "1.5 KiB");
    EXPECT_EQ(formatByteSize((1u << 20) - 1), "1024.0 KiB");
    EXPECT_EQ(formatByteSize(5u << 20), "5.0 MiB");
    EXPECT_EQ(formatByteSize(3ull << 30), "3.00 GiB");
    EXPECT_EQ(formatByteSize(5ull << 40), "5120.00 GiB");

    EXPECT_EQ(formatProgressCount(137, 300, ProgressUnit::Entries), "137/300 entries");
    EXPECT_EQ(formatProgressCount(2, 9, ProgressUnit::Sounds), "2/9 sounds");
    EXPECT_EQ(formatProgressCount(0, 4, ProgressUnit::Files), "0/4 files");
    EXPECT_EQ(formatProgressCount(5, 3, ProgressUnit::Files), "3/3 files");
    // Both numbers in the unit of the total.
    EXPECT_EQ(formatProgressCount(512 * 1024, 300u << 20, ProgressUnit::Bytes), "0.5/300.0 MiB");
    EXPECT_EQ(formatProgressCount(100, 900, ProgressUnit::Bytes), "100/900 B");

    EXPECT_EQ(progressBar(0, 10, 10), "[----------]");
    EXPECT_EQ(progressBar(5, 10, 10), "[#####-----]");
    EXPECT_EQ(progressBar(9, 10, 4), "[###-]");
    EXPECT_EQ(progressBar(10, 10, 4), "[####]");
    EXPECT_EQ(progressBar(15, 10, 4), "[####]");
    EXPECT_EQ(progressBar(0, 0, 4), "[####]");  // nothing to do is done

    const std::string line = sonkrate::cli::progressLine("exporting", 50, 100, ProgressUnit::Entries, 20);
    EXPECT_EQ(line, "exporting [############------------]  50/100 entries  0:20 left");
    EXPECT_EQ(sonkrate::cli::progressLine("adding", 0, 2048, ProgressUnit::Bytes, 0),
              "adding [------------------------]  0.0/2.0 KiB");
}

TEST(ProgressCli, NothingOnAPipeAndQuietKeepsOnlyWhatWasAskedFor) {
    testkit::ScratchDir dir;
    const std::string tpa = writeArchive(dir, 5);
    const std::string exportAll = "export-all " + quote(tpa) + " " + quote(dir.file("out"));

    // stderr is a file here: not one byte of progress.
    auto loud = run(cli(exportAll));
    ASSERT_EQ(loud.exitCode, 0) << loud.err;
    EXPECT_EQ(loud.err, "");
    EXPECT_NE(loud.out.find("5 of 5 entries written"), std::string::npos) << loud.out;

    for (const char* quiet : {" --quiet", " -q"}) {
        auto silent = run(cli(exportAll + quiet));
        EXPECT_EQ(silent.exitCode, 0) << silent.err;
        EXPECT_EQ(silent.out + silent.err, "") << quiet;
    }
    EXPECT_TRUE(testkit::fileExists(dir.file("out/many_4.cau")));
    auto before = run(cli("-q new " + quote(dir.file("n.tpa"))));
    EXPECT_EQ(before.exitCode, 0);
    EXPECT_EQ(before.out + before.err, "");
    EXPECT_TRUE(testkit::fileExists(dir.file("n.tpa")));

    // The warning of an add that holds a name twice, and the summary, go; the add happens.
    testkit::writeFile(dir.file("beep.cau"), archive_test::pcmImage(22050, 1, 300));
    const std::string add = "add " + quote(dir.file("n.tpa")) + " " + quote(dir.file("beep.cau"));
    ASSERT_EQ(run(cli(add)).exitCode, 0);
    auto twice = run(cli(add + " -q"));
    EXPECT_EQ(twice.exitCode, 0) << twice.err;
    EXPECT_EQ(twice.out + twice.err, "");
    EXPECT_NE(run(cli("list " + quote(dir.file("n.tpa")) + " -q")).out.find("\n    2  "), std::string::npos);

    // Errors still print, in JSON too.
    auto missing = run(cli("info " + quote(dir.file("none.tpa")) + " --json -q"));
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("sonkrate-cli: "), std::string::npos);
    EXPECT_NE(missing.out.find("{\"error\": "), std::string::npos);
    auto usage = run(cli("export-all -q " + quote(tpa)));
    EXPECT_EQ(usage.exitCode, 2);
    EXPECT_NE(usage.err.find("missing arguments"), std::string::npos);

    // The output asked for stays: info's facts, verify's findings, a .wav on a pipe.
    EXPECT_NE(run(cli("info -q --json " + quote(tpa))).out.find("\"entryCount\": 5"), std::string::npos);
    EXPECT_NE(run(cli("verify -q " + quote(tpa))).out.find(tpa + ": "), std::string::npos);
#if !defined(_WIN32)  // od reads the pipe
    auto piped = run(cli("extract -q " + quote(tpa) + " 2 - | od -An -c -N4"));
    EXPECT_EQ(piped.err, "");
    EXPECT_NE(piped.out.find("R   I   F   F"), std::string::npos) << piped.out;
#endif
}

#if !defined(_WIN32)
// On a terminal (a pseudo-terminal made by script) the export draws a bar with
// the count in place and clears it before the summary.
TEST(ProgressCli, TerminalShowsABarAndClearsIt) {
    if (!testkit::haveTool("script")) GTEST_SKIP() << "needs script";
    testkit::ScratchDir dir;
    const std::string tpa = writeArchive(dir, 40);
    const std::string exportAll = cli("export-all " + quote(tpa) + " " + quote(dir.file("out")));

    auto shown = run("script -qec " + quote(exportAll) + " /dev/null");
    ASSERT_EQ(shown.exitCode, 0) << shown.out;
    const std::size_t bar = shown.out.find("\rexporting [");
    ASSERT_NE(bar, std::string::npos) << shown.out;
    EXPECT_NE(shown.out.find("/40 entries", bar), std::string::npos) << shown.out;
    // The last drawing is blanked out and the cursor put back at the line's start.
    const std::size_t last = shown.out.rfind("\rexporting [");
    const std::size_t drawnEnd = shown.out.find('\r', last + 1);
    ASSERT_NE(drawnEnd, std::string::npos);
    const std::size_t width = drawnEnd - last - 1;
    EXPECT_EQ(shown.out.compare(drawnEnd, width + 2, "\r" + std::string(width, ' ') + "\r"), 0) << shown.out;
    EXPECT_EQ(shown.out.find("40 of 40 entries written"), drawnEnd + width + 2) << shown.out;

    auto quiet = run("script -qec " + quote(exportAll + " --quiet") + " /dev/null");
    EXPECT_EQ(quiet.exitCode, 0);
    EXPECT_EQ(quiet.out, "");
}
#endif
