// The archive window's long work: export of chosen records, Find names and
// Guess names, and verify. Each runs on the window's work job (one at a
// time) with the progress line and its Cancel; the finish reports on the
// window's thread.
#include <memory>
#include <set>

#include "app/archive_window.h"
#include "app/archive_window_texts.h"
#include "app/shell.h"
#include "archive/edit/staged_export.h"
#include "archive/folder/entry_frames.h"
#include "archive/format/archive_class.h"
#include "ids/search/name_pattern.h"
#include "ids/sound_id_database.h"
#include "ids/sound_name_index.h"
#include "io/file_system.h"
#include "io/game_text.h"
#include "io/paths.h"

namespace sonkrate::app {

using platform::MessageButtons;
using platform::MessageIcon;

namespace {

// Failures named in a report box at most.
constexpr std::size_t kFailuresShown = 10;

struct Exported {
    std::size_t written = 0;
    std::size_t done = 0;
    std::vector<std::string> failures;
};

// A record exported from where its staged sound lies, when it has one.
struct ExportSource {
    bool staged = false;
    io::Outcome made;
    archive::StagedImageCopy copy;
};

// Taken on the window's thread: the export job reads only these values.
std::vector<ExportSource> exportSources(const archive::StagedEdits& edits, const std::vector<std::uint32_t>& records) {
    std::vector<ExportSource> sources(records.size());
    for (std::size_t i = 0; i < records.size() && edits.isOpen(); ++i) {
        if (records[i] >= edits.records().size() || !archive::isImageStaged(edits, records[i])) continue;
        sources[i].staged = true;
        sources[i].made = archive::stagedImageCopy(edits, records[i], sources[i].copy);
    }
    return sources;
}

struct Verified {
    archive::VerifyReport report;
};

}  // namespace

bool ArchiveWindowController::workBusy() {
    if (!workJob_.running()) return false;
    platform_.beep(platform::Beep::Refused);
    window()->setStatus(workText_ + " is still running; wait for it or cancel it first.");
    return true;
}

void ArchiveWindowController::showWorkProgress() {
    const BackgroundJob::Progress p = workJob_.progress();
    const std::uint64_t total = std::max<std::uint64_t>(p.total, 1);
    // The bar counts in thousandths, whatever the unit of the work.
    window()->showProgress(workText_ + " . . .", static_cast<int>(p.done * 1000 / total), 1000);
}

void ArchiveWindowController::onArchiveCancel() {
    if (workJob_.running()) workJob_.cancel();
}

// ---- Export -----------------------------------------------------------------------------------

void ArchiveWindowController::exportRecords(std::vector<std::uint32_t> records, archive::ExportMode mode) {
    if (workBusy()) return;
    if (records.empty()) {
        platform_.beep(platform::Beep::Refused);
        window()->setStatus("Choose the sounds to export first.");
        return;
    }
    const std::optional<std::string> folder = window()->chooseFolder("Export into", shell_.paths().wavsDir);
    if (!folder) return;
    if (!io::isFolder(*folder)) {
        platform_.messageBox("Nothing was exported: " + *folder + " is not a folder.", kBrowserTitle,
                             MessageIcon::Warning, MessageButtons::Ok);
        return;
    }
    std::vector<std::string> names;
    for (std::uint32_t record : records) names.push_back(rows_.size() > record ? names_[record] : "unknown");
    // The names go to the files as the database holds them (the game's code page).
    for (std::string& name : names) name = io::gameText(name);
    auto result = std::make_shared<Exported>();
    const std::string target = *folder;
    workText_ = "Exporting " + countText(records.size(), "sound", "sounds");
    // Edited records are exported as they are heard and will be saved.
    auto sources = std::make_shared<const std::vector<ExportSource>>(exportSources(edits_, records));
    const std::string archiveName =
        archive_.archiveName.empty() ? archive::archiveNameOf(archive_.archivePath) : archive_.archiveName;
    workJob_.start(
        [this, records, names, mode, target, result, sources, archiveName](BackgroundJob& job) {
            for (std::size_t i = 0; i < records.size() && !job.cancelled(); ++i) {
                std::string path;
                const ExportSource& source = (*sources)[i];
                io::Outcome done =
                    !source.staged ? archive::exportEntry(archive_, records[i], mode, target, names[i], path)
                    : !source.made ? source.made
                                   : archive::exportStagedRecord(source.copy, archiveName, records[i], mode, target,
                                                                 names[i], path);
                if (done) ++result->written;
                else result->failures.push_back(rowTitle(records[i]) + ": " + done.reason);
                result->done = i + 1;
                job.setProgress(i + 1, records.size());
            }
        },
        [this, records, target, result] {
            window()->endProgress();
            std::string text = "Exported " + std::to_string(result->written) + " of " +
                               countText(records.size(), "sound", "sounds") + " into " + target + ".";
            if (result->done < records.size()) text += " Cancelled after " + std::to_string(result->done) + ".";
            if (!result->failures.empty()) {
                text += "\n\n" + countText(result->failures.size(), "sound was", "sounds were") + " not written:";
                for (std::size_t i = 0; i < result->failures.size() && i < kFailuresShown; ++i)
                    text += "\n" + result->failures[i];
            }
            platform_.beep(result->failures.empty() ? platform::Beep::Done : platform::Beep::Refused);
            platform_.messageBox(text, kBrowserTitle,
                                 result->failures.empty() ? MessageIcon::Information : MessageIcon::Warning,
                                 MessageButtons::Ok);
        });
    showWorkProgress();
}

// ---- Names --------------------------------------------------------------------------------------

void ArchiveWindowController::findNames() {
    if (workBusy()) return;
    const std::optional<std::string> folder =
        window()->chooseFolder("Find names in the files of a folder (the game's own)", io::folderOf(archive_.archivePath));
    if (!folder) return;
    ids::NameRunRequest request;
    request.folders = {*folder};
    runNames(std::move(request), "Finding names in " + *folder);
}

void ArchiveWindowController::guessNames() {
    if (workBusy()) return;
    const std::optional<std::string> text = window()->askText(
        "Guess names", "A pattern of names: # a digit, @ a letter, ? a letter, digit, blank, - or _", "");
    if (!text) return;
    ids::PatternParse parsed = ids::parseNamePattern(io::gameText(*text));
    if (parsed.problem != ids::PatternProblem::None) {
        platform_.messageBox("The pattern \"" + *text + "\" cannot be used: " +
                                 (parsed.problem == ids::PatternProblem::Empty      ? "it is empty."
                                  : parsed.problem == ids::PatternProblem::TooLong  ? "it is longer than a name can be."
                                  : parsed.problem == ids::PatternProblem::LoneEscape ? "it ends in a lone \\."
                                  : parsed.problem == ids::PatternProblem::TooManyNames
                                      ? "it stands for too many names; write fewer unknown characters."
                                      : "it holds a control character."),
                             kBrowserTitle, MessageIcon::Warning, MessageButtons::Ok);
        return;
    }
    ids::NameRunRequest request;
    request.patterns.push_back(std::move(parsed.pattern));
    runNames(std::move(request), "Guessing names from \"" + *text + "\"");
}

void ArchiveWindowController::runNames(ids::NameRunRequest request, const std::string& what) {
    std::set<std::uint32_t> sought;
    for (const archive::ArchiveRow& row : rows_)
        if (names_[row.index] == "unknown") sought.insert(row.soundId);
    request.sought.assign(sought.begin(), sought.end());
    ids::SoundNameIndex database;
    database.load(shell_.paths().sndIdsDat);
    request.known = database.names();
    auto result = std::make_shared<ids::NameRunResult>();
    workText_ = what;
    workJob_.start(
        [request, result](BackgroundJob& job) {
            *result = ids::runNameSearch(request, job.cancelFlag(), [&job](const ids::NameRunProgress& p) {
                job.setProgress(p.bytesDone, p.bytesTotal);
            });
        },
        [this, result] { takeNames(*result); });
    showWorkProgress();
}

// Appends the new names to the database in record order, then shows them.
void ArchiveWindowController::takeNames(const ids::NameRunResult& result) {
    window()->endProgress();
    if (result.cancelled) {
        window()->setStatus("Names: cancelled; nothing was written.");
        return;
    }
    std::set<std::uint32_t> written;
    std::string failure;
    for (const archive::ArchiveRow& row : rows_) {
        auto it = result.names.find(row.soundId);
        if (it == result.names.end() || !written.insert(row.soundId).second) continue;
        if (io::Outcome appended = ids::appendSoundIdRecord(shell_.paths().sndIdsDat, it->second); !appended) {
            failure = appended.reason;
            break;
        }
    }
    lookUpNames();
    sortRows();
    showDetails();
    std::string text = countText(written.size(), "new name", "new names") + " written to " +
                       shell_.paths().sndIdsDat + ".";
    if (result.filesRead > 0) text = countText(result.filesRead, "file", "files") + " read; " + text;
    if (result.problemCount > 0) {
        text += "\n\n" + countText(result.problemCount, "file or folder", "files or folders") +
                " could not be read and " + (result.problemCount == 1 ? "was" : "were") + " skipped:";
        for (std::size_t i = 0; i < result.problems.size() && i < kFailuresShown; ++i) text += "\n" + result.problems[i];
    }
    if (!failure.empty()) text += "\n\nThe names could not all be written: " + failure;
    platform_.beep(failure.empty() ? platform::Beep::Done : platform::Beep::Refused);
    platform_.messageBox(text, kBrowserTitle, failure.empty() ? MessageIcon::Information : MessageIcon::Warning,
                         MessageButtons::Ok);
}

// ---- Verify -------------------------------------------------------------------------------------

void ArchiveWindowController::verify() {
    if (workBusy()) return;
    auto result = std::make_shared<Verified>();
    const std::string path = archive_.archivePath;
    workText_ = "Verifying " + io::fileNameOf(path);
    workJob_.start([path, result](BackgroundJob&) { result->report = archive::verifyArchive(path); },
                   [this, result] { takeFindings(result->report); });
    showWorkProgress();
}

void ArchiveWindowController::takeFindings(const archive::VerifyReport& report) {
    window()->endProgress();
    if (!report.outcome) {
        platform_.messageBox("Verify could not read the archive: " + report.outcome.reason, kBrowserTitle,
                             MessageIcon::Warning, MessageButtons::Ok);
        return;
    }
    findings_.clear();
    for (std::size_t i = 0; i < marks_.size(); ++i)
        if (marks_[i] == platform::RowMark::Warning) marks_[i] = platform::RowMark::None;
    std::string errors;
    std::size_t errorCount = 0, shownErrors = 0;
    for (const archive::Finding& f : report.findings) {
        if (f.severity == archive::Severity::Error) {
            ++errorCount;
            if (shownErrors++ < kFailuresShown) errors += "\n" + findingLine(f);
        }
        if (!f.index || *f.index >= marks_.size()) continue;
        findings_[*f.index].push_back(f);
        platform::RowMark& mark = marks_[*f.index];
        if (f.severity == archive::Severity::Error) mark = platform::RowMark::Error;
        else if (mark == platform::RowMark::None) mark = platform::RowMark::Warning;
    }
    window()->refreshRows();
    showDetails();
    const std::size_t warnings = report.findings.size() - errorCount;
    std::string text = "Verify: " + countText(errorCount, "error", "errors") + ", " +
                       countText(warnings, "warning", "warnings") + " in " + io::fileNameOf(archive_.archivePath) + ".";
    if (report.truncated) text += " (Only the first findings are kept.)";
    window()->setStatus(text);
    if (errorCount > 0) {
        platform_.beep(platform::Beep::Refused);
        platform_.messageBox(text + "\n" + errors, kBrowserTitle, MessageIcon::Warning, MessageButtons::Ok);
    } else {
        platform_.beep(platform::Beep::Done);
    }
}

}  // namespace sonkrate::app
