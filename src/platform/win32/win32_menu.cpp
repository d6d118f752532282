#include "platform/win32/win32_menu.h"

#include <cctype>
#include <string>

#include "io/unicode_text.h"

namespace sonkrate::platform::win32 {

namespace {

bool sameWord(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// The virtual key of a key's name: a letter or digit, F1 to F24, or a named key.
std::optional<WORD> virtualKeyOf(std::string_view name) {
    if (name.size() == 1 && std::isalnum(static_cast<unsigned char>(name[0])))
        return static_cast<WORD>(std::toupper(static_cast<unsigned char>(name[0])));
    if (name.size() >= 2 && name.size() <= 3 && (name[0] == 'F' || name[0] == 'f')) {
        int number = 0;
        for (char c : name.substr(1)) {
            if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
            number = number * 10 + (c - '0');
        }
        if (number >= 1 && number <= 24) return static_cast<WORD>(VK_F1 + number - 1);
        return std::nullopt;
    }
    static const struct {
        const char* name;
        WORD key;
    } kNamed[] = {{"Del", VK_DELETE},   {"Delete", VK_DELETE}, {"Ins", VK_INSERT},   {"Insert", VK_INSERT},
                  {"Enter", VK_RETURN}, {"Esc", VK_ESCAPE},    {"Space", VK_SPACE},  {"Tab", VK_TAB},
                  {"Home", VK_HOME},    {"End", VK_END},       {"PgUp", VK_PRIOR},   {"PgDn", VK_NEXT},
                  {"Up", VK_UP},        {"Down", VK_DOWN},     {"Left", VK_LEFT},    {"Right", VK_RIGHT},
                  {"Backspace", VK_BACK}};
    for (const auto& named : kNamed)
        if (sameWord(name, named.name)) return named.key;
    return std::nullopt;
}

}  // namespace

std::optional<ACCEL> acceleratorOf(std::string_view shortcut, int command) {
    if (shortcut.empty() || command <= 0 || command > 0xFFFF) return std::nullopt;
    BYTE flags = FVIRTKEY;
    // Modifiers before the last "+"; the key after it ("Ctrl++" is not used).
    for (;;) {
        std::size_t plus = shortcut.find('+');
        if (plus == std::string_view::npos || plus + 1 == shortcut.size()) break;
        std::string_view modifier = shortcut.substr(0, plus);
        if (sameWord(modifier, "Ctrl"))
            flags |= FCONTROL;
        else if (sameWord(modifier, "Shift"))
            flags |= FSHIFT;
        else if (sameWord(modifier, "Alt"))
            flags |= FALT;
        else
            return std::nullopt;
        shortcut.remove_prefix(plus + 1);
    }
    std::optional<WORD> key = virtualKeyOf(shortcut);
    if (!key) return std::nullopt;
    return ACCEL{flags, *key, static_cast<WORD>(command)};
}

HMENU menuBarOf(const std::vector<MenuPopup>& menu) {
    HMENU bar = CreateMenu();
    for (const MenuPopup& popup : menu) {
        HMENU items = CreatePopupMenu();
        for (const MenuItem& item : popup.items) {
            if (item.text.empty()) {
                AppendMenuW(items, MF_SEPARATOR, 0, nullptr);
                continue;
            }
            std::string text(item.text);
            if (!item.shortcut.empty()) {
                text += '\t';
                text += item.shortcut;
            }
            UINT flags = MF_STRING | (item.grayed ? MF_GRAYED : 0);
            AppendMenuW(items, flags, static_cast<UINT_PTR>(item.commandId), io::toWide(text).c_str());
        }
        AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(items), io::toWide(popup.title).c_str());
    }
    return bar;
}

HACCEL acceleratorsOf(const std::vector<MenuPopup>& menu) {
    std::vector<ACCEL> table;
    for (const MenuPopup& popup : menu)
        for (const MenuItem& item : popup.items)
            if (auto accel = acceleratorOf(item.shortcut, item.commandId)) table.push_back(*accel);
    if (table.empty()) return nullptr;
    return CreateAcceleratorTableW(table.data(), static_cast<int>(table.size()));
}

}  // namespace sonkrate::platform::win32
