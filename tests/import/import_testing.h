// Helpers of the import tests: tones and foreign files made with SoX and
// libsndfile, and the fields of a converted .wav.
#pragma once

#include <cstdint>
#include <string>

#include "testkit/testkit.h"

namespace importtest {

// True when both sox and sndfile-convert can be run.
bool haveAudioTools();

// A tone of half a second at rate with channels (two different pitches in
// stereo), written by SoX as 16-bit PCM into the folder; made once per name.
std::string tone(const testkit::ScratchDir& dir, int rate, int channels);

// Runs a command line and fails the test when it does not succeed.
void mustRun(const std::string& commandLine);

// The header of a converted .wav.
struct WavFields {
    std::uint32_t riffSize, fmtSize;
    std::uint16_t formatTag, channels;
    std::uint32_t sampleRate, byteRate;
    std::uint16_t blockAlign, bitsPerSample;
    std::uint32_t sampleFrames;  // G.711 only
    std::uint32_t dataSize;
    std::size_t headerSize;      // 44 or 58
};
WavFields fieldsOf(const testkit::Bytes& wav);

// True when sndfile-info opens the file and reports the channel count.
bool sndfileAccepts(const std::string& path, int channels, std::string* report = nullptr);

}  // namespace importtest
