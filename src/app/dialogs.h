// The file dialogs the commands show: their filters, patterns and options.
#pragma once

#include "platform/platform.h"

namespace sonkrate::app {

inline constexpr unsigned kOpenFlags =
    platform::kExplorer | platform::kFileMustExist | platform::kPathMustExist | platform::kHideReadOnly;
inline constexpr unsigned kSaveFlags = platform::kExplorer | platform::kPathMustExist;

inline platform::FileDialogSpec dialog(const char* filterText, const char* pattern, unsigned flags) {
    platform::FileDialogSpec spec;
    spec.filterText = filterText;
    spec.filterPattern = pattern;
    spec.flags = flags;
    return spec;
}

inline platform::FileDialogSpec tpaOpenDialog() { return dialog("Tpa File (*.tpa)", "*.tpa", kOpenFlags); }
inline platform::FileDialogSpec tpaSaveDialog() { return dialog("Tpa File (*.tpa)", "*.tpa", kSaveFlags); }
inline platform::FileDialogSpec cauOpenDialog() { return dialog("Cau File (*.cau)", "*.cau", kOpenFlags); }
inline platform::FileDialogSpec wavOpenDialog() { return dialog("Wav File (*.wav)", "*.wav", kOpenFlags); }
inline platform::FileDialogSpec eelOpenDialog() { return dialog("EEL File (*.eel)", "*.eel", kOpenFlags); }
inline platform::FileDialogSpec eelSaveDialog() { return dialog("EEL File (*.eel)", "*.eel", kSaveFlags); }
// The "+" button's dialog spells its filter in capitals.
inline platform::FileDialogSpec listingOpenDialog() { return dialog("CAU File (*.cau)", "*.cau", kOpenFlags); }

}  // namespace sonkrate::app
