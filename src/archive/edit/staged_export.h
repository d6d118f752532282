// A staged record's sound exported before it is saved, as the save will write
// it: what is exported is what is heard and what will be saved.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "archive/edit/staged_edits.h"
#include "archive/folder/export_all.h"
#include "io/outcome.h"

namespace sonkrate::archive {

// The header and caption block an image given new captions is saved with,
// and where its sound data lies in the image as it is stored now.
struct NewImageHead {
    std::vector<std::uint8_t> bytes;  // the header, then the caption block
    std::array<std::uint8_t, 36> header{};
    std::uint32_t dataOffset = 0;  // in the stored image
    std::uint32_t dataSize = 0;
};
// Fails, naming archivePath, when the image's header places its sound data outside it.
io::Outcome makeNewImageHead(const ImageSource& image, const std::string& archivePath, NewImageHead& head);

// Where a record's image lies as staged. Taken on the thread that edits, so
// that an export on another thread reads only these values.
struct StagedImageCopy {
    std::string path;  // the archive opened or the scratch file of the staged images
    std::uint64_t offset = 0;
    std::uint64_t length = 0;
    std::optional<NewImageHead> head;  // set when the image is saved with a new head
};
io::Outcome stagedImageCopy(const StagedEdits& edits, std::size_t record, StagedImageCopy& copy);

// Writes the image to target: the whole image ("WBOR" first) for ExportMode::Cau,
// its sound decoded to PCM for ExportMode::Wav.
io::Outcome exportStagedImage(const StagedImageCopy& copy, ExportMode mode, const std::string& target);

// Whether a record's sound or captions differ from the archive opened.
bool isImageStaged(const StagedEdits& edits, std::size_t record);

// Writes the image into outDir under the name exportEntry gives record index
// of archiveName; path receives the file's path.
io::Outcome exportStagedRecord(const StagedImageCopy& copy, std::string_view archiveName, std::uint32_t index,
                               ExportMode mode, const std::string& outDir, const std::string& name, std::string& path);

}  // namespace sonkrate::archive
