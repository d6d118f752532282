// The archive window's menu on the headless backend: its groups parted by
// dividers, and items greyed while they cannot act (nothing to undo, redo or
// save, no row chosen, an archive that cannot be edited), their accelerators
// sending nothing then.
#include "app/archive_window.h"
#include "app/shell_fixture.h"
#include "app/sound_maker.h"
#include "ids/sound_id_database.h"

namespace shelltest {

using namespace sonkrate::app;
using sonkrate::platform::HeadlessArchiveWindow;
using Items = std::vector<std::string>;

class ArchiveMenuTest : public ShellTest {
protected:
    std::string writeThree(bool beta = false) {
        TestSound a, b, c;
        a.name = "alpha", b.name = "beta", c.name = "gamma";
        const std::string path = scratch.file(beta ? "Old.tpa" : "Ambient.tpa");
        if (beta)
            writeBeta24(path, {a, b, c});
        else
            writeArchive(path, {a, b, c});
        (void)sonkrate::ids::appendSoundIdRecord(shell->paths().sndIdsDat, "alpha");
        (void)sonkrate::ids::appendSoundIdRecord(shell->paths().sndIdsDat, "beta");
        return path;
    }
    HeadlessArchiveWindow& w() { return *platform.archive(); }
    // The commands among these whose items are usable.
    std::vector<int> usable(const std::vector<int>& commands) {
        std::vector<int> out;
        for (int c : commands)
            if (w().commandEnabled(c)) out.push_back(c);
        return out;
    }
    void rename(int position, const std::string& name) {
        w().clickRow(position);
        w().slowClick(position, kColName);
        ASSERT_TRUE(w().editor().has_value());
        w().typeInCell(name);
    }
};

// Every command whose item depends on the state of the window.
const std::vector<int> kStateful = {
    kCmdBrowserSave,         kCmdBrowserSaveAs,       kCmdBrowserUndo,         kCmdBrowserRedo,
    kCmdBrowserReplace,      kCmdBrowserAdd,          kCmdBrowserRemove,       kCmdBrowserRename,
    kCmdBrowserCaptions,     kCmdBrowserImportSubRip, kCmdBrowserExportSubRip, kCmdBrowserRevert,
    kCmdBrowserExportWav,    kCmdBrowserExportCau,    kCmdBrowserExportAllWav, kCmdBrowserExportAllCau,
    kCmdBrowserPlay,
};
// Those that act on the chosen row.
const std::vector<int> kOnTheRow = {kCmdBrowserReplace,      kCmdBrowserRemove,       kCmdBrowserRename,
                                    kCmdBrowserCaptions,     kCmdBrowserImportSubRip, kCmdBrowserExportSubRip,
                                    kCmdBrowserExportWav,    kCmdBrowserExportCau,    kCmdBrowserPlay};

TEST_F(ArchiveMenuTest, GroupsArePartedByDividersAndOpeningGreysWhatCannotAct) {
    start();
    shell->openFiles({writeThree()});
    ASSERT_TRUE(w().isOpen());
    EXPECT_EQ(w().popupItems("File"),
              (Items{"(Save)", "Save As...", "-", "(Export selected as WAV...)", "(Export selected as CAU...)",
                     "Export all as WAV...", "Export all as CAU...", "-", "Close"}));
    EXPECT_EQ(w().popupItems("Edit"),
              (Items{"(Undo)", "(Redo)", "-", "(Replace...)", "Add sounds...", "(Remove)", "(Rename)", "-",
                     "(Captions...)", "(Import SubRip...)", "(Export SubRip...)", "-", "(Revert)", "-",
                     "Select all", "Find..."}));
    EXPECT_EQ(w().popupItems("Sound"), (Items{"(Play)", "Stop"}));

    // A greyed item's accelerator and the item itself send nothing: no
    // dialog asks, nothing is saved.
    EXPECT_FALSE(w().pressShortcut("Ctrl+S"));
    EXPECT_FALSE(w().pressShortcut("Ctrl+Z"));
    EXPECT_FALSE(w().pressShortcut("Ctrl+E"));
    EXPECT_FALSE(w().chooseCommand(kCmdBrowserReplace));
    EXPECT_TRUE(w().questions().empty());
    EXPECT_TRUE(w().faults().empty()) << w().faults().front();

    // A row chosen makes the row's commands usable; a filter that keeps it
    // (at another place) keeps them, one that hides it greys them again.
    w().clickRow(1);
    EXPECT_EQ(usable(kOnTheRow), kOnTheRow);
    w().typeFilter("bet");
    ASSERT_EQ(w().rowCount(), 1);
    EXPECT_EQ(usable(kOnTheRow), kOnTheRow);
    w().typeFilter("zzz");
    EXPECT_EQ(w().rowCount(), 0);
    EXPECT_TRUE(usable(kOnTheRow).empty());
    // The rows shown again: the chosen row is selected again, with every command on it.
    w().typeFilter("");
    EXPECT_EQ(w().selectedRows(), std::vector<int>{1});
    EXPECT_EQ(usable(kOnTheRow), kOnTheRow);
    EXPECT_TRUE(w().commandEnabled(kCmdBrowserRemove));
    // Select all: the commands of the selection.
    ASSERT_TRUE(w().pressShortcut("Ctrl+A"));
    EXPECT_EQ(w().selectedRows().size(), 3u);
    EXPECT_TRUE(w().commandEnabled(kCmdBrowserExportWav));
    EXPECT_TRUE(w().commandEnabled(kCmdBrowserRemove));
    EXPECT_TRUE(w().faults().empty()) << w().faults().front();
}

TEST_F(ArchiveMenuTest, UndoRedoSaveAndRevertFollowTheEdits) {
    start();
    const std::string path = writeThree();
    shell->openFiles({path});
    const std::vector<int> history = {kCmdBrowserSave, kCmdBrowserUndo, kCmdBrowserRedo, kCmdBrowserRevert};
    EXPECT_TRUE(usable(history).empty());

    rename(0, "alpha2");
    EXPECT_EQ(usable(history), (std::vector<int>{kCmdBrowserSave, kCmdBrowserUndo, kCmdBrowserRevert}));
    // Undone to nothing: only Redo.
    ASSERT_TRUE(w().pressShortcut("Ctrl+Z"));
    EXPECT_EQ(usable(history), (std::vector<int>{kCmdBrowserRedo}));
    EXPECT_FALSE(w().pressShortcut("Ctrl+Z"));
    ASSERT_TRUE(w().pressShortcut("Ctrl+Y"));
    EXPECT_EQ(usable(history), (std::vector<int>{kCmdBrowserSave, kCmdBrowserUndo, kCmdBrowserRevert}));
    // A second edit, then Revert: nothing to save or undo.
    rename(2, "gamma2");
    w().answerChoice(0);
    ASSERT_TRUE(w().chooseCommand(kCmdBrowserRevert));
    EXPECT_EQ(shell->archiveWindow()->changes(), 0);
    EXPECT_TRUE(usable(history).empty());

    // Saved: the window shows the saved archive with nothing to undo; the
    // row chosen before stays chosen and its commands usable.
    rename(1, "beta2");
    ASSERT_TRUE(w().pressShortcut("Ctrl+S"));
    EXPECT_EQ(w().title(), "Ambient.tpa - Sonkrate");
    EXPECT_TRUE(usable(history).empty());
    EXPECT_EQ(w().focusedRow(), 1);
    EXPECT_TRUE(w().commandEnabled(kCmdBrowserRename));
    EXPECT_TRUE(w().faults().empty()) << w().faults().front();
}

// Loading the same archive again in the main window asks about the edits;
// dropped, the window shows the archive as it is, with nothing to undo or save.
TEST_F(ArchiveMenuTest, EditsDroppedOnReloadingLeaveNothingToUndoOrSave) {
    start();
    const std::string path = writeThree();
    shell->openFiles({path});
    rename(0, "alpha2");
    ASSERT_EQ(w().title(), "Ambient.tpa* - Sonkrate");
    platform.answerDialog(path);
    w().answerChoice(1);  // Don't save
    ASSERT_TRUE(platform.chooseMenu(kCmdLoadTpa));
    ASSERT_EQ(w().questions().size(), 1u);
    EXPECT_TRUE(w().isOpen());
    EXPECT_EQ(w().title(), "Ambient.tpa - Sonkrate");
    EXPECT_EQ(w().cell(0, kColName), "alpha");
    EXPECT_EQ(w().mark(0), sonkrate::platform::RowMark::None);
    EXPECT_EQ(w().status().find("not saved"), std::string::npos) << w().status();
    EXPECT_FALSE(w().commandEnabled(kCmdBrowserUndo));
    EXPECT_FALSE(w().commandEnabled(kCmdBrowserSave));
    EXPECT_TRUE(w().faults().empty()) << w().faults().front();
}

TEST_F(ArchiveMenuTest, AnArchiveThatCannotBeEditedGreysEveryEditButStillSaysWhyOnAKey) {
    start();
    shell->openFiles({writeThree(true)});
    ASSERT_TRUE(w().isOpen());
    w().clickRow(0);
    // Export and play act on the row; no edit can.
    EXPECT_EQ(usable(kStateful), (std::vector<int>{kCmdBrowserExportWav, kCmdBrowserExportCau, kCmdBrowserExportAllWav,
                                                   kCmdBrowserExportAllCau, kCmdBrowserPlay}));
    EXPECT_FALSE(w().pressShortcut("Ctrl+I"));
    EXPECT_TRUE(w().messages().empty());
    // Delete pressed in the table is a key, not the menu's: it is refused saying why.
    w().pressKey(sonkrate::platform::ArchiveKey::Delete, sonkrate::platform::KeyPlace::Table);
    ASSERT_EQ(w().messages().size(), 1u);
    EXPECT_NE(w().messages()[0].find("cannot be edited"), std::string::npos) << w().messages()[0];
    EXPECT_NE(w().messages()[0].find("beta layout"), std::string::npos) << w().messages()[0];

    // Another archive that can be edited: the items come back.
    shell->openFiles({writeThree()});
    w().clickRow(0);
    EXPECT_TRUE(w().commandEnabled(kCmdBrowserAdd));
    EXPECT_TRUE(w().commandEnabled(kCmdBrowserRename));
}

}  // namespace shelltest
