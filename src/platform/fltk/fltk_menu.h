// Menus of the desktop backend's windows: the shell's pop-ups and items as
// FLTK menu paths, with their keyboard accelerators.
#pragma once

#include <FL/Fl_Menu_Bar.H>

#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace sonkrate::platform::desktop {

// The text as one level of an FLTK menu path ("/", "\" and a leading "_"
// quoted, "&" doubled so that it is drawn).
std::string menuLabel(std::string_view text);

// An accelerator as the shell writes it ("Ctrl+E", "Ctrl+Shift+S", "F5",
// "Del", "Alt+Enter") as FLTK's key code with its modifiers; 0 for an empty
// or unknown one.
int menuShortcut(std::string_view text);

// Fills the bar with the pop-ups; each item calls chosen with its command id
// as the item's data. An item without text draws a line under the item
// before it (FL_MENU_DIVIDER); none at a pop-up's start or end.
void fillMenuBar(Fl_Menu_Bar& bar, const std::vector<MenuPopup>& menu, Fl_Callback* chosen);

// Greys the items of a command or makes them usable; FLTK sends no
// accelerator of a greyed item.
void setMenuCommandEnabled(Fl_Menu_Bar& bar, int commandId, bool enabled);

// Where the bar draws each pop-up's title, in window pixels.
struct MenuTitlePlace {
    int x = 0, w = 0;
    std::string text;
};
std::vector<MenuTitlePlace> menuTitlePlaces(const Fl_Menu_Bar& bar);

}  // namespace sonkrate::platform::desktop
