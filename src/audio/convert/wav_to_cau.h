// Wrapping a .wav file's sound data, unchanged, in a .cau header (with an
// optional caption block): the classification of the .wav offered, the
// conversion itself and how Wav_to_Cau ended.
#pragma once

#include <cstdint>
#include <string>

#include "audio/cau/cau_header.h"
#include "audio/wav/wav_reader.h"
#include "io/outcome.h"

namespace sonkrate::audio {

// Which .wav files can become .cau files. The values are the ones the shell
// and its result codes use.
enum class WavKind : int {
    Pcm = 0,            // format chunk of 16 bytes
    Adpcm = 1,          // format chunk of 20 bytes, block alignment 1028 or 2056
    BadBlockAlign = 2,  // format chunk of 20 bytes, any other block alignment
    Unsupported = 3,    // any other format chunk, or not a .wav at all
};

// The two block alignments the game plays: 1028 bytes mono, 2056 stereo.
inline constexpr std::uint16_t kCauMonoBlockAlign = 1028;
inline constexpr std::uint16_t kCauStereoBlockAlign = 2056;

// Classifies by the format chunk length and the block alignment only; the
// format tag, rate and bit depth play no part.
WavKind classifyWav(std::uint32_t fmtChunkLength, std::uint16_t blockAlign);
inline WavKind classifyWav(const WavLayout& layout) {
    return classifyWav(layout.fmtChunkLength, layout.blockAlign);
}

enum class WavToCauStatus {
    Written,  // the target holds the new .cau
    Refused,  // the source cannot become a .cau (kind 2 or 3); nothing written
    Failed,   // the source could not be read or the target written; nothing written
};

struct WavToCauResult {
    WavToCauStatus status = WavToCauStatus::Failed;
    WavKind kind = WavKind::Unsupported;
    io::Outcome outcome;  // ok only when written; otherwise a sentence naming the file
    CauHeader header;     // the header written
    // The source's data chunk claimed declaredDataLength bytes but the file
    // ends sooner: only the bytes there were wrapped, and dataSize says so.
    bool dataClamped = false;
    std::uint32_t declaredDataLength = 0;

    bool written() const { return status == WavToCauStatus::Written; }
};

// Reads the .wav at source by walking its chunks and, for Pcm and Adpcm,
// writes target (replaced safely, never left half written): the header, the
// caption block when captionText is not empty, then the source's sound data
// byte for byte. Refused and failed sources write nothing.
WavToCauResult wavToCau(const std::string& source, const std::string& target, const std::string& captionText);
// The same with the caption block given as its bytes (empty: no caption), for
// timed sections made by encodeCaptionSections.
WavToCauResult wavToCauWithCaptionBlock(const std::string& source, const std::string& target,
                                        const std::string& captionBlock);

// What wavToCauWithCaptionBlock decides from the layout w of source before it
// writes: the header (status Failed, outcome ok) or why w cannot be wrapped
// (status Refused or Failed, a sentence naming source).
WavToCauResult planWavToCau(const std::string& source, const WavLayout& w, const std::string& captionBlock);

// How Wav_to_Cau ended. The shell has a text for each; earlier versions
// numbered them 0, 1 and 3 (see COMPATIBILITY.md).
enum class WavToCauOutcome {
    PcmWritten,
    AdpcmWritten,
    NothingWritten,  // refused or failed
};
WavToCauOutcome wavToCauOutcome(const WavToCauResult& result);

}  // namespace sonkrate::audio
