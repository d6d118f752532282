// sonkrate-cli captions: the captions of .cau files and archives as the game
// shows them, section by section with their display times, or as SubRip.
#include <cstdio>
#include <string>
#include <vector>

#include "archive/format/entry_reader.h"
#include "archive/format/tpa_loader.h"
#include "audio/cau/caption_sections.h"
#include "audio/cau/cau_reader.h"
#include "audio/cau/subrip.h"
#include "cli/cli.h"
#include "cli/commands.h"
#include "cli/std_streams.h"
#include "ids/sound_id.h"
#include "ids/sound_name_index.h"
#include "io/game_text.h"
#include "io/paths.h"

namespace sonkrate::cli {
namespace {

// One captioned sound: where it is, and its caption as read.
struct CaptionedSound {
    std::string where;  // "a.tpa: entry 3, 1a2b3c4d (name)" or "x.cau"
    std::vector<audio::CaptionSection> sections;
    audio::CaptionFault fault = audio::CaptionFault::None;
    std::string shown;  // the caption as shown, for a block that is not sections
};

const char* faultText(audio::CaptionFault f) {
    switch (f) {
    case audio::CaptionFault::NoRoom: return "it is too short to hold its length and section count";
    case audio::CaptionFault::BlockPastEnd: return "its length runs past the end of the sound";
    case audio::CaptionFault::TooManySections: return "it claims more sections than it can hold";
    case audio::CaptionFault::TimeCut: return "a section's time runs past its end";
    case audio::CaptionFault::TextUnterminated: return "a section's text runs past its end";
    case audio::CaptionFault::TooLarge: return "it is larger than the 1 MiB to which captions are read";
    case audio::CaptionFault::None: break;
    }
    return "it reads as sections";
}

// Tenths of a second, for the total.
std::string seconds(std::uint64_t fifths) {
    return std::to_string(fifths / 5) + "." + std::to_string(fifths % 5 * 2) + " s";
}

void printSections(const CaptionedSound& c) {
    if (c.fault != audio::CaptionFault::None) {
        print(stdout, "%s: the caption block does not read as timed sections (%s); its text: %s\n", c.where.c_str(),
              faultText(c.fault), io::shownText(c.shown).c_str());
        return;
    }
    const std::uint64_t total = audio::captionSectionStart(c.sections, c.sections.size());
    print(stdout, "%s: %s in %zu section%s\n", c.where.c_str(), seconds(total).c_str(), c.sections.size(),
          c.sections.size() == 1 ? "" : "s");
    std::uint64_t start = 0;
    for (const audio::CaptionSection& s : c.sections) {
        std::string text = s.text.empty() ? "(pause)" : io::shownText(s.text);
        // The lines of a section stay apart, indented under its text.
        for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1))
            text.insert(at + 1, 33, ' ');
        print(stdout, "  %s --> %s  %s\n", audio::subRipTime(start).c_str(),
              audio::subRipTime(start + s.fifths).c_str(), text.c_str());
        start += s.fifths;
    }
}

CaptionedSound fromImage(std::string where, const std::vector<audio::CaptionSection>& sections,
                         audio::CaptionFault fault, const std::string& shown) {
    CaptionedSound c{std::move(where), sections, fault, shown};
    for (audio::CaptionSection& s : c.sections) s.text = io::shownText(s.text);
    return c;
}

// Every captioned sound of path, appended to found; false when it cannot be read.
io::Outcome collect(const std::string& path, const ids::SoundNameIndex& names, std::vector<CaptionedSound>& found,
                    bool& anyCaption) {
    anyCaption = false;
    if (io::endsWith(io::toLower(path), ".cau")) {
        audio::CauImage image;
        if (io::Outcome read = audio::readCauFile(path, image); !read) return read;
        anyCaption = image.hasCaption;
        if (image.hasCaption) found.push_back(fromImage(path, image.captionSections, image.captionFault, image.captionText));
        return io::success();
    }
    archive::TpaLoad load = archive::loadTpaArchive(path, "");
    if (!load.outcome) return load.outcome;
    return archive::forEachEntrySound(load.archive, [&](const archive::EntrySound& e) {
        if (!e.header.hasCaption()) return true;
        anyCaption = true;
        std::string where = path + ": entry " + std::to_string(e.index) + ", " + ids::formatSoundId(e.entry.soundId) +
                            " (" + io::shownText(names.lookup(e.entry.soundId)) + ")";
        found.push_back(fromImage(std::move(where), e.captionSections, e.captionFault, e.caption));
        return true;
    });
}

}  // namespace

int runCaptions(const Arguments& args) {
    const bool srt = args.has("srt");
    // SubRip has CR LF line ends of its own.
    if (srt) useBinaryStdout();
    ids::SoundNameIndex names;
    names.load(args.option("db").value_or(""));
    bool anyFailed = false;
    std::vector<CaptionedSound> found;
    for (const std::string& path : args.positional) {
        bool anyCaption = false;
        const std::size_t before = found.size();
        if (io::Outcome read = collect(path, names, found, anyCaption); !read) {
            reportError(read.reason);
            anyFailed = true;
            found.resize(before);
            continue;
        }
        if (!anyCaption && !srt) print(stdout, "%s: no captions\n", path.c_str());
    }
    for (const CaptionedSound& c : found) {
        if (!srt) {
            printSections(c);
            continue;
        }
        if (c.fault != audio::CaptionFault::None) {
            warning(c.where + ": the caption block does not read as timed sections (" + faultText(c.fault) +
                    "), so it has no SubRip.");
            continue;
        }
        // Several sounds: each introduced by its name, as head does for several files.
        if (found.size() > 1) print(stdout, "==> %s <==\r\n", c.where.c_str());
        print(stdout, "%s", audio::writeSubRip(c.sections).c_str());
    }
    std::fflush(stdout);
    return anyFailed ? kExitFailed : kExitOk;
}

const char* const kCaptionsDetails =
    "For every captioned sound of each FILE (a .tpa archive or a .cau file): its\n"
    "caption's sections as the game shows them, one after another from the start\n"
    "of the sound, each with its display time from the sound's start (the game\n"
    "counts in fifths of a second); a section without text is a pause. A caption\n"
    "block that does not read as sections is reported with its text.\n"
    "--srt writes SubRip subtitles instead (pauses get no cue), ready for\n"
    "wav2cau, add and replace --captions; for more than one captioned sound each\n"
    "is introduced by a line \"==> FILE: entry N, ID (NAME) <==\".\n"
    "--db names archive entries from the name database SNDIDS.\n"
    "Exit 1 when a FILE cannot be read (the others are still shown).";

}  // namespace sonkrate::cli
