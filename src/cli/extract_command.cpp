// sonkrate-cli extract and cau2wav: one sound out as a .cau image or as a
// playable PCM .wav (IMA ADPCM decoded).
#include <cstdio>
#include <cstdlib>

#include "archive/entry_reader.h"
#include "archive/tpa_loader.h"
#include "audio/cau_export.h"
#include "audio/cau_to_wav.h"
#include "audio/decode_adpcm_wav.h"
#include "cli/cli.h"
#include "io/paths.h"

namespace sonkrate::cli {
namespace {

// The .wav that cauToWav wrote at path, decoded in place when it is IMA ADPCM.
int finishWav(const audio::CauToWavResult& wrapped, const std::string& path) {
    if (!wrapped.ok()) return failed(wrapped.outcome);
    if (wrapped.compressed == 1) {
        audio::DecodeAdpcmResult decoded = audio::decodeAdpcmWav(path, path);
        if (!decoded.ok()) {
            std::remove(path.c_str());
            return failed(path + ": " + decoded.reason);
        }
    }
    std::printf("%s: %.3f s, %d channel%s%s\n", path.c_str(), wrapped.playTimeSeconds, wrapped.channels,
                wrapped.channels == 1 ? "" : "s", wrapped.hasCaption ? (", caption:" + wrapped.captionText).c_str() : "");
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

int runExtract(const Arguments& args) {
    const std::string& archivePath = args.positional[0];
    const std::string& out = args.positional[2];
    std::uint32_t index = 0;
    if (!parseIndex(args.positional[1], index))
        return usageError("extract", "INDEX must be a number, 0 for the first entry");
    bool asCau = io::endsWith(io::toLower(out), ".cau");
    bool asWav = io::endsWith(io::toLower(out), ".wav");
    if (!asCau && !asWav) return usageError("extract", "OUT must end in .cau or .wav");

    archive::TpaLoad load = archive::loadTpaArchive(archivePath, "");
    if (!load.outcome) return failed(load.outcome);
    if (index >= load.archive.entryCount)
        return failed(archivePath + " has " + std::to_string(load.archive.entryCount) +
                      " entries; there is no entry " + std::to_string(index));
    archive::EntryRead record = archive::readTpaEntry(load.archive, index);
    if (!record.outcome) return failed(record.outcome);
    if (asCau) {
        io::Outcome written =
            audio::exportEntryAsCau(archivePath, record.entry.imageOffset, record.entry.imageLength, out);
        if (!written) return failed(written);
        std::printf("%s: %u bytes\n", out.c_str(), record.entry.imageLength);
        return kExitOk;
    }
    return finishWav(audio::cauToWav(archivePath, record.entry.imageOffset, record.entry.imageLength, out), out);
}

int runCauToWav(const Arguments& args) {
    const std::string& in = args.positional[0];
    // Default target: the .cau path with its last four characters made ".wav".
    std::string out = args.positional.size() > 1 ? args.positional[1]
                                                 : in.substr(0, in.size() >= 4 ? in.size() - 4 : 0) + ".wav";
    if (out == in) return failed("The output " + out + " would replace the input");
    return finishWav(audio::cauToWav(in, out), out);
}

const Registration extract{{
    "extract", "extract ARCHIVE INDEX OUT", "one entry as a .cau image or a playable .wav",
    "OUT ending in .cau: the entry's sound image with \"WBOR\" first.\n"
    "OUT ending in .wav: a PCM .wav; IMA ADPCM sounds are decoded.\nINDEX counts from 0.",
    {}, {}, 3, 3, runExtract}};

const Registration cau2wav{{
    "cau2wav", "cau2wav IN.cau [OUT.wav]", "a .cau sound as a PCM .wav",
    "IMA ADPCM sounds are decoded. OUT defaults to IN with .wav in place of .cau.",
    {}, {}, 1, 2, runCauToWav}};

}  // namespace
}  // namespace sonkrate::cli
