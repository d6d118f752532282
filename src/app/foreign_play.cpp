// Play_Wav: a sound file of another format converted and played, or a .wav
// played as it is or decoded first.
#include "app/command_ids.h"
#include "app/shell.h"
#include "import/play_foreign.h"

namespace sonkrate::app {

void Shell::playWav() {
    platform::FileDialogOptions options;
    options.filterText = "Wav Files (*.wav, *.aiff, *.aif, *.au, *.snd, *.sph, *.voc, *.wve, *.htk, *.caf, *.paf, *.pvf) ";
    options.filterPattern = "* .wav;* .aiff;* .aif;* .au;* .snd;* .sph;* .voc;* .wve;* .htk;* .caf;* .paf;* .pvf";
    options.flags = platform::kExplorer | platform::kFileMustExist | platform::kPathMustExist | platform::kHideReadOnly;
    std::optional<std::string> chosen = platform_.openFileDialog(options);

    if (chosen && !chosen->empty()) {
        import::ForeignWorkPaths work{paths_.tempWav, paths_.conversionWav, paths_.decodedWav};
        import::ForeignPlayPlan plan = import::planForeignPlay(*chosen, work);
        state_.externalSourcePath = *chosen;
        if (!plan.statusWhileConverting.empty()) {
            // Shown before the conversion, which blocks the window.
            status_.setStatus(plan.statusWhileConverting);
            platform_.repaint();
        }
        import::ForeignPlayOutcome outcome = import::runForeignPlay(plan, work);

        if (outcome.route == import::ForeignRoute::Refused) {
            status_.setStatus(outcome.statusAfter);
            status_.beepRefused();
        } else {
            if (outcome.beepRefused) status_.beepRefused();
            if (!outcome.statusAfter.empty()) status_.setStatus(outcome.statusAfter);
        }
        if (outcome.externalPlayKind)
            state_.externalPlay = *outcome.externalPlayKind == 1   ? ExternalPlayKind::Converted
                                  : *outcome.externalPlayKind == 2 ? ExternalPlayKind::WavAsIs
                                                                   : ExternalPlayKind::None;
        // A conversion that failed leaves nothing that Save_as_Wav could
        // rightly keep as the sound played.
        if (outcome.readFailed && outcome.route != import::ForeignRoute::Refused) state_.externalPlay = ExternalPlayKind::None;
        if (outcome.playTimeSet) {
            sound_.PlayTimeSeconds = outcome.playTimeSeconds;
            sound_.PlayTimeCount = outcome.playTimeCount;
        }
        if (!outcome.playPath.empty()) platform_.playWavAsync(outcome.playPath);
    }

    stopProgress();
}

}  // namespace sonkrate::app
