// Buffered reading of a text file byte by byte, up to a delimiter, or line by
// line (CR LF or LF), keeping at most a given number of bytes of each piece so
// that a file without line ends cannot make it grow without bound.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "io/file.h"
#include "io/outcome.h"

namespace sonkrate::io {

inline constexpr std::size_t kMaxKeptLine = 64 * 1024;

class LineReader {
public:
    Outcome open(const std::string& path);
    void close() { (void)file_.close(); }  // read only

    // The next byte, or -1 at the end of the file or after a read error.
    int get();

    // Reads up to the next delimiter, which is consumed but not kept. Returns
    // false when the file was already at its end (nothing read, no delimiter).
    // Only the first maxKept bytes are kept; the rest of the piece is skipped.
    bool readUntil(char delimiter, std::string& out, std::size_t maxKept = kMaxKeptLine);

    // Reads one line without its line end (LF, or CR LF). Returns false at the
    // end of the file.
    bool readLine(std::string& line, std::size_t maxKept = kMaxKeptLine);

    // A read error happened (as opposed to the plain end of the file).
    bool failed() const { return error_; }

private:
    bool refill();

    File file_;
    std::vector<std::uint8_t> buffer_;
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
    bool atEnd_ = false;
    bool error_ = false;
};

}  // namespace sonkrate::io
