// The sonkrate window on the Linux desktop: the shell over the FLTK backend.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/shell.h"
#include "platform/fltk/fltk_platform.h"

namespace {

void printUsage() {
    std::puts("usage: sonkrate [FILE...]\n"
              "Opens the Sonkrate window: play, save, convert and build the sound\n"
              "archives (.tpa), sound images (.cau) and sound lists (.eel) of Trespasser.\n"
              "Each FILE is opened as the window's own command would: an archive is\n"
              "loaded (Load_Tpa), a .cau played (Play_Cau), a .wav or another sound file\n"
              "played (Play_Wav), a sound list loaded (Load_*eel).\n"
              "The command-line tool is sonkrate-cli.\n\n"
              "Environment: SONKRATE_UI_DUMP=FILE keeps FILE filled with the window's\n"
              "state (controls, list, menu, sound) for scripts that drive the window.");
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> files;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (!optionsEnded && (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0)) {
            printUsage();
            return 0;
        }
        if (!optionsEnded && std::strcmp(arg, "--") == 0) {
            optionsEnded = true;
            continue;
        }
        if (!optionsEnded && arg[0] == '-' && arg[1] != '\0') {
            std::fprintf(stderr, "sonkrate: unknown option %s (try --help)\n", arg);
            return 2;
        }
        files.emplace_back(arg);
    }
    sonkrate::platform::desktop::FltkPlatform platform;
    int code = sonkrate::app::runSonkrate(platform, files);
    // The shell returns 0 when the window could not be made; for scripts
    // that is a failure.
    if (!platform.windowCreated()) return 1;
    return code;
}
