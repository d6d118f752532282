// The shell: the window's behaviour over the platform API. It owns the
// working paths and the application-wide state, builds the window at
// start-up, turns every command into core calls and reports through the
// status line, the beeps and message boxes.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/command_table.h"
#include "app/shell_state.h"
#include "archive/edit/add_sound.h"
#include "archive/format/tpa_loader.h"
#include "import/play_foreign.h"
#include "lists/eel_list.h"
#include "app/status_line.h"
#include "app/work_paths.h"
#include "platform/platform.h"

namespace sonkrate::app {

class ArchiveWindowController;

class Shell : public platform::EventSink {
public:
    explicit Shell(platform::Platform& platform);
    ~Shell() override;

    // Computes the paths, writes the replacement sound, creates the window
    // and its controls and fills the sound list. False when the window could
    // not be made (a message box has said why).
    bool startUp();

    // Events from the platform.
    void onCreate() override;
    void onCommand(int id, int notification) override;
    void onTimer(int timerId) override;
    void onTrackbarScroll() override;
    void onLeftButtonUp() override;
    void onMouseMove(int x, int y) override;
    bool onCloseRequest() override;
    void onDestroy() override;
    void onFilesDropped(const std::vector<std::string>& paths) override;

    // Files given to the program or dropped on its window, each taken by
    // the command that opens its kind (see open_file.h), in order.
    void openFiles(const std::vector<std::string>& paths);

    const WorkPaths& paths() const { return paths_; }
    ShellState& state() { return state_; }
    // The archive chosen with Load_Tpa, as the core reads it.
    const archive::TpaArchive& loadedArchive() const { return archive_; }
    SoundInfo& soundInfo() { return sound_; }

    // The archive window's side: a row chosen there makes its record the
    // current entry as the trackbar does (the "#" field and the thumb), without
    // playing; the window's sound ends the main window's progress animation.
    void showEntryFromArchiveWindow(int index);
    void stopMainProgress() { stopProgress(); }
    // Opens the archive window on the loaded archive, asking for one first
    // when none is loaded.
    void openArchiveWindow();
    // The window, once it was asked for (null before).
    ArchiveWindowController* archiveWindow() { return archiveWindow_.get(); }
    // The archive window saved an archive at path: the main window loads it
    // and the archive window shows it.
    void loadSavedArchive(const std::string& path);

private:
    // The table names each command's handler and the condition it needs.
    friend std::vector<CommandRow> menuCommands();
    friend std::vector<CommandRow> controlCommands();

    // Steps shared by several commands.
    void stopPlayback();
    void stopProgress();
    void startProgress();
    // Plays the sound that is in the working files without extracting it anew.
    void playLastExtracted();
    // Plays entriesWav, decoding it into decodedWav first when it is IMA
    // ADPCM. False, with the reason shown, when nothing could be played.
    bool playExtracted();
    void showCaption();
    // Writes entry index of the loaded archive into entriesWav, takes its
    // SoundInfo and caption, and shows its identifier and name.
    bool extractEntry(int index);
    // The same for a .cau file.
    bool extractCauFile(const std::string& path);
    void reportUnplayable(const std::string& reason);
    // Reads the integer at the start of the stop flag file into stopRequested.
    void readStopFlag();
    void setPlaybackButtonsEnabled(bool enabled);
    // An archive was chosen and may be played.
    bool archiveReady() const;
    int entryCount() const { return static_cast<int>(archive_.entryCount); }
    // Replay has an entry of the archive to play again (the first is not replayed).
    bool replaysEntry() const { return archiveReady() && state_.currentIndex > 0; }
    // Save_as_Wav has a sound to keep: a chosen .cau, an entry or a foreign play.
    bool hasSoundToSave() const;
    // "-" has a listing name selected other than the placeholder.
    bool selectionRemovable() const;
    // Listings in the sound list, the first included.
    int listingCount() const { return static_cast<int>(eelList_.size); }
    void showNumber(int controlId, int value);

    void openFile(const std::string& path);
    // Shows the archive window on the loaded archive; a box says why not.
    void showArchiveWindow();
    // After a command or the trackbar: the window follows the current entry,
    // and shows the archive anew when another one was loaded or it grew.
    void updateArchiveWindow(int indexBefore);

    // Commands. Those that ask for a file go on in the ...File function
    // with the file chosen, which also takes a file given to the program.
    void loadTpa();
    void loadTpaFile(const std::string& path);
    void newTpa();
    // Add_Wav (wav) and Add_Cau.
    void addSound(bool wav);
    // The .cau an add appends: the one chosen, or for Add_Wav the chosen
    // .wav made into one in Tpa_Wavs. An empty path: nothing to add.
    struct SoundToAdd {
        std::string path;
        std::string failure;  // why nothing is to be added, when not a cancel or a refusal
    };
    SoundToAdd chooseSoundToAdd(bool wav);
    // Appends the sound under name and updates the loaded archive's counts.
    struct AddAttempt {
        archive::AddOutcome outcome = archive::AddOutcome::NothingDone;
        std::string failure;  // why nothing was added, when not a cancel
    };
    AddAttempt runAdd(const std::string& name, bool wav);
    void reportAdd(const AddAttempt& attempt, bool wav);
    // SaveAll_Wav (wav) and SaveAll_Cau.
    void saveAll(bool wav);
    void betaToRetail();
    void playWav();
    void playForeignFile(const std::string& path);
    void reportForeignPlay(const import::ForeignPlayOutcome& outcome);
    void playCau();
    void playCauFile(const std::string& path);
    void wavToCau();
    void cauToWav();
    void dirToCaus();
    // The sound list.
    void showList(const std::vector<std::string>& items);
    void resetList();
    void loadEel();
    void loadEelFile(const std::string& path);
    void saveEel();
    void addListing();
    void removeListing();
    void causToEel();
    void eelToTpa();
    void causToTpa();
    void next();
    void previous();
    void autoPlay();
    void saveAsCau();
    void selectListing(int notification);
    void stop();
    void replay();
    void saveAsWav();
    void toggleFileNames();
    void toggleUpdater();
    void openHelp();
    void takeTrackbarPosition();
    void updateHoverLabels(int x, int y);

    // The file name Save_as_Wav and Save_as_Cau give the current entry,
    // without extension.
    std::string savedEntryStem() const;

    platform::Platform& platform_;
    StatusLine status_;
    WorkPaths paths_;
    ShellState state_;
    SoundInfo sound_;
    archive::TpaArchive archive_;
    std::string loadFailure_;  // why the last archive given could not be loaded
    lists::EelList eelList_;
    std::unique_ptr<ArchiveWindowController> archiveWindow_;
};

// The program from start to exit: start-up, the files given to the program
// (see Shell::openFiles), the message loop, and the exit code (0 after a
// normal close, and when the window could not be made).
int runSonkrate(platform::Platform& platform, const std::vector<std::string>& files = {});

}  // namespace sonkrate::app
