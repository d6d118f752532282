// The desktop backend's archive window: a menu bar with accelerators, the
// filter field and "Play on select", the virtual table, the waveform view,
// the details panel, a progress line with Cancel shown during long work, and
// the status line. Events reach the shell's ArchiveWindowSink through the
// platform's gate, which holds them back while the platform blocks input.
#pragma once

#include <functional>
#include <iosfwd>
#include <memory>
#include <string>

#include "platform/archive_window.h"

class Fl_Box;
class Fl_Button;
class Fl_Check_Button;
class Fl_Menu_Bar;
class Fl_Progress;
class Fl_RGB_Image;
class Fl_Text_Buffer;
class Fl_Text_Display;

namespace sonkrate::platform::desktop {

class ArchiveTable;
class ArchiveWindowWidget;
class FilterInput;
class WaveformView;

class FltkArchiveWindow : public ArchiveWindow {
public:
    // What the platform lends the window: a call to the shell runs through
    // dispatch (which may refuse it: false), and changed marks the UI dump
    // for rewriting.
    struct Host {
        std::function<bool(const std::function<void()>&)> dispatch;
        std::function<void()> changed;
        const Fl_RGB_Image* icon = nullptr;  // the program's, shown by the desktop
    };

    FltkArchiveWindow(const ArchiveWindowDescription& description, ArchiveWindowSink& sink, Host host);
    ~FltkArchiveWindow() override;

    void show() override;
    void close() override;
    bool isOpen() override;
    void setTitle(const std::string& title) override;
    void setCommandEnabled(int commandId, bool enabled) override;
    void setRowCount(int rows) override;
    void refreshRows() override;
    std::vector<int> selectedRows() override;
    int focusedRow() override;
    void selectRows(const std::vector<int>& positions, int focus) override;
    void setSortIndicator(int column, bool descending) override;
    void setFilterText(const std::string& text) override;
    std::string filterText() override;
    void focusFilter() override;
    void focusTable() override;
    void setStatus(const std::string& text) override;
    void setDetails(const std::string& text) override;
    void setPlayOnSelect(bool on) override;
    void setWaveform(const WaveformPicture& picture) override;
    void setWaveformCursor(std::optional<std::uint64_t> ms) override;
    void showProgress(const std::string& text, int done, int total) override;
    void endProgress() override;
    std::optional<std::string> chooseFolder(const std::string& title, const std::string& initial) override;
    std::optional<std::string> askText(const std::string& title, const std::string& prompt,
                                       const std::string& initial) override;
    void editCell(int position, int column, const std::string& text) override;
    std::vector<std::string> chooseFiles(const FileDialogOptions& options, bool several) override;
    std::optional<std::string> chooseSaveFile(const FileDialogOptions& options) override;
    int askChoice(const std::string& title, const std::string& message, const std::vector<std::string>& buttons) override;
    void showMessage(const std::string& title, const std::string& message, MessageIcon icon) override;
    std::optional<std::string> editLongText(const std::string& title, const std::string& prompt,
                                            const std::string& text) override;

    // The window's lines of the UI dump (fltk_archive_dump.cpp).
    void dump(std::ostream& o);
    // Hides the window when the program ends.
    void hideForExit();

private:
    void build(const ArchiveWindowDescription& description);
    void buildTable(const ArchiveWindowDescription& description);
    void buildBottom();
    void connect();
    void layout();
    // Sends the waveform's width to the shell once the loop runs again, when it changed.
    void reportWaveformWidth();
    static void waveformWidthDue(void* data);
    void send(const std::function<void(ArchiveWindowSink&)>& event);
    // Files dropped on a row, or elsewhere (-1), as the drop's text.
    void dropped(int row, const std::string& text);
    void dumpTable(std::ostream& o);
    void dumpAreas(std::ostream& o);
    void dumpMenu(std::ostream& o);
    // A dialog of the window opens (an open in-place editor closes without
    // a word, as the shell asked for the dialog) and closes, for the dump.
    void dialogOpens(const std::string& title);
    void dialogCloses();

    ArchiveWindowSink& sink_;
    Host host_;
    ArchiveWindowWidget* window_ = nullptr;
    Fl_Menu_Bar* menu_ = nullptr;
    Fl_Box* filterLabel_ = nullptr;
    FilterInput* filter_ = nullptr;
    Fl_Check_Button* playOnSelect_ = nullptr;
    ArchiveTable* table_ = nullptr;
    WaveformView* waveform_ = nullptr;
    Fl_Text_Display* details_ = nullptr;
    std::unique_ptr<Fl_Text_Buffer> detailsText_;
    Fl_Box* status_ = nullptr;
    Fl_Box* progressText_ = nullptr;
    Fl_Progress* progress_ = nullptr;
    Fl_Button* cancel_ = nullptr;
    std::string title_, statusText_, progressLabel_;
    bool progressShown_ = false;
    int progressDone_ = 0, progressTotal_ = 0;
    int reportedColumns_ = -1;
    bool widthReportDue_ = false;
    // A dialog of the window that is open, for the dump.
    std::string dialogTitle_;
    bool dialogOpen_ = false;
};

}  // namespace sonkrate::platform::desktop
