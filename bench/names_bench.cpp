// Times the name search of sonkrate-cli names beside plain tools in the same run:
//   the harvest of two generated trees, one of random binary and script files
//   (3000), one shaped like a game folder (sound archives, textures, programs,
//   levels, text), each vs cat of the same files to /dev/null and
//   strings -a -n 2 of them, in CPU time (user + system): the machine may be
//   busy with other work, which stretches wall time but not CPU time; and in
//   wall time, where the harvest reads several files at once
//   the guess of a six-unknown pattern (39^6 names) against 100 identifiers,
//       its names per second vs a plain loop hashing each candidate in full
// and the harvest's peak memory. Each figure is the best of a few rounds.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "archive/format/tpa_format.h"
#include "audio/cau/cau_header.h"
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

bool writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::error_code ec;
    fs::create_directories(fs::path(path).parent_path(), ec);
    io::File out;
    return out.open(path, io::FileMode::Write) && out.write(bytes.data(), bytes.size()) && out.close();
}

// The random tree: files files of about megabytes in all, three in four
// noise with names between zero bytes, the others script lines naming sounds.
std::vector<std::string> writeRandomTree(const std::string& root, double megabytes, int files) {
    std::vector<std::string> paths;
    std::mt19937 random(5);
    const auto each = static_cast<std::size_t>(megabytes * 1e6 / files);
    std::vector<std::uint8_t> bytes(each);
    for (int f = 0; f < files; ++f) {
        const std::string folder = root + "/d" + std::to_string(f % 40);
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
        if (!writeFile(path, bytes)) return {};
        paths.push_back(path);
    }
    return paths;
}

// The kinds of file of a game folder, made up to look like the real ones.
struct GameMaker {
    std::mt19937 random{11};

    std::uint32_t below(std::uint32_t n) { return static_cast<std::uint32_t>(random() % n); }
    void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
        for (int k = 0; k < 4; ++k) out.push_back(static_cast<std::uint8_t>(v >> (8 * k)));
    }
    void putText(std::vector<std::uint8_t>& out, const std::string& s, bool zero = true) {
        out.insert(out.end(), s.begin(), s.end());
        if (zero) out.push_back(0);
    }

    // Sound data: 16-bit PCM of tones and noise under slow envelopes.
    void sound(std::vector<std::uint8_t>& out, std::size_t size) {
        double phase = 0, step = 0.05, level = 0;
        while (out.size() < size) {
            if (below(4000) == 0) step = 0.005 + below(200) / 1000.0, level = below(12000);
            phase += step;
            const double noise = static_cast<int>(below(2001)) - 1000;
            const auto s = static_cast<std::int16_t>(level * std::sin(phase) + noise * level / 8000);
            out.push_back(static_cast<std::uint8_t>(s & 0xFF));
            out.push_back(static_cast<std::uint8_t>((s >> 8) & 0xFF));
        }
    }

    // A paletted texture: smooth shading with grain, rows of one width.
    void texture(std::vector<std::uint8_t>& out, std::size_t size) {
        for (int i = 0; i < 256; ++i) put32(out, random() & 0xFFFFFFu);
        std::uint32_t row = 0;
        while (out.size() < size) {
            for (int x = 0; x < 256 && out.size() < size; ++x)
                out.push_back(static_cast<std::uint8_t>((x / 4 + row / 3 + below(6)) & 0xFF));
            ++row;
        }
    }

    // Machine code: opcodes, small operands, relative addresses and padding,
    // then a table of library and message strings, one of them UTF-16.
    void program(std::vector<std::uint8_t>& out, std::size_t size) {
        static const std::uint8_t kOps[] = {0x8B, 0x89, 0x55, 0x5D, 0xC3, 0x83, 0xE8, 0x74, 0x75, 0x0F, 0x85, 0x33,
                                            0xFF, 0x50, 0x51, 0x52, 0x53, 0x56, 0x57, 0x8D, 0x45, 0xEC, 0xC7, 0x6A};
        const std::size_t code = size * 4 / 5;
        while (out.size() < code) {
            out.push_back(kOps[below(sizeof kOps)]);
            const std::uint32_t k = below(10);
            if (k < 3) put32(out, k == 0 ? below(0x10000) : 0x00400000u + below(0x100000));
            else if (k < 6) out.push_back(static_cast<std::uint8_t>(below(0x40)));
            else if (k == 6) out.insert(out.end(), below(12), std::uint8_t{0xCC});
        }
        static const char* const kStrings[] = {"GetProcAddress", "LoadLibraryA", "KERNEL32.dll", "%s: %d\n",
                                               "Cannot open file %s", "DirectSoundCreate", "WriteFile", "GDI32.dll",
                                               "Unhandled exception", "D:\\\\Projects\\\\Game\\\\Source\\\\Audio.cpp"};
        while (out.size() < size) putText(out, kStrings[below(10)]);
        const std::string wide = soundName(below(50));
        for (char c : wide) out.push_back(static_cast<std::uint8_t>(c)), out.push_back(0);
    }

    // A level: object records of names, floats and flags, with sound properties.
    void level(std::vector<std::uint8_t>& out, std::size_t size) {
        while (out.size() < size) {
            putText(out, "Obj" + std::to_string(below(9000)) + "-" + std::to_string(below(99)));
            for (int k = 0; k < 12; ++k) put32(out, k % 3 ? random() : below(4));
            if (below(8) == 0) {
                putText(out, "Sound");
                putText(out, soundName(below(50)));
            }
            out.insert(out.end(), below(16), std::uint8_t{0});
        }
    }

    // Text: settings and script lines.
    void text(std::vector<std::uint8_t>& out, std::size_t size) {
        while (out.size() < size) {
            const std::string line = below(2) ? "Volume" + std::to_string(below(40)) + " = " + std::to_string(below(100)) + "\r\n"
                                              : "PlaySound(\"" + soundName(below(50)) + "\", " + std::to_string(below(9)) + ");\r\n";
            putText(out, line, false);
        }
    }
};

// A tree shaped like a game folder, about megabytes in all: sound archives,
// textures, programs and libraries, levels and a few text files.
std::vector<std::string> writeGameTree(const std::string& root, double megabytes) {
    struct Kind {
        const char* folder;
        const char* extension;
        double share;  // of the bytes
        int files;
        void (GameMaker::*make)(std::vector<std::uint8_t>&, std::size_t);
    };
    const Kind kinds[] = {{"data/sound", ".tpa", 0.40, 24, &GameMaker::sound},
                          {"data/maps", ".spz", 0.25, 300, &GameMaker::texture},
                          {"", ".dll", 0.15, 20, &GameMaker::program},
                          {"data/levels", ".scn", 0.15, 12, &GameMaker::level},
                          {"data/text", ".ini", 0.05, 60, &GameMaker::text}};
    GameMaker maker;
    std::vector<std::string> paths;
    std::vector<std::uint8_t> bytes;
    for (const Kind& kind : kinds) {
        const auto each = static_cast<std::size_t>(megabytes * 1e6 * kind.share / kind.files);
        for (int f = 0; f < kind.files; ++f) {
            const std::string path = root + "/" + kind.folder + "/f" + std::to_string(f) + kind.extension;
            bytes.clear();
            (maker.*kind.make)(bytes, each);
            bytes.resize(each);
            if (!writeFile(path, bytes)) return {};
            paths.push_back(path);
        }
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

// The least CPU time (user + system) of a command's rounds, and its largest peak.
struct CpuBest {
    double seconds = 1e30;
    double wall = 1e30;  // the least wall time, of any round
    double peakMiB = 0;
    bool ok = true;
    void take(const ChildRun& r) {
        seconds = std::min(seconds, r.user + r.sys);
        wall = std::min(wall, r.wall);
        peakMiB = std::max(peakMiB, r.peakMiB);
        ok = ok && r.ok;
    }
};

struct TreeFigures {
    CpuBest harvest, cat, strings;
};

// The harvest of the tree beside cat and strings of its files, best of rounds.
TreeFigures timeTree(const std::string& cli, const std::string& tpa, const std::string& tree,
                     const std::vector<std::string>& files, int rounds) {
    std::vector<std::string> cat = {"cat"}, strings = {"strings", "-a", "-n", "2"};
    cat.insert(cat.end(), files.begin(), files.end());
    strings.insert(strings.end(), files.begin(), files.end());
    TreeFigures t;
    (void)runProgram(cat);  // every file in the page cache before the first round
    for (int round = 0; round < rounds; ++round) {
        t.cat.take(runProgram(cat));
        t.harvest.take(runProgram({cli, "names", tpa, "--from", tree, "--no-vary", "--quiet"}));
        t.strings.take(runProgram(strings));
    }
    return t;
}

bool printTree(const char* what, std::size_t files, double megabytes, const TreeFigures& t) {
    if (!(t.harvest.ok && t.cat.ok && t.strings.ok)) return false;
    const double toCat = t.harvest.seconds / t.cat.seconds, toStrings = t.harvest.seconds / t.strings.seconds;
    std::printf("%s: %zu files, %.1f MB\n", what, files, megabytes);
    std::printf("  names --from   %7.3f s CPU   %.0f MB per CPU second   cat %.3f s CPU   ratio %.2f (at most 2: %s)\n",
                t.harvest.seconds, megabytes / t.harvest.seconds, t.cat.seconds, toCat, toCat <= 2 ? "ok" : "OVER");
    std::printf("                 strings -a -n 2 %.3f s CPU   ratio %.2f (at most 0.5: %s)\n", t.strings.seconds,
                toStrings, toStrings <= 0.5 ? "ok" : "OVER");
    std::printf("  wall time      names --from %.3f s   %.0f MB/s   cat %.3f s   ratio %.2f   strings %.3f s   ratio %.2f"
                "   (%u cores)\n",
                t.harvest.wall, megabytes / t.harvest.wall, t.cat.wall, t.harvest.wall / t.cat.wall, t.strings.wall,
                t.harvest.wall / t.strings.wall, std::thread::hardware_concurrency());
    std::printf("  peak memory    names --from %.1f MiB (under 64 MiB: %s)\n", t.harvest.peakMiB,
                t.harvest.peakMiB < 64 ? "ok" : "OVER");
    std::fflush(stdout);
    return true;
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
    const std::string randomTree = work + "/random", gameTree = work + "/game", tpa = work + "/names.tpa";
    std::vector<ids::SoundId> identifiers;
    std::mt19937 random(9);
    for (std::uint32_t i = 0; i < 50; ++i) identifiers.push_back(ids::computeSoundId(soundName(i)));
    while (identifiers.size() < 100) identifiers.push_back(random());
    if (!writeArchive(tpa, identifiers)) {
        std::fprintf(stderr, "cannot write the files under %s\n", work.c_str());
        return 1;
    }
    bool ok = true;
    std::error_code ec;
    for (bool game : {false, true}) {
        const std::string& tree = game ? gameTree : randomTree;
        const std::vector<std::string> files =
            game ? writeGameTree(tree, megabytes) : writeRandomTree(tree, megabytes, 3000);
        if (files.empty()) {
            std::fprintf(stderr, "cannot write the files under %s\n", work.c_str());
            return 1;
        }
        std::fflush(stdout);  // nothing buffered may be copied into the children
        ok = printTree(game ? "game-like tree" : "random tree", files.size(), megabytes,
                       timeTree(cli, tpa, tree, files, rounds)) && ok;
        fs::remove_all(tree, ec);
    }

    Best guess;
    for (int round = 0; round < rounds; ++round)
        guess.take(runProgram({cli, "names", tpa, "--guess", "ceo-??????", "--no-vary", "--quiet"}));
    fs::remove(tpa, ec);
    if (!ok || !guess.ok) {
        std::fprintf(stderr, "a timed program failed\n");
        return 1;
    }
    const double names = 39.0 * 39 * 39 * 39 * 39 * 39, rate = names / guess.seconds;
    const double plain = plainLoopRate(20'000'000);
    std::printf("guess ceo-??????  %7.3f s for %.2e names x 100 identifiers (under 2 s: %s)\n", guess.seconds, names,
                guess.seconds < 2 ? "ok" : "OVER");
    std::printf("                  %.2e names/s   plain loop hashing each in full %.2e names/s   ratio %.0f\n", rate,
                plain, rate / plain);
    return 0;
}
