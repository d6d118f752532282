#include "archive/edit/staged_images.h"

#include <algorithm>
#include <cstdio>

#include "audio/cau/cau_file_check.h"
#include "audio/convert/game_sound.h"
#include "io/file_system.h"

namespace sonkrate::archive {

ScratchImages::~ScratchImages() {
    if (!out_.isOpen()) return;
    (void)out_.close();
    (void)io::removeFile(path_);
}

io::Outcome ScratchImages::ready(std::uint64_t& start) {
    if (!out_.isOpen())
        if (io::Outcome opened = out_.open(path_, io::FileMode::Write); !opened) return opened;
    start = end_;
    return out_.seek(end_);
}

io::Outcome ScratchImages::finish(std::uint64_t start, const std::uint8_t* header, StagedImage& staged) {
    staged.offset = start;
    staged.length = out_.tell() - start;
    if (std::fflush(out_.handle()) != 0) return io::failure("Cannot write the working file " + path_);
    std::copy(header, header + audio::kCauHeaderSize, staged.header.begin());
    end_ = start + staged.length;
    return out_.seek(end_);
}

io::Outcome ScratchImages::stageWav(const std::string& wavPath, bool ima, StagedImage& staged) {
    audio::GameSound sound;
    audio::GameSoundOptions options;
    options.toGame = true;
    options.ima = ima;
    if (io::Outcome opened = sound.open(wavPath, options); !opened) return opened;
    std::uint64_t start = 0;
    if (io::Outcome begun = ready(start); !begun) return begun;
    if (io::Outcome written = sound.writeImage(out_); !written) return written;
    if (out_.tell() - start != sound.imageSize())
        return io::failure("Cannot stage " + wavPath + ": its sound did not come out at the length it announced");
    return finish(start, sound.head().data(), staged);
}

io::Outcome ScratchImages::stageCau(const std::string& cauPath, StagedImage& staged) {
    audio::CauFileFacts facts;
    if (io::Outcome checked = audio::inspectCauFile(cauPath, facts); !checked) return checked;
    io::File in;
    if (io::Outcome opened = in.open(cauPath, io::FileMode::Read); !opened) return opened;
    if (in.size() != facts.size) return io::failure(cauPath + " changed while it was read");
    std::uint64_t start = 0;
    if (io::Outcome begun = ready(start); !begun) return begun;
    if (io::Outcome copied = io::copyRange(in, 0, facts.size, out_); !copied) return copied;
    return finish(start, facts.header.data(), staged);
}

io::Outcome ScratchImages::openForReading(io::File& in) {
    if (!out_.isOpen()) return io::failure("No sound was staged in " + path_);
    if (std::fflush(out_.handle()) != 0) return io::failure("Cannot write the working file " + path_);
    return in.open(path_, io::FileMode::Read);
}

}  // namespace sonkrate::archive
