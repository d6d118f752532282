#include "audio/convert/cau_to_wav.h"

#include <algorithm>
#include <climits>
#include <cstdint>

#include "audio/cau/cau_reader.h"
#include "audio/codec/ima_frames.h"
#include "audio/wav/wav_headers.h"
#include "io/file.h"
#include "io/replacement.h"

namespace sonkrate::audio {

namespace {

int truncatedSeconds(double seconds) {
    if (!(seconds < static_cast<double>(INT_MAX))) return INT_MAX;
    return static_cast<int>(seconds);
}

// Fills the SoundInfo values. A PCM entry of an archive counts whole seconds,
// a .cau file fractions too; both use the sound's real bytes per sample.
void fillSoundInfo(CauToWavResult& r, bool fromEntry) {
    const CauHeader& h = r.header;
    double seconds = 0.0;
    if (h.compression == 0) {
        std::uint64_t bytesPerSample = h.bitsPerSample >= 8 ? (h.bitsPerSample + 7u) / 8u : 1u;
        std::uint64_t bytesPerSecond = std::uint64_t{h.channels} * h.sampleRate * bytesPerSample;
        if (bytesPerSecond != 0) {
            seconds = fromEntry ? static_cast<double>(h.dataSize / bytesPerSecond)
                                : static_cast<double>(h.dataSize) / static_cast<double>(bytesPerSecond);
        }
    } else {
        // Four decoded 16-bit bytes for every byte of IMA ADPCM data.
        std::uint64_t bytesPerSecond = std::uint64_t{h.channels} * h.sampleRate * 2;
        if (bytesPerSecond != 0) seconds = static_cast<double>(h.dataSize) * 4.0 / static_cast<double>(bytesPerSecond);
    }
    r.playTimeSeconds = seconds;
    r.playTimeCount = truncatedSeconds(seconds);
    r.channels = h.channels;
    r.compressed = h.compression;
    r.captionOffset = h.captionOffset;
    r.sampleRate = h.sampleRate;
    r.bitsPerSample = h.bitsPerSample;
    r.dataSize = h.dataSize;
    r.blockAlign = h.blockAlign;
    r.decodedSize = h.decodedSize;
}

}  // namespace

CauToWavResult cauWavFacts(const std::string& name, const CauImage& image, bool fromEntry) {
    CauToWavResult r;
    r.header = image.header;
    r.hasCaption = image.hasCaption;
    r.captionText = image.captionText;
    fillSoundInfo(r, fromEntry);
    const CauHeader& h = image.header;
    if (h.compression > 1)
        r.outcome = io::failure(name + " holds sound of an unknown kind (compression " +
                                std::to_string(h.compression) + "); only PCM and IMA ADPCM can be converted.");
    else if (h.dataSize > UINT32_MAX - 52)
        r.outcome = io::failure(name + " holds more sound data than a .wav file can.");
    return r;
}

CauToWavResult cauImageToWav(io::File& in, const CauImage& image, const std::string& wavPath, bool fromEntry,
                             io::Durability durability) {
    CauToWavResult r = cauWavFacts(in.path(), image, fromEntry);
    if (!r.ok()) return r;
    const CauHeader& h = image.header;
    io::ReplacementFile out;
    if ((r.outcome = out.begin(wavPath)).ok) {
        if (h.compression == 0) {
            auto header = pcmWavHeader(h.channels, h.sampleRate, h.bitsPerSample, h.dataSize);
            r.outcome = out.file().write(header.data(), header.size());
        } else {
            // The fact value comes from the data: decodedSize holds a byte
            // length in sounds made now and a sample count in older ones.
            const std::uint64_t frames = imaDataFrames(h.dataSize, h.blockAlign, h.channels);
            const auto fact = static_cast<std::uint32_t>(std::min<std::uint64_t>(frames, UINT32_MAX));
            auto header = imaWavHeader(h.channels, h.sampleRate, h.blockAlign, fact, h.dataSize);
            r.outcome = out.file().write(header.data(), header.size());
        }
    }
    if (r.outcome.ok) r.outcome = io::copyRange(in, image.dataStart, image.dataSize, out.file());
    if (r.outcome.ok) r.outcome = out.commit(durability);
    return r;
}

CauToWavResult cauToWav(const std::string& cauPath, const std::string& wavPath, io::Durability durability) {
    CauToWavResult r;
    io::File in;
    CauImage image;
    if (!(r.outcome = in.open(cauPath, io::FileMode::Read)).ok) return r;
    if (!(r.outcome = readCauFile(in, image)).ok) return r;
    return cauImageToWav(in, image, wavPath, false, durability);
}

CauToWavResult cauToWav(const std::string& archivePath, std::uint64_t imageOffset, std::uint64_t imageLength,
                        const std::string& wavPath, io::Durability durability) {
    CauToWavResult r;
    io::File in;
    CauImage image;
    if (!(r.outcome = in.open(archivePath, io::FileMode::Read)).ok) return r;
    if (!(r.outcome = readCauEntry(in, imageOffset, imageLength, image)).ok) return r;
    return cauImageToWav(in, image, wavPath, true, durability);
}

}  // namespace sonkrate::audio
