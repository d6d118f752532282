// The list build loop over stand-in archive steps that record what they are
// asked to do: which listings go in, the replacements, the report, and that
// a failure part-way leaves the target as it was.
#include <gtest/gtest.h>

#include <filesystem>

#include "audio/missing_sound.h"
#include "ids/id_log.h"
#include "lists/eel_build.h"
#include "testkit/testkit.h"

using namespace sonkrate;
using namespace sonkrate::lists;
using Items = std::vector<std::string>;

namespace {

std::string crlf(const Items& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

// Archive steps that write "new" and then one "name<cau" line per append.
struct FakeArchive {
    std::vector<std::string> appends;  // "name<cau path"
    std::size_t failFrom = SIZE_MAX;   // appends from this one on fail
    std::string refusedPath;           // appends of this file fail

    EelBuildSteps steps() {
        EelBuildSteps s;
        s.createArchive = [](const std::string& path) {
            testkit::writeText(path, "new\n");
            return io::success();
        };
        s.appendSound = [this](const std::string& archive, const std::string& name, const std::string& cau,
                               const std::string& log, std::string&) {
            if (appends.size() >= failFrom) return io::failure("Cannot write " + archive + ": disk full");
            if (cau == refusedPath) return io::failure(cau + " is not a sound image");
            appends.push_back(name + "<" + cau);
            testkit::writeText(archive, testkit::readText(archive) + name + "\n");
            return ids::appendLogLine(log, ids::ingameIdLogLine(name));
        };
        s.buildLogPathFor = [](const std::string& target) { return target.substr(0, target.size() - 4) + "IDs_.txt"; };
        return s;
    }
};

Items namesIn(const std::string& folder) {
    Items names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

// The first listing is never built; a missing file with a path of 7 or more
// characters is replaced and reported, a shorter one is passed over; the
// report gains a line per build, the log becomes the identifier list.
TEST(EelBuild, SkipsTheFirstListingAndReplacesMissingSounds) {
    testkit::ScratchDir dir;
    const std::string door = dir.file("door.cau"), rain = dir.file("rain.cau"), ghost = dir.file("ghost.cau");
    testkit::writeText(door, "d");
    testkit::writeText(rain, "r");
    const std::string listPath = dir.file("list.eel");
    testkit::writeText(listPath, crlf({"3", "5", "MISSING", door, "0", "0", "door", door, "0", "0", "ghost", ghost,
                                       "0", "0", "shrt", "x.cau", "0", "0", "rain", rain, "0", "0", "0", "0"}));
    EelList list{listPath, 5};
    const std::string target = dir.file("out.tpa"), missing = dir.file("missing.cau");

    FakeArchive fake;
    std::vector<std::pair<std::uint64_t, std::string>> told;
    EelBuildResult r = buildArchiveFromEel(list, target, missing, fake.steps(),
                                           [&](std::uint64_t done, std::uint64_t total, const std::string& name) {
                                               EXPECT_EQ(total, 4u);
                                               told.emplace_back(done, name);
                                           });
    ASSERT_TRUE(r.outcome.ok) << r.outcome.reason;
    EXPECT_TRUE(r.archiveWritten);
    EXPECT_EQ(fake.appends, (Items{"door<" + door, "ghost<" + missing, "rain<" + rain}));
    EXPECT_EQ(r.appended, 3u);
    EXPECT_EQ(r.missingNames, (Items{"ghost"}));
    EXPECT_EQ(told, (std::vector<std::pair<std::uint64_t, std::string>>{{1, "door"}, {2, "ghost"}, {3, "rain"}}));
    EXPECT_EQ(testkit::readText(target), "new\ndoor\nghost\nrain\n");
    // The missing sound was made where none stood.
    EXPECT_EQ(testkit::fileSize(missing), audio::kMissingSoundSize);

    EXPECT_EQ(r.missingReportPath, dir.file("outIDs__missing.txt"));
    EXPECT_EQ(testkit::readText(r.missingReportPath), "SoundIDs Missing:  ghost\r\n");
    EXPECT_EQ(r.idListPath, dir.file("outIDs__list.txt"));
    EXPECT_EQ(testkit::readText(r.idListPath),
              "\"8AE5542D\" \"DOOR\"\r\n\"035390A1\" \"GHOST\"\r\n\"B7528AAD\" \"RAIN\"\r\n");
    EXPECT_EQ(namesIn(dir.path()), (Items{"door.cau", "list.eel", "missing.cau", "out.tpa", "outIDs__list.txt",
                                          "outIDs__missing.txt", "rain.cau"}));

    // The same build again adds a second line to the same report.
    FakeArchive again;
    ASSERT_TRUE(buildArchiveFromEel(list, target, missing, again.steps()).outcome.ok);
    EXPECT_EQ(testkit::readText(r.missingReportPath), "SoundIDs Missing:  ghost\r\nSoundIDs Missing:  ghost\r\n");

    // A file the archive refuses is replaced as well, and the reason kept.
    FakeArchive refusing;
    refusing.refusedPath = rain;
    EelBuildResult refused = buildArchiveFromEel(list, target, missing, refusing.steps());
    ASSERT_TRUE(refused.outcome.ok);
    EXPECT_EQ(refusing.appends, (Items{"door<" + door, "ghost<" + missing, "rain<" + missing}));
    EXPECT_EQ(refused.missingNames, (Items{"ghost", "rain"}));
    ASSERT_EQ(refused.problems.size(), 1u);
    EXPECT_NE(refused.problems[0].find("rain.cau"), std::string::npos);
}

// A list of LF lines ending without its terminator builds the same, and a
// listing whose name has fewer than 3 characters is the last one built.
TEST(EelBuild, ReadsRecordsByTheirLines) {
    testkit::ScratchDir dir;
    const std::string door = dir.file("door.cau");
    testkit::writeText(door, "d");
    testkit::writeText(dir.file("lf.eel"), "3\n4\nMISSING\nmissing.cau\n0\n0\ndoor\n" + door + "\n0\n0\nab\n" + door +
                                               "\n0\n0\nlate\n" + door + "\n0\n0\n");
    FakeArchive fake;
    EelBuildResult r =
        buildArchiveFromEel(EelList{dir.file("lf.eel"), 4}, dir.file("x.tpa"), dir.file("m.cau"), fake.steps());
    ASSERT_TRUE(r.outcome.ok) << r.outcome.reason;
    EXPECT_EQ(fake.appends, (Items{"door<" + door, "ab<" + door}));
    EXPECT_TRUE(r.missingNames.empty());
    EXPECT_TRUE(r.missingReportPath.empty());
    EXPECT_FALSE(testkit::fileExists(dir.file("m.cau")));  // not needed, not made
}

// Fewer than 2 listings: nothing is done. A failure part-way through, or of
// the first step, leaves the old target byte for byte, and neither the
// archive being built nor its log remains.
TEST(EelBuild, RefusalsAndFailuresLeaveTheTargetAsItWas) {
    testkit::ScratchDir dir;
    const std::string door = dir.file("door.cau"), target = dir.file("old.tpa");
    testkit::writeText(door, "d");
    testkit::writeText(dir.file("one.eel"), crlf({"3", "1", "MISSING", "missing.cau", "0", "0", "0", "0"}));
    testkit::writeText(target, "old archive");

    FakeArchive fake;
    EelBuildResult one = buildArchiveFromEel(EelList{dir.file("one.eel"), 1}, target, dir.file("m.cau"), fake.steps());
    EXPECT_TRUE(one.refused);
    EXPECT_FALSE(one.outcome.ok);
    EXPECT_EQ(testkit::readText(target), "old archive");

    testkit::writeText(dir.file("three.eel"),
                       crlf({"3", "4", "MISSING", "missing.cau", "0", "0", "door", door, "0", "0", "lost",
                             dir.file("lost.cau"), "0", "0", "door2", door, "0", "0", "0", "0"}));
    const Items before = namesIn(dir.path());
    for (std::size_t failFrom : {0u, 1u, 2u}) {
        SCOPED_TRACE(failFrom);
        FakeArchive failing;
        failing.failFrom = failFrom;
        EelBuildResult r = buildArchiveFromEel(EelList{dir.file("three.eel"), 4}, target, dir.file("m.cau"),
                                               failing.steps());
        EXPECT_FALSE(r.outcome.ok);
        EXPECT_FALSE(r.archiveWritten);
        EXPECT_NE(r.outcome.reason.find("disk full"), std::string::npos) << r.outcome.reason;
        EXPECT_NE(r.outcome.reason.find(target), std::string::npos) << r.outcome.reason;
        EXPECT_EQ(testkit::readText(target), "old archive");
        Items after = namesIn(dir.path());
        after.erase(std::remove(after.begin(), after.end(), "m.cau"), after.end());
        EXPECT_EQ(after, before);
    }

    FakeArchive noCreate;
    EelBuildSteps steps = noCreate.steps();
    steps.createArchive = [](const std::string& path) { return io::failure("Cannot write " + path); };
    EelBuildResult r = buildArchiveFromEel(EelList{dir.file("three.eel"), 4}, target, dir.file("m.cau"), steps);
    EXPECT_FALSE(r.outcome.ok);
    EXPECT_TRUE(noCreate.appends.empty());
    EXPECT_EQ(testkit::readText(target), "old archive");

    EelBuildResult unreadable =
        buildArchiveFromEel(EelList{dir.file("absent.eel"), 4}, target, dir.file("m.cau"), fake.steps());
    EXPECT_FALSE(unreadable.outcome.ok);
    EXPECT_NE(unreadable.outcome.reason.find("absent.eel"), std::string::npos);
}
