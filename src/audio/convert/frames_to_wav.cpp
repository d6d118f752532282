#include "audio/convert/frames_to_wav.h"

#include <algorithm>
#include <vector>

#include "audio/wav/wav_headers.h"
#include "io/byte_order.h"
#include "io/replacement.h"

namespace sonkrate::audio {

namespace {

constexpr std::size_t kFramesPerWrite = 32768;

}  // namespace

io::Outcome writeFramesAsWav(SoundFrameReader& reader, std::uint64_t fromFrame, const std::string& wavPath,
                             const std::atomic<bool>* cancel) {
    const unsigned channels = reader.channels();
    fromFrame = std::min(fromFrame, reader.frames());
    const std::uint64_t bytes = (reader.frames() - fromFrame) * channels * 2;
    if (bytes > UINT32_MAX - 36)
        return io::failure("Cannot write " + wavPath + ": the sound is too long for a .wav file.");
    if (io::Outcome sought = reader.seekFrame(fromFrame); !sought) return sought;
    io::ReplacementFile out;
    io::Outcome done = out.begin(wavPath);
    const auto header = pcmWavHeader(static_cast<std::uint16_t>(channels), reader.sampleRate(), 16,
                                     static_cast<std::uint32_t>(bytes));
    if (done) done = out.file().write(header.data(), header.size());
    std::vector<std::int16_t> samples(kFramesPerWrite * channels);
    std::vector<std::uint8_t> little(samples.size() * 2);
    while (done) {
        if (cancel && cancel->load(std::memory_order_relaxed)) return io::failure("Writing " + wavPath + " was cancelled.");
        std::size_t got = 0;
        done = reader.read(samples.data(), kFramesPerWrite, got);
        if (!done || got == 0) break;
        for (std::size_t i = 0; i < got * channels; ++i) io::putI16(little.data() + 2 * i, samples[i]);
        done = out.file().write(little.data(), got * channels * 2);
    }
    if (done) done = out.commit(io::Durability::Scratch);
    return done;
}

}  // namespace sonkrate::audio
