// The ids of the main window's controls and of the menu commands. A control
// that sends a command sends its own id.
#pragma once

namespace sonkrate::app {

// Controls.
inline constexpr int kNextButton = 200;
inline constexpr int kPreviousButton = 300;
inline constexpr int kStopButton = 400;
inline constexpr int kTrackbar = 500;
inline constexpr int kProgressBar = 700;
inline constexpr int kReplayButton = 1100;
inline constexpr int kRepeatLabel = 1150;
inline constexpr int kReplayStrip = 1200;
inline constexpr int kStopLabel = 1250;
inline constexpr int kStopStrip = 1300;
inline constexpr int kStatusLine = 1500;
inline constexpr int kSoundIdInput = 1900;
inline constexpr int kSoundIdLabel = 2000;
inline constexpr int kEelListBox = 2200;
inline constexpr int kFileNamesLabel = 2600;
inline constexpr int kFileNamesCheckBox = 2650;
inline constexpr int kAddListingButton = 2700;
inline constexpr int kRemoveListingButton = 2750;
inline constexpr int kCrcLabel = 2800;
inline constexpr int kCrcField = 2850;
inline constexpr int kIdsLabel = 2900;
inline constexpr int kIdsField = 2950;
inline constexpr int kNumberLabel = 3000;
inline constexpr int kNumberField = 3100;
inline constexpr int kCaptionInput = 3600;
inline constexpr int kEntriesLabel = 4300;
inline constexpr int kEntriesField = 4400;

// Bitmap resources.
inline constexpr int kRepeatBitmap = 1150;
inline constexpr int kStripBitmap = 1200;
inline constexpr int kStopBitmap = 1250;
inline constexpr int kProgramIcon = 50;

// Menu commands.
inline constexpr int kCmdLoadTpa = 100;
inline constexpr int kCmdPlayCau = 600;
inline constexpr int kCmdAutoPlay = 800;
inline constexpr int kCmdSaveAsWav = 1350;
inline constexpr int kCmdSaveAsCau = 1600;
inline constexpr int kCmdWavToCau = 1650;
inline constexpr int kCmdAddWav = 1700;
inline constexpr int kCmdPlayWav = 1800;
inline constexpr int kCmdAddCau = 1850;
inline constexpr int kCmdNewTpa = 2050;
inline constexpr int kCmdHelpFiles = 2100;
inline constexpr int kCmdEelToTpa = 2400;
inline constexpr int kCmdSaveEel = 2450;
inline constexpr int kCmdLoadEel = 2500;
inline constexpr int kCmdBetaToRetail = 3200;
inline constexpr int kCmdCausToEel = 3300;
inline constexpr int kCmdDirToCaus = 3400;
inline constexpr int kCmdCausToTpa = 3500;
inline constexpr int kCmdSaveAllCau = 3700;
inline constexpr int kCmdCauToWav = 3800;
inline constexpr int kCmdSaveAllWav = 3900;
inline constexpr int kCmdUpdater = 4200;
inline constexpr int kCmdArchiveWindow = 4500;

// The archive window's menu commands.
inline constexpr int kCmdBrowserExportWav = 5010;
inline constexpr int kCmdBrowserExportCau = 5020;
inline constexpr int kCmdBrowserExportAllWav = 5030;
inline constexpr int kCmdBrowserExportAllCau = 5040;
inline constexpr int kCmdBrowserClose = 5050;
inline constexpr int kCmdBrowserSave = 5060;
inline constexpr int kCmdBrowserSaveAs = 5070;
inline constexpr int kCmdBrowserSelectAll = 5110;
inline constexpr int kCmdBrowserFind = 5120;
inline constexpr int kCmdBrowserUndo = 5130;
inline constexpr int kCmdBrowserRedo = 5140;
inline constexpr int kCmdBrowserReplace = 5150;
inline constexpr int kCmdBrowserAdd = 5160;
inline constexpr int kCmdBrowserRemove = 5170;
inline constexpr int kCmdBrowserRename = 5180;
inline constexpr int kCmdBrowserCaptions = 5190;
inline constexpr int kCmdBrowserImportSubRip = 5191;
inline constexpr int kCmdBrowserExportSubRip = 5192;
inline constexpr int kCmdBrowserRevert = 5193;
inline constexpr int kCmdBrowserPlay = 5210;
inline constexpr int kCmdBrowserStop = 5220;
inline constexpr int kCmdBrowserFindNames = 5310;
inline constexpr int kCmdBrowserGuessNames = 5320;
inline constexpr int kCmdBrowserVerify = 5410;

}  // namespace sonkrate::app
