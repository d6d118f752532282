// Sound images, .cau files and retail archives made by code for the shell's
// scenarios: tones of a given length, PCM or IMA ADPCM, with or without a
// caption, and archives whose entries can be told apart by their data.
#pragma once

#include <string>
#include <vector>

#include "testkit/testkit.h"

namespace shelltest {

struct TestSound {
    std::string name = "tone";
    unsigned channels = 1;
    unsigned rate = 22050;
    double seconds = 1.5;
    bool adpcm = false;
    std::string caption;  // none when empty
    bool emptyCaption = false;  // a caption block holding no text
    int frequency = 441;
};

// The sound's data bytes, as they stand in the image.
testkit::Bytes soundData(const TestSound& sound);
// The CAU image: header, caption block, data.
testkit::Bytes soundImage(const TestSound& sound);
void writeCau(const std::string& path, const TestSound& sound);

// A retail archive whose first image follows its table (the standard layout).
void writeArchive(const std::string& path, const std::vector<TestSound>& sounds);
// A retail archive whose entry 0 is an 80-byte block without a sound.
void writeDemoStream(const std::string& path, const std::vector<TestSound>& sounds);
// A beta archive with 24-byte records.
void writeBeta24(const std::string& path, const std::vector<TestSound>& sounds);

// Offset of the data chunk of a .wav (walking its chunks) and its bytes.
testkit::Bytes wavData(const testkit::Bytes& wav);

}  // namespace shelltest
