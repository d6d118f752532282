// Small well-formed files made with the project's own writers: the material
// of the seed corpora, and the healthy side of harnesses that pair a hostile
// file with a sound one.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "archive/format/tpa_format.h"
#include "fuzz/fuzz_support.h"

namespace sonkrate::fuzz {

// A .cau image of frames 16-bit PCM frames (mono), with an optional caption.
Bytes smallPcmCau(std::uint32_t frames, const std::string& caption = {});
// A .cau image of IMA ADPCM blocks of 1028 bytes (mono) or 2056 (stereo).
Bytes smallAdpcmCau(std::uint16_t channels, std::uint32_t blocks);
// An archive in the given layout holding the images in table order.
Bytes smallArchive(archive::TpaLayout layout, const std::vector<Bytes>& images);
// A 16-bit PCM .wav of frames frames.
Bytes smallPcmWav(std::uint16_t channels, std::uint32_t frames);
// An IMA ADPCM .wav with a fact chunk.
Bytes smallAdpcmWav(std::uint16_t channels, std::uint32_t blocks);

// The files of a small archive unpacked as .cau files (shared image,
// caption, IMA ADPCM), by their paths inside the folder; made once.
struct FolderFile {
    std::string name;
    Bytes bytes;
};
const std::vector<FolderFile>& unpackedSample();

// A well-formed input of one harness, made by the project's own writers.
struct SeedInput {
    std::string harness;
    std::string name;
    Bytes bytes;
};
// The seeds of every harness that reads the project's own formats.
std::vector<SeedInput> projectSeeds();

}  // namespace sonkrate::fuzz
