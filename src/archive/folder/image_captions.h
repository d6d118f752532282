// The captions of a sound image as the manifest of an unpacked archive holds
// them: timed sections with UTF-8 texts, read from the image's caption block
// as the game reads it, and the block written back from sections.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "archive/folder/manifest_json.h"
#include "io/file.h"
#include "io/outcome.h"

namespace sonkrate::archive {

// The sections of the image of imageLength bytes at imageOffset of file;
// none when it has no caption block or the block does not read as sections.
std::optional<std::vector<ManifestSection>> readImageSections(io::File& file, std::uint64_t imageOffset,
                                                              std::uint64_t imageLength);

// The caption block for sections, texts in the game's code page.
std::vector<std::uint8_t> sectionsBlock(const std::vector<ManifestSection>& sections);

}  // namespace sonkrate::archive
