// sonkrate-cli list: one row per entry of an archive.
#include <cstdio>

#include "archive/entry_reader.h"
#include "archive/tpa_loader.h"
#include "cli/cli.h"
#include "ids/sound_id.h"
#include "ids/sound_name_index.h"

namespace sonkrate::cli {
namespace {

void printJsonRow(const archive::EntrySound& e, const std::string& name, bool first) {
    const audio::CauHeader& h = e.header;
    std::printf("%s\n  {\"index\": %u, \"soundId\": \"%s\", \"imageOffset\": %u, \"imageLength\": %u, "
                "\"sampleRate\": %u, \"channels\": %u, \"bitsPerSample\": %u, \"compression\": \"%s\", "
                "\"dataSize\": %u, \"caption\": %s, \"name\": %s}",
                first ? "" : ",", e.index, ids::formatSoundId(e.entry.soundId).c_str(), e.entry.imageOffset,
                e.entry.imageLength, h.sampleRate, h.channels, h.bitsPerSample,
                h.isAdpcm() ? "ima-adpcm" : "pcm", e.dataSize,
                e.header.hasCaption() ? jsonString(e.caption).c_str() : "null", jsonString(name).c_str());
}

void printTextRow(const archive::EntrySound& e, const std::string& name) {
    const audio::CauHeader& h = e.header;
    std::printf("%5u  %s  %10u  %9u  %6u  %u  %2u  %-9s  %9u  %s%s%s\n", e.index,
                ids::formatSoundId(e.entry.soundId).c_str(), e.entry.imageOffset, e.entry.imageLength,
                h.sampleRate, h.channels, h.bitsPerSample, h.isAdpcm() ? "ima-adpcm" : "pcm", e.dataSize,
                name.c_str(), h.hasCaption() ? "  caption:" : "", h.hasCaption() ? e.caption.c_str() : "");
}

int runList(const Arguments& args) {
    archive::TpaLoad load = archive::loadTpaArchive(args.positional[0], "");
    if (!load.outcome) return failed(load.outcome);
    // The database is read once, not once per entry.
    ids::SoundNameIndex names;
    names.load(args.option("db").value_or(""));
    bool json = args.has("json");
    if (json) std::printf("[");
    else std::printf("index  id        offset      length     rate    ch bits compress   data       name\n");
    bool first = true;
    io::Outcome walked = archive::forEachEntrySound(load.archive, [&](const archive::EntrySound& e) {
        std::string name = names.lookup(e.entry.soundId);
        if (json) printJsonRow(e, name, first);
        else printTextRow(e, name);
        first = false;
        return true;
    });
    if (json) std::printf("%s]\n", first ? "" : "\n");
    std::fflush(stdout);
    if (!walked) return failed(walked);
    return kExitOk;
}

const Registration list{{
    "list", "list ARCHIVE [--db SNDIDS] [--json]", "one row per entry of a .tpa archive",
    "For every entry: index, identifier (8 hex digits), image offset and length,\n"
    "sample rate, channels, bits, compression, data size, caption and the name\n"
    "stored for the identifier in the name database SNDIDS (else \"unknown\").",
    {"json"}, {"db"}, 1, 1, runList}};

}  // namespace
}  // namespace sonkrate::cli
