// The text of a progress line: a bar, the count done of the total and the
// time left. Pure functions of the numbers, so the line can be checked
// without a terminal or a clock.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace sonkrate::cli {

// What a progress count counts.
enum class ProgressUnit { Entries, Sounds, Files, Bytes };

// "512 B", "1.5 KiB", "12.0 MiB", "1.25 GiB".
std::string formatByteSize(std::uint64_t bytes);

// "137/300 entries", or for bytes "12.5/300.0 MiB" (both in the unit of the total).
std::string formatProgressCount(std::uint64_t done, std::uint64_t total, ProgressUnit unit);

// "0:42 left", "1:02:03 left", or ">99 h left" beyond that, estimated from the
// rate so far. Empty while there is no sensible estimate yet: nothing done,
// all done, or less than a second gone.
std::string formatTimeLeft(double elapsedSeconds, std::uint64_t done, std::uint64_t total);

// "[#####---------]": width characters between the brackets.
std::string progressBar(std::uint64_t done, std::uint64_t total, std::size_t width);

// "exporting [#####-----]  137/300 entries  0:42 left".
std::string progressLine(const std::string& label, std::uint64_t done, std::uint64_t total, ProgressUnit unit,
                         double elapsedSeconds);

}  // namespace sonkrate::cli
