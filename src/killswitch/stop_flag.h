// The stop flag of automatic play: a text file holding one integer, "0"
// while the window plays every entry, non-zero once the user wants it to stop.
#pragma once

#include <string>

#include "io/outcome.h"

namespace sonkrate::killswitch {

// The flag file of the kill switch: the path given on its command line, or
// tmpConf.ini beside the program.
std::string stopFlagPath(int argc, char** argv);

// Writes "1" at the start of the flag file (made when it is missing), so
// that the integer the window reads there is 1.
io::Outcome writeStopFlag(const std::string& path);

}  // namespace sonkrate::killswitch
