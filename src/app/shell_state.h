// The application-wide state the commands work on: the current entry, the
// progress animation, the options, and the sound extracted last. The loaded
// archive's own facts are read from the archive itself (Shell::loadedArchive).
#pragma once

#include <string>

namespace sonkrate::app {

// What Play_Wav left for Save_as_Wav to keep.
enum class ExternalPlayKind {
    None,
    Converted,  // a foreign file converted into the conversion .wav
    WavAsIs,    // a .wav played as it is
};

struct ShellState {
    bool archiveOpened = false;    // an archive has been chosen since start-up
    bool archiveUsable = false;    // the chosen archive may be played and edited
    int currentIndex = -1;         // zero-based; -1 before any entry was selected
    int displayNumber = 0;         // shown in the "#" field: currentIndex + 1
    bool lastWasEntry = false;     // the sound played last came from the archive
    bool cauChosen = false;        // Play_Cau chose a .cau that can be replayed and saved
    std::string cauWavPath;        // that .cau's path with ".wav" for its extension
    ExternalPlayKind externalPlay = ExternalPlayKind::None;
    std::string externalSourcePath;  // the file chosen with Play_Wav
    std::string soundName;         // the current sound's name from the database, or "unknown"
    std::string captionText;       // caption of the sound played last, or the load summary
    bool playing = false;          // the timer advances the progress bar
    int tickCount = 0;             // timer ticks since the sound started
    int progressRange = 0;         // upper end of the progress bar for the sound
    int stopRequested = 0;         // the stop flag read during auto-play
    // The two options are toggled by counting clicks: odd means on.
    int useFileNames = 0;          // clicks on "Use File_Names"
    int updateSndIds = 0;          // choices of UpDater_
    int sampleCounter = 0;         // numbers the saved copies of foreign files
    std::string selectedListName;  // the list box selection, when it is a name

    bool fileNamesOn() const { return useFileNames % 2 == 1; }
    bool updaterOn() const { return updateSndIds % 2 == 1; }
};

// How the sound extracted last is stored, and so which working file plays it.
enum class SoundCompression {
    Pcm,       // entriesWav plays as it is
    ImaAdpcm,  // entriesWav is decoded into decodedWav, which plays
    Other,     // an unknown compression byte: nothing plays
};

// The sound extracted or converted last.
struct SoundInfo {
    double PlayTimeSeconds = 0.0;
    int PlayTimeCount = 0;   // whole seconds (the foreign readers store milliseconds)
    int channels = 1;
    SoundCompression compressed = SoundCompression::Pcm;
    int captionOffset = 0;   // non-zero when the sound carries a caption
};

// The compression byte of a .cau header as the shell plays it.
inline SoundCompression compressionOf(int byte) {
    return byte == 0 ? SoundCompression::Pcm : byte == 1 ? SoundCompression::ImaAdpcm : SoundCompression::Other;
}

}  // namespace sonkrate::app
