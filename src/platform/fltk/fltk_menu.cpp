// The desktop backend's menu bars: the shell's popups and items, their
// accelerators and their greying.
#include "platform/fltk/fltk_menu.h"

#include <FL/Enumerations.H>

#include <cctype>
#include <cstdint>

#include "platform/fltk/fltk_platform.h"

namespace sonkrate::platform::desktop {

namespace {

bool sameWord(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
    return true;
}

// The key of the last part of an accelerator: a letter or digit, F1 to F12,
// or a named key; 0 when unknown.
int shortcutKey(std::string_view key) {
    if (key.size() == 1) return std::tolower(static_cast<unsigned char>(key[0]));
    if (key.size() >= 2 && (key[0] == 'F' || key[0] == 'f')) {
        int n = 0;
        for (char c : key.substr(1)) {
            if (!std::isdigit(static_cast<unsigned char>(c))) return 0;
            n = n * 10 + (c - '0');
        }
        return n >= 1 && n <= 12 ? FL_F + n : 0;
    }
    static const struct {
        const char* name;
        int key;
    } named[] = {{"Del", FL_Delete},  {"Delete", FL_Delete}, {"Ins", FL_Insert},     {"Insert", FL_Insert},
                 {"Enter", FL_Enter}, {"Return", FL_Enter},  {"Esc", FL_Escape},     {"Escape", FL_Escape},
                 {"Space", ' '},      {"Tab", FL_Tab},       {"Backspace", FL_BackSpace}, {"Home", FL_Home},
                 {"End", FL_End},     {"PgUp", FL_Page_Up},  {"PgDn", FL_Page_Down}};
    for (const auto& n : named)
        if (sameWord(key, n.name)) return n.key;
    return 0;
}

}  // namespace

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

int menuShortcut(std::string_view text) {
    int modifiers = 0;
    for (;;) {
        // "Ctrl++" names the plus key: a '+' that ends the text is the key.
        std::size_t plus = text.size() > 1 ? text.find('+') : std::string_view::npos;
        if (plus == std::string_view::npos || plus + 1 == text.size()) break;
        std::string_view word = text.substr(0, plus);
        if (sameWord(word, "Ctrl") || sameWord(word, "Control")) modifiers |= FL_CTRL;
        else if (sameWord(word, "Shift")) modifiers |= FL_SHIFT;
        else if (sameWord(word, "Alt")) modifiers |= FL_ALT;
        else return 0;
        text.remove_prefix(plus + 1);
    }
    if (text.empty()) return 0;
    int key = shortcutKey(text);
    return key ? modifiers | key : 0;
}

void fillMenuBar(Fl_Menu_Bar& bar, const std::vector<MenuPopup>& menu, Fl_Callback* chosen) {
    bar.clear();
    for (const MenuPopup& popup : menu) {
        if (popup.items.empty()) {
            bar.add(menuLabel(popup.title).c_str(), 0, nullptr, nullptr, FL_SUBMENU);
            continue;
        }
        int last = -1;  // the item added last in this pop-up
        bool divider = false;
        for (const MenuItem& item : popup.items) {
            if (item.text.empty()) {
                divider = last >= 0;
                continue;
            }
            if (divider) bar.mode(last, bar.mode(last) | FL_MENU_DIVIDER);
            divider = false;
            std::string path = menuLabel(popup.title) + "/" + menuLabel(item.text);
            last = bar.add(path.c_str(), menuShortcut(item.shortcut), chosen,
                           reinterpret_cast<void*>(static_cast<std::intptr_t>(item.commandId)),
                           item.grayed ? FL_MENU_INACTIVE : 0);
        }
    }
    bar.redraw();
}

std::vector<MenuTitlePlace> menuTitlePlaces(const Fl_Menu_Bar& bar) {
    std::vector<MenuTitlePlace> places;
    int x = bar.x() + 6;
    for (const Fl_Menu_Item* m = bar.menu(); m && m->text; m = m->next()) {
        int w = m->measure(nullptr, &bar) + 16;
        places.push_back({x, w, m->text});
        x += w;
    }
    return places;
}

void FltkPlatform::installMenu(const std::vector<MenuPopup>& menu) {
    if (!menuBar_) return;
    auto chosen = [](Fl_Widget* widget, void* data) {
        auto* self = static_cast<FltkPlatform*>(widget->user_data());
        self->command(static_cast<int>(reinterpret_cast<std::intptr_t>(data)), 0);
    };
    fillMenuBar(*menuBar_, menu, chosen);
    changed();
}

void setMenuCommandEnabled(Fl_Menu_Bar& bar, int commandId, bool enabled) {
    const Fl_Menu_Item* items = bar.menu();
    for (int i = 0; items && i < bar.size(); ++i) {
        Fl_Menu_Item& item = const_cast<Fl_Menu_Item&>(items[i]);
        if (!item.text || item.callback() == nullptr) continue;
        if (static_cast<int>(reinterpret_cast<std::intptr_t>(item.user_data())) != commandId) continue;
        if (enabled)
            item.activate();
        else
            item.deactivate();
    }
    bar.redraw();
}

void FltkPlatform::setMenuItemEnabled(int commandId, bool enabled) {
    if (!menuBar_) return;
    setMenuCommandEnabled(*menuBar_, commandId, enabled);
    changed();
}

}  // namespace sonkrate::platform::desktop
