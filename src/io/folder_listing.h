// The names of the files of one folder whose names end in a given text,
// compared without regard to case, sorted so that every run sees one order.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "io/outcome.h"

namespace sonkrate::io {

// File names only (no folder); folders and other non-files are left out.
Outcome listFileNames(const std::string& folder, std::string_view suffix, std::vector<std::string>& names);

}  // namespace sonkrate::io
