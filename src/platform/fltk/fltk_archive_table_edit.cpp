// In-place editing in the archive table: the editor laid over its cell,
// kept on it while columns are resized and the window sized, confirmed when
// its row scrolls out of view; and the slow second click that asks for it.
#include "platform/fltk/fltk_archive_look.h"
#include "platform/fltk/fltk_archive_table.h"
#include "platform/fltk/fltk_archive_widgets.h"

#include <FL/Fl.H>
#include <FL/Fl_Scroll.H>
#include <FL/Fl_Scrollbar.H>

#include <algorithm>

namespace sonkrate::platform::desktop {

namespace {

// How long a second click may follow a click on the focused row and still
// make a double click (which plays) rather than ask to edit.
constexpr double kEditDelay = 0.5;

}  // namespace

void ArchiveTable::buildEditor() {
    // Children of the table live in its inner group, shown only while editing.
    begin();
    editor_ = new CellEditor();
    end();
    table->box(FL_NO_BOX);
    table->color(FL_WHITE);
    table->hide();
    editor_->hide();
    editor_->box(FL_BORDER_BOX);
    editor_->color(FL_WHITE);
    editor_->selection_color(kSelection);
    editor_->textfont(kTableFont);
    editor_->textsize(kTableFontSize);
    editor_->ended = [this](bool confirm) { endEdit(confirm, true); };
    editor_->focusLost = [this] { endEdit(true, false); };
    editor_->when(FL_WHEN_CHANGED);
    editor_->callback(
        [](Fl_Widget*, void* data) {
            auto* self = static_cast<ArchiveTable*>(data);
            if (self->events_.editorTyped) self->events_.editorTyped();
        },
        this);
}

const Fl_Widget* ArchiveTable::editor() const { return editor_; }

std::string ArchiveTable::editText() const { return editor_->value(); }

void ArchiveTable::editCell(int row, int column, const std::string& text) {
    cancelEditRequest();
    if (editing_) endEdit(false, false);
    if (row < 0 || row >= rows() || column < 0 || column >= cols()) return;
    scrollIntoView(row);
    scrollColumnIntoView(column);
    editRow_ = row;
    editColumn_ = column;
    editing_ = true;
    editor_->value(text.c_str());
    table->show();
    editor_->show();
    placeEditor();
    editor_->take_focus();
    editor_->position(editor_->size(), 0);  // the whole text selected
    redraw();
}

void ArchiveTable::endEdit(bool confirm, bool keyboardBack) {
    if (!editing_) return;
    editing_ = false;
    Fl::remove_timeout(&ArchiveTable::editOutOfView, this);
    std::string text = editor_->value();
    int row = editRow_, column = editColumn_;
    editRow_ = editColumn_ = -1;
    bool hadKeyboard = Fl::focus() == editor_;
    editor_->hide();
    table->hide();
    if (keyboardBack && hadKeyboard) take_focus();
    redraw();
    if (confirm && events_.cellEdited) events_.cellEdited(row, column, text);
}

void ArchiveTable::takeKeyboard() {
    if (editing_) endEdit(true, true);
    if (Fl::focus() != this) take_focus();
}

void ArchiveTable::draw() {
    if (editing_) placeEditor();
    Fl_Table_Row::draw();
}

void ArchiveTable::placeEditor() {
    int x = 0, y = 0, w = 0, h = 0;
    if (find_cell(CONTEXT_CELL, editRow_, editColumn_, x, y, w, h) != 0) return;
    int left = std::max(x, tix), right = std::min(x + w, tix + tiw);
    if (y < tiy || y + h > tiy + tih || right - left < 8) {
        // Scrolled away: the edit is confirmed once this drawing is done.
        Fl::add_timeout(0.0, &ArchiveTable::editOutOfView, this);
        return;
    }
    if (editor_->x() != left || editor_->y() != y || editor_->w() != right - left || editor_->h() != h)
        editor_->resize(left, y, right - left, h);
}

void ArchiveTable::editOutOfView(void* data) { static_cast<ArchiveTable*>(data)->endEdit(true, true); }

void ArchiveTable::scrollColumnIntoView(int column) {
    if (table_w <= tiw) return;
    long left = col_scroll_position(column);
    long view = static_cast<long>(hscrollbar->value());
    long target = view;
    if (left < view)
        target = left;
    else if (left + col_width(column) > view + tiw)
        target = std::min(left, left + col_width(column) - tiw);
    if (target == view) return;
    hscrollbar->Fl_Slider::value(std::min(static_cast<double>(target), hscrollbar->maximum()));
    table_scrolled();
    redraw();
}

void ArchiveTable::scheduleEditRequest(int row, int column) {
    cancelEditRequest();
    requestRow_ = row;
    requestColumn_ = column;
    Fl::add_timeout(kEditDelay, &ArchiveTable::editRequestDue, this);
}

void ArchiveTable::cancelEditRequest() {
    requestRow_ = requestColumn_ = -1;
    Fl::remove_timeout(&ArchiveTable::editRequestDue, this);
}

void ArchiveTable::editRequestDue(void* data) {
    auto* self = static_cast<ArchiveTable*>(data);
    if (Fl::pushed() == self) {
        // The button is still down: a drag may follow. Look again shortly.
        Fl::add_timeout(0.1, &ArchiveTable::editRequestDue, self);
        return;
    }
    int row = self->requestRow_, column = self->requestColumn_;
    self->requestRow_ = self->requestColumn_ = -1;
    if (row < 0 || row != self->focus_ || row >= self->rows() || Fl::focus() != self || self->editing_) return;
    if (self->events_.editRequest) self->events_.editRequest(row, column);
}

}  // namespace sonkrate::platform::desktop
