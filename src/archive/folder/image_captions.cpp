#include "archive/folder/image_captions.h"

#include "audio/cau/caption_sections.h"
#include "audio/cau/cau_reader.h"
#include "io/game_text.h"

namespace sonkrate::archive {

std::optional<std::vector<ManifestSection>> readImageSections(io::File& file, std::uint64_t imageOffset,
                                                              std::uint64_t imageLength) {
    audio::CauImage image;
    if (!audio::readCauEntry(file, imageOffset, imageLength, image) || !image.hasCaption ||
        image.captionFault != audio::CaptionFault::None)
        return std::nullopt;
    std::vector<ManifestSection> sections;
    for (const audio::CaptionSection& s : image.captionSections) sections.push_back({s.fifths, io::shownText(s.text)});
    return sections;
}

std::vector<std::uint8_t> sectionsBlock(const std::vector<ManifestSection>& sections) {
    std::vector<audio::CaptionSection> stored;
    for (const ManifestSection& s : sections) stored.push_back({s.fifths, io::gameText(s.text)});
    const std::string block = audio::encodeCaptionSections(stored);
    return std::vector<std::uint8_t>(block.begin(), block.end());
}

}  // namespace sonkrate::archive
