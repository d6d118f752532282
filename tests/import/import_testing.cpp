#include "import_testing.h"

#include <gtest/gtest.h>

namespace importtest {

bool haveAudioTools() { return testkit::haveTool("sox") && testkit::haveTool("sndfile-convert"); }

std::string tone(const testkit::ScratchDir& dir, int rate, int channels) {
    std::string path = dir.file("tone-" + std::to_string(rate) + "-" + std::to_string(channels) + ".wav");
    if (!testkit::fileExists(path)) {
        std::string pitches = channels == 1 ? "sine 440" : "sine 440 sine 660";
        mustRun("sox -n -r " + std::to_string(rate) + " -c " + std::to_string(channels) + " -b 16 " +
                testkit::quote(path) + " synth 0.5 " + pitches + " vol 0.8");
    }
    return path;
}

void mustRun(const std::string& commandLine) {
    testkit::RunResult r = testkit::run(commandLine);
    ASSERT_EQ(r.exitCode, 0) << commandLine << "\n" << r.err;
}

WavFields fieldsOf(const testkit::Bytes& w) {
    WavFields f{};
    if (w.size() < 44) return f;
    f.riffSize = testkit::u32(w, 4);
    f.fmtSize = testkit::u32(w, 16);
    f.formatTag = testkit::u16(w, 20);
    f.channels = testkit::u16(w, 22);
    f.sampleRate = testkit::u32(w, 24);
    f.byteRate = testkit::u32(w, 28);
    f.blockAlign = testkit::u16(w, 32);
    f.bitsPerSample = testkit::u16(w, 34);
    if (f.fmtSize == 18 && w.size() >= 58) {
        f.sampleFrames = testkit::u32(w, 46);
        f.dataSize = testkit::u32(w, 54);
        f.headerSize = 58;
    } else {
        f.dataSize = testkit::u32(w, 40);
        f.headerSize = 44;
    }
    return f;
}

bool sndfileAccepts(const std::string& path, int channels, std::string* report) {
    testkit::RunResult r = testkit::run("sndfile-info " + testkit::quote(path));
    if (report) *report = r.out + r.err;
    const std::string all = r.out + r.err;
    return all.find("Not able to open") == std::string::npos &&
           all.find("Channels    : " + std::to_string(channels)) != std::string::npos;
}

}  // namespace importtest
