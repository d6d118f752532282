#include "audio/cau_to_pcm_wav.h"

#include "audio/decode_adpcm_wav.h"
#include "io/file_system.h"

namespace sonkrate::audio {

namespace {

// The wrapped .wav went to scratch (synced, in case it is only renamed);
// it becomes the target, decoded first when it holds IMA ADPCM.
CauToWavResult finish(CauToWavResult wrapped, const std::string& scratch, const std::string& wavPath,
                      io::Durability durability) {
    if (wrapped.ok() && wrapped.compressed == 1) {
        DecodeAdpcmResult decoded = decodeAdpcmWav(scratch, wavPath, durability);
        if (!decoded.ok()) wrapped.outcome = io::failure("Cannot decode " + wavPath + ": " + decoded.reason);
        // The header's estimate counts the block headers as sound; the
        // decoded frames are the true length.
        if (decoded.ok() && decoded.sampleRate > 0) {
            wrapped.playTimeSeconds = static_cast<double>(decoded.framesWritten) / decoded.sampleRate;
            wrapped.playTimeCount = static_cast<int>(wrapped.playTimeSeconds);
        }
    } else if (wrapped.ok()) {
        wrapped.outcome = durability == io::Durability::Durable ? io::renameDurably(scratch, wavPath)
                                                                : io::renameFile(scratch, wavPath);
    }
    (void)io::removeFile(scratch);
    return wrapped;
}

}  // namespace

CauToWavResult cauToPcmWav(const std::string& cauPath, const std::string& wavPath, io::Durability durability) {
    const std::string scratch = io::temporaryPathBeside(wavPath);
    return finish(cauToWav(cauPath, scratch, durability), scratch, wavPath, durability);
}

CauToWavResult cauToPcmWav(const std::string& archivePath, std::uint64_t imageOffset, std::uint64_t imageLength,
                           const std::string& wavPath, io::Durability durability) {
    const std::string scratch = io::temporaryPathBeside(wavPath);
    return finish(cauToWav(archivePath, imageOffset, imageLength, scratch, durability), scratch, wavPath,
                  durability);
}

}  // namespace sonkrate::audio
