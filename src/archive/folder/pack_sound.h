// The sound images pack makes for what changed in an unpacked folder: a
// changed .wav converted as --to-game converts it and stored in the entry's
// compression, and an image given new captions. Each is a .cau written to a
// working file beside the archive being made, removed when pack is done.
#pragma once

#include <string>
#include <vector>

#include "archive/folder/manifest_json.h"
#include "io/outcome.h"

namespace sonkrate::archive {

// Paths of working files, removed when it goes.
class WorkFiles {
public:
    explicit WorkFiles(std::string beside) : beside_(std::move(beside)) {}
    ~WorkFiles();
    WorkFiles(const WorkFiles&) = delete;
    WorkFiles& operator=(const WorkFiles&) = delete;
    std::string make();

private:
    std::string beside_;
    std::vector<std::string> paths_;
};

// The .wav at wavPath as a .cau: made 16-bit PCM where the game cannot play
// it as it is, and IMA ADPCM in the game's blocks when ima is set.
io::Outcome convertChangedWav(const std::string& wavPath, bool ima, WorkFiles& work, std::string& cauPath);

// The image at imagePath with its caption block replaced by sections (none
// when empty), the sound data unchanged.
io::Outcome recaptionImage(const std::string& imagePath, const std::vector<ManifestSection>& sections,
                           WorkFiles& work, std::string& cauPath);

}  // namespace sonkrate::archive
