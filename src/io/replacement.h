// Safe replacement of a file: the new content goes to a temporary file in the
// target's own folder, which is flushed and renamed over the target only when
// complete. Until commit() succeeds the target stays byte for byte as it was,
// and a replacement that is dropped removes its temporary file.
#pragma once

#include <string>

#include "io/file.h"

namespace sonkrate::io {

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

    // Flushes, closes and renames the temporary file over the target. With
    // syncToDisk false the data is not forced to the disk first: for working
    // files, where only the atomic replacement matters.
    Outcome commit(bool syncToDisk = true);
    // Closes and removes the temporary file; the target is untouched.
    void discard();

private:
    File file_;
    std::string target_;
    std::string temporary_;
    bool active_ = false;
};

}  // namespace sonkrate::io
