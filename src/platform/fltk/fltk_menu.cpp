// The desktop backend's menu bar: the shell's popups and items, and their
// greying.
#include "platform/fltk/fltk_platform.h"

#include <FL/Fl_Menu_Bar.H>

#include <cstdint>


namespace sonkrate::platform::desktop {

namespace {

// In a menu path "/" separates levels, "\" quotes and a leading "_" draws a
// divider.
std::string menuLabel(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '/' || c == '\\' || (c == '_' && i == 0)) out += '\\';
        if (c == '&') out += '&';
        out += c;
    }
    return out;
}

}  // namespace

void FltkPlatform::installMenu(const std::vector<MenuPopup>& menu) {
    if (!menuBar_) return;
    menuBar_->clear();
    auto chosen = [](Fl_Widget* widget, void* data) {
        auto* self = static_cast<FltkPlatform*>(widget->user_data());
        self->command(static_cast<int>(reinterpret_cast<std::intptr_t>(data)), 0);
    };
    for (const MenuPopup& popup : menu) {
        if (popup.items.empty()) {
            menuBar_->add(menuLabel(popup.title).c_str(), 0, nullptr, nullptr, FL_SUBMENU);
            continue;
        }
        for (const MenuItem& item : popup.items) {
            std::string path = menuLabel(popup.title) + "/" + menuLabel(item.text);
            menuBar_->add(path.c_str(), 0, chosen, reinterpret_cast<void*>(static_cast<std::intptr_t>(item.commandId)),
                          item.grayed ? FL_MENU_INACTIVE : 0);
        }
    }
    menuBar_->redraw();
    changed();
}

void FltkPlatform::setMenuItemEnabled(int commandId, bool enabled) {
    if (!menuBar_) return;
    const Fl_Menu_Item* items = menuBar_->menu();
    for (int i = 0; items && i < menuBar_->size(); ++i) {
        Fl_Menu_Item& item = const_cast<Fl_Menu_Item&>(items[i]);
        if (!item.text || item.callback() == nullptr) continue;
        if (static_cast<int>(reinterpret_cast<std::intptr_t>(item.user_data())) != commandId) continue;
        if (enabled)
            item.activate();
        else
            item.deactivate();
    }
    menuBar_->redraw();
    changed();
}

}  // namespace sonkrate::platform::desktop
