// Sound images staged for an archive being edited, kept compactly in one
// scratch file (the images one after another) until the archive is saved:
// a .wav of any layout made into an image the game plays, or a .cau checked
// as an add checks it. The archive itself is never copied.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "audio/cau/cau_header.h"
#include "io/file.h"
#include "io/outcome.h"

namespace sonkrate::archive {

struct StagedImage {
    std::uint64_t offset = 0;  // of the whole image in the scratch file
    std::uint64_t length = 0;
    std::array<std::uint8_t, audio::kCauHeaderSize> header{};  // its first bytes
};

class ScratchImages {
public:
    // The scratch file is made at path on the first image staged and
    // removed when this goes.
    explicit ScratchImages(std::string path) : path_(std::move(path)) {}
    ~ScratchImages();
    ScratchImages(const ScratchImages&) = delete;
    ScratchImages& operator=(const ScratchImages&) = delete;

    // The .wav at wavPath as an image without captions: made 16-bit PCM where
    // the game cannot play it as it is, and IMA ADPCM in the game's blocks
    // when ima is set. Fails with a sentence naming the file.
    io::Outcome stageWav(const std::string& wavPath, bool ima, StagedImage& staged);
    // The .cau at cauPath as it is, once its header describes the file.
    io::Outcome stageCau(const std::string& cauPath, StagedImage& staged);

    // Opens the scratch file for reading its images; fails when none was staged.
    io::Outcome openForReading(io::File& in);
    const std::string& path() const { return path_; }

private:
    io::Outcome ready(std::uint64_t& start);
    io::Outcome finish(std::uint64_t start, const std::uint8_t* header, StagedImage& staged);

    std::string path_;
    io::File out_;
    std::uint64_t end_ = 0;  // where the next image goes; bytes of a failed one are written over
};

}  // namespace sonkrate::archive
