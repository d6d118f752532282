// Times sonkrate-cli decoding IMA ADPCM to 16-bit PCM beside SoX and
// sndfile-convert decoding the same .wav files in the same run, for the
// game's block layouts (1028 bytes mono, 2056 bytes stereo, as .cau files
// through cau2wav) and for the layout SoX writes itself (through convert).
// SoX's own layout has no sonkrate-cli command that decodes it (the window
// plays it as it is), so decodeAdpcmWav runs on it in a child of this
// program. Each figure is the best of a few rounds of the child's user CPU,
// system CPU and wall time. Our user CPU is also set against the decoder's
// limit: 2 ns per sample with the two channels of a stereo block side by side
// (a stated figure, not measured), and the thread CPU time of decoding the
// same blocks in memory, measured here; the wall time against that limit plus
// a cp of the 16-bit output (the cost of writing it).
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <time.h>

#include "audio/convert/decode_adpcm_wav.h"
#include "audio/codec/ima_adpcm.h"
#include "audio/codec/ima_adpcm_encoder.h"
#include "audio/wav/wav_headers.h"
#include "audio/convert/wav_to_cau.h"
#include "child_process.h"
#include "io/file.h"

using namespace sonkrate;

namespace {

constexpr std::uint32_t kRate = 22050;
constexpr double kStatedNsPerSample = 2.0;

using bench::ChildRun;
using bench::settle;

ChildRun runProgram(const std::vector<std::string>& argv) { return bench::runProgram(argv, true); }

ChildRun runDecodeAdpcmWav(const std::string& in, const std::string& out) {
    return bench::runInChild([&] { return audio::decodeAdpcmWav(in, out).ok() ? 0 : 1; }, true);
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// Of rounds runs, each after a sync: the median user and system CPU (the
// kernel splits a run's CPU between the two by sampling, which is coarse for
// runs this short) and the best wall time (other work on a shared machine
// only ever adds to it).
template <class Run>
ChildRun bestOf(const char* what, int rounds, Run run) {
    ChildRun best{.ok = true, .wall = 1e30};
    std::vector<double> user, sys;
    for (int i = 0; i < rounds; ++i) {
        settle();
        ChildRun t = run();
        if (!t.ok) {
            std::fprintf(stderr, "failed: %s\n", what);
            best.ok = false;
            return best;
        }
        user.push_back(t.user);
        sys.push_back(t.sys);
        best.wall = std::min(best.wall, t.wall);
    }
    best.user = median(user);
    best.sys = median(sys);
    return best;
}

ChildRun bestOf(int rounds, const std::vector<std::string>& argv) {
    return bestOf(argv[0].c_str(), rounds, [&argv] { return runProgram(argv); });
}

// Two tones sliding in pitch and loudness with a little noise: the codes
// move through the whole step table rather than sitting on a few indices.
std::vector<std::int16_t> makeSignal(std::size_t frames, unsigned channels) {
    std::vector<std::int16_t> s(frames * channels);
    std::uint32_t noise = 12345;
    for (std::size_t i = 0; i < frames; ++i) {
        double t = static_cast<double>(i) / kRate;
        double level = 0.5 + 0.45 * std::sin(2 * M_PI * 0.13 * t);
        for (unsigned c = 0; c < channels; ++c) {
            noise = noise * 1664525u + 1013904223u;
            double f = (c ? 660.0 : 440.0) * (1.0 + 0.5 * std::sin(2 * M_PI * 0.07 * t));
            double v = level * std::sin(2 * M_PI * f * t) * 20000 + static_cast<int>(noise >> 20) - 2048;
            s[i * channels + c] = static_cast<std::int16_t>(std::clamp(v, -32768.0, 32767.0));
        }
    }
    return s;
}

bool writeFile(const std::string& path, const std::uint8_t* a, std::size_t na, const void* b, std::size_t nb) {
    io::File out;
    if (!out.open(path, io::FileMode::Write)) return false;
    if (!out.write(a, na) || !out.write(b, nb)) return false;
    return static_cast<bool>(out.close());
}

// Blocks of random codes with valid headers: what wind, rain, static and
// explosions encode to. The predictor hits its ends at random on them.
std::vector<std::uint8_t> randomBlocks(std::size_t frames, unsigned channels, std::uint32_t blockAlign) {
    const std::size_t perBlock = (blockAlign / channels - 4) * 2 + 1;
    const std::size_t blocks = (frames + perBlock - 1) / perBlock;
    std::vector<std::uint8_t> data(blocks * blockAlign);
    std::uint32_t state = 987654321;
    for (std::uint8_t& b : data) {
        state = state * 1664525u + 1013904223u;
        b = static_cast<std::uint8_t>(state >> 24);
    }
    for (std::size_t i = 0; i < blocks; ++i)
        for (unsigned c = 0; c < channels; ++c) {
            std::uint8_t* header = &data[i * blockAlign + 4 * c];
            header[2] = static_cast<std::uint8_t>(header[2] % (audio::kImaMaxStepIndex + 1));
            header[3] = 0;
        }
    return data;
}

struct Inputs {
    std::string pcm, gameWav, gameCau, soxWav;
    std::vector<std::uint8_t> gameData;  // the game-layout blocks, for the in-memory decode
    std::uint32_t blockAlign = 0;
    std::uint32_t soxBlockAlign = 0;
    std::uint64_t samples = 0;  // samples of every channel, decoded
};

// The game-layout blocks of in.gameData as a .cau for us and a .wav for the peers.
bool writeGameInputs(const std::string& stem, unsigned channels, std::size_t frames, Inputs& in) {
    in.gameWav = stem + "_game.wav";
    auto imaHeader = audio::imaWavHeader(static_cast<std::uint16_t>(channels), kRate, in.blockAlign,
                                         static_cast<std::uint32_t>(frames),
                                         static_cast<std::uint32_t>(in.gameData.size()));
    if (!writeFile(in.gameWav, imaHeader.data(), imaHeader.size(), in.gameData.data(), in.gameData.size()))
        return false;
    in.gameCau = stem + "_game.cau";
    if (!audio::wavToCau(in.gameWav, in.gameCau, "").written()) return false;
    // The peers want the usual samples per block (every code and the
    // header's sample) in the .wav they read; the blocks stay the same.
    const std::uint32_t perBlock = (in.blockAlign / channels - 4) * 2 + 1;
    imaHeader[38] = static_cast<std::uint8_t>(perBlock & 0xFF);
    imaHeader[39] = static_cast<std::uint8_t>(perBlock >> 8);
    return writeFile(in.gameWav, imaHeader.data(), imaHeader.size(), in.gameData.data(), in.gameData.size());
}

// The signal as a PCM .wav, and SoX's own IMA ADPCM encoding of it.
bool writeSoxInput(const std::string& stem, unsigned channels, const std::vector<std::int16_t>& signal,
                   Inputs& in) {
    in.pcm = stem + "_pcm.wav";
    auto pcmHeader = audio::pcmWavHeader(static_cast<std::uint16_t>(channels), kRate, 16,
                                         static_cast<std::uint32_t>(signal.size() * 2));
    if (!writeFile(in.pcm, pcmHeader.data(), pcmHeader.size(), signal.data(), signal.size() * 2)) return false;
    in.soxWav = stem + "_sox.wav";
    if (!runProgram({"sox", in.pcm, "-e", "ima-adpcm", in.soxWav}).ok) return false;
    io::File sox;
    std::uint8_t fmt[36];
    if (!sox.open(in.soxWav, io::FileMode::Read) || !sox.readExact(fmt, sizeof fmt)) return false;
    in.soxBlockAlign = fmt[32] | fmt[33] << 8u;
    return true;
}

bool makeInputs(const std::string& work, unsigned channels, double minutes, bool noise, Inputs& in) {
    const std::string stem = work + "/" + (channels == 1 ? "mono" : "stereo") + (noise ? "_noise" : "");
    in.blockAlign = channels == 1 ? 1028 : 2056;
    const auto frames = static_cast<std::size_t>(minutes * 60 * kRate);
    in.samples = static_cast<std::uint64_t>(frames) * channels;
    if (noise) {
        in.gameData = randomBlocks(frames, channels, in.blockAlign);
        return writeGameInputs(stem, channels, frames, in);
    }
    const std::vector<std::int16_t> signal = makeSignal(frames, channels);
    in.gameData = audio::encodeImaBlocks(signal, channels, in.blockAlign);
    return writeGameInputs(stem, channels, frames, in) && writeSoxInput(stem, channels, signal, in);
}

double threadSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + t.tv_nsec / 1e9;
}

// The best of a few in-memory decodes of every block, no I/O, in thread CPU
// time: what the decoding loop itself costs on this machine.
double measuredDecodeLoop(const Inputs& in, unsigned channels) {
    const audio::AdpcmBlockLayout layout = audio::adpcmBlockLayout(channels, in.blockAlign);
    const std::size_t blocks = in.gameData.size() / in.blockAlign;
    std::vector<std::int16_t> out(blocks * (layout.codesPerChannel + 1) * channels);
    double best = 1e30;
    for (int round = 0; round < 5; ++round) {
        double start = threadSeconds();
        audio::decodeBlocks(layout, channels, in.gameData.data(), blocks, out.data());
        best = std::min(best, threadSeconds() - start);
    }
    if (out[out.size() / 2] == 42) std::printf(" ");  // keeps the decoding from being optimised away
    return best;
}

void printRow(const std::string& what, const ChildRun& t, const ChildRun* ours) {
    std::printf("  %-28s %7.3f %7.3f %7.3f", what.c_str(), t.user, t.sys, t.wall);
    if (ours)
        std::printf("   x%-6.2f x%-6.2f x%.2f", t.user / std::max(ours->user, 1e-3),
                    (t.user + t.sys) / std::max(ours->user + ours->sys, 1e-3), t.wall / std::max(ours->wall, 1e-3));
    std::printf("\n");
}

void printHeading(const std::string& title, double minutes, unsigned channels, std::uint64_t samples) {
    std::printf("\n%s, %.0f min %s, %.2f M samples\n", title.c_str(), minutes, channels == 1 ? "mono" : "stereo",
                static_cast<double>(samples) / 1e6);
    std::printf("  %-28s %7s %7s %7s   their time / ours: user, user+sys, wall\n", "seconds", "user", "sys",
                "wall");
}

// Our user CPU against the decoder's limit, and our wall time against the
// limit plus writing the output once.
void printLimit(const Inputs& in, unsigned channels, const ChildRun& ours, const std::string& output, int rounds) {
    const double stated = static_cast<double>(in.samples) * kStatedNsPerSample * 1e-9;
    const double loop = measuredDecodeLoop(in, channels);
    const std::string copy = output + ".copy";
    ChildRun write = bestOf(rounds, {"cp", output, copy});
    std::printf("  decoder limit: stated 2 ns/sample %.3f s; measured in-memory decode %.3f s (%.2f ns/sample)\n",
                stated, loop, loop / static_cast<double>(in.samples) * 1e9);
    std::printf("  our user CPU: x%.2f the stated limit, x%.2f the measured decode\n", ours.user / stated,
                ours.user / loop);
    std::printf("  our wall time: x%.2f (stated limit + cp of the output, %.3f s wall)\n",
                ours.wall / (stated + write.wall), write.wall);
    std::remove(copy.c_str());
}

// Music-like sound in the game's layout and SoX's; random codes (noise) in
// the game's layout only, where the decoder's speed must not depend on the sound.
bool benchLayout(const std::string& cli, const std::string& work, unsigned channels, double minutes, bool noise,
                 int rounds) {
    Inputs in;
    if (!makeInputs(work, channels, minutes, noise, in)) {
        std::fprintf(stderr, "could not make the %u-channel inputs\n", channels);
        return false;
    }
    const std::string out = work + "/out.wav", soxOut = work + "/sox_out.wav", sfOut = work + "/sndfile_out.wav";
    for (bool gameLayout : {true, false}) {
        if (noise && !gameLayout) break;
        const std::string& input = gameLayout ? in.gameWav : in.soxWav;
        std::string title = gameLayout ? "game's layout, " + std::to_string(in.blockAlign) + "-byte blocks"
                                       : "SoX's own layout";
        title += noise ? ", random codes (noise)" : ", music-like signal";
        printHeading(title, minutes, channels, in.samples);
        ChildRun ours;
        std::string oursName;
        if (gameLayout) {
            oursName = "sonkrate-cli cau2wav";
            ours = bestOf(rounds, {cli, "cau2wav", in.gameCau, out});
        } else if (!audio::isKnownBlockAlign(in.soxBlockAlign)) {
            oursName = "decodeAdpcmWav";
            ours.ok = false;
        } else {
            oursName = "decodeAdpcmWav";
            ours = bestOf(oursName.c_str(), rounds, [&] { return runDecodeAdpcmWav(input, out); });
        }
        ChildRun sox = bestOf(rounds, {"sox", input, "-e", "signed", "-b", "16", soxOut});
        ChildRun sndfile = bestOf(rounds, {"sndfile-convert", "-pcm16", input, sfOut});
        if (!sox.ok || !sndfile.ok) return false;
        if (ours.ok)
            printRow(oursName, ours, nullptr);
        else
            std::printf("  %-28s refuses this block alignment (%u)\n", oursName.c_str(), in.soxBlockAlign);
        printRow("sox", sox, ours.ok ? &ours : nullptr);
        printRow("sndfile-convert", sndfile, ours.ok ? &ours : nullptr);
        if (gameLayout && ours.ok) printLimit(in, channels, ours, out, rounds);
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_decode SONKRATE_CLI WORKDIR [MINUTES] [ROUNDS]\n");
        return 2;
    }
    const std::string cli = argv[1], work = argv[2];
    const double minutes = argc > 3 ? std::max(0.1, std::atof(argv[3])) : 10.0;
    const int rounds = argc > 4 ? std::max(1, std::atoi(argv[4])) : 5;
    std::printf("IMA ADPCM to 16-bit PCM at 22050 Hz; of %d rounds, the median CPU and the best wall time\n",
                rounds);
    std::printf("(the kernel splits CPU time between user and system by sampling: user+sys is the firm figure)\n");
    for (unsigned channels : {2u, 1u})
        for (bool noise : {false, true})
            if (!benchLayout(cli, work, channels, minutes, noise, rounds)) return 1;
    return 0;
}
