#include "app/command_table.h"

#include <utility>

#include "app/command_ids.h"
#include "app/shell.h"

namespace sonkrate::app {

using S = Shell;

// The menus' commands, menu by menu in the order of the menu bar.
std::vector<CommandRow> menuCommands() {
    return {
        {.id = kCmdLoadTpa, .menu = "File", .item = "Load_Tpa", .run = [](S& s, int) { s.loadTpa(); }},
        {.id = kCmdArchiveWindow,
         .menu = "File",
         .item = "Archive_Window",
         .run = [](S& s, int) { s.openArchiveWindow(); }},
        {.id = kCmdPlayCau, .menu = "File", .item = "Play_Cau", .run = [](S& s, int) { s.playCau(); }},
        {.id = kCmdPlayWav, .menu = "File", .item = "Play_Wav", .run = [](S& s, int) { s.playWav(); }},
        {.id = kCmdAutoPlay, .menu = "Auto", .item = "Auto_Play", .run = [](S& s, int) { s.autoPlay(); }},
        {.id = kCmdSaveAsWav,
         .menu = "Save",
         .item = "Save_as_Wav",
         .ready = [](const S& s) { return s.hasSoundToSave(); },
         .run = [](S& s, int) { s.saveAsWav(); }},
        {.id = kCmdSaveAsCau,
         .menu = "Save",
         .item = "Save_as_Cau",
         .ready = [](const S& s) { return s.archiveReady() && s.state_.currentIndex >= 0 && s.state_.lastWasEntry; },
         .run = [](S& s, int) { s.saveAsCau(); }},
        {.id = kCmdSaveAllCau,
         .menu = "Save",
         .item = "SaveAll_Cau",
         .ready = [](const S& s) { return s.archiveReady(); },
         .run = [](S& s, int) { s.saveAll(false); }},
        {.id = kCmdSaveAllWav,
         .menu = "Save",
         .item = "SaveAll_Wav",
         .ready = [](const S& s) { return s.archiveReady(); },
         .run = [](S& s, int) { s.saveAll(true); }},
        {.id = kCmdWavToCau, .menu = "Convert", .item = "Wav_to_Cau", .run = [](S& s, int) { s.wavToCau(); }},
        {.id = kCmdCauToWav, .menu = "Convert", .item = "Cau_to_Wav", .run = [](S& s, int) { s.cauToWav(); }},
        {.id = kCmdDirToCaus, .menu = "Convert", .item = "*Dir_to_Caus", .run = [](S& s, int) { s.dirToCaus(); }},
        {.id = kCmdBetaToRetail,
         .menu = "Convert",
         .item = "Beta_to_Retail",
         .grayed = true,
         .ready = [](const S& s) { return s.archiveReady(); },
         .run = [](S& s, int) { s.betaToRetail(); }},
        {.id = kCmdAddCau,
         .menu = "Options",
         .item = "Add_Cau",
         .grayed = true,
         .run = [](S& s, int) { s.addSound(false); }},
        {.id = kCmdAddWav,
         .menu = "Options",
         .item = "Add_Wav",
         .grayed = true,
         .run = [](S& s, int) { s.addSound(true); }},
        {.id = kCmdNewTpa, .menu = "Options", .item = "New_Tpa", .run = [](S& s, int) { s.newTpa(); }},
        {.id = kCmdUpdater, .menu = "Options", .item = "UpDater_", .run = [](S& s, int) { s.toggleUpdater(); }},
        {.id = kCmdLoadEel, .menu = "*eels", .item = "Load_*eel", .run = [](S& s, int) { s.loadEel(); }},
        {.id = kCmdSaveEel, .menu = "*eels", .item = "Save_*eel", .run = [](S& s, int) { s.saveEel(); }},
        {.id = kCmdCausToEel, .menu = "Build", .item = "*caus to *eel", .run = [](S& s, int) { s.causToEel(); }},
        {.id = kCmdEelToTpa,
         .menu = "Build",
         .item = "*eel_to_*tpa",
         .ready = [](const S& s) { return s.listingCount() >= 2; },
         .run = [](S& s, int) { s.eelToTpa(); }},
        {.id = kCmdCausToTpa, .menu = "Build", .item = "*caus_to_*tpa", .run = [](S& s, int) { s.causToTpa(); }},
        {.id = kCmdHelpFiles, .menu = "Help", .item = "Help_Files", .run = [](S& s, int) { s.openHelp(); }},
    };
}

// The controls' commands: the buttons, the list box and the check box.
std::vector<CommandRow> controlCommands() {
    return {
        {.id = kNextButton,
         .ready = [](const S& s) { return s.archiveReady() && s.state_.currentIndex < s.entryCount() - 1; },
         .run = [](S& s, int) { s.next(); }},
        {.id = kPreviousButton,
         .ready = [](const S& s) { return s.archiveReady() && s.state_.currentIndex > 0; },
         .run = [](S& s, int) { s.previous(); }},
        {.id = kStopButton, .run = [](S& s, int) { s.stop(); }},
        {.id = kReplayButton,
         .ready = [](const S& s) { return s.state_.cauChosen || s.replaysEntry(); },
         .run = [](S& s, int) { s.replay(); }},
        {.id = kAddListingButton, .run = [](S& s, int) { s.addListing(); }},
        {.id = kRemoveListingButton,
         .ready = [](const S& s) { return s.selectionRemovable(); },
         .run = [](S& s, int) { s.removeListing(); }},
        {.id = kEelListBox, .run = [](S& s, int notification) { s.selectListing(notification); }},
        {.id = kFileNamesCheckBox, .run = [](S& s, int) { s.toggleFileNames(); }},
    };
}

const std::vector<CommandRow>& commandTable() {
    static const std::vector<CommandRow> rows = [] {
        std::vector<CommandRow> all = menuCommands();
        for (CommandRow& row : controlCommands()) all.push_back(std::move(row));
        return all;
    }();
    return rows;
}

const CommandRow* findCommand(int id) {
    for (const CommandRow& row : commandTable())
        if (row.id == id) return &row;
    return nullptr;
}

const std::vector<platform::MenuPopup>& menuTable() {
    static const std::vector<platform::MenuPopup> menu = [] {
        std::vector<platform::MenuPopup> popups;
        for (const CommandRow& row : commandTable()) {
            if (row.menu.empty()) continue;
            if (popups.empty() || popups.back().title != row.menu) popups.push_back({row.menu, {}});
            popups.back().items.push_back({row.item, row.id, row.grayed});
        }
        return popups;
    }();
    return menu;
}

}  // namespace sonkrate::app
