#include "audio/wav/pcm_frame_reader.h"

#include "io/byte_order.h"

namespace sonkrate::audio {

io::Outcome PcmFrameReader::open(const std::string& path) {
    if (io::Outcome opened = file_.open(path, io::FileMode::Read); !opened) return opened;
    if (io::Outcome read = readWavLayout(file_, layout_); !read) return read;
    const WavLayout& w = layout_;
    const bool plain = w.formatTag == kWavFormatPcm && (w.bitsPerSample == 8 || w.bitsPerSample == 16) &&
                       (w.channels == 1 || w.channels == 2) && w.blockAlign == w.channels * w.bitsPerSample / 8;
    if (!plain)
        return io::failure(path + " holds no 8- or 16-bit PCM sound of one or two channels (format " +
                           std::to_string(w.formatTag) + ", " + std::to_string(w.bitsPerSample) + " bits, " +
                           std::to_string(w.channels) + " channels).");
    frames_ = left_ = w.dataLength / w.blockAlign;
    return file_.seek(w.dataOffset);
}

io::Outcome PcmFrameReader::read(std::int16_t* out, std::size_t n) {
    if (n > left_) return io::failure(file_.path() + " ends before the frames its header announces.");
    const std::size_t samples = n * layout_.channels;
    raw_.resize(samples * (layout_.bitsPerSample / 8));
    if (io::Outcome got = file_.readExact(raw_.data(), raw_.size()); !got) return got;
    if (layout_.bitsPerSample == 8) {
        for (std::size_t i = 0; i < samples; ++i) out[i] = static_cast<std::int16_t>((raw_[i] - 128) * 256);
    } else {
        for (std::size_t i = 0; i < samples; ++i) out[i] = io::getI16(&raw_[2 * i]);
    }
    left_ -= n;
    return io::success();
}

}  // namespace sonkrate::audio
