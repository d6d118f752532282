// The sound file given to add or replace: a .cau as it is, or a .wav wrapped
// first as a .cau beside the archive, as the window's Add_Wav does, and not
// kept.
#pragma once

#include <string>

#include "io/outcome.h"

namespace sonkrate::cli {

class SoundFile {
public:
    SoundFile() = default;
    ~SoundFile();
    SoundFile(const SoundFile&) = delete;
    SoundFile& operator=(const SoundFile&) = delete;

    // Fails with the conversion's reason for a .wav the game cannot play. With
    // toGame such a .wav is first made 16-bit PCM, beside the archive too; with
    // ima every PCM .wav is made IMA ADPCM in the game's blocks and checked.
    // A captionBlock that is not empty becomes the sound's caption (a .cau
    // is then written again beside the archive with it).
    io::Outcome prepare(const std::string& given, const std::string& archivePath, bool toGame = false,
                        bool ima = false, const std::string& captionBlock = {});
    // "24-bit integer, 48000 Hz, stereo -> 16-bit PCM, 48000 Hz, stereo", or empty.
    const std::string& change() const { return change_; }
    // The .cau to put into the archive.
    const std::string& path() const { return path_; }

private:
    std::string path_;
    std::string converted_;  // removed when done
    std::string gameReady_;  // removed when done
    std::string change_;
};

}  // namespace sonkrate::cli
