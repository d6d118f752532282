#include "archive/edit/incoming_sound.h"

#include <algorithm>

#include "audio/cau/cau_recaption.h"
#include "io/paths.h"

namespace sonkrate::archive {

io::Outcome IncomingSound::prepare(const std::string& given, bool toGame, bool ima, const std::string& captionBlock) {
    path_ = given;
    if (io::endsWith(io::toLower(given), ".wav")) return prepareWav(toGame, ima, captionBlock);
    if (captionBlock.empty()) return io::success();
    return prepareRecaptioned(captionBlock);
}

io::Outcome IncomingSound::prepareWav(bool toGame, bool ima, const std::string& captionBlock) {
    if (io::Outcome opened = sound_.open(path_, {toGame, ima, captionBlock}); !opened) return opened;
    if (sound_.converted()) change_ = sound_.before() + " -> " + sound_.after();
    head_ = sound_.head();
    std::copy_n(head_.begin(), image_.header.size(), image_.header.begin());
    image_.size = sound_.imageSize();
    image_.pieces = {ImagePiece::memory(head_),
                     ImagePiece::produced([this](io::File& out) { return sound_.writeData(out); },
                                          sound_.image().header.dataSize)};
    made_ = true;
    return io::success();
}

io::Outcome IncomingSound::prepareRecaptioned(const std::string& captionBlock) {
    if (io::Outcome opened = cau_.open(path_, io::FileMode::Read); !opened) return opened;
    audio::RecaptionedCau made;
    if (io::Outcome read = audio::recaptionCau(cau_, captionBlock, made); !read) return read;
    head_ = std::move(made.head);
    std::copy_n(head_.begin(), image_.header.size(), image_.header.begin());
    image_.size = head_.size() + made.dataSize;
    image_.pieces = {ImagePiece::memory(head_), ImagePiece::range(cau_, made.dataStart, made.dataSize)};
    made_ = true;
    return io::success();
}

}  // namespace sonkrate::archive
