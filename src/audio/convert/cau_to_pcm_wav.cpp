#include "audio/convert/cau_to_pcm_wav.h"

#include "audio/cau/cau_reader.h"
#include "audio/codec/ima_adpcm.h"
#include "audio/convert/decode_adpcm_wav.h"
#include "io/file.h"

namespace sonkrate::audio {

namespace {

// PCM data is wrapped as it is; IMA ADPCM data is decoded from where it lies
// straight into the target.
CauToWavResult writePcmWav(io::File& in, const CauImage& image, const std::string& source,
                           const std::string& wavPath, bool fromEntry, io::Durability durability) {
    if (image.header.compression != 1) return cauImageToWav(in, image, wavPath, fromEntry, durability);
    CauToWavResult r = cauWavFacts(in.path(), image, fromEntry);
    if (!r.ok()) return r;
    const CauHeader& h = image.header;
    const ImaData data{image.dataStart, image.dataSize, h.channels, h.sampleRate, h.blockAlign};
    const DecodeAdpcmResult decoded = decodeImaData(in, data, source, wavPath, durability);
    if (decoded.status == DecodeStatus::UnknownBlockAlign)
        r.outcome = io::failure(decoded.reason);
    else if (!decoded.ok())
        r.outcome = io::failure("Cannot decode " + wavPath + ": " + decoded.reason);
    // The header's estimate counts the block headers as sound; the decoded
    // frames are the true length.
    if (decoded.ok() && decoded.sampleRate > 0) {
        r.playTimeSeconds = static_cast<double>(decoded.framesWritten) / decoded.sampleRate;
        r.playTimeCount = static_cast<int>(r.playTimeSeconds);
    }
    return r;
}

}  // namespace

CauToWavResult cauToPcmWav(const std::string& cauPath, const std::string& wavPath, io::Durability durability) {
    CauToWavResult r;
    io::File in;
    CauImage image;
    if (!(r.outcome = in.open(cauPath, io::FileMode::Read)).ok) return r;
    if (!(r.outcome = readCauFile(in, image)).ok) return r;
    return writePcmWav(in, image, cauPath, wavPath, false, durability);
}

CauToWavResult cauToPcmWav(const std::string& archivePath, std::uint64_t imageOffset, std::uint64_t imageLength,
                           const std::string& wavPath, io::Durability durability) {
    CauToWavResult r;
    io::File in;
    CauImage image;
    if (!(r.outcome = in.open(archivePath, io::FileMode::Read)).ok) return r;
    if (!(r.outcome = readCauEntry(in, imageOffset, imageLength, image)).ok) return r;
    const std::string source = "The sound at offset " + std::to_string(imageOffset) + " of " + archivePath;
    return writePcmWav(in, image, source, wavPath, true, durability);
}

}  // namespace sonkrate::audio
