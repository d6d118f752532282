#include "cli/sound_file.h"

#include "audio/cau_recaption.h"
#include "audio/game_ready_ima.h"
#include "audio/game_ready_wav.h"
#include "audio/wav_to_cau.h"
#include "io/file_system.h"
#include "io/paths.h"
#include "io/replacement.h"

namespace sonkrate::cli {

SoundFile::~SoundFile() {
    if (!converted_.empty()) (void)io::removeFile(converted_);
    if (!gameReady_.empty()) (void)io::removeFile(gameReady_);
}

io::Outcome SoundFile::prepare(const std::string& given, const std::string& archivePath, bool toGame,
                               bool ima, const std::string& captionBlock) {
    path_ = given;
    if (!io::endsWith(io::toLower(given), ".wav")) {
        if (captionBlock.empty()) return io::success();
        converted_ = io::temporaryPathBeside(archivePath);
        if (io::Outcome made = audio::recaptionCau(given, converted_, captionBlock); !made) return made;
        path_ = converted_;
        return io::success();
    }
    // Named as temporaries of this process: what a killed add leaves is
    // cleared by the next write into the folder.
    std::string source = given;
    if (toGame || ima) {
        gameReady_ = io::temporaryPathBeside(archivePath);
        audio::GameReadyResult ready =
            ima ? audio::makeGameReadyImaWav(given, gameReady_) : audio::makeGameReadyWav(given, gameReady_);
        if (!ready.outcome) return ready.outcome;
        if (ready.converted) {
            source = gameReady_;
            change_ = ready.before + " -> " + ready.after;
        }
    }
    converted_ = io::temporaryPathBeside(archivePath);
    audio::WavToCauResult wrapped = audio::wavToCauWithCaptionBlock(source, converted_, captionBlock);
    if (!wrapped.written()) return wrapped.outcome;
    path_ = converted_;
    return io::success();
}

}  // namespace sonkrate::cli
