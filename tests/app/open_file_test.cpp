// Files given to the window (its argument, a drop on the program's icon or
// on the window) are taken by the command that opens their kind, with the
// same texts, beeps, sounds and state as when that command's dialog chose them.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/open_file.h"
#include "app/shell_fixture.h"
#include "app/sound_maker.h"
#include "audio/convert/cau_to_wav.h"

using namespace shelltest;
using namespace sonkrate::app;

namespace {

// What a user sees and hears, without the dialogs.
std::vector<std::string> seen(const std::vector<Record>& journal) {
    std::vector<std::string> out;
    for (const auto& r : journal) {
        if (r.kind == RecordKind::OpenDialog) continue;
        out.push_back(std::to_string(static_cast<int>(r.kind)) + " " + std::to_string(r.id) + " " + r.text + " " +
                      std::to_string(static_cast<int>(r.beep)));
    }
    return out;
}

class OpenFileTest : public ShellTest {
protected:
    void SetUp() override {
        start();
        std::vector<TestSound> sounds(3);
        for (int i = 0; i < 3; ++i) sounds[i].seconds = 1.0 + 0.2 * i;
        writeArchive(scratch.file("Effects.tpa"), sounds);
        TestSound captioned;
        captioned.caption = "A door slams";
        writeCau(scratch.file("door.cau"), captioned);
        platform.answerDialog(scratch.file("list.eel"));
        ASSERT_TRUE(platform.chooseMenu(kCmdSaveEel));
        // A PCM .wav, as the core writes one from a .cau.
        ASSERT_TRUE(sonkrate::audio::cauToWav(scratch.file("door.cau"), scratch.file("tone.wav")).ok());
        testkit::writeText(scratch.file("notes.txt"), "not a sound\r\n");
        clear();
    }

    void setUpPlatform(HeadlessPlatform& p) {
        p.setExecutablePath(inBin("sonkrate"));
        p.setDocumentsFolder(docsDir());
        p.setUserDataFolder(scratch.file("data"));
    }

    // What a fresh shell shows after being given path.
    std::vector<std::string> given(const std::string& path) {
        HeadlessPlatform p;
        setUpPlatform(p);
        Shell s(p);
        EXPECT_TRUE(s.startUp());
        p.clearJournal();
        s.openFiles({path});
        EXPECT_TRUE(p.faults().empty());
        return seen(p.journal());
    }

    // What a fresh shell shows after command, its dialog answered with path.
    std::vector<std::string> byCommand(int command, const std::string& path) {
        HeadlessPlatform p;
        setUpPlatform(p);
        Shell s(p);
        EXPECT_TRUE(s.startUp());
        p.clearJournal();
        p.answerDialog(path);
        EXPECT_TRUE(p.chooseMenu(command));
        return seen(p.journal());
    }

    // The #Entries field of a program started with path, before the user acts.
    std::string entriesAtStart(const std::string& path) {
        HeadlessPlatform p;
        setUpPlatform(p);
        std::string entries;
        p.queueAction([&] { entries = p.control(kEntriesField)->text; });
        EXPECT_EQ(runSonkrate(p, {path}), 0);
        for (const auto& r : p.journal()) EXPECT_NE(r.kind, RecordKind::OpenDialog);
        return entries;
    }
};

}  // namespace

TEST_F(OpenFileTest, EachKindIsTakenAsItsCommandTakesIt) {
    struct Case {
        std::string file;
        int command;
    } cases[] = {
        {"Effects.tpa", kCmdLoadTpa}, {"door.cau", kCmdPlayCau},      {"list.eel", kCmdLoadEel},
        {"tone.wav", kCmdPlayWav},    {"absent.tpa", kCmdLoadTpa},    {"absent.cau", kCmdPlayCau},
        {"absent.eel", kCmdLoadEel},  {"absent.wav", kCmdPlayWav},
    };
    for (const auto& c : cases) {
        const std::string path = scratch.file(c.file);
        std::vector<std::string> opened = given(path);
        EXPECT_FALSE(opened.empty()) << c.file;
        EXPECT_EQ(opened, byCommand(c.command, path)) << c.file;
    }
}

TEST_F(OpenFileTest, AnArchiveGivenAtStartIsLoadedBeforeTheUserActs) {
    EXPECT_EQ(entriesAtStart(scratch.file("Effects.tpa")), "3");
    // Extensions in any case, and names without one by their first bytes.
    std::filesystem::copy_file(scratch.file("Effects.tpa"), scratch.file("effects-copy"));
    std::filesystem::copy_file(scratch.file("door.cau"), scratch.file("door-copy"));
    EXPECT_EQ(givenFileKind(scratch.file("EFFECTS.TPA")), GivenFileKind::Archive);
    EXPECT_EQ(givenFileKind(scratch.file("effects-copy")), GivenFileKind::Archive);
    EXPECT_EQ(givenFileKind(scratch.file("door-copy")), GivenFileKind::CauSound);
    EXPECT_EQ(givenFileKind(scratch.file("x.Cau")), GivenFileKind::CauSound);
    EXPECT_EQ(givenFileKind(scratch.file("x.AIFF")), GivenFileKind::ForeignSound);
    EXPECT_EQ(givenFileKind(scratch.file("x.snd")), GivenFileKind::ForeignSound);
    // Play_Wav leaves mixed-case sound extensions alone, so they are not its.
    EXPECT_EQ(givenFileKind(scratch.file("x.Wav")), GivenFileKind::Unknown);
    EXPECT_EQ(givenFileKind(scratch.file("notes.txt")), GivenFileKind::Unknown);
    EXPECT_EQ(entriesAtStart(scratch.file("effects-copy")), "3");
    EXPECT_EQ(entriesAtStart(scratch.file("notes.txt")), "0");
}

TEST_F(OpenFileTest, UnknownAndUnreadableFilesAreRefusedWithTheirName) {
    const std::string notes = scratch.file("notes.txt");
    std::vector<std::string> shown = given(notes);
    ASSERT_EQ(shown.size(), 3u);  // a beep, the status cleared, the text
    EXPECT_NE(shown[0].find(std::to_string(static_cast<int>(Beep::Refused))), std::string::npos);
    EXPECT_NE(shown[2].find("File not opened . . . " + notes + " is not an archive (.tpa)"), std::string::npos);

    const std::string absent = scratch.file("absent-file");
    shown = given(absent);
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_NE(shown[2].find("File not opened . . . " + absent + " could not be read."), std::string::npos);
}

TEST_F(OpenFileTest, FilesDroppedOnTheWindowAreTakenInOrder) {
    platform.dropFiles({scratch.file("Effects.tpa"), scratch.file("door.cau")});
    EXPECT_EQ(platform.control(kEntriesField)->text, "3");
    EXPECT_EQ(shell->loadedArchive().entryCount, 3u);
    ASSERT_FALSE(played().empty());
    EXPECT_EQ(played().back(), shell->paths().entriesWav);
    EXPECT_TRUE(shell->state().cauChosen);
    EXPECT_FALSE(shell->state().lastWasEntry);
    EXPECT_NE(status().find("A door slams"), std::string::npos);
    EXPECT_TRUE(records(RecordKind::OpenDialog).empty());
    // Save_as_Wav would keep the dropped .cau beside it.
    EXPECT_EQ(shell->state().cauWavPath, scratch.file("door.wav"));
    EXPECT_TRUE(platform.faults().empty());
}
