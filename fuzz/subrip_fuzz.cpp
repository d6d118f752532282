// SubRip subtitles and caption blocks from hostile bytes. Input: a SubRip
// text, then a caption block. Sections read from either survive being
// written and read again: the block byte for byte, the subtitles cue by cue.
#include <string>
#include <vector>

#include "audio/cau/caption_sections.h"
#include "audio/cau/cau_header.h"
#include "audio/cau/subrip.h"
#include "fuzz/fuzz_support.h"

using namespace sonkrate;

namespace {

struct Cue {
    std::uint64_t start, end;
    std::string text;
    bool operator==(const Cue&) const = default;
};

// A text as a cue keeps it: its lines without their CRs at the end, blank lines left out.
std::string cueText(const std::string& text) {
    std::string out;
    std::size_t from = 0;
    while (from <= text.size()) {
        std::size_t end = text.find('\n', from);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(from, end - from);
        while (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.find_first_not_of(" \t\r") != std::string::npos) out += (out.empty() ? "" : "\n") + line;
        from = end + 1;
    }
    return out;
}

std::vector<Cue> cuesOf(const std::vector<audio::CaptionSection>& sections) {
    std::vector<Cue> cues;
    std::uint64_t start = 0;
    for (const audio::CaptionSection& s : sections) {
        std::string text = cueText(s.text);
        if (!text.empty()) cues.push_back({start, start + s.fifths, text});
        start += s.fifths;
    }
    return cues;
}

bool sameSections(const std::vector<audio::CaptionSection>& a, const std::vector<audio::CaptionSection>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i].fifths != b[i].fifths || a[i].text != b[i].text) return false;
    return true;
}

void checkBlock(const std::vector<audio::CaptionSection>& sections) {
    const std::string block = audio::encodeCaptionSections(sections);
    fuzz::check(block.size() == audio::captionSectionsBlockSize(sections), "the block is not the size announced");
    auto back = audio::readCaptionSections(reinterpret_cast<const std::uint8_t*>(block.data()), block.size());
    fuzz::check(back.ok(), "a block written from sections does not read back");
    std::vector<audio::CaptionSection> stored = sections;
    for (audio::CaptionSection& s : stored) std::erase(s.text, '\0');
    fuzz::check(sameSections(back.sections, stored), "a block read back holds other sections");
}

}  // namespace

SONKRATE_FUZZ_HARNESS(subrip) {
    std::vector<fuzz::Bytes> parts = fuzz::splitParts(data, size, 2);
    const std::string text(parts[0].begin(), parts[0].end());
    audio::SubRipRead subtitles = audio::readSubRip(text);
    if (subtitles.ok()) {
        fuzz::check(!subtitles.sections.empty(), "subtitles read without a section");
        checkBlock(subtitles.sections);
        audio::SubRipRead again = audio::readSubRip(audio::writeSubRip(subtitles.sections));
        if (cuesOf(subtitles.sections).empty()) {
            fuzz::check(!again.ok(), "subtitles without text wrote cues");
        } else {
            fuzz::check(again.ok(), "subtitles written do not read back");
            fuzz::check(cuesOf(again.sections) == cuesOf(subtitles.sections), "subtitles read back hold other cues");
        }
    } else {
        fuzz::check(subtitles.sections.empty(), "refused subtitles kept sections");
        fuzz::check(subtitles.line >= 1, "a refusal names no line");
    }

    const fuzz::Bytes& block = parts[1];
    audio::CaptionSectionsRead sections = audio::readCaptionSections(block.data(), block.size());
    if (sections.ok()) {
        fuzz::check(std::uint64_t{sections.blockLength} + 4 <= block.size(), "sections read past the block");
        checkBlock(sections.sections);
        (void)audio::writeSubRip(sections.sections);
    } else {
        fuzz::check(sections.sections.empty(), "a refused block kept sections");
    }
    (void)audio::decodeCaptionText(block.data(), block.size());
}
