// The archive window of the Linux desktop under Xvfb, opened by the stand-in
// shell archive_window_demo with made-up rows and driven with xdotool: rows
// shown at once for 50,000 records, header clicks, resizing a column, the
// selection of a desktop list, keys handed to the shell, the filter field,
// the waveform (clicks, width, the cursor moved by the window's timer), the
// progress line, drops, the dialogs and the close box. What reached the
// shell is read from the demo's output, what the window shows from the dump.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <sstream>
#include <thread>

#include "desktop_session.h"
#include "xdnd_source.h"

using namespace desktop_test;

namespace {

constexpr const char* kDemoTitle = "demo.tpa - Sonkrate";

void pause(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

struct DemoSession {
    testkit::ScratchDir root;
    XServer x;
    std::unique_ptr<App> app;
    unsigned long window = 0;
    std::string why;

    bool start(int rows) {
        if (!x.start(why)) return false;
        if (!testkit::haveTool("xdotool")) {
            why = "xdotool is not installed";
            return false;
        }
        app = std::make_unique<App>(root);
        if (!app->launch(SONKRATE_ARCHIVE_DEMO_PATH, x.display(), {}, {std::to_string(rows)})) {
            why = "archive_window_demo could not be started";
            return false;
        }
        window = waitForWindow(x.display(), kDemoTitle, 15000);
        if (!window) why = "no archive window appeared; log: " + testkit::readText(app->logPath);
        return window != 0 && app->waitFor([](const UiDump& d) { return !d.line("browser visible=1").empty(); }, 10000);
    }
    UiDump dump() const { return app->dump(); }
    const std::string& display() const { return x.display(); }

    // What the demo wrote since the last clearEvents, one event a line.
    std::vector<std::string> events() const {
        std::vector<std::string> out;
        std::istringstream in(testkit::readText(app->logPath));
        for (std::string l; std::getline(in, l);) out.push_back(l);
        out.erase(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(std::min(seen, out.size())));
        return out;
    }
    std::size_t seen = 0;
    bool waitEvent(const std::string& event, int timeoutMs = 5000) const {
        return eventually([&] {
            auto e = events();
            return std::find(e.begin(), e.end(), event) != e.end();
        }, timeoutMs);
    }
    // Forgets what came so far, so that the next waitEvent sees only new lines.
    void clearEvents() { seen += events().size(); }

    void click(int x, int y) const { clickAt(display(), window, x, y); }
    void key(const std::string& keys) const { xdo(display(), "key --delay 60 " + keys); }
    // The middle of a shown row, in window pixels.
    std::pair<int, int> rowPoint(int position) const {
        UiDump d = dump();
        std::vector<int> t = d.numbers("browser-table ");
        int top = d.field("browser-table ", "top"), height = d.field("browser-table ", "row-height");
        return {t.at(0) + 60, t.at(1) + (position - top) * height + height / 2};
    }
    void clickRow(int position, const std::string& modifiers = "") const {
        auto [px, py] = rowPoint(position);
        std::string w = std::to_string(window);
        if (modifiers.empty()) {
            click(px, py);
        } else {
            xdo(display(), "mousemove --window " + w + " " + std::to_string(px) + " " + std::to_string(py) +
                               " keydown " + modifiers + " click 1 keyup " + modifiers);
        }
        pause(250);  // no double click with the next one
    }
    std::vector<int> area(const std::string& name) const { return dump().numbers("browser-area " + name + " "); }
};

#define START_DEMO_OR_SKIP(session, rows)                                           \
    do {                                                                           \
        if (!(session).start(rows)) {                                              \
            if (!(session).app) GTEST_SKIP() << (session).why;                     \
            FAIL() << (session).why;                                               \
        }                                                                          \
    } while (0)

std::string rowName(const std::string& rowLine) { return rowLine.substr(rowLine.rfind(' ') + 1); }

}  // namespace

TEST(ArchiveWindow, OpensFiftyThousandRowsAtOnceAndGoesToTheEnd) {
    DemoSession s;
    auto started = std::chrono::steady_clock::now();
    START_DEMO_OR_SKIP(s, 50000);
    UiDump d;
    ASSERT_TRUE(s.app->waitFor([](const UiDump& u) { return u.field("browser ", "shown") == 50000; }, 5000, &d));
    // Opening copies no rows: the window is up well within a few seconds
    // (a pass over all rows per row took many).
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(4));
    EXPECT_EQ(d.field("browser-table ", "rows"), 50000);
    std::vector<std::string> rows = d.all("browser-row ");
    ASSERT_EQ(rows.size(), 5000u);
    EXPECT_EQ(rows[0], "browser-row 0 0 5a17c0de 40 11025 2 16 pcm same wind_wind_0");
    EXPECT_EQ(d.rest("browser-status "), "50000 sounds, 1.7 MB");
    EXPECT_NE(d.line("browser visible=1").find(" title=demo.tpa - Sonkrate"), std::string::npos);
    // The headers stand side by side on one line; the menu shows the accelerators.
    std::vector<std::vector<int>> columns;
    for (int c = 0; c < 9; ++c) columns.push_back(d.numbers("browser-column " + std::to_string(c) + " "));
    for (int c = 1; c < 9; ++c) {
        ASSERT_EQ(columns[c].size(), 4u);  // x y w h
        EXPECT_EQ(columns[c][0], columns[c - 1][0] + columns[c - 1][2]) << "column " << c;
        EXPECT_EQ(columns[c][1], columns[0][1]);
    }
    EXPECT_EQ(d.line("browser-menu-item 101 "), "browser-menu-item 101 1 Ctrl+E Export selected...");
    EXPECT_EQ(d.line("browser-menu-item 104 "), "browser-menu-item 104 1 Ctrl+Shift+P Long work");
    EXPECT_EQ(d.line("browser-menu-item 103 "), "browser-menu-item 103 1 F5 Verify");
    if (testkit::haveTool("import")) screenshot(s.display(), "archive_window_at_start");

    // Three turns of the wheel move nine rows.
    auto [wheelX, wheelY] = s.rowPoint(2);
    xdo(s.display(), "mousemove --window " + std::to_string(s.window) + " " + std::to_string(wheelX) + " " + std::to_string(wheelY) +
                         " click --repeat 3 --delay 50 5");
    EXPECT_TRUE(s.app->waitFor([](const UiDump& u) { return u.field("browser-table ", "top") == 9; }, 3000, &d))
        << d.line("browser-table ");

    // End goes to the last of the 50,000 rows at once, scrolled into view.
    s.clickRow(9);
    s.key("End");
    ASSERT_TRUE(s.app->waitFor([](const UiDump& u) { return u.field("browser-table ", "focus") == 49999; }, 3000, &d));
    EXPECT_EQ(d.line("browser-table ").find(" selected=49999 ") != std::string::npos, true) << d.line("browser-table ");
    int visible = d.numbers("browser-table ").at(3) / d.field("browser-table ", "row-height");
    EXPECT_GE(d.field("browser-table ", "top"), 49999 - visible);
    if (testkit::haveTool("import")) screenshot(s.display(), "archive_window_at_the_end");
}

TEST(ArchiveWindow, SortsByTheClickedHeaderAndSizesColumns) {
    DemoSession s;
    START_DEMO_OR_SKIP(s, 3000);
    UiDump d;
    std::vector<int> name = s.dump().numbers("browser-column 1 ");
    ASSERT_EQ(name.size(), 4u);
    // A click on "Name" sorts by it; a second one turns the order round.
    s.click(name[0] + name[2] / 2, name[1] + name[3] / 2);
    ASSERT_TRUE(s.waitEvent("header 1"));
    ASSERT_TRUE(s.app->waitFor([](const UiDump& u) { return u.line("browser ").find(" sort=Name:asc ") != std::string::npos; }, 5000, &d));
    EXPECT_EQ(d.field("browser-table ", "sort-column"), 1);
    std::vector<std::string> rows = d.all("browser-row ");
    ASSERT_EQ(rows.size(), 3000u);
    EXPECT_TRUE(std::is_sorted(rows.begin(), rows.end(), [](const auto& a, const auto& b) { return rowName(a) < rowName(b); }));
    pause(1100);  // not a double click
    s.clearEvents();
    s.click(name[0] + name[2] / 2, name[1] + name[3] / 2);
    ASSERT_TRUE(s.waitEvent("header 1"));
    EXPECT_TRUE(s.app->waitFor([](const UiDump& u) { return u.line("browser ").find(" sort=Name:desc ") != std::string::npos; }, 5000));

    // Dragging the right edge of "Name" widens it and moves the next header.
    std::string w = std::to_string(s.window);
    int edge = name[0] + name[2] - 1, y = name[1] + name[3] / 2;
    xdo(s.display(), "mousemove --window " + w + " " + std::to_string(edge) + " " + std::to_string(y) + " mousedown 1");
    for (int step = 10; step <= 40; step += 10) {
        pause(60);
        xdo(s.display(), "mousemove --window " + w + " " + std::to_string(edge + step) + " " + std::to_string(y));
    }
    xdo(s.display(), "mouseup 1");
    ASSERT_TRUE(s.app->waitFor([&](const UiDump& u) { return u.numbers("browser-column 1 ").at(2) == name[2] + 40; }, 5000, &d))
        << d.line("browser-column 1 ");
    EXPECT_EQ(d.numbers("browser-column 2 ").at(0), name[0] + name[2] + 40);
    // A double click on the divider fits the column to the names in view.
    pause(1100);
    xdo(s.display(), "mousemove --window " + w + " " + std::to_string(edge + 40) + " " + std::to_string(y) +
                         " click --repeat 2 --delay 80 1");
    ASSERT_TRUE(s.app->waitFor([&](const UiDump& u) { return u.numbers("browser-column 1 ").at(2) < name[2]; }, 5000, &d))
        << d.line("browser-column 1 ");
    std::vector<int> fitted = d.numbers("browser-column 1 ");
    EXPECT_GT(fitted[2], 60);
    EXPECT_EQ(d.numbers("browser-column 2 ").at(0), fitted[0] + fitted[2]);
}

TEST(ArchiveWindow, SelectsAsADesktopListAndHandsKeysToTheShell) {
    DemoSession s;
    START_DEMO_OR_SKIP(s, 200);
    s.clickRow(2);
    ASSERT_TRUE(s.waitEvent("selection 2 focus 2"));
    s.clickRow(5, "shift");
    ASSERT_TRUE(s.waitEvent("selection 2,3,4,5 focus 5"));
    s.clickRow(3, "ctrl");
    ASSERT_TRUE(s.waitEvent("selection 2,4,5 focus 3"));
    // Shift+arrows run from the anchor (the row clicked last) to the focus.
    s.key("shift+Down");
    ASSERT_TRUE(s.waitEvent("selection 3,4 focus 4"));
    s.key("Down");
    ASSERT_TRUE(s.waitEvent("selection 5 focus 5"));
    // The shell's facts and the window agree on what is selected.
    UiDump d;
    EXPECT_TRUE(s.app->waitFor([](const UiDump& u) {
        return u.line("browser ").find(" selected=5 ") != std::string::npos &&
               u.line("browser-table ").find(" selected=5 ") != std::string::npos;
    }, 3000, &d)) << d.line("browser ");

    // F2 opens the editor over the name, which the last Escape closes.
    for (const char* k : {"Return", "space", "Delete", "Escape", "F2", "Escape"}) s.key(k);
    for (const char* e : {"key enter table", "key space table", "key delete table", "key f2 table", "key escape table"})
        EXPECT_TRUE(s.waitEvent(e)) << e;
    // Space asked the shell, it did not toggle the row.
    EXPECT_NE(s.dump().line("browser-table ").find(" selected=5 "), std::string::npos);
    // Accelerators of the menu come as commands, also from the table.
    s.key("ctrl+a");
    ASSERT_TRUE(s.waitEvent("command 102"));
    EXPECT_TRUE(s.app->waitFor([](const UiDump& u) { return u.line("browser-table ").find(" selected=0,1,2,") != std::string::npos; }, 3000));
    s.key("F5");
    EXPECT_TRUE(s.waitEvent("command 103"));

    // A double click activates its row; a single one after a pause does not.
    auto [px, py] = s.rowPoint(7);
    s.clearEvents();
    xdo(s.display(), "mousemove --window " + std::to_string(s.window) + " " + std::to_string(px) + " " + std::to_string(py) +
                         " click --repeat 2 --delay 80 1");
    ASSERT_TRUE(s.waitEvent("activated 7"));
    EXPECT_TRUE(s.waitEvent("selection 7 focus 7"));
    pause(1100);
    s.clearEvents();
    s.clickRow(7);
    pause(500);
    for (const auto& e : s.events()) EXPECT_EQ(e.rfind("activated", 0), std::string::npos) << e;

    // Dragging from a row selects the rows it passes over.
    auto [fromX, fromY] = s.rowPoint(1);
    int rowHeight = s.dump().field("browser-table ", "row-height");
    std::string w = std::to_string(s.window);
    xdo(s.display(), "mousemove --window " + w + " " + std::to_string(fromX) + " " + std::to_string(fromY) + " mousedown 1");
    for (int step = 1; step <= 3; ++step) {
        pause(60);
        xdo(s.display(), "mousemove --window " + w + " " + std::to_string(fromX) + " " + std::to_string(fromY + step * rowHeight));
    }
    xdo(s.display(), "mouseup 1");
    EXPECT_TRUE(s.waitEvent("selection 1,2,3,4 focus 4"));

    EXPECT_TRUE(closeWindow(s.display(), s.window));
    EXPECT_TRUE(s.waitEvent("close"));
    EXPECT_EQ(s.app->waitExit(10000), std::optional<int>(0));
}

TEST(ArchiveWindow, FiltersAndMovesBetweenTheFieldAndTheTable) {
    DemoSession s;
    START_DEMO_OR_SKIP(s, 3000);
    s.clickRow(0);
    // Ctrl+F (the menu's) puts the keyboard in the filter; each key filters.
    s.key("ctrl+f");
    ASSERT_TRUE(s.waitEvent("command 100"));
    ASSERT_TRUE(s.app->waitFor([](const UiDump& u) { return u.line("browser-table ").find("keyboard=filter") != std::string::npos; }, 3000));
    xdo(s.display(), "type --delay 60 door_1");
    ASSERT_TRUE(s.waitEvent("filter d"));
    ASSERT_TRUE(s.waitEvent("filter door_1"));
    UiDump d;
    ASSERT_TRUE(s.app->waitFor([](const UiDump& u) { return u.rest("browser-filter ") == "door_1"; }, 3000, &d));
    int shown = d.field("browser ", "shown");
    EXPECT_GT(shown, 0);
    EXPECT_LT(shown, 3000);
    EXPECT_EQ(d.field("browser-table ", "rows"), shown);
    for (const auto& r : d.all("browser-row ")) EXPECT_NE(rowName(r).find("door_1"), std::string::npos) << r;
    // Down goes from the field to the first row; Esc in the field clears it.
    s.key("Down");
    ASSERT_TRUE(s.waitEvent("key down filter"));
    EXPECT_TRUE(s.app->waitFor([](const UiDump& u) { return u.line("browser-table ").find(" focus=0 selected=0 ") != std::string::npos &&
                                                         u.line("browser-table ").find("keyboard=table") != std::string::npos; }, 3000));
    s.key("ctrl+f Escape");
    ASSERT_TRUE(s.waitEvent("key escape filter"));
    EXPECT_TRUE(s.app->waitFor([](const UiDump& u) { return u.field("browser ", "shown") == 3000 && u.rest("browser-filter ").empty(); }, 3000));
}

TEST(ArchiveWindow, PlaysFromAClickInTheWaveformAndFollowsItsWidth) {
    DemoSession s;
    START_DEMO_OR_SKIP(s, 3000);
    UiDump d;
    // The waveform's width reached the shell; a click a quarter of the way
    // in plays from there, and the window's timer moves the cursor on.
    int columns = s.dump().field("browser-waveform ", "columns");
    ASSERT_GT(columns, 100);
    EXPECT_TRUE(s.waitEvent("waveform-resized " + std::to_string(columns)));
    s.clickRow(1);
    std::vector<int> wave = s.area("waveform");
    ASSERT_EQ(wave.size(), 4u);
    s.click(wave[0] + 2 + (columns - 1) / 4, wave[1] + wave[3] / 2);
    ASSERT_TRUE(eventually([&] {
        for (const auto& e : s.events())
            if (e.rfind("waveform-click ", 0) == 0) return std::fabs(std::stod(e.substr(15)) - 0.25) < 0.01;
        return false;
    }, 5000));
    ASSERT_TRUE(s.app->waitFor([](const UiDump& u) { return u.field("waveform ", "playing") == 1; }, 3000, &d));
    int cursorAt = d.field("waveform ", "cursor-ms");
    EXPECT_TRUE(s.app->waitFor([&](const UiDump& u) { return u.field("waveform ", "cursor-ms") >= cursorAt + 300; }, 5000));
    EXPECT_GE(s.dump().field("browser-waveform ", "cursor-x"), (columns - 1) / 4);
    if (testkit::haveTool("import")) screenshot(s.display(), "archive_window_playing");

    // A wider window gives a wider waveform, reported again.
    xdo(s.display(), "windowsize " + std::to_string(s.window) + " 1000 700");
    ASSERT_TRUE(s.app->waitFor([&](const UiDump& u) { return u.field("browser-waveform ", "columns") == 1000 - 20; }, 5000));
    EXPECT_TRUE(s.waitEvent("waveform-resized 980"));
}

TEST(ArchiveWindow, ShowsProgressTakesDropsAndAsksTheShellToClose) {
    DemoSession s;
    START_DEMO_OR_SKIP(s, 3000);
    UiDump d;
    s.clickRow(0);
    // Long work: the progress line with its Cancel button, gone once cancelled.
    s.key("ctrl+shift+p");
    ASSERT_TRUE(s.app->waitFor([](const UiDump& u) { return u.field("browser-progress ", "shown") == 1 && !u.line("browser-area cancel ").empty(); }, 3000, &d));
    if (testkit::haveTool("import")) screenshot(s.display(), "archive_window_progress");
    std::vector<int> cancel = d.numbers("browser-area cancel ");
    s.click(cancel[0] + cancel[2] / 2, cancel[1] + cancel[3] / 2);
    ASSERT_TRUE(s.waitEvent("cancel"));
    EXPECT_TRUE(s.app->waitFor([](const UiDump& u) { return u.field("browser-progress ", "shown") == 0 && u.line("browser-area cancel ").empty(); }, 3000));

    // Files dropped on a row name it; below the rows, -1.
    s.key("ctrl+f");
    xdo(s.display(), "type --delay 40 door_101");
    ASSERT_TRUE(s.waitEvent("filter door_101"));
    ASSERT_TRUE(s.app->waitFor([](const UiDump& u) { return u.field("browser ", "shown") > 1 && u.field("browser ", "shown") < 15; }, 3000, &d));
    std::string dropped = s.root.file("a b.wav");
    testkit::writeText(dropped, "x");
    auto [rx, ry] = s.rowPoint(1);
    std::string why;
    ASSERT_TRUE(dropUris(s.display(), s.window, rx, ry, "file://" + s.root.path() + "/a%20b.wav\r\n", why)) << why;
    EXPECT_TRUE(s.waitEvent("drop 1 " + dropped));
    std::vector<int> table = d.numbers("browser-table ");
    ASSERT_TRUE(dropUris(s.display(), s.window, table[0] + 40, table[1] + table[3] - 5, "file://" + dropped + "\r\n", why)) << why;
    EXPECT_TRUE(s.waitEvent("drop -1 " + dropped));
    // On the filter field the files are not text to filter by; the window takes them.
    s.clearEvents();
    std::vector<int> field = s.area("filter");
    ASSERT_TRUE(dropUris(s.display(), s.window, field[0] + 30, field[1] + field[3] / 2, "file://" + dropped + "\r\n", why)) << why;
    EXPECT_TRUE(s.waitEvent("drop -1 " + dropped));
    EXPECT_EQ(s.dump().rest("browser-filter "), "door_101");
    // Nor does the waveform take them.
    s.clearEvents();
    std::vector<int> wave = s.area("waveform");
    ASSERT_TRUE(dropUris(s.display(), s.window, wave[0] + 30, wave[1] + wave[3] / 2, "file://" + dropped + "\r\n", why)) << why;
    EXPECT_TRUE(s.waitEvent("drop -1 " + dropped));

    // "Play on select" reaches the shell; the close box asks it to close.
    std::vector<int> check = s.area("play-on-select");
    s.click(check[0] + 8, check[1] + check[3] / 2);
    EXPECT_TRUE(s.waitEvent("play-on-select 1"));
    ASSERT_TRUE(closeWindow(s.display(), s.window));
    EXPECT_TRUE(s.waitEvent("close"));
    EXPECT_EQ(s.app->waitExit(10000), std::optional<int>(0));
}

TEST(ArchiveWindow, AsksForAFolderAndALineOfText) {
    DemoSession s;
    START_DEMO_OR_SKIP(s, 20);
    std::string folder = s.root.file("data/Tpa_Wavs");
    std::filesystem::create_directories(folder);
    s.clickRow(0);
    // The folder chooser opens where the program runs; a typed name and
    // Return enter the folder, a second Return takes it.
    s.key("ctrl+shift+o");
    ASSERT_NE(waitForWindow(s.display(), "Export to", 10000), 0u);
    EXPECT_TRUE(s.app->waitFor([](const UiDump& u) { return u.rest("browser-dialog open=1 title=") == "Export to"; }, 3000));
    pause(300);
    xdo(s.display(), "type --delay 40 Tpa_Wavs");
    s.key("Return");
    pause(400);
    s.key("Return");
    EXPECT_TRUE(s.waitEvent("folder " + folder));
    EXPECT_TRUE(s.app->waitFor([](const UiDump& u) { return u.field("browser-dialog ", "open") == 0; }, 3000));
    // Cancelled, the chooser gives nothing.
    s.key("ctrl+shift+o");
    ASSERT_NE(waitForWindow(s.display(), "Export to", 10000), 0u);
    pause(300);
    s.key("Escape");
    EXPECT_TRUE(s.waitEvent("folder -"));

    // A line of text: the proposal kept and added to; Escape gives nothing.
    s.key("ctrl+g");
    ASSERT_NE(waitForWindow(s.display(), "Guess names", 10000), 0u);
    pause(300);
    s.key("End");
    xdo(s.display(), "type --delay 40 wind");
    s.key("Return");
    EXPECT_TRUE(s.waitEvent("text amb_*wind"));
    s.key("ctrl+g");
    ASSERT_NE(waitForWindow(s.display(), "Guess names", 10000), 0u);
    pause(300);
    s.key("Escape");
    EXPECT_TRUE(s.waitEvent("text -"));
}

namespace {

bool anyEventStarts(const DemoSession& s, const std::string& prefix) {
    for (const auto& e : s.events())
        if (e.rfind(prefix, 0) == 0) return true;
    return false;
}

std::string editLine(const UiDump& d) { return d.line("browser-edit "); }

}  // namespace

TEST(ArchiveWindow, EditsACellInPlaceAfterF2OrASlowSecondClick) {
    DemoSession s;
    START_DEMO_OR_SKIP(s, 300);
    UiDump d;
    s.clickRow(2);
    std::string name = rowName(s.dump().line("browser-row 2 "));
    // F2 opens the editor over the name of the focused row, its text selected.
    s.key("F2");
    ASSERT_TRUE(s.app->waitFor([&](const UiDump& u) { return editLine(u) == "browser-edit 2 1 " + name; }, 3000, &d))
        << editLine(d);
    EXPECT_NE(d.line("browser-table ").find("keyboard=editor"), std::string::npos);
    std::vector<int> editor = d.numbers("browser-area editor "), table = d.numbers("browser-table ");
    std::vector<int> column = d.numbers("browser-column 1 ");
    ASSERT_EQ(editor.size(), 4u);
    EXPECT_EQ(editor[0], column[0]);
    EXPECT_EQ(editor[1], table[1] + 2 * d.field("browser-table ", "row-height"));
    EXPECT_EQ(editor[2], column[2]);
    // Delete, F2 and Ctrl+Z edit the text: no row is removed, nothing undone.
    s.clearEvents();
    s.key("Delete F2");
    ASSERT_TRUE(s.app->waitFor([](const UiDump& u) { return editLine(u) == "browser-edit 2 1 "; }, 3000, &d)) << editLine(d);
    s.key("ctrl+z");
    ASSERT_TRUE(s.app->waitFor([&](const UiDump& u) { return editLine(u) == "browser-edit 2 1 " + name; }, 3000, &d)) << editLine(d);
    s.key("End");
    xdo(s.display(), "type --delay 40 _new");
    s.key("Return");
    ASSERT_TRUE(s.waitEvent("edited 2 1 " + name + "_new"));
    EXPECT_FALSE(anyEventStarts(s, "key ")) << "a key of the editor reached the table";
    EXPECT_FALSE(anyEventStarts(s, "command ")) << "a key of the editor reached the menu";
    ASSERT_TRUE(s.app->waitFor([](const UiDump& u) { return editLine(u).empty(); }, 3000, &d));
    EXPECT_NE(d.line("browser-row 2 ").find(" changed " + name + "_new"), std::string::npos) << d.line("browser-row 2 ");
    EXPECT_EQ(d.field("browser ", "changes"), 1);
    EXPECT_NE(d.line("browser-table ").find("keyboard=table"), std::string::npos);
    if (testkit::haveTool("import")) screenshot(s.display(), "archive_window_row_changed");

    // Escape closes the editor and sends nothing.
    s.clearEvents();
    s.key("F2");
    ASSERT_TRUE(s.app->waitFor([](const UiDump& u) { return !editLine(u).empty(); }, 3000));
    xdo(s.display(), "type --delay 40 zzz");
    if (testkit::haveTool("import")) screenshot(s.display(), "archive_window_editing");
    s.key("Escape");
    ASSERT_TRUE(s.app->waitFor([](const UiDump& u) { return editLine(u).empty(); }, 3000, &d));
    pause(300);
    EXPECT_FALSE(anyEventStarts(s, "edited ")) << "Escape sent the edit";
    EXPECT_EQ(rowName(d.line("browser-row 2 ")), name + "_new");

    // A second, slow click on the focused row asks to edit the cell clicked.
    pause(1100);
    s.clickRow(5);
    pause(1100);
    s.clearEvents();
    s.clickRow(5);
    ASSERT_TRUE(s.waitEvent("edit-request 5 1"));
    ASSERT_TRUE(s.app->waitFor([](const UiDump& u) { return editLine(u).rfind("browser-edit 5 1 ", 0) == 0; }, 3000, &d));
    // A click on another row confirms the edit, as the focus leaves it.
    s.clickRow(7);
    EXPECT_TRUE(s.waitEvent("edited 5 1 " + rowName(d.line("browser-row 5 "))));
    EXPECT_TRUE(s.waitEvent("selection 7 focus 7"));
    // A double click on the focused row plays it and asks for no editor.
    pause(1100);
    s.clearEvents();
    auto [px, py] = s.rowPoint(7);
    xdo(s.display(), "mousemove --window " + std::to_string(s.window) + " " + std::to_string(px) + " " +
                         std::to_string(py) + " click --repeat 2 --delay 80 1");
    ASSERT_TRUE(s.waitEvent("activated 7"));
    pause(1000);
    EXPECT_FALSE(anyEventStarts(s, "edit-request ")) << "a double click asked for the editor";
    EXPECT_TRUE(editLine(s.dump()).empty());

    // Scrolled out of view, the edit is confirmed and the editor goes.
    s.clearEvents();
    s.key("F2");
    ASSERT_TRUE(s.app->waitFor([](const UiDump& u) { return editLine(u).rfind("browser-edit 7 1 ", 0) == 0; }, 3000));
    xdo(s.display(), "click --repeat 3 --delay 50 5");
    EXPECT_TRUE(s.waitEvent("edited 7 1 " + rowName(s.dump().line("browser-row 7 "))));
    EXPECT_TRUE(s.app->waitFor([](const UiDump& u) { return editLine(u).empty() && u.field("browser-table ", "top") == 9; }, 3000));
}

TEST(ArchiveWindow, TextFieldsKeepTheirKeysAndTheMenuTakesItsAccelerators) {
    DemoSession s;
    START_DEMO_OR_SKIP(s, 300);
    s.clickRow(1);
    // From the table, each accelerator of the editing menu is a command.
    for (auto [keys, id] : std::vector<std::pair<std::string, int>>{{"ctrl+z", 108}, {"ctrl+y", 109}, {"ctrl+s", 114}}) {
        s.key(keys);
        EXPECT_TRUE(s.waitEvent("command " + std::to_string(id))) << keys;
    }
    // In the filter field, Delete at the end of the text, F2, Ctrl+Z and
    // Ctrl+Y edit the text; Ctrl+S still saves.
    s.key("ctrl+f");
    xdo(s.display(), "type --delay 40 door");
    ASSERT_TRUE(s.waitEvent("filter door"));
    s.clearEvents();
    s.key("Delete F2 ctrl+y ctrl+z ctrl+z ctrl+z");
    s.key("ctrl+s");
    ASSERT_TRUE(s.waitEvent("command 114"));
    for (const auto& e : s.events())
        EXPECT_TRUE(e == "command 114" || e.rfind("filter ", 0) == 0 || e.rfind("selection ", 0) == 0) << e;
    // Ctrl+Shift+S is Save As, not Save.
    s.clearEvents();
    s.key("ctrl+shift+s");
    ASSERT_TRUE(s.waitEvent("command 115"));
    ASSERT_NE(waitForWindow(s.display(), "Save As", 10000), 0u);
    pause(300);
    s.key("Escape");
    EXPECT_TRUE(s.waitEvent("save -"));
    EXPECT_FALSE(s.waitEvent("command 114", 300));

    // A file dropped on a row reaches the shell with the row's position.
    std::string dropped = s.root.file("new.wav");
    testkit::writeText(dropped, "x");
    s.key("ctrl+f Escape");
    auto [rx, ry] = s.rowPoint(3);
    std::string why;
    ASSERT_TRUE(dropUris(s.display(), s.window, rx, ry, "file://" + dropped + "\r\n", why)) << why;
    EXPECT_TRUE(s.waitEvent("drop 3 " + dropped));
    EXPECT_TRUE(s.app->waitFor([](const UiDump& u) { return u.line("browser-row 3 ").find(" changed ") != std::string::npos; }, 3000));
}

TEST(ArchiveWindow, ChoosesFilesAsksQuestionsAndEditsLongText) {
    DemoSession s;
    START_DEMO_OR_SKIP(s, 20);
    std::string data = s.root.file("data");
    testkit::writeText(data + "/a.wav", "x");
    testkit::writeText(data + "/old.tpa", "x");
    s.clickRow(0);
    // Files to replace with, from the folder the program runs in.
    s.key("ctrl+r");
    ASSERT_NE(waitForWindow(s.display(), "Open", 10000), 0u);
    EXPECT_TRUE(s.app->waitFor([](const UiDump& u) { return u.rest("browser-dialog open=1 title=") == "Open"; }, 3000));
    pause(300);
    xdo(s.display(), "type --delay 40 a.wav");
    s.key("Return");
    EXPECT_TRUE(s.waitEvent("files " + data + "/a.wav"));

    // Save As adds the extension and then asks before writing over the file:
    // No brings the chooser back with the name, Yes takes it.
    s.clearEvents();
    s.key("ctrl+shift+s");
    ASSERT_NE(waitForWindow(s.display(), "Save As", 10000), 0u);
    pause(300);
    xdo(s.display(), "type --delay 40 old");
    for (const char* answer : {"Tab Return", "Return"}) {
        s.key("Return");
        ASSERT_NE(waitForWindow(s.display(), "Confirm Save As", 10000), 0u) << answer;
        pause(300);
        s.key(answer);
        pause(1200);  // the chooser shown again
    }
    ASSERT_TRUE(s.waitEvent("save " + data + "/old.tpa"));
    EXPECT_EQ(s.events().size(), 2u);  // the command and the one answer

    // A question: Enter takes the first button, Tab moves to the next, and
    // Escape or the close box give -1.
    for (auto [keys, answer] : std::vector<std::pair<std::string, std::string>>{
             {"Return", "choice 0"}, {"Tab Tab Return", "choice 2"}, {"Escape", "choice -1"}, {"", "choice -1"}}) {
        s.clearEvents();
        s.key("ctrl+shift+q");
        unsigned long dialog = waitForWindow(s.display(), "Unsaved changes", 10000);
        ASSERT_NE(dialog, 0u);
        pause(300);
        if (keys.empty())
            closeWindow(s.display(), dialog);
        else
            s.key(keys);
        EXPECT_TRUE(s.waitEvent(answer)) << keys;
    }

    // A message with a long path is wrapped: the dialog stays narrow and grows down.
    s.key("ctrl+shift+m");
    unsigned long message = waitForWindow(s.display(), "Replace", 10000);
    ASSERT_NE(message, 0u);
    pause(300);
    std::string geometry = xdo(s.display(), "getwindowgeometry " + std::to_string(message)).out;
    std::size_t at = geometry.find("Geometry: ");
    ASSERT_NE(at, std::string::npos) << geometry;
    int w = std::atoi(geometry.c_str() + at + 10), h = std::atoi(geometry.c_str() + geometry.find('x', at) + 1);
    EXPECT_LT(w, 600) << geometry;
    EXPECT_GT(h, 100) << geometry;
    if (testkit::haveTool("import")) screenshot(s.display(), "archive_window_message");
    s.key("Return");
    EXPECT_TRUE(s.waitEvent("message shown"));

    // Several lines edited; Ctrl+Enter takes them, Escape gives nothing.
    s.key("ctrl+shift+c");
    ASSERT_NE(waitForWindow(s.display(), "Captions", 10000), 0u);
    pause(300);
    s.key("ctrl+End");
    xdo(s.display(), "type --delay 40 World");
    s.key("ctrl+Return");
    ASSERT_TRUE(s.waitEvent("Hello"));
    EXPECT_TRUE(s.waitEvent("World"));
    s.key("ctrl+shift+c");
    ASSERT_NE(waitForWindow(s.display(), "Captions", 10000), 0u);
    pause(300);
    s.key("Escape");
    EXPECT_TRUE(s.waitEvent("captions -"));
}

TEST(ArchiveWindow, AGreyedItemIsShownGreyAndItsKeySendsNothing) {
    DemoSession s;
    START_DEMO_OR_SKIP(s, 300);
    UiDump d = s.dump();
    // The empty item of the table parts Verify from Long work, and only there.
    EXPECT_EQ(d.all("browser-menu-divider "), std::vector<std::string>{"browser-menu-divider 103"});
    s.clickRow(1);
    s.key("ctrl+shift+g");
    ASSERT_TRUE(s.waitEvent("command 119"));
    ASSERT_TRUE(s.app->waitFor([](const UiDump& u) { return u.line("browser-menu-item 103 ").rfind("browser-menu-item 103 0 ", 0) == 0; },
                               5000, &d))
        << d.line("browser-menu-item 103 ");
    // F5 reaches no one, but the next accelerator still does.
    s.clearEvents();
    s.key("F5 ctrl+e");
    ASSERT_TRUE(s.waitEvent("command 101"));
    EXPECT_FALSE(s.waitEvent("command 103", 300));
    // Opened, the pop-up draws the greyed item and the divider under it.
    int toolsX = -1, toolsW = 0;
    for (const std::string& l : d.all("browser-menu-title "))
        if (l.substr(l.rfind(' ') + 1) == "Tools") std::istringstream(l.substr(19)) >> toolsX >> toolsW;
    ASSERT_GE(toolsX, 0);
    s.click(toolsX + toolsW / 2, 12);
    pause(400);
    if (testkit::haveTool("import")) screenshot(s.display(), "archive_window_greyed_item");
    // The keys of the pop-up pass over the greyed item: Down and Return choose Long work.
    s.key("Down Return");
    EXPECT_TRUE(s.waitEvent("command 104"));
    EXPECT_FALSE(s.waitEvent("command 103", 300));
    // Usable again: F5 is the command once more.
    s.key("ctrl+shift+g");
    ASSERT_TRUE(s.app->waitFor([](const UiDump& u) { return u.line("browser-menu-item 103 ").rfind("browser-menu-item 103 1 ", 0) == 0; },
                               5000, &d));
    s.clearEvents();
    s.key("F5");
    EXPECT_TRUE(s.waitEvent("command 103"));
}
