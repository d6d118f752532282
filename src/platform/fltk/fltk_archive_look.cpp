#include "platform/fltk/fltk_archive_look.h"

#include <FL/fl_draw.H>

namespace sonkrate::platform::desktop {

namespace {

struct MarkColours {
    Fl_Color ground, bar;
};

MarkColours markColours(RowMark mark) {
    switch (mark) {
    case RowMark::Warning: return {fl_rgb_color(255, 243, 196), fl_rgb_color(226, 150, 0)};
    case RowMark::Error: return {fl_rgb_color(255, 218, 218), fl_rgb_color(200, 30, 30)};
    case RowMark::Changed: return {fl_rgb_color(219, 233, 255), fl_rgb_color(40, 100, 215)};
    case RowMark::Added: return {fl_rgb_color(220, 245, 220), fl_rgb_color(30, 140, 50)};
    case RowMark::Removed: return {fl_rgb_color(238, 238, 238), fl_rgb_color(150, 150, 150)};
    case kNoMark: break;
    }
    return {FL_WHITE, FL_WHITE};
}

}  // namespace

RowLook rowLook(RowMark mark, bool selected, bool tableFocused, bool oddRow) {
    MarkColours m = markColours(mark);
    RowLook look{m.ground, FL_BLACK, m.bar};
    if (mark == kNoMark) look.background = oddRow ? fl_rgb_color(245, 246, 248) : FL_WHITE;
    if (mark == RowMark::Removed) look.text = fl_rgb_color(130, 130, 130);
    if (selected) {
        look.background = tableFocused ? kSelection : fl_rgb_color(200, 208, 220);
        look.text = tableFocused ? FL_WHITE : FL_BLACK;
        if (mark == RowMark::Removed) look.text = tableFocused ? fl_rgb_color(215, 222, 235) : fl_rgb_color(110, 110, 110);
    }
    return look;
}

std::string fitText(const std::string& text, int width) {
    if (width <= 0) return {};
    if (fl_width(text.c_str(), static_cast<int>(text.size())) <= width) return text;
    static const char kEllipsis[] = "\xE2\x80\xA6";
    int room = width - static_cast<int>(fl_width(kEllipsis));
    // The longest prefix that fits, found by halving, then moved back to the
    // start of a UTF-8 character.
    std::size_t low = 0, high = text.size();
    while (low < high) {
        std::size_t mid = (low + high + 1) / 2;
        if (fl_width(text.c_str(), static_cast<int>(mid)) <= room)
            low = mid;
        else
            high = mid - 1;
    }
    while (low > 0 && (static_cast<unsigned char>(text[low]) & 0xC0) == 0x80) --low;
    return text.substr(0, low) + kEllipsis;
}

}  // namespace sonkrate::platform::desktop
