// The application-wide state the commands work on: the loaded archive, the
// current entry, the progress animation, the options, the sound extracted
// last, and the values handed between the shell and the handlers it calls.
#pragma once

#include <string>

namespace sonkrate::app {

struct ShellState {
    std::string archivePath;       // the archive chosen with Load_Tpa
    std::string archiveName;       // its name without folder and extension, lower-cased
    bool archiveOpened = false;    // an archive has been chosen since start-up
    bool archiveUsable = false;    // the chosen archive may be played and edited
    bool loadCanceled = false;     // the last Load_Tpa chose no file
    int entryCount = 0;
    bool standardLayout = false;   // the first sound header follows the entry table
    bool demoStream = false;       // entry 0 holds no sound data
    int currentIndex = -1;         // zero-based; -1 before any entry was selected
    int displayNumber = 0;         // shown in the "#" field: currentIndex + 1
    bool lastWasEntry = false;     // the sound played last came from the archive
    bool cauChosen = false;        // Play_Cau chose a .cau that can be replayed and saved
    std::string cauWavPath;        // that .cau's path with ".wav" for its extension
    int ExternalPlayKind = 0;      // 0 none, 1 converted foreign file, 2 .wav played as it is
    std::string ExternalSourcePath;  // the file chosen with Play_Wav
    std::string soundName;         // the current sound's name from the database, or "unknown"
    std::string captionText;       // caption of the sound played last, or the load summary
    bool playing = false;          // the timer advances the progress bar
    int tickCount = 0;             // timer ticks since the sound started
    int progressRange = 0;         // upper end of the progress bar for the sound
    int stopRequested = 0;         // the stop flag read during auto-play
    int useFileNames = 0;          // clicks on "Use File_Names"; odd means on
    int updateSndIds = 0;          // choices of UpDater_; odd means on
    int eelListSize = 0;           // listings in the sound list, the first included
    int sampleCounter = 0;         // numbers the saved copies of foreign files
    std::string selectedListName;  // the list box selection
    std::string selectedListPath;
    int selectedListIndex = -1;
};

// The sound extracted or converted last.
struct SoundInfo {
    double PlayTimeSeconds = 0.0;
    int PlayTimeCount = 0;   // whole seconds (the foreign readers store milliseconds)
    int channels = 1;
    int compressed = 0;      // 0: play entriesWav; 1: IMA ADPCM, play decodedWav
    int captionOffset = 0;   // non-zero when the sound carries a caption
};

// Values that live for one command only, between the shell and the
// handler it calls.
struct CommandValues {
    std::string enteredName;   // taken from the Sound ID input
    std::string captionInput;  // taken from the caption input for Wav_to_Cau
    bool addingWav = false;
    int addResult = 3;         // 0 completed, 1 refused with the archive closed, 3 nothing done
    std::string addFailure;    // why nothing was added, when it was not a cancel
    std::string addWavCau;     // the .cau made by Add_Wav's conversion, or empty
    bool exportingAllWav = false;
    bool ExternalWavFlag = false;
};

}  // namespace sonkrate::app
