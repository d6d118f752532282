// A stand-in shell for the archive window of the desktop backend: made-up
// rows (50,000 by default, or the count given), sorting on header clicks, a
// filter, selection, a waveform with a moving cursor, a progress line and
// the dialogs, and in-place editing of names. Every event the window sends is written to standard
// output, one line each, so that a test can check what arrived.
//
//   archive_window_demo [ROWS]        (SONKRATE_UI_DUMP=FILE for the dump)
#include "archive_demo.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace archive_demo {

const std::vector<MenuPopup>& demoMenu() {
    static const std::vector<MenuPopup> menu = {
        {"File", {{"Export selected...", kExport, false, "Ctrl+E"}, {"Choose folder...", kFolder, false, "Ctrl+Shift+O"},
                  {"Close", kClose, false, "Ctrl+W"}}},
        {"Edit", {{"Find", kFind, false, "Ctrl+F"}, {"Select all", kSelectAll, false, "Ctrl+A"},
                  {"Ask text...", kAsk, false, "Ctrl+G"}, {"Undo", kUndo, false, "Ctrl+Z"},
                  {"Redo", kRedo, false, "Ctrl+Y"}, {"Replace...", kReplace, false, "Ctrl+R"},
                  {"Add sounds...", kAddSounds, false, "Ctrl+I"}, {"Remove", kRemove, false, "Del"},
                  {"Rename", kRename, false, "F2"}, {"Captions...", kCaptions, false, "Ctrl+Shift+C"}}},
        {"Save", {{"Save", kSave, false, "Ctrl+S"}, {"Save As...", kSaveAs, false, "Ctrl+Shift+S"},
                  {"Ask a question", kChoice, false, "Ctrl+Shift+Q"}, {"Show a message", kMessage, false, "Ctrl+Shift+M"}}},
        {"Tools", {{"Verify", kVerify, false, "F5"}, {}, {"Long work", kLongWork, false, "Ctrl+Shift+P"},
                   {"Grey Verify", kGreyVerify, false, "Ctrl+Shift+G"}}},
    };
    return menu;
}

std::vector<Row> makeRows(int count) {
    static const char* words[] = {"wind", "door", "gun", "raptor", "step", "water", "voice", "trex", "ambient", "impact"};
    static const RowMark marks[] = {RowMark::Warning, RowMark::Error, RowMark::Changed, RowMark::Added, RowMark::Removed};
    std::vector<Row> rows(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        Row& r = rows[static_cast<std::size_t>(i)];
        auto u = static_cast<std::uint32_t>(i);
        r.record = u;
        r.id = (u * 2654435761u) ^ 0x5A17C0DEu;
        r.name = i % 17 == 3 ? "" : std::string(words[(u * 7u) % 10]) + "_" + words[(u / 10u) % 10] + "_" + std::to_string(i);
        r.lengthMs = (u * 7919u) % 120000u + 40u;
        r.rate = i % 3 == 0 ? 11025 : i % 3 == 1 ? 22050 : 44100;
        r.channels = i % 5 == 0 ? 2 : 1;
        r.adpcm = i % 4 == 1;
        r.mark = i % 9 == 4 ? marks[(u / 9u) % 5] : RowMark::None;
        r.caption = i % 6 == 2 ? "Caption of sound " + std::to_string(i) : "";
    }
    return rows;
}

void Demo::open() {
    ArchiveWindowDescription d;
    d.title = "demo.tpa - Sonkrate";
    static const char* titles[] = {"#", "Name", "ID", "Length", "Rate", "Ch", "Bits", "Format", "Caption"};
    static const int widths[] = {56, 200, 80, 72, 56, 32, 40, 80, 220};
    for (int c = 0; c < 9; ++c) d.columns.push_back({titles[c], widths[c], c == 0 || (c >= 3 && c <= 6)});
    d.menu = &demoMenu();
    d.filterLabel = "Filter:";
    d.playOnSelectText = "Play on select";
    window_ = platform_.archiveWindow(d, *this);
    if (!window_) return;
    window_->setRowCount(static_cast<int>(shown_.size()));
    window_->setStatus(std::to_string(rows_.size()) + " sounds, 1.7 MB");
    window_->setDetails("Select a sound to see its captions.");
    window_->show();
    platform_.startTimer(kArchiveTimer, 100);
}

}  // namespace archive_demo

int main(int argc, char** argv) {
    using namespace archive_demo;
    int rows = argc > 1 ? std::atoi(argv[1]) : 50000;
    FltkPlatform platform;
    Demo demo(platform, std::max(rows, 0));
    WindowDescription main;
    main.className = "sonkrate";
    main.title = " sonkrate demo";
    main.width = 300;
    main.height = 200;
    if (platform.createMainWindow(main, demo) != WindowResult::Created) return 1;
    demo.open();
    return platform.runMessageLoop();
}
