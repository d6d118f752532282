// What the stand-in shell does with the archive window's events: each is
// written out first, then answered as the real shell would in outline.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>

#include "archive_demo.h"

namespace archive_demo {

namespace {

std::string lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string hex8(std::uint32_t v) {
    char b[9];
    std::snprintf(b, sizeof b, "%08X", v);
    return b;
}

std::string length(std::uint64_t ms) {
    char b[32];
    std::snprintf(b, sizeof b, "%llu:%02llu.%03llu", static_cast<unsigned long long>(ms / 60000),
                  static_cast<unsigned long long>(ms / 1000 % 60), static_cast<unsigned long long>(ms % 1000));
    return b;
}

std::string joined(const std::vector<int>& v) {
    std::string out;
    for (std::size_t i = 0; i < v.size(); ++i) out += (i ? "," : "") + std::to_string(v[i]);
    return out.empty() ? "-" : out;
}

}  // namespace

std::string Demo::archiveCellText(int position, int column) {
    const Row& r = row(position);
    switch (column) {
    case 0: return std::to_string(r.record);
    case 1: return r.name.empty() ? "unknown" : r.name;
    case 2: return hex8(r.id);
    case 3: return length(r.lengthMs);
    case 4: return std::to_string(r.rate);
    case 5: return std::to_string(r.channels);
    case 6: return std::to_string(r.bits);
    case 7: return r.adpcm ? "IMA ADPCM" : "PCM";
    default: return r.caption;
    }
}

void Demo::applyFilter() {
    shown_.clear();
    std::string f = lower(filter_);
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        const Row& r = rows_[i];
        if (f.empty() || lower(r.name).find(f) != std::string::npos || lower(hex8(r.id)).find(f) != std::string::npos)
            shown_.push_back(i);
    }
    sortRows();
}

void Demo::sortRows() {
    if (sortColumn_ < 0) return;
    auto key = [&](std::size_t i) -> std::string {
        const Row& r = rows_[i];
        switch (sortColumn_) {
        case 1: return lower(r.name.empty() ? "unknown" : r.name);
        case 3: { char b[24]; std::snprintf(b, sizeof b, "%020llu", static_cast<unsigned long long>(r.lengthMs)); return b; }
        default: { char b[24]; std::snprintf(b, sizeof b, "%010u", r.record); return b; }
        }
    };
    std::stable_sort(shown_.begin(), shown_.end(), [&](std::size_t a, std::size_t b) {
        return descending_ ? key(b) < key(a) : key(a) < key(b);
    });
}

void Demo::onArchiveHeaderClick(int column) {
    say("header " + std::to_string(column));
    descending_ = column == sortColumn_ ? !descending_ : false;
    sortColumn_ = column;
    sortRows();
    window_->setSortIndicator(column, descending_);
    window_->selectRows({}, -1);
    window_->refreshRows();
}

void Demo::onArchiveFilterChanged(const std::string& text) {
    say("filter " + text);
    filter_ = text;
    applyFilter();
    window_->setRowCount(static_cast<int>(shown_.size()));
    window_->selectRows({}, -1);
    window_->setStatus(std::to_string(shown_.size()) + " of " + std::to_string(rows_.size()) + " shown");
}

void Demo::onArchiveSelectionChanged() {
    say("selection " + joined(window_->selectedRows()) + " focus " + std::to_string(window_->focusedRow()));
    int focus = window_->focusedRow();
    if (focus >= 0) {
        const Row& r = row(focus);
        window_->setDetails(r.caption.empty() ? "No captions." : "0:00.000 - 0:01.500  " + r.caption);
        showWaveform(focus);
    }
}

void Demo::onArchiveRowActivated(int position) {
    say("activated " + std::to_string(position));
    play(position, 0);
}

std::string Demo::keyName(ArchiveKey key) const {
    switch (key) {
    case ArchiveKey::Enter: return "enter";
    case ArchiveKey::Space: return "space";
    case ArchiveKey::Escape: return "escape";
    case ArchiveKey::Down: return "down";
    case ArchiveKey::Delete: return "delete";
    case ArchiveKey::F2: return "f2";
    }
    return "?";
}

void Demo::onArchiveKey(ArchiveKey key, KeyPlace place) {
    say("key " + keyName(key) + (place == KeyPlace::Filter ? " filter" : " table"));
    if (place == KeyPlace::Filter) {
        if (key == ArchiveKey::Escape) {
            window_->setFilterText("");
            onArchiveFilterChanged("");
        } else if (!shown_.empty()) {
            window_->focusTable();
            window_->selectRows({0}, 0);
        }
        return;
    }
    int focus = window_->focusedRow();
    if (key == ArchiveKey::F2 && focus >= 0) window_->editCell(focus, 1, archiveCellText(focus, 1));
    if (key == ArchiveKey::Delete)
        for (int p : window_->selectedRows()) stage(p, "removed");
    if ((key == ArchiveKey::Enter || key == ArchiveKey::Space) && focus >= 0) {
        if (key == ArchiveKey::Space && playing_) playing_ = false;
        else play(focus, 0);
    }
}

void Demo::showWaveform(int position) {
    const Row& r = row(position);
    WaveformPicture p;
    p.columns = columns_;
    p.channels = r.channels;
    p.durationMs = r.lengthMs;
    for (int c = 0; c < p.columns; ++c)
        for (int ch = 0; ch < p.channels; ++ch) {
            double envelope = std::sin(3.14159 * c / std::max(p.columns, 1)) * (ch ? 0.5 : 0.9);
            auto peak = static_cast<std::int16_t>(32767 * envelope * (0.6 + 0.4 * std::sin(c * 0.37 + r.record)));
            p.peaks.push_back({static_cast<std::int16_t>(-peak), peak});
        }
    waveRecord_ = r.record;
    window_->setWaveform(p);
    window_->setWaveformCursor(std::nullopt);
}

void Demo::play(int position, double fraction) {
    showWaveform(position);
    playing_ = true;
    cursorMs_ = static_cast<std::uint64_t>(fraction * static_cast<double>(row(position).lengthMs));
    window_->setWaveformCursor(cursorMs_);
}

void Demo::onTimer(int id) {
    if (id != kArchiveTimer) return;
    if (playing_) {
        cursorMs_ += 100;
        window_->setWaveformCursor(cursorMs_);
    }
    if (progress_ >= 0 && progress_ < 100) window_->showProgress("Working on the sounds...", ++progress_, 1000);
}

void Demo::onWaveformClick(double fraction) {
    char b[48];
    std::snprintf(b, sizeof b, "waveform-click %.3f", fraction);
    say(b);
    if (window_->focusedRow() >= 0) play(window_->focusedRow(), fraction);
}

void Demo::onWaveformResized(int columns) {
    say("waveform-resized " + std::to_string(columns));
    columns_ = columns;
    if (window_->focusedRow() >= 0) showWaveform(window_->focusedRow());
}

void Demo::onArchiveCommand(int id) {
    say("command " + std::to_string(id));
    switch (id) {
    case kFind: window_->focusFilter(); break;
    case kSelectAll: {
        std::vector<int> all(shown_.size());
        for (std::size_t i = 0; i < all.size(); ++i) all[i] = static_cast<int>(i);
        window_->selectRows(all, std::max(window_->focusedRow(), 0));
        break;
    }
    case kLongWork: progress_ = 0; window_->showProgress("Working on the sounds...", 0, 1000); break;
    case kFolder: {
        auto folder = window_->chooseFolder("Export to", "");
        say("folder " + (folder ? *folder : std::string("-")));
        break;
    }
    case kAsk: {
        auto text = window_->askText("Guess names", "Pattern:", "amb_*");
        say("text " + (text ? *text : std::string("-")));
        break;
    }
    case kClose: onArchiveCloseRequest(); break;
    case kGreyVerify:
        verifyUsable_ = !verifyUsable_;
        window_->setCommandEnabled(kVerify, verifyUsable_);
        break;
    default: editCommand(id); break;
    }
}

void Demo::editCommand(int id) {
    FileDialogOptions options;
    options.filterText = "Sounds (*.wav;*.cau)";
    options.filterPattern = "*.wav;*.cau";
    options.initialFolder = ".";
    switch (id) {
    case kReplace:
    case kAddSounds: {
        std::string line = "files";
        for (const auto& p : window_->chooseFiles(options, id == kAddSounds)) line += " " + p;
        say(line);
        break;
    }
    case kSaveAs: {
        options.filterText = "Archive (*.tpa)";
        options.filterPattern = "*.tpa";
        options.defaultExtension = "tpa";
        options.flags = kOverwritePrompt | kPathMustExist;
        auto path = window_->chooseSaveFile(options);
        say("save " + (path ? *path : std::string("-")));
        break;
    }
    case kChoice:
        say("choice " + std::to_string(window_->askChoice("Unsaved changes",
                                                           "demo.tpa has changes that are not saved. Save them before closing?",
                                                           {"Save", "Don't save", "Cancel"})));
        break;
    case kMessage:
        window_->showMessage("Replace",
                             "The sound could not be read: /home/someone/very/long/folder/names/that/go/on/and/on/"
                             "without/a/single/blank/anywhere/in/them/sound.wav is not a RIFF file.",
                             MessageIcon::Error);
        say("message shown");
        break;
    case kCaptions: {
        auto text = window_->editLongText("Captions", "The captions of the sound as SubRip text:",
                                          "1\r\n00:00:00,000 --> 00:00:01,500\r\nHello\r\n");
        say("captions " + (text ? *text : std::string("-")));
        break;
    }
    default: break;
    }
}

RowMark Demo::archiveRowMark(int position) {
    const Row& r = row(position);
    if (r.state == "changed") return RowMark::Changed;
    if (r.state == "removed") return RowMark::Removed;
    return r.mark;
}

void Demo::stage(int position, const std::string& state) {
    if (position < 0 || position >= static_cast<int>(shown_.size())) return;
    row(position).state = state;
    ++changes_;
    window_->refreshRows();
}

void Demo::onArchiveEditRequest(int position, int column) {
    say("edit-request " + std::to_string(position) + " " + std::to_string(column));
    if (column == 1) window_->editCell(position, column, archiveCellText(position, column));
}

void Demo::onArchiveCellEdited(int position, int column, const std::string& text) {
    say("edited " + std::to_string(position) + " " + std::to_string(column) + " " + text);
    if (column != 1 || text == archiveCellText(position, column)) return;
    row(position).name = text;
    stage(position, "changed");
}

void Demo::onArchiveCancel() {
    say("cancel");
    progress_ = -1;
    window_->endProgress();
}

void Demo::onArchiveFilesDropped(int position, const std::vector<std::string>& paths) {
    std::string line = "drop " + std::to_string(position);
    for (const auto& p : paths) line += " " + p;
    say(line);
    if (position >= 0) stage(position, "changed");
}

void Demo::onArchiveCloseRequest() {
    say("close");
    window_->close();
    platform_.postQuit(0);
}

ArchiveWindowFacts Demo::archiveWindowFacts() {
    ArchiveWindowFacts f;
    f.records = static_cast<int>(rows_.size());
    f.shown = static_cast<int>(shown_.size());
    for (int p : window_->selectedRows()) f.selected.push_back(row(p).record);
    static const char* titles[] = {"#", "Name", "ID", "Length", "Rate", "Ch", "Bits", "Format", "Caption"};
    if (sortColumn_ >= 0) f.sortColumn = titles[sortColumn_];
    f.descending = descending_;
    f.filter = filter_;
    f.changes = changes_;
    f.title = "demo.tpa - Sonkrate";
    for (int p = 0; p < std::min(f.shown, 5000); ++p) {
        const Row& r = row(p);
        f.rows.push_back({p, r.record, r.id, r.lengthMs, r.rate, r.channels, r.bits, r.adpcm ? "ima-adpcm" : "pcm",
                          r.state, r.name.empty() ? "unknown" : r.name});
    }
    f.waveformRecord = waveRecord_;
    f.waveformColumns = columns_;
    f.waveformChannels = waveRecord_ ? rows_[*waveRecord_].channels : 0;
    f.playing = playing_;
    f.cursorMs = cursorMs_;
    return f;
}

}  // namespace archive_demo
