// The listings of an .eel list that an archive is built from, read as the
// build reads them: in records of four lines (the two lines before a name,
// the name, the path), the first listing skipped, up to the first record
// whose name has fewer than 3 characters or the end of the file.
#pragma once

#include <string>
#include <vector>

#include "io/outcome.h"
#include "lists/eel_list.h"

namespace sonkrate::lists {

struct BuildListing {
    std::string name;
    std::string path;  // as written; may name no file, or be no path at all
};

// The listings of the list's working file after the first, in list order,
// the record that ends the list included.
// Fails, naming the file, when it cannot be read, or when the list holds
// fewer than 2 listings (a build skips its first).
io::Outcome readBuildListings(const EelList& list, std::vector<BuildListing>& listings);

}  // namespace sonkrate::lists
