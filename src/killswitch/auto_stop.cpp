// auto_stop: a small window with one Stop button. Pressing it writes the
// stop flag that automatic play reads between two entries; the window that
// started it closes it when automatic play has ended.
#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Window.H>
#include <FL/fl_ask.H>

#include <cstdio>
#include <string>

#include "killswitch/stop_flag.h"

namespace {

struct KillSwitch {
    std::string flagPath;
    Fl_Box* note = nullptr;
};

void stopPressed(Fl_Widget* button, void* data) {
    auto* ks = static_cast<KillSwitch*>(data);
    sonkrate::io::Outcome written = sonkrate::killswitch::writeStopFlag(ks->flagPath);
    if (!written) {
        std::fprintf(stderr, "auto_stop: %s\n", written.reason.c_str());
        fl_alert("%s", written.reason.c_str());
        return;
    }
    ks->note->label("Stopping after the sound that plays . . .");
    button->deactivate();
}

}  // namespace

int main(int argc, char** argv) {
    KillSwitch ks;
    ks.flagPath = sonkrate::killswitch::stopFlagPath(argc, argv);

    Fl::background(212, 208, 200);
    Fl_Window window(260, 90, "Auto_Stop (KillSwitch)");
    window.xclass("auto_stop");
    Fl_Box note(10, 8, 240, 24, "Automatic play is running.");
    note.labelsize(12);
    note.align(FL_ALIGN_CENTER | FL_ALIGN_INSIDE | FL_ALIGN_WRAP);
    ks.note = &note;
    Fl_Button stop(90, 42, 80, 32, "Stop");
    stop.labelfont(FL_HELVETICA_BOLD);
    stop.callback(stopPressed, &ks);
    window.end();
    window.size_range(260, 90, 260, 90);
    // Escape would close the window without stopping anything.
    window.callback([](Fl_Widget* w, void*) {
        if (Fl::event() == FL_SHORTCUT && Fl::event_key() == FL_Escape) return;
        w->hide();
    });
    window.show();
    return Fl::run();
}
