// The .caf reader, as reached when such a file is played.
#include "fuzz/foreign_harness.h"

SONKRATE_FUZZ_HARNESS(import_caf) { sonkrate::fuzz::fuzzForeignFile(data, size, "caf"); }
