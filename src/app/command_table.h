// Every command of the window in one table: the menu items in menu order,
// then the commands that the buttons, the list box and the check box send.
// A row gives the command's id, its pop-up and item text (empty for a
// control), whether the item starts greyed, the condition without which the
// command is refused with a beep, and the handler that runs it.
#pragma once

#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace sonkrate::app {

class Shell;

struct CommandRow {
    int id = 0;
    std::string_view menu = {};  // the pop-up's title; empty for a control's command
    std::string_view item = {};  // the menu item's text
    bool grayed = false;    // the menu item starts greyed
    bool (*ready)(const Shell&) = nullptr;  // null: the command always runs
    void (*run)(Shell&, int notification) = nullptr;
};

const std::vector<CommandRow>& commandTable();

// The row of a command id, or null.
const CommandRow* findCommand(int id);

// The menu bar made from the table: the pop-ups in the order of their first
// row, each with its items in table order.
const std::vector<platform::MenuPopup>& menuTable();

}  // namespace sonkrate::app
