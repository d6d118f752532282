// Archives for the window tests: short PCM sounds whose samples are known,
// added after the default sound, and a search for those samples in what
// the sound device received.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "testkit/testkit.h"

namespace desktop_test {

// A mono 16-bit PCM .cau of frames samples, every sample distinct per seed.
testkit::Bytes pcmCau(std::uint32_t frames, int seed, testkit::Bytes* samples);

// An archive data/NAME with the default sound first and then one PCM sound
// per extra (0.3 s each, or frames[i] samples when given); the samples of
// each added sound are handed back.
std::string makeArchive(const testkit::ScratchDir& root, const std::string& name, int extra,
                        std::vector<testkit::Bytes>* samples, const std::vector<std::uint32_t>& frames = {});

bool contains(const testkit::Bytes& haystack, const testkit::Bytes& needle);

}  // namespace desktop_test
