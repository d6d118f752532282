// Putting the sound data of a .cau file or an archive entry, unchanged, into
// a .wav container: PCM data into a PCM .wav, IMA ADPCM data into an IMA
// ADPCM .wav. The result also carries what the shell shows and times.
#pragma once

#include <cstdint>
#include <string>

#include "audio/cau/cau_header.h"
#include "audio/cau/cau_reader.h"
#include "io/file.h"
#include "io/outcome.h"
#include "io/replacement.h"

namespace sonkrate::audio {

struct CauToWavResult {
    io::Outcome outcome;  // on failure the output file is left as it was

    // The shell's SoundInfo values.
    double playTimeSeconds = 0.0;
    int playTimeCount = 0;  // playTimeSeconds truncated
    int channels = 0;
    int compressed = 0;     // the compression byte: 0 PCM, 1 IMA ADPCM
    std::uint32_t captionOffset = 0;

    bool hasCaption = false;
    std::string captionText;  // when hasCaption

    // Header fields a caller needs.
    std::uint32_t sampleRate = 0;
    std::uint16_t bitsPerSample = 0;
    std::uint32_t dataSize = 0;
    std::uint32_t blockAlign = 0;
    std::uint32_t decodedSize = 0;
    CauHeader header;

    bool ok() const { return outcome.ok; }
};

// From a .cau file to wavPath (replaced safely). Durable for a file the user
// keeps; working files and bulk outputs are only replaced atomically.
CauToWavResult cauToWav(const std::string& cauPath, const std::string& wavPath,
                        io::Durability durability = io::Durability::Scratch);

// From the image of imageLength bytes at imageOffset of an archive to wavPath.
CauToWavResult cauToWav(const std::string& archivePath, std::uint64_t imageOffset, std::uint64_t imageLength,
                        const std::string& wavPath, io::Durability durability = io::Durability::Scratch);

// The facts of an image read, nothing written; the outcome fails, naming
// name, for a sound no .wav can hold (an unknown compression, too long).
CauToWavResult cauWavFacts(const std::string& name, const CauImage& image, bool fromEntry);

// The image read from in (a .cau file, or an archive entry when fromEntry)
// written to wavPath as the two above write it.
CauToWavResult cauImageToWav(io::File& in, const CauImage& image, const std::string& wavPath, bool fromEntry,
                             io::Durability durability);

}  // namespace sonkrate::audio
