// The caption block of a sound image as the game reads it: timed sections,
// each shown for a number of fifths of a second, one after another from the
// start of the sound. A section with an empty text is a pause.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "io/outcome.h"

namespace sonkrate::audio {

// Longest caption block read, its length word included; anything beyond is
// ignored. No caption block Sonkrate writes is longer.
inline constexpr std::uint32_t kMaxCaptionBytes = 1u << 20;
// Most sections (lines) a caption block Sonkrate writes holds; a voice log
// of the game holds a handful.
inline constexpr std::uint32_t kMaxCaptionSections = 1000;

// One section of a caption: how long it stays on screen and its text.
struct CaptionSection {
    std::uint32_t fifths = 0;  // display time in fifths of a second
    std::string text;          // without its terminating zero
};

// Why a block does not read as sections.
enum class CaptionFault {
    None,
    NoRoom,             // fewer than 8 bytes: no block length and section count
    BlockPastEnd,       // the block length runs past the bytes available
    TooManySections,    // the section count cannot fit in the block
    TimeCut,            // a section's time word runs past the block
    TextUnterminated,   // a section's text has no zero inside the block
    TooLarge,           // the block length passes kMaxCaptionBytes: not read
};

// The outcome of reading a block: the sections, or the fault and no sections.
struct CaptionSectionsRead {
    CaptionFault fault = CaptionFault::None;
    std::vector<CaptionSection> sections;
    std::uint32_t blockLength = 0;  // the length word, excluding its own 4 bytes
    bool ok() const { return fault == CaptionFault::None; }
};

// Reads the block at block (its length word first) with available bytes
// readable: length, count, then count sections of a time and a zero-ended text.
CaptionSectionsRead readCaptionSections(const std::uint8_t* block, std::size_t available);
// The block for sections: length, count, each time and text with its zero.
// Zero bytes inside a text are dropped (they would end it early).
std::string encodeCaptionSections(const std::vector<CaptionSection>& sections);
// The text shown for sections: a blank, then the texts joined by blanks.
std::string captionShownText(const std::vector<CaptionSection>& sections);
// Length of a block, its 4-byte length word included, that the encoder writes.
std::size_t captionSectionsBlockSize(const std::vector<CaptionSection>& sections);
// Fails, naming what (a file, a row), when the block (its length word first)
// is longer than kMaxCaptionBytes or counts more than kMaxCaptionSections
// sections: every path that writes a caption block checks it first.
io::Outcome checkCaptionBlock(const std::string& block, const std::string& what);

// Where a section starts, in fifths from the sound's start (sum of those before it).
std::uint64_t captionSectionStart(const std::vector<CaptionSection>& sections, std::size_t index);

}  // namespace sonkrate::audio
