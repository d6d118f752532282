// The Windows class, style and extended style of a child control, from its
// kind and the platform's style bits; and the filter string of the common
// file dialogs. Plain functions, so that the values can be checked at
// compile time (control_styles_check.cpp).
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <string_view>

#include "platform/platform.h"

namespace sonkrate::platform::win32 {

struct ControlStyles {
    const char* className = "STATIC";
    DWORD style = 0;
    DWORD exStyle = 0;
};

constexpr DWORD styleIf(unsigned bits, unsigned bit, DWORD windowsStyle) { return (bits & bit) ? windowsStyle : 0; }

// Each kind takes only the bits that mean something to its class: the same
// number is another style in another class (ES_READONLY would be
// LBS_EXTENDEDSEL in a list box, ES_NUMBER LBS_NODATA).
constexpr ControlStyles controlStyles(ControlKind kind, unsigned bits) {
    ControlStyles s;
    s.style = WS_CHILD | WS_VISIBLE | styleIf(bits, kVerticalScroll, WS_VSCROLL);
    s.exStyle = styleIf(bits, kClientEdge, WS_EX_CLIENTEDGE);
    switch (kind) {
    case ControlKind::PushButton:
        s.className = "BUTTON";
        s.style |= BS_PUSHBUTTON;
        break;
    case ControlKind::CheckBox:
        s.className = "BUTTON";
        s.style |= BS_AUTOCHECKBOX;
        break;
    case ControlKind::Edit:
        s.className = "EDIT";
        s.style |= styleIf(bits, kReadOnly, ES_READONLY) | styleIf(bits, kMultiline, ES_MULTILINE) |
                   styleIf(bits, kNumbersOnly, ES_NUMBER) | styleIf(bits, kUpperCase, ES_UPPERCASE) |
                   styleIf(bits, kAlignRight, ES_RIGHT) | styleIf(bits, kAlignCenter, ES_CENTER) |
                   styleIf(bits, kAutoVerticalScroll, ES_AUTOVSCROLL);
        break;
    case ControlKind::Static:
        s.className = "STATIC";
        s.style |= styleIf(bits, kSimpleLabel, SS_SIMPLE) | styleIf(bits, kAlignRight, SS_RIGHT) |
                   styleIf(bits, kAlignCenter, SS_CENTER);
        break;
    case ControlKind::Bitmap:
        s.className = "STATIC";
        s.style |= SS_BITMAP;
        break;
    case ControlKind::ListBox:
        s.className = "LISTBOX";
        s.style |= styleIf(bits, kNotify, LBS_NOTIFY) | styleIf(bits, kDisableNoScroll, LBS_DISABLENOSCROLL);
        break;
    case ControlKind::ProgressBar:
        s.className = PROGRESS_CLASSA;
        break;
    case ControlKind::Trackbar:
        s.className = TRACKBAR_CLASSA;
        s.style |= styleIf(bits, kNoTicks, TBS_NOTICKS) | styleIf(bits, kFixedLength, TBS_FIXEDLENGTH);
        break;
    }
    return s;
}

// lpstrFilter of OPENFILENAME: the text, NUL, the pattern as given, NUL,
// NUL. Without a pattern there is no filter (empty string); without a text
// the pattern names itself.
constexpr std::string fileDialogFilter(std::string_view text, std::string_view pattern) {
    if (pattern.empty()) return {};
    std::string filter(text.empty() ? pattern : text);
    filter += '\0';
    filter += pattern;
    filter += '\0';
    filter += '\0';
    return filter;
}

// lpstrDefExt: the extension without its dot.
constexpr std::string defaultExtension(const std::string& extension) {
    std::string::size_type start = 0;
    while (start < extension.size() && extension[start] == '.') ++start;
    return extension.substr(start);
}

// The folder of a program path: everything before its last separator;
// empty when there is none.
constexpr std::string folderOfProgram(const std::string& path) {
    std::string::size_type cut = path.find_last_of("\\/");
    if (cut == std::string::npos) return {};
    // "C:\auto_stop.exe" lives in "C:\", not in the drive-relative "C:".
    if (cut == 2 && path[1] == ':') return path.substr(0, 3);
    return path.substr(0, cut);
}

// The kill switch's command line: the stop flag's path as one quoted argument.
constexpr std::string killSwitchParameters(const std::string& stopFlagPath) { return "\"" + stopFlagPath + "\""; }

}  // namespace sonkrate::platform::win32
