// Times decodeAdpcmWav and SoX decoding the same IMA ADPCM .wav to 16-bit PCM,
// each the best of a few rounds, and prints both speeds and their ratio. Both
// replace their output of the previous round, as repeated playing does.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "audio/decode_adpcm_wav.h"

namespace {

std::string quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void settle() {
    if (std::system("sync") != 0) std::fprintf(stderr, "sync failed\n");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_decode IN.wav WORKDIR [ROUNDS]\n");
        return 2;
    }
    const std::string in = argv[1], work = argv[2];
    const int rounds = argc > 3 ? std::max(1, std::atoi(argv[3])) : 5;
    const std::string ours = work + "/decoded.wav", theirs = work + "/sox.wav";
    const std::string soxCommand = "sox " + quote(in) + " -e signed -b 16 " + quote(theirs);

    double best = 1e30, bestSox = 1e30;
    sonkrate::audio::DecodeAdpcmResult result;
    for (int i = 0; i < rounds; ++i) {
        // Each timed run starts with no dirty pages of the previous one pending.
        settle();
        auto start = std::chrono::steady_clock::now();
        result = sonkrate::audio::decodeAdpcmWav(in, ours);
        best = std::min(best, secondsSince(start));
        if (!result.ok()) {
            std::fprintf(stderr, "decodeAdpcmWav failed: %s\n", result.reason.c_str());
            return 1;
        }
        settle();
        start = std::chrono::steady_clock::now();
        if (std::system(soxCommand.c_str()) != 0) {
            std::fprintf(stderr, "sox failed: %s\n", soxCommand.c_str());
            return 1;
        }
        bestSox = std::min(bestSox, secondsSince(start));
    }
    double sound = static_cast<double>(result.framesWritten) / result.sampleRate;
    std::printf("input: %s, %u channels, %u Hz, block alignment %u, %.1f s of sound\n", in.c_str(),
                result.channels, result.sampleRate, result.blockAlign, sound);
    std::printf("decodeAdpcmWav: %.3f s (%.0f x real time, %.1f M frames/s)\n", best, sound / best,
                result.framesWritten / best / 1e6);
    std::printf("sox:            %.3f s (%.0f x real time, %.1f M frames/s)\n", bestSox, sound / bestSox,
                result.framesWritten / bestSox / 1e6);
    std::printf("ratio: decodeAdpcmWav is %.2f x as fast as sox\n", bestSox / best);
    return 0;
}
