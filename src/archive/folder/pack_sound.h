// The sound images pack makes for what changed in an unpacked folder: a
// changed .wav converted as --to-game converts it and stored in the entry's
// compression, and an image given new captions. Each is a head made in
// memory and sound data that goes into the archive as it is written (copied
// from its file, or converted again from the .wav); nothing is written
// beside the archive.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "archive/folder/manifest_json.h"
#include "io/file.h"
#include "io/outcome.h"

namespace sonkrate::archive {

struct PackImage {
    std::vector<std::uint8_t> head;  // the 36-byte header, then the caption block
    std::string path;                // where the sound data comes from
    std::uint64_t dataOffset = 0;    // copied from here of path, unless converted
    std::uint32_t dataSize = 0;
    bool converted = false;  // the .wav at path made a game sound as it is written
    bool ima = false;        // in IMA ADPCM

    std::uint64_t size() const { return head.size() + dataSize; }
};

// The .wav at wavPath as an image: made 16-bit PCM where the game cannot play
// it as it is, and IMA ADPCM in the game's blocks when ima is set.
io::Outcome convertChangedWav(const std::string& wavPath, bool ima, PackImage& image);

// The sound image in the file at imagePath, its data left where it is.
io::Outcome imageOfFile(const std::string& imagePath, PackImage& image);

// image with its caption block replaced by sections (none when empty), the
// sound data unchanged; what names the image in a refusal.
io::Outcome recaptionImage(PackImage& image, const std::vector<ManifestSection>& sections, const std::string& what);

// Writes image's sound data to out. Fails when the file it comes from no
// longer gives the data planned.
io::Outcome writeImageData(const PackImage& image, io::File& out);

}  // namespace sonkrate::archive
