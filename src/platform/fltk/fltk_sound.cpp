// The desktop backend's sound: a .wav played through the SDL player while
// the window goes on.
#include "platform/fltk/fltk_platform.h"

namespace sonkrate::platform::desktop {

void FltkPlatform::playWavAsync(const std::string& path) {
    ++plays_;
    lastPlayed_ = path;
    player_.play(path);
    changed();
}

void FltkPlatform::stopSound() {
    player_.stop();
    changed();
}

}  // namespace sonkrate::platform::desktop
