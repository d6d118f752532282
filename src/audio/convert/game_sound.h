// A .wav made into a sound image the game plays, in one pass over fixed
// buffers: the source read once, through the stages its layout needs (to 16
// bits, IMA ADPCM encoded and checked on the way), into whatever file the
// image goes to (a .cau, or the archive being written). The bytes are those
// of wrapping, as wav2cau does, the .wav that --to-game or --ima would make.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "audio/convert/game_frames.h"
#include "audio/convert/wav_to_cau.h"
#include "io/file.h"
#include "io/outcome.h"

namespace sonkrate::audio {

struct GameSoundOptions {
    bool toGame = false;       // a .wav the game cannot play is made 16-bit PCM
    bool ima = false;          // any PCM .wav is made IMA ADPCM in the game's blocks (implies toGame)
    std::string captionBlock;  // the caption block's bytes; empty: none
};

class GameSound {
public:
    // Reads the layout of the .wav at path and readies the stages. Fails with
    // the sentence of wav2cau for a .wav that cannot become a sound.
    io::Outcome open(const std::string& path, const GameSoundOptions& options);

    // The header, kind and clamping of the image, as wavToCau reports them.
    const WavToCauResult& image() const { return image_; }
    // The header and caption block: the image's first bytes.
    std::vector<std::uint8_t> head() const;
    std::uint64_t imageSize() const;
    // True when the sound is converted; before and after say how:
    // "24-bit integer, 48000 Hz, stereo" and "IMA ADPCM, 48000 Hz, stereo".
    bool converted() const { return form_ != Form::AsIs; }
    const std::string& before() const { return before_; }
    const std::string& after() const { return after_; }
    // Frames of a converted sound.
    std::uint64_t frames() const { return frames_.frames(); }

    // Writes the sound data (image().header.dataSize bytes) to out: copied,
    // converted, or encoded and checked. Fails, after writing, when the
    // check does. Each call writes the same bytes.
    io::Outcome writeData(io::File& out);
    // The whole image: head() then the data.
    io::Outcome writeImage(io::File& out);

private:
    enum class Form { AsIs, Pcm16, Ima };
    io::Outcome openAsIs();
    io::Outcome openConverted(bool ima);
    io::Outcome writePcm16(io::File& out);
    io::Outcome writeIma(io::File& out);

    std::string path_;
    std::string caption_;
    Form form_ = Form::AsIs;
    io::File file_;  // the source read as it is
    WavLayout layout_;
    GameFrameSource frames_;
    bool written_ = false;  // the frames were read once and must be started again
    WavToCauResult image_;
    std::string before_, after_;
};

}  // namespace sonkrate::audio
