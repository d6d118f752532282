// The sound given to add or replace, made into the image that goes into the
// archive as it is written: a .wav through audio::GameSound, a .cau with new
// captions as its new head and its own sound data. Nothing is written beside
// the archive; a .cau kept as it is goes in as its file.
#pragma once

#include <string>
#include <vector>

#include "archive/edit/add_sound.h"
#include "audio/convert/game_sound.h"
#include "io/file.h"
#include "io/outcome.h"

namespace sonkrate::archive {

class IncomingSound {
public:
    IncomingSound() = default;
    IncomingSound(const IncomingSound&) = delete;
    IncomingSound& operator=(const IncomingSound&) = delete;

    // Fails with the conversion's reason for a .wav the game cannot play. With
    // toGame such a .wav is made 16-bit PCM; with ima every PCM .wav is made
    // IMA ADPCM in the game's blocks and checked. A captionBlock that is not
    // empty becomes the sound's caption.
    io::Outcome prepare(const std::string& given, bool toGame = false, bool ima = false,
                        const std::string& captionBlock = {});
    // "24-bit integer, 48000 Hz, stereo -> 16-bit PCM, 48000 Hz, stereo", or empty.
    const std::string& change() const { return change_; }
    // The image made on its way into the archive; null for a .cau put in as
    // its file, path().
    const SoundImageSource* image() const { return made_ ? &image_ : nullptr; }
    const std::string& path() const { return path_; }

private:
    io::Outcome prepareWav(bool toGame, bool ima, const std::string& captionBlock);
    io::Outcome prepareRecaptioned(const std::string& captionBlock);

    std::string path_;
    std::string change_;
    bool made_ = false;
    audio::GameSound sound_;
    io::File cau_;  // a .cau given new captions, its data read from here
    std::vector<std::uint8_t> head_;
    SoundImageSource image_;
};

}  // namespace sonkrate::archive
