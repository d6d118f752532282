// What the shell needs from the desktop: the window and its controls, the
// menu, dialogs, message boxes, beeps, sound, the kill switch, folders and a
// clock. One backend per executable implements Platform (headless for the
// tests, FLTK on Linux, Win32 on Windows); events come back through EventSink.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/archive_window.h"

namespace sonkrate::platform {

// ---- Descriptions the shell hands to the backend ---------------------------

enum class ControlKind {
    PushButton,
    CheckBox,    // an automatic check box: it toggles its own mark
    Edit,
    Static,      // a text label
    Bitmap,      // a static showing one of the program's bitmaps
    ListBox,
    ProgressBar,
    Trackbar,
};

// Style bits of a control beyond "child and visible". The backend maps them
// to its own widgets' options.
enum ControlStyle : unsigned {
    kStyleNone = 0,
    kClientEdge = 1u << 0,       // sunken border
    kVerticalScroll = 1u << 1,
    kReadOnly = 1u << 2,
    kMultiline = 1u << 3,
    kNumbersOnly = 1u << 4,
    kUpperCase = 1u << 5,
    kAlignRight = 1u << 6,
    kAlignCenter = 1u << 7,
    kAutoVerticalScroll = 1u << 8,
    kSimpleLabel = 1u << 9,      // one line, no wrapping
    kNotify = 1u << 10,          // the list box reports selection changes
    kDisableNoScroll = 1u << 11, // the list box's scroll bar stays, greyed
    kNoTicks = 1u << 12,         // trackbar without tic marks
    kFixedLength = 1u << 13,     // trackbar thumb of fixed length
};

// When the shell creates a control during start-up.
enum class CreationPhase {
    WithWindow,     // while the main window is being created
    AfterShow,      // right after the window is shown
    Bitmaps,        // last, after the sound list is filled
};

struct ControlDescription {
    int id = 0;
    ControlKind kind = ControlKind::Static;
    std::string_view text;   // initial text ("" for none)
    unsigned style = kStyleNone;
    int x = 0, y = 0, width = 0, height = 0;  // client pixels
    bool guiFont = false;    // the system's GUI font instead of the default one
    int bitmapId = 0;        // Bitmap: the resource shown
    CreationPhase phase = CreationPhase::AfterShow;
    // Bitmap: the word its image shows ("" for a plain strip), for backends
    // that draw the picture instead of loading the resource.
    std::string_view bitmapWord = {};
};

// An item with no text is a divider: a line between two groups of items.
struct MenuItem {
    std::string_view text;
    int commandId = 0;
    bool grayed = false;     // initial state
    // A keyboard accelerator shown beside the text and sent as the command:
    // "Ctrl+E", "Ctrl+Shift+S", "F5", "Del"; empty for none.
    std::string_view shortcut = {};
};

struct MenuPopup {
    std::string_view title;
    std::vector<MenuItem> items;
};

struct WindowDescription {
    std::string_view className;
    std::string_view title;
    int x = 0, y = 0, width = 0, height = 0;
    int smallIconId = 0;
};

struct ScreenSize {
    int width = 0;
    int height = 0;
};

enum class WindowResult { Created, RegistrationFailed, CreationFailed };

// File dialog options; the values are those of the Windows common dialogs so
// that the Win32 backend passes them through unchanged.
enum DialogFlag : unsigned {
    kOverwritePrompt = 0x2,
    kHideReadOnly = 0x4,
    kPathMustExist = 0x800,
    kFileMustExist = 0x1000,
    kExplorer = 0x80000,
};

struct FileDialogOptions {
    std::string filterText;      // "Cau File (*.cau)"
    std::string filterPattern;   // "*.cau"
    unsigned flags = 0;
    std::string initialFolder;   // empty: the system's choice
    std::string initialName;     // text already in the name field
    std::string defaultExtension;  // appended to a name typed without one; empty: none
};

enum class MessageIcon { None, Information, Warning, Error };
enum class MessageButtons { Ok, OkCancel, YesNo };
enum class MessageResult { Ok, Cancel, Yes, No };

// The two audible signals of the shell.
enum class Beep { Refused, Done };

// ---- Events from the backend to the shell ----------------------------------

class EventSink {
public:
    virtual ~EventSink() = default;
    // The main window is being created: the shell creates its first
    // controls and installs the menu.
    virtual void onCreate() = 0;
    // A menu item or control: its command id and notification code.
    virtual void onCommand(int id, int notification) = 0;
    virtual void onTimer(int timerId) = 0;
    virtual void onTrackbarScroll() = 0;
    // The left button released over the main window's own client area.
    virtual void onLeftButtonUp() = 0;
    // Pointer position in client pixels.
    virtual void onMouseMove(int x, int y) = 0;
    // The user asks to close the main window (its close box, a quit command,
    // the session ending): true lets it close, false keeps the program
    // running. Closes that cannot be refused go straight to onDestroy.
    virtual bool onCloseRequest() { return true; }
    // The main window is being destroyed.
    virtual void onDestroy() = 0;
    // Files dropped on the main window, as full paths in UTF-8.
    virtual void onFilesDropped(const std::vector<std::string>& paths) = 0;
};

// Notification code of a list box selection change.
inline constexpr int kListSelectionChanged = 1;
// The only timer the shell uses.
inline constexpr int kTimer1 = 1;

// ---- The platform ----------------------------------------------------------

class Platform {
public:
    virtual ~Platform() = default;

    // Main window and message loop.
    virtual ScreenSize screenSize() = 0;
    // Creates the window; events go to sink from now on, onCreate first.
    virtual WindowResult createMainWindow(const WindowDescription& window, EventSink& sink) = 0;
    virtual void showMainWindow() = 0;
    virtual void createControl(const ControlDescription& description) = 0;
    virtual void installMenu(const std::vector<MenuPopup>& menu) = 0;
    // Runs until postQuit; returns its exit code.
    virtual int runMessageLoop() = 0;
    virtual void postQuit(int exitCode) = 0;
    virtual void minimiseWindow() = 0;
    virtual void restoreWindow() = 0;
    // Redraws the window now (used while a long command blocks the loop).
    virtual void repaint() = 0;

    // Controls by id.
    virtual void setText(int controlId, const std::string& text) = 0;
    virtual std::string text(int controlId) = 0;
    virtual void setEnabled(int controlId, bool enabled) = 0;
    virtual void setShown(int controlId, bool shown) = 0;

    // Menu items by command id.
    virtual void setMenuItemEnabled(int commandId, bool enabled) = 0;

    // Trackbar (the position is clamped to the range, as the control does).
    virtual void setTrackbarRange(int controlId, int low, int high) = 0;
    virtual int trackbarPosition(int controlId) = 0;
    virtual void setTrackbarPosition(int controlId, int position) = 0;
    virtual void setTrackbarTicFrequency(int controlId, int frequency) = 0;

    // Progress bar.
    virtual void setProgressRange(int controlId, int low, int high) = 0;
    virtual void setProgressStep(int controlId, int step) = 0;
    virtual void setProgressPosition(int controlId, int position) = 0;
    virtual void progressStepIt(int controlId) = 0;

    // List box.
    virtual void listReset(int controlId) = 0;
    virtual void listAddString(int controlId, const std::string& item) = 0;
    // The focused item, or -1 when the list is empty.
    virtual int listCaretIndex(int controlId) = 0;
    virtual std::string listItemText(int controlId, int index) = 0;
    virtual int listCount(int controlId) = 0;

    // Timer 1 of the main window; starting it again replaces it.
    virtual void startTimer(int timerId, int periodMs) = 0;
    virtual void stopTimer(int timerId) = 0;

    // File dialogs: the chosen path, or nothing when cancelled.
    virtual std::optional<std::string> openFileDialog(const FileDialogOptions& options) = 0;
    virtual std::optional<std::string> saveFileDialog(const FileDialogOptions& options) = 0;

    virtual MessageResult messageBox(const std::string& text, const std::string& caption,
                                     MessageIcon icon, MessageButtons buttons) = 0;
    virtual void beep(Beep kind) = 0;

    // Plays a .wav file without waiting; a new sound ends the one playing.
    virtual void playWavAsync(const std::string& path) = 0;
    virtual void stopSound() = 0;

    // Opens a document with the desktop's handler; false when that failed.
    virtual bool openThroughDesktop(const std::string& path) = 0;

    // Starts the kill switch program, which stops automatic play by writing
    // a non-zero integer at the start of stopFlagPath; false when it could
    // not be started.
    virtual bool startKillSwitch(const std::string& programPath, const std::string& stopFlagPath) = 0;
    // Closes the kill switch's window (found by its title) if it is open.
    virtual void closeKillSwitch(const std::string& windowTitle) = 0;

    // Folders and the program's own path.
    virtual std::string documentsFolder() = 0;
    virtual std::string executablePath() = 0;
    // A folder for the working files of a user when the program's folder is
    // not writable.
    virtual std::string userDataFolder() = 0;

    // A millisecond clock and a sleep that blocks the calling thread.
    virtual std::uint64_t milliseconds() = 0;
    virtual void sleep(std::uint32_t ms) = 0;

    // The archive window, made hidden on the first call and kept until the
    // program ends (later calls return the same window and ignore their
    // arguments).
    virtual ArchiveWindow* archiveWindow(const ArchiveWindowDescription& description, ArchiveWindowSink& sink) = 0;
};

}  // namespace sonkrate::platform
