// What every fuzz harness shares: a private scratch folder per process, the
// input split into the files a harness needs, checks that stop the run with
// a message, and the registration by which the regression test replays a
// harness on a kept input.
#pragma once
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace sonkrate::fuzz {

using Bytes = std::vector<std::uint8_t>;

// Separates the files of one input ("archive, then database" ...).
inline constexpr std::string_view kPartMarker = "--PART--";

// The process's own folder under the system's temporary folder, made on
// first use and removed with its content when the process exits.
const std::string& scratchFolder();
// scratchFolder() + separator + name.
std::string scratchPath(std::string_view name);
// Empties the scratch folder between runs.
void clearScratch();

// Writes bytes to the scratch file name and returns its path.
std::string writeScratch(std::string_view name, const std::uint8_t* data, std::size_t size);
std::string writeScratch(std::string_view name, const Bytes& bytes);
std::string writeScratch(std::string_view name, std::string_view text);
Bytes readWhole(const std::string& path);
bool exists(const std::string& path);

// The input cut at every kPartMarker; missing parts are empty.
std::vector<Bytes> splitParts(const std::uint8_t* data, std::size_t size, std::size_t count);
// The parts joined with the marker: how the seeds of such harnesses are made.
Bytes joinParts(const std::vector<Bytes>& parts);

// Prints what went wrong and aborts, so that the fuzzer keeps the input.
[[noreturn]] void fail(const std::string& what);
inline void check(bool holds, const std::string& what) {
    if (!holds) fail(what);
}

// Every file below folder, relative to it, in name order.
std::vector<std::string> filesBelow(const std::string& folder);

// The harnesses linked into this program, by name.
using Harness = int (*)(const std::uint8_t* data, std::size_t size);
std::map<std::string, Harness>& registeredHarnesses();
struct Registration {
    Registration(const char* name, Harness harness) { registeredHarnesses()[name] = harness; }
};

}  // namespace sonkrate::fuzz

// Defines a harness: under libFuzzer its entry point, otherwise a function
// the regression test finds by name. The body runs with the scratch folder
// emptied before it.
#ifdef SONKRATE_LIBFUZZER
#define SONKRATE_FUZZ_HARNESS(name)                                                         \
    static void fuzzBody_##name(const std::uint8_t* data, std::size_t size);               \
    extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {    \
        sonkrate::fuzz::clearScratch();                                                     \
        fuzzBody_##name(data, size);                                                        \
        sonkrate::fuzz::clearScratch();                                                     \
        return 0;                                                                           \
    }                                                                                       \
    static void fuzzBody_##name(const std::uint8_t* data, std::size_t size)
#else
#define SONKRATE_FUZZ_HARNESS(name)                                                         \
    static void fuzzBody_##name(const std::uint8_t* data, std::size_t size);               \
    static int fuzzEntry_##name(const std::uint8_t* data, std::size_t size) {              \
        sonkrate::fuzz::clearScratch();                                                     \
        fuzzBody_##name(data, size);                                                        \
        sonkrate::fuzz::clearScratch();                                                     \
        return 0;                                                                           \
    }                                                                                       \
    static const sonkrate::fuzz::Registration fuzzRegistration_##name{#name, fuzzEntry_##name}; \
    static void fuzzBody_##name(const std::uint8_t* data, std::size_t size)
#endif
