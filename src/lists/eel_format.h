// The .eel text format shared by the list operations: a "3" line, a count
// line, listings of four lines (name, .cau path, "0", "0") and the
// terminator "0", "0". Lines are written with CR LF and read accepting LF.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "io/file.h"
#include "io/line_reader.h"
#include "io/outcome.h"

namespace sonkrate::lists {

inline constexpr std::string_view kEelFormatLine = "3";
inline constexpr std::string_view kEelZeroLine = "0";
// The first listing of every list made here.
inline constexpr std::string_view kPlaceholderName = "MISSING";
inline constexpr std::string_view kPlaceholderFileName = "missing.cau";
// Names shorter than this end a list when it is saved or built, so the
// operations that make listings refuse them.
inline constexpr std::size_t kMinListingName = 3;

struct EelListing {
    std::string name;
    std::string path;
    std::string third{kEelZeroLine};
    std::string fourth{kEelZeroLine};
};

// Writes text and CR LF.
io::Outcome writeEelLine(io::File& out, std::string_view text);
// Writes the four lines of a listing.
io::Outcome writeEelListing(io::File& out, const EelListing& listing);
// Writes the terminator.
io::Outcome writeEelTerminator(io::File& out);

// Why a name and path cannot form a listing, or "" when they can: a name of
// fewer than 3 characters, a path of at most one character (either would end
// the list for its readers) or a line break in either.
std::string listingProblem(std::string_view name, std::string_view path);

// Reads a list the way the list box shows it: the two header lines, then
// listings for as long as the path line of the next one is longer than one
// character. The terminator, or the end of the file, ends the list.
class EelReader {
public:
    io::Outcome open(const std::string& path);
    // The two header lines; false when the file has fewer than two lines.
    bool readHeader(std::string& format, std::string& count);
    // The next listing; false at the end of the list. A listing cut off by
    // the end of the file gets "0" for its missing lines.
    bool next(EelListing& listing);
    // A read error happened (as opposed to the plain end of the file).
    bool failed() const { return lines_.failed(); }
    void close() { lines_.close(); }

private:
    bool line(std::string& text);
    io::LineReader lines_;
    std::string path_;
    bool ended_ = false;
};

}  // namespace sonkrate::lists
