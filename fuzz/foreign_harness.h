// The shared body of the foreign-format harnesses: the file, named with its
// format's extension, goes through the same route as a file the user picks
// to play, and a conversion reported as done must be a readable .wav.
#pragma once
#include <string>

#include "audio/wav/wav_reader.h"
#include "fuzz/fuzz_support.h"
#include "import/playable_wav.h"

namespace sonkrate::fuzz {

inline void fuzzForeignFile(const std::uint8_t* data, std::size_t size, const std::string& extension) {
    std::string path = writeScratch("sound." + extension, data, size);
    std::string out = scratchPath("played.wav");
    import::PlayableWavResult played = import::writePlayableWav(path, out);
    check(played.route == import::ForeignRoute::Reader, "a ." + extension + " file did not reach its reader");
    if (!played.ok()) {
        check(!played.outcome.reason.empty(), "a failed conversion gave no reason");
        return;
    }
    audio::WavLayout layout;
    check(static_cast<bool>(audio::readWavLayout(out, layout)), "a converted ." + extension + " is no readable .wav");
}

}  // namespace sonkrate::fuzz
