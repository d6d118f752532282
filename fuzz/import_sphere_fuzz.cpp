// The .sph reader, as reached when such a file is played.
#include "fuzz/foreign_harness.h"

SONKRATE_FUZZ_HARNESS(import_sphere) { sonkrate::fuzz::fuzzForeignFile(data, size, "sph"); }
