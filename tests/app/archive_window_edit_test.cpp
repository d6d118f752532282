// Editing in the archive window on the headless backend: each kind of edit
// staged, refused, undone, redone and saved; the question for edits not
// saved; an archive changed on the disk before saving; quitting the program
// with edits not saved.
#include <chrono>
#include <filesystem>
#include <thread>

#include "app/archive_window.h"
#include "app/shell_fixture.h"
#include "app/sound_maker.h"
#include "ids/sound_id.h"
#include "ids/sound_id_database.h"
#include "io/fault_hook.h"
#include "testkit/game_reader.h"

namespace shelltest {

using namespace sonkrate::app;
using sonkrate::platform::ArchiveKey;
using sonkrate::platform::HeadlessArchiveWindow;
using sonkrate::platform::KeyPlace;
using sonkrate::platform::RowMark;

namespace {

std::string idOf(const std::string& name) { return sonkrate::ids::formatSoundId(sonkrate::ids::computeSoundId(name)); }

bool mentions(const std::vector<std::string>& texts, const std::string& words) {
    for (const std::string& t : texts)
        if (t.find(words) != std::string::npos) return true;
    return false;
}

}  // namespace

class ArchiveEditTest : public ShellTest {
protected:
    std::string writeThree() {
        TestSound a, b, c;
        a.name = "alpha";
        b.name = "beta", b.channels = 2, b.seconds = 2.0, b.adpcm = true, b.caption = "Run!\nNow";
        c.name = "gamma", c.channels = 2;
        const std::string path = scratch.file("Ambient.tpa");
        writeArchive(path, {a, b, c});
        (void)sonkrate::ids::appendSoundIdRecord(shell->paths().sndIdsDat, "alpha");
        (void)sonkrate::ids::appendSoundIdRecord(shell->paths().sndIdsDat, "beta");
        return path;
    }
    // A 16-bit PCM .wav of seconds of a tone.
    std::string writeWav(const std::string& name, double seconds, unsigned channels) {
        TestSound s;
        s.seconds = seconds, s.channels = channels;
        const testkit::Bytes data = soundData(s);
        const std::string path = scratch.file(name);
        testkit::Bytes wav(44);
        auto put = [&](std::size_t at, const char* four) { std::copy(four, four + 4, wav.begin() + static_cast<long>(at)); };
        put(0, "RIFF"), put(8, "WAVE"), put(12, "fmt "), put(36, "data");
        testkit::put32(wav, 4, static_cast<std::uint32_t>(36 + data.size()));
        testkit::put32(wav, 16, 16);
        testkit::put16(wav, 20, 1);
        testkit::put16(wav, 22, static_cast<std::uint16_t>(channels));
        testkit::put32(wav, 24, s.rate);
        testkit::put32(wav, 28, s.rate * channels * 2);
        testkit::put16(wav, 32, static_cast<std::uint16_t>(channels * 2));
        testkit::put16(wav, 34, 16);
        testkit::put32(wav, 40, static_cast<std::uint32_t>(data.size()));
        wav.insert(wav.end(), data.begin(), data.end());
        testkit::writeFile(path, wav);
        return path;
    }
    HeadlessArchiveWindow& w() { return *platform.archive(); }
    sonkrate::platform::ArchiveWindowFacts facts() { return shell->archiveWindow()->archiveWindowFacts(); }
    std::vector<std::string> states() {
        std::vector<std::string> out;
        for (const auto& row : facts().rows) out.push_back(row.state);
        return out;
    }
    std::vector<std::string> column(int c) {
        std::vector<std::string> out;
        for (int p = 0; p < w().rowCount(); ++p) out.push_back(w().cell(p, c));
        return out;
    }
    void edit(int position, int column, const std::string& text) {
        w().clickRow(position);
        w().slowClick(position, column);
        ASSERT_TRUE(w().editor().has_value());
        EXPECT_EQ(w().editor()->column, column);
        w().typeInCell(text);
    }
};

TEST_F(ArchiveEditTest, EveryEditIsStagedUndoneRedoneAndSaved) {
    start();
    const std::string path = writeThree();
    const testkit::Bytes original = testkit::readFile(path);
    const std::string voice = writeWav("voice.wav", 0.5, 1);
    const std::string extra = writeWav("door_creak.wav", 0.25, 2);
    shell->openFiles({path});
    ASSERT_TRUE(w().isOpen());
    EXPECT_EQ(facts().changes, 0);

    // Rename by F2; the identifier follows the name.
    w().clickRow(0);
    w().pressKey(ArchiveKey::F2, KeyPlace::Table);
    ASSERT_TRUE(w().editor().has_value());
    EXPECT_EQ(w().editor()->text, "alpha");
    w().typeInCell("alpha2");
    EXPECT_EQ(w().cell(0, kColId), idOf("alpha2"));
    EXPECT_EQ(w().title(), "Ambient.tpa* - Sonkrate");
    EXPECT_EQ(w().mark(0), RowMark::Changed);
    // Levels in place; the volume of gamma.
    edit(1, kColAttenuation, "2.5");
    edit(2, kColVolume, "-6");
    EXPECT_EQ(w().cell(1, kColAttenuation), "2.5");
    EXPECT_EQ(w().cell(2, kColVolume), "-6");
    // Replace beta (IMA ADPCM) by Ctrl+R: the row shows the staged sound, which is what plays.
    w().clickRow(1);
    w().answerFiles({voice});
    ASSERT_TRUE(w().pressShortcut("Ctrl+R"));
    EXPECT_EQ(w().cell(1, kColLength), "0:00.500");
    EXPECT_EQ(w().cell(1, kColFormat), "IMA ADPCM");
    EXPECT_EQ(w().cell(1, kColCaption), " Run! Now");  // the record's captions stay
    w().pressKey(ArchiveKey::Enter, KeyPlace::Table);
    ASSERT_EQ(played().size(), 1u);
    EXPECT_NEAR(static_cast<double>(testkit::fileSize(played()[0]) - 44), 0.5 * 22050 * 2, 2 * 2049.0);
    // Add by Ctrl+I: a row named from the file; remove gamma by Delete.
    w().answerFiles({extra});
    ASSERT_TRUE(w().pressShortcut("Ctrl+I"));
    ASSERT_EQ(w().rowCount(), 4);
    EXPECT_EQ(w().cell(3, kColName), "door_creak");
    EXPECT_EQ(w().cell(3, kColAttenuation), "1.5");  // as an add to the ambient archive gives
    w().clickRow(2);
    w().pressKey(ArchiveKey::Delete, KeyPlace::Table);
    EXPECT_EQ(states(), (std::vector<std::string>{"changed", "changed", "removed", "added"}));
    EXPECT_EQ(facts().changes, 4);
    EXPECT_NE(w().status().find("4 changes not saved"), std::string::npos) << w().status();

    // Undo everything, step by step; redo it.
    int steps = 0;
    while (facts().changes > 0 && steps < 20) {
        ASSERT_TRUE(w().pressShortcut("Ctrl+Z"));
        ++steps;
    }
    EXPECT_EQ(steps, 6);
    EXPECT_EQ(w().rowCount(), 3);
    EXPECT_EQ(w().title(), "Ambient.tpa - Sonkrate");
    EXPECT_EQ(column(kColName), (std::vector<std::string>{"alpha", "beta", "unknown"}));
    for (int i = 0; i < steps; ++i) ASSERT_TRUE(w().pressShortcut("Ctrl+Y"));
    EXPECT_EQ(states(), (std::vector<std::string>{"changed", "changed", "removed", "added"}));

    // Saved: the main window and this window show the saved archive.
    ASSERT_TRUE(w().pressShortcut("Ctrl+S"));
    testkit::expectGameReads(path);
    EXPECT_EQ(w().title(), "Ambient.tpa - Sonkrate");
    EXPECT_EQ(facts().changes, 0);
    EXPECT_EQ(platform.text(kEntriesField), "3");
    EXPECT_EQ(column(kColId), (std::vector<std::string>{idOf("alpha2"), idOf("beta"), idOf("door_creak")}));
    // The names given are kept in the database, as an add with --db keeps them.
    EXPECT_EQ(column(kColName), (std::vector<std::string>{"alpha2", "beta", "door_creak"}));
    EXPECT_EQ(column(kColLength)[1], "0:00.500");
    EXPECT_EQ(column(kColFormat)[1], "IMA ADPCM");
    EXPECT_EQ(column(kColAttenuation), (std::vector<std::string>{"0", "2.5", "1.5"}));
    EXPECT_EQ(states(), (std::vector<std::string>{"same", "same", "same"}));
    const testkit::Bytes saved = testkit::readFile(path);
    // alpha's image is kept byte for byte.
    EXPECT_TRUE(std::equal(original.begin() + testkit::u32(original, 28),
                           original.begin() + testkit::u32(original, 28) + testkit::u32(original, 32),
                           saved.begin() + testkit::u32(saved, 28)));
    EXPECT_TRUE(w().faults().empty()) << w().faults().front();
}

TEST_F(ArchiveEditTest, RefusedEditsSayWhyAndStageNothing) {
    start();
    const std::string path = writeThree();
    testkit::writeText(scratch.file("bad.wav"), "not a sound");
    testkit::writeText(scratch.file("bad.srt"), "1\nnot a time\nHello\n");
    shell->openFiles({path});
    edit(1, kColName, "ALPHA");
    EXPECT_TRUE(mentions(w().messages(), "is held by Record 0 (alpha)")) << w().messages().back();
    edit(1, kColAttenuation, "-1");
    EXPECT_TRUE(mentions(w().messages(), "below 0")) << w().messages().back();
    edit(1, kColVolume, "loud");
    EXPECT_TRUE(mentions(w().messages(), "\"loud\" is not a number")) << w().messages().back();
    edit(1, kColVolume, "3");
    EXPECT_TRUE(mentions(w().messages(), "above 0 dB")) << w().messages().back();
    w().clickRow(2);
    w().answerFiles({scratch.file("bad.wav")});
    ASSERT_TRUE(w().pressShortcut("Ctrl+R"));
    EXPECT_TRUE(mentions(w().messages(), "bad.wav")) << w().messages().back();
    w().answerFiles({scratch.file("bad.srt")});
    ASSERT_TRUE(w().chooseCommand(kCmdBrowserImportSubRip));
    EXPECT_TRUE(mentions(w().messages(), "bad.srt cannot be used as captions")) << w().messages().back();
    EXPECT_EQ(w().messages().size(), 6u);
    EXPECT_EQ(facts().changes, 0);
    EXPECT_EQ(w().title(), "Ambient.tpa - Sonkrate");
    EXPECT_FALSE(w().pressShortcut("Ctrl+Z") && facts().changes != 0);
    EXPECT_EQ(states(), (std::vector<std::string>{"same", "same", "same"}));

    // Several files added at once: the good one is added, the refusals come in one box.
    testkit::writeText(scratch.file("bad.aiff"), "not a sound either");
    const std::string good = writeWav("door.wav", 0.25, 1), taken = writeWav("alpha.wav", 0.25, 1);
    w().answerFiles({scratch.file("bad.wav"), good, taken, scratch.file("bad.aiff")});
    ASSERT_TRUE(w().pressShortcut("Ctrl+I"));
    ASSERT_EQ(w().messages().size(), 7u);
    const std::string& box = w().messages().back();
    EXPECT_NE(box.find("3 of 4 sounds were not added:"), std::string::npos) << box;
    EXPECT_NE(box.find("bad.wav"), std::string::npos) << box;
    EXPECT_NE(box.find("bad.aiff"), std::string::npos) << box;
    EXPECT_NE(box.find("\"alpha\""), std::string::npos) << box;
    EXPECT_EQ(states(), (std::vector<std::string>{"same", "same", "same", "added"}));
    EXPECT_EQ(w().cell(3, kColName), "door");
}

TEST_F(ArchiveEditTest, CaptionsAsSubRipTextInAndOut) {
    start();
    const std::string path = writeThree();
    shell->openFiles({path});
    w().clickRow(1);
    w().answerLongText("1\r\n00:00:00,000 --> 00:00:01,000\r\nStop\r\n\r\n2\r\n00:00:01,400 --> 00:00:02,000\r\nthere\r\n");
    ASSERT_TRUE(w().chooseCommand(kCmdBrowserCaptions));
    ASSERT_EQ(w().longTexts().size(), 1u);
    EXPECT_NE(w().longTexts()[0].find("Run!"), std::string::npos) << w().longTexts()[0];
    EXPECT_EQ(w().cell(1, kColCaption), " Stop  there");
    const std::string srt = scratch.file("out.srt");
    w().answerSaveFile(srt);
    ASSERT_TRUE(w().chooseCommand(kCmdBrowserExportSubRip));
    const std::string written = testkit::readText(srt);
    EXPECT_NE(written.find("1\r\n00:00:00,000 --> 00:00:01,000\r\nStop\r\n"), std::string::npos) << written;
    EXPECT_NE(written.find("2\r\n00:00:01,400 --> 00:00:02,000\r\nthere\r\n"), std::string::npos) << written;
    ASSERT_TRUE(w().pressShortcut("Ctrl+S"));
    testkit::expectGameReads(path);
    EXPECT_EQ(w().cell(1, kColCaption), " Stop  there");
}

TEST_F(ArchiveEditTest, EditsNotSavedAreAskedForAndAChangedFileIsNotOverwrittenUnasked) {
    start();
    const std::string path = writeThree();
    const testkit::Bytes original = testkit::readFile(path);
    shell->openFiles({path});
    edit(0, kColName, "first");
    // Closing: Cancel keeps the window and the edit; Don't save drops it.
    w().answerChoice(2);
    w().requestClose();
    EXPECT_TRUE(w().isOpen());
    EXPECT_EQ(facts().changes, 1);
    ASSERT_EQ(w().questions().size(), 1u);
    EXPECT_NE(w().questions()[0].find("Ambient.tpa has 1 change not saved"), std::string::npos);
    w().answerChoice(1);
    w().requestClose();
    EXPECT_FALSE(w().isOpen());
    EXPECT_EQ(testkit::readFile(path), original);

    // Opening another archive: Save writes the edits first.
    shell->openFiles({path});
    edit(0, kColName, "second");
    const std::string other = scratch.file("other.tpa");
    testkit::writeFile(other, original);
    w().answerChoice(0);
    shell->openFiles({other});
    EXPECT_EQ(shell->loadedArchive().archivePath, other);
    EXPECT_EQ(testkit::u32(testkit::readFile(path), 24), sonkrate::ids::computeSoundId("second"));

    // Written by another program since it was opened: asked before it is overwritten.
    shell->openFiles({path});
    const testkit::Bytes before = testkit::readFile(path);
    edit(1, kColVolume, "-3");
    std::filesystem::last_write_time(path, std::filesystem::last_write_time(path) + std::chrono::seconds(5));
    w().answerChoice(1);
    ASSERT_TRUE(w().pressShortcut("Ctrl+S"));
    EXPECT_TRUE(mentions(w().questions(), "was written by another program"));
    EXPECT_EQ(testkit::readFile(path), before);
    EXPECT_EQ(facts().changes, 1);
    // Its sounds moved: the edits cannot be saved from it at all.
    testkit::writeFile(path, original);
    ASSERT_TRUE(w().pressShortcut("Ctrl+S"));
    EXPECT_TRUE(mentions(w().messages(), "changed on the disk since it was opened"));
    EXPECT_EQ(testkit::readFile(path), original);
    // Save As to another file is refused too, as its sounds would come from the changed file;
    // opened again, the edit saves.
    w().answerChoice(1);
    shell->openFiles({path});
    edit(1, kColVolume, "-3");
    const std::string copy = scratch.file("copy.tpa");
    w().answerSaveFile(copy);
    ASSERT_TRUE(w().pressShortcut("Ctrl+Shift+S"));
    testkit::expectGameReads(copy);
    EXPECT_EQ(shell->loadedArchive().archivePath, copy);
    EXPECT_EQ(testkit::readFile(path), original);
}

// Before saving, the window shows and exports what the save will write: the
// row a sound is dropped on is chosen with its new waveform, staged captions
// are the ones shown, and an export before saving has the bytes of an export
// after it.
TEST_F(ArchiveEditTest, StagedSoundsAreShownAndExportedAsTheyWillBeSaved) {
    start();
    const std::string path = writeThree();
    const std::string voice = writeWav("voice.wav", 0.5, 1);
    shell->openFiles({path});
    w().clickRow(0);
    w().dropFiles(2, {voice});
    EXPECT_EQ(w().focusedRow(), 2);
    EXPECT_EQ(w().waveform().durationMs, 500u);
    EXPECT_EQ(w().waveform().channels, 1);

    w().clickRow(1);
    w().answerLongText("1\r\n00:00:00,000 --> 00:00:01,000\r\nStop\r\n");
    ASSERT_TRUE(w().chooseCommand(kCmdBrowserCaptions));
    EXPECT_NE(w().details().find("Stop"), std::string::npos) << w().details();
    EXPECT_EQ(w().details().find("Run!"), std::string::npos) << w().details();

    auto exportAll = [&](const std::string& folder, int command) {
        std::filesystem::create_directories(folder);
        w().clickRow(0);
        w().clickRow(2, true);
        w().answerFolder(folder);
        ASSERT_TRUE(w().chooseCommand(command));
        for (int i = 0; i < 4000 && w().progressShown(); ++i) {
            platform.tick(sonkrate::platform::kArchiveTimer);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    };
    const std::string before = scratch.file("before"), after = scratch.file("after");
    exportAll(before + "/cau", kCmdBrowserExportCau);
    exportAll(before + "/wav", kCmdBrowserExportWav);
    ASSERT_TRUE(w().pressShortcut("Ctrl+S"));
    testkit::expectGameReads(path);
    // The row chosen before saving is still chosen, with its picture.
    EXPECT_EQ(w().focusedRow(), 2);
    EXPECT_EQ(w().waveform().durationMs, 500u);
    exportAll(after + "/cau", kCmdBrowserExportCau);
    exportAll(after + "/wav", kCmdBrowserExportWav);
    int compared = 0;
    for (const auto& file : std::filesystem::recursive_directory_iterator(after)) {
        if (!file.is_regular_file()) continue;
        const std::string relative = std::filesystem::relative(file.path(), after).string();
        EXPECT_EQ(testkit::readFile(file.path().string()), testkit::readFile(before + "/" + relative)) << relative;
        ++compared;
    }
    EXPECT_EQ(compared, 6);
    // The replaced sound is the dropped file's: half a second of mono.
    EXPECT_EQ(testkit::readFile(after + "/wav/ambient_2.wav").size(), 44u + 22050u * 2 / 2);
}

// A damaged archive is shown, but every edit is refused with the reason,
// and nothing is staged or written.
TEST_F(ArchiveEditTest, ADamagedArchiveIsShownButNotEdited) {
    start();
    const std::string path = writeThree();
    testkit::Bytes bytes = testkit::readFile(path);
    bytes.resize(bytes.size() - 100);
    testkit::writeFile(path, bytes);
    shell->openFiles({path});
    ASSERT_TRUE(w().isOpen());
    EXPECT_EQ(w().rowCount(), 3);
    w().clickRow(0);
    w().pressKey(ArchiveKey::F2, KeyPlace::Table);
    EXPECT_FALSE(w().editor().has_value());
    w().pressKey(ArchiveKey::Delete, KeyPlace::Table);
    // Save is greyed and its key sends nothing; the command, should it still
    // arrive, is refused with the reason too.
    EXPECT_FALSE(w().pressShortcut("Ctrl+S"));
    shell->archiveWindow()->onArchiveCommand(kCmdBrowserSave);
    ASSERT_EQ(w().messages().size(), 3u);
    for (const std::string& m : w().messages()) {
        EXPECT_NE(m.find("Ambient.tpa cannot be edited. "), std::string::npos) << m;
        EXPECT_NE(m.find("past the end"), std::string::npos) << m;
    }
    EXPECT_EQ(facts().changes, 0);
    EXPECT_EQ(w().title(), "Ambient.tpa - Sonkrate");
    EXPECT_EQ(testkit::readFile(path), bytes);
    EXPECT_TRUE(w().faults().empty());
}

TEST_F(ArchiveEditTest, QuittingWithEditsNotSavedCanBeCancelledAndAFailedSaveKeepsTheProgram) {
    start();
    const std::string path = writeThree();
    const testkit::Bytes original = testkit::readFile(path);
    shell->openFiles({path});
    edit(0, kColName, "first");

    // Cancel and Escape keep the program running with the edit staged.
    for (int answer : {2, -1}) {
        w().answerChoice(answer);
        EXPECT_FALSE(platform.requestClose()) << answer;
        EXPECT_TRUE(platform.windowAlive());
        EXPECT_FALSE(platform.quitCode().has_value());
        EXPECT_TRUE(w().isOpen());
        EXPECT_EQ(facts().changes, 1);
    }
    ASSERT_EQ(w().questions().size(), 2u);
    EXPECT_NE(w().questions()[0].find("Ambient.tpa has 1 change not saved"), std::string::npos);

    // Save chosen, but a file-system call of the save fails: the program goes
    // on, the edit still staged and the archive as it was.
    for (std::uint64_t n = 1; n <= 6; ++n) {
        w().answerChoice(0);
        sonkrate::io::fault::arm(n);
        const bool closed = platform.requestClose();
        const bool fired = sonkrate::io::fault::fired();
        sonkrate::io::fault::disarm();
        ASSERT_TRUE(fired) << n;
        EXPECT_FALSE(closed) << n;
        EXPECT_FALSE(platform.quitCode().has_value()) << n;
        EXPECT_EQ(facts().changes, 1) << n;
        EXPECT_EQ(testkit::readFile(path), original) << n;
    }
    // Each says the archive was not saved and why, a read error not taken for a change on the disk.
    ASSERT_EQ(w().messages().size(), 6u);
    for (const std::string& m : w().messages()) {
        EXPECT_NE(m.find("The archive was not saved: "), std::string::npos) << m;
        EXPECT_NE(m.find("Ambient.tpa"), std::string::npos) << m;
    }

    // Save: the archive holds the edit, read as the game reads it, and the program ends.
    w().answerChoice(0);
    EXPECT_TRUE(platform.requestClose());
    EXPECT_EQ(platform.quitCode(), std::optional<int>(0));
    EXPECT_FALSE(platform.windowAlive());
    EXPECT_EQ(testkit::u32(testkit::readFile(path), 24), sonkrate::ids::computeSoundId("first"));
    testkit::expectGameReads(path);
    EXPECT_EQ(w().questions().size(), 9u);  // asked once per close, never again while the window went
    EXPECT_TRUE(w().faults().empty()) << w().faults().front();
}

TEST_F(ArchiveEditTest, QuittingWithoutSavingLeavesTheArchiveAsItWas) {
    start();
    const std::string path = writeThree();
    const testkit::Bytes original = testkit::readFile(path);
    shell->openFiles({path});
    edit(1, kColVolume, "-3");
    w().answerChoice(1);
    EXPECT_TRUE(platform.requestClose());
    EXPECT_EQ(platform.quitCode(), std::optional<int>(0));
    EXPECT_EQ(testkit::readFile(path), original);
    EXPECT_EQ(w().questions().size(), 1u);
    EXPECT_TRUE(w().faults().empty()) << w().faults().front();
}

TEST_F(ArchiveEditTest, AClosedSessionCannotBeRefusedButStillSavesTheEdits) {
    start();
    const std::string path = writeThree();
    shell->openFiles({path});
    edit(0, kColName, "kept");
    // The question offers Save and Don't save; Save writes the edit before the program ends.
    w().answerChoice(0);
    platform.closeWindow();
    EXPECT_EQ(platform.quitCode(), std::optional<int>(0));
    EXPECT_EQ(testkit::u32(testkit::readFile(path), 24), sonkrate::ids::computeSoundId("kept"));
    testkit::expectGameReads(path);
    EXPECT_EQ(w().questions().size(), 1u);
    EXPECT_TRUE(w().faults().empty()) << w().faults().front();
}

}  // namespace shelltest
