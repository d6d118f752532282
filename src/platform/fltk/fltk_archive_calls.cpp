// What the shell asks of the archive window: showing and closing it, its
// rows, selection and sort arrow, the filter field, the texts, the waveform
// and the progress line. None of these calls reports back to the shell;
// every one marks the UI dump for rewriting.
#include "platform/fltk/fltk_archive_table.h"
#include "platform/fltk/fltk_archive_widgets.h"
#include "platform/fltk/fltk_archive_window.h"
#include "platform/fltk/fltk_menu.h"
#include "platform/fltk/fltk_waveform.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Progress.H>
#include <FL/Fl_Text_Buffer.H>
#include <FL/Fl_Text_Display.H>

namespace sonkrate::platform::desktop {

void FltkArchiveWindow::show() {
    bool first = !window_->shown();
    window_->show();
    if (first) table_->take_focus();
    reportWaveformWidth();
    host_.changed();
}

void FltkArchiveWindow::close() {
    table_->endEdit(false, false);
    window_->hide();
    host_.changed();
}

bool FltkArchiveWindow::isOpen() { return window_->shown() != 0; }

void FltkArchiveWindow::hideForExit() {
    if (window_->shown()) window_->hide();
}

void FltkArchiveWindow::setTitle(const std::string& title) {
    title_ = title;
    window_->copy_label(title_.c_str());
    host_.changed();
}

void FltkArchiveWindow::setCommandEnabled(int commandId, bool enabled) {
    setMenuCommandEnabled(*menu_, commandId, enabled);
    host_.changed();
}

void FltkArchiveWindow::editCell(int position, int column, const std::string& text) {
    table_->editCell(position, column, text);
    host_.changed();
}

void FltkArchiveWindow::setRowCount(int rows) {
    table_->rowCount(rows);
    host_.changed();
}

void FltkArchiveWindow::refreshRows() {
    table_->redraw();
    host_.changed();
}

std::vector<int> FltkArchiveWindow::selectedRows() { return table_->selectedRows(); }

int FltkArchiveWindow::focusedRow() { return table_->focusedRow(); }

void FltkArchiveWindow::selectRows(const std::vector<int>& positions, int focus) {
    table_->selectRows(positions, focus);
    host_.changed();
}

void FltkArchiveWindow::setSortIndicator(int column, bool descending) {
    table_->sortIndicator(column, descending);
    host_.changed();
}

void FltkArchiveWindow::setFilterText(const std::string& text) {
    filter_->value(text.c_str());
    host_.changed();
}

std::string FltkArchiveWindow::filterText() { return filter_->value(); }

void FltkArchiveWindow::focusFilter() {
    filter_->take_focus();
    filter_->position(filter_->size(), 0);  // the whole text selected, to type over
    host_.changed();
}

void FltkArchiveWindow::focusTable() {
    table_->endEdit(false, false);
    table_->take_focus();
    table_->redraw();
    host_.changed();
}

void FltkArchiveWindow::setStatus(const std::string& text) {
    statusText_ = text;
    status_->copy_label(statusText_.c_str());
    status_->redraw();
    host_.changed();
}

void FltkArchiveWindow::setDetails(const std::string& text) {
    detailsText_->text(text.c_str());
    details_->scroll(0, 0);
    host_.changed();
}

void FltkArchiveWindow::setPlayOnSelect(bool on) {
    playOnSelect_->value(on ? 1 : 0);
    host_.changed();
}

void FltkArchiveWindow::setWaveform(const WaveformPicture& picture) {
    waveform_->picture(picture);
    host_.changed();
}

void FltkArchiveWindow::setWaveformCursor(std::optional<std::uint64_t> ms) {
    waveform_->cursor(ms);
    host_.changed();
}

void FltkArchiveWindow::showProgress(const std::string& text, int done, int total) {
    bool appearing = !progressShown_;
    progressShown_ = true;
    progressLabel_ = text;
    progressDone_ = done;
    progressTotal_ = total;
    progressText_->copy_label(progressLabel_.c_str());
    progress_->minimum(0);
    progress_->maximum(static_cast<float>(total > 0 ? total : 1));
    progress_->value(static_cast<float>(total > 0 ? std::min(done, total) : 0));
    if (appearing) {
        progressText_->show();
        progress_->show();
        cancel_->show();
        layout();
    }
    window_->redraw();
    host_.changed();
}

void FltkArchiveWindow::endProgress() {
    if (!progressShown_) return;
    progressShown_ = false;
    progressText_->hide();
    progress_->hide();
    cancel_->hide();
    layout();
    host_.changed();
}

}  // namespace sonkrate::platform::desktop
