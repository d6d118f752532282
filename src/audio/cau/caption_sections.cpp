#include "audio/cau/caption_sections.h"

#include <cstring>

#include "io/byte_order.h"

namespace sonkrate::audio {

namespace {

// The smallest section: a time word and the zero of an empty text.
constexpr std::size_t kSmallestSection = 5;

void appendU32(std::string& out, std::uint32_t value) {
    std::uint8_t word[4];
    io::putU32(word, value);
    out.append(reinterpret_cast<const char*>(word), 4);
}

// Control bytes in a text show as blanks (31 is dropped), as typed captions always have.
void appendShown(std::string& out, const std::string& text) {
    for (char ch : text) {
        auto c = static_cast<std::uint8_t>(ch);
        if (c >= 32) out += ch;
        else if (c >= 1 && c <= 30) out += ' ';
    }
}

}  // namespace

CaptionSectionsRead readCaptionSections(const std::uint8_t* block, std::size_t available) {
    CaptionSectionsRead r;
    if (available < 8) {
        r.fault = CaptionFault::NoRoom;
        return r;
    }
    r.blockLength = io::getU32(block);
    if (r.blockLength < 4 || r.blockLength > available - 4) {
        r.fault = r.blockLength < 4 ? CaptionFault::NoRoom : CaptionFault::BlockPastEnd;
        return r;
    }
    const std::size_t end = std::size_t{4} + r.blockLength;
    std::uint32_t count = io::getU32(block + 4);
    if (count > (end - 8) / kSmallestSection) {
        r.fault = CaptionFault::TooManySections;
        return r;
    }
    r.sections.reserve(count);
    std::size_t at = 8;
    for (std::uint32_t i = 0; i < count; ++i) {
        if (end - at < 4) {
            r.fault = CaptionFault::TimeCut;
            break;
        }
        CaptionSection section;
        section.fifths = io::getU32(block + at);
        at += 4;
        const void* zero = std::memchr(block + at, 0, end - at);
        if (zero == nullptr) {
            r.fault = CaptionFault::TextUnterminated;
            break;
        }
        std::size_t textEnd = static_cast<std::size_t>(static_cast<const std::uint8_t*>(zero) - block);
        section.text.assign(reinterpret_cast<const char*>(block + at), textEnd - at);
        at = textEnd + 1;
        r.sections.push_back(std::move(section));
    }
    if (!r.ok()) r.sections.clear();
    return r;
}

std::size_t captionSectionsBlockSize(const std::vector<CaptionSection>& sections) {
    std::size_t size = 8;
    for (const CaptionSection& s : sections) {
        size += 4 + 1;
        for (char c : s.text)
            if (c != '\0') ++size;
    }
    return size;
}

std::string encodeCaptionSections(const std::vector<CaptionSection>& sections) {
    std::string block;
    std::size_t size = captionSectionsBlockSize(sections);
    block.reserve(size);
    appendU32(block, static_cast<std::uint32_t>(size - 4));
    appendU32(block, static_cast<std::uint32_t>(sections.size()));
    for (const CaptionSection& s : sections) {
        appendU32(block, s.fifths);
        for (char c : s.text)
            if (c != '\0') block += c;
        block += '\0';
    }
    return block;
}

io::Outcome checkCaptionBlock(const std::string& block, const std::string& what) {
    if (block.size() > kMaxCaptionBytes)
        return io::failure("The captions of " + what + " take " + std::to_string(block.size()) +
                           " bytes, and a caption block holds at most " + std::to_string(kMaxCaptionBytes) + ".");
    if (block.size() >= 8) {
        const std::uint32_t count = io::getU32(reinterpret_cast<const std::uint8_t*>(block.data()) + 4);
        if (count > kMaxCaptionSections)
            return io::failure("The captions of " + what + " have " + std::to_string(count) +
                               " sections (lines), and a caption holds at most " +
                               std::to_string(kMaxCaptionSections) + ".");
    }
    return io::success();
}

std::string captionShownText(const std::vector<CaptionSection>& sections) {
    std::string shown;
    for (const CaptionSection& s : sections) {
        shown += ' ';
        appendShown(shown, s.text);
    }
    return shown;
}

std::uint64_t captionSectionStart(const std::vector<CaptionSection>& sections, std::size_t index) {
    std::uint64_t start = 0;
    for (std::size_t i = 0; i < index && i < sections.size(); ++i) start += sections[i].fifths;
    return start;
}

}  // namespace sonkrate::audio
