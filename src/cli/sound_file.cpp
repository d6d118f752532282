#include "cli/sound_file.h"

#include <filesystem>
#include <system_error>

#include "audio/wav_to_cau.h"
#include "io/paths.h"

#if defined(_WIN32)
#include <process.h>
#define SONKRATE_PID _getpid()
#else
#include <unistd.h>
#define SONKRATE_PID getpid()
#endif

namespace sonkrate::cli {

SoundFile::~SoundFile() {
    std::error_code ec;
    if (!converted_.empty()) std::filesystem::remove(converted_, ec);
}

io::Outcome SoundFile::prepare(const std::string& given, const std::string& archivePath) {
    path_ = given;
    if (!io::endsWith(io::toLower(given), ".wav")) return io::success();
    const std::string hidden = "." + io::fileNameOf(given) + ".cau-" + std::to_string(SONKRATE_PID);
    converted_ = io::siblingPath(archivePath, hidden);
    audio::WavToCauResult wrapped = audio::wavToCau(given, converted_, "");
    if (!wrapped.written()) return wrapped.outcome;
    path_ = converted_;
    return io::success();
}

}  // namespace sonkrate::cli
