#include "archive/folder/pack_sound.h"

#include "archive/folder/image_captions.h"
#include "audio/cau/caption_sections.h"
#include "audio/cau/cau_header.h"
#include "audio/convert/game_sound.h"

namespace sonkrate::archive {

io::Outcome convertChangedWav(const std::string& wavPath, bool ima, PackImage& image) {
    audio::GameSound sound;
    if (io::Outcome opened = sound.open(wavPath, {true, ima, {}}); !opened) return opened;
    image.head = sound.head();
    image.path = wavPath;
    image.dataSize = sound.image().header.dataSize;
    image.converted = true;
    image.ima = ima;
    return io::success();
}

io::Outcome imageOfFile(const std::string& imagePath, PackImage& image) {
    io::File in;
    if (io::Outcome opened = in.open(imagePath, io::FileMode::Read); !opened) return opened;
    const std::uint64_t size = in.size();
    std::uint8_t bytes[audio::kCauHeaderSize];
    if (size < sizeof bytes) return io::failure(imagePath + " is too short to be a sound image");
    if (io::Outcome read = in.readExact(bytes, sizeof bytes); !read) return read;
    const audio::CauHeader h = audio::parseCauHeader(bytes, false);
    if (h.dataOffset < audio::kCauHeaderSize || std::uint64_t{h.dataOffset} + h.dataSize > size)
        return io::failure("Cannot give " + imagePath + " new captions: its header places the sound data outside it");
    image.head.assign(bytes, bytes + sizeof bytes);
    image.path = imagePath;
    image.dataOffset = h.dataOffset;
    image.dataSize = h.dataSize;
    image.converted = false;
    return io::success();
}

io::Outcome recaptionImage(PackImage& image, const std::vector<ManifestSection>& sections, const std::string& what) {
    const std::vector<std::uint8_t> block = sections.empty() ? std::vector<std::uint8_t>{} : sectionsBlock(sections);
    if (io::Outcome fits = audio::checkCaptionBlock(std::string(block.begin(), block.end()), what); !fits)
        return fits;
    audio::CauHeader h = audio::parseCauHeader(image.head.data(), false);
    h.magic = {'W', 'B', 'O', 'R'};
    h.captionOffset = block.empty() ? 0 : audio::kCaptionAtHeaderEnd;
    h.dataOffset = static_cast<std::uint32_t>(audio::kCauHeaderSize + block.size());
    const auto header = audio::serializeCauHeader(h);
    image.head.assign(header.begin(), header.end());
    image.head.insert(image.head.end(), block.begin(), block.end());
    return io::success();
}

io::Outcome writeImageData(const PackImage& image, io::File& out) {
    if (!image.converted) {
        io::File in;
        if (io::Outcome opened = in.open(image.path, io::FileMode::Read); !opened) return opened;
        return io::copyRange(in, image.dataOffset, image.dataSize, out);
    }
    audio::GameSound sound;
    if (io::Outcome opened = sound.open(image.path, {true, image.ima, {}}); !opened) return opened;
    if (sound.image().header.dataSize != image.dataSize)
        return io::failure(image.path + " changed while the archive was being written");
    return sound.writeData(out);
}

}  // namespace sonkrate::archive
