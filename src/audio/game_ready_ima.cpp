#include "audio/game_ready_ima.h"

#include "audio/encode_ima_wav.h"
#include "audio/ima_round_trip.h"
#include "audio/wav_reader.h"
#include "io/file_system.h"
#include "io/replacement.h"

namespace sonkrate::audio {
namespace {

// The reason with every mention of the path from (a working file) made to.
io::Outcome naming(io::Outcome outcome, const std::string& from, const std::string& to) {
    for (std::size_t at = outcome.reason.find(from); !from.empty() && at != std::string::npos;
         at = outcome.reason.find(from, at + to.size()))
        outcome.reason.replace(at, from.size(), to);
    return outcome;
}

// Encodes pcm beside target and checks it; only a checked encoding replaces target.
io::Outcome encodeChecked(const std::string& pcm, const std::string& target, const std::string& source) {
    const std::string encoded = io::temporaryPathBeside(target);
    EncodeImaResult made = encodeImaWav(pcm, encoded);
    io::Outcome done = made.outcome;
    if (done) done = checkImaRoundTrip(pcm, encoded, source).outcome;
    if (done) done = io::renameFile(encoded, target);
    if (!done) (void)io::removeFile(encoded);
    return naming(naming(done, pcm, source), encoded, target);
}

}  // namespace

GameReadyResult makeGameReadyImaWav(const std::string& source, const std::string& target) {
    GameReadyResult r;
    WavLayout w;
    if ((r.outcome = readWavLayout(source, w)); !r.outcome) return r;
    if (w.formatTag == kWavFormatImaAdpcm) return r;

    const std::string working = io::temporaryPathBeside(target);
    GameReadyResult pcm = makeGameReadyWav(source, working);
    if (!pcm.outcome) {
        r.outcome = pcm.outcome;
        return r;
    }
    const std::string& pcmPath = pcm.converted ? working : source;
    r.outcome = encodeChecked(pcmPath, target, source);
    if (pcm.converted) (void)io::removeFile(working);
    if (!r.outcome) return r;

    const unsigned channels = w.channels > 2 ? 2 : w.channels;
    r.before = pcm.converted ? pcm.before
                             : std::to_string(w.bitsPerSample) + "-bit PCM, " +
                                   describeRateAndChannels(w.sampleRate, w.channels);
    r.after = "IMA ADPCM, " + describeRateAndChannels(w.sampleRate, channels);
    r.converted = true;
    return r;
}

}  // namespace sonkrate::audio
