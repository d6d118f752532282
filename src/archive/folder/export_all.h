// Writing every entry of an archive as its own .cau or PCM .wav file, named
// after the sound's name in the name database, or numbered when there is
// none or the name cannot serve as a file name.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "archive/format/tpa_loader.h"
#include "io/outcome.h"
#include "io/progress.h"

namespace sonkrate::archive {

enum class ExportMode { Cau, Wav };

// The game sound whose name holds a "/", always numbered.
inline constexpr char kMayanFaceJeepName[] = "MUSIC - MAYAN FACE/JEEP";

struct ExportAllResult {
    // Failure when the archive cannot be read or any file could not be
    // written; the reason says how many.
    io::Outcome outcome;
    std::uint32_t entryCount = 0;
    std::uint32_t filesWritten = 0;
    std::uint32_t filesFailed = 0;
    std::uint32_t numbered = 0;             // entries written under archiveName_i
    std::vector<std::string> failures;      // one sentence per file not written (the first 100)
};

// A name that can stand as a file name on every system: not empty, not "." or
// "..", no path separator, no character Windows forbids (< > : " / \ | ? *),
// no control character, not ending in a blank or "." and not a reserved
// device name (CON, NUL, COM1 ...).
bool isUsableFileStem(std::string_view name);

// archiveName + "_" + index for "unknown", kMayanFaceJeepName and every
// name that isUsableFileStem refuses; the name itself otherwise.
std::string exportFileStem(std::string_view archiveName, std::uint32_t index, std::string_view name);

// Every entry, in table order, into outDir (which must exist) as
// stem + ".cau" (image with "WBOR" first) or stem + ".wav" (PCM; IMA ADPCM
// decoded). Names come from dbPath (empty: none). An existing file of the
// same name is replaced. progress counts the entries done.
ExportAllResult exportAllEntries(const TpaArchive& archive, ExportMode mode, const std::string& outDir,
                                 const std::string& dbPath, const io::ProgressCallback& progress = {});

}  // namespace sonkrate::archive
