// The archive window's words: the cells of its table, its status line, the
// captions and findings of its details panel.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "archive/format/archive_rows.h"
#include "archive/check/verify.h"
#include "audio/cau/caption_sections.h"

namespace sonkrate::app {

// The caption of the archive window's message boxes.
inline constexpr const char* kBrowserTitle = "Sonkrate";

// "m:ss.sss".
std::string lengthText(std::uint64_t ms);
// "1 sound", "3 sounds".
std::string countText(std::size_t n, const char* one, const char* many);
// A float stored as its bits, in its shortest decimal form ("-18", "1.5").
std::string floatText(std::uint32_t bits);
// "PCM", "IMA ADPCM", or "compression N" for another.
std::string formatText(const archive::ArchiveRow& row);
// "pcm", "ima-adpcm" or "other", for the UI dump.
std::string formatKey(const archive::ArchiveRow& row);
// "27 sounds, 26 named, 1 unknown, 1.7 MB" (MB: a million bytes of the
// archive file, one decimal); while filtered "4 of 27 shown - " first.
std::string archiveStatusText(std::size_t records, std::size_t named, std::size_t shown, bool filtered,
                              std::uint64_t fileSize);
// One line per section: "0:00.0 - 0:03.4  text", "(pause)" for an empty one.
std::string captionLines(const std::vector<audio::CaptionSection>& sections);
// Why a row's sound cannot be played, as the end of a sentence.
std::string rowProblemText(archive::RowProblem problem);
// "warning: <message>" / "error: <message>".
std::string findingLine(const archive::Finding& finding);

}  // namespace sonkrate::app
