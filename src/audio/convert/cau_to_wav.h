// Putting the sound data of a .cau file or an archive entry, unchanged, into
// a .wav container: PCM data into a PCM .wav, IMA ADPCM data into an IMA
// ADPCM .wav. The result also carries what the shell shows and times.
#pragma once

#include <cstdint>
#include <string>

#include "audio/cau/cau_header.h"
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

}  // namespace sonkrate::audio
