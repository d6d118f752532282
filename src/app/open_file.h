// Files handed to the window rather than chosen in one of its dialogs: the
// argument of the program (a double click, a drop on the program's icon)
// and files dropped on the open window. Each is taken by the command whose
// dialog would have asked for it.
#pragma once

#include <string>

namespace sonkrate::app {

enum class GivenFileKind {
    Archive,       // Load_Tpa
    CauSound,      // Play_Cau
    SoundList,     // Load_*eel
    ForeignSound,  // Play_Wav: a .wav or a sound file of another format
    Unknown,
};

// By the extension (.tpa, .cau and .eel in any case, the sound formats as
// Play_Wav tells them); a file whose extension says nothing is
// taken by its first bytes ("P\1\0\0" for an archive, "WBOR" for a sound
// image).
GivenFileKind givenFileKind(const std::string& path);

}  // namespace sonkrate::app
