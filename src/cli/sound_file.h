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

    // Fails with the conversion's reason for a .wav the game cannot play.
    io::Outcome prepare(const std::string& given, const std::string& archivePath);
    // The .cau to put into the archive.
    const std::string& path() const { return path_; }

private:
    std::string path_;
    std::string converted_;  // removed when done
};

}  // namespace sonkrate::cli
