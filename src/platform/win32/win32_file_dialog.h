// The common dialogs of files: a file to open, several to open, a file to
// save to; paths in UTF-8. Both windows use them.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace sonkrate::platform::win32 {

enum class FileDialogKind { Open, OpenSeveral, Save };

// The paths chosen, nothing when cancelled. options.flags are the dialog's
// own (kOverwritePrompt, kFileMustExist ...).
std::vector<std::string> fileDialogPaths(HWND owner, const FileDialogOptions& options, FileDialogKind kind);

// The paths of a selection of several files as the dialog hands it back:
// the folder, NUL, each name, NUL, and a second NUL at the end; or one
// whole path when a single file was chosen.
std::vector<std::wstring> pathsOfSelection(std::wstring_view buffer);

}  // namespace sonkrate::platform::win32
