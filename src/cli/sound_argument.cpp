#include "cli/sound_argument.h"

#include "ids/sound_id.h"
#include "io/game_text.h"
#include "io/paths.h"

namespace sonkrate::cli {

SoundArgument soundArgument(const std::string& text) {
    SoundArgument sound;
    if (text.size() == 8) {
        if (std::optional<ids::SoundId> id = ids::parseSoundId(text)) {
            sound.soundId = *id;
            sound.shown = ids::formatSoundId(*id);
            return sound;
        }
    }
    sound.soundId = ids::computeSoundId(io::toLower(io::gameText(text)));
    sound.shown = "\"" + text + "\" (" + ids::formatSoundId(sound.soundId) + ")";
    return sound;
}

}  // namespace sonkrate::cli
