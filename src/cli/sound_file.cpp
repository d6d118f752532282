#include "cli/sound_file.h"

#include <filesystem>
#include <system_error>

#include "audio/game_ready_wav.h"
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
    if (!gameReady_.empty()) std::filesystem::remove(gameReady_, ec);
}

io::Outcome SoundFile::prepare(const std::string& given, const std::string& archivePath, bool toGame) {
    path_ = given;
    if (!io::endsWith(io::toLower(given), ".wav")) return io::success();
    const std::string hidden = "." + io::fileNameOf(given) + ".cau-" + std::to_string(SONKRATE_PID);
    std::string source = given;
    if (toGame) {
        gameReady_ = io::siblingPath(archivePath, hidden + ".wav");
        audio::GameReadyResult ready = audio::makeGameReadyWav(given, gameReady_);
        if (!ready.outcome) return ready.outcome;
        if (ready.converted) {
            source = gameReady_;
            change_ = ready.before + " -> " + ready.after;
        }
    }
    converted_ = io::siblingPath(archivePath, hidden);
    audio::WavToCauResult wrapped = audio::wavToCau(source, converted_, "");
    if (!wrapped.written()) return wrapped.outcome;
    path_ = converted_;
    return io::success();
}

}  // namespace sonkrate::cli
