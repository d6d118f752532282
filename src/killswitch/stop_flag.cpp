#include "killswitch/stop_flag.h"

#include "io/file.h"
#include "io/paths.h"
#include "io/program_path.h"

namespace sonkrate::killswitch {

std::string stopFlagPath(int argc, char** argv) {
    if (argc > 1 && argv[1][0] != '\0') return argv[1];
    return io::siblingPath(io::programPath(), "tmpConf.ini");
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
