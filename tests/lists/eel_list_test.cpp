// The list being edited and the list made from a folder: exact file
// contents, line ends, the first listing, short names and damaged files.
#include <gtest/gtest.h>

#include <filesystem>

#include "lists/eel_list.h"
#include "lists/make_eel.h"
#include "testkit/testkit.h"

using namespace sonkrate::lists;
using Items = std::vector<std::string>;

namespace {

std::string crlf(const Items& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

}  // namespace

TEST(EelList, ResetAddSaveAndRemove) {
    testkit::ScratchDir dir;
    const std::string work = dir.file("temp_eel.eel"), missing = dir.file("missing.cau");
    EelList list;
    EelListView view = resetEelList(list, work, missing);
    ASSERT_TRUE(view.outcome.ok) << view.outcome.reason;
    EXPECT_EQ(view.items, (Items{"MISSING", missing}));
    EXPECT_EQ(eelListSize(list), 1u);
    EXPECT_EQ(testkit::readText(work), crlf({"3", "1", "MISSING", missing, "0", "0", "0", "0"}));

    view = addEelListing(list, "door_slam", "/snd/door.cau");
    ASSERT_TRUE(view.outcome.ok) << view.outcome.reason;
    view = addEelListing(list, "thunder", "/snd/thunder.cau");
    ASSERT_TRUE(view.outcome.ok) << view.outcome.reason;
    EXPECT_EQ(view.items, (Items{"MISSING", missing, "door_slam", "/snd/door.cau", "thunder", "/snd/thunder.cau"}));
    EXPECT_EQ(eelListSize(list), 3u);
    // The working file keeps its count line; a save writes the right one.
    EXPECT_EQ(testkit::readText(work), crlf({"3", "1", "MISSING", missing, "0", "0", "door_slam", "/snd/door.cau",
                                             "0", "0", "thunder", "/snd/thunder.cau", "0", "0", "0", "0"}));
    EelSaveResult saved = saveEelList(list, dir.file("saved.eel"));
    ASSERT_TRUE(saved.outcome.ok) << saved.outcome.reason;
    EXPECT_EQ(saved.listingsWritten, 3u);
    const std::string savedText = crlf({"3", "3", "MISSING", missing, "0", "0", "door_slam", "/snd/door.cau", "0",
                                        "0", "thunder", "/snd/thunder.cau", "0", "0", "0", "0"});
    EXPECT_EQ(testkit::readText(dir.file("saved.eel")), savedText);

    // Two listings of one name both go; the count is what is left. The first
    // listing stays whatever its name, and an unknown name changes nothing.
    ASSERT_TRUE(addEelListing(list, "door_slam", "/snd/door2.cau").outcome.ok);
    view = removeEelListing(list, "door_slam");
    ASSERT_TRUE(view.outcome.ok) << view.outcome.reason;
    EXPECT_EQ(view.items, (Items{"MISSING", missing, "thunder", "/snd/thunder.cau"}));
    EXPECT_EQ(eelListSize(list), 2u);
    EXPECT_EQ(testkit::readText(work), crlf({"3", "2", "MISSING", missing, "0", "0", "thunder", "/snd/thunder.cau",
                                             "0", "0", "0", "0"}));
    view = removeEelListing(list, "MISSING");
    EXPECT_EQ(view.items.size(), 4u);
    view = removeEelListing(list, "Thunder");
    EXPECT_EQ(view.items.size(), 4u);
    EXPECT_EQ(eelListSize(list), 2u);

    EXPECT_EQ(listingNameFromFile("/snd/a.b.cau"), "aau");
    EXPECT_EQ(listingNameFromFile("/snd/Door_Slam.cau"), "Door_Slam");
}

// A list written with bare LF line ends (and one without a final line end,
// one without a terminator) loads, and an add keeps every listing of it.
TEST(EelList, ListsWithOtherLineEndsLoseNothing) {
    testkit::ScratchDir dir;
    EelList list;
    ASSERT_TRUE(resetEelList(list, dir.file("work.eel"), dir.file("missing.cau")).outcome.ok);
    const std::string body = "3\n3\nMISSING\nmissing.cau\n0\n0\nrain\n/snd/rain.cau\n0\n0\nwind\n/snd/wind.cau\n7\n8\n";
    const Items shown = {"MISSING", "missing.cau", "rain", "/snd/rain.cau", "wind", "/snd/wind.cau"};
    const std::pair<const char*, std::string> files[] = {
        {"lf.eel", body + "0\n0\n"},
        {"no-final-end.eel", body + "0\n0"},
        {"no-terminator.eel", body},
        {"mixed.eel", "3\r\n3\nMISSING\r\nmissing.cau\n0\n0\r\nrain\n/snd/rain.cau\n0\n0\nwind\r\n/snd/wind.cau\n7\n8\r\n0\n0\n"},
    };
    for (const auto& [name, text] : files) {
        SCOPED_TRACE(name);
        testkit::writeText(dir.file(name), text);
        EelListView view = loadEelList(list, dir.file(name));
        ASSERT_TRUE(view.outcome.ok) << view.outcome.reason;
        EXPECT_EQ(view.items, shown);
        EXPECT_EQ(eelListSize(list), 3u);
        EXPECT_EQ(testkit::readText(list.workPath), text);  // loading copies the file as it is

        view = addEelListing(list, "hail", "/snd/hail.cau");
        ASSERT_TRUE(view.outcome.ok) << view.outcome.reason;
        Items more = shown;
        more.insert(more.end(), {"hail", "/snd/hail.cau"});
        EXPECT_EQ(view.items, more);
        EXPECT_EQ(eelListSize(list), 4u);
        // Lines of loaded listings are carried over unchanged, in CR LF.
        EXPECT_EQ(testkit::readText(list.workPath),
                  crlf({"3", "3", "MISSING", "missing.cau", "0", "0", "rain", "/snd/rain.cau", "0", "0", "wind",
                        "/snd/wind.cau", "7", "8", "hail", "/snd/hail.cau", "0", "0", "0", "0"}));
    }
}

// Names of fewer than 3 characters end a list for its readers: an add
// refuses them; a loaded list holding one is saved up to it, and says so.
TEST(EelList, ShortNamesAndBadInput) {
    testkit::ScratchDir dir;
    EelList list;
    ASSERT_TRUE(resetEelList(list, dir.file("work.eel"), dir.file("missing.cau")).outcome.ok);
    const std::string before = testkit::readText(list.workPath);
    for (const auto& [name, path] : std::vector<std::pair<std::string, std::string>>{
             {"ab", "/snd/ab.cau"}, {"", "/snd/x.cau"}, {"two\nlines", "/snd/x.cau"}, {"fine", "x"}}) {
        EelListView view = addEelListing(list, name, path);
        EXPECT_FALSE(view.outcome.ok) << name;
        EXPECT_EQ(eelListSize(list), 1u);
        EXPECT_EQ(testkit::readText(list.workPath), before);
    }

    testkit::writeText(dir.file("short.eel"), crlf({"3", "4", "MISSING", "missing.cau", "0", "0", "rain", "/r.cau",
                                                    "0", "0", "ab", "/ab.cau", "0", "0", "wind", "/w.cau", "0", "0",
                                                    "0", "0"}));
    EelListView view = loadEelList(list, dir.file("short.eel"));
    ASSERT_TRUE(view.outcome.ok);
    EXPECT_EQ(eelListSize(list), 4u);
    EelSaveResult saved = saveEelList(list, dir.file("out.eel"));
    ASSERT_TRUE(saved.outcome.ok);
    EXPECT_TRUE(saved.stoppedAtShortName);
    EXPECT_EQ(saved.listingsWritten, 2u);
    EXPECT_EQ(testkit::readText(dir.file("out.eel")),
              crlf({"3", "4", "MISSING", "missing.cau", "0", "0", "rain", "/r.cau", "0", "0", "0", "0"}));

    // A file that cannot be read, or is far too large to be a list, leaves
    // the working file as it was.
    const std::string working = testkit::readText(list.workPath);
    EXPECT_FALSE(loadEelList(list, dir.file("absent.eel")).outcome.ok);
    {
        testkit::writeText(dir.file("huge.eel"), "3\r\n");
        std::filesystem::resize_file(dir.file("huge.eel"), 65u << 20);
    }
    EelListView huge = loadEelList(list, dir.file("huge.eel"));
    EXPECT_FALSE(huge.outcome.ok);
    EXPECT_NE(huge.outcome.reason.find("huge.eel"), std::string::npos);
    EXPECT_EQ(testkit::readText(list.workPath), working);
    EXPECT_EQ(eelListSize(list), 4u);

}

// Three .cau files (one with its extension in capitals) give 20 lines; a
// folder named like a .cau and other files are not listed, and a file whose
// listing name would be too short is left out and reported.
TEST(MakeEel, ListsEveryCauOfAFolder) {
    testkit::ScratchDir dir;
    for (const char* name : {"door.cau", "rain.CAU", "wind.cau", "ab.cau", "notes.txt", "door.wav"})
        testkit::writeText(dir.file(name), "x");
    std::filesystem::create_directory(dir.file("folder.cau"));
    testkit::writeText(dir.file("sounds1.eel"), "old");

    MakeEelResult r = makeEelFromCaus(dir.path(), "sounds1");
    ASSERT_TRUE(r.outcome.ok) << r.outcome.reason;
    EXPECT_EQ(r.listPath, dir.file("sounds1.eel"));
    EXPECT_EQ(r.listed, 3u);
    EXPECT_EQ(r.skipped, (Items{"ab.cau"}));
    EXPECT_EQ(testkit::readText(r.listPath),
              crlf({"3", "4", "MISSING", "missing.cau", "0", "0", "door", dir.file("door.cau"), "0", "0", "rain",
                    dir.file("rain.CAU"), "0", "0", "wind", dir.file("wind.cau"), "0", "0", "0", "0"}));

    // The list reads back as a list, with the placeholder first.
    std::uint32_t count = 0;
    EelListView view = readEelListView(r.listPath, count);
    EXPECT_EQ(count, 4u);
    EXPECT_EQ(view.items.at(0), "MISSING");

    MakeEelResult none = makeEelFromCaus(dir.file("absent"), "sounds1");
    EXPECT_FALSE(none.outcome.ok);
    EXPECT_NE(none.outcome.reason.find("absent"), std::string::npos);
}
