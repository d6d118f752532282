#include "audio/convert/cau_to_pcm_wav.h"

#include "audio/convert/decode_adpcm_wav.h"
#include "audio/codec/ima_adpcm.h"
#include "io/file_system.h"

namespace sonkrate::audio {

namespace {

// Why the wrapped sound of source could not be decoded into wavPath. The
// wrapped .wav is a scratch file, so the sentence names the sound instead.
io::Outcome decodeFailure(const DecodeAdpcmResult& decoded, const std::string& source, const std::string& wavPath) {
    if (decoded.status == DecodeStatus::UnknownBlockAlign)
        return io::failure(source + " holds IMA ADPCM in blocks of " + std::to_string(decoded.blockAlign) +
                           " bytes; only blocks of " + std::to_string(kMinBlockAlign) + " to " +
                           std::to_string(kMaxBlockAlign) + " bytes can be decoded.");
    return io::failure("Cannot decode " + wavPath + ": " + decoded.reason);
}

// The wrapped .wav went to scratch (synced, in case it is only renamed);
// it becomes the target, decoded first when it holds IMA ADPCM.
CauToWavResult finish(CauToWavResult wrapped, const std::string& source, const std::string& scratch,
                      const std::string& wavPath, io::Durability durability) {
    if (wrapped.ok() && wrapped.compressed == 1) {
        DecodeAdpcmResult decoded = decodeAdpcmWav(scratch, wavPath, durability);
        if (!decoded.ok()) wrapped.outcome = decodeFailure(decoded, source, wavPath);
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
    return finish(cauToWav(cauPath, scratch, durability), cauPath, scratch, wavPath, durability);
}

CauToWavResult cauToPcmWav(const std::string& archivePath, std::uint64_t imageOffset, std::uint64_t imageLength,
                           const std::string& wavPath, io::Durability durability) {
    const std::string scratch = io::temporaryPathBeside(wavPath);
    const std::string source = "The sound at offset " + std::to_string(imageOffset) + " of " + archivePath;
    return finish(cauToWav(archivePath, imageOffset, imageLength, scratch, durability), source, scratch, wavPath,
                  durability);
}

}  // namespace sonkrate::audio
