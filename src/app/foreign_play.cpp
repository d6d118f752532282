// Play_Wav: a sound file of another format converted and played, or a .wav
// played as it is or decoded first.
#include "app/command_ids.h"
#include "app/result_texts.h"
#include "app/shell.h"
#include "import/play_foreign.h"

namespace sonkrate::app {

// The status and beep of a Play_Wav, and what it leaves for Save_as_Wav and the timer.
void Shell::reportForeignPlay(const import::ForeignPlayOutcome& outcome) {
    const std::string text = foreignPlayStatusText(outcome);
    if (outcome.result == import::ForeignPlayResult::Refused) {
        status_.setStatus(text);
        status_.beepRefused();
    } else {
        if (outcome.result == import::ForeignPlayResult::ReadFailed) status_.beepRefused();
        if (!text.empty()) status_.setStatus(text);
    }
    // What Save_as_Wav will keep: the conversion of a foreign file, or a .wav as it is.
    if (outcome.route == import::ForeignRoute::Reader) state_.externalPlay = ExternalPlayKind::Converted;
    if (outcome.route == import::ForeignRoute::DirectWav) state_.externalPlay = ExternalPlayKind::WavAsIs;
    // A conversion that failed leaves nothing that Save_as_Wav could
    // rightly keep as the sound played.
    if (outcome.result == import::ForeignPlayResult::ReadFailed) state_.externalPlay = ExternalPlayKind::None;
    if (outcome.playTimeSet) {
        sound_.PlayTimeSeconds = outcome.playTimeSeconds;
        sound_.PlayTimeCount = outcome.playTimeCount;
    }
}

void Shell::playWav() {
    platform::FileDialogOptions options;
    options.filterText = "Wav Files (*.wav, *.aiff, *.aif, *.au, *.snd, *.sph, *.voc, *.wve, *.htk, *.caf, *.paf, *.pvf) ";
    options.filterPattern = "* .wav;* .aiff;* .aif;* .au;* .snd;* .sph;* .voc;* .wve;* .htk;* .caf;* .paf;* .pvf";
    options.flags = platform::kExplorer | platform::kFileMustExist | platform::kPathMustExist | platform::kHideReadOnly;
    std::optional<std::string> chosen = platform_.openFileDialog(options);
    if (chosen && !chosen->empty()) playForeignFile(*chosen);
    stopProgress();
}

void Shell::playForeignFile(const std::string& path) {
    import::ForeignWorkPaths work{paths_.tempWav, paths_.conversionWav, paths_.decodedWav};
    import::ForeignPlayPlan plan = import::planForeignPlay(path, work);
    state_.externalSourcePath = path;
    if (plan.route == import::ForeignRoute::Reader) {
        // Shown before the conversion, which blocks the window.
        status_.setStatus(foreignConvertingText(plan.row->format));
        platform_.repaint();
    }
    import::ForeignPlayOutcome outcome = import::runForeignPlay(plan, work);
    reportForeignPlay(outcome);
    if (!outcome.playPath.empty()) platform_.playWavAsync(outcome.playPath);
}

}  // namespace sonkrate::app
