// Making an .eel list that names every .cau file of a folder, each under its
// file name, after the placeholder listing.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "io/outcome.h"

namespace sonkrate::lists {

struct MakeEelResult {
    io::Outcome outcome;
    std::string listPath;     // folder + listName + ".eel"
    std::size_t listed = 0;   // .cau files listed (the count line says listed + 1)
    // .cau files left out because their listing name (the file name less its
    // last four characters) would be shorter than 3 characters or hold a line
    // break; such a name would end the list for everything after it.
    std::vector<std::string> skipped;
};

// Writes folder/listName.eel (replaced safely): "3", the count, the
// placeholder "MISSING" with the bare name missing.cau, one listing per
// regular file whose name ends in ".cau" in any letter case (sorted by name),
// the terminator.
MakeEelResult makeEelFromCaus(const std::string& folder, const std::string& listName);

}  // namespace sonkrate::lists
