// The full path of the running program, as the system reports it.
#pragma once

#include <string>

namespace sonkrate::io {

// Empty when the system does not say.
std::string programPath();

}  // namespace sonkrate::io
