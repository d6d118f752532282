#include "app/open_file.h"

#include <array>

#include "app/archive_window.h"
#include "app/shell.h"
#include "import/play_foreign.h"
#include "io/file.h"
#include "io/file_system.h"
#include "io/paths.h"

namespace sonkrate::app {

namespace {

GivenFileKind kindByExtension(const std::string& path) {
    const std::string name = io::toLower(io::fileNameOf(path));
    if (io::endsWith(name, ".tpa")) return GivenFileKind::Archive;
    if (io::endsWith(name, ".cau")) return GivenFileKind::CauSound;
    if (io::endsWith(name, ".eel")) return GivenFileKind::SoundList;
    // Play_Wav's table takes only the lower-case and the upper-case
    // spellings; a file it would leave alone is not handed to it.
    const std::string extension = import::extensionOf(io::fileNameOf(path));
    if (name.find('.') != std::string::npos &&
        (import::readerForExtension(extension) || import::isWavExtension(extension)))
        return GivenFileKind::ForeignSound;
    return GivenFileKind::Unknown;
}

GivenFileKind kindByContent(const std::string& path) {
    io::File file;
    if (!file.open(path, io::FileMode::Read)) return GivenFileKind::Unknown;
    std::array<char, 4> head{};
    if (file.readSome(head.data(), head.size()) != head.size()) return GivenFileKind::Unknown;
    const std::string magic(head.data(), head.size());
    if (magic == std::string("P\x01\0\0", 4)) return GivenFileKind::Archive;
    if (magic == "WBOR") return GivenFileKind::CauSound;
    return GivenFileKind::Unknown;
}

}  // namespace

GivenFileKind givenFileKind(const std::string& path) {
    GivenFileKind kind = kindByExtension(path);
    return kind == GivenFileKind::Unknown ? kindByContent(path) : kind;
}

void Shell::openFile(const std::string& path) {
    switch (givenFileKind(path)) {
    case GivenFileKind::Archive:
        stopPlayback();
        loadTpaFile(path);
        // An archive given to the program is shown whole in the archive
        // window; one that could not be loaded is named on the status line.
        if (archiveReady())
            showArchiveWindow();
        else if (archiveWindow_)
            archiveWindow_->shutDown();
        return;
    case GivenFileKind::CauSound:
        stopPlayback();
        state_.cauChosen = false;
        playCauFile(path);
        return;
    case GivenFileKind::SoundList:
        loadEelFile(path);
        return;
    case GivenFileKind::ForeignSound:
        playForeignFile(path);
        stopProgress();
        return;
    case GivenFileKind::Unknown:
        break;
    }
    status_.beepRefused();
    if (!io::isRegularFile(path))
        status_.setStatus("File not opened . . . " + path + " could not be read.");
    else
        status_.setStatus("File not opened . . . " + path +
                          " is not an archive (.tpa), a sound (.cau, .wav and the other sound files Play_Wav"
                          " takes) or a sound list (.eel).");
}

void Shell::openFiles(const std::vector<std::string>& paths) {
    for (const auto& path : paths) openFile(path);
}

void Shell::onFilesDropped(const std::vector<std::string>& paths) { openFiles(paths); }

}  // namespace sonkrate::app
