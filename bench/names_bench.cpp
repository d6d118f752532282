// Times the name search of sonkrate-cli names beside plain tools in the same run:
//   the harvest of a generated tree (binary and text files, a few thousand)
//       vs  cat of the same files to /dev/null, and strings -a -n 2 of them
//   the guess of a six-unknown pattern (39^6 names) against 100 identifiers,
//       its names per second vs a plain loop hashing each candidate in full
// and the harvest's peak memory. Each figure is the best of a few rounds.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <system_error>
#include <vector>

#include "archive/tpa_format.h"
#include "audio/cau_header.h"
#include "child_process.h"
#include "ids/sound_id.h"
#include "io/file.h"

namespace fs = std::filesystem;
using namespace sonkrate;
using bench::Best;
using bench::ChildRun;
using bench::runProgram;

namespace {


std::string soundName(std::uint32_t i) {
    char text[32];
    std::snprintf(text, sizeof text, "amb-pv-b%02u", i);
    return text;
}

// An archive whose records carry the identifiers, all pointing at one image.
bool writeArchive(const std::string& path, const std::vector<ids::SoundId>& identifiers) {
    audio::CauHeader h;
    h.sampleRate = 22050, h.bitsPerSample = 16, h.channels = 1;
    const auto cau = audio::serializeCauHeader(h);
    const auto count = static_cast<std::uint32_t>(identifiers.size());
    archive::TpaHeader header;
    header.soundCount = 1, header.entryCount = count;
    const std::uint32_t image = 24 + 56 * count;
    header.soundDataEnd = image + 36;
    io::File out;
    if (!out.open(path, io::FileMode::Write)) return false;
    auto headerBytes = archive::serializeTpaHeader(header);
    bool ok = static_cast<bool>(out.write(headerBytes.data(), headerBytes.size()));
    for (ids::SoundId id : identifiers) {
        archive::TpaEntry e;
        e.soundId = id, e.imageOffset = image, e.imageLength = 36;
        std::copy(cau.begin(), cau.end(), e.cauHeader.begin());
        auto record = archive::serializeTpaEntry(e);
        ok = ok && out.write(record.data(), record.size());
    }
    ok = ok && out.write(cau.data(), cau.size());
    return ok && out.close();
}

// files files of about megabytes in all: three in four noise with names
// between zero bytes, the others script lines naming sounds.
std::vector<std::string> writeTree(const std::string& root, double megabytes, int files) {
    std::vector<std::string> paths;
    std::mt19937 random(5);
    const auto each = static_cast<std::size_t>(megabytes * 1e6 / files);
    std::vector<std::uint8_t> bytes(each);
    for (int f = 0; f < files; ++f) {
        const std::string folder = root + "/d" + std::to_string(f % 40);
        std::error_code ec;
        fs::create_directories(folder, ec);
        const std::string path = folder + (f % 4 ? "/f" + std::to_string(f) + ".bin" : "/f" + std::to_string(f) + ".scn");
        if (f % 4) {
            for (auto& b : bytes) b = static_cast<std::uint8_t>(random());
            for (std::size_t at = 5000; at + 16 < each; at += 40000) {
                const std::string n = soundName(static_cast<std::uint32_t>(random() % 50));
                bytes[at] = 0;
                std::copy(n.begin(), n.end(), bytes.begin() + static_cast<long>(at) + 1);
                bytes[at + 1 + n.size()] = 0;
            }
        } else {
            std::string text;
            while (text.size() < each)
                text += "Object O" + std::to_string(random() % 99999) + " { Sound=\"" + soundName(random() % 50) +
                        "\"; Volume=" + std::to_string(random() % 10) + " }\r\n";
            bytes.assign(text.begin(), text.begin() + static_cast<long>(each));
        }
        io::File out;
        if (!out.open(path, io::FileMode::Write) || !out.write(bytes.data(), bytes.size()) || !out.close()) return {};
        paths.push_back(path);
    }
    return paths;
}

// Candidates per second of a plain loop: each "ceo-" + six symbols hashed in full.
double plainLoopRate(std::uint64_t count) {
    const char symbols[] = "abcdefghijklmnopqrstuvwxyz0123456789 -_";
    std::string name = "ceo-??????";
    std::uint32_t sink = 0;
    const auto start = std::chrono::steady_clock::now();
    for (std::uint64_t i = 0; i < count; ++i) {
        std::uint64_t v = i;
        for (int k = 9; k >= 4; --k, v /= 39) name[static_cast<std::size_t>(k)] = symbols[v % 39];
        sink ^= ids::computeSoundId(name);
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (sink == 0x12345678u) std::printf(" ");
    return static_cast<double>(count) / seconds;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_names SONKRATE_CLI WORKDIR [MEGABYTES] [ROUNDS]\n");
        return 2;
    }
    const std::string cli = argv[1], work = argv[2];
    const double megabytes = argc > 3 ? std::max(1.0, std::atof(argv[3])) : 200.0;
    const int rounds = argc > 4 ? std::max(1, std::atoi(argv[4])) : 3;
    const std::string tree = work + "/game", tpa = work + "/names.tpa";
    const std::vector<std::string> files = writeTree(tree, megabytes, 3000);
    std::vector<ids::SoundId> identifiers;
    std::mt19937 random(9);
    for (std::uint32_t i = 0; i < 50; ++i) identifiers.push_back(ids::computeSoundId(soundName(i)));
    while (identifiers.size() < 100) identifiers.push_back(random());
    if (files.empty() || !writeArchive(tpa, identifiers)) {
        std::fprintf(stderr, "cannot write the files under %s\n", work.c_str());
        return 1;
    }
    std::vector<std::string> cat = {"cat"}, strings = {"strings", "-a", "-n", "2"};
    cat.insert(cat.end(), files.begin(), files.end());
    strings.insert(strings.end(), files.begin(), files.end());
    std::printf("tree: %zu files, %.1f MB\n", files.size(), megabytes);
    std::fflush(stdout);  // nothing buffered may be copied into the children

    Best harvest, catRun, stringsRun, guess;
    (void)runProgram(cat);  // every file in the page cache before the first round
    for (int round = 0; round < rounds; ++round) {
        catRun.take(runProgram(cat));
        harvest.take(runProgram({cli, "names", tpa, "--from", tree, "--no-vary", "--quiet"}));
        stringsRun.take(runProgram(strings));
        guess.take(runProgram({cli, "names", tpa, "--guess", "ceo-??????", "--no-vary", "--quiet"}));
    }
    std::error_code ec;
    fs::remove_all(tree, ec);
    fs::remove(tpa, ec);
    if (!(harvest.ok && catRun.ok && stringsRun.ok && guess.ok)) {
        std::fprintf(stderr, "a timed program failed\n");
        return 1;
    }
    const double toCat = harvest.seconds / catRun.seconds, toStrings = harvest.seconds / stringsRun.seconds;
    std::printf("names --from   %7.3f s   %.0f MB/s   cat %.3f s   ratio %.2f (at most 1.5: %s)\n", harvest.seconds,
                megabytes / harvest.seconds, catRun.seconds, toCat, toCat <= 1.5 ? "ok" : "OVER");
    std::printf("                          strings -a -n 2 %.3f s   ratio %.2f (under 1: %s)\n", stringsRun.seconds,
                toStrings, toStrings < 1 ? "ok" : "OVER");
    std::printf("peak memory    names --from %.1f MiB (under 64 MiB: %s)\n", harvest.peakMiB,
                harvest.peakMiB < 64 ? "ok" : "OVER");
    const double names = 39.0 * 39 * 39 * 39 * 39 * 39, rate = names / guess.seconds;
    const double plain = plainLoopRate(20'000'000);
    std::printf("guess ceo-??????  %7.3f s for %.2e names x 100 identifiers (under 2 s: %s)\n", guess.seconds, names,
                guess.seconds < 2 ? "ok" : "OVER");
    std::printf("                  %.2e names/s   plain loop hashing each in full %.2e names/s   ratio %.0f\n", rate,
                plain, rate / plain);
    return 0;
}
