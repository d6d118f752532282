#include "killswitch/stop_flag.h"

#include <unistd.h>

#include <vector>

#include "io/file.h"
#include "io/paths.h"

namespace sonkrate::killswitch {

std::string stopFlagPath(int argc, char** argv) {
    if (argc > 1 && argv[1][0] != '\0') return argv[1];
    std::vector<char> buffer(4096);
    ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    std::string exe = n > 0 ? std::string(buffer.data(), static_cast<std::size_t>(n)) : std::string();
    return io::siblingPath(exe, "tmpConf.ini");
}

io::Outcome writeStopFlag(const std::string& path) {
    // The whole file becomes "1": a longer number left behind it could
    // otherwise make it read as 10 or 15, which would stop just the same,
    // but the file should say what was meant.
    io::File file;
    if (io::Outcome o = file.open(path, io::FileMode::Write); !o) return o;
    if (io::Outcome o = file.writeText("1"); !o) return o;
    return file.close();
}

}  // namespace sonkrate::killswitch
