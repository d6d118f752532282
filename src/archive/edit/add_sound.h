// Appending one sound image (.cau) to a retail archive: the general rewrite,
// the rewrite for effects and ambient archives (counts kept apart, trailer
// kept in place) and the rewrite used once per item of a list build. The
// new archive is written beside the old one and renamed over it, so a
// failure at any point leaves the archive byte for byte as it was.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "archive/format/archive_writer.h"
#include "ids/sound_id.h"
#include "io/outcome.h"
#include "io/progress.h"

namespace sonkrate::archive {

// How an add ended. The shell has a text for each; see COMPATIBILITY.md.
enum class AddOutcome {
    Done,
    Refused,      // a general add asked for the effects archive
    NothingDone,  // nothing written (bad input, or the overwrite failed)
};

// A sound image made on its way into the archive rather than read from a
// .cau file: its header and size, and the pieces that write it.
struct SoundImageSource {
    std::array<std::uint8_t, 36> header{};
    std::uint64_t size = 0;
    std::vector<ImagePiece> pieces;
};

struct AddSoundRequest {
    std::string archivePath;
    std::string soundPath;      // the .cau appended
    // When set, the image appended instead; soundPath then only names it.
    const SoundImageSource* image = nullptr;
    std::string soundName;      // the name typed; ignored when useFileNames is set
    bool useFileNames = false;  // name = soundPath's file name without the four characters from its first "."
    bool updateSndIds = false;  // also append the name record to dbPath
    std::string dbPath;         // SndIds.dat
    std::string logPath;        // tpa_logs.log; empty: no log line
    // General adds only: when no file can be read here, the archive as it was
    // is copied here first. Empty: no backup.
    std::string backupPath;
};

struct AddSoundResult {
    AddOutcome addResult = AddOutcome::NothingDone;
    // When not Done, the reason: a sentence naming the file.
    io::Outcome outcome;
    // The new archive could not be written or put in place of the old one;
    // the archive is unchanged.
    bool overwriteFailed = false;
    // The sound was added but its log line or name record could not be written.
    std::string warning;

    std::string name;  // the name used, case as given
    ids::SoundId soundId = 0;
    // The archive after the add (before it on failure).
    std::uint32_t soundCount = 0;
    std::uint32_t entryCount = 0;
    std::uint64_t fileSize = 0;
    // The new record.
    std::uint32_t imageOffset = 0;
    std::uint32_t imageLength = 0;
    bool backupWritten = false;
};

// Copies the archive to backupPath unless a file can be read there already,
// so the first change keeps the archive as it was and later ones leave that
// copy alone; written tells whether a copy was made. An empty path: no backup.
io::Outcome keepArchiveBackup(const std::string& archivePath, const std::string& backupPath, bool& written);

// The variant the add commands use: the effects rewrite for "effects" and
// "ambient", and for "alteffects" when its first image follows the table.
bool usesEffectsAdd(std::string_view archiveName, bool standardLayout);

// The sound name of a request: soundName, or the file's name when useFileNames
// (in the game's code page where it fits, io::gameText).
std::string addSoundName(const AddSoundRequest& request);

// soundCount and entryCount become N + 1, trailerFlag 0, soundDataEnd the new
// size; the new record's auxValue is 0. Every old record keeps its auxValue
// and reserved (the game's attenuation and master volume). Refused for an
// archive named "effects".
AddSoundResult addSoundGeneral(const AddSoundRequest& request, const io::ProgressCallback& progress = {});

// Both counts are incremented apart and the table keeps the larger of them;
// an effects archive keeps its trailerFlag and its soundDataEnd moves by 56,
// an ambient archive gets trailerFlag 0 and soundDataEnd the new size. The new
// record's auxValue is 1.5f (bytes 00 00 C0 3F).
AddSoundResult addSoundEffects(const AddSoundRequest& request, const io::ProgressCallback& progress = {});

// One item of a list build: the general rewrite, then the line
// " Ingame_ID (string sample): " + soundName appended to buildLogPath. No
// backup and no name record.
AddSoundResult addSoundFromList(const std::string& archivePath, const std::string& soundName,
                                const std::string& cauPath, const std::string& buildLogPath);

}  // namespace sonkrate::archive
