// Writes the seed corpora of the fuzz harnesses into OUTDIR/<harness>/: small
// files made by the project's own writers, and foreign files written by SoX
// and libsndfile's sndfile-convert when those programs are installed.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "audio/wav/wav_headers.h"
#include "fuzz/sample_files.h"
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
    for (const fuzz::SeedInput& s : fuzz::projectSeeds()) seed(s.harness, s.name, s.bytes);
    foreignSeeds(work);
    fs::remove_all(work, ec);
    return 0;
}
