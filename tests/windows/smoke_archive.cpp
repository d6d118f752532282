// The archive window of the real program: sonkrate.exe given an archive as
// its argument opens it beside the main window, titled with the archive's
// name, one row per entry in its list view and the columns in its header;
// the close box hides it and the program still ends cleanly.
#include <windows.h>
#include <commctrl.h>

#include "io/paths.h"
#include "smoke_modes.h"

namespace sonkrate::wintest {

namespace {

constexpr int kEntries = 5;
constexpr int kColumns = 13;

LRESULT sent(Checks& c, HWND window, UINT message, WPARAM wParam, const std::string& what) {
    LRESULT result = 0;
    c.expect(sendWithin(window, message, wParam, 0, 5000, &result), what + " got no answer within 5 s");
    return result;
}

void checkTable(Checks& c, HWND archive) {
    HWND list = FindWindowExW(archive, nullptr, WC_LISTVIEWW, nullptr);
    if (!c.expect(list != nullptr, "the archive window has no list view")) return;
    const LONG style = GetWindowLongW(list, GWL_STYLE);
    c.expect((style & LVS_OWNERDATA) && (style & LVS_TYPEMASK) == LVS_REPORT,
             "the list view is not in report mode with owner data");
    int rows = 0;
    waitUntil([&] { return (rows = static_cast<int>(sent(c, list, LVM_GETITEMCOUNT, 0, "LVM_GETITEMCOUNT"))) ==
                           kEntries; },
              10000, 200);
    c.expectNumber("rows of the archive window", kEntries, rows);
    auto header = reinterpret_cast<HWND>(sent(c, list, LVM_GETHEADER, 0, "LVM_GETHEADER"));
    if (!c.expect(header != nullptr, "the list view has no header")) return;
    // The columns with a width (the list view's first column is kept empty).
    const int count = static_cast<int>(sent(c, header, HDM_GETITEMCOUNT, 0, "HDM_GETITEMCOUNT"));
    int shown = 0;
    for (int i = 0; i < count; ++i) shown += sent(c, list, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(i), "LVM_GETCOLUMNWIDTH") > 0;
    c.expectNumber("columns of the archive window", kColumns, shown);
}

}  // namespace

int checkArchiveWindow(const std::string& sonkrateExe) {
    Checks c("archive");
    const std::string archivePath = io::joinPath(programFolder(), "ambient.tpa");
    if (!makeToneArchive(c, programFolder(), archivePath, kEntries - 1, "archive tone")) return c.failures();

    Process process;
    std::string error;
    if (!c.expect(process.start(sonkrateExe, "\"" + archivePath + "\"", io::folderOf(sonkrateExe), error), error))
        return c.failures();
    HWND window = waitForTopWindow(process.id(), " sonkrate", " sonkrate", 30000);
    if (!c.expect(window != nullptr, "no sonkrate window within 30 s")) return c.failures();
    HWND archive = waitForTopWindow(process.id(), "SonkrateArchiveWindow", "ambient.tpa - Sonkrate", 30000);
    if (c.expect(archive != nullptr, "no archive window titled \"ambient.tpa - Sonkrate\" within 30 s")) {
        // Made hidden, then shown once the archive is read.
        c.expect(waitUntil([&] { return IsWindowVisible(archive) != FALSE; }, 10000, 100),
                 "the archive window is still hidden 10 s after it was made");
        checkTable(c, archive);
        PostMessageW(archive, WM_CLOSE, 0, 0);
        c.expect(waitUntil([&] { return !IsWindowVisible(archive); }, 10000, 100),
                 "the archive window still shows 10 s after its close box");
    }
    closeSonkrate(process, window, c);
    return c.failures();
}

}  // namespace sonkrate::wintest
