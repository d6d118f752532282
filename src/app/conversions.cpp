// The Convert menu: Wav_to_Cau, Cau_to_Wav and the folder loop *Dir_to_Caus.
#include "app/command_ids.h"
#include "app/dialogs.h"
#include "app/result_texts.h"
#include "app/shell.h"
#include "audio/convert/cau_to_wav.h"
#include "audio/convert/decode_adpcm_wav.h"
#include "audio/convert/dir_to_caus.h"
#include "audio/convert/target_names.h"
#include "audio/convert/wav_to_cau.h"
#include "io/copy_replacing.h"
#include "io/game_text.h"
#include "io/paths.h"

namespace sonkrate::app {

void Shell::wavToCau() {
    // Stored as the game will show it: in its code page where the text fits.
    const std::string caption = io::gameText(platform_.text(kCaptionInput));

    std::optional<std::string> source = platform_.openFileDialog(wavOpenDialog());
    audio::WavToCauResult made;
    if (source) made = audio::wavToCau(*source, audio::wavToCauTargetBeside(*source), caption);

    if (source && made.status == audio::WavToCauStatus::Failed) {
        // The .wav could not be read or the .cau not written: not a refusal.
        status_.beepRefused();
        status_.setStatus("Cau export failed . . . " + made.outcome.reason);
        return;
    }
    // Nothing is written when the dialog was canceled.
    const audio::WavToCauOutcome outcome = audio::wavToCauOutcome(made);
    status_.beepDone();
    status_.setStatus(wavToCauStatusText(outcome, source.has_value()));
    if (outcome != audio::WavToCauOutcome::NothingWritten) platform_.setText(kCaptionInput, "");
}

void Shell::cauToWav() {
    stopPlayback();
    std::optional<std::string> chosen = platform_.openFileDialog(cauOpenDialog());
    if (!chosen) return;
    std::string target = audio::cauToWavTarget(*chosen);

    audio::CauToWavResult wav = audio::cauToWav(*chosen, paths_.entriesWav);
    io::Outcome done = wav.outcome;
    if (done) {
        sound_.PlayTimeSeconds = wav.playTimeSeconds;
        sound_.PlayTimeCount = wav.playTimeCount;
        sound_.channels = wav.channels;
        sound_.compressed = compressionOf(wav.compressed);
        sound_.captionOffset = static_cast<int>(wav.captionOffset);
        if (sound_.compressed == SoundCompression::Pcm) {
            done = io::copyFileReplacing(paths_.entriesWav, target);
        } else {
            audio::DecodeAdpcmResult decoded = audio::decodeAdpcmWav(paths_.entriesWav, paths_.decodedWav);
            const bool oddBlocks = decoded.status == audio::DecodeStatus::UnknownBlockAlign;
            if (oddBlocks)
                platform_.messageBox(kBlockAlignUnknownText, kErrorTitle, platform::MessageIcon::None,
                                     platform::MessageButtons::Ok);
            done = decoded.ok()  ? io::copyFileReplacing(paths_.decodedWav, target)
                   : oddBlocks ? io::failure(kBlockAlignUnknownText)
                               : io::failure(decoded.reason);
        }
    }
    if (!done) {
        status_.beepRefused();
        status_.setStatus("Cau to Wav conversion failed . . . " + done.reason);
        return;
    }
    status_.beepDone();
    status_.setStatus("Cau to Wav conversion done . .. ");
}

void Shell::dirToCaus() {
    bool batchStarted = false;
    std::optional<std::string> chosen = platform_.openFileDialog(wavOpenDialog());
    audio::DirToCausResult result;
    if (chosen) {
        status_.beepDone();
        status_.setStatus(" Processing files . . .");
        platform_.repaint();
        batchStarted = true;
        result = audio::dirToCaus(io::folderOf(*chosen),
                                  [this](std::uint64_t, std::uint64_t, const std::string&) { platform_.repaint(); });
    }
    if (!batchStarted) {
        status_.beepDone();
        status_.setStatus(" Operation canceled by user . . .");
        return;
    }
    if (!result.outcome) {
        status_.beepRefused();
        status_.setStatus(" Operation failed . . . " + result.outcome.reason);
        return;
    }
    if (result.failed > 0) {
        // Files that are no game .wav are skipped quietly; files that could
        // not be read or written are not.
        std::string first;
        for (const auto& item : result.items)
            if (item.status == audio::WavToCauStatus::Failed) {
                first = item.reason;
                break;
            }
        status_.beepRefused();
        status_.setStatus(" Done, but " + std::to_string(result.failed) +
                          " .wav file(s) could not be converted . . . " + first);
        return;
    }
    status_.beepDone();
    status_.setStatus(" Done. Cau files created can be found inside the selected .wav file's directory");
}

}  // namespace sonkrate::app
