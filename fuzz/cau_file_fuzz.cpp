// The .cau reader: header, caption and data position, then the .wav made of
// it and, for IMA ADPCM, its decoding.
#include "audio/cau/cau_reader.h"
#include "audio/convert/cau_to_wav.h"
#include "audio/convert/decode_adpcm_wav.h"
#include "audio/wav/wav_reader.h"
#include "fuzz/fuzz_support.h"

using namespace sonkrate;

SONKRATE_FUZZ_HARNESS(cau_file) {
    std::string path = fuzz::writeScratch("sound.cau", data, size);
    audio::CauImage image;
    if (!audio::readCauFile(path, image)) return;
    fuzz::check(image.dataStart + image.dataSize <= size, "sound data past the end of the .cau was accepted");
    std::string wav = fuzz::scratchPath("sound.wav");
    audio::CauToWavResult made = audio::cauToWav(path, wav);
    if (!made.ok()) return;
    audio::WavLayout layout;
    fuzz::check(static_cast<bool>(audio::readWavLayout(wav, layout)), "the .wav of a .cau cannot be read back");
    fuzz::check(layout.dataLength == image.dataSize, "the .wav holds another amount of data than the .cau");
    if (made.header.isAdpcm()) (void)audio::decodeAdpcmWav(wav, fuzz::scratchPath("decoded.wav"));
}
