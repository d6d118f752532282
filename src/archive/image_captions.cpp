// TEMPORARY until the shared caption-section reader lands.
#include "archive/image_captions.h"

#include "io/byte_order.h"
#include "io/game_text.h"

namespace sonkrate::archive {

std::optional<std::vector<ManifestSection>> readImageSections(io::File& file, std::uint64_t imageOffset,
                                                              std::uint64_t imageLength,
                                                              const audio::CauHeader& header) {
    if (!header.hasCaption() || header.formatTag < 110) return std::nullopt;
    const std::uint64_t at = header.captionOffset;
    std::uint8_t head[8];
    if (at + 8 > imageLength || !file.readAt(imageOffset + at, head, 8)) return std::nullopt;
    const std::uint32_t length = head[0] | head[1] << 8 | head[2] << 16 | std::uint32_t{head[3]} << 24;
    const std::uint32_t count = head[4] | head[5] << 8 | head[6] << 16 | std::uint32_t{head[7]} << 24;
    if (length < 4 || at + 4 + length > imageLength || length > (1u << 20)) return std::nullopt;
    std::vector<std::uint8_t> block(length - 4);
    if (!file.readAt(imageOffset + at + 8, block.data(), block.size())) return std::nullopt;
    std::vector<ManifestSection> sections;
    std::size_t p = 0;
    for (std::uint32_t i = 0; i < count && p + 4 <= block.size(); ++i) {
        ManifestSection s;
        s.fifths = block[p] | block[p + 1] << 8 | block[p + 2] << 16 | std::uint32_t{block[p + 3]} << 24;
        p += 4;
        std::string text;
        while (p < block.size() && block[p] != 0) text += static_cast<char>(block[p++]);
        if (p < block.size()) ++p;
        s.text = io::shownText(text);
        sections.push_back(s);
    }
    return sections;
}

std::vector<std::uint8_t> sectionsBlock(const std::vector<ManifestSection>& sections) {
    std::vector<std::uint8_t> body;
    auto put = [&](std::uint32_t v) {
        for (int i = 0; i < 4; ++i) body.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    };
    put(static_cast<std::uint32_t>(sections.size()));
    for (const ManifestSection& s : sections) {
        put(s.fifths);
        for (char c : io::gameText(s.text)) if (c != 0) body.push_back(static_cast<std::uint8_t>(c));
        body.push_back(0);
    }
    std::vector<std::uint8_t> block;
    const auto length = static_cast<std::uint32_t>(body.size());
    for (int i = 0; i < 4; ++i) block.push_back(static_cast<std::uint8_t>(length >> (8 * i)));
    block.insert(block.end(), body.begin(), body.end());
    return block;
}

}  // namespace sonkrate::archive
