// Writes the seed corpora of the fuzz harnesses into OUTDIR/<harness>/: small
// files made by the project's own writers, and foreign files written by SoX
// and libsndfile's sndfile-convert when those programs are installed.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "archive/default_sound.h"
#include "audio/missing_sound.h"
#include "audio/wav_headers.h"
#include "fuzz/sample_files.h"
#include "ids/id_log.h"
#include "ids/sound_id.h"
#include "io/byte_order.h"

using namespace sonkrate;
using fuzz::Bytes;
namespace fs = std::filesystem;

namespace {

fs::path gOut;

void seed(const std::string& harness, const std::string& name, const Bytes& bytes) {
    fs::path folder = gOut / harness;
    std::error_code ec;
    fs::create_directories(folder, ec);
    std::FILE* out = std::fopen((folder / name).string().c_str(), "wb");
    if (!out) return;
    if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), out);
    std::fclose(out);
}

Bytes text(const std::string& s) { return Bytes(s.begin(), s.end()); }

Bytes readFile(const fs::path& path) { return fuzz::readWhole(path.string()); }

bool haveTool(const std::string& name) {
    std::string probe = "command -v " + name + " >/dev/null 2>&1";
    return std::system(probe.c_str()) == 0;
}

std::string quote(const fs::path& path) { return "'" + path.string() + "'"; }

// A short 16-bit tone written with the project's own .wav header.
fs::path tone(const fs::path& folder, std::uint32_t rate, std::uint16_t channels) {
    fs::path path = folder / ("tone-" + std::to_string(rate) + "-" + std::to_string(channels) + ".wav");
    Bytes data(static_cast<std::size_t>(600) * channels * 2);
    for (std::size_t i = 0; i < data.size() / 2; ++i)
        io::putI16(&data[i * 2], static_cast<std::int16_t>((i % 40) * 800 - 16000));
    auto header = audio::pcmWavHeader(channels, rate, 16, static_cast<std::uint32_t>(data.size()));
    Bytes file(header.begin(), header.end());
    file.insert(file.end(), data.begin(), data.end());
    std::FILE* out = std::fopen(path.string().c_str(), "wb");
    if (out) {
        std::fwrite(file.data(), 1, file.size(), out);
        std::fclose(out);
    }
    return path;
}

struct ForeignSeed {
    const char* harness;
    const char* file;
    const char* tool;  // "sox" or "sndfile-convert"
    const char* options;
    std::uint32_t rate;
    std::uint16_t channels;
};

const ForeignSeed kForeign[] = {
    {"import_aiff", "m16.aiff", "sndfile-convert", "-pcm16", 22050, 1},
    {"import_aiff", "s24.aiff", "sndfile-convert", "-pcm24", 22050, 2},
    {"import_aiff", "m32.aiff", "sndfile-convert", "-pcm32", 22050, 1},
    {"import_aiff", "m8.aiff", "sndfile-convert", "-pcms8", 11025, 1},
    {"import_aiff", "mu8.aiff", "sndfile-convert", "-pcmu8", 22050, 1},
    {"import_aiff", "mulaw.aiff", "sndfile-convert", "-ulaw", 8000, 2},
    {"import_aiff", "salaw.aiff", "sndfile-convert", "-alaw", 22050, 2},
    {"import_aiff", "m16.aifc", "sox", "-b 16", 22050, 1},
    {"import_aiff", "m8.aifc", "sox", "-b 8 -e signed", 22050, 1},
    {"import_au", "m16.au", "sndfile-convert", "-pcm16", 8000, 1},
    {"import_au", "m8.au", "sndfile-convert", "-pcms8", 22050, 1},
    {"import_au", "s32.au", "sndfile-convert", "-pcm32", 22050, 2},
    {"import_au", "sulaw.au", "sndfile-convert", "-ulaw", 8000, 2},
    {"import_au", "malaw.au", "sndfile-convert", "-alaw", 22050, 1},
    {"import_au", "msox.snd", "sox", "-b 16", 22050, 1},
    {"import_voc", "m16.voc", "sndfile-convert", "-pcm16", 22050, 1},
    {"import_voc", "s16.voc", "sndfile-convert", "-pcm16", 44100, 2},
    {"import_voc", "m8.voc", "sndfile-convert", "-pcmu8", 11025, 1},
    {"import_voc", "s8.voc", "sndfile-convert", "-pcmu8", 22050, 2},
    {"import_voc", "s8sox.voc", "sox", "-b 8 -e unsigned", 22050, 2},
    {"import_caf", "m16.caf", "sndfile-convert", "-pcm16", 22050, 1},
    {"import_caf", "s24.caf", "sndfile-convert", "-pcm24", 22050, 2},
    {"import_caf", "m32.caf", "sndfile-convert", "-pcm32", 22050, 1},
    {"import_caf", "mulaw.caf", "sndfile-convert", "-ulaw", 8000, 1},
    {"import_caf", "salaw.caf", "sndfile-convert", "-alaw", 22050, 2},
    {"import_caf", "m8.caf", "sndfile-convert", "-pcms8", 22050, 1},
    {"import_sphere", "m16.sph", "sndfile-convert", "-pcm16", 22050, 1},
    {"import_sphere", "m24.sph", "sndfile-convert", "-pcm24", 22050, 1},
    {"import_sphere", "sulaw.sph", "sndfile-convert", "-ulaw", 22050, 2},
    {"import_sphere", "malaw.sph", "sndfile-convert", "-alaw", 22050, 1},
    {"import_sphere", "msox.sph", "sox", "-b 16", 22050, 1},
    {"import_paf", "m16.paf", "sndfile-convert", "-pcm16", 22050, 1},
    {"import_paf", "s8.paf", "sndfile-convert", "-pcms8", 22050, 2},
    {"import_paf", "m24.paf", "sndfile-convert", "-pcm24", 22050, 1},
    {"import_paf", "l16.paf", "sndfile-convert", "-pcm16 -endian=little", 22050, 2},
    {"import_pvf", "m16.pvf", "sndfile-convert", "-pcm16", 22050, 1},
    {"import_pvf", "s8.pvf", "sndfile-convert", "-pcms8", 22050, 2},
    {"import_pvf", "m32.pvf", "sndfile-convert", "-pcm32", 22050, 1},
    {"import_wve", "malaw.wve", "sndfile-convert", "-alaw", 8000, 1},
    {"import_htk", "m16.htk", "sndfile-convert", "-pcm16", 22050, 1},
    {"import_htk", "m16k.htk", "sndfile-convert", "-pcm16", 16000, 1},
    {"wav", "ima-mono.wav", "sndfile-convert", "-ima-adpcm", 22050, 1},
    {"wav", "ima-stereo.wav", "sndfile-convert", "-ima-adpcm", 22050, 2},
    {"wav", "ms-adpcm.wav", "sndfile-convert", "-ms-adpcm", 22050, 1},
    {"wav", "ulaw.wav", "sndfile-convert", "-ulaw", 8000, 1},
    {"wav", "float.wav", "sndfile-convert", "-float32", 22050, 2},
    {"wav", "sox-ima.wav", "sox", "-e ima-adpcm", 22050, 1},
    {"wav", "sox-u8.wav", "sox", "-b 8", 11025, 1},
};

void foreignSeeds(const fs::path& work) {
    const bool sox = haveTool("sox"), sndfile = haveTool("sndfile-convert");
    for (const ForeignSeed& s : kForeign) {
        const bool isSox = std::string(s.tool) == "sox";
        if (isSox ? !sox : !sndfile) continue;
        fs::path source = tone(work, s.rate, s.channels);
        fs::path made = work / s.file;
        std::string command = std::string(s.tool) + " " + (isSox ? quote(source) + " " + s.options
                                                                 : std::string(s.options) + " " + quote(source)) +
                              " " + quote(made) + " >/dev/null 2>&1";
        if (std::system(command.c_str()) == 0) seed(s.harness, s.file, readFile(made));
    }
}

Bytes trimmed(Bytes bytes, std::size_t keep) {
    if (bytes.size() > keep) bytes.resize(keep);
    return bytes;
}

void archiveSeeds() {
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
    for (const char* h : {"tpa_entries", "beta"}) {
        seed(h, "retail", retail);
        seed(h, "beta24", beta24);
        seed(h, "beta16", beta16);
        seed(h, "new", trimmed(fresh, 200));
    }
    seed("tpa_list", "retail", fuzz::joinParts({retail, db}));
    seed("tpa_list", "beta24", fuzz::joinParts({beta24, db}));
    seed("tpa_list", "beta16", fuzz::joinParts({beta16, {}}));
    for (std::uint8_t mode : {0, 1}) {
        seed("export_all", "retail" + std::to_string(mode), fuzz::joinParts({{mode}, retail, db}));
        seed("export_all", "beta16-" + std::to_string(mode), fuzz::joinParts({{mode}, beta16, db}));
    }
    Bytes effects = retail;  // entry counts kept apart and a trailer flag, as effects archives have
    io::putU32(&effects[12], 1);
    for (std::uint8_t variant = 0; variant < 16; ++variant) {
        Bytes sound = (variant & 3) == 3 ? fuzz::smallPcmWav(1, 40) : (variant & 1 ? mono : pcm);
        Bytes control{variant};
        Bytes joined = fuzz::joinParts({retail, sound});
        if (variant >= 4) joined = fuzz::joinParts({effects, sound});
        control.insert(control.end(), joined.begin(), joined.end());
        seed("add", "variant" + std::to_string(variant), control);
    }
    seed("cau_file", "pcm", pcm);
    seed("cau_file", "captioned", captioned);
    seed("cau_file", "adpcm-mono", mono);
    seed("cau_file", "adpcm-stereo", stereo);
    seed("cau_file", "missing", audio::missingSoundImage());
    seed("eel_build", "bad", fuzz::joinParts({text("3\r\n4\r\nMISSING\r\nmissing.cau\r\n0\r\n0\r\ngood one\r\n"
                                                   "good.cau\r\n0\r\n0\r\nbad one\r\nbad.cau\r\n0\r\n0\r\n"
                                                   "absent\r\nnone.cau\r\n0\r\n0\r\n0\r\n0\r\n"),
                                              captioned}));
    seed("eel_build", "lf", fuzz::joinParts({text("3\n3\nMISSING\nmissing.cau\n0\n0\nfirst\ngood.cau\n0\n0\n"
                                                  "second\nbad.cau\n0\n0\n0\n0\n"),
                                             mono}));
}

void textSeeds() {
    seed("eel_list", "crlf", text("3\r\n3\r\nMISSING\r\nmissing.cau\r\n0\r\n0\r\nwater drip\r\nC:\\s\\drip.cau\r\n"
                                  "0\r\n0\r\nrain\r\nrain.cau\r\n0\r\n0\r\n0\r\n0\r\n"));
    seed("eel_list", "lf-cut", text("3\n2\nMISSING\nmissing.cau\n0\n0\nab\nx.cau\n0"));
    Bytes db = text("\"f0a07bd9\" \"missing\"\r\n\"12345678\" \"a name\"\n");
    Bytes log = text(ids::ingameIdLogLine("Rain Drop") + ids::ingameIdLogLine("thunder") +
                     ids::ingameSampleLogLine("wind"));
    seed("sndids", "both", fuzz::joinParts({db, log}));
    seed("sndids", "lf", fuzz::joinParts({text("\"12345678\" \"x\"\n\"87654321\""), text("no colon\n")}));
}

void wavSeeds() {
    seed("wav", "pcm-mono", fuzz::smallPcmWav(1, 64));
    seed("wav", "pcm-stereo", fuzz::smallPcmWav(2, 32));
    seed("wav", "ima-mono", fuzz::smallAdpcmWav(1, 1));
    seed("wav", "ima-stereo", fuzz::smallAdpcmWav(2, 1));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_seeds OUTDIR\n");
        return 2;
    }
    gOut = argv[1];
    std::error_code ec;
    fs::create_directories(gOut, ec);
    fs::path work = gOut / ".work";
    fs::create_directories(work, ec);
    archiveSeeds();
    textSeeds();
    wavSeeds();
    foreignSeeds(work);
    fs::remove_all(work, ec);
    return 0;
}
