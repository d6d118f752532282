// The real window under Xvfb, driven like a person with xdotool: start-up
// and its working files, the controls where the window table puts them, the
// hover labels, Load_Tpa through the file chooser, playing an entry into
// SDL's disk driver, Save_as_Wav, automatic play stopped with the kill
// switch, Help_Files, and closing the window.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "app/command_ids.h"
#include "app/main_window.h"
#include "app/command_table.h"
#include "archive/edit/add_sound.h"
#include "archive/edit/default_sound.h"
#include "audio/cau/cau_header.h"
#include "desktop_archives.h"
#include "desktop_session.h"
#include "xdnd_source.h"

namespace fs = std::filesystem;
using namespace desktop_test;
using testkit::Bytes;
using testkit::quote;

namespace {

constexpr const char* kTitle = " sonkrate";
constexpr const char* kKillSwitchTitle = "Auto_Stop (KillSwitch)";
const char* const kWorkingFiles[] = {"entries.wav", "decoded.wav", "tmpConf.ini",
                                     "eel_edit.eel", "temp_eel.eel", "conversion.wav"};

// Everything a window test needs: a display, a scratch folder and the program.
struct Session {
    testkit::ScratchDir root;
    XServer x;
    std::unique_ptr<App> app;
    unsigned long window = 0;
    std::string why;

    bool start(const std::vector<std::pair<std::string, std::string>>& env = {},
               const std::vector<std::string>& arguments = {}) {
        if (!x.start(why)) return false;
        if (!testkit::haveTool("xdotool")) {
            why = "xdotool is not installed";
            return false;
        }
        app = std::make_unique<App>(root);
        if (!app->start(x.display(), env, arguments)) {
            why = "sonkrate could not be started";
            return false;
        }
        window = waitForWindow(x.display(), kTitle, 15000);
        if (!window) why = "no window titled \" sonkrate\" appeared; log: " + testkit::readText(app->logPath);
        return window != 0 && app->waitFor([](const UiDump& d) { return !d.line("control 2200").empty(); }, 10000);
    }
    UiDump dump() const { return app->dump(); }
};

#define START_OR_SKIP(session, ...)                                                  \
    do {                                                                             \
        if (!(session).start(__VA_ARGS__)) {                                         \
            if (!(session).app) GTEST_SKIP() << (session).why;                       \
            FAIL() << (session).why;                                                 \
        }                                                                            \
    } while (0)

// Load_Tpa, answering the chooser (which opens in the program's current
// folder, where the archive is) by typing the archive's name.
void loadArchive(Session& s, const std::string& tpa, int entries) {
    ASSERT_TRUE(chooseMenu(s.x.display(), *s.app, s.window, "File", 0));
    unsigned long chooser = waitForWindow(s.x.display(), "Open", 10000);
    ASSERT_NE(chooser, 0u) << "the file chooser did not open";
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    xdo(s.x.display(), "type --delay 40 " + quote(fs::path(tpa).filename().string()));
    xdo(s.x.display(), "key Return");
    UiDump d;
    ASSERT_TRUE(s.app->waitFor([&](const UiDump& u) { return u.controlText(4400) == std::to_string(entries); }, 10000, &d))
        << d.controlText(1500);
    EXPECT_EQ(d.line("trackbar 500"), "trackbar 500 1 " + std::to_string(entries) + " 1 1");
}

void expectWorkingFilesGone(const App& app) {
    for (const char* f : kWorkingFiles) EXPECT_FALSE(testkit::fileExists(app.appDir + "/" + f)) << f;
}

}  // namespace

TEST(Window, StartsWithItsControlsAndWorkingFilesAndClosesClean) {
    Session s;
    START_OR_SKIP(s);
    UiDump d = s.dump();

    // The window: its title, not resizable (fixed size), the client area below the menu.
    EXPECT_NE(d.line("window visible=1").find(" title= sonkrate"), std::string::npos) << d.line("window");
    auto geometry = xdo(s.x.display(), "getwindowgeometry " + std::to_string(s.window));
    EXPECT_NE(geometry.out.find("Geometry: 470x304"), std::string::npos) << geometry.out;

    // Every control of the table, at its place and size.
    for (const auto& control : sonkrate::app::controlTable()) {
        std::string l = d.line("control " + std::to_string(control.id) + " ");
        ASSERT_FALSE(l.empty()) << "control " << control.id << " missing";
        std::string place = " " + std::to_string(control.x) + " " + std::to_string(control.y) + " " +
                            std::to_string(control.width) + " " + std::to_string(control.height) + " text=";
        EXPECT_NE(l.find(place), std::string::npos) << l;
    }
    EXPECT_EQ(d.controlText(3100), "0");
    EXPECT_EQ(d.controlText(4400), "0");
    EXPECT_EQ(d.controlText(2000), "Sound ID:");
    EXPECT_FALSE(d.controlEnabled(500));
    EXPECT_FALSE(d.controlShown(1150));
    EXPECT_FALSE(d.controlShown(1250));

    // The menu: eight pop-ups in order, three items grayed.
    std::vector<std::string> titles;
    for (const auto& l : d.lines)
        if (l.rfind("menu-title ", 0) == 0) titles.push_back(l.substr(l.find(' ', l.find(' ', 11) + 1) + 1));
    EXPECT_EQ(titles, (std::vector<std::string>{"File", "Auto", "Save", "Convert", "Options", "*eels", "Build", "Help"}));
    for (const auto& popup : sonkrate::app::menuTable())
        for (const auto& item : popup.items)
            EXPECT_EQ(d.line("menu-item " + std::to_string(item.commandId) + " "),
                      "menu-item " + std::to_string(item.commandId) + " " + (item.grayed ? "0 " : "1 ") +
                          std::string(item.text));

    // The replacement sound and the fresh sound list beside the program.
    EXPECT_TRUE(testkit::fileExists(s.app->appDir + "/missing.cau"));
    EXPECT_TRUE(testkit::fileExists(s.app->appDir + "/temp_eel.eel"));
    std::vector<std::string> items = d.listItems(2200);
    EXPECT_EQ(items, (std::vector<std::string>{"MISSING", s.app->appDir + "/missing.cau"}));
    EXPECT_TRUE(fs::is_directory(s.app->documents + "/Tpa_Wavs"));
    if (testkit::haveTool("import")) {
        std::string shot = screenshot(s.x.display(), "window_at_start");
        EXPECT_GT(testkit::fileSize(shot), 1000u);
    }

    // The hover labels follow the pointer across their strips (client y 39
    // is window y 63, below the 24-pixel menu bar).
    std::string w = std::to_string(s.window);
    xdo(s.x.display(), "mousemove --window " + w + " 215 63");
    EXPECT_TRUE(s.app->waitFor([](const UiDump& u) { return u.controlShown(1150) && !u.controlShown(1250); }, 5000));
    xdo(s.x.display(), "mousemove --window " + w + " 240 64");
    EXPECT_TRUE(s.app->waitFor([](const UiDump& u) { return !u.controlShown(1150) && u.controlShown(1250); }, 5000));
    xdo(s.x.display(), "mousemove --window " + w + " 240 100");
    EXPECT_TRUE(s.app->waitFor([](const UiDump& u) { return !u.controlShown(1150) && !u.controlShown(1250); }, 5000));

    // The check box switches the Sound ID field off; a second click back on.
    clickAt(s.x.display(), s.window, 445 + 7, 158 + 24 + 14);
    EXPECT_TRUE(s.app->waitFor([](const UiDump& u) { return u.line("check 2650") == "check 2650 1" && !u.controlEnabled(1900); }, 5000));
    clickAt(s.x.display(), s.window, 445 + 7, 158 + 24 + 14);
    EXPECT_TRUE(s.app->waitFor([](const UiDump& u) { return u.line("check 2650") == "check 2650 0" && u.controlEnabled(1900); }, 5000));

    // A click on the listed path of the replacement sound plays that file:
    // it is IMA ADPCM, so the device gets what the shell decoded into
    // decoded.wav.
    clickAt(s.x.display(), s.window, 60, 190 + 24 + 19);
    ASSERT_TRUE(s.app->waitFor([](const UiDump& u) { return u.field("sound ", "plays") == 1; }, 5000))
        << s.dump().line("list 2200");
    std::string played = s.dump().line("sound ");
    std::string decoded = s.app->appDir + "/decoded.wav";
    EXPECT_EQ(played.substr(played.find(" file=") + 6), decoded);
    Bytes pcm = testkit::readFile(decoded);
    ASSERT_GT(pcm.size(), 44u + 4096u);
    Bytes start(pcm.begin() + 44, pcm.begin() + 44 + 4096);
    EXPECT_TRUE(eventually([&] { return contains(testkit::readFile(s.app->audioPath), start); }, 5000));

    // Closing: exit code 0, the six working files gone, the replacement kept.
    ASSERT_TRUE(closeWindow(s.x.display(), s.window));
    EXPECT_EQ(s.app->waitExit(10000), std::optional<int>(0));
    expectWorkingFilesGone(*s.app);
    EXPECT_TRUE(testkit::fileExists(s.app->appDir + "/missing.cau"));
}

TEST(Window, LoadsPlaysAndSavesAnEntryThroughTheRealControls) {
    Session s;
    START_OR_SKIP(s);
    std::vector<Bytes> added;
    std::string tpa = makeArchive(s.root, "sounds.tpa", 1, &added);
    loadArchive(s, tpa, 2);

    // "-->" plays entry 0, the default sound: the device receives exactly
    // the samples that the command-line tool extracts.
    std::string expectedWav = s.root.file("entry0.wav");
#ifdef SONKRATE_CLI_PATH
    auto extracted = testkit::run(quote(SONKRATE_CLI_PATH) + " extract " + quote(tpa) + " 0 " + quote(expectedWav));
    ASSERT_EQ(extracted.exitCode, 0) << extracted.err;
#else
    GTEST_SKIP() << "sonkrate-cli is not built";
#endif
    Bytes expected = testkit::readFile(expectedWav);
    Bytes samples(expected.begin() + 44, expected.end());
    ASSERT_EQ(samples.size(), sonkrate::archive::kDefaultSoundDataSize);

    clickAt(s.x.display(), s.window, 253 + 20, 15 + 24 + 12);
    UiDump d;
    ASSERT_TRUE(s.app->waitFor([](const UiDump& u) { return u.controlText(3100) == "1"; }, 5000, &d));
    EXPECT_EQ(d.controlText(2850), "F0A07BD9");
    EXPECT_EQ(d.controlText(1500), "No Caption data. ..");
    EXPECT_EQ(d.field("sound ", "plays"), 1);
    EXPECT_EQ(d.line("timer 1 "), "timer 1 running=1 period=100");
    EXPECT_TRUE(eventually([&] { return contains(testkit::readFile(s.app->audioPath), samples); }, 10000))
        << "the disk driver's output does not hold the entry's samples";

    // Save > Save_as_Wav: the entry as it was played, in Documents/Tpa_Wavs.
    ASSERT_TRUE(chooseMenu(s.x.display(), *s.app, s.window, "Save", 0));
    std::string saved = s.app->documents + "/Tpa_Wavs/sounds_0.wav";
    ASSERT_TRUE(eventually([&] { return testkit::fileExists(saved) && testkit::fileSize(saved) == expected.size(); }, 5000));
    EXPECT_TRUE(testkit::readFile(saved) == expected);
    EXPECT_TRUE(s.app->waitFor(
        [](const UiDump& u) { return u.controlText(1500) == "tpa entry saved as .wav (documents/tpa_wavs folder)"; }, 5000));

    // The next entry is the added sound; the device file then holds it.
    clickAt(s.x.display(), s.window, 253 + 20, 15 + 24 + 12);
    ASSERT_TRUE(s.app->waitFor([](const UiDump& u) { return u.controlText(3100) == "2"; }, 5000));
    EXPECT_TRUE(eventually([&] { return contains(testkit::readFile(s.app->audioPath), added[0]); }, 10000));
    // "-->" at the last entry is refused with a beep.
    int refused = s.dump().field("beeps ", "refused");
    clickAt(s.x.display(), s.window, 253 + 20, 15 + 24 + 12);
    EXPECT_TRUE(s.app->waitFor([&](const UiDump& u) { return u.field("beeps ", "refused") == refused + 1; }, 5000));

    ASSERT_TRUE(closeWindow(s.x.display(), s.window));
    EXPECT_EQ(s.app->waitExit(10000), std::optional<int>(0));
    expectWorkingFilesGone(*s.app);
}

TEST(Window, AnInstalledWindowOpensTheArchiveItIsGiven) {
    Session s;
    std::string tpa = makeArchive(s.root, "given sounds.tpa", 1, nullptr);
    // Installed as the package installs it: the mark beside the program.
    fs::create_directories(s.root.file("app"));
    testkit::writeText(s.root.file("app/sonkrate.installed"), "installed\n");
    START_OR_SKIP(s, {}, {tpa});
    UiDump d;
    EXPECT_TRUE(s.app->waitFor([](const UiDump& u) { return u.controlText(4400) == "2"; }, 10000, &d))
        << "#Entries shows " << d.controlText(4400);
    EXPECT_EQ(d.controlText(1500), "There are 2 entries within selected tpa file . .. ");
    // The working files are the user's, not the installed program's.
    EXPECT_FALSE(fs::exists(s.app->appDir + "/missing.cau"));
    EXPECT_TRUE(fs::exists(s.app->home + "/.local/share/sonkrate/missing.cau"));
    ASSERT_TRUE(closeWindow(s.x.display(), s.window));
    EXPECT_EQ(s.app->waitExit(10000), std::optional<int>(0));
}

TEST(Window, FilesDroppedOnTheWindowAreOpened) {
    Session s;
    START_OR_SKIP(s);
    std::string tpa = makeArchive(s.root, "dropped sounds.tpa", 2, nullptr);
    // As a file manager drops it: a URI with escapes, CR LF.
    std::string uri = "file://";
    for (char c : tpa) uri += c == ' ' ? std::string("%20") : std::string(1, c);
    std::string why;
    // A spot of the client area with no control on it, below the menu bar.
    ASSERT_TRUE(desktop_test::dropUris(s.x.display(), s.window, 20, 50, uri + "\r\n", why)) << why;
    UiDump d;
    EXPECT_TRUE(s.app->waitFor([](const UiDump& u) { return u.controlText(4400) == "3"; }, 10000, &d))
        << "#Entries shows " << d.controlText(4400) << "; log: " << testkit::readText(s.app->logPath);
    EXPECT_EQ(d.controlText(1500), "There are 3 entries within selected tpa file . .. ");
    ASSERT_TRUE(closeWindow(s.x.display(), s.window));
    EXPECT_EQ(s.app->waitExit(10000), std::optional<int>(0));
}

TEST(Window, AutoPlayEndsWhenTheKillSwitchIsPressed) {
    Session s;
    START_OR_SKIP(s);
    // Each entry waits its whole seconds plus one: eight entries would take
    // about eight seconds without the stop.
    std::string tpa = makeArchive(s.root, "long.tpa", 7, nullptr);
    loadArchive(s, tpa, 8);

    ASSERT_TRUE(chooseMenu(s.x.display(), *s.app, s.window, "Auto", 0));
    unsigned long killSwitch = waitForWindow(s.x.display(), kKillSwitchTitle, 10000);
    ASSERT_NE(killSwitch, 0u) << "the kill switch did not appear";
    EXPECT_EQ(s.dump().field("window ", "minimised"), 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    int refusedBefore = s.dump().field("beeps ", "refused");
    clickAt(s.x.display(), killSwitch, 130, 58);  // its Stop button
    ASSERT_TRUE(eventually([&] { return testkit::readText(s.app->appDir + "/tmpConf.ini") == "1"; }, 5000))
        << "Stop did not write the flag";

    // Automatic play ends after the entry that plays; the window comes back
    // and the kill switch is closed.
    UiDump d;
    ASSERT_TRUE(s.app->waitFor(
        [](const UiDump& u) { return u.field("window ", "minimised") == 0 && u.field("kill-switch ", "pid") == -1; },
        8000, &d));
    EXPECT_TRUE(eventually([&] { return findWindows(s.x.display(), kKillSwitchTitle).empty(); }, 5000));
    int reached = std::stoi(d.controlText(3100));
    EXPECT_GE(reached, 1);
    EXPECT_LT(reached, 8) << "automatic play went on to the last entry";
    // Stopped early: no refusal beep, which only the end of the archive gives.
    EXPECT_EQ(d.field("beeps ", "refused"), refusedBefore);
    // The window takes commands again.
    clickAt(s.x.display(), s.window, 253 + 20, 15 + 24 + 12);
    EXPECT_TRUE(s.app->waitFor([&](const UiDump& u) { return u.controlText(3100) == std::to_string(reached + 1); }, 5000));

    ASSERT_TRUE(closeWindow(s.x.display(), s.window));
    EXPECT_EQ(s.app->waitExit(10000), std::optional<int>(0));
    expectWorkingFilesGone(*s.app);
}

TEST(Window, HelpFilesHandsTheHelpFileToTheDesktop) {
    // A stand-in for xdg-open that notes what it was given and answers as
    // the file says.
    testkit::ScratchDir tools;
    std::string noted = tools.file("opened.txt"), answer = tools.file("answer");
    testkit::writeText(tools.file("xdg-open"),
                       "#!/bin/sh\nprintf '%s' \"$1\" > " + quote(noted) + "\nexit $(cat " + quote(answer) + ")\n");
    fs::permissions(tools.file("xdg-open"), fs::perms::owner_all);
    testkit::writeText(answer, "0");
    Session s;
    START_OR_SKIP(s, {{"PATH", tools.path() + ":" + std::string(std::getenv("PATH") ? std::getenv("PATH") : "/usr/bin")}});
    bool helpBuilt = testkit::fileExists(s.app->appDir + "/Sonkrate-help.chm");
    if (helpBuilt) {
        Bytes chm = testkit::readFile(s.app->appDir + "/Sonkrate-help.chm");
        ASSERT_GT(chm.size(), 4096u);
        EXPECT_EQ(testkit::text(chm, 0, 4), "ITSF");  // a compiled HTML help file
    }

    ASSERT_TRUE(chooseMenu(s.x.display(), *s.app, s.window, "Help", 0));
    if (helpBuilt) {
        ASSERT_TRUE(eventually([&] { return testkit::fileExists(noted); }, 5000));
        EXPECT_EQ(testkit::readText(noted), s.app->appDir + "/Sonkrate-help.chm");
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        EXPECT_EQ(s.dump().field("message-boxes ", "count"), 0);
        fs::remove(noted);
    }

    // When the desktop cannot open it, the window says so in a box.
    testkit::writeText(answer, "3");
    ASSERT_TRUE(chooseMenu(s.x.display(), *s.app, s.window, "Help", 0));
    UiDump d;
    ASSERT_TRUE(s.app->waitFor([](const UiDump& u) { return u.field("message-boxes ", "open") == 1; }, 8000, &d));
    EXPECT_EQ(d.line("message-caption "), "message-caption Error -Sonkrate");
    EXPECT_EQ(d.line("message-text "), "message-text Help file could not be opened...");
    if (testkit::haveTool("import")) screenshot(s.x.display(), "help_could_not_be_opened");
    xdo(s.x.display(), "key Return");
    EXPECT_TRUE(s.app->waitFor([](const UiDump& u) { return u.field("message-boxes ", "open") == 0; }, 5000));

    ASSERT_TRUE(closeWindow(s.x.display(), s.window));
    EXPECT_EQ(s.app->waitExit(10000), std::optional<int>(0));
}

TEST(Window, WithoutADisplayTheProgramSaysSoAndFails) {
    testkit::ScratchDir root;
    App app(root);
    ASSERT_TRUE(app.start(":2147483"));
    EXPECT_EQ(app.waitExit(10000), std::optional<int>(1));
    std::string log = testkit::readText(app.logPath);
    EXPECT_NE(log.find("Window Creation Failed!"), std::string::npos) << log;
}
