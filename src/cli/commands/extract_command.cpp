// sonkrate-cli extract and cau2wav: one sound out as a .cau image or as a
// playable PCM .wav (IMA ADPCM decoded).
#include <cstdio>
#include <cstdlib>

#include "archive/format/entry_reader.h"
#include "archive/format/tpa_loader.h"
#include "audio/cau/cau_export.h"
#include "audio/convert/cau_to_pcm_wav.h"
#include "cli/cli.h"
#include "cli/commands.h"
#include "cli/std_streams.h"
#include "io/game_text.h"
#include "io/paths.h"

namespace sonkrate::cli {
namespace {

// The PCM .wav written at out's path (IMA ADPCM decoded on the way), passed
// on to standard output when that is where it goes.
int finishWav(const audio::CauToWavResult& wrapped, const OutputFile& out, const InputFile* in = nullptr) {
    if (!wrapped.ok()) return failed(out.reword(in ? in->reword(wrapped.outcome.reason) : wrapped.outcome.reason));
    if (io::Outcome sent = out.finish(); !sent) return failed(sent);
    say(out.messages(), "%s: %.3f s, %d channel%s%s\n", out.shown().c_str(), wrapped.playTimeSeconds,
        wrapped.channels, wrapped.channels == 1 ? "" : "s",
        wrapped.hasCaption ? (", caption:" + io::shownText(wrapped.captionText)).c_str() : "");
    return kExitOk;
}

bool parseIndex(const std::string& text, std::uint32_t& index) {
    if (text.empty() || text.size() > 10) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    unsigned long long value = std::strtoull(text.c_str(), nullptr, 10);
    if (value > 0xFFFFFFFFull) return false;
    index = static_cast<std::uint32_t>(value);
    return true;
}

}  // namespace

int runExtract(const Arguments& args) {
    const std::string& archivePath = args.positional[0];
    const std::string& given = args.positional[2];
    std::uint32_t index = 0;
    if (!parseIndex(args.positional[1], index))
        return usageError("extract", "INDEX must be a number, 0 for the first entry");
    // "-" is a .wav unless --cau asks for the image.
    const bool piped = isStdStream(given);
    bool asCau = piped ? args.has("cau") : io::endsWith(io::toLower(given), ".cau");
    bool asWav = piped ? !asCau : io::endsWith(io::toLower(given), ".wav");
    if (!asCau && !asWav) return usageError("extract", "OUT must end in .cau or .wav, or be -");
    if (args.has("cau") && !piped) return usageError("extract", "--cau goes with OUT -");
    OutputFile out;
    if (io::Outcome ready = out.prepare(given, asCau ? "entry.cau" : "entry.wav"); !ready) return failed(ready);

    archive::TpaLoad load = archive::loadTpaArchive(archivePath, "");
    if (!load.outcome) return failed(load.outcome);
    if (index >= load.archive.entryCount)
        return failed(archivePath + " has " + std::to_string(load.archive.entryCount) +
                      " entries; there is no entry " + std::to_string(index));
    archive::EntryRead record = archive::readTpaEntry(load.archive, index);
    if (!record.outcome) return failed(record.outcome);
    if (asCau) {
        io::Outcome written = audio::exportEntryAsCau(archivePath, record.entry.imageOffset,
                                                      record.entry.imageLength, out.path());
        if (!written) return failed(written);
        if (io::Outcome sent = out.finish(); !sent) return failed(sent);
        say(out.messages(), "%s: %u bytes\n", out.shown().c_str(), record.entry.imageLength);
        return kExitOk;
    }
    return finishWav(audio::cauToPcmWav(archivePath, record.entry.imageOffset, record.entry.imageLength, out.path(),
                                        io::Durability::Durable),
                     out);
}

int runCauToWav(const Arguments& args) {
    const std::string& given = args.positional[0];
    // Default target: the .cau path with its last four characters made ".wav";
    // standard output when the sound comes from standard input.
    std::string target = args.positional.size() > 1 ? args.positional[1]
                         : isStdStream(given)       ? "-"
                                                    : given.substr(0, given.size() >= 4 ? given.size() - 4 : 0) + ".wav";
    if (target == given && !isStdStream(given)) return failed("The output " + target + " would replace the input");
    OutputFile out;
    if (io::Outcome ready = out.prepare(target, "sound.wav"); !ready) return failed(ready);
    InputFile in;
    if (io::Outcome read = in.prepare(given, "sound.cau"); !read) return failed(read);
    return finishWav(audio::cauToPcmWav(in.path(), out.path(), io::Durability::Durable), out, &in);
}

const char* const kExtractDetails =
    "OUT ending in .cau: the entry's sound image with \"WBOR\" first.\n"
    "OUT ending in .wav: a PCM .wav; IMA ADPCM sounds are decoded.\n"
    "OUT -: the .wav (with --cau the image) on standard output, never a terminal.\nINDEX counts from 0.";

const char* const kCauToWavDetails =
    "IMA ADPCM sounds are decoded. OUT defaults to IN with .wav in place of .cau.\n"
    "IN - reads the sound from standard input; OUT - (the default then) writes the\n"
    ".wav to standard output, never to a terminal.";

}  // namespace sonkrate::cli
