// Every command that writes a file, run over inputs of every layout the tools
// read (made here from integer arithmetic alone, so that they are the same
// bytes on every machine), with the hash of each output compared with the one
// recorded: any byte of any output that changes fails the test. A changed
// output that is meant must be recorded again; the failure prints the lines.
// The commands run in a POSIX shell from the scratch folder, so that no
// output holds the folder's path.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <map>

#include "archive/archive_builder.h"
#include "archive/folder/content_hash.h"
#include "testkit/testkit.h"

#ifndef _WIN32

using testkit::Bytes;
using testkit::quote;
using testkit::run;

namespace {

std::string cli(const std::string& args) { return quote(SONKRATE_CLI_PATH) + " " + args; }

// A reproducible signal: a triangle per channel, each a different pitch, with
// a little noise from a linear congruential generator; values of 24 bits.
class Signal {
public:
    std::int32_t next(unsigned channel) {
        state_ = state_ * 1103515245u + 12345u;
        const std::int32_t period = 97 + 31 * static_cast<std::int32_t>(channel);
        const std::int32_t phase = static_cast<std::int32_t>(frame_ % static_cast<std::uint32_t>(period));
        const std::int32_t triangle = (phase < period / 2 ? phase : period - phase) * 2 * 0x600000 / period - 0x300000;
        const std::int32_t noise = static_cast<std::int32_t>((state_ >> 16) & 0xFFFF) - 0x8000;
        return triangle + noise * 8;
    }
    void endFrame() { ++frame_; }

private:
    std::uint32_t state_ = 12345;
    std::uint32_t frame_ = 0;
};

void putLE(Bytes& b, std::uint64_t v, unsigned bytes) {
    for (unsigned i = 0; i < bytes; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
void putBE(Bytes& b, std::uint64_t v, unsigned bytes) {
    for (unsigned i = bytes; i-- > 0;) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
void putTag(Bytes& b, const char* tag) { b.insert(b.end(), tag, tag + 4); }

struct Format {
    std::uint16_t tag = 1;  // 1 PCM, 3 float, 6 A-law, 7 mu-law, 0xFFFE extensible
    std::uint16_t bits = 16;
    std::uint16_t channels = 1;
    std::uint32_t rate = 22050;
    bool isFloat = false;  // for the extensible form
};

// A RIFF .wav of the given layout around data; extra bytes follow the 16 of
// the format chunk (cbSize and what it announces).
Bytes riffWav(const Format& f, std::uint16_t blockAlign, const Bytes& extra, const Bytes& data,
              std::uint32_t fact = 0) {
    Bytes b;
    putTag(b, "RIFF");
    putLE(b, 0, 4);
    putTag(b, "WAVE");
    putTag(b, "fmt ");
    putLE(b, 16 + extra.size(), 4);
    putLE(b, f.tag, 2);
    putLE(b, f.channels, 2);
    putLE(b, f.rate, 4);
    putLE(b, f.rate * blockAlign, 4);
    putLE(b, blockAlign, 2);
    putLE(b, f.bits, 2);
    b.insert(b.end(), extra.begin(), extra.end());
    if (fact != 0) {
        putTag(b, "fact");
        putLE(b, 4, 4);
        putLE(b, fact, 4);
    }
    putTag(b, "data");
    putLE(b, data.size(), 4);
    b.insert(b.end(), data.begin(), data.end());
    if (data.size() % 2) b.push_back(0);
    testkit::put32(b, 4, static_cast<std::uint32_t>(b.size() - 8));
    return b;
}

// frames of the signal as samples of f (integer, float or G.711 bytes of the signal's top bits).
Bytes samples(const Format& f, std::size_t frames) {
    Signal s;
    Bytes d;
    const bool isFloat = f.tag == 3 || f.isFloat;
    for (std::size_t i = 0; i < frames; ++i, s.endFrame()) {
        for (unsigned c = 0; c < f.channels; ++c) {
            const std::int32_t v = s.next(c);  // 24 bits
            if (f.tag == 6 || f.tag == 7) d.push_back(static_cast<std::uint8_t>((v >> 16) ^ 0x55));
            else if (isFloat && f.bits == 32) {
                const float x = static_cast<float>(v) / 8388608.0f;
                std::uint32_t u;
                std::memcpy(&u, &x, 4);
                putLE(d, u, 4);
            } else if (isFloat) {
                const double x = static_cast<double>(v) / 8388608.0;
                std::uint64_t u;
                std::memcpy(&u, &x, 8);
                putLE(d, u, 8);
            } else if (f.bits == 8) d.push_back(static_cast<std::uint8_t>((v >> 16) + 128));
            else putLE(d, static_cast<std::uint32_t>(v) << 8 >> (32 - f.bits), f.bits / 8);
        }
    }
    return d;
}

Bytes plainWav(Format f, std::size_t frames) {
    const std::uint16_t align = static_cast<std::uint16_t>(f.channels * f.bits / 8);
    return riffWav(f, align, {}, samples(f, frames));
}

// WAVE_FORMAT_EXTENSIBLE with the PCM or float sub-format.
Bytes extensibleWav(Format f, std::size_t frames) {
    Bytes extra;
    putLE(extra, 22, 2);
    putLE(extra, f.bits, 2);
    putLE(extra, f.channels == 2 ? 3 : 0, 4);
    putLE(extra, f.isFloat ? 3 : 1, 2);
    const std::uint8_t guid[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
    extra.insert(extra.end(), guid, guid + 14);
    f.tag = 0xFFFE;
    return riffWav(f, static_cast<std::uint16_t>(f.channels * f.bits / 8), extra, samples(f, frames));
}

// Blocks of pseudo-random codes behind valid block headers: any codes decode.
Bytes adpcmBlocks(std::size_t blocks, std::size_t blockAlign, std::size_t headerBytes,
                  void (*header)(Bytes&, unsigned, std::uint32_t), unsigned channels) {
    Bytes d;
    std::uint32_t state = 777;
    for (std::size_t k = 0; k < blocks; ++k) {
        for (unsigned c = 0; c < channels; ++c) header(d, c, state += 0x9E3779B9u);
        for (std::size_t i = headerBytes * channels; i < blockAlign; ++i) {
            state = state * 1103515245u + 12345u;
            d.push_back(static_cast<std::uint8_t>(state >> 16));
        }
    }
    return d;
}

void imaHeader(Bytes& d, unsigned, std::uint32_t seed) {
    putLE(d, static_cast<std::uint16_t>(seed >> 4), 2);
    d.push_back(static_cast<std::uint8_t>(seed % 60));
    d.push_back(0);
}

// IMA ADPCM in the game's blocks (1028 bytes mono, 2056 stereo), the last one short.
Bytes imaWav(std::uint16_t channels, std::uint32_t rate) {
    const std::size_t align = channels == 2 ? 2056 : 1028, perBlock = 2049;
    Bytes d = adpcmBlocks(3, align, 4, imaHeader, channels);
    d.resize(d.size() - align + 68 * channels);  // a last block of 128 codes a channel
    const std::uint32_t frames = 2 * perBlock + 1 + 128;
    Bytes extra;
    putLE(extra, 2, 2);
    putLE(extra, 2048, 2);
    return riffWav({0x11, 4, channels, rate}, static_cast<std::uint16_t>(align), extra, d, frames);
}

// MS ADPCM of 256-byte mono blocks with the seven standard coefficient pairs.
Bytes msAdpcmWav() {
    Bytes d;
    std::uint32_t state = 99;
    for (int k = 0; k < 6; ++k) {
        d.push_back(static_cast<std::uint8_t>(k % 7));
        putLE(d, 16 + 40 * k, 2);                   // delta
        putLE(d, static_cast<std::uint16_t>(1000 * k), 2);   // sample 1
        putLE(d, static_cast<std::uint16_t>(-700 * k), 2);   // sample 2
        for (int i = 7; i < 256; ++i) {
            state = state * 1103515245u + 12345u;
            d.push_back(static_cast<std::uint8_t>(state >> 16));
        }
    }
    Bytes extra;
    putLE(extra, 32, 2);
    putLE(extra, 500, 2);
    putLE(extra, 7, 2);
    const int coefs[14] = {256, 0, 512, -256, 0, 0, 192, 64, 240, 0, 460, -208, 392, -232};
    for (int c : coefs) putLE(extra, static_cast<std::uint16_t>(c), 2);
    return riffWav({2, 4, 1, 22050}, 256, extra, d, 6 * 500);
}

// A .snd file: 16-bit linear or mu-law, big-endian, mono.
Bytes auFile(std::uint32_t encoding, std::size_t frames) {
    Bytes b;
    putTag(b, ".snd");
    putBE(b, 24, 4);
    Bytes body;
    Signal s;
    for (std::size_t i = 0; i < frames; ++i, s.endFrame()) {
        const std::int32_t v = s.next(0);
        if (encoding == 3) putBE(body, static_cast<std::uint32_t>(v >> 8), 2);
        else body.push_back(static_cast<std::uint8_t>(v >> 16));
    }
    putBE(b, body.size(), 4);
    putBE(b, encoding, 4);
    putBE(b, 16000, 4);
    putBE(b, 1, 4);
    b.insert(b.end(), body.begin(), body.end());
    return b;
}

// An AIFF of 16-bit stereo at 22050 Hz (the rate as an 80-bit extended number).
Bytes aiffFile(std::size_t frames) {
    Format f{1, 16, 2, 22050};
    Bytes pcm = samples(f, frames);
    for (std::size_t i = 0; i + 1 < pcm.size(); i += 2) std::swap(pcm[i], pcm[i + 1]);
    Bytes b;
    putTag(b, "FORM");
    putBE(b, 0, 4);
    putTag(b, "AIFF");
    putTag(b, "COMM");
    putBE(b, 18, 4);
    putBE(b, 2, 2);
    putBE(b, frames, 4);
    putBE(b, 16, 2);
    const std::uint8_t rate[10] = {0x40, 0x0D, 0xAC, 0x44, 0, 0, 0, 0, 0, 0};
    b.insert(b.end(), rate, rate + 10);
    putTag(b, "SSND");
    putBE(b, pcm.size() + 8, 4);
    putBE(b, 0, 8);
    b.insert(b.end(), pcm.begin(), pcm.end());
    testkit::put32(b, 4, 0);
    const std::uint32_t form = static_cast<std::uint32_t>(b.size() - 8);
    b[4] = static_cast<std::uint8_t>(form >> 24), b[5] = static_cast<std::uint8_t>(form >> 16);
    b[6] = static_cast<std::uint8_t>(form >> 8), b[7] = static_cast<std::uint8_t>(form);
    return b;
}

// The hash of a file, or of a folder as its files' relative paths and hashes in order.
std::string hashOf(const std::string& path) {
    namespace fs = std::filesystem;
    std::string hash;
    if (!fs::is_directory(path)) {
        if (!sonkrate::archive::hashFile(path, hash)) return "unreadable";
        return hash;
    }
    std::vector<std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(path))
        if (e.is_regular_file()) files.push_back(fs::relative(e.path(), path).generic_string());
    std::sort(files.begin(), files.end());
    sonkrate::archive::ContentHash all;
    for (const std::string& f : files) {
        const std::string line = f + " " + hashOf(path + "/" + f) + "\n";
        all.update(line.data(), line.size());
    }
    return all.text();
}

class Outputs {
public:
    explicit Outputs(const testkit::ScratchDir& dir) : dir_(dir) {}

    // Runs the command line (paths in it relative to the scratch folder are
    // the caller's), then records the hash of output under label.
    void run(const std::string& label, const std::string& args, const std::string& output) {
        auto r = testkit::run("cd " + quote(dir_.path()) + " && " + cli(args));
        EXPECT_EQ(r.exitCode, 0) << label << ": " << args << "\n" << r.err;
        got_[label] = testkit::fileExists(dir_.file(output)) ? hashOf(dir_.file(output)) : "missing";
    }
    const std::map<std::string, std::string>& got() const { return got_; }

private:
    const testkit::ScratchDir& dir_;
    std::map<std::string, std::string> got_;
};

// The inputs, written into dir.
void writeInputs(const testkit::ScratchDir& dir) {
    std::filesystem::create_directory(dir.file("in"));
    auto in = [&](const char* name, const Bytes& b) { testkit::writeFile(dir.file(std::string("in/") + name), b); };
    in("pcm8.wav", plainWav({1, 8, 1, 11025}, 5000));
    in("pcm16.wav", plainWav({1, 16, 1, 22050}, 5000));
    in("stereo16.wav", plainWav({1, 16, 2, 44100}, 4500));
    in("int24.wav", plainWav({1, 24, 2, 48000}, 4800));
    in("int32.wav", plainWav({1, 32, 1, 32000}, 3000));
    in("float32.wav", plainWav({3, 32, 2, 44100}, 4410));
    in("float64.wav", plainWav({3, 64, 1, 22050}, 2500));
    in("ext24.wav", extensibleWav({1, 24, 2, 48000}, 3000));
    in("extfloat.wav", extensibleWav({1, 32, 2, 96000, true}, 3000));
    in("six.wav", plainWav({3, 32, 6, 48000}, 2000));
    in("ima.wav", imaWav(1, 22050));
    in("imastereo.wav", imaWav(2, 44100));
    in("msadpcm.wav", msAdpcmWav());
    in("alaw.wav", plainWav({6, 8, 1, 8000}, 3000));
    in("mulaw.wav", plainWav({7, 8, 2, 8000}, 3000));
    in("linear.au", auFile(3, 4000));
    in("mulaw.au", auFile(1, 4000));
    in("tone.aiff", aiffFile(3000));
    testkit::writeText(dir.file("in/captions.srt"),
                       "1\n00:00:00,000 --> 00:00:00,100\nFirst line\n\n2\n00:00:00,100 --> 00:00:00,200\nSecond\n");
    std::filesystem::create_directory(dir.file("caus"));
    testkit::writeFile(dir.file("caus/plain.cau"), archive_test::pcmImage(11025, 1, 3000));
    testkit::writeFile(dir.file("caus/said.cau"), archive_test::pcmImage(22050, 2, 4000, true));
    testkit::writeFile(dir.file("in/beta.tpa"),
                       archive_test::betaArchive(0x140, 24, {{1, archive_test::pcmImage(11025, 1, 2000)},
                                                             {2, archive_test::pcmImage(22050, 2, 4000, true)}}));
}

void runSoundCommands(Outputs& o) {
    for (const char* w : {"pcm8", "pcm16", "stereo16", "ima", "imastereo"})
        o.run(std::string("wav2cau ") + w, std::string("wav2cau in/") + w + ".wav out/" + w + ".cau",
              std::string("out/") + w + ".cau");
    o.run("wav2cau --caption", "wav2cau in/pcm16.wav out/said.cau --caption 'A door\nslams'", "out/said.cau");
    o.run("wav2cau --captions", "wav2cau in/stereo16.wav out/timed.cau --captions in/captions.srt", "out/timed.cau");
    for (const char* w : {"int24", "int32", "float32", "float64", "ext24", "extfloat", "six"})
        o.run(std::string("wav2cau --to-game ") + w, std::string("wav2cau --to-game in/") + w + ".wav out/g" + w + ".cau",
              std::string("out/g") + w + ".cau");
    for (const char* w : {"pcm8", "pcm16", "stereo16"})
        o.run(std::string("wav2cau --ima ") + w, std::string("wav2cau --ima in/") + w + ".wav out/i" + w + ".cau",
              std::string("out/i") + w + ".cau");
    for (const char* w : {"int24", "float32", "six"})
        o.run(std::string("wav2cau --to-game --ima ") + w,
              std::string("wav2cau --to-game --ima in/") + w + ".wav out/gi" + w + ".cau",
              std::string("out/gi") + w + ".cau");
    for (const char* c : {"pcm8", "stereo16", "ima", "imastereo", "said", "giint24"})
        o.run(std::string("cau2wav ") + c, std::string("cau2wav out/") + c + ".cau out/" + c + ".back.wav",
              std::string("out/") + c + ".back.wav");
    for (const char* f : {"linear.au", "mulaw.au", "tone.aiff", "ima.wav", "msadpcm.wav", "alaw.wav", "mulaw.wav",
                          "pcm16.wav"})
        o.run(std::string("convert ") + f, std::string("convert in/") + f + " out/" + f + ".conv.wav",
              std::string("out/") + f + ".conv.wav");
}

void runArchiveCommands(Outputs& o) {
    o.run("new", "new a.tpa", "a.tpa");
    o.run("add .cau", "add a.tpa caus/said.cau", "a.tpa");
    o.run("add .wav", "add a.tpa in/pcm16.wav", "a.tpa");
    o.run("add 8-bit", "add a.tpa in/pcm8.wav --name low", "a.tpa");
    o.run("add stereo", "add a.tpa in/stereo16.wav", "a.tpa");
    o.run("add IMA .wav", "add a.tpa in/imastereo.wav", "a.tpa");
    o.run("add --to-game 24-bit", "add a.tpa in/int24.wav --to-game", "a.tpa");
    o.run("add --to-game float", "add a.tpa in/float32.wav --to-game", "a.tpa");
    o.run("add --to-game six", "add a.tpa in/six.wav --to-game --name many", "a.tpa");
    o.run("add --to-game --ima 24-bit", "add a.tpa in/int24.wav --to-game --ima --name packed", "a.tpa");
    o.run("add --to-game --ima float", "add a.tpa in/extfloat.wav --to-game --ima", "a.tpa");
    o.run("add --ima stereo", "add a.tpa in/stereo16.wav --ima --name wind", "a.tpa");
    o.run("add --ima 8-bit", "add a.tpa in/pcm8.wav --ima --name hum", "a.tpa");
    o.run("add --captions", "add a.tpa in/pcm16.wav --name spoken --captions in/captions.srt", "a.tpa");
    o.run("add .cau --captions", "add a.tpa caus/plain.cau --captions in/captions.srt", "a.tpa");
    o.run("replace .cau", "replace a.tpa pcm16 caus/plain.cau", "a.tpa");
    o.run("replace --to-game", "replace a.tpa low in/float64.wav --to-game", "a.tpa");
    o.run("replace --to-game --ima", "replace a.tpa many in/ext24.wav --to-game --ima", "a.tpa");
    o.run("replace --ima", "replace a.tpa stereo16 in/pcm16.wav --ima", "a.tpa");
    o.run("remove", "remove a.tpa said wind", "a.tpa");
    for (const char* i : {"1", "3", "7", "9"}) {
        o.run(std::string("extract .wav ") + i, std::string("extract a.tpa ") + i + " out/e" + i + ".wav",
              std::string("out/e") + i + ".wav");
        o.run(std::string("extract .cau ") + i, std::string("extract a.tpa ") + i + " out/e" + i + ".cau",
              std::string("out/e") + i + ".cau");
    }
    o.run("export-all", "export-all a.tpa out/all", "out/all");
    o.run("export-all --wav", "export-all a.tpa out/allwav --wav", "out/allwav");
    o.run("unpack", "unpack a.tpa out/unpacked", "out/unpacked");
    o.run("unpack --cau", "unpack a.tpa out/unpackedcau --cau", "out/unpackedcau");
    o.run("pack", "pack out/unpacked out/packed.tpa", "out/packed.tpa");
    o.run("pack of --cau", "pack out/unpackedcau out/packedcau.tpa", "out/packedcau.tpa");
    o.run("build-dir", "build-dir caus out/dir.tpa", "out/dir.tpa");
    o.run("make-eel", "make-eel caus sounds", "caus/sounds.eel");
    o.run("build-eel", "build-eel caus/sounds.eel out/list.tpa", "out/list.tpa");
    o.run("beta-to-retail", "beta-to-retail in/beta.tpa", "in/altbeta.tpa");
}

// What the commands wrote, recorded when they were last meant to change.
const std::map<std::string, std::string> kRecorded = {
    {"add --captions", "xxh64:427ea74ef88ebb7b"},
    {"add --ima 8-bit", "xxh64:32869e4def3c6e61"},
    {"add --ima stereo", "xxh64:1b8146c2236b574a"},
    {"add --to-game --ima 24-bit", "xxh64:25d866ce9c5ef44a"},
    {"add --to-game --ima float", "xxh64:4d6492f19607aec1"},
    {"add --to-game 24-bit", "xxh64:f5dba2b646370a0b"},
    {"add --to-game float", "xxh64:02ae699e54cbae6c"},
    {"add --to-game six", "xxh64:1fcd904b3469b3e8"},
    {"add .cau", "xxh64:8bb678242bb9aa41"},
    {"add .cau --captions", "xxh64:5dead54326ac7497"},
    {"add .wav", "xxh64:b4e31429ea04f3b5"},
    {"add 8-bit", "xxh64:c51e774f573cd70c"},
    {"add IMA .wav", "xxh64:f601cc80feb4592f"},
    {"add stereo", "xxh64:f9cb61205414a98e"},
    {"beta-to-retail", "xxh64:6cc3b658c0452b4d"},
    {"build-dir", "xxh64:e4d4fb1d12262035"},
    {"build-eel", "xxh64:e4d4fb1d12262035"},
    {"cau2wav giint24", "xxh64:4248db4b7ce6225a"},
    {"cau2wav ima", "xxh64:c4a451ac4cc5712b"},
    {"cau2wav imastereo", "xxh64:74adb57291b36b30"},
    {"cau2wav pcm8", "xxh64:4f6d91cb205ef53b"},
    {"cau2wav said", "xxh64:9c700b38e5cc8a3b"},
    {"cau2wav stereo16", "xxh64:8579be5c0e279475"},
    {"convert alaw.wav", "xxh64:9beabd66e8aeaeb6"},
    {"convert ima.wav", "xxh64:c4a451ac4cc5712b"},
    {"convert linear.au", "xxh64:a205e42650e7aa97"},
    {"convert msadpcm.wav", "xxh64:5004172cfcb6ecac"},
    {"convert mulaw.au", "xxh64:afe5548a1a83a12a"},
    {"convert mulaw.wav", "xxh64:662f9cc1b7ccfd1f"},
    {"convert pcm16.wav", "xxh64:9c700b38e5cc8a3b"},
    {"convert tone.aiff", "xxh64:ef401d5857020309"},
    {"dir-to-caus", "xxh64:4705440d5c26c878"},
    {"export-all", "xxh64:587d66c88639686c"},
    {"export-all --wav", "xxh64:ef44b717350aeb57"},
    {"extract .cau 1", "xxh64:82e7f1d74e5fd2b6"},
    {"extract .cau 3", "xxh64:3245877155c8dbc2"},
    {"extract .cau 7", "xxh64:2962c29d9230447d"},
    {"extract .cau 9", "xxh64:9c9e6b0896904a0f"},
    {"extract .wav 1", "xxh64:853844c3e0de621d"},
    {"extract .wav 3", "xxh64:b66695bc6f80b636"},
    {"extract .wav 7", "xxh64:2a4fe4dc8fec5faf"},
    {"extract .wav 9", "xxh64:ebfc18be8a6283ad"},
    {"make-eel", "xxh64:4403471d1f99c3fb"},
    {"new", "xxh64:6e5ff90e885c0894"},
    {"pack", "xxh64:b560ec77fbdaf6d0"},
    {"pack of --cau", "xxh64:b560ec77fbdaf6d0"},
    {"remove", "xxh64:b560ec77fbdaf6d0"},
    {"replace --ima", "xxh64:2ae890222c8bbef2"},
    {"replace --to-game", "xxh64:a97f2184a81bcf7d"},
    {"replace --to-game --ima", "xxh64:970a2fb655633cfd"},
    {"replace .cau", "xxh64:b443fc9d9e4bc3f6"},
    {"unpack", "xxh64:8d9f2a758ac05a2b"},
    {"unpack --cau", "xxh64:5a43ecb352d2e814"},
    {"wav2cau --caption", "xxh64:0360cb2ae07c825f"},
    {"wav2cau --captions", "xxh64:5af4008777f896ef"},
    {"wav2cau --ima pcm16", "xxh64:3245877155c8dbc2"},
    {"wav2cau --ima pcm8", "xxh64:326edcda73e6399b"},
    {"wav2cau --ima stereo16", "xxh64:63191a055d651655"},
    {"wav2cau --to-game --ima float32", "xxh64:fd7bf939beb0610b"},
    {"wav2cau --to-game --ima int24", "xxh64:07fbba4378b1e1fe"},
    {"wav2cau --to-game --ima six", "xxh64:36665683dae8e219"},
    {"wav2cau --to-game ext24", "xxh64:b3d182bca70031c6"},
    {"wav2cau --to-game extfloat", "xxh64:0f8704a82ad7409d"},
    {"wav2cau --to-game float32", "xxh64:94c610cdd91eab17"},
    {"wav2cau --to-game float64", "xxh64:297b3f9b0041f44d"},
    {"wav2cau --to-game int24", "xxh64:29e92906bb73f40b"},
    {"wav2cau --to-game int32", "xxh64:1a5f939b4ba16c50"},
    {"wav2cau --to-game six", "xxh64:9d3d5f74647ac82b"},
    {"wav2cau ima", "xxh64:7f278fd115c4fe59"},
    {"wav2cau imastereo", "xxh64:f7809a3f7a8c8c16"},
    {"wav2cau pcm16", "xxh64:d96a7bcced36c597"},
    {"wav2cau pcm8", "xxh64:dad72366b228eea4"},
    {"wav2cau stereo16", "xxh64:11e396c1ece4f649"},
};

}  // namespace

TEST(OutputIdentity, EveryCommandWritesTheBytesRecorded) {
    testkit::ScratchDir dir;
    writeInputs(dir);
    std::filesystem::create_directory(dir.file("out"));
    std::filesystem::create_directory(dir.file("wavs"));
    for (const char* w : {"pcm8", "stereo16", "imastereo", "int24", "msadpcm"})
        std::filesystem::copy_file(dir.file(std::string("in/") + w + ".wav"), dir.file(std::string("wavs/") + w + ".wav"));
    Outputs o(dir);
    runSoundCommands(o);
    std::filesystem::copy_file(dir.file("out/imastereo.cau"), dir.file("caus/wind.cau"));
    runArchiveCommands(o);
    o.run("dir-to-caus", "dir-to-caus wavs", "wavs");

    std::string table;
    bool same = o.got().size() == kRecorded.size();
    for (const auto& [label, hash] : o.got()) {
        table += "    {\"" + label + "\", \"" + hash + "\"},\n";
        auto recorded = kRecorded.find(label);
        if (recorded == kRecorded.end() || recorded->second != hash) {
            same = false;
            ADD_FAILURE() << label << ": " << hash << " where "
                          << (recorded == kRecorded.end() ? "nothing" : recorded->second) << " was recorded";
        }
    }
    EXPECT_TRUE(same) << "what the commands write now:\n" << table;
}

#endif  // _WIN32
