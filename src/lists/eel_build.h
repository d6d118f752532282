// Building an archive from an .eel list: a new archive holding the default
// sound, then every listing after the first appended in list order, a
// listed file that cannot be found replaced by the missing sound and named
// in the missing-sounds report, and the identifier list of the build log.
// The archive is built beside the target and put in its place only when
// complete, so a failed build leaves the target as it was.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "io/item_progress.h"
#include "io/outcome.h"
#include "lists/eel_list.h"

namespace sonkrate::lists {

inline constexpr const char* kMissingReportStart = "SoundIDs Missing: ";
// The message box after a build with missing sounds (caption "SONKRATE").
inline constexpr const char* kMissingReplacedText = "1 or more files not found! Replaced with Missing Sample . . .";

// The archive operations the build stands on (lists/eel_build_archive.h
// gives the real ones).
struct EelBuildSteps {
    // Writes a new archive holding only the default sound at archivePath.
    std::function<io::Outcome(const std::string& archivePath)> createArchive;
    // Appends the .cau at cauPath under name and logs name in buildLogPath.
    // warning receives a note when the sound went in but its log line did not.
    std::function<io::Outcome(const std::string& archivePath, const std::string& name, const std::string& cauPath,
                              const std::string& buildLogPath, std::string& warning)>
        appendSound;
    // The build log of a target archive (x.tpa -> xIDs_.txt beside it).
    std::function<std::string(const std::string& targetPath)> buildLogPathFor;
};

struct EelBuildResult {
    io::Outcome outcome;          // failed: the target is as it was
    bool refused = false;         // the list holds fewer than 2 listings; nothing done
    bool archiveWritten = false;  // the target now holds the new archive
    std::size_t appended = 0;     // listings appended, their own sound or the replacement
    // Listings whose sound was replaced by the missing sound, in list order:
    // files that cannot be found (paths of 7 or more characters) and files
    // the archive refused, whose reasons are in problems.
    std::vector<std::string> missingNames;
    std::string missingReportPath;  // written (appended to) when missingNames is not empty
    std::string idListPath;         // the identifier list made from the build log
    std::vector<std::string> problems;  // sentences about listings and the logs; the build went on
};

// The report beside the build log: its file name less the four characters
// from its first "." + "_missing.txt" (xIDs_.txt -> xIDs__missing.txt).
std::string missingReportPathFor(const std::string& buildLogPath);

// Builds targetPath from the list. Listings are read in records of four
// lines (the two lines before a name, the name, the path) until a record
// whose name has fewer than 3 characters; the first is skipped. The missing
// sound is written to missingCauPath first when no file is there. progress
// is told after each record (records done, list size - 1, the name).
EelBuildResult buildArchiveFromEel(const EelList& list, const std::string& targetPath,
                                   const std::string& missingCauPath, const EelBuildSteps& steps,
                                   const io::ItemProgressCallback& progress = {});

}  // namespace sonkrate::lists
