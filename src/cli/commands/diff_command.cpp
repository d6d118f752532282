// sonkrate-cli diff: which sounds two archives do not share, and what
// differs of those they both hold, matched by identifier.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "archive/check/archive_diff.h"
#include "cli/cli.h"
#include "cli/commands.h"
#include "ids/sound_id.h"

namespace sonkrate::cli {
namespace {

using archive::DiffSide;
using archive::SoundDifference;
using archive::SoundPresence;

// The record's bits as the IEEE single they hold.
std::string singleText(std::uint32_t bits) {
    float value = 0;
    std::memcpy(&value, &bits, sizeof value);
    char text[32];
    std::snprintf(text, sizeof text, "%g", static_cast<double>(value));
    return text;
}

// The same for JSON, which has no NaN or infinity: those are null.
std::string jsonSingle(std::uint32_t bits) {
    float value = 0;
    std::memcpy(&value, &bits, sizeof value);
    return std::isfinite(value) ? singleText(bits) : "null";
}

std::string formatText(const DiffSide& s) {
    std::string text = std::to_string(s.sampleRate) + " Hz, " + std::to_string(s.channels) + " ch, " +
                       std::to_string(s.bitsPerSample) + "-bit, ";
    text += s.compression == 0 ? "pcm" : s.compression == 1 ? "ima-adpcm" : "compression " + std::to_string(s.compression);
    if (s.compression == 1) text += " (blocks of " + std::to_string(s.blockAlign) + ")";
    return text;
}

// "sound data (1000 -> 1200 bytes), attenuation 1.5 -> 2, ..." for a changed sound.
std::string changesText(const SoundDifference& d) {
    std::string text;
    auto add = [&](const std::string& part) { text += (text.empty() ? "" : ", ") + part; };
    const DiffSide &a = *d.a, &b = *d.b;
    if (d.changes.data)
        add("sound data" + (a.dataSize != b.dataSize
                                ? " (" + std::to_string(a.dataSize) + " -> " + std::to_string(b.dataSize) + " bytes)"
                                : std::string()));
    if (d.changes.attenuation) add("attenuation " + singleText(a.attenuation) + " -> " + singleText(b.attenuation));
    if (d.changes.volume) add("volume " + singleText(a.volume) + " -> " + singleText(b.volume));
    if (d.changes.captions) add("captions");
    if (d.changes.format) add("format " + formatText(a) + " -> " + formatText(b));
    return text;
}

void printText(const archive::ArchiveDiff& diff, const std::string& pathA, const std::string& pathB) {
    std::size_t added = 0, removed = 0, changed = 0;
    for (const SoundDifference& d : diff.differences) {
        const std::string id = ids::formatSoundId(d.soundId);
        if (d.presence == SoundPresence::OnlyInA) {
            ++removed;
            print(stdout, "removed  %s  (entry %u of %s)\n", id.c_str(), d.a->index, pathA.c_str());
        } else if (d.presence == SoundPresence::OnlyInB) {
            ++added;
            print(stdout, "added    %s  (entry %u of %s)\n", id.c_str(), d.b->index, pathB.c_str());
        } else {
            ++changed;
            print(stdout, "changed  %s  %s\n", id.c_str(), changesText(d).c_str());
        }
    }
    if (diff.differences.empty())
        print(stdout, "%s and %s hold the same sounds (%zu)\n", pathA.c_str(), pathB.c_str(), diff.unchanged);
    else
        print(stdout, "%zu added, %zu removed, %zu changed, %zu the same\n", added, removed, changed, diff.unchanged);
}

// As list names it ("pcm", "ima-adpcm"); any other value as its number.
std::string compressionJson(std::uint8_t compression) {
    if (compression == 0) return "\"pcm\"";
    if (compression == 1) return "\"ima-adpcm\"";
    return std::to_string(compression);
}

std::string jsonSide(const std::optional<DiffSide>& s) {
    if (!s) return "null";
    char text[256];
    std::snprintf(text, sizeof text,
                  "{\"index\": %u, \"attenuation\": %s, \"masterVolume\": %s, \"sampleRate\": %u, \"channels\": %u, "
                  "\"bitsPerSample\": %u, \"compression\": %s, \"blockAlign\": %u, \"dataSize\": %u}",
                  s->index, jsonSingle(s->attenuation).c_str(), jsonSingle(s->volume).c_str(), s->sampleRate,
                  s->channels, s->bitsPerSample, compressionJson(s->compression).c_str(), s->blockAlign, s->dataSize);
    return text;
}

void printJson(const archive::ArchiveDiff& diff, const std::string& pathA, const std::string& pathB) {
    std::string out = "{\"a\": " + jsonString(pathA) + ", \"b\": " + jsonString(pathB) +
                      ", \"sameSounds\": " + (diff.differences.empty() ? "true" : "false") +
                      ", \"unchanged\": " + std::to_string(diff.unchanged) + ", \"sounds\": [";
    bool first = true;
    for (const SoundDifference& d : diff.differences) {
        const char* kind = d.presence == SoundPresence::OnlyInA ? "removed"
                           : d.presence == SoundPresence::OnlyInB ? "added" : "changed";
        std::string changes;
        auto add = [&](bool on, const char* what) {
            if (on) changes += std::string(changes.empty() ? "" : ", ") + "\"" + what + "\"";
        };
        add(d.changes.data, "data");
        add(d.changes.attenuation, "attenuation");
        add(d.changes.volume, "masterVolume");
        add(d.changes.captions, "captions");
        add(d.changes.format, "format");
        out += std::string(first ? "" : ",") + "\n  {\"soundId\": \"" + ids::formatSoundId(d.soundId) +
               "\", \"change\": \"" + kind + "\", \"changes\": [" + changes + "], \"a\": " + jsonSide(d.a) +
               ", \"b\": " + jsonSide(d.b) + "}";
        first = false;
    }
    out += first ? "]}\n" : "\n]}\n";
    print(stdout, "%s", out.c_str());
}

}  // namespace

int runDiff(const Arguments& args) {
    const std::string& pathA = args.positional[0];
    const std::string& pathB = args.positional[1];
    archive::ArchiveDiff diff = archive::diffArchives(pathA, pathB);
    if (!diff.outcome) {
        // As cmp and diff: trouble is 2, so that 1 always means "they differ".
        failedOn(diff.failedFile, diff.outcome.reason);
        return kExitUsage;
    }
    if (args.has("json")) printJson(diff, pathA, pathB);
    else printText(diff, pathA, pathB);
    std::fflush(stdout);
    return diff.sameSounds() ? kExitOk : kExitFailed;
}

const char* const kDiffDetails =
    "Compares two .tpa archives sound by sound, matching them by identifier (an\n"
    "identifier held twice is paired in record order): sounds added (only in B),\n"
    "removed (only in A), and for sounds in both whether their sound data,\n"
    "attenuation, volume, captions or format (rate, channels, bits, compression,\n"
    "block alignment) changed. Archives that differ only in the order of their\n"
    "sounds, their collision table or their trailer hold the same sounds.\n"
    "--json prints {\"a\", \"b\", \"sameSounds\", \"unchanged\", \"sounds\": [{\"soundId\",\n"
    "\"change\" (added, removed or changed), \"changes\" (data, attenuation,\n"
    "masterVolume, captions, format), \"a\", \"b\"}]}, where \"a\" and \"b\" hold the\n"
    "sound's facts in each archive (null where it is missing).\n"
    "Exit status, as cmp and diff: 0 when the archives hold the same sounds, 1\n"
    "when they differ, 2 on a usage error or when an archive cannot be read.";

}  // namespace sonkrate::cli
