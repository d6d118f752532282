#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "app/main_window.h"
#include "app/command_table.h"
#include "app/shell_fixture.h"
#include "app/work_paths.h"

#include <unistd.h>

namespace fs = std::filesystem;
using namespace shelltest;
using namespace sonkrate::app;
namespace io = sonkrate::io;
using sonkrate::platform::ControlKind;
using sonkrate::platform::CreationPhase;
using sonkrate::platform::MessageIcon;

TEST(MainWindowTable, WindowIsCentredWithHalvesKeptIn16Bits) {
    auto window = mainWindowDescription({1024, 768});
    EXPECT_EQ(window.title, " sonkrate");
    EXPECT_EQ(window.className, " sonkrate");
    EXPECT_EQ(window.x, 512 - 208);
    EXPECT_EQ(window.y, 384 - 155);
    EXPECT_EQ(window.width, 476);
    EXPECT_EQ(window.height, 326);
    EXPECT_EQ(window.smallIconId, 50);
    // 70000 / 2 = 35000 does not fit in 16 signed bits and wraps to -30536.
    auto wrapped = mainWindowDescription({70000, 300});
    EXPECT_EQ(wrapped.x, -30536 - 208);
    EXPECT_EQ(wrapped.y, 150 - 155);
}

TEST_F(ShellTest, StartUpBuildsEveryControlInItsPhaseWithItsInitialState) {
    start();
    EXPECT_TRUE(platform.faults().empty()) << platform.faults().front();
    EXPECT_TRUE(platform.windowShown());
    EXPECT_EQ(platform.windowTitle(), " sonkrate");

    // The seven buttons and the trackbar come with the window, the four
    // bitmap statics last.
    const auto& order = platform.creationOrder();
    ASSERT_EQ(order.size(), 27u);
    std::vector<int> first(order.begin(), order.begin() + 8);
    EXPECT_EQ(first, (std::vector<int>{200, 1100, 300, 400, 2700, 2750, 2650, 500}));
    EXPECT_EQ(order[8], kProgressBar);
    std::vector<int> last(order.end() - 4, order.end());
    EXPECT_EQ(last, (std::vector<int>{1150, 1250, 1200, 1300}));

    struct Expected {
        int id;
        const char* text;
        bool guiFont;
    };
    const Expected expected[] = {
        {kStatusLine, "", true},        {kSoundIdInput, "", true},   {kSoundIdLabel, "Sound ID:", true},
        {kNumberLabel, "#", true},      {kNumberField, "0", true},   {kEntriesLabel, "#Entries", true},
        {kEntriesField, "0", true},     {kCrcLabel, "Crc:", true},   {kCrcField, "", true},
        {kIdsLabel, "IDs:", true},      {kIdsField, "", true},       {kFileNamesLabel, "Use File_Names:", true},
        {kCaptionInput, "", true},      {kNextButton, "-->", false}, {kReplayButton, "<>", false},
        {kPreviousButton, "<--", false}, {kStopButton, "[ ]", false}, {kAddListingButton, "+", false},
        {kRemoveListingButton, "-", false}, {kTrackbar, "Trackbar Control", false},
    };
    for (const auto& e : expected) {
        const auto* c = platform.control(e.id);
        ASSERT_NE(c, nullptr) << e.id;
        EXPECT_EQ(c->text, e.text) << e.id;
        EXPECT_EQ(c->description.guiFont, e.guiFont) << e.id;
    }

    for (const auto& control : controlTable()) {
        const auto* c = platform.control(control.id);
        ASSERT_NE(c, nullptr);
        bool hidden = control.id == kRepeatLabel || control.id == kStopLabel;
        EXPECT_EQ(c->shown, !hidden) << control.id;
        EXPECT_EQ(c->enabled, control.id != kTrackbar) << control.id;
    }
    EXPECT_EQ(platform.control(kProgressBar)->position, 0);
    EXPECT_FALSE(platform.control(kFileNamesCheckBox)->checked);
    EXPECT_EQ(platform.control(kIdsField)->description.style & sonkrate::platform::kUpperCase,
              unsigned{sonkrate::platform::kUpperCase});
    EXPECT_FALSE(platform.timerRunning());
    // Start-up itself says nothing and beeps nothing.
    EXPECT_TRUE(statusTexts().empty());
    EXPECT_TRUE(beeps().empty());
}

TEST_F(ShellTest, MenuStartsWithOnlyBetaToRetailAndTheAddCommandsGrayed) {
    start();
    const auto& menu = platform.menu();
    ASSERT_EQ(menu.size(), 23u);
    std::vector<std::string> popups;
    for (const auto& item : menu)
        if (popups.empty() || popups.back() != item.popup) popups.push_back(item.popup);
    EXPECT_EQ(popups, (std::vector<std::string>{"File", "Auto", "Save", "Convert", "Options", "*eels", "Build", "Help"}));

    const std::map<int, std::string> texts = {
        {100, "Load_Tpa"},      {4500, "Archive_Window"}, {600, "Play_Cau"},       {1800, "Play_Wav"},      {800, "Auto_Play"},
        {1350, "Save_as_Wav"},  {1600, "Save_as_Cau"},   {3700, "SaveAll_Cau"},   {3900, "SaveAll_Wav"},
        {1650, "Wav_to_Cau"},   {3800, "Cau_to_Wav"},    {3400, "*Dir_to_Caus"},  {3200, "Beta_to_Retail"},
        {1850, "Add_Cau"},      {1700, "Add_Wav"},       {2050, "New_Tpa"},       {4200, "UpDater_"},
        {2500, "Load_*eel"},    {2450, "Save_*eel"},     {3300, "*caus to *eel"}, {2400, "*eel_to_*tpa"},
        {3500, "*caus_to_*tpa"}, {2100, "Help_Files"},
    };
    for (const auto& [id, text] : texts) {
        const auto* item = platform.menuItem(id);
        ASSERT_NE(item, nullptr) << id;
        EXPECT_EQ(item->text, text);
        bool grayed = id == kCmdBetaToRetail || id == kCmdAddCau || id == kCmdAddWav;
        EXPECT_EQ(item->enabled, !grayed) << text;
    }
    // A grayed item cannot be chosen.
    EXPECT_FALSE(platform.chooseMenu(kCmdAddCau));
    EXPECT_TRUE(beeps().empty());
}

// With nothing loaded, played or listed, the commands that need one of them
// are refused with a beep alone; an id that names no command is ignored.
TEST_F(ShellTest, CommandsThatNeedAnArchiveASoundOrAListingAreRefusedWithABeep) {
    start();
    for (int id : {kNextButton, kPreviousButton, kReplayButton, kRemoveListingButton, kCmdSaveAsWav, kCmdSaveAsCau,
                   kCmdSaveAllCau, kCmdSaveAllWav, kCmdBetaToRetail, kCmdEelToTpa}) {
        clear();
        platform.command(id, 0);
        EXPECT_EQ(beeps(), (std::vector<Beep>{Beep::Refused})) << id;
        EXPECT_TRUE(statusTexts().empty()) << id;
        EXPECT_TRUE(records(RecordKind::MessageBox).empty()) << id;
        EXPECT_TRUE(records(RecordKind::OpenDialog).empty()) << id;
        EXPECT_TRUE(records(RecordKind::SaveDialog).empty()) << id;
    }
    clear();
    platform.command(kStatusLine, 0);
    platform.command(12345, 0);
    EXPECT_TRUE(beeps().empty());
    EXPECT_TRUE(statusTexts().empty());
}

TEST_F(ShellTest, WorkingFilesLieBesideTheProgramAndTpaWavsIsMade) {
    start();
    const WorkPaths& p = shell->paths();
    EXPECT_EQ(p.exeDir, binDir());
    EXPECT_EQ(p.workDir, binDir());
    EXPECT_EQ(p.entriesWav, inBin("entries.wav"));
    EXPECT_EQ(p.tmpConfIni, inBin("tmpConf.ini"));
    EXPECT_EQ(p.tempEel, inBin("temp_eel.eel"));
    EXPECT_EQ(p.missingCau, inBin("missing.cau"));
    EXPECT_EQ(p.sndIdsDat, inBin("SndIds.dat"));
    EXPECT_EQ(p.conversionWav, inBin("conversion.wav"));
    EXPECT_EQ(p.helpFile, inBin("Sonkrate-help.chm"));
    EXPECT_EQ(p.wavsDir, wavsDir());
    EXPECT_EQ(p.streamTpa, io::joinPath(wavsDir(), "Stream.tpa"));
    EXPECT_EQ(p.logFile, io::joinPath(wavsDir(), "tpa_logs.log"));
    EXPECT_TRUE(fs::is_directory(wavsDir()));
    // The probe used to test the folder is gone again.
    for (const auto& entry : fs::directory_iterator(binDir()))
        EXPECT_EQ(entry.path().filename().string().find(".sonkrate"), std::string::npos);
}

TEST_F(ShellTest, AFileNamedTpaWavsCountsAsFoundAndAMissingDocumentsFolderIsMade) {
    testkit::writeText(docsDir() + "/Tpa_Wavs", "not a folder");
    start();
    EXPECT_TRUE(fs::is_regular_file(wavsDir()));
    EXPECT_EQ(testkit::readText(wavsDir()), "not a folder");

    HeadlessPlatform other;
    other.setExecutablePath(inBin("sonkrate"));
    other.setDocumentsFolder(scratch.file("nowhere/Documents"));
    WorkPaths p = computeWorkPaths(other);
    EXPECT_TRUE(fs::is_directory(scratch.file("nowhere/Documents/Tpa_Wavs")));
    EXPECT_EQ(p.wavsDir, io::joinPath(scratch.file("nowhere/Documents"), "Tpa_Wavs"));
}

TEST_F(ShellTest, AProgramFolderThatCannotBeWrittenSendsTheWorkingFilesToTheDataFolder) {
    // A folder that does not exist cannot be written, whatever the rights.
    platform.setExecutablePath(scratch.file("gone/bin/sonkrate"));
    WorkPaths gone = computeWorkPaths(platform);
    EXPECT_EQ(gone.exeDir, scratch.file("gone/bin"));
    EXPECT_EQ(gone.workDir, scratch.file("data"));
    EXPECT_EQ(gone.tempEel, io::joinPath(scratch.file("data"), "temp_eel.eel"));
    EXPECT_EQ(gone.helpFile, io::joinPath(scratch.file("gone/bin"), "Sonkrate-help.chm"));
    EXPECT_FALSE(fs::exists(scratch.file("gone")));
}

TEST_F(ShellTest, AReadOnlyProgramFolderSendsTheWorkingFilesToTheDataFolder) {
    fs::permissions(binDir(), fs::perms::owner_read | fs::perms::owner_exec);
    if (access(binDir().c_str(), W_OK) == 0) {
        fs::permissions(binDir(), fs::perms::owner_all);
        GTEST_SKIP() << "running with rights that ignore folder permissions";
    }
    WorkPaths p = computeWorkPaths(platform);
    fs::permissions(binDir(), fs::perms::owner_all);
    EXPECT_EQ(p.exeDir, binDir());
    EXPECT_EQ(p.workDir, scratch.file("data"));
    EXPECT_EQ(p.entriesWav, scratch.file("data/entries.wav"));
    EXPECT_EQ(p.tmpConfIni, scratch.file("data/tmpConf.ini"));
    // The program's own files stay where the program is.
    EXPECT_EQ(p.helpFile, inBin("Sonkrate-help.chm"));
    EXPECT_EQ(p.killSwitchExe.rfind(binDir(), 0), 0u);
    EXPECT_TRUE(fs::is_directory(scratch.file("data")));
}

TEST_F(ShellTest, WindowFailuresAreShownAndTheProgramReturnsZero) {
    platform.failWindowRegistration();
    EXPECT_EQ(runSonkrate(platform), 0);
    auto boxes = records(RecordKind::MessageBox);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Window Registration Failed!");
    EXPECT_EQ(boxes[0].caption, "Error!");
    EXPECT_EQ(boxes[0].icon, MessageIcon::Warning);

    HeadlessPlatform second;
    second.setExecutablePath(inBin("sonkrate"));
    second.setDocumentsFolder(docsDir());
    second.failWindowCreation();
    EXPECT_EQ(runSonkrate(second), 0);
    ASSERT_EQ(second.journal().size(), 1u);
    EXPECT_EQ(second.journal()[0].text, "Window Creation Failed!");
    EXPECT_FALSE(second.windowCreated());
}

TEST_F(ShellTest, ClosingDeletesTheSixWorkingFilesEvenWhenNoneExisted) {
    start();
    const WorkPaths& p = shell->paths();
    platform.closeWindow();
    EXPECT_EQ(platform.quitCode(), 0);
    for (const auto& path : p.filesDeletedAtExit()) EXPECT_FALSE(testkit::fileExists(path)) << path;
    EXPECT_TRUE(platform.faults().empty());
}

namespace {

// Notes, when the sound is stopped, whether the working files are still there.
class WatchingPlatform : public HeadlessPlatform {
public:
    std::vector<std::string> watched;
    int stopsWithFilesPresent = 0;
    void stopSound() override {
        bool all = !watched.empty();
        for (const auto& path : watched) all = all && testkit::fileExists(path);
        if (all) ++stopsWithFilesPresent;
        HeadlessPlatform::stopSound();
    }
};

}  // namespace

TEST(ShellShutDown, ClosingStopsTheSoundBeforeDeletingAndKeepsTheOtherFiles) {
    testkit::ScratchDir scratch;
    fs::create_directories(scratch.file("bin"));
    WatchingPlatform platform;
    platform.setExecutablePath(scratch.file("bin/sonkrate"));
    platform.setDocumentsFolder(scratch.file("docs"));
    Shell shell(platform);
    ASSERT_TRUE(shell.startUp());
    const WorkPaths& p = shell.paths();
    for (const auto& path : p.filesDeletedAtExit()) testkit::writeText(path, "x");
    for (const auto& path : {p.missingCau, p.sndIdsDat, p.tpaData, p.tempWav, p.auSampRaw})
        testkit::writeText(path, "kept");
    auto six = p.filesDeletedAtExit();
    platform.watched.assign(six.begin(), six.end());
    platform.playWavAsync(p.entriesWav);
    platform.startTimer(sonkrate::platform::kTimer1, 100);

    platform.closeWindow();
    EXPECT_EQ(platform.stopsWithFilesPresent, 1);
    EXPECT_FALSE(platform.playing());
    EXPECT_FALSE(platform.timerRunning());
    EXPECT_EQ(platform.quitCode(), 0);
    for (const auto& path : p.filesDeletedAtExit()) EXPECT_FALSE(testkit::fileExists(path)) << path;
    for (const auto& path : {p.missingCau, p.sndIdsDat, p.tpaData, p.tempWav, p.auSampRaw})
        EXPECT_EQ(testkit::readText(path), "kept") << path;
}

TEST_F(ShellTest, TheMessageLoopRunsTheUsersActionsAndEndsWithZero) {
    platform.queueAction([&] { platform.chooseMenu(kCmdUpdater); });
    platform.queueAction([&] { platform.chooseMenu(kCmdUpdater); });
    EXPECT_EQ(runSonkrate(platform), 0);
    EXPECT_FALSE(platform.windowAlive());
    EXPECT_EQ(beeps().size(), 2u);
}

TEST_F(ShellTest, StartUpWritesTheReplacementSoundOnlyWhenItIsMissing) {
    start();
    testkit::Bytes made = testkit::readFile(inBin("missing.cau"));
    ASSERT_EQ(made.size(), 22156u);
    EXPECT_EQ(testkit::text(made, 0, 4), "WBOR");
    EXPECT_EQ(testkit::u32(made, 12), 2056u);

    // A second start leaves an existing file alone, even one that differs.
    testkit::writeText(inBin("missing.cau"), "my own replacement");
    HeadlessPlatform second;
    second.setExecutablePath(inBin("sonkrate"));
    second.setDocumentsFolder(docsDir());
    Shell again(second);
    ASSERT_TRUE(again.startUp());
    EXPECT_EQ(testkit::readText(inBin("missing.cau")), "my own replacement");
}

TEST_F(ShellTest, AnInstalledProgramKeepsItsWorkingFilesInTheDataFolderEvenWhenItsFolderIsWritable) {
    testkit::writeText(inBin("sonkrate.installed"), "installed\r\n");
    start();
    const WorkPaths& p = shell->paths();
    EXPECT_EQ(p.exeDir, binDir());
    EXPECT_EQ(p.workDir, scratch.file("data"));
    EXPECT_TRUE(fs::exists(scratch.file("data/missing.cau")));
    EXPECT_TRUE(fs::exists(scratch.file("data/temp_eel.eel")));
    EXPECT_EQ(p.killSwitchExe.rfind(binDir(), 0), 0u);
    // Nothing of the window's own is made beside the program.
    for (const auto& entry : fs::directory_iterator(binDir()))
        EXPECT_EQ(entry.path().filename().string(), "sonkrate.installed");
    // A folder named like the marker does not count.
    fs::remove(inBin("sonkrate.installed"));
    fs::create_directory(inBin("sonkrate.installed"));
    EXPECT_EQ(computeWorkPaths(platform).workDir, binDir());
}
