// FLTK's native file chooser as every dialog of the desktop backend shows
// it: the filter of the options, a name refused with the system's alert
// when it does not fit the flags, the default extension added, and the
// question before writing over a file that exists.
#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"

class Fl_Window;

namespace sonkrate::platform::desktop {

enum class ChooserKind { Open, OpenSeveral, Save };

// The chosen paths (one unless OpenSeveral), empty when cancelled. The
// chooser comes back with a refused name in it until one fits or the user
// cancels. Questions and alerts show over `over` when given.
std::vector<std::string> choosePaths(const FileDialogOptions& dialog, ChooserKind kind, Fl_Window* over);

}  // namespace sonkrate::platform::desktop
