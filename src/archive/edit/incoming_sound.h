// The sound given to add or replace: a .cau as it is (written again beside
// the archive with new captions), or a .wav made into the game's sound image
// as it streams into the archive (audio::GameSound), never kept.
#pragma once

#include <string>
#include <vector>

#include "archive/edit/add_sound.h"
#include "audio/convert/game_sound.h"
#include "io/outcome.h"

namespace sonkrate::cli {

class SoundFile {
public:
    SoundFile() = default;
    ~SoundFile();
    SoundFile(const SoundFile&) = delete;
    SoundFile& operator=(const SoundFile&) = delete;

    // Fails with the conversion's reason for a .wav the game cannot play. With
    // toGame such a .wav is made 16-bit PCM; with ima every PCM .wav is made
    // IMA ADPCM in the game's blocks and checked. A captionBlock that is not
    // empty becomes the sound's caption.
    io::Outcome prepare(const std::string& given, const std::string& archivePath, bool toGame = false,
                        bool ima = false, const std::string& captionBlock = {});
    // "24-bit integer, 48000 Hz, stereo -> 16-bit PCM, 48000 Hz, stereo", or empty.
    const std::string& change() const { return change_; }
    // For a .wav, the image made on its way into the archive; null for a .cau.
    const archive::SoundImageSource* image() const { return isWav_ ? &image_ : nullptr; }
    // The .cau to put into the archive; for a .wav, written beside the
    // archive first by writeBeside.
    const std::string& path() const { return path_; }
    io::Outcome writeBeside();

private:
    std::string path_;
    std::string archivePath_;
    std::string converted_;  // removed when done
    std::string change_;
    bool isWav_ = false;
    audio::GameSound sound_;
    std::vector<std::uint8_t> head_;
    archive::SoundImageSource image_;
};

}  // namespace sonkrate::cli
