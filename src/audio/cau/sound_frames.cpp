#include "audio/cau/sound_frames.h"

#include <algorithm>
#include <cstring>

#include "io/byte_order.h"

namespace sonkrate::audio {

namespace {

// About this many data bytes are read at a time (whole blocks for IMA ADPCM).
constexpr std::size_t kReadBytes = 256 * 1024;

io::Outcome refusal(const std::string& source, const std::string& why) {
    return io::failure("The sound of " + source + " cannot be decoded: " + why + ".");
}

}  // namespace

io::Outcome SoundFrameReader::open(const std::string& path, std::uint64_t dataStart, std::uint32_t dataSize,
                                   const CauHeader& header, const std::string& source) {
    channels_ = header.channels;
    bits_ = header.bitsPerSample;
    adpcm_ = header.compression == 1;
    sampleRate_ = header.sampleRate;
    dataStart_ = dataStart;
    dataSize_ = dataSize;
    if (channels_ != 1 && channels_ != 2)
        return refusal(source, "it has " + std::to_string(channels_) + " channels, not 1 or 2");
    if (header.compression > 1)
        return refusal(source, "its compression " + std::to_string(header.compression) +
                                   " is neither PCM (0) nor IMA ADPCM (1)");
    if (!adpcm_ && bits_ != 8 && bits_ != 16)
        return refusal(source, "its samples have " + std::to_string(bits_) + " bits, not 8 or 16");
    if (adpcm_ && !isKnownBlockAlign(header.blockAlign))
        return refusal(source, "its IMA ADPCM blocks of " + std::to_string(header.blockAlign) +
                                   " bytes are outside 512 to 2056");
    if (adpcm_) {
        layout_ = adpcmBlockLayout(channels_, header.blockAlign);
        frames_ = std::uint64_t{dataSize / layout_.blockBytes} * (layout_.codesPerChannel + 1) +
                  partialBlockFrames(layout_, channels_, dataSize % layout_.blockBytes);
    } else {
        frames_ = dataSize / (channels_ * (bits_ / 8));
        // A partial frame at the end is not played.
        dataSize_ = static_cast<std::uint32_t>(frames_ * channels_ * (bits_ / 8));
    }
    if (io::Outcome opened = file_.open(path, io::FileMode::Read); !opened) return opened;
    if (dataStart + dataSize > file_.size())
        return refusal(source, "its data runs past the end of " + path);
    return seekFrame(0);
}

io::Outcome SoundFrameReader::seekFrame(std::uint64_t frame) {
    frame = std::min(frame, frames_);
    decoded_.clear();
    decodedAt_ = 0;
    if (adpcm_) {
        const std::uint64_t perBlock = layout_.codesPerChannel + 1;
        nextByte_ = frame / perBlock * layout_.blockBytes;
        skip_ = static_cast<std::size_t>(frame % perBlock);
    } else {
        nextByte_ = frame * channels_ * (bits_ / 8);
        skip_ = 0;
    }
    nextByte_ = std::min<std::uint64_t>(nextByte_, dataSize_);
    return file_.seek(dataStart_ + nextByte_);
}

// Reads the next buffer of data and decodes or widens it into decoded_.
io::Outcome SoundFrameReader::refill() {
    decoded_.clear();
    decodedAt_ = 0;
    const std::size_t unit = adpcm_ ? layout_.blockBytes : channels_ * (bits_ / 8);
    const auto want = static_cast<std::size_t>(
        std::min<std::uint64_t>(dataSize_ - nextByte_, std::max(kReadBytes / unit, std::size_t{1}) * unit));
    raw_.resize(want);
    if (io::Outcome got = file_.readExact(raw_.data(), want); !got) return got;
    nextByte_ += want;
    if (adpcm_) {
        const std::size_t whole = want / unit;
        decoded_.resize((whole + 1) * (layout_.codesPerChannel + 1) * channels_);
        std::size_t frames = decodeBlocks(layout_, channels_, raw_.data(), whole, decoded_.data());
        frames += decodePartialBlock(layout_, channels_, raw_.data() + whole * unit, want % unit,
                                     decoded_.data() + frames * channels_);
        decoded_.resize(frames * channels_);
    } else if (bits_ == 8) {
        decoded_.resize(want);
        for (std::size_t i = 0; i < want; ++i) decoded_[i] = static_cast<std::int16_t>((raw_[i] - 128) * 256);
    } else {
        decoded_.resize(want / 2);
        for (std::size_t i = 0; i < decoded_.size(); ++i) decoded_[i] = io::getI16(raw_.data() + 2 * i);
    }
    const std::size_t dropped = std::min(decoded_.size(), skip_ * channels_);
    decodedAt_ = dropped;
    skip_ -= dropped / channels_;
    return io::success();
}

io::Outcome SoundFrameReader::next(const std::int16_t*& frames, std::size_t& count) {
    count = 0;
    while (decodedAt_ >= decoded_.size()) {
        if (nextByte_ >= dataSize_) return io::success();
        if (io::Outcome filled = refill(); !filled) return filled;
    }
    frames = decoded_.data() + decodedAt_;
    count = (decoded_.size() - decodedAt_) / channels_;
    decodedAt_ += count * channels_;
    return io::success();
}

io::Outcome SoundFrameReader::read(std::int16_t* out, std::size_t maxFrames, std::size_t& count) {
    count = 0;
    while (count < maxFrames) {
        if (decodedAt_ >= decoded_.size()) {
            if (nextByte_ >= dataSize_) break;
            if (io::Outcome filled = refill(); !filled) return filled;
            continue;
        }
        const std::size_t n = std::min((decoded_.size() - decodedAt_) / channels_, maxFrames - count);
        std::memcpy(out + count * channels_, decoded_.data() + decodedAt_, n * channels_ * sizeof(std::int16_t));
        decodedAt_ += n * channels_;
        count += n;
    }
    return io::success();
}

}  // namespace sonkrate::audio
