// The archive window's edits: staging the replacement of a long sound (a
// 10-minute .wav made into the entry's image in the scratch file), and saving
// an archive of about 200 MB with that one sound replaced, durably, beside
// cp of the same archive followed by sync, in the same run. Each figure is
// the best of a few rounds.
// Usage: bench_edit WORK_DIR [MEGABYTES] [MINUTES] [ROUNDS]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "archive/edit/save_edits.h"
#include "archive/edit/staged_edits.h"
#include "archive/format/tpa_format.h"
#include "audio/cau/cau_header.h"
#include "audio/wav/wav_headers.h"
#include "bench_archives.h"
#include "child_process.h"
#include "io/byte_order.h"
#include "io/file.h"

using namespace sonkrate;

namespace {

double seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

double timed(const std::vector<std::string>& argv) {
    bench::ChildRun run = bench::runProgram(argv);
    return run.ok ? run.wall : -1;
}


// minutes of 16-bit stereo PCM at 22050 Hz, a ramp.
bool writeWav(const std::string& path, int minutes) {
    const std::uint32_t frames = static_cast<std::uint32_t>(minutes) * 60 * 22050;
    const auto header = audio::pcmWavHeader(2, 22050, 16, frames * 4);
    std::vector<std::uint8_t> block(1 << 20);
    for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<std::uint8_t>(i * 7);
    io::File out;
    if (!out.open(path, io::FileMode::Write) || !out.write(header.data(), header.size())) return false;
    for (std::uint64_t left = std::uint64_t{frames} * 4; left > 0;) {
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(left, block.size()));
        if (!out.write(block.data(), n)) return false;
        left -= n;
    }
    return out.close().ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s WORK_DIR [MEGABYTES] [MINUTES] [ROUNDS]\n", argv[0]);
        return 2;
    }
    const std::string work = argv[1];
    const int megabytes = argc > 2 ? std::atoi(argv[2]) : 200;
    const int minutes = argc > 3 ? std::atoi(argv[3]) : 10;
    const int rounds = argc > 4 ? std::atoi(argv[4]) : 3;
    const std::string tpa = work + "/edited.tpa", copy = work + "/copy.tpa", saved = work + "/saved.tpa";
    const std::string wav = work + "/long.wav", scratch = work + "/staged.bin";
    if (!bench::writeRepeatedArchive(tpa, static_cast<std::uint32_t>(std::max(2, megabytes)), 1 << 20) || !writeWav(wav, minutes)) {
        std::fprintf(stderr, "bench_edit: cannot write the test files in %s\n", work.c_str());
        return 1;
    }
    double stage = 1e9, save = 1e9, peer = 1e9;
    for (int round = 0; round < rounds; ++round) {
        archive::StagedEdits edits;
        timed({"sync"});
        const auto start = std::chrono::steady_clock::now();
        if (!edits.open(tpa, scratch) || !edits.replace(1, wav, true).ok()) {
            std::fprintf(stderr, "bench_edit: staging failed\n");
            return 1;
        }
        stage = std::min(stage, seconds(start));
        timed({"sync"});
        const auto saving = std::chrono::steady_clock::now();
        if (!archive::saveEdits(edits, saved).outcome) {
            std::fprintf(stderr, "bench_edit: saving failed\n");
            return 1;
        }
        save = std::min(save, seconds(saving));
        timed({"sync"});
        const double c = timed({"cp", saved, copy});
        const double s = c < 0 ? -1 : timed({"sync", copy});
        if (s < 0) return 1;
        peer = std::min(peer, c + s);
    }
    std::printf("staging the replacement of a %d-minute sound: %.3f s (target under 1 s)\n", minutes, stage);
    std::printf("saving a %d MB archive with one sound replaced: %.3f s; cp + sync of the saved archive: %.3f s; "
                "ratio %.2f (target 1.3)\n", megabytes, save, peer, save / peer);
    return 0;
}
