// window_smoke.exe MODE PROGRAM: drives a Sonkrate program from outside,
// as a user would, and prints one line per failed check. MODE is
//   window     PROGRAM = sonkrate.exe (menu_probe.dll beside this program)
//   autoplay   PROGRAM = sonkrate.exe (menu_probe.dll beside this program)
//   killswitch PROGRAM = auto_stop.exe
//   installed  PROGRAM = sonkrate.exe in the folder the installer made
//   archive    PROGRAM = sonkrate.exe
//   archive-edit PROGRAM = sonkrate.exe (menu_probe.dll beside this program)
// Exit code 0 when every check held, 1 otherwise, 2 on a wrong command line.
#include <cstdio>
#include <string>

#include "io/paths.h"
#include "smoke_modes.h"

int main(int argc, char** argv) {
    using namespace sonkrate::wintest;
    if (argc != 3) {
        std::fprintf(stderr, "usage: window_smoke window|autoplay|killswitch|installed|archive|archive-edit PROGRAM\n");
        return 2;
    }
    std::string mode = argv[1];
    std::string program = argv[2];
    std::string hookLibrary = sonkrate::io::joinPath(programFolder(), "menu_probe.dll");
    int failures = 0;
    if (mode == "window")
        failures = checkMainWindow(program, hookLibrary);
    else if (mode == "autoplay")
        failures = checkAutoPlay(program, hookLibrary);
    else if (mode == "killswitch")
        failures = checkKillSwitch(program);
    else if (mode == "installed")
        failures = checkInstalled(program);
    else if (mode == "archive")
        failures = checkArchiveWindow(program);
    else if (mode == "archive-edit")
        failures = checkArchiveDrop(program, hookLibrary);
    else {
        std::fprintf(stderr, "window_smoke: unknown mode %s\n", mode.c_str());
        return 2;
    }
    std::printf("window_smoke %s: %s\n", mode.c_str(),
                failures == 0 ? "all checks held" : (std::to_string(failures) + " failed").c_str());
    return failures == 0 ? 0 : 1;
}
