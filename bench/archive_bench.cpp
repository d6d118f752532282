// Times the archive operations of sonkrate-cli on a generated archive of
// about 200 MB beside the plain tools doing the same amount of copying in
// the same run, and measures the tool's peak memory:
//   add one sound      vs  cp of the archive, and cp + mv over an older copy
//                          (the add replaces the archive the same way)
//   export-all (.cau)  vs  split of the archive into as many files, fresh
//                          and over the files of an earlier run
//   build-eel          vs  build-dir on the same 300 sounds of about 44 KB
//                          (the two archives must be byte-identical)
//   list of 50,000 entries, its time and entries per second beside cat
//   unpack --cau       vs  split of the archive into as many files
//   pack               vs  cat of those pieces into one file, and that file
//                          synced as pack puts its archive on the disk (the
//                          packed archive must be byte-identical to the original)
// Each figure is the best of a few rounds, every round starting with the
// dirty pages of the previous one written out.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "archive/format/tpa_format.h"
#include "audio/cau/cau_header.h"
#include "child_process.h"
#include "io/file.h"

namespace fs = std::filesystem;
using namespace sonkrate;

namespace {

using bench::Best;
using bench::ChildRun;
using bench::runProgram;
using bench::settle;

bool writeAll(io::File& out, const std::vector<std::uint8_t>& bytes) {
    return static_cast<bool>(out.write(bytes.data(), bytes.size()));
}

std::array<std::uint8_t, 36> pcmHeader(std::uint32_t dataSize) {
    audio::CauHeader h;
    h.dataSize = h.decodedSize = dataSize;
    h.sampleRate = 22050;
    h.bitsPerSample = 16;
    h.channels = 2;
    return audio::serializeCauHeader(h);
}

// entries images of 36 + dataSize bytes of noise, streamed to path.
bool generateArchive(const std::string& path, std::uint32_t entries, std::uint32_t dataSize) {
    io::File out;
    if (!out.open(path, io::FileMode::Write)) return false;
    const std::uint64_t tableEnd = 24 + 56ull * entries, imageSize = 36ull + dataSize;
    archive::TpaHeader header;
    header.soundCount = header.entryCount = entries;
    header.soundDataEnd = static_cast<std::uint32_t>(tableEnd + imageSize * entries);
    auto headerBytes = archive::serializeTpaHeader(header);
    if (!out.write(headerBytes.data(), headerBytes.size())) return false;
    const auto cau = pcmHeader(dataSize);
    for (std::uint32_t i = 0; i < entries; ++i) {
        archive::TpaEntry e;
        e.soundId = 0x9E3779B9u * (i + 1);
        e.imageOffset = static_cast<std::uint32_t>(tableEnd + imageSize * i);
        e.imageLength = static_cast<std::uint32_t>(imageSize);
        std::copy(cau.begin(), cau.end(), e.cauHeader.begin());
        auto record = archive::serializeTpaEntry(e);
        if (!out.write(record.data(), record.size())) return false;
    }
    std::vector<std::uint8_t> image(imageSize);
    std::copy(cau.begin(), cau.end(), image.begin());
    std::uint32_t x = 2463534242u;
    for (std::uint32_t i = 0; i < entries; ++i) {
        for (std::size_t k = 36; k < image.size(); ++k) {
            x ^= x << 13, x ^= x >> 17, x ^= x << 5;
            image[k] = static_cast<std::uint8_t>(x);
        }
        if (!writeAll(out, image)) return false;
    }
    return static_cast<bool>(out.close());
}


const char* verdict(double ratio, double target) { return ratio <= target ? "ok" : "OVER"; }

bool writeImage(const std::string& path, std::uint32_t dataSize, std::uint8_t fill) {
    io::File s;
    const auto h = pcmHeader(dataSize);
    std::vector<std::uint8_t> image(h.begin(), h.end());
    image.resize(36 + dataSize, fill);
    return s.open(path, io::FileMode::Write) && writeAll(s, image) && s.close();
}

bool sameBytes(const std::string& a, const std::string& b) {
    return runProgram({"cmp", "-s", a, b}).ok;
}

// build-eel and build-dir on the same 300 sounds, rounds interleaved.
int benchListBuild(const std::string& cli, const std::string& work, int rounds) {
    const std::string folder = work + "/caus", dirOut = work + "/dir.tpa", eelOut = work + "/eel.tpa";
    std::error_code ec;
    fs::create_directory(folder, ec);
    char name[32];
    for (int i = 0; i < 300; ++i) {
        std::snprintf(name, sizeof name, "/sound%03d.cau", i);
        if (!writeImage(folder + name, 44000 + 4 * static_cast<std::uint32_t>(i), static_cast<std::uint8_t>(i)))
            return 1;
    }
    if (!runProgram({cli, "make-eel", folder, "sounds"}).ok) return 1;
    Best dir, eel;
    for (int round = 0; round < rounds; ++round) {
        settle();
        dir.take(runProgram({cli, "build-dir", folder, dirOut}));
        settle();
        eel.take(runProgram({cli, "build-eel", folder + "/sounds.eel", eelOut}));
    }
    const bool same = dir.ok && eel.ok && sameBytes(dirOut, eelOut);
    fs::remove_all(folder, ec);
    if (!dir.ok || !eel.ok) {
        std::fprintf(stderr, "a timed build failed\n");
        return 1;
    }
    const double ratio = eel.seconds / dir.seconds;
    std::printf("build-eel      %7.3f s   build-dir %.3f s (300 sounds)  ratio %.2f (at most 1.5: %s), archives %s\n",
                eel.seconds, dir.seconds, ratio, verdict(ratio, 1.5), same ? "byte-identical" : "DIFFER");
    return same ? 0 : 1;
}

// unpack --cau of the archive beside split into as many files, and pack of
// the folder beside cat of the pieces into one file, rounds interleaved.
int benchUnpackPack(const std::string& cli, const std::string& work, const std::string& tpa, int rounds) {
    const std::string dir = work + "/unpacked", packed = work + "/packed.tpa";
    const std::string pieces = work + "/unpack-pieces", joined = work + "/joined.tpa";
    Best unpack, split, pack, cat, catSync;
    std::uint64_t files = 0;
    std::error_code ec;
    for (int round = 0; round < rounds; ++round) {
        fs::remove_all(dir, ec);
        settle();
        unpack.take(runProgram({cli, "unpack", tpa, dir, "--cau"}));
        files = 0;
        for (const auto& entry : fs::directory_iterator(dir, ec)) files += entry.path().extension() == ".cau";
        fs::remove_all(pieces, ec);
        fs::create_directory(pieces, ec);
        settle();
        split.take(runProgram({"split", "-n", std::to_string(files), tpa, pieces + "/p"}));
        settle();
        pack.take(runProgram({cli, "pack", dir, packed}));
        settle();
        cat.take(runProgram({"sh", "-c", "cat \"$0\"/p* > \"$1\"", pieces, joined}));
        settle();
        catSync.take(runProgram({"sh", "-c", "cat \"$0\"/p* > \"$1\" && sync \"$1\"", pieces, joined}));
    }
    const bool same = pack.ok && sameBytes(tpa, packed);
    fs::remove_all(dir, ec);
    fs::remove_all(pieces, ec);
    fs::remove(packed, ec);
    fs::remove(joined, ec);
    if (!(unpack.ok && split.ok && pack.ok && cat.ok && catSync.ok)) {
        std::fprintf(stderr, "a timed unpack or pack failed\n");
        return 1;
    }
    const double unpackRatio = unpack.seconds / split.seconds, packRatio = pack.seconds / catSync.seconds;
    std::printf("unpack --cau   %7.3f s   split into %llu files %.3f s   ratio %.2f (at most 1.3: %s)\n",
                unpack.seconds, static_cast<unsigned long long>(files), split.seconds, unpackRatio,
                verdict(unpackRatio, 1.3));
    std::printf("pack           %7.3f s   cat of the pieces %.3f s      ratio %.2f; archive %s\n", pack.seconds,
                cat.seconds, pack.seconds / cat.seconds, same ? "byte-identical" : "DIFFERS");
    std::printf("                           cat and sync %.3f s            ratio %.2f (at most 1.3: %s)\n",
                catSync.seconds, packRatio, verdict(packRatio, 1.3));
    std::printf("peak memory    unpack %.1f MiB, pack %.1f MiB (under 32 MiB: %s)\n", unpack.peakMiB, pack.peakMiB,
                std::max(unpack.peakMiB, pack.peakMiB) < 32 ? "ok" : "OVER");
    return same ? 0 : 1;
}

// list of an archive of 50,000 entries beside cat reading it whole.
int benchList(const std::string& cli, const std::string& work, int rounds) {
    const std::string tpa = work + "/list.tpa";
    const std::uint32_t entries = 50000;
    if (!generateArchive(tpa, entries, 100)) return 1;
    Best list, cat;
    for (int round = 0; round < rounds; ++round) {
        list.take(runProgram({cli, "list", tpa}));
        cat.take(runProgram({"cat", tpa}));
    }
    std::error_code ec;
    fs::remove(tpa, ec);
    if (!list.ok || !cat.ok) return 1;
    std::printf("list           %7.3f s   %u entries, %.0f entries/s (under 0.3 s: %s)   cat %.3f s\n",
                list.seconds, entries, entries / list.seconds, list.seconds < 0.3 ? "ok" : "OVER", cat.seconds);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_archive WORKDIR [MEGABYTES] [ROUNDS]\n");
        return 2;
    }
    const std::string cli = SONKRATE_CLI_PATH, work = argv[1];
    const double megabytes = argc > 2 ? std::max(1.0, std::atof(argv[2])) : 200.0;
    const int rounds = argc > 3 ? std::max(1, std::atoi(argv[3])) : 3;
    const std::uint32_t dataSize = 100000;
    const auto entries = static_cast<std::uint32_t>(std::max(3.0, megabytes * 1e6 / (36 + dataSize)));

    const std::string tpa = work + "/bench.tpa", copy = work + "/copy.tpa", staged = work + "/staged.tpa";
    const std::string sound = work + "/sound.cau";
    const std::string out = work + "/export", pieces = work + "/pieces";
    if (!generateArchive(tpa, entries, dataSize)) {
        std::fprintf(stderr, "cannot write %s\n", tpa.c_str());
        return 1;
    }
    if (!writeImage(sound, dataSize, 0x11)) return 1;
    std::error_code ec;
    std::printf("archive: %u entries, %.1f MB\n", entries, fs::file_size(tpa, ec) / 1e6);
    std::fflush(stdout);  // nothing buffered may be copied into the children

    // The rounds interleave the commands, so a busy machine slows all of them alike.
    Best cp, cpReplace, add, exportAll, split, exportAgain, splitAgain;
    std::uint64_t files = 0;
    for (int round = 0; round < rounds; ++round) {
        fs::remove(copy, ec);
        settle();
        cp.take(runProgram({"cp", tpa, copy}));
        // The same replacement the add makes: a new file renamed over an old one.
        settle();
        ChildRun c = runProgram({"cp", tpa, staged});
        ChildRun m = runProgram({"mv", staged, copy});
        c.wall += m.wall;
        c.ok = c.ok && m.ok;
        cpReplace.take(c);
        // Every add grows the archive by one small sound; a backup exists, so none is made.
        settle();
        add.take(runProgram({cli, "add", tpa, sound, "--name", "bench" + std::to_string(round), "--backup", sound}));
        fs::remove_all(out, ec);
        settle();
        exportAll.take(runProgram({cli, "export-all", tpa, out}));
        files = static_cast<std::uint64_t>(std::distance(fs::directory_iterator(out, ec), fs::directory_iterator()));
        fs::remove_all(pieces, ec);
        fs::create_directory(pieces, ec);
        settle();
        split.take(runProgram({"split", "-n", std::to_string(files), tpa, pieces + "/p"}));
        // Over the files of the run before: every one is replaced.
        settle();
        exportAgain.take(runProgram({cli, "export-all", tpa, out}));
        settle();
        splitAgain.take(runProgram({"split", "-n", std::to_string(files), tpa, pieces + "/p"}));
    }
    fs::remove_all(out, ec);
    fs::remove_all(pieces, ec);
    fs::remove(copy, ec);
    fs::remove(sound, ec);
    if (!(cp.ok && cpReplace.ok && add.ok && exportAll.ok && split.ok && exportAgain.ok && splitAgain.ok)) {
        fs::remove(tpa, ec);
        std::fprintf(stderr, "a timed program failed\n");
        return 1;
    }

    const double addRatio = add.seconds / cp.seconds, exportRatio = exportAll.seconds / split.seconds;
    const double againRatio = exportAgain.seconds / splitAgain.seconds;
    std::printf("add one sound  %7.3f s   cp %.3f s                 ratio %.2f (at most 1.3: %s)\n", add.seconds,
                cp.seconds, addRatio, verdict(addRatio, 1.3));
    std::printf("                           cp + mv over a copy %.3f s     ratio %.2f\n", cpReplace.seconds,
                add.seconds / cpReplace.seconds);
    std::printf("export-all     %7.3f s   split into %llu files %.3f s   ratio %.2f (at most 1.2: %s)\n",
                exportAll.seconds, static_cast<unsigned long long>(files), split.seconds, exportRatio,
                verdict(exportRatio, 1.2));
    std::printf("  again        %7.3f s   over the earlier files %.3f s   ratio %.2f (at most 1.2: %s)\n",
                exportAgain.seconds, splitAgain.seconds, againRatio, verdict(againRatio, 1.2));
    std::printf("peak memory    add %.1f MiB, export-all %.1f MiB (under 32 MiB: %s)\n", add.peakMiB,
                exportAll.peakMiB, std::max(add.peakMiB, exportAll.peakMiB) < 32 ? "ok" : "OVER");
    std::fflush(stdout);
    const int unpacked = benchUnpackPack(cli, work, tpa, rounds);
    fs::remove(tpa, ec);
    std::fflush(stdout);
    if (unpacked != 0) return unpacked;
    if (int failed = benchListBuild(cli, work, rounds); failed) return failed;
    std::fflush(stdout);
    return benchList(cli, work, rounds);
}
