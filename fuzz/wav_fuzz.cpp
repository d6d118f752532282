// The RIFF walker and what stands on it: .wav to .cau, the IMA ADPCM
// decoder, the add's conversion, the .wav played as it is and the desktop
// player's sample stream.
#include "audio/convert/add_wav_conversion.h"
#include "audio/cau/cau_reader.h"
#include "audio/convert/decode_adpcm_wav.h"
#include "audio/wav/wav_reader.h"
#include "audio/wav/wav_source.h"
#include "audio/convert/wav_to_cau.h"
#include "fuzz/fuzz_support.h"
#include "import/playable_wav.h"

using namespace sonkrate;

SONKRATE_FUZZ_HARNESS(wav) {
    std::string path = fuzz::writeScratch("sound.wav", data, size);
    audio::WavLayout layout;
    if (audio::readWavLayout(path, layout)) {
        fuzz::check(layout.dataOffset + layout.dataLength <= size, "a data chunk past the end was accepted");
    }
    std::string cau = fuzz::scratchPath("sound.cau");
    audio::WavToCauResult wrapped = audio::wavToCau(path, cau, size % 2 ? "a caption\nof two lines" : "");
    if (wrapped.written()) {
        audio::CauImage image;
        fuzz::check(static_cast<bool>(audio::readCauFile(cau, image)), "a .cau made of a .wav cannot be read back");
        fuzz::check(image.dataSize == layout.dataLength, "the .cau holds another amount of data than the .wav");
    } else {
        fuzz::check(!fuzz::exists(cau), "a refused .wav left a .cau");
    }
    std::string decoded = fuzz::scratchPath("decoded.wav");
    audio::DecodeAdpcmResult decodedResult = audio::decodeAdpcmWav(path, decoded);
    if (decodedResult.ok()) {
        audio::WavLayout out;
        fuzz::check(static_cast<bool>(audio::readWavLayout(decoded, out)), "a decoded .wav cannot be read back");
        fuzz::check(out.formatTag == audio::kWavFormatPcm, "a decoded .wav is not PCM");
    }
    (void)audio::convertWavForAdd(path, fuzz::scratchFolder());
    (void)import::writePlayableWav(path, fuzz::scratchPath("played.wav"));
    audio::WavSource source;
    if (source.open(path)) {
        std::uint8_t buffer[4096];
        std::uint64_t total = 0;
        for (std::size_t n; (n = source.read(buffer, sizeof buffer)) > 0;) total += n;
        // No coding makes more than four bytes of samples of one stored byte.
        fuzz::check(total <= 4 * static_cast<std::uint64_t>(size) + 64, "the player made samples out of nothing");
    }
}
