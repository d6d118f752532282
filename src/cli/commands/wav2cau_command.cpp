// sonkrate-cli wav2cau: a .wav's sound data wrapped, unchanged, as a .cau.
#include <cstdio>

#include "audio/convert/game_sound.h"
#include "audio/convert/target_names.h"
#include "audio/convert/wav_to_cau.h"
#include "cli/cli.h"
#include "cli/commands.h"
#include "cli/std_streams.h"
#include "cli/subrip_captions.h"
#include "io/paths.h"
#include "io/replacement.h"

namespace sonkrate::cli {

int runWavToCau(const Arguments& args) {
    const std::string& given = args.positional[0];
    const bool ima = args.has("ima");
    if (ima && io::endsWith(io::toLower(given), ".cau"))
        return usageError("wav2cau", "--ima encodes a .wav; " + given + " is a .cau");
    if (isStdStream(given) && args.positional.size() < 2)
        return usageError("wav2cau", "OUT.cau (or -) is needed when the .wav comes from standard input");
    std::string target = args.positional.size() > 1 ? args.positional[1] : audio::wavToCauTargetBeside(given);
    if (target == given && !isStdStream(given)) return failed("The output " + target + " would replace the input");
    std::string caption;
    if (int code = captionBlockOf(args, "wav2cau", caption); code != kExitOk) return code;
    OutputFile out;
    if (io::Outcome ready = out.prepare(target, "sound.cau"); !ready) return failed(ready);
    InputFile wav;
    if (io::Outcome read = wav.prepare(given, "sound.wav"); !read) return failed(read);

    const std::string in = wav.fromStdin() ? "standard input" : given;
    audio::WavToCauResult r;
    if (args.has("to-game") || ima) {
        // Converted, encoded and checked on the way into OUT.
        audio::GameSound sound;
        if (io::Outcome opened = sound.open(wav.path(), {true, ima, caption}); !opened)
            return failed(out.reword(wav.reword(opened.reason)));
        if (sound.converted())
            say(out.messages(), "%s: %s -> %s\n", in.c_str(), sound.before().c_str(), sound.after().c_str());
        io::ReplacementFile cau;
        io::Outcome written = cau.begin(out.path());
        if (written) written = sound.writeImage(cau.file());
        if (written) written = cau.commit();
        if (!written) return failed(out.reword(wav.reword(written.reason)));
        r = sound.image();
    } else {
        r = audio::wavToCauWithCaptionBlock(wav.path(), out.path(), caption);
        if (!r.written()) return failed(out.reword(wav.reword(r.outcome.reason)));
    }
    if (io::Outcome sent = out.finish(); !sent) return failed(sent);
    if (r.dataClamped)
        warning(in + ": its data chunk claims " + std::to_string(r.declaredDataLength) +
                " bytes but the file holds only " + std::to_string(r.header.dataSize) + "; the .cau holds those " +
                std::to_string(r.header.dataSize) + ".");
    const audio::CauHeader& h = r.header;
    say(out.messages(), "%s: %s, %u channel%s, %u Hz, %u data bytes%s\n", out.shown().c_str(),
        h.isAdpcm() ? "ima-adpcm" : "pcm", static_cast<unsigned>(h.channels), h.channels == 1 ? "" : "s", h.sampleRate,
        h.dataSize, h.hasCaption() ? ", with caption" : "");
    return kExitOk;
}

const char* const kWavToCauDetails =
    "Accepts what the game plays: 8- or 16-bit PCM .wav files (a 16-byte format\n"
    "chunk) and IMA ADPCM .wav files with the block alignment the game uses (1028\n"
    "bytes mono, 2056 stereo), mono or stereo; anything else is refused with a\n"
    "way to convert it. The sound data is copied unchanged. OUT defaults to IN's name with the four characters\n"
    "from its first \".\" removed and \".cau\" added, beside IN. --caption adds a\n"
    "caption block; line breaks in TEXT start new caption lines. --captions\n"
    "FILE.srt instead gives timed captions from SubRip subtitles: each cue shown\n"
    "for its time (rounded to fifths of a second), the gaps between cues as\n"
    "pauses, a cue's lines kept as lines; overlapping or backwards cues are\n"
    "refused. IN - reads the\n"
    ".wav from standard input (OUT is then needed); OUT - writes the .cau to\n"
    "standard output, never to a terminal. --to-game first turns a .wav the game\n"
    "cannot play (24- or 32-bit integer, 32- or 64-bit float, WAVE_FORMAT_EXTENSIBLE,\n"
    "more than two channels) into 16-bit PCM at the same sample rate, with triangular\n"
    "dither when bits are dropped and more than two channels mixed down to stereo.\n"
    "--ima (which implies --to-game) goes one step further: the sound, made 16-bit\n"
    "PCM as --to-game does (a plain 8- or 16-bit PCM .wav too), is encoded as IMA\n"
    "ADPCM in the game's blocks (1028 bytes mono, 2056 stereo) at the same sample\n"
    "rate, and decoded back to check it before the .cau is written. An IMA ADPCM\n"
    ".wav is wrapped as it is. IN must be a .wav.";

}  // namespace sonkrate::cli
