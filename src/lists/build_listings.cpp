#include "lists/build_listings.h"

#include "io/line_reader.h"
#include "lists/eel_format.h"

namespace sonkrate::lists {

namespace {

// One record: the two lines before a name, the name and the path. Lines the
// file no longer holds read as empty, so the end of the file ends the list.
void readRecord(io::LineReader& lines, BuildListing& record) {
    std::string skipped;
    lines.readLine(skipped);
    lines.readLine(skipped);
    if (!lines.readLine(record.name)) record.name.clear();
    if (!lines.readLine(record.path)) record.path.clear();
}

}  // namespace

io::Outcome readBuildListings(const EelList& list, std::vector<BuildListing>& listings) {
    listings.clear();
    if (list.size < 2)
        return io::failure("The sound list " + list.workPath + " holds no sounds to build: a build skips its first "
                           "listing.");
    io::LineReader lines;
    if (io::Outcome opened = lines.open(list.workPath); !opened) return opened;
    BuildListing record;
    readRecord(lines, record);  // the first listing, the placeholder, is not built
    while (record.name.size() >= kMinListingName) {
        // The record that ends the list (a short name: the terminator, or
        // the end of the file) is handed on too; the build passes over a
        // path that names no file and is too short to be one.
        readRecord(lines, record);
        listings.push_back(record);
    }
    if (lines.failed()) return io::failure("Cannot read the sound list " + list.workPath + ".");
    return io::success();
}

}  // namespace sonkrate::lists
