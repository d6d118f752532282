// A sound read through a SoundFrameReader written as a playable 16-bit PCM
// .wav, from any frame on (to play a sound from the middle).
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "audio/cau/sound_frames.h"
#include "io/outcome.h"

namespace sonkrate::audio {

// The frames from fromFrame to the end into wavPath, replaced once complete.
// cancel, when set by another thread, stops the work with a failure and
// leaves wavPath as it was.
io::Outcome writeFramesAsWav(SoundFrameReader& reader, std::uint64_t fromFrame, const std::string& wavPath,
                             const std::atomic<bool>* cancel = nullptr);

}  // namespace sonkrate::audio
