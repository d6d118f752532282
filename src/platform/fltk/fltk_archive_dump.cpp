// The archive window's lines of the UI dump (ui_dump.h): the shell's facts
// (rows, selection, sort, filter, waveform) and the widgets' own state and
// places, so that a script can click on what it reads.
#include "platform/fltk/fltk_archive_table.h"
#include "platform/fltk/fltk_archive_widgets.h"
#include "platform/fltk/fltk_archive_window.h"
#include "platform/fltk/fltk_menu.h"
#include "platform/fltk/fltk_waveform.h"
#include "platform/fltk/ui_dump.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Menu_Bar.H>
#include <FL/Fl_Progress.H>
#include <FL/Fl_Text_Buffer.H>
#include <FL/Fl_Text_Display.H>

#include <cinttypes>
#include <cstdio>
#include <cstdint>
#include <ostream>

namespace sonkrate::platform::desktop {

namespace {

template <typename T>
std::string joined(const std::vector<T>& values) {
    std::string out;
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i) out += ',';
        out += std::to_string(values[i]);
    }
    return out.empty() ? "-" : out;
}

void area(std::ostream& o, const char* name, const Fl_Widget* w) {
    o << "browser-area " << name << " " << w->x() << " " << w->y() << " " << w->w() << " " << w->h() << "\n";
}

void dumpFacts(std::ostream& o, const ArchiveWindowFacts& f, bool visible) {
    o << "browser visible=" << (visible ? 1 : 0) << " records=" << f.records << " shown=" << f.shown
      << " selected=" << joined(f.selected) << " sort="
      << (f.sortColumn.empty() ? std::string("-") : f.sortColumn + (f.descending ? ":desc" : ":asc"))
      << " changes=" << f.changes << " filter=" << escapeDumpText(f.filter) << " title=" << escapeDumpText(f.title)
      << "\n";
}

void dumpRows(std::ostream& o, const ArchiveWindowFacts& f) {
    for (const ArchiveRowFacts& r : f.rows) {
        char id[9];
        std::snprintf(id, sizeof id, "%08" PRIx32, r.soundId);
        o << "browser-row " << r.position << " " << r.record << " " << id << " " << r.lengthMs << " " << r.rate << " "
          << r.channels << " " << r.bits << " " << r.format << " " << r.state << " " << escapeDumpText(r.name) << "\n";
    }
    o << "waveform record=" << (f.waveformRecord ? std::to_string(*f.waveformRecord) : std::string("-"))
      << " columns=" << f.waveformColumns << " channels=" << f.waveformChannels << " playing=" << (f.playing ? 1 : 0)
      << " cursor-ms=" << f.cursorMs << "\n";
}

}  // namespace

void FltkArchiveWindow::dump(std::ostream& o) {
    ArchiveWindowFacts facts = sink_.archiveWindowFacts();
    dumpFacts(o, facts, window_->shown() && window_->visible());
    for (int c = 0; c < table_->cols(); ++c) {
        int x = 0, y = 0, w = 0, h = 0;
        table_->headerCell(c, x, y, w, h);
        o << "browser-column " << c << " " << x << " " << y << " " << w << " " << h << " "
          << escapeDumpText(table_->columns()[static_cast<std::size_t>(c)].title) << "\n";
    }
    dumpRows(o, facts);
    dumpTable(o);
    dumpAreas(o);
    dumpMenu(o);
}

void FltkArchiveWindow::dumpTable(std::ostream& o) {
    int x = 0, y = 0, w = 0, h = 0;
    table_->dataArea(x, y, w, h);
    Fl_Widget* focus = Fl::focus();
    const char* keyboard = !focus                     ? "none"
                           : focus == table_          ? "table"
                           : focus == filter_         ? "filter"
                           : focus == table_->editor() ? "editor"
                                                      : "other";
    o << "browser-table " << x << " " << y << " " << w << " " << h << " rows=" << table_->rows()
      << " top=" << table_->topRow() << " row-height=" << table_->rowHeight() << " focus=" << table_->focusedRow()
      << " selected=" << joined(table_->selectedRows()) << " sort-column=" << table_->sortColumn()
      << " keyboard=" << keyboard << "\n";
    o << "browser-window x=" << window_->x() << " y=" << window_->y() << " w=" << window_->w() << " h=" << window_->h()
      << " title=" << escapeDumpText(window_->label() ? window_->label() : "") << "\n";
    o << "browser-filter " << escapeDumpText(filter_->value()) << "\n";
    o << "browser-check play-on-select=" << static_cast<int>(playOnSelect_->value()) << "\n";
    o << "browser-status " << escapeDumpText(statusText_) << "\n";
    o << "browser-details " << escapeDumpText(detailsText_->text() ? detailsText_->text() : "") << "\n";
    o << "browser-progress shown=" << (progressShown_ ? 1 : 0) << " done=" << progressDone_
      << " total=" << progressTotal_ << " text=" << escapeDumpText(progressLabel_) << "\n";
    if (table_->editing())
        o << "browser-edit " << table_->editRow() << " " << table_->editColumn() << " "
          << escapeDumpText(table_->editText()) << "\n";
    o << "browser-dialog open=" << (dialogOpen_ ? 1 : 0) << " title=" << escapeDumpText(dialogTitle_) << "\n";
    const WaveformPicture& p = waveform_->picture();
    o << "browser-waveform columns=" << waveform_->columns() << " picture-columns=" << p.columns
      << " channels=" << p.channels << " duration-ms=" << p.durationMs << " cursor-x=" << waveform_->cursorColumn()
      << "\n";
}

void FltkArchiveWindow::dumpAreas(std::ostream& o) {
    area(o, "filter", filter_);
    area(o, "play-on-select", playOnSelect_);
    area(o, "waveform", waveform_);
    area(o, "details", details_);
    area(o, "status", status_);
    if (table_->editing()) area(o, "editor", table_->editor());
    if (progressShown_) {
        area(o, "progress", progress_);
        area(o, "cancel", cancel_);
    }
}

void FltkArchiveWindow::dumpMenu(std::ostream& o) {
    if (!menu_->menu()) return;
    for (const MenuTitlePlace& t : menuTitlePlaces(*menu_))
        o << "browser-menu-title " << t.x << " " << t.w << " " << escapeDumpText(t.text) << "\n";
    const Fl_Menu_Item* items = menu_->menu();
    for (int i = 0; i < menu_->size(); ++i) {
        const Fl_Menu_Item& item = items[i];
        if (!item.text || !item.callback()) continue;
        const char* key = item.shortcut() ? fl_shortcut_label(item.shortcut()) : "-";
        o << "browser-menu-item " << reinterpret_cast<std::intptr_t>(item.user_data()) << " " << (item.active() ? 1 : 0)
          << " " << key << " " << escapeDumpText(item.text) << "\n";
        if (item.flags & FL_MENU_DIVIDER)
            o << "browser-menu-divider " << reinterpret_cast<std::intptr_t>(item.user_data()) << "\n";
    }
}

}  // namespace sonkrate::platform::desktop
