// The archive window driven on the headless backend: opening from the menu
// and from a given archive, rows and cells, sorting, the filter and the status
// line, the selection kept in step with the main window, play and the
// waveform, export, names, verify and records that cannot be decoded.
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "app/archive_window.h"
#include "app/shell_fixture.h"
#include "app/sound_maker.h"
#include "audio/convert/cau_to_pcm_wav.h"
#include "ids/sound_id.h"
#include "ids/sound_id_database.h"

namespace shelltest {

using namespace sonkrate::app;
using sonkrate::platform::ArchiveKey;
using sonkrate::platform::HeadlessArchiveWindow;
using sonkrate::platform::KeyPlace;
using sonkrate::platform::RowMark;

namespace {

std::string idOf(const std::string& name) { return sonkrate::ids::formatSoundId(sonkrate::ids::computeSoundId(name)); }

// 16-bit samples of a .wav.
std::vector<std::int16_t> samplesOf(const std::string& wav) {
    testkit::Bytes data = wavData(testkit::readFile(wav));
    std::vector<std::int16_t> s(data.size() / 2);
    for (std::size_t i = 0; i < s.size(); ++i) s[i] = static_cast<std::int16_t>(testkit::u16(data, 2 * i));
    return s;
}

}  // namespace

class ArchiveWindowTest : public ShellTest {
protected:
    // alpha (1.5 s PCM mono), beta (2 s IMA ADPCM stereo, captioned), gamma
    // (1.5 s PCM stereo, no name in the database).
    std::vector<TestSound> threeSounds() {
        TestSound a, b, c;
        a.name = "alpha";
        b.name = "beta", b.channels = 2, b.seconds = 2.0, b.adpcm = true, b.caption = "Run!\nNow";
        c.name = "gamma", c.channels = 2;
        return {a, b, c};
    }
    std::string writeThree() {
        const std::string path = scratch.file("Ambient.tpa");
        writeArchive(path, threeSounds());
        (void)sonkrate::ids::appendSoundIdRecord(shell->paths().sndIdsDat, "alpha");
        (void)sonkrate::ids::appendSoundIdRecord(shell->paths().sndIdsDat, "beta");
        return path;
    }
    HeadlessArchiveWindow& w() { return *platform.archive(); }
    std::vector<std::string> column(int c) {
        std::vector<std::string> out;
        for (int p = 0; p < w().rowCount(); ++p) out.push_back(w().cell(p, c));
        return out;
    }
    std::string number() { return platform.text(kNumberField); }
    // Ticks the window's timer until its long work is done (bounded).
    void settle() {
        for (int i = 0; i < 4000 && w().progressShown(); ++i) {
            platform.tick(sonkrate::platform::kArchiveTimer);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }
    std::vector<std::string> boxes() {
        std::vector<std::string> out;
        for (const Record& r : records(RecordKind::MessageBox)) out.push_back(r.text);
        return out;
    }
};

TEST_F(ArchiveWindowTest, OpensFromTheMenuAndForAGivenArchiveButNotForABadOne) {
    start();
    const std::string path = writeThree();
    // The item stands after Load_Tpa in the File menu.
    const auto& menu = platform.menu();
    ASSERT_GE(menu.size(), 2u);
    EXPECT_EQ(menu[0].text, "Load_Tpa");
    EXPECT_EQ(menu[1].text, "Archive_Window");
    EXPECT_EQ(menu[1].popup, "File");
    EXPECT_EQ(menu[1].commandId, kCmdArchiveWindow);

    // Nothing loaded: the Load_Tpa dialog asks first; a cancel opens nothing.
    platform.cancelDialog();
    ASSERT_TRUE(platform.chooseMenu(kCmdArchiveWindow));
    EXPECT_EQ(records(RecordKind::OpenDialog).size(), 1u);
    EXPECT_TRUE(platform.archive() == nullptr || !w().isOpen());
    platform.answerDialog(path);
    ASSERT_TRUE(platform.chooseMenu(kCmdArchiveWindow));
    ASSERT_NE(platform.archive(), nullptr);
    EXPECT_TRUE(w().isOpen());
    EXPECT_EQ(w().title(), "Ambient.tpa - Sonkrate");
    EXPECT_EQ(w().rowCount(), 3);
    EXPECT_EQ(platform.text(kEntriesField), "3");
    EXPECT_TRUE(platform.timerRunning(sonkrate::platform::kArchiveTimer));
    w().requestClose();
    EXPECT_FALSE(w().isOpen());
    EXPECT_FALSE(platform.timerRunning(sonkrate::platform::kArchiveTimer));

    // Given to the program: loaded as before, and the window opens.
    shell->openFiles({path});
    EXPECT_TRUE(w().isOpen());
    EXPECT_EQ(shell->loadedArchive().archivePath, path);

    // An archive that cannot be read: the window closes; given to the program
    // the status line names it, asked for through the menu a box does.
    const std::string bad = scratch.file("bad.tpa");
    testkit::writeText(bad, "P\x01");
    clear();
    shell->openFiles({bad});
    EXPECT_FALSE(w().isOpen());
    EXPECT_NE(status().find(bad), std::string::npos) << status();
    platform.answerDialog(bad);
    ASSERT_TRUE(platform.chooseMenu(kCmdArchiveWindow));
    ASSERT_EQ(boxes().size(), 1u);
    EXPECT_NE(boxes()[0].find(bad), std::string::npos) << boxes()[0];
    EXPECT_FALSE(w().isOpen());
    EXPECT_TRUE(platform.faults().empty());
}

TEST_F(ArchiveWindowTest, RowsShowEachRecordsFactsAndSortByAnyColumnBothWays) {
    start();
    const std::string path = writeThree();
    // Record 1 plays at -18 dB with a master volume of 0.5.
    testkit::Bytes bytes = testkit::readFile(path);
    testkit::put32(bytes, 24 + 56 + 12, 0xC1900000u);
    testkit::put32(bytes, 24 + 56 + 16, 0x3F000000u);
    testkit::writeFile(path, bytes);
    shell->openFiles({path});
    EXPECT_EQ(column(kColIndex), (std::vector<std::string>{"0", "1", "2"}));
    EXPECT_EQ(column(kColName), (std::vector<std::string>{"alpha", "beta", "unknown"}));
    EXPECT_EQ(column(kColId), (std::vector<std::string>{idOf("alpha"), idOf("beta"), idOf("gamma")}));
    EXPECT_EQ(column(kColLength), (std::vector<std::string>{"0:01.500", "0:02.000", "0:01.500"}));
    EXPECT_EQ(column(kColRate), (std::vector<std::string>{"22050", "22050", "22050"}));
    EXPECT_EQ(column(kColChannels), (std::vector<std::string>{"1", "2", "2"}));
    EXPECT_EQ(column(kColBits), (std::vector<std::string>{"16", "16", "16"}));
    EXPECT_EQ(column(kColFormat), (std::vector<std::string>{"PCM", "IMA ADPCM", "PCM"}));
    EXPECT_EQ(column(kColCaption), (std::vector<std::string>{"", " Run! Now", ""}));
    EXPECT_EQ(column(kColAttenuation), (std::vector<std::string>{"0", "-18", "0"}));
    EXPECT_EQ(column(kColVolume), (std::vector<std::string>{"0", "0.5", "0"}));
    EXPECT_EQ(column(kColShared), (std::vector<std::string>{"", "", ""}));
    EXPECT_EQ(w().status(), "3 sounds, 2 named, 1 unknown, 0.2 MB");

    // Length ascending keeps ties in record order; again: descending, ties still in record order.
    w().clickHeader(kColLength);
    EXPECT_EQ(column(kColIndex), (std::vector<std::string>{"0", "2", "1"}));
    EXPECT_EQ(w().sortColumn(), kColLength);
    EXPECT_FALSE(w().sortDescending());
    w().clickHeader(kColLength);
    EXPECT_EQ(column(kColIndex), (std::vector<std::string>{"1", "0", "2"}));
    EXPECT_TRUE(w().sortDescending());
    // Text: by name; another column starts ascending again.
    w().clickHeader(kColName);
    EXPECT_EQ(column(kColName), (std::vector<std::string>{"alpha", "beta", "unknown"}));
    w().clickHeader(kColName);
    EXPECT_EQ(column(kColName), (std::vector<std::string>{"unknown", "beta", "alpha"}));
    // Floats by value, not by their text or bits: -18 before 0.
    w().clickHeader(kColAttenuation);
    EXPECT_EQ(column(kColIndex), (std::vector<std::string>{"1", "0", "2"}));
    w().clickHeader(kColIndex);
    w().clickHeader(kColIndex);
    EXPECT_EQ(column(kColIndex), (std::vector<std::string>{"2", "1", "0"}));

    sonkrate::platform::ArchiveWindowFacts facts = shell->archiveWindow()->archiveWindowFacts();
    EXPECT_EQ(facts.sortColumn, "#");
    EXPECT_TRUE(facts.descending);
    ASSERT_EQ(facts.rows.size(), 3u);
    EXPECT_EQ(facts.rows[0].record, 2u);
    EXPECT_EQ(facts.rows[1].format, "ima-adpcm");
    EXPECT_EQ(facts.rows[1].lengthMs, 2000u);
    EXPECT_EQ(facts.rows[0].state, "same");
}

TEST_F(ArchiveWindowTest, FilterKeysAndTheSelectionInStepWithTheMainWindow) {
    start();
    shell->openFiles({writeThree()});
    // By name, by identifier, by caption, without regard to case.
    w().typeFilter("ALP");
    EXPECT_EQ(column(kColName), (std::vector<std::string>{"alpha"}));
    EXPECT_EQ(w().status(), "1 of 3 shown - 3 sounds, 2 named, 1 unknown, 0.2 MB");
    w().typeFilter(idOf("gamma").substr(2, 5));
    EXPECT_EQ(column(kColIndex), (std::vector<std::string>{"2"}));
    w().typeFilter("run!");
    EXPECT_EQ(column(kColIndex), (std::vector<std::string>{"1"}));
    // Down moves to the first row shown, selected; it becomes the main window's entry.
    w().pressKey(ArchiveKey::Down, KeyPlace::Filter);
    EXPECT_EQ(w().selectedRows(), (std::vector<int>{0}));
    EXPECT_FALSE(w().filterFocused());
    EXPECT_EQ(shell->state().currentIndex, 1);
    EXPECT_EQ(number(), "2");
    EXPECT_EQ(platform.trackbarPosition(kTrackbar), 2);
    EXPECT_NE(w().details().find("0:00.0 - 0:02.0  Run!"), std::string::npos) << w().details();
    EXPECT_TRUE(played().empty());
    // Esc clears the filter; the selection stays on its record.
    w().pressKey(ArchiveKey::Escape, KeyPlace::Filter);
    EXPECT_EQ(w().filterText(), "");
    EXPECT_EQ(w().rowCount(), 3);
    EXPECT_EQ(w().selectedRows(), (std::vector<int>{1}));
    EXPECT_EQ(w().status(), "3 sounds, 2 named, 1 unknown, 0.2 MB");
    // Accelerators: Ctrl+F goes to the filter, Ctrl+A selects every row.
    ASSERT_TRUE(w().pressShortcut("Ctrl+F"));
    EXPECT_TRUE(w().filterFocused());
    ASSERT_TRUE(w().pressShortcut("Ctrl+A"));
    EXPECT_EQ(w().selectedRows(), (std::vector<int>{0, 1, 2}));
    // Shift and Ctrl select several.
    w().clickRow(0);
    w().clickRow(2, true);
    EXPECT_EQ(w().selectedRows(), (std::vector<int>{0, 1, 2}));
    w().clickRow(1, false, true);
    EXPECT_EQ(shell->archiveWindow()->archiveWindowFacts().selected, (std::vector<std::uint32_t>{0, 2}));
    EXPECT_EQ(number(), "2");

    // Stepping in the main window selects the row.
    w().clickRow(0);
    EXPECT_EQ(shell->state().currentIndex, 0);
    ASSERT_TRUE(platform.click(kNextButton));
    EXPECT_EQ(shell->state().currentIndex, 1);
    EXPECT_EQ(w().selectedRows(), (std::vector<int>{1}));
    EXPECT_EQ(w().focusedRow(), 1);
    EXPECT_TRUE(platform.faults().empty());
}

TEST_F(ArchiveWindowTest, PlaysTheEntrysOwnSoundWithAWaveformAndACursor) {
    start();
    std::vector<TestSound> sounds = threeSounds();
    const std::string path = writeThree();
    shell->openFiles({path});
    w().clickRow(1);
    // The waveform of the stereo sound: a column per pixel, both channels.
    EXPECT_EQ(w().waveform().columns, 600);
    EXPECT_EQ(w().waveform().channels, 2);
    EXPECT_EQ(w().waveform().durationMs, 2000u);
    // The tone of the left channel reaches about 8000, the right about 4000.
    int highLeft = 0, highRight = 0;
    for (int c = 0; c < 600; ++c) {
        highLeft = std::max<int>(highLeft, w().waveform().peaks[2 * c].maximum);
        highRight = std::max<int>(highRight, w().waveform().peaks[2 * c + 1].maximum);
    }
    EXPECT_NEAR(highLeft, 8000, 400);
    EXPECT_NEAR(highRight, 4000, 400);

    clear();
    w().pressKey(ArchiveKey::Enter, KeyPlace::Table);
    ASSERT_EQ(played().size(), 1u);
    // The sound played is the entry's, decoded, in the window's own working file.
    const std::string reference = scratch.file("reference.wav");
    EXPECT_NE(played()[0], shell->paths().entriesWav);
    EXPECT_NE(played()[0], shell->paths().decodedWav);
    const std::uint32_t betaOffset = 24 + 3 * 56 + static_cast<std::uint32_t>(soundImage(sounds[0]).size());
    ASSERT_TRUE(sonkrate::audio::cauToPcmWav(path, betaOffset, soundImage(sounds[1]).size(), reference,
                                             sonkrate::io::Durability::Scratch)
                    .ok());
    EXPECT_EQ(samplesOf(played()[0]), samplesOf(reference));
    // The cursor moves with the clock, and goes when the sound has ended.
    platform.tick(sonkrate::platform::kArchiveTimer);
    EXPECT_EQ(w().cursor(), std::optional<std::uint64_t>(50));
    EXPECT_TRUE(shell->archiveWindow()->archiveWindowFacts().playing);
    // Space stops.
    w().pressKey(ArchiveKey::Space, KeyPlace::Table);
    EXPECT_EQ(records(RecordKind::StopSound).size(), 1u);
    EXPECT_FALSE(w().cursor().has_value());

    // A click in the middle of the waveform plays from there.
    clear();
    w().clickWaveform(0.5);
    ASSERT_EQ(played().size(), 1u);
    const std::vector<std::int16_t> whole = samplesOf(reference), half = samplesOf(played()[0]);
    const std::size_t skipped = 22050 * 2;  // one second of stereo frames
    ASSERT_EQ(half.size() + skipped, whole.size());
    EXPECT_TRUE(std::equal(half.begin(), half.end(), whole.begin() + static_cast<long>(skipped)));
    for (int i = 0; i < 40; ++i) platform.tick(sonkrate::platform::kArchiveTimer);
    EXPECT_FALSE(w().cursor().has_value());
    EXPECT_FALSE(shell->archiveWindow()->archiveWindowFacts().playing);

    // Play on select plays each row the selection reaches.
    clear();
    w().togglePlayOnSelect();
    w().clickRow(2);
    EXPECT_EQ(played().size(), 1u);
    EXPECT_TRUE(platform.faults().empty());
}

TEST_F(ArchiveWindowTest, ARecordThatCannotBeDecodedKeepsItsRowAndSaysSoWhenPlayed) {
    start();
    const std::string path = writeThree();
    // Record 1's header copy in the table claims compression 7.
    testkit::Bytes bytes = testkit::readFile(path);
    bytes[24 + 56 + 20 + 30] = 7;
    testkit::writeFile(path, bytes);
    shell->openFiles({path});
    EXPECT_EQ(w().rowCount(), 3);
    EXPECT_EQ(w().mark(1), RowMark::Error);
    EXPECT_EQ(w().mark(0), RowMark::None);
    EXPECT_EQ(w().cell(1, kColFormat), "compression 7");
    clear();
    w().doubleClickRow(1);
    EXPECT_TRUE(played().empty());
    EXPECT_EQ(beeps(), (std::vector<Beep>{Beep::Refused}));
    EXPECT_EQ(w().status().rfind("Record 1 (beta) cannot be played: ", 0), 0u) << w().status();
    EXPECT_NE(w().details().find("Record 1 (beta) cannot be played"), std::string::npos);
    // The others still play.
    w().doubleClickRow(0);
    EXPECT_EQ(played().size(), 1u);
}

TEST_F(ArchiveWindowTest, ExportsTheSelectedRowsAndNamesTheOneThatCouldNotBeWritten) {
    start();
    shell->openFiles({writeThree()});
    const std::string out = scratch.file("out");
    std::filesystem::create_directories(out);
    // A folder where alpha.wav would go: that file cannot be written.
    std::filesystem::create_directories(out + "/alpha.wav");
    w().clickRow(0);
    w().clickRow(2, false, true);
    w().answerFolder(out);
    clear();
    ASSERT_TRUE(w().pressShortcut("Ctrl+E"));
    EXPECT_TRUE(w().progressShown());
    settle();
    EXPECT_FALSE(w().progressShown());
    ASSERT_EQ(boxes().size(), 1u);
    EXPECT_NE(boxes()[0].find("Exported 1 of 2 sounds into " + out), std::string::npos) << boxes()[0];
    EXPECT_NE(boxes()[0].find("Record 0 (alpha)"), std::string::npos) << boxes()[0];
    // Unknown names are numbered as export-all numbers them; the .wav is decoded PCM.
    EXPECT_TRUE(testkit::fileExists(out + "/ambient_2.wav"));
    EXPECT_FALSE(testkit::fileExists(out + "/beta.wav"));

    // As .cau: the image with "WBOR" first.
    w().clickRow(1);
    w().answerFolder(out);
    ASSERT_TRUE(w().chooseCommand(kCmdBrowserExportCau));
    settle();
    EXPECT_EQ(testkit::readFile(out + "/beta.cau"), soundImage(threeSounds()[1]));
    EXPECT_TRUE(w().faults().empty());
}

TEST_F(ArchiveWindowTest, FindNamesReadsAFolderPastUnreadableFilesAndWritesTheDatabase) {
    start();
    shell->openFiles({writeThree()});
    const std::string game = scratch.file("game");
    std::filesystem::create_directories(game + "/sub");
    testkit::writeText(game + "/sub/level.scn", "object { sound = \"Gamma\"; }");
    const std::string locked = game + "/locked.bin";
    testkit::writeText(locked, "nothing");
    std::filesystem::permissions(locked, std::filesystem::perms::none);
    const bool lockHolds = !std::ifstream(locked).good();  // not when run with every right

    w().answerFolder(game);
    clear();
    ASSERT_TRUE(w().chooseCommand(kCmdBrowserFindNames));
    settle();
    EXPECT_EQ(column(kColName), (std::vector<std::string>{"alpha", "beta", "gamma"}));
    EXPECT_EQ(w().status(), "3 sounds, 3 named, 0 unknown, 0.2 MB");
    const std::string db = testkit::readText(shell->paths().sndIdsDat);
    EXPECT_NE(db.find("\"" + idOf("gamma") + "\" \"gamma\"\r\n"), std::string::npos) << db;
    ASSERT_EQ(boxes().size(), 1u);
    if (lockHolds) {
        EXPECT_NE(boxes()[0].find(locked), std::string::npos) << boxes()[0];
    }
    std::filesystem::permissions(locked, std::filesystem::perms::owner_all);

    // The main window names it too.
    w().clickRow(2);
    ASSERT_TRUE(platform.click(kPreviousButton));
    ASSERT_TRUE(platform.click(kNextButton));
    EXPECT_EQ(shell->state().soundName, "gamma");

    // A second run finds nothing new and appends nothing.
    w().answerFolder(game);
    ASSERT_TRUE(w().chooseCommand(kCmdBrowserFindNames));
    settle();
    EXPECT_EQ(testkit::readText(shell->paths().sndIdsDat), db);

    // Guess names: a pattern; a refused pattern says why.
    w().answerText(std::string("gam\\"));
    clear();
    ASSERT_TRUE(w().chooseCommand(kCmdBrowserGuessNames));
    ASSERT_EQ(boxes().size(), 1u);
    EXPECT_NE(boxes()[0].find("lone"), std::string::npos) << boxes()[0];
}

TEST_F(ArchiveWindowTest, FindNamesVariesTheNamesTheDatabaseHoldsAsNamesDoes) {
    start();
    TestSound known, unknown;
    known.name = "amb-01";
    unknown.name = "amb-02";
    const std::string path = scratch.file("amb.tpa");
    writeArchive(path, {known, unknown});
    (void)sonkrate::ids::appendSoundIdRecord(shell->paths().sndIdsDat, "amb-01");
    shell->openFiles({path});
    EXPECT_EQ(column(kColName), (std::vector<std::string>{"amb-01", "unknown"}));
    // A folder with nothing to find: the name comes from varying "amb-01".
    const std::string empty = scratch.file("empty");
    std::filesystem::create_directories(empty);
    w().answerFolder(empty);
    ASSERT_TRUE(w().chooseCommand(kCmdBrowserFindNames));
    settle();
    EXPECT_EQ(column(kColName), (std::vector<std::string>{"amb-01", "amb-02"}));
}

TEST_F(ArchiveWindowTest, CancelEndsFindNamesWithNothingWritten) {
    start();
    shell->openFiles({writeThree()});
    const std::string db = testkit::readText(shell->paths().sndIdsDat);
    // Far more to read than the moment between the start and the cancel allows.
    const std::string game = scratch.file("game");
    std::filesystem::create_directories(game);
    const std::string filler(64 * 1024, 'x');
    for (int i = 0; i < 300; ++i) testkit::writeText(game + "/f" + std::to_string(i) + ".txt", filler + " gamma ");
    w().answerFolder(game);
    ASSERT_TRUE(w().chooseCommand(kCmdBrowserFindNames));
    EXPECT_TRUE(w().progressShown());
    // A second piece of long work is refused while this one runs.
    clear();
    ASSERT_TRUE(w().pressShortcut("F5"));
    EXPECT_EQ(beeps(), (std::vector<Beep>{Beep::Refused}));
    w().pressCancel();
    settle();
    EXPECT_FALSE(w().progressShown());
    EXPECT_EQ(w().status(), "Names: cancelled; nothing was written.");
    EXPECT_EQ(testkit::readText(shell->paths().sndIdsDat), db);
    EXPECT_EQ(w().cell(2, kColName), "unknown");
}

TEST_F(ArchiveWindowTest, VerifyMarksTheRecordsWithFindingsAndListsTheErrors) {
    start();
    const std::string path = writeThree();
    // Record 2's header copy claims twice the sound there is.
    testkit::Bytes bytes = testkit::readFile(path);
    testkit::put32(bytes, 24 + 2 * 56 + 20 + 20, testkit::u32(bytes, 24 + 2 * 56 + 20 + 20) * 2);
    testkit::writeFile(path, bytes);
    shell->openFiles({path});
    clear();
    ASSERT_TRUE(w().pressShortcut("F5"));
    settle();
    EXPECT_EQ(w().mark(0), RowMark::None);
    EXPECT_NE(w().mark(2), RowMark::None);
    w().clickRow(2);
    EXPECT_NE(w().details().find("decoded"), std::string::npos) << w().details();
    EXPECT_EQ(w().status().rfind("Verify: ", 0), 0u) << w().status();
}

}  // namespace shelltest
