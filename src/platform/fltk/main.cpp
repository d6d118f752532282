// The sonkrate window on the Linux desktop: the shell over the FLTK backend.
#include <cstdio>
#include <cstring>

#include "app/shell.h"
#include "platform/fltk/fltk_platform.h"

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::puts("usage: sonkrate\n"
                      "Opens the Sonkrate window: play, save, convert and build the sound\n"
                      "archives (.tpa), sound images (.cau) and sound lists (.eel) of Trespasser.\n"
                      "The command-line tool is sonkrate-cli.\n\n"
                      "Environment: SONKRATE_UI_DUMP=FILE keeps FILE filled with the window's\n"
                      "state (controls, list, menu, sound) for scripts that drive the window.");
            return 0;
        }
        std::fprintf(stderr, "sonkrate: unknown argument %s (try --help)\n", argv[i]);
        return 2;
    }
    sonkrate::platform::desktop::FltkPlatform platform;
    int code = sonkrate::app::runSonkrate(platform);
    // The shell returns 0 when the window could not be made; for scripts
    // that is a failure.
    if (!platform.windowCreated()) return 1;
    return code;
}
