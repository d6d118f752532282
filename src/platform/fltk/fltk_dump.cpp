// The desktop backend's state written as the text dump of ui_dump.h, for
// scripts and tests that drive the real window.
#include "platform/fltk/fltk_platform.h"

#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Menu_Bar.H>

#include <cstdint>
#include <sstream>

#include "platform/fltk/fltk_archive_window.h"
#include "platform/fltk/fltk_common.h"
#include "platform/fltk/fltk_menu.h"
#include "platform/fltk/fltk_widgets.h"
#include "platform/fltk/ui_dump.h"

namespace sonkrate::platform::desktop {

namespace {

const char* kindName(ControlKind kind) {
    switch (kind) {
    case ControlKind::PushButton: return "button";
    case ControlKind::CheckBox: return "checkbox";
    case ControlKind::Edit: return "edit";
    case ControlKind::Static: return "static";
    case ControlKind::Bitmap: return "bitmap";
    case ControlKind::ListBox: return "listbox";
    case ControlKind::ProgressBar: return "progress";
    case ControlKind::Trackbar: return "trackbar";
    }
    return "?";
}

}  // namespace

void FltkPlatform::dumpWindow(std::ostream& o) {
    if (!window_) return;
    o << "window visible=" << (window_->shown() && window_->visible() ? 1 : 0) << " minimised=" << (minimised_ ? 1 : 0)
      << " x=" << window_->x() << " y=" << window_->y() << " w=" << window_->w() << " h=" << window_->h()
      << " client-top=" << kMenuBarHeight << " blocked=" << blocked_ << " quit=" << (quit_ ? 1 : 0)
      << " title=" << escapeDumpText(window_->label() ? window_->label() : "") << "\n";
}

void FltkPlatform::dumpMenu(std::ostream& o) {
    if (!menuBar_ || !menuBar_->menu()) return;
    for (const MenuTitlePlace& t : menuTitlePlaces(*menuBar_))
        o << "menu-title " << t.x << " " << t.w << " " << escapeDumpText(t.text) << "\n";
    const Fl_Menu_Item* items = menuBar_->menu();
    for (int i = 0; i < menuBar_->size(); ++i) {
        const Fl_Menu_Item& item = items[i];
        if (!item.text || !item.callback()) continue;
        o << "menu-item " << reinterpret_cast<std::intptr_t>(item.user_data()) << " " << (item.active() ? 1 : 0) << " "
          << escapeDumpText(item.text) << "\n";
    }
}

void FltkPlatform::dumpControl(std::ostream& o, int id, const Control& c) {
    const ControlDescription& d = c.description;
    o << "control " << id << " " << kindName(d.kind) << " enabled=" << (c.widget->active() ? 1 : 0)
      << " shown=" << (c.widget->visible() ? 1 : 0) << " " << d.x << " " << d.y << " " << d.width << " " << d.height
      << " text=" << escapeDumpText(text(id)) << "\n";
    switch (d.kind) {
    case ControlKind::CheckBox:
        o << "check " << id << " " << static_cast<int>(static_cast<Fl_Check_Button*>(c.widget)->value()) << "\n";
        break;
    case ControlKind::ListBox:
        o << "list " << id << " count=" << c.items.size() << " caret=" << listCaretIndex(id) << "\n";
        for (std::size_t i = 0; i < c.items.size(); ++i)
            o << "list-item " << id << " " << i << " " << escapeDumpText(c.items[i]) << "\n";
        break;
    case ControlKind::Trackbar:
        o << "trackbar " << id << " " << c.range.low << " " << c.range.high << " " << trackbarPosition(id) << " "
          << c.range.ticFrequency << "\n";
        break;
    case ControlKind::ProgressBar:
        o << "progress " << id << " " << c.range.low << " " << c.range.high << " " << c.range.position << " "
          << c.range.step << "\n";
        break;
    default: break;
    }
}

void FltkPlatform::writeDump() {
    dirty_ = false;
    lastDump_ = steadyMillis();
    std::ostringstream o;
    o << "sonkrate-ui 1\n";
    dumpWindow(o);
    dumpMenu(o);
    for (auto& [id, c] : controls_)
        if (c.widget) dumpControl(o, id, c);
    for (auto& [id, t] : timers_)
        o << "timer " << id << " running=" << (t.running ? 1 : 0) << " period=" << static_cast<int>(t.period * 1000 + 0.5)
          << "\n";
    o << "sound playing=" << (player_.playing() ? 1 : 0) << " plays=" << plays_ << " available="
      << (player_.soundAvailable() ? 1 : 0) << " file=" << escapeDumpText(lastPlayed_) << "\n";
    o << "beeps done=" << beepsDone_ << " refused=" << beepsRefused_ << "\n";
    o << "message-boxes count=" << messageBoxes_ << " open=" << (messageOpen_ ? 1 : 0) << "\n";
    o << "message-caption " << escapeDumpText(messageCaption_) << "\n";
    o << "message-text " << escapeDumpText(messageText_) << "\n";
    o << "kill-switch pid=" << killSwitch_ << " starts=" << killSwitchStarts_ << "\n";
    o << "desktop-opens count=" << desktopOpens_ << " last=" << escapeDumpText(lastDesktopOpen_) << "\n";
    if (archive_) archive_->dump(o);
    writeDumpFile(dumpPath_, o.str());
}

}  // namespace sonkrate::platform::desktop
