// The sonkrate window on Windows: the shell over the Win32 backend.
#include <windows.h>

#include "app/shell.h"
#include "platform/win32/win32_platform.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    sonkrate::platform::win32::Win32Platform platform(instance, showCommand);
    return sonkrate::app::runSonkrate(platform);
}
