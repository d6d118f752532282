// Two small dialogs of the archive window: a folder (the shell's folder
// picker, or the older folder browser where that is missing) and a line of
// text (a dialog made in memory, so it needs no resource).
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace sonkrate::platform::win32 {

std::optional<std::string> chooseFolderDialog(HWND owner, const std::string& title, const std::string& initial);
std::optional<std::string> askTextDialog(HWND owner, const std::string& title, const std::string& prompt,
                                         const std::string& initial);

}  // namespace sonkrate::platform::win32
