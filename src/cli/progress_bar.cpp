// The progress bar of long commands, drawn on stderr when it is a terminal.
#include <cstdio>

#include "cli/cli.h"
#include "io/process_text.h"

#if defined(_WIN32)
#include <io.h>
#define SONKRATE_ISATTY(stream) _isatty(_fileno(stream))
#else
#include <unistd.h>
#define SONKRATE_ISATTY(stream) isatty(fileno(stream))
#endif

namespace sonkrate::cli {
namespace {

// Redraws closer together than this are skipped: ten a second at most.
constexpr auto kRedrawInterval = std::chrono::milliseconds(100);

}  // namespace

Progress::Progress(std::string label, ProgressUnit unit)
    : label_(std::move(label)),
      unit_(unit),
      shown_(!quiet() && SONKRATE_ISATTY(stderr) != 0),
      start_(std::chrono::steady_clock::now()) {}

Progress::~Progress() { finish(); }

void Progress::update(std::uint64_t done, std::uint64_t total) {
    if (!shown_) return;
    const auto now = std::chrono::steady_clock::now();
    if (drawn_ && now - lastDraw_ < kRedrawInterval) return;
    const double elapsed = std::chrono::duration<double>(now - start_).count();
    std::string line = progressLine(label_, done, total, unit_, elapsed);
    const std::size_t length = line.size();
    // Blanks over what is left of a longer line drawn before.
    if (length < drawnLength_) line.append(drawnLength_ - length, ' ');
    // Written as it is: the carriage return redraws the line in place.
    (void)io::writeText(stderr, "\r" + escapeControls(line));
    std::fflush(stderr);
    drawnLength_ = length > drawnLength_ ? length : drawnLength_;
    lastDraw_ = now;
    drawn_ = true;
}

void Progress::finish() {
    if (!drawn_) return;
    (void)io::writeText(stderr, "\r" + std::string(drawnLength_, ' ') + "\r");
    std::fflush(stderr);
    drawn_ = false;
    drawnLength_ = 0;
}

io::ProgressCallback Progress::callback() {
    return [this](std::uint64_t done, std::uint64_t total) { update(done, total); };
}

io::ItemProgressCallback Progress::itemCallback() {
    return [this](std::uint64_t done, std::uint64_t total, const std::string&) { update(done, total); };
}

}  // namespace sonkrate::cli
