// Editing in the archive window of the real program: a .wav dropped on a row
// of sonkrate.exe's archive window replaces that record's sound (the title
// gets its "*"), and saving writes an archive in which exactly that record
// has the new sound's length and every other keeps its own.
#include <windows.h>
#include <commctrl.h>

#include <cmath>
#include <vector>

#include "app/command_ids.h"
#include "archive/format/archive_rows.h"
#include "archive/format/tpa_loader.h"
#include "audio/wav/wav_headers.h"
#include "io/paths.h"
#include "smoke_modes.h"

namespace sonkrate::wintest {

namespace {

constexpr int kEntries = 5;
constexpr int kDroppedRow = 2;
constexpr std::uint32_t kToneRate = 22050;
constexpr std::uint32_t kToneMs = 2000;

// Two seconds of a 440 Hz tone, 16-bit mono.
bool writeTone(const std::string& path) {
    const std::uint32_t frames = kToneRate * kToneMs / 1000;
    const auto header = audio::pcmWavHeader(1, kToneRate, 16, frames * 2);
    std::string bytes(header.begin(), header.end());
    for (std::uint32_t i = 0; i < frames; ++i) {
        const auto v = static_cast<std::int16_t>(8000 * std::sin(2 * 3.14159265 * 440 * i / kToneRate));
        bytes += static_cast<char>(v & 0xFF);
        bytes += static_cast<char>((v >> 8) & 0xFF);
    }
    return writeFileText(path, bytes);
}

std::vector<std::uint64_t> lengthsOf(Checks& c, const std::string& archivePath) {
    archive::TpaLoad load = archive::loadTpaArchive(archivePath, programFolder());
    if (!c.expect(load.outcome.ok, "cannot read " + archivePath + ": " + load.outcome.reason)) return {};
    archive::ArchiveRows rows = archive::readArchiveRows(load.archive);
    std::vector<std::uint64_t> lengths;
    for (const auto& row : rows.rows) lengths.push_back(row.lengthMs);
    return lengths;
}

// A box or question of sonkrate.exe, named in the failure, is closed.
void noBoxOf(Checks& c, DWORD pid, const std::string& when) {
    for (HWND box : topWindowsOf(pid, "#32770")) {
        if (!IsWindowVisible(box)) continue;
        std::string text;
        for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
            text += " [" + textOf(child).value_or("") + "]";
        c.fail(when + ": a dialog \"" + textOf(box).value_or("") + "\" came up:" + text);
        PostMessageW(box, WM_CLOSE, 0, 0);
    }
}

}  // namespace

int checkArchiveDrop(const std::string& sonkrateExe, const std::string& hookLibrary) {
    Checks c("archive-edit");
    const std::string archivePath = io::joinPath(programFolder(), "ambient.tpa");
    const std::string wavPath = io::joinPath(programFolder(), "door tone.wav");
    if (!makeToneArchive(c, programFolder(), archivePath, kEntries - 1, "edit tone")) return c.failures();
    if (!c.expect(writeTone(wavPath), "cannot write " + wavPath)) return c.failures();
    const std::vector<std::uint64_t> before = lengthsOf(c, archivePath);
    if (!c.expect(before.size() == kEntries && before[kDroppedRow] != kToneMs, "the archive made is not as expected"))
        return c.failures();

    Process process;
    std::string error;
    if (!c.expect(process.start(sonkrateExe, "\"" + archivePath + "\"", io::folderOf(sonkrateExe), error), error))
        return c.failures();
    HWND window = waitForTopWindow(process.id(), " sonkrate", " sonkrate", 30000);
    if (!c.expect(window != nullptr, "no sonkrate window within 30 s")) return c.failures();
    HWND archive = waitForTopWindow(process.id(), "SonkrateArchiveWindow", "ambient.tpa - Sonkrate", 30000);
    HWND list = archive ? FindWindowExW(archive, nullptr, WC_LISTVIEWW, nullptr) : nullptr;
    const bool ready = list && waitUntil([&] {
        LRESULT rows = 0;
        return IsWindowVisible(archive) && sendWithin(list, LVM_GETITEMCOUNT, 0, 0, 2000, &rows) && rows == kEntries;
    }, 20000, 100);
    if (c.expect(ready, "no archive window showing " + std::to_string(kEntries) + " rows within 50 s")) {
        c.expect(dropOnArchiveRow(archive, kDroppedRow, wavPath, hookLibrary, error), error);
        const std::string staged = "ambient.tpa* - Sonkrate";
        c.expect(waitUntil([&] { return textOf(archive).value_or("") == staged; }, 15000, 100),
                 "the title is \"" + textOf(archive).value_or("") + "\" 15 s after the drop, not \"" + staged + "\"");
        noBoxOf(c, process.id(), "after the drop");
        PostMessageW(archive, WM_COMMAND, app::kCmdBrowserSave, 0);
        c.expect(waitUntil([&] { return textOf(archive).value_or("") == "ambient.tpa - Sonkrate"; }, 20000, 100),
                 "the title still shows staged edits 20 s after Save");
        noBoxOf(c, process.id(), "after Save");
    }
    closeSonkrate(process, window, c);

    const std::vector<std::uint64_t> after = lengthsOf(c, archivePath);
    if (c.expectNumber("records after saving", kEntries, static_cast<long long>(after.size()))) {
        for (int i = 0; i < kEntries; ++i) {
            const std::uint64_t expected = i == kDroppedRow ? kToneMs : before[static_cast<std::size_t>(i)];
            c.expectNumber("length in ms of record " + std::to_string(i) + " after saving",
                           static_cast<long long>(expected), static_cast<long long>(after[static_cast<std::size_t>(i)]));
        }
    }
    return c.failures();
}

}  // namespace sonkrate::wintest
