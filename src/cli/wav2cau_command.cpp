// sonkrate-cli wav2cau: a .wav's sound data wrapped, unchanged, as a .cau.
#include <cstdio>

#include "audio/target_names.h"
#include "audio/wav_to_cau.h"
#include "cli/cli.h"

namespace sonkrate::cli {
namespace {

int runWavToCau(const Arguments& args) {
    const std::string& in = args.positional[0];
    std::string out = args.positional.size() > 1 ? args.positional[1] : audio::wavToCauTargetBeside(in);
    if (out == in) return failed("The output " + out + " would replace the input");
    std::string caption = args.option("caption").value_or("");

    audio::WavToCauResult r = audio::wavToCau(in, out, caption);
    if (!r.written()) return failed(r.outcome);
    if (r.dataClamped)
        std::fprintf(stderr,
                     "sonkrate-cli: %s: its data chunk claims %u bytes but the file holds only %u; "
                     "the .cau holds those %u.\n",
                     in.c_str(), r.declaredDataLength, r.header.dataSize, r.header.dataSize);
    const audio::CauHeader& h = r.header;
    std::printf("%s: %s, %u channel%s, %u Hz, %u data bytes%s\n", out.c_str(),
                h.isAdpcm() ? "ima-adpcm" : "pcm", static_cast<unsigned>(h.channels), h.channels == 1 ? "" : "s",
                h.sampleRate, h.dataSize, h.hasCaption() ? ", with caption" : "");
    return kExitOk;
}

const Registration wav2cau{{
    "wav2cau", "wav2cau IN.wav [OUT.cau] [--caption TEXT]", "a .wav wrapped as a .cau sound image",
    "Accepts what the game plays: 8- or 16-bit PCM .wav files (a 16-byte format\n"
    "chunk) and IMA ADPCM .wav files with the block alignment the game uses (1028\n"
    "bytes mono, 2056 stereo), mono or stereo; anything else is refused with a\n"
    "way to convert it. The sound data is copied unchanged. OUT defaults to IN's name with the four characters\n"
    "from its first \".\" removed and \".cau\" added, beside IN. --caption adds a\n"
    "caption block; line breaks in TEXT start new caption lines.",
    {}, {"caption"}, 1, 2, runWavToCau}};

}  // namespace
}  // namespace sonkrate::cli
