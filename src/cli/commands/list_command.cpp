// sonkrate-cli list: one row per entry of an archive.
#include <cstdio>
#include <string>

#include "archive/format/entry_reader.h"
#include "archive/format/tpa_loader.h"
#include "cli/cli.h"
#include "cli/commands.h"
#include "ids/sound_id.h"
#include "ids/sound_name_index.h"
#include "io/game_text.h"

namespace sonkrate::cli {
namespace {

// One object of the JSON array, appended to out.
void appendJsonRow(std::string& out, const archive::EntrySound& e, const std::string& name, bool first) {
    const audio::CauHeader& h = e.header;
    char fields[320];
    std::snprintf(fields, sizeof fields,
                  "%s\n  {\"index\": %u, \"soundId\": \"%s\", \"imageOffset\": %u, \"imageLength\": %u, "
                  "\"sampleRate\": %u, \"channels\": %u, \"bitsPerSample\": %u, \"compression\": \"%s\", "
                  "\"dataSize\": %u, \"caption\": ",
                  first ? "" : ",", e.index, ids::formatSoundId(e.entry.soundId).c_str(), e.entry.imageOffset,
                  e.entry.imageLength, h.sampleRate, h.channels, h.bitsPerSample,
                  h.isAdpcm() ? "ima-adpcm" : "pcm", e.dataSize);
    out += fields;
    out += h.hasCaption() ? jsonString(e.caption) : "null";
    out += ", \"name\": " + jsonString(name) + "}";
}

// The columns for people: the header goes through the same widths as the rows.
constexpr const char* kColumns = "%5s  %-8s  %10s  %10s  %6s  %2s  %4s  %-9s  %10s  %s\n";

void printTextRow(const archive::EntrySound& e, const std::string& name) {
    const audio::CauHeader& h = e.header;
    auto n = [](std::uint32_t v) { return std::to_string(v); };
    std::string nameAndCaption = io::shownText(name + (h.hasCaption() ? "  caption: " + e.caption : ""));
    print(stdout, kColumns, n(e.index).c_str(), ids::formatSoundId(e.entry.soundId).c_str(),
                n(e.entry.imageOffset).c_str(), n(e.entry.imageLength).c_str(), n(h.sampleRate).c_str(),
                n(h.channels).c_str(), n(h.bitsPerSample).c_str(), h.isAdpcm() ? "ima-adpcm" : "pcm",
                n(e.dataSize).c_str(), nameAndCaption.c_str());
}

}  // namespace

int runList(const Arguments& args) {
    archive::TpaLoad load = archive::loadTpaArchive(args.positional[0], "");
    if (!load.outcome) return failed(load.outcome);
    // The database is read once, not once per entry.
    ids::SoundNameIndex names;
    names.load(args.option("db").value_or(""));
    const bool json = args.has("json");
    // The JSON array is printed whole once every entry has been read, so that a
    // failure half-way leaves scripts one error object rather than a cut array.
    std::string array = "[";
    if (!json)
        print(stdout, kColumns, "index", "id", "offset", "length", "rate", "ch", "bits", "compress", "data", "name");
    bool first = true;
    io::Outcome walked = archive::forEachEntrySound(load.archive, [&](const archive::EntrySound& e) {
        std::string name = names.lookup(e.entry.soundId);
        if (json) appendJsonRow(array, e, name, first);
        else printTextRow(e, name);
        first = false;
        return true;
    });
    std::fflush(stdout);
    if (!walked) return failed(walked);
    if (json) print(stdout, "%s%s]\n", array.c_str(), first ? "" : "\n");
    return kExitOk;
}

const char* const kListDetails =
    "For every entry: index, identifier (8 hex digits), image offset and length,\n"
    "sample rate, channels, bits, compression, data size, caption and the name\n"
    "stored for the identifier in the name database SNDIDS (else \"unknown\").";

}  // namespace sonkrate::cli
