// Safe replacement of a file: the new content goes to a temporary file in the
// target's own folder, which is synced and renamed over the target only when
// complete, and the folder is synced after the rename. Until commit() succeeds
// the target stays byte for byte as it was; a replacement that is dropped
// removes its temporary file, and a power cut leaves the old file or the new.
//
// Temporaries are named ".<target name>.part-<pid>-<n>". Those of processes
// that no longer run (killed part-way) are removed by the first replacement
// a process makes in that folder.
#pragma once

#include <string>

#include "io/file.h"

namespace sonkrate::io {

enum class Durability {
    Durable,  // synced before and after the rename: archives, files the user saves
    Scratch,  // atomic only: working files and outputs made again in bulk
};

class ReplacementFile {
public:
    ReplacementFile() = default;
    ~ReplacementFile();
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    // Creates the temporary file beside target and opens it for writing.
    Outcome begin(const std::string& target);
    File& file() { return file_; }
    const std::string& temporaryPath() const { return temporary_; }
    const std::string& target() const { return target_; }

    // Closes the temporary file and renames it over the target; with
    // Durability::Durable the data and then the rename are put on the disk.
    Outcome commit(Durability durability = Durability::Durable);
    // Closes and removes the temporary file; the target is untouched.
    void discard();

private:
    File file_;
    std::string target_;
    std::string temporary_;
    bool active_ = false;
};

// A name not yet taken for a temporary beside target, of the form above (for
// a caller that moves a finished file over target itself).
std::string temporaryPathBeside(const std::string& target);

// Whether name is the name of a temporary made by ReplacementFile, and then
// the id of the process that made it.
bool isReplacementTemporary(const std::string& name, long* pid = nullptr);

// Removes the temporaries of ReplacementFile in folder whose processes no
// longer run. Returns how many were removed.
int removeStaleTemporaries(const std::string& folder);

}  // namespace sonkrate::io
