// The sonkrate window on Windows: the shell over the Win32 backend. The
// files it is given (a double click on a file of a registered type, files
// dropped on the program's icon) come as arguments.
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/shell.h"
#include "io/process_text.h"
#include "platform/win32/win32_dpi.h"
#include "platform/win32/win32_platform.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    // Before the first window: where the manifest's declaration is not
    // read, the program declares itself aware of each monitor's DPI.
    sonkrate::platform::win32::declareDpiAwareness();
    // The wide command line, so that a name outside the code page survives.
    std::vector<std::string> arguments = sonkrate::io::utf8Arguments(__argc, __argv);
    std::vector<std::string> files;
    for (std::size_t i = 1; i < arguments.size(); ++i)
        if (!arguments[i].empty()) files.push_back(arguments[i]);
    sonkrate::platform::win32::Win32Platform platform(instance, showCommand);
    return sonkrate::app::runSonkrate(platform, files);
}
