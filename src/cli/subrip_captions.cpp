#include "cli/subrip_captions.h"

#include <vector>

#include "audio/cau/caption_sections.h"
#include "audio/cau/cau_header.h"
#include "audio/cau/cau_reader.h"
#include "audio/cau/subrip.h"
#include "io/file.h"
#include "io/game_text.h"

namespace sonkrate::cli {
namespace {

std::string faultText(const audio::SubRipRead& r) {
    const std::string cue = "cue " + std::to_string(r.cue) + " (line " + std::to_string(r.line) + ")";
    switch (r.fault) {
    case audio::SubRipFault::NoCues: return "it holds no subtitle cues";
    case audio::SubRipFault::BadTiming: return cue + " has no timing line of the form 00:00:01,000 --> 00:00:02,500";
    case audio::SubRipFault::TimeTooLarge: return cue + " ends later than a caption can last";
    case audio::SubRipFault::Backwards: return cue + " ends before it starts";
    case audio::SubRipFault::Overlapping: return cue + " starts before the cue before it ends";
    case audio::SubRipFault::CrLineEnds:
        return "line " + std::to_string(r.line) + " ends in a carriage return alone; SubRip files are read with "
               "CR LF or LF line ends";
    case audio::SubRipFault::Utf16: return "it is UTF-16 (or UTF-32) text; SubRip files are read as UTF-8";
    case audio::SubRipFault::None: break;
    }
    return "it cannot be read";
}

}  // namespace

io::Outcome captionBlockFromSubRip(const std::string& path, std::string& block) {
    io::File file;
    if (io::Outcome opened = file.open(path, io::FileMode::Read); !opened) return opened;
    const std::uint64_t size = file.size();
    // A caption block larger than this is not read back by anything.
    if (size > audio::kMaxCaptionBytes)
        return io::failure(path + " is too large for captions: it has " + std::to_string(size) +
                           " bytes and a caption block holds at most " + std::to_string(audio::kMaxCaptionBytes) + ".");
    std::string text(static_cast<std::size_t>(size), '\0');
    if (io::Outcome read = file.readAt(0, text.data(), text.size()); !read) return read;
    audio::SubRipRead subtitles = audio::readSubRip(text);
    if (!subtitles.ok()) return io::failure(path + " cannot be used as captions: " + faultText(subtitles) + ".");
    // Stored in the game's code page where the text fits, as --caption stores it.
    for (audio::CaptionSection& s : subtitles.sections) s.text = io::gameText(s.text);
    block = audio::encodeCaptionSections(subtitles.sections);
    return audio::checkCaptionBlock(block, path);
}

int captionBlockOf(const Arguments& args, const std::string& commandName, std::string& block) {
    block.clear();
    const auto typed = args.option("caption");
    const auto subtitles = args.option("captions");
    if (typed && subtitles) return usageError(commandName, "give --caption TEXT or --captions FILE.srt, not both");
    if (typed && !typed->empty()) {
        block = audio::encodeCaptionBlock(io::gameText(*typed));
        if (io::Outcome fits = audio::checkCaptionBlock(block, "--caption"); !fits) return failed(fits);
    }
    if (subtitles) {
        if (io::Outcome made = captionBlockFromSubRip(*subtitles, block); !made) return failed(made);
    }
    return kExitOk;
}

}  // namespace sonkrate::cli
