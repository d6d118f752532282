// Folders, SubRip files and paths as a hostile sender makes them: links out
// of the folder, FIFOs and devices, a changed original, levels beyond a
// float, captions without limit, control characters in names. Each command
// refuses with a sentence that says what is wrong, exits 1 without waiting,
// writes nothing and leaves everything outside its folder as it was.
#include <gtest/gtest.h>

#include <bit>
#include <cstdio>
#include <filesystem>
#include <map>

#include "archive/archive_builder.h"
#include "archive/folder/manifest_json.h"
#include "audio/cau/caption_sections.h"
#include "testkit/testkit.h"

#if !defined(_WIN32)
#include <sys/stat.h>
#endif

using testkit::Bytes;
using testkit::quote;
using testkit::run;
namespace fs = std::filesystem;
namespace archive = sonkrate::archive;

namespace {

std::string cli(const std::string& args) {
    // Bounded, so that a command that waits on a FIFO fails the test instead of hanging it.
#if defined(_WIN32)
    return quote(SONKRATE_CLI_PATH) + " " + args;
#else
    return "timeout 60 " + quote(SONKRATE_CLI_PATH) + " " + args;
#endif
}

// Every file and folder under root, each file with its size and a hash of its bytes.
std::map<std::string, std::string> tree(const std::string& root) {
    std::map<std::string, std::string> found;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(root, ec); it != fs::recursive_directory_iterator(); ++it) {
        std::string what = it->is_symlink() ? "link" : it->is_directory() ? "folder" : "other";
        if (it->is_regular_file() && !it->is_symlink()) {
            const Bytes b = testkit::readFile(it->path().string());
            std::uint64_t h = 1469598103934665603ull;
            for (std::uint8_t c : b) h = (h ^ c) * 1099511628211ull;
            what = std::to_string(b.size()) + " bytes, " + std::to_string(h);
        }
        found[fs::relative(it->path(), root).generic_string()] = what;
    }
    return found;
}

// An archive of four sounds, the second captioned, unpacked as .wav files,
// beside a file that must never be read into an archive.
struct Received {
    testkit::ScratchDir scratch;
    std::string archive = scratch.file("Menu.tpa");
    std::string dir = scratch.file("mod");
    std::string out = scratch.file("packed.tpa");
    std::string secret = scratch.file("secret.cau");
    archive::Manifest manifest;

    Received() {
        Bytes b = archive_test::retailArchive({{1, archive_test::pcmImage(22050, 1, 400)},
                                               {2, archive_test::pcmImage(22050, 1, 300, true)},
                                               {3, archive_test::pcmImage(11025, 2, 200)},
                                               {4, archive_test::pcmImage(8000, 1, 100)}});
        for (std::uint32_t i = 0; i < 4; ++i) {
            testkit::put32(b, 24 + 56 * i + 12, std::bit_cast<std::uint32_t>(1.5f * i));
            testkit::put32(b, 24 + 56 * i + 16, std::bit_cast<std::uint32_t>(-6.0f * i));
        }
        testkit::writeFile(archive, b);
        testkit::writeFile(secret, archive_test::pcmImage(44100, 2, 4000));
        auto unpacked = run(cli("unpack " + quote(archive) + " " + quote(dir)));
        EXPECT_EQ(unpacked.exitCode, 0) << unpacked.err;
        EXPECT_TRUE(archive::readManifestFile(dir + "/manifest.json", manifest));
    }
    std::string file(int row) const { return dir + "/" + manifest.sounds[static_cast<std::size_t>(row)].file; }
    std::string original(const std::string& name) const { return dir + "/.original/" + name; }
    void save(const archive::Manifest& m) const {
        testkit::writeText(dir + "/manifest.json", archive::writeManifestJson(m));
    }

    // pack refuses with a sentence holding each of words, writes no archive,
    // and leaves the folder and everything beside it as they were.
    void expectRefused(const std::vector<std::string>& words) const {
        const auto before = tree(scratch.path());
        auto r = run(cli("pack " + quote(dir) + " " + quote(out)));
        EXPECT_EQ(r.exitCode, 1) << r.out << r.err;
        for (const std::string& w : words) EXPECT_NE(r.err.find(w), std::string::npos) << w << " not in: " << r.err;
        EXPECT_FALSE(testkit::fileExists(out));
        EXPECT_EQ(tree(scratch.path()), before);
    }
};

}  // namespace

TEST(HostileInput, LinksOutOfTheFolderAreNotFollowed) {
#if defined(_WIN32)
    GTEST_SKIP() << "symbolic links need privileges on Windows";
#else
    Received r;
    const Bytes secret = testkit::readFile(r.secret);
    // A sound file that is a link to a file elsewhere.
    const std::string sound = r.file(1);
    fs::rename(sound, sound + ".away");
    fs::create_symlink(r.secret, sound);
    r.expectRefused({sound, "symbolic link"});
    fs::remove(sound);
    // The same for a link to a folder.
    fs::create_directory_symlink(r.scratch.path(), sound);
    r.expectRefused({sound, "symbolic link"});
    fs::remove(sound);
    fs::rename(sound + ".away", sound);

    // A kept original that is a link, even to a copy of its own bytes.
    const std::string img = r.original("2.img");
    fs::copy_file(img, r.scratch.file("2.copy"));
    fs::remove(img);
    fs::create_symlink(r.scratch.file("2.copy"), img);
    r.expectRefused({img, "symbolic link"});
    fs::remove(img);
    fs::copy_file(r.scratch.file("2.copy"), img);

    // .original itself, and the manifest, as links to copies elsewhere.
    fs::copy(r.dir + "/.original", r.scratch.file("kept"), fs::copy_options::recursive);
    fs::remove_all(r.dir + "/.original");
    fs::create_directory_symlink(r.scratch.file("kept"), r.dir + "/.original");
    r.expectRefused({".original", "symbolic link"});
    fs::remove(r.dir + "/.original");
    fs::rename(r.scratch.file("kept"), r.dir + "/.original");
    fs::rename(r.dir + "/manifest.json", r.scratch.file("manifest.json"));
    fs::create_symlink(r.scratch.file("manifest.json"), r.dir + "/manifest.json");
    r.expectRefused({"manifest.json", "symbolic link"});
    fs::remove(r.dir + "/manifest.json");
    fs::rename(r.scratch.file("manifest.json"), r.dir + "/manifest.json");

    EXPECT_EQ(testkit::readFile(r.secret), secret);
    auto packed = run(cli("pack " + quote(r.dir) + " " + quote(r.out)));
    ASSERT_EQ(packed.exitCode, 0) << packed.err;
    EXPECT_EQ(testkit::readFile(r.out), testkit::readFile(r.archive));
#endif
}

TEST(HostileInput, FifosDevicesAndFoldersAreRefusedWithoutWaiting) {
#if defined(_WIN32)
    GTEST_SKIP() << "no FIFOs on Windows";
#else
    Received r;
    for (const char* name : {"header.bin", "table.bin", "outside.bin", "3.img"}) {
        SCOPED_TRACE(name);
        const std::string path = r.original(name);
        fs::rename(path, path + ".away");
        ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
        r.expectRefused({path, "FIFO"});
        fs::remove(path);
        fs::rename(path + ".away", path);
    }
    // A sound file that is a FIFO or a folder is not "missing".
    const std::string sound = r.file(2);
    fs::rename(sound, sound + ".away");
    ASSERT_EQ(mkfifo(sound.c_str(), 0600), 0);
    r.expectRefused({sound, "is a FIFO (named pipe), not a sound file"});
    fs::remove(sound);
    fs::create_directory(sound);
    r.expectRefused({sound, "is a folder, not a sound file"});
    fs::remove(sound);
    fs::rename(sound + ".away", sound);

    // names --from: a FIFO or a device given itself is refused; inside a
    // folder it is left out and the files beside it are still read.
    const std::string fifo = r.scratch.file("pipe");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& from : {fifo, std::string("/dev/zero")}) {
        auto named = run(cli("names " + quote(r.archive) + " --from " + quote(from) + " --db " +
                             quote(r.scratch.file("SndIds.dat"))));
        EXPECT_EQ(named.exitCode, 1) << from << named.err;
        EXPECT_NE(named.err.find(from + ": it is a " + (from == fifo ? "FIFO" : "device")), std::string::npos)
            << named.err;
    }
    fs::create_directory(r.scratch.file("game"));
    testkit::writeText(r.scratch.file("game/text.txt"), "some text\n");
    ASSERT_EQ(mkfifo(r.scratch.file("game/pipe").c_str(), 0600), 0);
    auto walked = run(cli("names " + quote(r.archive) + " --from " + quote(r.scratch.file("game")) + " --db " +
                          quote(r.scratch.file("SndIds.dat"))));
    EXPECT_EQ(walked.exitCode, 0) << walked.err;

    // --captions names a folder or a FIFO: said as it is.
    const std::string cau = r.scratch.file("plain.cau");
    testkit::writeFile(cau, archive_test::pcmImage(8000, 1, 50));
    const Bytes archiveBefore = testkit::readFile(r.archive);
    for (const auto& [path, kind] : {std::pair{r.scratch.path(), std::string("a folder")},
                                     std::pair{fifo, std::string("a FIFO")}}) {
        auto captioned = run(cli("add " + quote(r.archive) + " " + quote(cau) + " --name x --captions " + quote(path)));
        EXPECT_EQ(captioned.exitCode, 1) << captioned.err;
        EXPECT_NE(captioned.err.find(path + ": it is " + kind), std::string::npos) << captioned.err;
        EXPECT_EQ(captioned.err.find("bytes"), std::string::npos) << captioned.err;
    }
    EXPECT_EQ(testkit::readFile(r.archive), archiveBefore);
#endif
}

TEST(HostileInput, AChangedOriginalOrOneWithoutItsHashIsRefused) {
    Received r;
    // Other bytes of the same length in a kept image.
    const std::string img = r.original("3.img");
    Bytes kept = testkit::readFile(img), changed = kept;
    changed[100] ^= 0xFF;
    testkit::writeFile(img, changed);
    r.expectRefused({"3.img is not as unpack wrote it"});
    testkit::writeFile(img, kept);
    const Bytes table = testkit::readFile(r.original("table.bin"));
    Bytes other = table;
    other[56 + 12] ^= 1;
    testkit::writeFile(r.original("table.bin"), other);
    r.expectRefused({"table.bin is not as unpack wrote it"});
    testkit::writeFile(r.original("table.bin"), table);

    // A folder whose .original keeps no hashes cannot be told unchanged.
    const std::string reference = r.original("manifest.json");
    const std::string text = testkit::readText(reference);
    archive::Manifest m;
    ASSERT_TRUE(archive::readManifestFile(reference, m));
    m.originals.clear();
    testkit::writeText(reference, archive::writeManifestJson(m));
    r.expectRefused({"manifest.json keeps no hashes", "unpack the archive again"});
    testkit::writeText(reference, text);
    auto packed = run(cli("pack " + quote(r.dir) + " " + quote(r.out)));
    ASSERT_EQ(packed.exitCode, 0) << packed.err;
    EXPECT_EQ(testkit::readFile(r.out), testkit::readFile(r.archive));
}

TEST(HostileInput, LevelsBeyondAFloatAndCaptionsWithoutLimitAreRefused) {
    Received r;
    archive::Manifest m = r.manifest;
    m.sounds[1].attenuation = 1e39;
    r.save(m);
    r.expectRefused({"row 2", "attenuation 1e+39", "32-bit"});
    m = r.manifest;
    m.sounds[2].masterVolume = -1e39;
    r.save(m);
    r.expectRefused({"row 3", "master volume -1e+39", "32-bit"});

    m = r.manifest;
    m.sounds[1].captions = std::vector<archive::ManifestSection>(sonkrate::audio::kMaxCaptionSections + 1, {5, "x"});
    r.save(m);
    r.expectRefused({"row 2", "1001 sections"});
    m.sounds[1].captions = std::vector<archive::ManifestSection>{{5, std::string(2 << 20, 'x')}};
    r.save(m);
    r.expectRefused({"row 2", "bytes, and a caption block holds at most 1048576"});
    r.save(r.manifest);

    // The same limits for --captions and --caption: the archive stays as it was.
    const std::string cau = r.scratch.file("plain.cau"), subtitles = r.scratch.file("many.srt");
    testkit::writeFile(cau, archive_test::pcmImage(8000, 1, 50));
    std::string srt;
    for (int i = 0; i <= 1000; ++i) {
        char cue[96];
        std::snprintf(cue, sizeof cue, "%d\n%02d:%02d:%02d,000 --> %02d:%02d:%02d,200\nx\n\n", i + 1, i / 3600,
                      i / 60 % 60, i % 60, i / 3600, i / 60 % 60, i % 60);
        srt += cue;
    }
    testkit::writeText(subtitles, srt);
    const Bytes archiveBefore = testkit::readFile(r.archive);
    auto many = run(cli("add " + quote(r.archive) + " " + quote(cau) + " --name many --captions " + quote(subtitles)));
    EXPECT_EQ(many.exitCode, 1);
    EXPECT_NE(many.err.find(subtitles + " have 2001 sections (lines), and a caption holds at most 1000"),
              std::string::npos) << many.err;
    EXPECT_EQ(testkit::readFile(r.archive), archiveBefore);

    // verify warns of a block past the limits that the game still reads.
    std::vector<sonkrate::audio::CaptionSection> sections(1500, {1, "x"});
    const std::string block = sonkrate::audio::encodeCaptionSections(sections);
    Bytes image = archive_test::pcmImage(8000, 1, 50);
    testkit::put32(image, 8, static_cast<std::uint32_t>(36 + block.size()));
    testkit::put32(image, 32, 36);
    image.insert(image.begin() + 36, block.begin(), block.end());
    testkit::writeFile(r.scratch.file("long.cau"), image);
    auto verified = run(cli("verify " + quote(r.scratch.file("long.cau"))));
    EXPECT_NE((verified.out + verified.err).find("counts 1500 sections"), std::string::npos)
        << verified.out << verified.err;
}

TEST(HostileInput, ControlCharactersAreShownEscapedAndNeverCutAMessage) {
    Received r;
    archive::Manifest m = r.manifest;
    m.sounds[1].file = "red\x1b[31mtext\x07tail.wav";
    r.save(m);
    auto packed = run(cli("pack " + quote(r.dir) + " " + quote(r.out)));
    EXPECT_EQ(packed.exitCode, 1);
    EXPECT_NE(packed.err.find("red\\x1b[31mtext\\x07tail.wav, which does not exist"), std::string::npos)
        << packed.err;
    EXPECT_EQ(packed.err.find('\x1b'), std::string::npos);
    // A zero byte does not end the sentence.
    m.sounds[1].file = std::string("zero") + std::string(1, '\0') + "tail.wav";
    r.save(m);
    packed = run(cli("pack " + quote(r.dir) + " " + quote(r.out)));
    EXPECT_EQ(packed.exitCode, 1);
    EXPECT_NE(packed.err.find("zero\\x00tail.wav\", which is not a plain file name"), std::string::npos)
        << packed.err;
    EXPECT_FALSE(testkit::fileExists(r.out));

    // A caption with a terminal's title sequence in it.
    Bytes image = archive_test::pcmImage(8000, 1, 50);
    const std::string block =
        sonkrate::audio::encodeCaptionSections({{10, "\x1b]0;owned\x07hello"}, {5, "line\rback"}});
    testkit::put32(image, 8, static_cast<std::uint32_t>(36 + block.size()));
    testkit::put32(image, 32, 36);
    image.insert(image.begin() + 36, block.begin(), block.end());
    testkit::writeFile(r.scratch.file("title.cau"), image);
    for (const char* form : {"", " --srt"}) {
        auto shown = run(cli("captions " + quote(r.scratch.file("title.cau")) + form));
        EXPECT_EQ(shown.exitCode, 0) << shown.err;
        EXPECT_NE(shown.out.find("\\x1b]0;owned\\x07hello"), std::string::npos) << shown.out;
        EXPECT_NE(shown.out.find("line\\rback"), std::string::npos) << shown.out;
        EXPECT_EQ(shown.out.find('\x1b'), std::string::npos);
    }
}

TEST(HostileInput, UnpackWritesOnlyIntoANewOrEmptyFolderAndCleansUpOnlyItsOwn) {
    Received r;
    const std::string base = r.scratch.file("base");
    fs::create_directories(base + "/victim/inner");
    testkit::writeText(base + "/victim/notes.txt", "mine\n");
    testkit::writeText(base + "/victim/inner/more.txt", "mine too\n");
    const auto before = tree(r.scratch.path());
    for (const std::string& dir : {base + "/nx/../victim", std::string("")}) {
        auto refused = run(cli("unpack " + quote(r.archive) + " " + quote(dir)));
        EXPECT_EQ(refused.exitCode, 1) << dir << ": " << refused.err;
        EXPECT_NE(refused.err.find(dir.empty() ? "No folder was given" : "is not empty"), std::string::npos)
            << refused.err;
    }
    EXPECT_EQ(tree(r.scratch.path()), before);

#if !defined(_WIN32)
    // A disk that fills part of the way (a file size limit): exit 1 naming the
    // write, and only what the unpack made is gone.
    Bytes big = archive_test::retailArchive({{1, archive_test::pcmImage(22050, 2, 4000)},
                                             {2, archive_test::pcmImage(22050, 2, 60000)}});
    testkit::writeFile(r.scratch.file("big.tpa"), big);
    const auto beforeBig = tree(r.scratch.path());
    for (const std::string& dir : {base + "/new/deeper", base + "/empty"}) {
        if (dir == base + "/empty") fs::create_directory(dir);
        const auto beforeRun = tree(r.scratch.path());
        auto full = run("bash -c " + quote("ulimit -f 40; exec " + cli("unpack " + quote(r.scratch.file("big.tpa")) +
                                                                        " " + quote(dir))));
        EXPECT_EQ(full.exitCode, 1) << full.err;
        EXPECT_NE(full.err.find("Cannot"), std::string::npos) << full.err;
        EXPECT_EQ(tree(r.scratch.path()), beforeRun) << dir;
    }
    fs::remove(base + "/empty");
    EXPECT_EQ(tree(r.scratch.path()), beforeBig);
#endif
}
