#include "killswitch/stop_flag.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <unistd.h>
#endif

#include <vector>

#include "io/file.h"
#include "io/paths.h"

namespace sonkrate::killswitch {

namespace {

// The path of the running program, empty when the system does not say.
std::string programPath() {
    std::vector<char> buffer(4096);
#if defined(_WIN32)
    DWORD n = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    // A result of the buffer's full size means the name was cut short.
    if (n == 0 || n >= buffer.size()) return {};
    return std::string(buffer.data(), n);
#else
    ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    return n > 0 ? std::string(buffer.data(), static_cast<std::size_t>(n)) : std::string();
#endif
}

}  // namespace

std::string stopFlagPath(int argc, char** argv) {
    if (argc > 1 && argv[1][0] != '\0') return argv[1];
    return io::siblingPath(programPath(), "tmpConf.ini");
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
