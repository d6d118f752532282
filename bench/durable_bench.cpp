// The cost of a durable add: sonkrate-cli add (new archive written beside
// the old one, synced, renamed over it, folder synced) beside cp of the same
// archive followed by sync of the copy, in the same run. Each figure is the
// best of a few rounds; every round starts with the disk idle.
// Usage: bench_durable SONKRATE_CLI WORK_DIR [MEGABYTES] [ROUNDS]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "archive/format/tpa_format.h"
#include "audio/cau/cau_header.h"
#include "bench_archives.h"
#include "child_process.h"
#include "io/byte_order.h"
#include "io/file.h"

using namespace sonkrate;

namespace {

// A program's time in seconds, or -1 on failure.
double timed(const std::vector<std::string>& argv) {
    bench::ChildRun run = bench::runProgram(argv);
    return run.ok ? run.wall : -1;
}


}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s SONKRATE_CLI WORK_DIR [MEGABYTES] [ROUNDS]\n", argv[0]);
        return 2;
    }
    const std::string cli = argv[1], work = argv[2];
    const int megabytes = argc > 3 ? std::atoi(argv[3]) : 200;
    const int rounds = argc > 4 ? std::atoi(argv[4]) : 3;
    const std::string tpa = work + "/durable.tpa", copy = work + "/copy.tpa", cau = work + "/crate.cau";
    const std::string backup = work + "/durable.tpa.backup";
    const std::uint32_t imageSize = 1 << 20;
    if (!bench::writeRepeatedArchive(tpa, static_cast<std::uint32_t>(std::max(1, megabytes)), imageSize)) return 1;
    const std::vector<std::uint8_t> sound = bench::cauImage(100000);
    io::File out;
    // An existing backup: the add then does not copy the archive first.
    if (!out.open(cau, io::FileMode::Write) || !out.write(sound.data(), sound.size()) || !out.close() ||
        !out.open(backup, io::FileMode::Write) || !out.close())
        return 1;

    double add = 1e9, peer = 1e9;
    for (int round = 0; round < rounds; ++round) {
        timed({"sync"});
        const std::string name = "crate" + std::to_string(round);  // a new identifier each round
        double a = timed({cli, "add", tpa, cau, "--name", name, "--backup", backup});
        timed({"sync"});
        double c = timed({"cp", tpa, copy});
        double s = c < 0 ? -1 : timed({"sync", copy});
        if (a < 0 || s < 0) {
            std::fprintf(stderr, "bench_durable: a run failed\n");
            return 1;
        }
        add = std::min(add, a);
        peer = std::min(peer, c + s);
    }
    std::printf("durable add to a %d MB archive: %.3f s; cp + sync of the same archive: %.3f s; ratio %.2f\n",
                megabytes, add, peer, add / peer);
    return 0;
}
