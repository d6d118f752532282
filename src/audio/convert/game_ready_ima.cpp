#include "audio/convert/game_ready_ima.h"

#include "audio/convert/game_sound.h"
#include "audio/wav/wav_headers.h"
#include "audio/wav/wav_reader.h"
#include "io/replacement.h"

namespace sonkrate::audio {

GameReadyResult makeGameReadyImaWav(const std::string& source, const std::string& target) {
    GameReadyResult r;
    WavLayout w;
    if ((r.outcome = readWavLayout(source, w)); !r.outcome) return r;
    if (w.formatTag == kWavFormatImaAdpcm) return r;  // the wrapping judges it
    GameSound sound;
    if ((r.outcome = sound.open(source, {true, true, {}})); !r.outcome) return r;

    const CauHeader& h = sound.image().header;
    io::ReplacementFile out;
    if ((r.outcome = out.begin(target)); !r.outcome) return r;
    const auto header = imaWavHeader(h.channels, h.sampleRate, h.blockAlign, static_cast<std::uint32_t>(sound.frames()),
                                     h.dataSize);
    if ((r.outcome = out.file().write(header.data(), header.size())); !r.outcome) return r;
    // A failed check writes nothing.
    if ((r.outcome = sound.writeData(out.file())); !r.outcome) return r;
    if ((r.outcome = out.commit()); !r.outcome) return r;
    r.before = sound.before();
    r.after = sound.after();
    r.converted = true;
    return r;
}

}  // namespace sonkrate::audio
