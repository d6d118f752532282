#include "audio/convert/target_names.h"

#include "io/paths.h"

namespace sonkrate::audio {

namespace {

// text with its last n characters replaced by ending (all of it when shorter).
std::string replaceTail(std::string_view text, std::size_t n, std::string_view ending) {
    std::string out(text.substr(0, text.size() >= n ? text.size() - n : 0));
    out += ending;
    return out;
}

}  // namespace

std::string wavToCauTargetName(std::string_view wavPath) {
    return io::stripFromFirstDot(io::fileNameOf(wavPath)) + ".cau";
}

std::string wavToCauTargetBeside(std::string_view wavPath) {
    return io::siblingPath(wavPath, wavToCauTargetName(wavPath));
}

std::string dirToCausTarget(std::string_view wavPath) { return replaceTail(wavPath, 3, "cau"); }

std::string cauToWavTarget(std::string_view cauPath) { return replaceTail(cauPath, 4, ".wav"); }

std::string cauWavPathFor(std::string_view cauPath) {
    std::string name = io::fileNameOf(cauPath);
    std::size_t dot = name.find('.');
    if (dot == std::string::npos) {
        name += ".wav";
    } else {
        std::string rest = dot + 4 < name.size() ? name.substr(dot + 4) : std::string();
        name = name.substr(0, dot) + ".wav" + rest;
    }
    return io::siblingPath(cauPath, name);
}

}  // namespace sonkrate::audio
