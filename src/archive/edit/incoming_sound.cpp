#include "cli/sound_file.h"

#include <algorithm>

#include "audio/cau/cau_recaption.h"
#include "io/file_system.h"
#include "io/paths.h"
#include "io/replacement.h"

namespace sonkrate::cli {

SoundFile::~SoundFile() {
    if (!converted_.empty()) (void)io::removeFile(converted_);
}

io::Outcome SoundFile::prepare(const std::string& given, const std::string& archivePath, bool toGame,
                               bool ima, const std::string& captionBlock) {
    path_ = given;
    archivePath_ = archivePath;
    if (!io::endsWith(io::toLower(given), ".wav")) {
        if (captionBlock.empty()) return io::success();
        // Named as a temporary of this process: what a killed add leaves is
        // cleared by the next write into the folder.
        converted_ = io::temporaryPathBeside(archivePath);
        if (io::Outcome made = audio::recaptionCau(given, converted_, captionBlock); !made) return made;
        path_ = converted_;
        return io::success();
    }
    if (io::Outcome opened = sound_.open(given, {toGame, ima, captionBlock}); !opened) return opened;
    if (sound_.converted()) change_ = sound_.before() + " -> " + sound_.after();
    isWav_ = true;
    head_ = sound_.head();
    std::copy_n(head_.begin(), image_.header.size(), image_.header.begin());
    image_.size = sound_.imageSize();
    image_.pieces = {archive::ImagePiece::memory(head_),
                     archive::ImagePiece::produced([this](io::File& out) { return sound_.writeData(out); },
                                                   sound_.image().header.dataSize)};
    return io::success();
}

io::Outcome SoundFile::writeBeside() {
    if (!isWav_) return io::success();
    converted_ = io::temporaryPathBeside(archivePath_);
    io::ReplacementFile out;
    io::Outcome ok = out.begin(converted_);
    if (ok) ok = sound_.writeImage(out.file());
    if (ok) ok = out.commit();
    if (ok) path_ = converted_;
    return ok;
}

}  // namespace sonkrate::cli
