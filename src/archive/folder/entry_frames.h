// An archive entry's sound opened for reading as 16-bit frames (to draw it,
// or to write it from a chosen frame on), and one chosen entry exported.
#pragma once

#include <cstdint>
#include <string>

#include "archive/folder/export_all.h"
#include "archive/format/tpa_loader.h"
#include "audio/cau/sound_frames.h"
#include "io/outcome.h"

namespace sonkrate::archive {

// Opens the sound of record index; the failure names the record and the archive.
io::Outcome openEntryFrames(const TpaArchive& archive, std::uint32_t index, audio::SoundFrameReader& reader);

// Writes record index into outDir as stem + ".cau" (the image, "WBOR" first)
// or + ".wav" (PCM, decoded), the stem made by exportFileStem from name.
// path receives the file's path.
io::Outcome exportEntry(const TpaArchive& archive, std::uint32_t index, ExportMode mode, const std::string& outDir,
                        const std::string& name, std::string& path);

}  // namespace sonkrate::archive
