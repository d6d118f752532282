// The runs of window_smoke.exe, each returning the number of failed
// checks, and the start-up of sonkrate.exe that two of them share.
#pragma once

#include <string>

#include "win_probe.h"

namespace sonkrate::wintest {

// The window at start-up, its menu, one command and its clean-up at exit.
int checkMainWindow(const std::string& sonkrateExe, const std::string& hookLibrary);
// Load_Tpa through the open dialog, the menu it enables, then Auto_Play
// stopped by the kill switch.
int checkAutoPlay(const std::string& sonkrateExe, const std::string& hookLibrary);
// sonkrate.exe as the installer left it: an archive given as its argument
// and one opened through its file type.
int checkInstalled(const std::string& sonkrateExe);
// An archive given as the argument: the archive window with its rows and
// columns, hidden by its close box.
int checkArchiveWindow(const std::string& sonkrateExe);
// A .wav dropped on a row of the archive window replaces that record's
// sound, and saving writes it.
int checkArchiveDrop(const std::string& sonkrateExe, const std::string& hookLibrary);
// auto_stop.exe alone: its window, the flag it writes, a flag it cannot write.
int checkKillSwitch(const std::string& autoStopExe);

// Starts sonkrate.exe in its own folder and waits for its main window with
// all of its controls; null (and a failure recorded) when it does not come.
HWND startSonkrate(Process& process, const std::string& sonkrateExe, Checks& checks);
// Makes archivePath: the default sound, then added sounds named "<namePrefix> 1",
// "<namePrefix> 2" ..., each a copy of the missing sound written as tone.cau in folder.
bool makeToneArchive(Checks& checks, const std::string& folder, const std::string& archivePath, int added,
                     const std::string& namePrefix);
// Closes the window with WM_CLOSE and checks that the process ends with 0.
void closeSonkrate(Process& process, HWND window, Checks& checks);

}  // namespace sonkrate::wintest
