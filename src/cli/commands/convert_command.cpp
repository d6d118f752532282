// sonkrate-cli convert: a foreign sound file as the .wav that would be played.
#include <cstdio>

#include "cli/cli.h"
#include "cli/commands.h"
#include "cli/std_streams.h"
#include "import/playable_wav.h"

namespace sonkrate::cli {
namespace {

// Default target: the source with everything from its last "." replaced by ".wav",
// or "<source>.converted.wav" when that would be the source itself.
std::string defaultTarget(const std::string& source) {
    std::size_t dot = source.rfind('.');
    std::size_t slash = source.find_last_of("/\\");
    std::string stem = (dot == std::string::npos || (slash != std::string::npos && dot < slash))
                           ? source
                           : source.substr(0, dot);
    std::string target = stem + ".wav";
    if (target == source) target = stem + ".converted.wav";
    return target;
}

}  // namespace

int runConvert(const Arguments& args) {
    const std::string& source = args.positional[0];
    std::string target = args.positional.size() > 1 ? args.positional[1] : defaultTarget(source);
    if (target == source) return failed("The output " + target + " would replace the input");
    OutputFile out;
    if (io::Outcome ready = out.prepare(target, "converted.wav"); !ready) return failed(ready);
    import::PlayableWavResult result = import::writePlayableWav(source, out.path());
    if (!result.ok()) {
        const std::string& reason = result.outcome.reason;
        return failed(out.reword(result.readFailed ? "Read fail . . . cannot play audio (" + reason + ")" : reason));
    }
    if (io::Outcome sent = out.finish(); !sent) return failed(sent);
    say(out.messages(), "%s: %s, playing time %.3f s\n", out.shown().c_str(), result.layout.c_str(),
        result.playTimeSeconds);
    return kExitOk;
}

const char* const kConvertDetails =
    "Reads AIFF/AIFC (.aiff, .aif), AU (.au, .snd), VOC, CAF, NIST SPHERE (.sph), PAF,\n"
    "PVF, WVE, HTK and .wav files (extensions in lower or upper case) and writes what\n"
    "the window would play: the converted file, the decoded IMA ADPCM file, or a copy\n"
    "of a .wav that is played as it is. OUT defaults to FOREIGN with .wav in place of\n"
    "its extension; OUT - writes the .wav to standard output, never to a terminal.\n"
    "A file that cannot be read fails with\n"
    "\"Read fail . . . cannot play audio \" and the reason.";

}  // namespace sonkrate::cli
