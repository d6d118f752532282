// The .voc reader, as reached when such a file is played.
#include "fuzz/foreign_harness.h"

SONKRATE_FUZZ_HARNESS(import_voc) { sonkrate::fuzz::fuzzForeignFile(data, size, "voc"); }
