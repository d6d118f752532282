// Decoding an IMA ADPCM .wav into a 16-bit PCM .wav with the input's own
// channel count and sample rate, one block at a time.
#pragma once

#include <cstdint>
#include <string>

#include "io/file.h"
#include "io/outcome.h"
#include "io/replacement.h"

namespace sonkrate::audio {

enum class DecodeStatus {
    Ok,
    UnknownBlockAlign,  // a block alignment outside 512..2056; nothing written
    Failed,             // reason says why; nothing written
};

struct DecodeAdpcmResult {
    DecodeStatus status = DecodeStatus::Failed;
    std::string reason;  // empty when status is Ok

    std::uint16_t channels = 0;
    std::uint32_t sampleRate = 0;
    std::uint32_t blockAlign = 0;
    std::uint64_t framesWritten = 0;  // samples per channel written
    std::uint64_t blocksDecoded = 0;  // including a short last block
    bool dataClamped = false;         // the input's data chunk claimed more than the file holds

    bool ok() const { return status == DecodeStatus::Ok; }
};

// Reads the IMA ADPCM .wav at inputPath and writes the PCM .wav to outputPath
// (replaced safely; it may be the input itself). Per block: the header's
// predictor, then every code of the block but its last, per channel; a short
// last block gives only the samples its codes make. Durable for a file the
// user keeps; working files and bulk outputs are only replaced atomically.
DecodeAdpcmResult decodeAdpcmWav(const std::string& inputPath, const std::string& outputPath,
                                 io::Durability durability = io::Durability::Scratch);

// IMA ADPCM blocks lying in an open file: a .wav's data chunk, a .cau's data.
struct ImaData {
    std::uint64_t offset = 0;
    std::uint64_t length = 0;
    unsigned channels = 0;
    std::uint32_t sampleRate = 0;
    std::uint32_t blockAlign = 0;
};

// Decodes data of in into the PCM .wav at outputPath, as decodeAdpcmWav
// does; name stands for in in the reasons. in is closed before the output
// is put in place.
DecodeAdpcmResult decodeImaData(io::File& in, const ImaData& data, const std::string& name,
                                const std::string& outputPath, io::Durability durability);

}  // namespace sonkrate::audio
