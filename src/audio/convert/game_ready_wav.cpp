#include "audio/convert/game_ready_wav.h"

#include <algorithm>
#include <vector>

#include "audio/convert/game_frames.h"
#include "audio/wav/wav_headers.h"
#include "io/byte_order.h"
#include "io/replacement.h"

namespace sonkrate::audio {
namespace {

// Every frame of source as 16-bit PCM on out.
io::Outcome writeFrames(GameFrameSource& source, io::File& out) {
    const unsigned channels = source.channels();
    std::vector<std::int16_t> frames(io::kCopyBufferSize / 2 / channels * channels);
    std::vector<std::uint8_t> bytes(frames.size() * 2);
    const std::size_t perRun = frames.size() / channels;
    for (std::uint64_t done = 0; done < source.frames();) {
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(perRun, source.frames() - done));
        if (io::Outcome got = source.read(frames.data(), n); !got) return got;
        for (std::size_t i = 0; i < n * channels; ++i) io::putI16(&bytes[2 * i], frames[i]);
        if (io::Outcome put = out.write(bytes.data(), n * channels * 2); !put) return put;
        done += n;
    }
    return io::success();
}

}  // namespace

io::Outcome checkSixteenBitWavFits(const GameFrameSource& source, const std::string& path) {
    const std::uint64_t dataBytes = source.frames() * source.channels() * 2;
    if (dataBytes > 0xFFFFFFFFull - 36) return io::failure(path + " holds more sound than a 16-bit .wav can.");
    return io::success();
}

GameReadyResult makeGameReadyWav(const std::string& source, const std::string& target) {
    GameReadyResult r;
    GameFrameSource frames;
    if ((r.outcome = frames.open(source)); !r.outcome) return r;
    if (frames.isIma() || !frames.converts()) return r;  // the wrapping judges an IMA ADPCM .wav
    if ((r.outcome = checkSixteenBitWavFits(frames, source)); !r.outcome) return r;
    r.before = frames.before();
    r.after = frames.after();

    io::ReplacementFile out;
    if ((r.outcome = out.begin(target)); !r.outcome) return r;
    const auto dataBytes = static_cast<std::uint32_t>(frames.frames() * frames.channels() * 2);
    const auto header = pcmWavHeader(static_cast<std::uint16_t>(frames.channels()), frames.layout().sampleRate, 16,
                                     dataBytes);
    if ((r.outcome = out.file().write(header.data(), header.size())); !r.outcome) return r;
    if ((r.outcome = frames.start()); !r.outcome) return r;
    if ((r.outcome = writeFrames(frames, out.file())); !r.outcome) return r;
    if ((r.outcome = out.commit()); !r.outcome) return r;
    r.converted = true;
    return r;
}

}  // namespace sonkrate::audio
