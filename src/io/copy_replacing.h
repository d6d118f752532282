// Copying a file over a target so that the target is either the complete
// copy or, when anything fails, exactly what it was before.
#pragma once

#include <string>

#include "io/outcome.h"

namespace sonkrate::io {

// Copies from to a temporary file beside to and renames it over to.
Outcome copyFileReplacing(const std::string& from, const std::string& to);

}  // namespace sonkrate::io
