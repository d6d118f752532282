#include "audio/codec/ima_frames.h"

#include <algorithm>
#include <cstdint>

namespace sonkrate::audio {

std::uint64_t imaBlockFrames(std::uint64_t blockBytes, std::uint32_t channels) {
    if (channels == 0 || blockBytes < 4u * channels) return 0;
    return 1 + (blockBytes - 4u * channels) * 2 / channels;
}

std::uint64_t imaDataFrames(std::uint64_t dataLength, std::uint32_t blockAlign, std::uint32_t channels) {
    if (channels == 0 || blockAlign <= 4u * channels) return 0;
    return (dataLength / blockAlign) * imaBlockFrames(blockAlign, channels) +
           imaBlockFrames(dataLength % blockAlign, channels);
}

std::uint64_t imaFramesBeforeLastBlock(std::uint64_t dataLength, std::uint32_t blockAlign, std::uint32_t channels) {
    if (channels == 0 || blockAlign <= 4u * channels || dataLength == 0) return 0;
    const std::uint64_t blocks = (dataLength + blockAlign - 1) / blockAlign;
    return (blocks - 1) * imaBlockFrames(blockAlign, channels);
}

std::uint32_t decodedPcmBytes(std::uint64_t frames, std::uint32_t channels) {
    const std::uint64_t bytes = frames * 2u * channels;
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(bytes, UINT32_MAX));
}

}  // namespace sonkrate::audio
