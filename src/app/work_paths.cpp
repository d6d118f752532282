#include "app/work_paths.h"

#include "io/file.h"
#include "io/file_system.h"
#include "io/paths.h"

namespace sonkrate::app {

namespace {

#if defined(_WIN32)
constexpr const char* kKillSwitchName = "auto_stop.exe";
#else
constexpr const char* kKillSwitchName = "auto_stop";
#endif

// Whether a file can be made in folder (it is removed again at once).
bool folderWritable(const std::string& folder) {
    if (folder.empty()) return false;
    std::string probe = io::joinPath(folder, ".sonkrate-write-probe");
    io::File file;
    if (!file.open(probe, io::FileMode::Write)) return false;
    bool closed = file.close().ok;
    return io::removeFile(probe).ok && closed;
}

}  // namespace

bool installedIn(const std::string& folder) {
    return !folder.empty() && io::isRegularFile(io::joinPath(folder, kInstalledMarker));
}

WorkPaths workPathsFor(const std::string& exeDir, const std::string& workDir, const std::string& documents) {
    WorkPaths p;
    p.exeDir = exeDir;
    p.workDir = workDir;
    auto work = [&](const char* name) { return io::joinPath(workDir, name); };
    p.entriesWav = work("entries.wav");
    p.decodedWav = work("decoded.wav");
    p.tmpConfIni = work("tmpConf.ini");
    p.killSwitchExe = io::joinPath(exeDir, kKillSwitchName);
    p.helpFile = io::joinPath(exeDir, "Sonkrate-help.chm");
    p.tempEel = work("temp_eel.eel");
    p.eelEdit = work("eel_edit.eel");
    p.tpaData = work("tpa_data.tpa");
    p.missingCau = work("missing.cau");
    p.sndIdsDat = work("SndIds.dat");
    p.wavsDir = io::joinPath(documents, "Tpa_Wavs");
    p.streamTpa = io::joinPath(p.wavsDir, "Stream.tpa");
    p.logFile = io::joinPath(p.wavsDir, "tpa_logs.log");
    p.tempWav = work("temp_wav.wav");
    p.conversionWav = work("conversion.wav");
    p.auSampRaw = work("AuSamp.raw");
    return p;
}

WorkPaths computeWorkPaths(platform::Platform& platform) {
    std::string exeDir = io::folderOf(platform.executablePath());

    // An installed program cannot write beside itself, or must not (an
    // installation the user may write to, as one for this user alone): its
    // working files then go to the user's data folder.
    std::string workDir = exeDir;
    if (installedIn(exeDir) || !folderWritable(exeDir)) {
        std::string data = platform.userDataFolder();
        if (!data.empty()) (void)io::createFolders(data);  // checked by the probe below
        if (!data.empty() && folderWritable(data)) workDir = data;
    }

    std::string documents = platform.documentsFolder();
    if (documents.empty()) documents = workDir;

    WorkPaths paths = workPathsFor(exeDir, workDir, documents);

    // A folder that cannot be made shows later, in the commands that write there.
    if (!io::pathExists(paths.wavsDir)) (void)io::createFolders(paths.wavsDir);
    return paths;
}

}  // namespace sonkrate::app
