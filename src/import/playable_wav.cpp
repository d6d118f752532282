#include "import/playable_wav.h"

#include <algorithm>
#include <utility>

#include "audio/convert/decode_adpcm_wav.h"
#include "io/copy_replacing.h"
#include "io/file.h"
#include "io/file_system.h"
#include "io/paths.h"
#include "io/replacement.h"

namespace sonkrate::import {

namespace {

PlayableWavResult asReadFailure(PlayableWavResult r, const std::string& reason) {
    r.readFailed = true;
    r.outcome = io::failure(reason);
    return r;
}

// A foreign file, converted beside the target and moved over it only when
// the conversion succeeded, so a conversion reported as failed leaves nothing.
PlayableWavResult writeConverted(PlayableWavResult r, const ForeignReaderRow& row, const std::string& sourcePath,
                                 const std::string& outputPath) {
    r.route = ForeignRoute::Reader;
    const std::string scratch = io::temporaryPathBeside(outputPath);
    ConversionResult converted = row.reader(sourcePath, scratch);
    r.layout = converted.layout;
    r.playTimeSeconds = converted.playTimeSeconds;
    r.playTimeCount = converted.playTimeCount;
    if (converted.readFailed) {
        (void)io::removeFile(scratch);
        return asReadFailure(r, converted.reason);
    }
    if (io::Outcome moved = io::renameDurably(scratch, outputPath); !moved) {
        (void)io::removeFile(scratch);
        r.outcome = io::failure("Cannot write " + outputPath + " (" + moved.reason + ")");
    }
    return r;
}

// A .wav: copied as it is, decoded first, or refused as one that is not played.
PlayableWavResult writeDirectWav(PlayableWavResult r, const std::string& sourcePath, const std::string& outputPath) {
    r.route = ForeignRoute::DirectWav;
    DirectWavHeader header;
    io::Outcome read = audio::readCanonicalWavHeader(sourcePath, header);
    if (!read) return asReadFailure(r, read.reason);
    r.playTimeSeconds = directWavPlayTime(header);
    r.playTimeCount = static_cast<int>(std::min(r.playTimeSeconds, 2147483647.0));

    switch (directWavHandling(header)) {
    case DirectWavHandling::PlayAsIs: {
        r.layout = "WAV";
        if (io::sameFile(sourcePath, outputPath)) return r;
        io::Outcome copied = io::copyFileReplacing(sourcePath, outputPath);
        if (!copied) r.outcome = copied;
        return r;
    }
    case DirectWavHandling::DecodeFirst: {
        r.layout = "WAV IMA ADPCM";
        audio::DecodeAdpcmResult decoded = audio::decodeAdpcmWav(sourcePath, outputPath, io::Durability::Durable);
        if (!decoded.ok()) return asReadFailure(r, decoded.reason);
        return r;
    }
    case DirectWavHandling::NotPlayed: break;
    }
    r.layout = "WAV";
    r.outcome = io::failure(sourcePath + " is a .wav file whose header (fmt chunk of " +
                            std::to_string(header.fmtSize) + " bytes, block alignment " +
                            std::to_string(header.blockAlign) + ") is not one that is played.");
    return r;
}

}  // namespace

PlayableWavResult writePlayableWav(const std::string& sourcePath, const std::string& outputPath) {
    PlayableWavResult r;
    const std::string extension = extensionOf(sourcePath);
    if (const ForeignReaderRow* row = readerForExtension(extension))
        return writeConverted(std::move(r), *row, sourcePath, outputPath);
    if (isWavExtension(extension)) return writeDirectWav(std::move(r), sourcePath, outputPath);
    r.route = ForeignRoute::NoMatch;
    r.outcome = io::failure(sourcePath + " is not a sound file that can be played: its extension \"" + extension +
                            "\" is none of wav, aiff, aif, au, snd, sph, voc, wve, htk, caf, paf, pvf "
                            "(all in lower or all in upper case).");
    return r;
}

}  // namespace sonkrate::import
