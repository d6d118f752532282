#include "fuzz/sample_files.h"

#include "archive/edit/default_sound.h"
#include "audio/cau/missing_sound.h"
#include "ids/id_log.h"
#include "ids/sound_id.h"
#include "io/byte_order.h"

namespace sonkrate::fuzz {

namespace {

void add(std::vector<SeedInput>& out, const std::string& harness, const std::string& name, Bytes bytes) {
    out.push_back({harness, name, std::move(bytes)});
}

Bytes text(const std::string& s) { return Bytes(s.begin(), s.end()); }

Bytes trimmed(Bytes bytes, std::size_t keep) {
    if (bytes.size() > keep) bytes.resize(keep);
    return bytes;
}

void archiveSeeds(std::vector<SeedInput>& out) {
    using archive::TpaLayout;
    Bytes pcm = fuzz::smallPcmCau(48), captioned = fuzz::smallPcmCau(32, "two\nlines");
    Bytes mono = fuzz::smallAdpcmCau(1, 1), stereo = fuzz::smallAdpcmCau(2, 1);
    Bytes retail = fuzz::smallArchive(TpaLayout::Retail, {pcm, captioned, mono});
    Bytes beta24 = fuzz::smallArchive(TpaLayout::Beta24, {pcm, captioned});
    Bytes beta16 = fuzz::smallArchive(TpaLayout::Beta16, {mono, pcm});
    Bytes fresh = archive::newArchiveImage();
    Bytes db = text("\"f0a07bd9\" \"missing\"\r\n\"" + ids::formatSoundId(ids::computeSoundId("sound 1")) +
                    "\" \"sound 1\"\r\n\"" + ids::formatSoundId(ids::computeSoundId("sound 2")) +
                    "\" \"../con\"\r\n");
    for (const char* h : {"tpa_entries", "beta", "verify"}) {
        add(out, h, "retail", retail);
        add(out, h, "beta24", beta24);
        add(out, h, "beta16", beta16);
        add(out, h, "new", trimmed(fresh, 200));
    }
    add(out, "tpa_list", "retail", fuzz::joinParts({retail, db}));
    add(out, "tpa_list", "beta24", fuzz::joinParts({beta24, db}));
    add(out, "tpa_list", "beta16", fuzz::joinParts({beta16, {}}));
    for (std::uint8_t mode : {0, 1}) {
        add(out, "export_all", "retail" + std::to_string(mode), fuzz::joinParts({{mode}, retail, db}));
        add(out, "export_all", "beta16-" + std::to_string(mode), fuzz::joinParts({{mode}, beta16, db}));
    }
    for (std::uint8_t control : {0x01, 0x02, 0x81, 0x82, 0x00, 0x80}) {
        Bytes joined = fuzz::joinParts({retail, control & 1 ? stereo : pcm});
        joined.insert(joined.begin(), control);
        add(out, "replace_remove", "control" + std::to_string(control), joined);
    }
    Bytes effects = retail;  // entry counts kept apart and a trailer flag, as effects archives have
    io::putU32(&effects[12], 1);
    for (std::uint8_t variant = 0; variant < 16; ++variant) {
        Bytes sound = (variant & 3) == 3 ? fuzz::smallPcmWav(1, 40) : (variant & 1 ? mono : pcm);
        Bytes control{variant};
        Bytes joined = fuzz::joinParts({retail, sound});
        if (variant >= 4) joined = fuzz::joinParts({effects, sound});
        control.insert(control.end(), joined.begin(), joined.end());
        add(out, "add", "variant" + std::to_string(variant), control);
    }
    Bytes changed = fuzz::smallArchive(TpaLayout::Retail, {pcm, fuzz::smallPcmCau(32, "other"), stereo});
    add(out, "diff", "changed", fuzz::joinParts({retail, changed}));
    add(out, "diff", "same", fuzz::joinParts({retail, retail}));
    add(out, "diff", "beta", fuzz::joinParts({beta24, retail}));
    add(out, "verify", "pcm", pcm);
    add(out, "verify", "adpcm", stereo);
    add(out, "cau_file", "pcm", pcm);
    add(out, "cau_file", "captioned", captioned);
    add(out, "cau_file", "adpcm-mono", mono);
    add(out, "cau_file", "adpcm-stereo", stereo);
    add(out, "cau_file", "missing", audio::missingSoundImage());
    add(out, "eel_build", "bad", fuzz::joinParts({text("3\r\n4\r\nMISSING\r\nmissing.cau\r\n0\r\n0\r\ngood one\r\n"
                                                   "good.cau\r\n0\r\n0\r\nbad one\r\nbad.cau\r\n0\r\n0\r\n"
                                                   "absent\r\nnone.cau\r\n0\r\n0\r\n0\r\n0\r\n"),
                                              captioned}));
    add(out, "eel_build", "lf", fuzz::joinParts({text("3\n3\nMISSING\nmissing.cau\n0\n0\nfirst\ngood.cau\n0\n0\n"
                                                  "second\nbad.cau\n0\n0\n0\n0\n"),
                                             mono}));
}

void textSeeds(std::vector<SeedInput>& out) {
    add(out, "eel_list", "crlf", text("3\r\n3\r\nMISSING\r\nmissing.cau\r\n0\r\n0\r\nwater drip\r\nC:\\s\\drip.cau\r\n"
                                  "0\r\n0\r\nrain\r\nrain.cau\r\n0\r\n0\r\n0\r\n0\r\n"));
    add(out, "eel_list", "lf-cut", text("3\n2\nMISSING\nmissing.cau\n0\n0\nab\nx.cau\n0"));
    Bytes db = text("\"f0a07bd9\" \"missing\"\r\n\"12345678\" \"a name\"\n");
    Bytes log = text(ids::ingameIdLogLine("Rain Drop") + ids::ingameIdLogLine("thunder") +
                     ids::ingameSampleLogLine("wind"));
    add(out, "sndids", "both", fuzz::joinParts({db, log}));
    const std::string block("\x1e\0\0\0\x03\0\0\0\x23\0\0\0Oh God.\0\x03\0\0\0\0\x11\0\0\0Help\0", 34);
    add(out, "subrip", "crlf-bom",
        fuzz::joinParts({text("\xEF\xBB\xBF" "1\r\n00:00:01,250 --> 00:00:03,890\r\nOne\r\ntwo\r\n\r\n"
                              "2\r\n00:00:04.000 --> 00:00:05,5 X1:1\r\nthree\r\n"),
                         text(block)}));
    add(out, "subrip", "lf", fuzz::joinParts({text("00:00:00,000 --> 00:00:07,000\nOh God.\n\n"
                                                   "00:00:07,000 --> 00:00:06,000\nback\n"),
                                              text(block)}));
    add(out, "sndids", "lf", fuzz::joinParts({text("\"12345678\" \"x\"\n\"87654321\""), text("no colon\n")}));
}

void nameSeeds(std::vector<SeedInput>& out) {
    add(out, "names_harvest", "script", text("Object Door { Sound=\"amb-pv-b01\"; Volume=3 }\r\n"
                                             "Path m:\\workingaudio\\amb\\air-exterior-01.cau\r\n"));
    Bytes binary = text(std::string("\x01\x02missing\0\x7F", 12));
    for (char c : std::string("Unicode-Name")) binary.insert(binary.end(), {static_cast<std::uint8_t>(c), 0});
    add(out, "names_harvest", "binary", binary);
    add(out, "name_pattern", "digits", text("amb-pv-b##"));
    add(out, "name_pattern", "letter", text("DINO - RAPT DIST @"));
    add(out, "name_pattern", "apart", text(std::string("a?b#c@d?e\0\x12\x34\x56\x78", 14)));
    add(out, "name_pattern", "escaped", text("x\\#?\\?"));
}

void wavSeeds(std::vector<SeedInput>& out) {
    add(out, "wav", "pcm-mono", fuzz::smallPcmWav(1, 64));
    add(out, "wav", "pcm-stereo", fuzz::smallPcmWav(2, 32));
    add(out, "wav", "ima-mono", fuzz::smallAdpcmWav(1, 1));
    add(out, "wav", "ima-stereo", fuzz::smallAdpcmWav(2, 1));
}

}  // namespace

// The manifest of the sample folder as unpacked, and edited as users edit it.
void manifestSeeds(std::vector<SeedInput>& out) {
    std::string manifest;
    for (const FolderFile& f : unpackedSample())
        if (f.name == "manifest.json") manifest.assign(f.bytes.begin(), f.bytes.end());
    add(out, "pack_manifest", "unpacked", text(manifest));
    auto edited = [&](const std::string& name, const std::string& from, const std::string& to) {
        std::string m = manifest;
        if (std::size_t at = m.find(from); at != std::string::npos) m.replace(at, from.size(), to);
        add(out, "pack_manifest", name, text(m));
    };
    edited("attenuation", "\"attenuation\": 0.0", "\"attenuation\": 2.5");
    edited("captions", "\"captions\": null", "\"captions\": [{\"seconds\": 7.0, \"text\": \"Oh\"}]");
    edited("renamed", "\"name\": null", "\"name\": \"door\"");
    edited("added", "\"sounds\": [", "\"sounds\": [{\"name\": \"new\", \"file\": \"0-f0a07bd9.cau\"},");
    edited("broken", "\"sounds\"", "\"sounds");
}

std::vector<SeedInput> projectSeeds() {
    std::vector<SeedInput> seeds;
    manifestSeeds(seeds);
    archiveSeeds(seeds);
    textSeeds(seeds);
    nameSeeds(seeds);
    wavSeeds(seeds);
    return seeds;
}

}  // namespace sonkrate::fuzz
