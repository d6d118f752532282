// The small dialogs of the archive window: a folder (the shell's folder
// picker, or the older folder browser where that is missing), a line of
// text and several lines (dialogs made in memory, so they need no
// resource), a question with buttons of the shell's words, and the style
// of a message box.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace sonkrate::platform::win32 {

std::optional<std::string> chooseFolderDialog(HWND owner, const std::string& title, const std::string& initial);
std::optional<std::string> askTextDialog(HWND owner, const std::string& title, const std::string& prompt,
                                         const std::string& initial);
// Several lines of text in a resizable dialog; Enter breaks the line.
// Lines come back broken by "\n" alone.
std::optional<std::string> editLongTextDialog(HWND owner, const std::string& title, const std::string& prompt,
                                              const std::string& text);
// The index of the button pressed (the first is the default); -1 when the
// dialog was closed, Escape pressed, or the question could not be shown.
int askChoiceDialog(HWND owner, const std::string& title, const std::string& message,
                    const std::vector<std::string>& buttons);
// The first id of askChoiceDialog's buttons, in order.
inline constexpr int kFirstChoiceId = 1000;

UINT messageBoxStyle(MessageIcon icon, MessageButtons buttons);

}  // namespace sonkrate::platform::win32
