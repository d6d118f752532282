// The sound list being edited and the commands on it: the list at start-up,
// Load_*eel, Save_*eel, "+" and "-", *caus to *eel, and the archive build
// *eel_to_*tpa with its progress and its report of missing sounds.
#include "app/command_ids.h"
#include "app/dialogs.h"
#include "app/result_texts.h"
#include "app/shell.h"
#include "io/game_text.h"
#include "io/paths.h"
#include "archive/edit/build_from_list.h"
#include "lists/build_listings.h"
#include "lists/eel_format.h"
#include "lists/make_eel.h"

namespace sonkrate::app {

void Shell::showList(const std::vector<std::string>& items) {
    platform_.listReset(kEelListBox);
    for (const auto& item : items) platform_.listAddString(kEelListBox, item);
}

void Shell::resetList() {
    lists::EelListView view = lists::resetEelList(eelList_, paths_.tempEel, paths_.missingCau);
    showList(view.items);
}

void Shell::loadEel() {
    std::optional<std::string> chosen = platform_.openFileDialog(eelOpenDialog());
    if (!chosen) return;
    loadEelFile(*chosen);
}

void Shell::loadEelFile(const std::string& path) {
    lists::EelListView view = lists::loadEelList(eelList_, path);
    if (!view.outcome) {
        status_.beepRefused();
        status_.setStatus("eel file not loaded . . . " + view.outcome.reason);
        return;
    }
    showList(view.items);
    status_.beepDone();
    status_.setStatus("eel file loaded . . .");
}

void Shell::saveEel() {
    std::optional<std::string> chosen = platform_.saveFileDialog(eelSaveDialog());
    if (!chosen) return;
    lists::EelSaveResult saved = lists::saveEelList(eelList_, *chosen);
    if (!saved.outcome) {
        status_.beepRefused();
        status_.setStatus("eel file not saved . . . " + saved.outcome.reason);
        return;
    }
    status_.beepDone();
    status_.setStatus("eel file saved in selected directory. . .");
}

void Shell::addListing() {
    std::string typed;
    const bool fileNames = state_.fileNamesOn();
    if (!fileNames) {
        typed = io::gameText(platform_.text(kSoundIdInput));
        if (typed.size() < 4) {
            status_.beepRefused();
            status_.setStatus("You must enter a sound id name before you   can add a listing to an eel file.");
            return;
        }
    }
    std::optional<std::string> chosen = platform_.openFileDialog(listingOpenDialog());
    // Nothing was added, so nothing is reported.
    if (!chosen) return;
    std::string name = fileNames ? lists::listingNameFromFile(*chosen) : typed;
    lists::EelListView view = lists::addEelListing(eelList_, name, *chosen);
    if (!view.outcome) {
        status_.beepRefused();
        status_.setStatus("listing not added to eel list . . . " + view.outcome.reason);
        return;
    }
    showList(view.items);
    if (!fileNames) platform_.setText(kSoundIdInput, "");
    status_.beepDone();
    status_.setStatus("selected .cau added to eel list . . .");
}

bool Shell::selectionRemovable() const {
    return state_.selectedListName.size() > 2 && state_.selectedListName != lists::kPlaceholderName;
}

void Shell::removeListing() {
    lists::EelListView view = lists::removeEelListing(eelList_, state_.selectedListName);
    if (!view.outcome) {
        status_.beepRefused();
        status_.setStatus("item not removed from eel list . . . " + view.outcome.reason);
        return;
    }
    showList(view.items);
    state_.selectedListName.clear();
    status_.beepDone();
    status_.setStatus("selected item removed from eel list . . .");
}

void Shell::causToEel() {
    std::string typed = platform_.text(kSoundIdInput);
    if (typed.size() < 4) {
        status_.beepRefused();
        status_.setStatus("You must enter an *eel file name before an eel file can be created (5 or more characters "
                          "in length). Use edit control, Sound_ID");
        return;
    }
    std::optional<std::string> chosen = platform_.openFileDialog(cauOpenDialog());
    if (!chosen) {
        status_.beepDone();
        status_.setStatus(" Operation canceled by user . . .");
        return;
    }
    lists::MakeEelResult made = lists::makeEelFromCaus(io::folderOf(*chosen), typed);
    if (!made.outcome) {
        status_.beepRefused();
        status_.setStatus(" EEL file not created . . . " + made.outcome.reason);
        return;
    }
    status_.beepDone();
    status_.setStatus(" Done. EEL file created can be found inside the selected .cau file's directory");
}

void Shell::eelToTpa() {
    platform_.stopSound();
    status_.setStatus("Please wait, building tpa . . .");
    platform_.setProgressRange(kProgressBar, 0, listingCount() - 1);
    platform_.setProgressStep(kProgressBar, 1);

    std::optional<std::string> target = platform_.saveFileDialog(tpaSaveDialog());
    if (!target) {
        platform_.setProgressPosition(kProgressBar, 0);
        status_.beepDone();
        status_.setStatus("tpa build was canceled . . .");
        return;
    }
    // The first listing counts as read before the loop, as the bar shows it.
    platform_.progressStepIt(kProgressBar);
    std::vector<lists::BuildListing> read;
    archive::ListBuildResult built;
    built.outcome = lists::readBuildListings(eelList_, read);
    if (built.outcome) {
        std::vector<archive::ListedSound> listings;
        for (const lists::BuildListing& l : read) listings.push_back({l.name, l.path});
        built = archive::buildArchiveFromList(listings, *target, paths_.missingCau, listingCount() - 1,
                                              [this](std::uint64_t, std::uint64_t, const std::string&) {
                                                  platform_.progressStepIt(kProgressBar);
                                                  platform_.repaint();
                                              });
    }
    platform_.setProgressPosition(kProgressBar, 0);
    if (!built.outcome) {
        status_.beepRefused();
        status_.setStatus("tpa build failed . . . " + built.outcome.reason);
        return;
    }
    status_.beepDone();
    status_.setStatus("tpa build is complete . . .");
    if (!built.missingNames.empty())
        platform_.messageBox(kMissingReplacedText, "SONKRATE", platform::MessageIcon::Information,
                             platform::MessageButtons::Ok);
}

}  // namespace sonkrate::app
