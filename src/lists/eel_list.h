// The .eel list being edited. It lives in a working file; every operation
// leaves that file a complete list (written safely, never half) and returns
// what the list box shows: for every listing its name, then its path.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "io/outcome.h"

namespace sonkrate::lists {

struct EelList {
    std::string workPath;   // the working file, temp_eel.eel beside the program
    std::uint32_t size = 0; // eelListSize: listings, counting the first
};

struct EelListView {
    io::Outcome outcome;             // on failure the working file is as it was
    std::vector<std::string> items;  // item 2k: name of listing k, 2k+1: its path
};

// The listings of the list file at path, as the list box shows them;
// count receives their number.
EelListView readEelListView(const std::string& path, std::uint32_t& count);

// A fresh list holding only the placeholder: "MISSING" with missingCauPath.
EelListView resetEelList(EelList& list, const std::string& workPath, const std::string& missingCauPath);

// Copies the list file at sourcePath over the working file and shows it;
// size becomes the number of listings shown.
EelListView loadEelList(EelList& list, const std::string& sourcePath);

struct EelSaveResult {
    io::Outcome outcome;
    std::uint32_t listingsWritten = 0;
    // A listing of a loaded file had a name of fewer than 3 characters; it and
    // the listings after it were not written.
    bool stoppedAtShortName = false;
};

// Writes the list to targetPath (replaced safely): "3", size, the listings
// up to the first name of fewer than 3 characters, the terminator.
EelSaveResult saveEelList(const EelList& list, const std::string& targetPath);

// Appends the listing (name, cauPath, "0", "0") where the list ends, found
// by its lines, so a list with LF line ends loses nothing. Refused, with the
// list unchanged, for a name of fewer than 3 characters or a line break.
EelListView addEelListing(EelList& list, const std::string& name, const std::string& cauPath);

// The listing name taken from a file when "Use File_Names" is on: the file
// name with the four characters from its first "." removed (a.b.cau -> aau),
// in the game's code page where it fits (io::gameText).
std::string listingNameFromFile(const std::string& cauPath);

// Removes every listing after the first whose name is exactly name; size
// becomes the number of listings left, which is also the new count line.
EelListView removeEelListing(EelList& list, const std::string& name);

inline std::uint32_t eelListSize(const EelList& list) { return list.size; }

}  // namespace sonkrate::lists
