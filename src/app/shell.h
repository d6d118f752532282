// The shell: the window's behaviour over the platform API. It owns the
// working paths and the application-wide state, builds the window at
// start-up, turns every command into core calls and reports through the
// status line, the beeps and message boxes.
#pragma once

#include <string>

#include "app/shell_state.h"
#include "app/status_line.h"
#include "app/work_paths.h"
#include "platform/platform.h"

namespace sonkrate::app {

class Shell : public platform::EventSink {
public:
    explicit Shell(platform::Platform& platform);

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
    void onDestroy() override;

    const WorkPaths& paths() const { return paths_; }
    ShellState& state() { return state_; }
    SoundInfo& soundInfo() { return sound_; }
    CommandValues& values() { return values_; }

private:
    // Steps shared by several commands.
    void stopPlayback();
    void stopProgress();
    void startProgress();
    // Plays the sound that is in the working files without extracting it anew.
    void playLastExtracted();
    void showCaption();
    void setPlaybackButtonsEnabled(bool enabled);
    void showNumber(int controlId, int value);

    // Commands.
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
    CommandValues values_;
};

// The program from start to exit: start-up, the message loop, and the exit
// code (0 after a normal close, and when the window could not be made).
int runSonkrate(platform::Platform& platform);

}  // namespace sonkrate::app
