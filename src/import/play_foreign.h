// Playing a sound file the user picked: the refusal of the readers' own
// working files, the extension table that picks a reader, and the .wav files
// that are played as they are or decoded first. This only decides and
// converts and reports what became of the file; the shell chooses the texts
// and beeps and plays what it is told.
#pragma once

#include <array>
#include <string>

#include "audio/wav/wav_reader.h"
#include "import/conversion.h"

namespace sonkrate::import {

// The working files this operation knows (the shell's WorkPaths fields).
struct ForeignWorkPaths {
    std::string tempWav;
    std::string conversionWav;
    std::string decodedWav;
};

// The foreign formats, one per reader.
enum class ForeignFormat { Htk, Voc, Au, Aiff, Caf, Paf, Pvf, Sphere, Wve };

// One row of the extension table. Extensions are compared exactly, so only
// the lower-case and the upper-case spellings match.
struct ForeignReaderRow {
    std::array<const char*, 4> extensions;  // unused places are null
    ReaderFunction reader;
    ForeignFormat format;
    const char* formatName;
};

// The rows in the order they are tried; the .wav row is not among them.
const std::array<ForeignReaderRow, 9>& foreignReaderTable();

// The text after the last "." of the path (the whole path when it has none).
std::string extensionOf(const std::string& path);
// The reader row for an extension, or null.
const ForeignReaderRow* readerForExtension(const std::string& extension);
bool isWavExtension(const std::string& extension);

// A played .wav is taken by the fields at the canonical header's offsets.
using DirectWavHeader = audio::CanonicalWavHeader;

enum class DirectWavHandling {
    PlayAsIs,     // PCM, G.711 and the other layouts the system's player takes
    DecodeFirst,  // IMA ADPCM of block alignment 1028 or 2056
    NotPlayed,    // silently left alone
};

// The playing time of a .wav from its header, in seconds (0 without a divisor).
double directWavPlayTime(const DirectWavHeader& header);
DirectWavHandling directWavHandling(const DirectWavHeader& header);

enum class ForeignRoute {
    Cancelled,  // no file was picked
    Refused,    // one of the readers' working files was picked
    Reader,     // a foreign format, converted into conversionWav
    DirectWav,  // a .wav, played as it is or decoded first
    NoMatch,    // an extension no row matches: nothing happens
};

// What to do before any file is touched.
struct ForeignPlayPlan {
    ForeignRoute route = ForeignRoute::NoMatch;
    std::string sourcePath;                 // ExternalSourcePath
    const ForeignReaderRow* row = nullptr;  // for Reader
};

ForeignPlayPlan planForeignPlay(const std::string& chosenPath, const ForeignWorkPaths& paths);

// What became of the file.
enum class ForeignPlayResult {
    Nothing,     // cancelled, or an extension no row matches
    Refused,     // one of the working files was picked
    Converted,   // converted into conversionWav, which is to be played
    PlayAsIs,    // a .wav to be played from its own path
    Decoded,     // an IMA ADPCM .wav decoded into decodedWav, which is to be played
    NotPlayed,   // a .wav of a layout that is not played
    ReadFailed,  // the file could not be read, converted or decoded
};

struct ForeignPlayOutcome {
    ForeignRoute route = ForeignRoute::NoMatch;
    ForeignPlayResult result = ForeignPlayResult::Nothing;
    const ForeignReaderRow* row = nullptr;  // the reader, for Reader
    std::string playPath;                // the file to play asynchronously; empty: play nothing
    bool readFailed = false;             // ReadFailed: set for Refused and for ReadFailed
    std::string reason;                  // why, naming the file, when readFailed
    bool playTimeSet = false;            // PlayTimeSeconds and PlayTimeCount were computed
    double playTimeSeconds = 0.0;
    int playTimeCount = 0;               // x1000 for the readers, whole seconds for a direct .wav
    std::string layout;                  // what the file was taken for
};

ForeignPlayOutcome runForeignPlay(const ForeignPlayPlan& plan, const ForeignWorkPaths& paths);
// Both steps; an empty chosenPath is a cancelled dialog.
ForeignPlayOutcome playForeignFile(const std::string& chosenPath, const ForeignWorkPaths& paths);

}  // namespace sonkrate::import
