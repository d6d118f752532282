// The built-in sound with which every new archive begins (one second of a
// 1 kHz-ish sine, 16-bit stereo PCM at 22050 Hz, named "missing"), and the
// image of a new archive holding only that sound.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "audio/cau/cau_header.h"
#include "io/outcome.h"

namespace sonkrate::archive {

inline constexpr char kDefaultSoundName[] = "missing";
inline constexpr std::uint32_t kDefaultSoundId = 0xF0A07BD9;
inline constexpr std::uint32_t kDefaultSoundRate = 22050;
inline constexpr std::uint32_t kDefaultSoundFrames = 22050;
inline constexpr std::uint32_t kDefaultSoundDataSize = kDefaultSoundFrames * 4;  // 88200
inline constexpr std::uint32_t kDefaultSoundImageSize = 36 + kDefaultSoundDataSize;  // 88236
inline constexpr int kDefaultSoundPeriod = 22;
inline constexpr int kDefaultSoundPeak = 16423;
// Header, one retail record, the default sound: 88316 bytes.
inline constexpr std::uint32_t kNewArchiveTableEnd = 80;
inline constexpr std::uint32_t kNewArchiveSize = kNewArchiveTableEnd + kDefaultSoundImageSize;

// The sound's header: "WBOR", 110, 36, 0, 88200, 88200, 22050, 16 bits,
// 2 channels, PCM, no caption.
audio::CauHeader defaultSoundHeader();
// The left (and right) sample of frame n.
std::int16_t defaultSoundSample(std::uint32_t frame);
// The complete 88236-byte image, the same bytes on every run.
std::vector<std::uint8_t> defaultSoundImage();

// The 88316-byte new archive: header {0x150, 1, 24, 0, 88316, 1}, the record
// of the default sound at offset 80, then its image.
std::vector<std::uint8_t> newArchiveImage();
// Writes the new archive to path, replacing any file there only when the
// whole image has been written.
io::Outcome writeNewArchive(const std::string& path);

}  // namespace sonkrate::archive
