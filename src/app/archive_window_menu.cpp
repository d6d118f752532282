// The archive window's menu: its items in groups between dividers, and which
// of them can act now. An item that cannot act is greyed; its handler still
// refuses on its own, since a key may reach it another way.
#include <array>

#include "app/archive_window.h"
#include "app/command_ids.h"

namespace sonkrate::app {

namespace {

// A line between two groups of items.
const platform::MenuItem kDivider{};

}  // namespace

const std::vector<platform::MenuPopup>& archiveWindowMenu() {
    static const std::vector<platform::MenuPopup> menu = {
        {"File",
         {{"Save", kCmdBrowserSave, false, "Ctrl+S"},
          {"Save As...", kCmdBrowserSaveAs, false, "Ctrl+Shift+S"},
          kDivider,
          {"Export selected as WAV...", kCmdBrowserExportWav, false, "Ctrl+E"},
          {"Export selected as CAU...", kCmdBrowserExportCau, false, "Ctrl+Shift+E"},
          {"Export all as WAV...", kCmdBrowserExportAllWav},
          {"Export all as CAU...", kCmdBrowserExportAllCau},
          kDivider,
          {"Close", kCmdBrowserClose, false, "Ctrl+W"}}},
        {"Edit",
         {{"Undo", kCmdBrowserUndo, false, "Ctrl+Z"},
          {"Redo", kCmdBrowserRedo, false, "Ctrl+Y"},
          kDivider,
          {"Replace...", kCmdBrowserReplace, false, "Ctrl+R"},
          {"Add sounds...", kCmdBrowserAdd, false, "Ctrl+I"},
          {"Remove", kCmdBrowserRemove, false, "Del"},
          {"Rename", kCmdBrowserRename, false, "F2"},
          kDivider,
          {"Captions...", kCmdBrowserCaptions},
          {"Import SubRip...", kCmdBrowserImportSubRip},
          {"Export SubRip...", kCmdBrowserExportSubRip},
          kDivider,
          {"Revert", kCmdBrowserRevert},
          kDivider,
          {"Select all", kCmdBrowserSelectAll, false, "Ctrl+A"},
          {"Find...", kCmdBrowserFind, false, "Ctrl+F"}}},
        {"Sound", {{"Play", kCmdBrowserPlay}, {"Stop", kCmdBrowserStop}}},
        {"Names", {{"Find names...", kCmdBrowserFindNames}, {"Guess names...", kCmdBrowserGuessNames}}},
        {"Check", {{"Verify", kCmdBrowserVerify, false, "F5"}}},
    };
    return menu;
}

// Called whenever the rows, the selection or the edits change. Only the
// items whose state changed are sent to the window.
void ArchiveWindowController::updateMenus() {
    if (!window_) return;
    const bool editable = edits_.isOpen();
    const bool changed = changes() > 0;
    // A row is chosen when the focused record is one of the rows shown.
    const bool chosen = focused_ && *focused_ < positionOf_.size() && positionOf_[*focused_] >= 0;
    const bool selected = !window_->selectedRows().empty();
    const std::array<std::pair<int, bool>, 17> states = {{
        {kCmdBrowserSave, editable && changed},
        {kCmdBrowserSaveAs, editable},
        {kCmdBrowserUndo, editable && edits_.canUndo()},
        {kCmdBrowserRedo, editable && edits_.canRedo()},
        {kCmdBrowserReplace, editable && chosen},
        {kCmdBrowserAdd, editable},
        {kCmdBrowserRemove, editable && selected},
        {kCmdBrowserRename, editable && chosen},
        {kCmdBrowserCaptions, editable && chosen},
        {kCmdBrowserImportSubRip, editable && chosen},
        {kCmdBrowserExportSubRip, editable && chosen},
        {kCmdBrowserRevert, editable && changed},
        {kCmdBrowserExportWav, selected},
        {kCmdBrowserExportCau, selected},
        {kCmdBrowserExportAllWav, !rows_.empty()},
        {kCmdBrowserExportAllCau, !rows_.empty()},
        {kCmdBrowserPlay, chosen},
    }};
    for (const auto& [command, enabled] : states) {
        auto known = menuEnabled_.find(command);
        if (known != menuEnabled_.end() && known->second == enabled) continue;
        menuEnabled_[command] = enabled;
        window_->setCommandEnabled(command, enabled);
    }
}

}  // namespace sonkrate::app
