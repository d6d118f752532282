// The file dialogs the commands show: their filters, patterns and options.
#pragma once

#include "platform/platform.h"

namespace sonkrate::app {

inline constexpr unsigned kOpenFlags =
    platform::kExplorer | platform::kFileMustExist | platform::kPathMustExist | platform::kHideReadOnly;
inline constexpr unsigned kSaveFlags = platform::kExplorer | platform::kPathMustExist;

inline platform::FileDialogOptions dialog(const char* filterText, const char* pattern, unsigned flags) {
    platform::FileDialogOptions options;
    options.filterText = filterText;
    options.filterPattern = pattern;
    options.flags = flags;
    return options;
}

inline platform::FileDialogOptions tpaOpenDialog() { return dialog("Tpa File (*.tpa)", "*.tpa", kOpenFlags); }
inline platform::FileDialogOptions tpaSaveDialog() { return dialog("Tpa File (*.tpa)", "*.tpa", kSaveFlags); }
inline platform::FileDialogOptions cauOpenDialog() { return dialog("Cau File (*.cau)", "*.cau", kOpenFlags); }
inline platform::FileDialogOptions wavOpenDialog() { return dialog("Wav File (*.wav)", "*.wav", kOpenFlags); }
inline platform::FileDialogOptions eelOpenDialog() { return dialog("EEL File (*.eel)", "*.eel", kOpenFlags); }
inline platform::FileDialogOptions eelSaveDialog() { return dialog("EEL File (*.eel)", "*.eel", kSaveFlags); }
// The "+" button's dialog spells its filter in capitals.
inline platform::FileDialogOptions listingOpenDialog() { return dialog("CAU File (*.cau)", "*.cau", kOpenFlags); }

}  // namespace sonkrate::app
