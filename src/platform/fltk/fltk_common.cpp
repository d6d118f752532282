#include "platform/fltk/fltk_common.h"

#include <FL/Fl.H>
#include <FL/x.H>
#include <sys/stat.h>

#include <chrono>

namespace sonkrate::platform::desktop {

bool openDisplay() {
    if (fl_display) return true;
    Display* d = XOpenDisplay(nullptr);
    if (!d) return false;
    fl_open_display(d);
    return true;
}

std::uint64_t steadyMillis() {
    using namespace std::chrono;
    return static_cast<std::uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

bool isRegularFile(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool isFolder(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace sonkrate::platform::desktop
