// Archives the benchmarks write as their input: one PCM sound image repeated,
// the table pointing at each copy.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sonkrate::bench {

// A 36-byte-header PCM .cau (16-bit mono, 22050 Hz) of dataSize bytes of 0x40.
std::vector<std::uint8_t> cauImage(std::uint32_t dataSize);

// A retail archive of count such images of imageSize bytes each.
bool writeRepeatedArchive(const std::string& path, std::uint32_t count, std::uint32_t imageSize);

}  // namespace sonkrate::bench
