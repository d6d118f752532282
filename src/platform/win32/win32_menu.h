// Menus with keyboard accelerators: a menu bar from the shell's description,
// each shortcut shown after a tab beside its item's text, and the table of
// accelerators that turns the same keys into the items' commands.
#pragma once

#include <windows.h>

#include <optional>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace sonkrate::platform::win32 {

// The accelerator of a shortcut such as "Ctrl+E", "Ctrl+Shift+S", "F5" or
// "Del" for command; nothing for an empty or unknown one.
std::optional<ACCEL> acceleratorOf(std::string_view shortcut, int command);

// The menu bar; an item without text is a separator.
HMENU menuBarOf(const std::vector<MenuPopup>& menu);
// The accelerators of every item with a shortcut; nullptr when none has one.
HACCEL acceleratorsOf(const std::vector<MenuPopup>& menu);

}  // namespace sonkrate::platform::win32
