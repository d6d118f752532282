// The long add of a sound converted on its way into an archive: sonkrate-cli
// add --to-game --ima of 10 minutes of 24-bit 48 kHz stereo, beside SoX
// encoding the same file to IMA ADPCM, in the same run; then the cost of
// reading the input and encoding it in memory (the floor of the add), the
// add's peak memory, and the files it writes (counted with strace when it is
// installed). Each time is the best of a few rounds.
// Usage: bench_add_ima SONKRATE_CLI WORK_DIR [MINUTES] [ROUNDS]
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "audio/convert/game_sound.h"
#include "audio/wav/wav_headers.h"
#include "child_process.h"
#include "io/byte_order.h"
#include "io/file.h"

using namespace sonkrate;

namespace {

// minutes of 24-bit stereo at 48 kHz: two tones and a little noise, streamed to path.
bool writeLongWav(const std::string& path, int minutes) {
    const std::uint32_t rate = 48000, frames = rate * 60u * static_cast<std::uint32_t>(minutes);
    std::vector<std::uint8_t> head(44);
    std::copy_n("RIFF", 4, head.begin());
    io::putU32(&head[4], 36 + frames * 6);
    std::copy_n("WAVEfmt ", 8, head.begin() + 8);
    io::putU32(&head[16], 16);
    io::putU16(&head[20], 1);
    io::putU16(&head[22], 2);
    io::putU32(&head[24], rate);
    io::putU32(&head[28], rate * 6);
    io::putU16(&head[32], 6);
    io::putU16(&head[34], 24);
    std::copy_n("data", 4, head.begin() + 36);
    io::putU32(&head[40], frames * 6);
    io::File out;
    if (!out.open(path, io::FileMode::Write) || !out.write(head.data(), head.size())) return false;
    std::vector<std::uint8_t> block(6 * 4800);
    std::uint32_t noise = 1;
    for (std::uint32_t done = 0; done < frames; done += 4800) {
        for (std::uint32_t i = 0; i < 4800; ++i) {
            const std::uint32_t t = done + i;
            for (int c = 0; c < 2; ++c) {
                noise = noise * 1103515245u + 12345u;
                const std::int32_t period = c ? 109 : 181, phase = static_cast<std::int32_t>(t % period);
                const std::int32_t v = (phase < period / 2 ? phase : period - phase) * 0x600000 / period - 0x180000 +
                                       static_cast<std::int32_t>((noise >> 16) & 0x3FFF) - 0x2000;
                const auto u = static_cast<std::uint32_t>(v);
                std::uint8_t* p = &block[6 * i + 3 * c];
                p[0] = static_cast<std::uint8_t>(u), p[1] = static_cast<std::uint8_t>(u >> 8);
                p[2] = static_cast<std::uint8_t>(u >> 16);
            }
        }
        if (!out.write(block.data(), block.size())) return false;
    }
    return out.close().ok;
}

bool copyFile(const std::string& from, const std::string& to) {
    std::ifstream in(from, std::ios::binary);
    std::ofstream out(to, std::ios::binary | std::ios::trunc);
    out << in.rdbuf();
    return static_cast<bool>(out);
}

// The files the command opens for writing, counted from strace's log; -1
// when strace is not installed or the run fails.
int filesWritten(const std::vector<std::string>& argv, const std::string& log) {
    if (std::system("command -v strace >/dev/null 2>&1") != 0) return -1;
    std::vector<std::string> traced = {"strace", "-f", "-qq", "-e", "trace=open,openat,creat", "-o", log};
    traced.insert(traced.end(), argv.begin(), argv.end());
    if (!bench::runProgram(traced, true).ok) return -1;
    std::ifstream in(log);
    std::set<std::string> paths;
    for (std::string line; std::getline(in, line);) {
        const bool writes = line.find("O_WRONLY") != std::string::npos || line.find("O_RDWR") != std::string::npos ||
                            line.find("creat(") != std::string::npos;
        const std::size_t open = line.find('"'), close = line.find('"', open + 1);
        if (!writes || close == std::string::npos || line.find("= -1") != std::string::npos) continue;
        const std::string path = line.substr(open + 1, close - open - 1);
        if (path.rfind("/dev/", 0) != 0) paths.insert(path);
    }
    return static_cast<int>(paths.size());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s SONKRATE_CLI WORK_DIR [MINUTES] [ROUNDS]\n", argv[0]);
        return 2;
    }
    const std::string cli = argv[1], work = argv[2];
    const int minutes = argc > 3 ? std::atoi(argv[3]) : 10;
    const int rounds = argc > 4 ? std::atoi(argv[4]) : 3;
    const std::string wav = work + "/long.wav", empty = work + "/empty.tpa", tpa = work + "/long.tpa";
    const std::string backup = work + "/long.tpa.backup", soxOut = work + "/sox-ima.wav";
    if (!writeLongWav(wav, minutes) || !bench::runProgram({cli, "new", empty}).ok || !copyFile(empty, backup)) {
        std::fprintf(stderr, "bench_add_ima: cannot make the input\n");
        return 1;
    }
    const std::vector<std::string> add = {cli, "add", "--to-game", "--ima", tpa, wav, "--name", "long",
                                          "--backup", backup};
    bench::Best ours, sox, floor;
    for (int round = 0; round < rounds; ++round) {
        bench::settle();
        if (!copyFile(empty, tpa)) return 1;
        ours.take(bench::runProgram(add));
        bench::settle();
        sox.take(bench::runProgram({"sox", wav, "-e", "ima-adpcm", soxOut}));
        floor.take(bench::runInChild([&] {
            audio::GameSound sound;
            io::File sink;
            if (!sound.open(wav, {true, true, {}}) || !sink.open("/dev/null", io::FileMode::Write)) return 1;
            return sound.writeData(sink) ? 0 : 1;
        }));
    }
    if (!ours.ok || !sox.ok || !floor.ok) {
        std::fprintf(stderr, "bench_add_ima: a run failed\n");
        return 1;
    }
    if (!copyFile(empty, tpa)) return 1;
    const int files = filesWritten(add, work + "/strace.log");
    std::printf("add --to-game --ima of %d min of 24-bit 48 kHz stereo: %.3f s, peak %.1f MiB; "
                "sox to IMA ADPCM: %.3f s; ratio %.2f\n",
                minutes, ours.seconds, ours.peakMiB, sox.seconds, ours.seconds / sox.seconds);
    std::printf("  reading the input and encoding it in memory: %.3f s (the add takes %.2f times that)\n",
                floor.seconds, ours.seconds / floor.seconds);
    if (files >= 0) std::printf("  files the add writes: %d (the archive's temporary file is one)\n", files);
    else std::printf("  files the add writes: not counted (strace is not installed)\n");
    return 0;
}
