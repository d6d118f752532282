// sonkrate-cli in scripts: failures as JSON, files through pipes.
#include <gtest/gtest.h>

#include <filesystem>

#include "archive/edit/default_sound.h"
#include "testkit/testkit.h"

using testkit::Bytes;
using testkit::quote;
using testkit::run;

namespace {

std::string cli(const std::string& args) { return quote(SONKRATE_CLI_PATH) + " " + args; }

// The sentence on stderr, without the program's name and the line break.
std::string sentenceOf(const testkit::RunResult& r) {
    const std::string prefix = "sonkrate-cli: ";
    std::string line = r.err.substr(0, r.err.find('\n'));
    return line.compare(0, prefix.size(), prefix) == 0 ? line.substr(prefix.size()) : line;
}

// Text as the content of a JSON string (Windows paths hold backslashes).
std::string jsonText(const std::string& path) {
    std::string out;
    for (char c : path) out += c == '\\' ? std::string("\\\\") : std::string(1, c);
    return out;
}

}  // namespace

TEST(CliScripting, FailuresWithJsonAreOneObjectOnStdoutAndASentenceOnStderr) {
    testkit::ScratchDir dir;
    const std::string absent = dir.file("absent.tpa");
    auto info = run(cli("info --json " + quote(absent)));
    EXPECT_EQ(info.exitCode, 1);
    ASSERT_NE(info.err.find("absent.tpa"), std::string::npos) << info.err;
    EXPECT_EQ(info.out, "{\"error\": \"" + jsonText(sentenceOf(info)) + "\", \"file\": \"" + jsonText(absent) + "\"}\n");

    // Without --json stdout stays empty.
    auto plain = run(cli("info " + quote(absent)));
    EXPECT_EQ(plain.exitCode, 1);
    EXPECT_EQ(plain.out, "");
    EXPECT_EQ(plain.err, info.err);

    // An archive whose last image is cut short fails while its entries are read:
    // the script gets the error object alone, never half an array.
    const std::string whole = dir.file("whole.tpa");
    ASSERT_TRUE(sonkrate::archive::writeNewArchive(whole));
    Bytes bytes = testkit::readFile(whole);
    bytes.resize(5000);
    const std::string cut = dir.file("cut.tpa");
    testkit::writeFile(cut, bytes);
    auto list = run(cli("list " + quote(cut) + " --json"));
    EXPECT_EQ(list.exitCode, 1);
    EXPECT_EQ(list.out, "{\"error\": \"" + jsonText(sentenceOf(list)) + "\", \"file\": \"" + jsonText(cut) + "\"}\n");

    // Usage errors name no file.
    struct Usage {
        const char* args;
        const char* problem;
    };
    for (const Usage& u : {Usage{"info --json", "missing arguments"},
                           Usage{"list a.tpa b.tpa --json", "too many arguments"},
                           Usage{"list a.tpa --json --bogus", "unknown option --bogus"},
                           Usage{"list a.tpa --json --db", "--db needs a value"},
                           Usage{"frobnicate --json", "unknown command; sonkrate-cli --help lists them"}}) {
        auto r = run(cli(u.args));
        EXPECT_EQ(r.exitCode, 2) << u.args;
        EXPECT_EQ(r.out, std::string("{\"error\": \"") + u.problem + "\", \"file\": null}\n") << u.args;
        EXPECT_NE(r.err.find(u.problem), std::string::npos) << u.args << ": " << r.err;
    }
    // After "--", --json is a file name, not a request for JSON.
    auto ended = run(cli("info -- --json"));
    EXPECT_EQ(ended.exitCode, 1);
    EXPECT_EQ(ended.out, "");
}

#if !defined(_WIN32)
TEST(CliScripting, DashPassesFilesThroughPipes) {
    testkit::ScratchDir dir, temp;
    // Every run gets its own temporary folder, so that scratch files left behind show.
    auto cliIn = [&](const std::string& args) { return "TMPDIR=" + quote(temp.path()) + " " + cli(args); };
    const std::string tpa = dir.file("a.tpa");
    ASSERT_TRUE(sonkrate::archive::writeNewArchive(tpa));
    ASSERT_EQ(run(cli("extract " + quote(tpa) + " 0 " + quote(dir.file("file.wav")))).exitCode, 0);
    const Bytes wav = testkit::readFile(dir.file("file.wav"));

    auto piped = run(cliIn("extract " + quote(tpa) + " 0 - > " + quote(dir.file("piped.wav"))));
    ASSERT_EQ(piped.exitCode, 0) << piped.err;
    EXPECT_EQ(testkit::readFile(dir.file("piped.wav")), wav);
    EXPECT_NE(piped.err.find("standard output: 1.000 s, 2 channels"), std::string::npos) << piped.err;

    auto image = run(cliIn("extract " + quote(tpa) + " 0 - --cau > " + quote(dir.file("piped.cau"))));
    ASSERT_EQ(image.exitCode, 0) << image.err;
    EXPECT_EQ(testkit::readFile(dir.file("piped.cau")), sonkrate::archive::defaultSoundImage());

    // extract | cau2wav - (standard output by default) gives the .wav extract writes.
    auto chain = run(cliIn("extract " + quote(tpa) + " 0 - --cau | " + cliIn("cau2wav -") + " > " +
                           quote(dir.file("chain.wav"))));
    ASSERT_EQ(chain.exitCode, 0) << chain.err;
    EXPECT_EQ(testkit::readFile(dir.file("chain.wav")), wav);

    // wav2cau from standard input makes the .cau it makes from the file.
    ASSERT_EQ(run(cli("wav2cau " + quote(dir.file("file.wav")) + " " + quote(dir.file("file.cau")))).exitCode, 0);
    auto wrapped = run(cliIn("wav2cau - - < " + quote(dir.file("file.wav")) + " > " + quote(dir.file("in.cau"))));
    ASSERT_EQ(wrapped.exitCode, 0) << wrapped.err;
    EXPECT_EQ(testkit::readFile(dir.file("in.cau")), testkit::readFile(dir.file("file.cau")));
    EXPECT_EQ(run(cli("wav2cau - < " + quote(dir.file("file.wav")))).exitCode, 2);
    // A broken .wav on standard input is named as such, not by a scratch path.
    auto broken = run(cliIn("wav2cau - " + quote(dir.file("no.cau")) + " < " + quote(tpa)));
    EXPECT_EQ(broken.exitCode, 1);
    EXPECT_NE(broken.err.find("standard input"), std::string::npos) << broken.err;
    EXPECT_EQ(broken.err.find(temp.path()), std::string::npos) << broken.err;

    auto verified = run(cliIn("verify - < " + quote(tpa)));
    EXPECT_EQ(verified.exitCode, 0) << verified.out << verified.err;
    EXPECT_EQ(verified.out, "-: the game reads it without a problem\n");
    Bytes cut = testkit::readFile(tpa);
    cut.resize(5000);
    testkit::writeFile(dir.file("cut.tpa"), cut);
    auto damaged = run(cliIn("verify --json - < " + quote(dir.file("cut.tpa"))));
    EXPECT_EQ(damaged.exitCode, 1);
    EXPECT_NE(damaged.out.find("{\"file\": \"-\", "), std::string::npos) << damaged.out;
    EXPECT_EQ(damaged.out.find(temp.path()), std::string::npos) << damaged.out;

    if (testkit::haveTool("sox")) {
        auto stat = run(cli("extract " + quote(tpa) + " 0 - | sox -t wav - -n stat"));
        EXPECT_EQ(stat.exitCode, 0) << stat.err;
        EXPECT_NE(stat.err.find("Length (seconds):      1.000000"), std::string::npos) << stat.err;
    }
    EXPECT_TRUE(std::filesystem::is_empty(temp.path())) << "scratch files left in " << temp.path();
}

TEST(CliScripting, BinaryDataIsNeverWrittenToATerminal) {
    if (!testkit::haveTool("script")) GTEST_SKIP() << "needs script to give the tool a terminal";
    testkit::ScratchDir dir;
    const std::string tpa = dir.file("a.tpa");
    ASSERT_TRUE(sonkrate::archive::writeNewArchive(tpa));
    for (const std::string& args : {"extract " + quote(tpa) + " 0 -", "extract " + quote(tpa) + " 0 - --cau",
                                    "convert " + quote(tpa) + " -"}) {
        // script runs the command with a terminal as standard output.
        auto r = run("script -qec " + quote(cli(args)) + " /dev/null");
        EXPECT_EQ(r.exitCode, 1) << args << ": " << r.out;
        EXPECT_NE(r.out.find("Standard output is a terminal"), std::string::npos) << args << ": " << r.out;
        EXPECT_EQ(r.out.find("RIFF"), std::string::npos) << args;
        EXPECT_EQ(r.out.find("WBOR"), std::string::npos) << args;
    }
}
#endif
