// The desktop backend's other programs: documents opened through xdg-open
// and the kill switch, both children of this process, and their reaping.
#include "platform/fltk/fltk_platform.h"

#include <unistd.h>

#include <algorithm>

#include "platform/fltk/fltk_common.h"
#include "platform/fltk/processes.h"

namespace sonkrate::platform::desktop {

bool FltkPlatform::openThroughDesktop(const std::string& path) {
    ++desktopOpens_;
    lastDesktopOpen_ = path;
    changed();
    if (!isRegularFile(path)) return false;
    pid_t pid = spawnProgram("xdg-open", {path});
    if (pid < 0) return false;
    // xdg-open normally hands the file on and ends; when it runs the viewer
    // itself it goes on, and the file counts as opened.
    ++blocked_;
    std::uint64_t end = steadyMillis() + 5000;
    std::optional<int> code;
    while (!(code = waitForExit(pid, 0)) && steadyMillis() < end) pumpBlocked(0.05);
    --blocked_;
    if (!code) {
        openers_.push_back(pid);
        return true;
    }
    return *code == 0;
}

bool FltkPlatform::startKillSwitch(const std::string& programPath, const std::string& stopFlagPath) {
    if (killSwitch_ > 0) endProgram(killSwitch_, 2000);
    killSwitch_ = -1;
    if (access(programPath.c_str(), X_OK) != 0) return false;
    killSwitch_ = spawnProgram(programPath, {stopFlagPath});
    if (killSwitch_ > 0) ++killSwitchStarts_;
    changed();
    return killSwitch_ > 0;
}

void FltkPlatform::closeKillSwitch(const std::string&) {
    // The kill switch is our child: it is ended by its pid, so that another
    // program's window of the same title is never touched.
    if (killSwitch_ > 0) endProgram(killSwitch_, 2000);
    killSwitch_ = -1;
    changed();
}

void FltkPlatform::reapChildren() {
    if (killSwitch_ > 0 && waitForExit(killSwitch_, 0)) {
        killSwitch_ = -1;  // the user closed it
        changed();
    }
    openers_.erase(std::remove_if(openers_.begin(), openers_.end(), [](pid_t p) { return waitForExit(p, 0).has_value(); }),
                   openers_.end());
}

}  // namespace sonkrate::platform::desktop
