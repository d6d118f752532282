// SubRip (.srt) subtitles as caption sections: cues read into timed sections
// (the gaps between cues become pauses) and sections written as cues.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "audio/cau/caption_sections.h"

namespace sonkrate::audio {

// Why a SubRip text cannot become sections.
enum class SubRipFault {
    None,
    NoCues,         // not one cue in the text
    BadTiming,      // a cue without a "start --> end" line, or a time that does not read
    TimeTooLarge,   // a time past what a section's 32-bit count of fifths holds
    Backwards,      // a cue that ends before it starts
    Overlapping,    // a cue that starts before the one before it ends
    CrLineEnds,     // lines ended by a carriage return alone (line: the first)
    Utf16,          // UTF-16 or UTF-32 text: a byte-order mark of theirs, or zero bytes
};

struct SubRipRead {
    SubRipFault fault = SubRipFault::None;
    std::size_t cue = 0;   // the cue at fault, counted from 1 in the order of the file
    std::size_t line = 0;  // its line, counted from 1
    std::vector<CaptionSection> sections;
    bool ok() const { return fault == SubRipFault::None; }
};

// Reads cues (a UTF-8 BOM, CR LF or LF line ends accepted) into sections: a
// pause for the time before each cue, then the cue, its times rounded to
// fifths of a second and its lines joined by line feeds. A timing line (with
// or without its number before it) inside a cue starts the next cue, as
// players read a file that lacks the blank line between two cues.
SubRipRead readSubRip(std::string_view text);
// The sections as SubRip cues one after another from 0, CR LF line ends; a
// section with an empty text is a pause and gets no cue.
std::string writeSubRip(const std::vector<CaptionSection>& sections);
// A time in fifths as SubRip writes it: "HH:MM:SS,mmm".
std::string subRipTime(std::uint64_t fifths);

}  // namespace sonkrate::audio
