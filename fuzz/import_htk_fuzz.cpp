// The .htk reader, as reached when such a file is played.
#include "fuzz/foreign_harness.h"

SONKRATE_FUZZ_HARNESS(import_htk) { sonkrate::fuzz::fuzzForeignFile(data, size, "htk"); }
