// The names of the files the conversions write, derived from their sources
// by plain string rules.
#pragma once

#include <string>
#include <string_view>

namespace sonkrate::audio {

// The .cau name for a .wav: its file name with the four characters from the
// first "." removed, then ".cau" (door.wav -> door.cau, a.b.wav -> aav.cau).
std::string wavToCauTargetName(std::string_view wavPath);
// That name beside the source, in the source's folder.
std::string wavToCauTargetBeside(std::string_view wavPath);

// The folder conversion's target: the path with its last three characters
// replaced by "cau" (door.wav -> door.cau, soundwav -> soundcau).
std::string dirToCausTarget(std::string_view wavPath);

// The .cau to .wav target: the path with its last four characters replaced
// by ".wav".
std::string cauToWavTarget(std::string_view cauPath);

// The name under which a played .cau file is later saved as .wav: the four
// characters from the first "." of its file name replaced by ".wav" (a name
// without "." gets ".wav" appended). Only the file name is looked at, so a
// dot in a folder name cannot send the file into another folder.
std::string cauWavPathFor(std::string_view cauPath);

}  // namespace sonkrate::audio
