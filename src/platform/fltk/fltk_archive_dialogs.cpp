// The archive window's dialogs: a folder through FLTK's native chooser and
// a line of text. While one is open the UI dump names it.
#include "platform/fltk/fltk_archive_window.h"

#include <FL/Fl.H>
#include <FL/Fl_Native_File_Chooser.H>
#include <FL/fl_ask.H>

namespace sonkrate::platform::desktop {

std::optional<std::string> FltkArchiveWindow::chooseFolder(const std::string& title, const std::string& initial) {
    Fl_Native_File_Chooser chooser(Fl_Native_File_Chooser::BROWSE_DIRECTORY);
    chooser.title(title.c_str());
    if (!initial.empty()) chooser.directory(initial.c_str());
    chooser.options(Fl_Native_File_Chooser::NEW_FOLDER);
    dialogTitle_ = title;
    dialogOpen_ = true;
    host_.changed();
    int shown = chooser.show();
    dialogOpen_ = false;
    host_.changed();
    if (shown != 0 || !chooser.filename() || !*chooser.filename()) return std::nullopt;
    std::string folder = chooser.filename();
    // The chooser may end a folder with its separator; the shell joins names itself.
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return folder;
}

std::optional<std::string> FltkArchiveWindow::askText(const std::string& title, const std::string& prompt,
                                                      const std::string& initial) {
    dialogTitle_ = title;
    dialogOpen_ = true;
    host_.changed();
    fl_message_title(title.c_str());
    const char* answer = fl_input("%s", initial.c_str(), prompt.c_str());
    dialogOpen_ = false;
    host_.changed();
    if (!answer) return std::nullopt;
    return std::string(answer);
}

}  // namespace sonkrate::platform::desktop
