// The real sonkrate program given an archive under Xvfb: the archive window
// opens beside the main window with the archive's rows; a header click
// sorts, typing filters, Enter plays the entry into SDL's disk driver, and
// the close box closes the archive window alone; closing the main window
// with edits not saved asks first.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <chrono>
#include <thread>

#include "app/command_ids.h"
#include "archive/format/tpa_loader.h"
#include "desktop_archives.h"
#include "desktop_session.h"
#include "xdnd_source.h"

using namespace desktop_test;
using testkit::Bytes;

namespace {

std::vector<std::string> words(const std::string& line) {
    std::vector<std::string> out;
    std::istringstream in(line);
    for (std::string w; in >> w;) out.push_back(w);
    return out;
}

// Column RECORD (2), ID (3) or LENGTH_MS (4) of every browser-row line.
std::vector<std::string> rowColumn(const UiDump& d, std::size_t index) {
    std::vector<std::string> out;
    for (const auto& l : d.all("browser-row ")) out.push_back(words(l).at(index));
    return out;
}

}  // namespace

TEST(ArchiveWindowOfTheProgram, OpensForAGivenArchiveSortsFiltersAndPlays) {
    testkit::ScratchDir root;
    XServer x;
    std::string why;
    if (!x.start(why) || !testkit::haveTool("xdotool")) GTEST_SKIP() << (why.empty() ? "xdotool is not installed" : why);
    // Four sounds of 0.8, 0.2, 0.6 and 0.4 s after the default one (1 s).
    std::vector<Bytes> samples;
    std::string tpa = makeArchive(root, "given.tpa", 4, &samples, {17640, 4410, 13230, 8820});
    App app(root);
    ASSERT_TRUE(app.start(x.display(), {}, {tpa}));
    unsigned long browser = waitForWindow(x.display(), "given.tpa - Sonkrate", 15000);
    ASSERT_NE(browser, 0u) << "no archive window; log: " << testkit::readText(app.logPath);
    EXPECT_NE(waitForWindow(x.display(), " sonkrate", 5000), 0u);
    UiDump d;
    ASSERT_TRUE(app.waitFor([](const UiDump& u) { return u.field("browser ", "records") == 5 && u.all("browser-row ").size() == 5; }, 10000, &d))
        << d.line("browser ");
    EXPECT_EQ(d.field("browser ", "visible"), 1);
    EXPECT_EQ(rowColumn(d, 2), (std::vector<std::string>{"0", "1", "2", "3", "4"}));
    EXPECT_EQ(rowColumn(d, 4), (std::vector<std::string>{"1000", "800", "200", "600", "400"}));
    EXPECT_EQ(d.field("browser-table ", "rows"), 5);
    if (testkit::haveTool("import")) screenshot(x.display(), "archive_window_of_the_program");

    // A click on the "Length" header sorts by length; again, the other way.
    std::vector<int> length;
    for (const auto& l : d.all("browser-column "))
        if (l.substr(l.rfind(' ') + 1) == "Length") length = d.numbers(l.substr(0, l.find(' ', 15) + 1));
    ASSERT_EQ(length.size(), 4u);
    clickAt(x.display(), browser, length[0] + length[2] / 2, length[1] + length[3] / 2);
    ASSERT_TRUE(app.waitFor([](const UiDump& u) { return u.line("browser ").find(" sort=Length:asc ") != std::string::npos; }, 5000, &d))
        << d.line("browser ");
    EXPECT_EQ(rowColumn(d, 2), (std::vector<std::string>{"2", "4", "3", "1", "0"}));
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));  // not a double click
    clickAt(x.display(), browser, length[0] + length[2] / 2, length[1] + length[3] / 2);
    ASSERT_TRUE(app.waitFor([](const UiDump& u) { return u.line("browser ").find(" sort=Length:desc ") != std::string::npos; }, 5000, &d));
    EXPECT_EQ(rowColumn(d, 2), (std::vector<std::string>{"0", "1", "3", "4", "2"}));

    // Typing part of an identifier leaves its row alone.
    std::string id = rowColumn(d, 3).at(3);  // record 4
    std::vector<int> filter = d.numbers("browser-area filter ");
    ASSERT_EQ(filter.size(), 4u);
    clickAt(x.display(), browser, filter[0] + 20, filter[1] + filter[3] / 2);
    xdo(x.display(), "type --delay 60 " + id);
    ASSERT_TRUE(app.waitFor([&](const UiDump& u) { return u.line("browser ").find(" filter=" + id + " ") != std::string::npos; },
                            5000, &d)) << d.line("browser ");
    EXPECT_EQ(d.field("browser ", "shown"), 1);
    EXPECT_EQ(rowColumn(d, 2), std::vector<std::string>{"4"});

    // Down moves to that row; Enter plays it: the device receives its samples.
    xdo(x.display(), "key Down");
    ASSERT_TRUE(app.waitFor([](const UiDump& u) { return u.line("browser ").find(" selected=4 ") != std::string::npos; }, 5000, &d))
        << d.line("browser ");
    int plays = d.field("sound ", "plays");
    xdo(x.display(), "key Return");
    ASSERT_TRUE(app.waitFor([&](const UiDump& u) { return u.field("sound ", "plays") == plays + 1; }, 5000, &d));
    EXPECT_EQ(d.field("waveform ", "record"), 4);
    Bytes head(samples[3].begin(), samples[3].begin() + 2048);
    EXPECT_TRUE(eventually([&] { return contains(testkit::readFile(app.audioPath), head); }, 10000))
        << "the disk driver's output does not hold record 4's samples";
    EXPECT_TRUE(app.waitFor([](const UiDump& u) { return u.field("browser-waveform ", "picture-columns") > 0; }, 5000));

    // The close box closes the archive window; the program goes on.
    ASSERT_TRUE(closeWindow(x.display(), browser));
    EXPECT_TRUE(app.waitFor([](const UiDump& u) { return u.field("browser ", "visible") == 0; }, 5000));
    EXPECT_FALSE(app.waitExit(500).has_value());
    ASSERT_TRUE(closeWindow(x.display(), waitForWindow(x.display(), " sonkrate", 5000)));
    EXPECT_EQ(app.waitExit(10000), std::optional<int>(0));
}

TEST(ArchiveWindowOfTheProgram, AWavDroppedOnARowReplacesItAndCtrlSSavesTheArchive) {
    testkit::ScratchDir root;
    XServer x;
    std::string why;
    if (!x.start(why) || !testkit::haveTool("xdotool")) GTEST_SKIP() << (why.empty() ? "xdotool is not installed" : why);
    std::vector<Bytes> samples;
    std::string tpa = makeArchive(root, "edited.tpa", 2, &samples);
    Bytes before = testkit::readFile(tpa);
    // A mono 16-bit .wav of 0.5 s at 22050 Hz, a saw tooth.
    Bytes wav;
    auto put = [&wav](std::uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) wav.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    };
    const std::uint32_t frames = 11025;
    for (char c : std::string("RIFF")) wav.push_back(static_cast<std::uint8_t>(c));
    put(36 + frames * 2, 4);
    for (char c : std::string("WAVEfmt ")) wav.push_back(static_cast<std::uint8_t>(c));
    put(16, 4), put(1, 2), put(1, 2), put(22050, 4), put(44100, 4), put(2, 2), put(16, 2);
    for (char c : std::string("data")) wav.push_back(static_cast<std::uint8_t>(c));
    put(frames * 2, 4);
    for (std::uint32_t i = 0; i < frames; ++i) put(static_cast<std::uint16_t>((i % 100) * 600 - 30000), 2);
    std::string sound = root.file("new.wav");
    testkit::writeFile(sound, wav);

    App app(root);
    ASSERT_TRUE(app.start(x.display(), {}, {tpa}));
    unsigned long browser = waitForWindow(x.display(), "edited.tpa - Sonkrate", 15000);
    ASSERT_NE(browser, 0u) << "no archive window; log: " << testkit::readText(app.logPath);
    UiDump d;
    ASSERT_TRUE(app.waitFor([](const UiDump& u) { return u.all("browser-row ").size() == 3; }, 10000, &d));
    // Nothing to undo or save yet: those items are greyed, Save As is not.
    auto usable = [](const UiDump& u, int command) {
        return words(u.line("browser-menu-item " + std::to_string(command) + " ")).at(2);
    };
    EXPECT_EQ(usable(d, sonkrate::app::kCmdBrowserUndo), "0");
    EXPECT_EQ(usable(d, sonkrate::app::kCmdBrowserSave), "0");
    EXPECT_EQ(usable(d, sonkrate::app::kCmdBrowserSaveAs), "1");
    EXPECT_FALSE(d.line("browser-menu-divider " + std::to_string(sonkrate::app::kCmdBrowserSaveAs)).empty());
    std::vector<int> table = d.numbers("browser-table ");
    int height = d.field("browser-table ", "row-height");
    ASSERT_EQ(table.size(), 4u);
    // Dropped on the second row, the .wav replaces that record's sound: staged, marked, counted.
    ASSERT_TRUE(dropUris(x.display(), browser, table[0] + 60, table[1] + height + height / 2, "file://" + sound + "\r\n", why))
        << why;
    ASSERT_TRUE(app.waitFor([](const UiDump& u) { return u.field("browser ", "changes") == 1; }, 10000, &d))
        << d.line("browser ") << "\n" << testkit::readText(app.logPath);
    EXPECT_EQ(words(d.line("browser-row 1 ")).at(9), "changed") << d.line("browser-row 1 ");
    EXPECT_EQ(words(d.line("browser-row 0 ")).at(9), "same");
    EXPECT_EQ(words(d.line("browser-row 1 ")).at(4), "500");  // the staged sound's length
    EXPECT_NE(d.line("browser ").find(" title=edited.tpa* - Sonkrate"), std::string::npos) << d.line("browser ");
    EXPECT_EQ(usable(d, sonkrate::app::kCmdBrowserUndo), "1");
    EXPECT_EQ(usable(d, sonkrate::app::kCmdBrowserSave), "1");
    if (testkit::haveTool("import")) screenshot(x.display(), "archive_window_of_the_program_edited");

    // Ctrl+S in the window writes the archive; it loads with its three records.
    clickAt(x.display(), browser, table[0] + 60, table[1] + height / 2);
    xdo(x.display(), "key --delay 60 ctrl+s");
    ASSERT_TRUE(app.waitFor([](const UiDump& u) {
        return u.field("browser ", "changes") == 0 && u.line("browser ").find(" title=edited.tpa - Sonkrate") != std::string::npos;
    }, 15000, &d)) << d.line("browser ");
    EXPECT_NE(testkit::readFile(tpa), before);
    EXPECT_EQ(usable(d, sonkrate::app::kCmdBrowserUndo), "0");
    sonkrate::archive::TpaLoad saved = sonkrate::archive::loadTpaArchive(tpa, root.file("wavs"));
    ASSERT_TRUE(saved.outcome.ok) << saved.outcome.reason;
    EXPECT_EQ(saved.archive.entryCount, 3u);
    ASSERT_TRUE(closeWindow(x.display(), waitForWindow(x.display(), " sonkrate", 5000)));
    EXPECT_TRUE(app.waitExit(10000).has_value());
}

TEST(ArchiveWindowOfTheProgram, ClosingTheMainWindowWithAnEditNotSavedAsksAndCancelKeepsTheProgram) {
    testkit::ScratchDir root;
    XServer x;
    std::string why;
    if (!x.start(why) || !testkit::haveTool("xdotool")) GTEST_SKIP() << (why.empty() ? "xdotool is not installed" : why);
    std::string tpa = makeArchive(root, "quit.tpa", 2, nullptr);
    Bytes before = testkit::readFile(tpa);
    App app(root);
    ASSERT_TRUE(app.start(x.display(), {}, {tpa}));
    unsigned long browser = waitForWindow(x.display(), "quit.tpa - Sonkrate", 15000);
    ASSERT_NE(browser, 0u) << "no archive window; log: " << testkit::readText(app.logPath);
    UiDump d;
    ASSERT_TRUE(app.waitFor([](const UiDump& u) { return u.all("browser-row ").size() == 3; }, 10000, &d));
    std::vector<int> table = d.numbers("browser-table ");
    int height = d.field("browser-table ", "row-height");
    ASSERT_EQ(table.size(), 4u);
    // The last row removed: one change staged.
    clickAt(x.display(), browser, table[0] + 60, table[1] + 2 * height + height / 2);
    xdo(x.display(), "key --delay 60 Delete");
    ASSERT_TRUE(app.waitFor([](const UiDump& u) { return u.field("browser ", "changes") == 1; }, 10000, &d))
        << d.line("browser ");
    unsigned long main = waitForWindow(x.display(), " sonkrate", 5000);
    ASSERT_NE(main, 0u);

    // Escape, the question's close box and Cancel each keep the program and the edit.
    auto questionOpen = [](const UiDump& u) { return u.rest("browser-dialog open=1 title=") == "Sonkrate"; };
    for (const std::string keys : {"Escape", "", "Tab Tab Return"}) {
        ASSERT_TRUE(closeWindow(x.display(), main));
        ASSERT_TRUE(app.waitFor(questionOpen, 10000, &d)) << keys << "\n" << d.line("browser-dialog ");
        if (keys == "Escape" && testkit::haveTool("import")) screenshot(x.display(), "quit_with_edits_question");
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        if (keys.empty())
            closeWindow(x.display(), waitForWindow(x.display(), "Sonkrate", 5000));
        else
            xdo(x.display(), "key --delay 60 " + keys);
        EXPECT_TRUE(app.waitFor([](const UiDump& u) { return u.field("browser-dialog ", "open") == 0; }, 5000)) << keys;
        EXPECT_FALSE(app.waitExit(500).has_value()) << keys;
        EXPECT_EQ(app.dump().field("browser ", "changes"), 1) << keys;
    }

    // Don't save: the program ends and the archive is as it was.
    ASSERT_TRUE(closeWindow(x.display(), main));
    ASSERT_TRUE(app.waitFor(questionOpen, 10000, &d));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    xdo(x.display(), "key --delay 60 Tab Return");
    EXPECT_EQ(app.waitExit(10000), std::optional<int>(0));
    EXPECT_EQ(testkit::readFile(tpa), before);
}
