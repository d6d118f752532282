// manifest.json of an unpacked archive: what unpack knew of the archive and
// of every record, read and written as JSON. Reading checks every key's type
// and says what is wrong in a sentence naming the file, with the line and
// column for text that is not JSON at all.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "io/outcome.h"

namespace sonkrate::archive {

inline constexpr char kManifestName[] = "manifest.json";
inline constexpr int kManifestVersion = 1;

// One timed caption section: shown for fifths / 5 seconds.
struct ManifestSection {
    std::uint32_t fifths = 0;
    std::string text;  // UTF-8
    bool operator==(const ManifestSection&) const = default;
};

struct ManifestFormat {
    std::uint32_t sampleRate = 0;
    std::uint32_t channels = 0;
    std::uint32_t bitsPerSample = 0;
    std::string compression;  // "pcm", "ima-adpcm" or "unknown"
    std::uint32_t blockAlign = 0;
};

struct ManifestSound {
    std::optional<std::uint32_t> record;  // index in the unpacked archive's table; none for an added row
    std::optional<std::uint32_t> soundId;
    std::optional<std::string> name;  // UTF-8
    std::string file;
    // None: the value is not a number JSON can hold (kept as it was).
    std::optional<double> attenuation;
    std::optional<double> masterVolume;
    std::optional<std::vector<ManifestSection>> captions;  // none: no caption block
    std::optional<std::uint32_t> sharesImageWith;
    std::optional<ManifestFormat> format;
    std::string hash;
};

struct Manifest {
    int version = kManifestVersion;
    std::string archive;       // the file name of the archive unpacked
    std::string form;          // "wav" or "cau"
    std::string archiveClass;  // "effects", "ambient" or "general"
    std::uint32_t layoutTag = 0;
    std::uint32_t soundCount = 0;
    std::uint32_t entryCount = 0;
    std::uint32_t trailerFlag = 0;
    std::uint32_t soundDataEnd = 0;
    std::uint64_t fileSize = 0;
    std::vector<ManifestSound> sounds;
    // The files unpack kept in .original (header.bin, table.bin, outside.bin,
    // <record>.img) and their hashes; written in .original's own copy only.
    std::vector<std::pair<std::string, std::string>> originals;
};

std::string writeManifestJson(const Manifest& manifest);

// Reads manifest text; path names the file in every sentence.
io::Outcome readManifestJson(const std::string& text, const std::string& path, Manifest& manifest);
// Reads the file at path (at most 256 MiB): a regular file, not a link.
io::Outcome readManifestFile(const std::string& path, Manifest& manifest);

}  // namespace sonkrate::archive
