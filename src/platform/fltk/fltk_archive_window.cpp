// The archive window: its widgets, their layout, and the events they send
// to the shell.
#include "platform/fltk/fltk_archive_window.h"
#include "platform/fltk/desktop_paths.h"
#include "platform/fltk/fltk_archive_look.h"
#include "platform/fltk/fltk_archive_table.h"
#include "platform/fltk/fltk_archive_widgets.h"
#include "platform/fltk/fltk_menu.h"
#include "platform/fltk/fltk_waveform.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Menu_Bar.H>
#include <FL/Fl_Progress.H>
#include <FL/Fl_Text_Buffer.H>
#include <FL/Fl_Text_Display.H>
#include <FL/fl_draw.H>

#include <algorithm>
#include <cstdint>

namespace sonkrate::platform::desktop {

namespace {

constexpr int kPad = 8;
constexpr int kLineHeight = 26;     // the filter and progress lines
constexpr int kCheckWidth = 130;
constexpr int kWaveformHeight = 100;
constexpr int kDetailsHeight = 86;  // five lines of text
constexpr int kStatusHeight = 20;

void styleLabel(Fl_Widget* w) {
    w->labelfont(kTableFont);
    w->labelsize(kTableFontSize);
}

}  // namespace

FltkArchiveWindow::FltkArchiveWindow(const ArchiveWindowDescription& description, ArchiveWindowSink& sink, Host host)
    : sink_(sink), host_(std::move(host)) {
    build(description);
    connect();
    layout();
}

FltkArchiveWindow::~FltkArchiveWindow() {
    Fl::remove_timeout(&FltkArchiveWindow::waveformWidthDue, this);
    delete window_;  // the widgets go with it; the text buffer after them
}

void FltkArchiveWindow::build(const ArchiveWindowDescription& description) {
    Fl_Group* current = Fl_Group::current();
    Fl_Group::current(nullptr);
    // The size asked for, within the screen's work area.
    int sx = 0, sy = 0, sw = 0, sh = 0;
    Fl::screen_work_area(sx, sy, sw, sh);
    int w = std::clamp(description.width, 480, std::max(sw - 20, 480));
    int h = std::clamp(description.height, 360, std::max(sh - 40, 360));
    window_ = new ArchiveWindowWidget(w, h);
    title_ = description.title;
    window_->copy_label(title_.c_str());
    window_->xclass("sonkrate");
    if (host_.icon) window_->icon(host_.icon);
    window_->color(kWindowBackground);
    menu_ = new Fl_Menu_Bar(0, 0, window_->w(), kArchiveMenuHeight);
    menu_->box(FL_FLAT_BOX);
    menu_->color(kWindowBackground);
    menu_->selection_color(kSelection);
    menu_->down_box(FL_FLAT_BOX);
    menu_->textfont(kTableFont);
    menu_->textsize(kTableFontSize);
    if (description.menu) {
        fillMenuBar(*menu_, *description.menu, [](Fl_Widget* bar, void* data) {
            auto* self = static_cast<FltkArchiveWindow*>(bar->user_data());
            int id = static_cast<int>(reinterpret_cast<std::intptr_t>(data));
            // A command chosen while a cell is edited works on the edit confirmed.
            self->table_->endEdit(true, true);
            self->send([id](ArchiveWindowSink& s) { s.onArchiveCommand(id); });
        });
    }
    filterLabel_ = new Fl_Box(0, 0, 10, 10);
    filterLabel_->copy_label(description.filterLabel.c_str());
    filterLabel_->align(FL_ALIGN_RIGHT | FL_ALIGN_INSIDE);
    styleLabel(filterLabel_);
    filter_ = new FilterInput(0, 0, 10, 10);
    filter_->textfont(kTableFont);
    filter_->textsize(kTableFontSize);
    filter_->box(FL_GTK_DOWN_BOX);
    playOnSelect_ = new Fl_Check_Button(0, 0, 10, 10);
    playOnSelect_->copy_label(description.playOnSelectText.c_str());
    styleLabel(playOnSelect_);
    playOnSelect_->down_box(FL_GTK_DOWN_BOX);
    buildTable(description);
    buildBottom();
    window_->end();
    window_->resizable(window_);
    window_->size_range(480, 360);
    Fl_Group::current(current);
}

void FltkArchiveWindow::buildTable(const ArchiveWindowDescription& description) {
    ArchiveTable::Events e;
    e.cellText = [this](int position, int column) { return sink_.archiveCellText(position, column); };
    e.rowMark = [this](int position) { return sink_.archiveRowMark(position); };
    e.key = [this](ArchiveKey key) { send([key](ArchiveWindowSink& s) { s.onArchiveKey(key, KeyPlace::Table); }); };
    e.headerClick = [this](int column) { send([column](ArchiveWindowSink& s) { s.onArchiveHeaderClick(column); }); };
    e.selectionChanged = [this] { send([](ArchiveWindowSink& s) { s.onArchiveSelectionChanged(); }); };
    e.activated = [this](int row) { send([row](ArchiveWindowSink& s) { s.onArchiveRowActivated(row); }); };
    e.dropped = [this](int row, const std::string& text) { dropped(row, text); };
    e.editRequest = [this](int row, int column) {
        send([row, column](ArchiveWindowSink& s) { s.onArchiveEditRequest(row, column); });
    };
    e.editorTyped = [this] { host_.changed(); };
    e.cellEdited = [this](int row, int column, const std::string& text) {
        send([row, column, &text](ArchiveWindowSink& s) { s.onArchiveCellEdited(row, column, text); });
    };
    table_ = new ArchiveTable(0, 0, 100, 100, description.columns, std::move(e));
}

void FltkArchiveWindow::buildBottom() {
    waveform_ = new WaveformView(0, 0, 100, kWaveformHeight);
    waveform_->clicked = [this](double f) { send([f](ArchiveWindowSink& s) { s.onWaveformClick(f); }); };
    detailsText_ = std::make_unique<Fl_Text_Buffer>();
    details_ = new Fl_Text_Display(0, 0, 100, kDetailsHeight);
    details_->buffer(detailsText_.get());
    details_->textfont(kTableFont);
    details_->textsize(kTableFontSize);
    details_->wrap_mode(Fl_Text_Display::WRAP_AT_BOUNDS, 0);
    details_->box(FL_THIN_DOWN_BOX);
    details_->color(FL_WHITE);
    progressText_ = new Fl_Box(0, 0, 10, 10);
    progressText_->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE | FL_ALIGN_CLIP);
    styleLabel(progressText_);
    progress_ = new Fl_Progress(0, 0, 10, 10);
    progress_->box(FL_GTK_DOWN_BOX);
    progress_->color(FL_WHITE);
    progress_->selection_color(kSelection);
    cancel_ = new Fl_Button(0, 0, 10, 10, "Cancel");
    styleLabel(cancel_);
    cancel_->box(FL_GTK_UP_BOX);
    status_ = new Fl_Box(0, 0, 10, 10);
    status_->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE | FL_ALIGN_CLIP);
    styleLabel(status_);
    progressText_->hide();
    progress_->hide();
    cancel_->hide();
}

void FltkArchiveWindow::connect() {
    menu_->user_data(this);
    window_->laidOut = [this] { layout(); };
    window_->touched = [this] { host_.changed(); };
    // Elsewhere than on a row, a drop counts as one below the rows.
    window_->dropped = [this](const std::string& text) { dropped(-1, text); };
    window_->dropTarget = table_;
    filter_->filesDropped = [this](const std::string& text) { dropped(-1, text); };
    window_->callback(
        [](Fl_Widget*, void* data) {
            // Escape does not close the window; the close box asks the shell.
            if (Fl::event() == FL_SHORTCUT && Fl::event_key() == FL_Escape) return;
            auto* self = static_cast<FltkArchiveWindow*>(data);
            self->table_->endEdit(true, false);
            self->send([](ArchiveWindowSink& s) { s.onArchiveCloseRequest(); });
        },
        this);
    filter_->when(FL_WHEN_CHANGED);
    filter_->callback(
        [](Fl_Widget* w, void* data) {
            std::string text = static_cast<FilterInput*>(w)->value();
            static_cast<FltkArchiveWindow*>(data)->send([&text](ArchiveWindowSink& s) { s.onArchiveFilterChanged(text); });
        },
        this);
    filter_->key = [this](ArchiveKey key) { send([key](ArchiveWindowSink& s) { s.onArchiveKey(key, KeyPlace::Filter); }); };
    playOnSelect_->callback(
        [](Fl_Widget* w, void* data) {
            bool on = static_cast<Fl_Check_Button*>(w)->value() != 0;
            static_cast<FltkArchiveWindow*>(data)->send([on](ArchiveWindowSink& s) { s.onPlayOnSelectToggled(on); });
        },
        this);
    cancel_->callback(
        [](Fl_Widget*, void* data) {
            static_cast<FltkArchiveWindow*>(data)->send([](ArchiveWindowSink& s) { s.onArchiveCancel(); });
        },
        this);
}

void FltkArchiveWindow::dropped(int row, const std::string& text) {
    std::vector<std::string> paths = droppedPaths(text);
    if (!paths.empty()) send([row, &paths](ArchiveWindowSink& s) { s.onArchiveFilesDropped(row, paths); });
}

void FltkArchiveWindow::send(const std::function<void(ArchiveWindowSink&)>& event) {
    host_.changed();
    host_.dispatch([&] { event(sink_); });
    host_.changed();
}

void FltkArchiveWindow::layout() {
    int w = window_->w(), h = window_->h();
    menu_->resize(0, 0, w, kArchiveMenuHeight);
    int y = kArchiveMenuHeight + 6;
    fl_font(kTableFont, kTableFontSize);
    int labelWidth = static_cast<int>(fl_width(filterLabel_->label() ? filterLabel_->label() : "")) + 4;
    filterLabel_->resize(kPad, y, labelWidth, kLineHeight);
    int fieldX = kPad + labelWidth + 6;
    filter_->resize(fieldX, y, std::max(w - fieldX - kPad - kCheckWidth - 10, 60), kLineHeight);
    playOnSelect_->resize(w - kPad - kCheckWidth, y, kCheckWidth, kLineHeight);
    int tableTop = y + kLineHeight + 6;
    int bottom = h - 4;
    status_->resize(kPad, bottom - kStatusHeight, w - 2 * kPad, kStatusHeight);
    bottom -= kStatusHeight + 2;
    if (progressShown_) {
        int textWidth = std::min(320, w / 3);
        progressText_->resize(kPad, bottom - kLineHeight, textWidth, kLineHeight);
        cancel_->resize(w - kPad - 80, bottom - kLineHeight, 80, kLineHeight);
        progress_->resize(kPad + textWidth + 6, bottom - kLineHeight + 4, w - 2 * kPad - textWidth - 92, kLineHeight - 8);
        bottom -= kLineHeight + 4;
    }
    details_->resize(kPad, bottom - kDetailsHeight, w - 2 * kPad, kDetailsHeight);
    bottom -= kDetailsHeight + 6;
    waveform_->resize(kPad, bottom - kWaveformHeight, w - 2 * kPad, kWaveformHeight);
    bottom -= kWaveformHeight + 6;
    table_->resize(kPad, tableTop, w - 2 * kPad, std::max(bottom - tableTop, 60));
    window_->redraw();
    reportWaveformWidth();
    host_.changed();
}

void FltkArchiveWindow::reportWaveformWidth() {
    if (!window_->shown() || waveform_->columns() == reportedColumns_ || widthReportDue_) return;
    widthReportDue_ = true;
    Fl::add_timeout(0.0, &FltkArchiveWindow::waveformWidthDue, this);
}

void FltkArchiveWindow::waveformWidthDue(void* data) {
    auto* self = static_cast<FltkArchiveWindow*>(data);
    self->widthReportDue_ = false;
    int columns = self->waveform_->columns();
    if (columns == self->reportedColumns_ || !self->window_->shown()) return;
    bool sent = self->host_.dispatch([self, columns] { self->sink_.onWaveformResized(columns); });
    if (sent) {
        self->reportedColumns_ = columns;
    } else {
        // Input is held back: try again shortly.
        self->widthReportDue_ = true;
        Fl::add_timeout(0.1, &FltkArchiveWindow::waveformWidthDue, self);
    }
    self->host_.changed();
}

}  // namespace sonkrate::platform::desktop
