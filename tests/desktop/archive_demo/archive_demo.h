// The stand-in shell of archive_window_demo: made-up rows behind the real
// archive window of the desktop backend, and every event written out.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/fltk/fltk_platform.h"

namespace archive_demo {

using namespace sonkrate::platform;
using sonkrate::platform::desktop::FltkPlatform;

enum Command {
    kFind = 100, kExport, kSelectAll, kVerify, kLongWork, kFolder, kAsk, kClose,
    kUndo, kRedo, kReplace, kAddSounds, kRemove, kRename, kSave, kSaveAs, kChoice, kMessage, kCaptions,
    kGreyVerify
};

struct Row {
    std::uint32_t record = 0, id = 0, rate = 22050;
    std::uint64_t lengthMs = 0;
    int channels = 1, bits = 16;
    bool adpcm = false;
    RowMark mark = RowMark::None;
    std::string name, caption;
    std::string state = "same";  // changed by the window's edits
};

std::vector<Row> makeRows(int count);
const std::vector<MenuPopup>& demoMenu();

class Demo : public EventSink, public ArchiveWindowSink {
public:
    Demo(FltkPlatform& platform, int rows) : platform_(platform), rows_(makeRows(rows)) { applyFilter(); }

    void open();
    // ---- The main window's sink: only the timer matters here.
    void onCreate() override {}
    void onCommand(int, int) override {}
    void onTrackbarScroll() override {}
    void onLeftButtonUp() override {}
    void onMouseMove(int, int) override {}
    void onDestroy() override {}
    void onFilesDropped(const std::vector<std::string>&) override {}
    void onTimer(int id) override;

    // ---- The archive window's sink.
    std::string archiveCellText(int position, int column) override;
    RowMark archiveRowMark(int position) override;
    void onArchiveCommand(int id) override;
    void onArchiveKey(ArchiveKey key, KeyPlace place) override;
    void onArchiveHeaderClick(int column) override;
    void onArchiveSelectionChanged() override;
    void onArchiveRowActivated(int position) override;
    void onArchiveFilterChanged(const std::string& text) override;
    void onWaveformClick(double fraction) override;
    void onWaveformResized(int columns) override;
    void onPlayOnSelectToggled(bool on) override { say("play-on-select " + std::to_string(on ? 1 : 0)); }
    void onArchiveCancel() override;
    void onArchiveFilesDropped(int position, const std::vector<std::string>& paths) override;
    void onArchiveCloseRequest() override;
    void onArchiveEditRequest(int position, int column) override;
    void onArchiveCellEdited(int position, int column, const std::string& text) override;
    ArchiveWindowFacts archiveWindowFacts() override;

private:
    static void say(const std::string& line) {
        std::printf("%s\n", line.c_str());
        std::fflush(stdout);
    }
    const Row& row(int position) const { return rows_[shown_[static_cast<std::size_t>(position)]]; }
    Row& row(int position) { return rows_[shown_[static_cast<std::size_t>(position)]]; }
    void stage(int position, const std::string& state);
    // The editing commands: files, a save name, a question, a message, captions.
    void editCommand(int id);
    void applyFilter();
    void sortRows();
    void play(int position, double fraction);
    void showWaveform(int position);
    std::string keyName(ArchiveKey key) const;

    FltkPlatform& platform_;
    ArchiveWindow* window_ = nullptr;
    std::vector<Row> rows_;
    std::vector<std::size_t> shown_;
    std::string filter_;
    int sortColumn_ = -1;
    bool descending_ = false;
    int columns_ = 0;
    std::optional<std::uint32_t> waveRecord_;
    bool playing_ = false;
    std::uint64_t cursorMs_ = 0;
    int progress_ = -1;
    int changes_ = 0;
    bool verifyUsable_ = true;
};


}  // namespace archive_demo
