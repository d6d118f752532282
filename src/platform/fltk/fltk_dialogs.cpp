// The desktop backend's dialogs: FLTK's native file choosers with the
// system's refusals of names that do not fit, message boxes and beeps.
#include "platform/fltk/fltk_platform.h"

#include <FL/Fl.H>
#include <FL/Fl_Native_File_Chooser.H>
#include <FL/fl_ask.H>
#include <FL/x.H>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "io/file_system.h"
#include "io/paths.h"
#include "platform/fltk/fltk_choosers.h"
#include "platform/fltk/fltk_common.h"
#include "platform/fltk/fltk_message_dialog.h"
#include "platform/fltk/fltk_widgets.h"

namespace sonkrate::platform::desktop {

namespace {

// "Cau File (*.cau)" with "*.cau" becomes FLTK's "Cau File\t*.cau";
// several patterns (";"-separated, blanks ignored) become "{a,b}".
std::string chooserFilter(const FileDialogOptions& dialog) {
    std::vector<std::string> patterns;
    std::string current;
    for (char c : dialog.filterPattern + ";") {
        if (c == ';') {
            if (!current.empty()) patterns.push_back(current);
            current.clear();
        } else if (c != ' ' && c != '\t') {
            current += c;
        }
    }
    if (patterns.empty()) return {};
    std::string joined = patterns[0];
    if (patterns.size() > 1) {
        joined = "{";
        for (std::size_t i = 0; i < patterns.size(); ++i) {
            if (i) joined += ',';
            joined += patterns[i];
        }
        joined += "}";
    }
    std::string name = dialog.filterText.empty() ? joined : dialog.filterText;
    // The chooser shows the patterns after the name itself: a name that ends
    // in its own list of patterns would show them twice.
    if (const std::size_t open = name.rfind(" ("); open != std::string::npos && open > 0 && name.back() == ')')
        name.resize(open);
    while (!name.empty() && name.back() == ' ') name.pop_back();
    return name + "\t" + joined;
}

// As the system's own dialogs do, a name that does not fit the flags is
// refused with an alert; true when the path is taken. A name that is there
// but is no regular file (a FIFO, a device) is refused saying what it is.
bool pathFitsFlags(const std::string& path, const FileDialogOptions& dialog, bool save) {
    if (!save && (dialog.flags & kFileMustExist) && !isRegularFile(path)) {
        fl_message_title("Open");
        const io::PathKind kind = io::targetKind(path);
        if (kind == io::PathKind::Missing)
            fl_alert("%s\nFile not found.\nCheck the file name and try again.", path.c_str());
        else
            fl_alert("%s\nThis is %s, not a file that can be opened.", path.c_str(), io::pathKindText(kind));
        return false;
    }
    std::string folder = io::folderOf(path);
    if ((dialog.flags & kPathMustExist) && !isFolder(folder.empty() ? "." : folder)) {
        fl_message_title(save ? "Save As" : "Open");
        fl_alert("%s\nPath does not exist.\nCheck the path and try again.", path.c_str());
        return false;
    }
    return true;
}

// Shows the chooser once: the chosen paths, the default extension added to
// a name typed without one; empty when it was cancelled.
std::vector<std::string> chooseOnce(const FileDialogOptions& dialog, ChooserKind kind, const std::string& preset) {
    bool save = kind == ChooserKind::Save;
    Fl_Native_File_Chooser chooser(save                              ? Fl_Native_File_Chooser::BROWSE_SAVE_FILE
                                   : kind == ChooserKind::OpenSeveral ? Fl_Native_File_Chooser::BROWSE_MULTI_FILE
                                                                      : Fl_Native_File_Chooser::BROWSE_FILE);
    chooser.title(save ? "Save As" : "Open");
    std::string filter = chooserFilter(dialog);
    if (!filter.empty()) chooser.filter(filter.c_str());
    if (!dialog.initialFolder.empty()) chooser.directory(dialog.initialFolder.c_str());
    if (!preset.empty()) chooser.preset_file(preset.c_str());
    // The question before writing over a file is asked once the extension
    // is added, so that it covers the name that will be written.
    chooser.options(save ? Fl_Native_File_Chooser::NEW_FOLDER : Fl_Native_File_Chooser::NO_OPTIONS);
    std::vector<std::string> paths;
    if (chooser.show() != 0) return paths;
    for (int i = 0; i < std::max(chooser.count(), 1); ++i) {
        const char* name = chooser.filename(i);
        if (!name || !*name) continue;
        std::string path = name;
        if (save && !dialog.defaultExtension.empty() && io::fileNameOf(path).find('.') == std::string::npos)
            path += '.' + dialog.defaultExtension;
        paths.push_back(path);
    }
    return paths;
}

// As the system's own dialogs do, asks before a file that exists is written over.
bool mayWriteOver(const std::string& path, const FileDialogOptions& dialog, Fl_Window* over) {
    if (!(dialog.flags & kOverwritePrompt) || !isRegularFile(path)) return true;
    std::string question = io::fileNameOf(path) + " already exists.\nDo you want to replace it?";
    return runMessageDialog("Confirm Save As", question, DialogIcon::Warning, {"Yes", "No"}, over) == 0;
}

}  // namespace

std::vector<std::string> choosePaths(const FileDialogOptions& dialog, ChooserKind kind, Fl_Window* over) {
    bool save = kind == ChooserKind::Save;
    std::string preset = dialog.initialName;
    for (;;) {
        std::vector<std::string> paths = chooseOnce(dialog, kind, preset);
        if (paths.empty()) return paths;
        bool taken = true;
        for (const std::string& path : paths) {
            taken = pathFitsFlags(path, dialog, save) && (!save || mayWriteOver(path, dialog, over));
            if (!taken) {
                // The dialog comes back with the refused name in it.
                preset = path;
                break;
            }
        }
        if (taken) return paths;
    }
}

std::optional<std::string> FltkPlatform::fileDialog(const FileDialogOptions& dialog, bool save) {
    if (!openDisplay()) return std::nullopt;
    changed();
    std::vector<std::string> paths = choosePaths(dialog, save ? ChooserKind::Save : ChooserKind::Open, window_);
    changed();
    if (paths.empty()) return std::nullopt;
    return paths.front();
}

std::optional<std::string> FltkPlatform::openFileDialog(const FileDialogOptions& dialog) { return fileDialog(dialog, false); }

std::optional<std::string> FltkPlatform::saveFileDialog(const FileDialogOptions& dialog) { return fileDialog(dialog, true); }

MessageResult FltkPlatform::messageBox(const std::string& text, const std::string& caption, MessageIcon icon,
                                       MessageButtons buttons) {
    ++messageBoxes_;
    messageOpen_ = true;
    messageCaption_ = caption;
    messageText_ = text;
    if (!dumpPath_.empty()) writeDump();
    MessageResult result = buttons == MessageButtons::YesNo ? MessageResult::Yes : MessageResult::Ok;
    if (!openDisplay()) {
        std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    } else {
        fl_message_title(caption.c_str());
        switch (buttons) {
        case MessageButtons::Ok:
            if (icon == MessageIcon::Warning || icon == MessageIcon::Error)
                fl_alert("%s", text.c_str());
            else
                fl_message("%s", text.c_str());
            break;
        case MessageButtons::OkCancel:
            result = fl_choice("%s", "Cancel", "OK", nullptr, text.c_str()) == 1 ? MessageResult::Ok : MessageResult::Cancel;
            break;
        case MessageButtons::YesNo:
            result = fl_choice("%s", "No", "Yes", nullptr, text.c_str()) == 1 ? MessageResult::Yes : MessageResult::No;
            break;
        }
    }
    messageOpen_ = false;
    changed();
    return result;
}

void FltkPlatform::beep(Beep kind) {
    // The refusal rings at full volume, the done signal at half.
    if (kind == Beep::Done) {
        ++beepsDone_;
        if (fl_display) fl_beep(FL_BEEP_MESSAGE);
    } else {
        ++beepsRefused_;
        if (fl_display) fl_beep(FL_BEEP_ERROR);
    }
    changed();
}

}  // namespace sonkrate::platform::desktop
