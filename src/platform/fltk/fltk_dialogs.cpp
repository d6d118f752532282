// The desktop backend's dialogs: FLTK's native file choosers with the
// system's refusals of names that do not fit, message boxes and beeps.
#include "platform/fltk/fltk_platform.h"

#include <FL/Fl.H>
#include <FL/Fl_Native_File_Chooser.H>
#include <FL/fl_ask.H>
#include <FL/x.H>

#include <cstdio>
#include <vector>

#include "io/paths.h"
#include "platform/fltk/fltk_common.h"

namespace sonkrate::platform::desktop {

namespace {

// "Cau File (*.cau)" with "*.cau" becomes FLTK's "Cau File (*.cau)\t*.cau";
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
    while (!name.empty() && name.back() == ' ') name.pop_back();
    return name + "\t" + joined;
}

// As the system's own dialogs do, a name that does not fit the flags is
// refused with an alert; true when the path is taken.
bool pathFitsFlags(const std::string& path, const FileDialogOptions& dialog, bool save) {
    if (!save && (dialog.flags & kFileMustExist) && !isRegularFile(path)) {
        fl_message_title("Open");
        fl_alert("%s\nFile not found.\nCheck the file name and try again.", path.c_str());
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

// Shows the chooser once; the chosen path, or none when it was cancelled.
std::optional<std::string> chooseOnce(const FileDialogOptions& dialog, bool save, const std::string& preset) {
    Fl_Native_File_Chooser chooser(save ? Fl_Native_File_Chooser::BROWSE_SAVE_FILE : Fl_Native_File_Chooser::BROWSE_FILE);
    chooser.title(save ? "Save As" : "Open");
    std::string filter = chooserFilter(dialog);
    if (!filter.empty()) chooser.filter(filter.c_str());
    if (!dialog.initialFolder.empty()) chooser.directory(dialog.initialFolder.c_str());
    if (!preset.empty()) chooser.preset_file(preset.c_str());
    int options = Fl_Native_File_Chooser::NO_OPTIONS;
    if (save && (dialog.flags & kOverwritePrompt)) options |= Fl_Native_File_Chooser::SAVEAS_CONFIRM;
    if (save) options |= Fl_Native_File_Chooser::NEW_FOLDER;
    chooser.options(options);
    if (chooser.show() != 0 || !chooser.filename() || !*chooser.filename()) return std::nullopt;
    std::string path = chooser.filename();
    if (!dialog.defaultExtension.empty() && io::fileNameOf(path).find('.') == std::string::npos)
        path += '.' + dialog.defaultExtension;
    return path;
}

}  // namespace

std::optional<std::string> FltkPlatform::fileDialog(const FileDialogOptions& dialog, bool save) {
    if (!openDisplay()) return std::nullopt;
    std::string preset = dialog.initialName;
    for (;;) {
        changed();
        std::optional<std::string> path = chooseOnce(dialog, save, preset);
        if (!path || pathFitsFlags(*path, dialog, save)) return path;
        // The dialog comes back with the refused name in it.
        preset = *path;
    }
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
