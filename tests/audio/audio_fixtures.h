// Sound data the audio tests make for themselves: tones, .cau images built
// field by field, archives holding them, and the samples of a PCM .wav.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "audio/cau/cau_header.h"
#include "testkit/testkit.h"

namespace audio = sonkrate::audio;

namespace audiotest {

using testkit::Bytes;

// A tone of frames frames, channels interleaved; the right channel is a
// different pitch so that swapped channels show.
std::vector<std::int16_t> tone(std::size_t frames, unsigned channels, double amplitude = 12000.0);

// The header serialized, then the caption block when caption is not empty
// (dataOffset and captionOffset are set to fit), then data.
Bytes cauImage(audio::CauHeader header, const Bytes& data, const std::string& caption = {});

// A .cau of IMA ADPCM blocks encoded from samples.
Bytes imaCau(const std::vector<std::int16_t>& samples, unsigned channels, std::uint32_t blockAlign,
             std::uint32_t sampleRate = 22050);

// An archive-like file: prefix bytes of filler, then image, then suffix
// bytes of filler. The image's offset is prefix.
Bytes embed(const Bytes& image, std::size_t prefix, std::size_t suffix = 0);

// The 16-bit samples of a PCM .wav with the canonical 44-byte header.
std::vector<std::int16_t> pcmSamples(const Bytes& wav);

}  // namespace audiotest
