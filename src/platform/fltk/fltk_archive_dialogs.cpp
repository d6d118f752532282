// The archive window's dialogs: a folder and files through FLTK's native
// chooser, a line of text, a question with the shell's buttons, a message,
// and several lines of text to edit. While one is open the UI dump names it.
#include "platform/fltk/fltk_archive_table.h"
#include "platform/fltk/fltk_archive_widgets.h"
#include "platform/fltk/fltk_archive_window.h"
#include "platform/fltk/fltk_choosers.h"
#include "platform/fltk/fltk_message_dialog.h"

#include <FL/Fl.H>
#include <FL/Fl_Native_File_Chooser.H>
#include <FL/fl_ask.H>

namespace sonkrate::platform::desktop {

std::optional<std::string> FltkArchiveWindow::chooseFolder(const std::string& title, const std::string& initial) {
    Fl_Native_File_Chooser chooser(Fl_Native_File_Chooser::BROWSE_DIRECTORY);
    chooser.title(title.c_str());
    if (!initial.empty()) chooser.directory(initial.c_str());
    chooser.options(Fl_Native_File_Chooser::NEW_FOLDER);
    dialogOpens(title);
    int shown = chooser.show();
    dialogCloses();
    if (shown != 0 || !chooser.filename() || !*chooser.filename()) return std::nullopt;
    std::string folder = chooser.filename();
    // The chooser may end a folder with its separator; the shell joins names itself.
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return folder;
}

std::optional<std::string> FltkArchiveWindow::askText(const std::string& title, const std::string& prompt,
                                                      const std::string& initial) {
    dialogOpens(title);
    fl_message_title(title.c_str());
    const char* answer = fl_input("%s", initial.c_str(), prompt.c_str());
    dialogCloses();
    if (!answer) return std::nullopt;
    return std::string(answer);
}

void FltkArchiveWindow::dialogOpens(const std::string& title) {
    table_->endEdit(false, false);
    dialogTitle_ = title;
    dialogOpen_ = true;
    host_.changed();
}

void FltkArchiveWindow::dialogCloses() {
    dialogOpen_ = false;
    host_.changed();
}

std::vector<std::string> FltkArchiveWindow::chooseFiles(const FileDialogOptions& options, bool several) {
    dialogOpens("Open");
    std::vector<std::string> paths = choosePaths(options, several ? ChooserKind::OpenSeveral : ChooserKind::Open, window_);
    dialogCloses();
    return paths;
}

std::optional<std::string> FltkArchiveWindow::chooseSaveFile(const FileDialogOptions& options) {
    dialogOpens("Save As");
    std::vector<std::string> paths = choosePaths(options, ChooserKind::Save, window_);
    dialogCloses();
    if (paths.empty()) return std::nullopt;
    return paths.front();
}

int FltkArchiveWindow::askChoice(const std::string& title, const std::string& message,
                                 const std::vector<std::string>& buttons) {
    dialogOpens(title);
    int chosen = runMessageDialog(title, message, DialogIcon::Question, buttons, window_);
    dialogCloses();
    return chosen;
}

void FltkArchiveWindow::showMessage(const std::string& title, const std::string& message, MessageIcon icon) {
    DialogIcon shown = icon == MessageIcon::Error         ? DialogIcon::Error
                       : icon == MessageIcon::Warning     ? DialogIcon::Warning
                       : icon == MessageIcon::Information ? DialogIcon::Information
                                                          : DialogIcon::Plain;
    dialogOpens(title);
    runMessageDialog(title, message, shown, {"OK"}, window_);
    dialogCloses();
}

std::optional<std::string> FltkArchiveWindow::editLongText(const std::string& title, const std::string& prompt,
                                                           const std::string& text) {
    dialogOpens(title);
    std::optional<std::string> edited = runTextEditorDialog(title, prompt, text, window_);
    dialogCloses();
    return edited;
}

}  // namespace sonkrate::platform::desktop
