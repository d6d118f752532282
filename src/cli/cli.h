// The command-line tool's shared pieces: parsed arguments, the command table,
// exit codes and the reporting of failures and progress on stderr.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/progress_text.h"
#include "io/item_progress.h"
#include "io/outcome.h"
#include "io/progress.h"

namespace sonkrate::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

// Arguments of one command: positionals in order, --flags, --option VALUE.
struct Arguments {
    std::vector<std::string> positional;
    std::vector<std::string> flags;                               // "json", "wav", ...
    std::vector<std::pair<std::string, std::string>> options;     // ("db", path), ...

    bool has(const std::string& flag) const;
    std::optional<std::string> option(const std::string& name) const;
};

// One command: what --help says of it, the arguments it takes, and the
// function that runs it with them.
struct Command {
    std::string name;
    std::string synopsis;  // "info ARCHIVE [--json]"
    std::string summary;   // one line
    std::string details;   // shown by COMMAND --help
    std::vector<std::string> flagNames = {};    // accepted --flags
    std::vector<std::string> optionNames = {};  // accepted --options taking a value
    std::size_t minPositional = 0;
    std::size_t maxPositional = 0;
    int (*run)(const Arguments&) = nullptr;
};

// Any number of positional arguments.
inline constexpr std::size_t kNoLimit = static_cast<std::size_t>(-1);

// Every command, in the order --help lists them (command_list.cpp).
const std::vector<Command>& commands();

// With --json on the command line every failure is also written on stdout as
// {"error": REASON, "file": FILE}, so that scripts need not parse the sentence.
void setJsonErrors(bool on);
// The file a failure is about unless said otherwise: the command's first argument.
void setSubjectFile(std::optional<std::string> file);

// Prints "sonkrate-cli: <reason>" on stderr and returns kExitFailed.
int failed(const std::string& reason);
int failed(const io::Outcome& outcome);
int failedOn(const std::string& file, const std::string& reason);
// Prints a usage error and the command's synopsis, returns kExitUsage.
int usageError(const Command& command, const std::string& problem);
int usageError(const std::string& commandName, const std::string& problem);

// Errors always print; a failure of one item among many (the command goes on)
// is reported as "sonkrate-cli: <reason>" on stderr.
void reportError(const std::string& reason);
// A failed rewrite of an archive, which stays as it was: says so after the reason.
int failedLeftAsItWas(const io::Outcome& outcome, const std::string& archivePath);

// --quiet: no progress, no warnings and no summaries; errors and the output
// asked for (listings, findings, JSON, a file on standard output) still print.
void setQuiet(bool on);
bool quiet();
// "sonkrate-cli: warning: <text>" on stderr, unless quiet.
void warning(const std::string& text);
// MinGW's C++ uses its own standard printf, which knows %zu and %llu.
#if defined(__MINGW32__)
#define SONKRATE_PRINTF_FORMAT gnu_printf
#else
#define SONKRATE_PRINTF_FORMAT printf
#endif
// Text on stdout or stderr, quiet or not (errors, listings, JSON). Every line
// the tool prints goes through here, so that a Windows console shows the
// letters of names and paths outside ASCII as they are, and control
// characters (but line ends and tabs) show escaped.
void print(std::FILE* to, const char* format, ...) __attribute__((format(SONKRATE_PRINTF_FORMAT, 2, 3)));
// A summary for people (what was written, how much), unless quiet.
void say(std::FILE* to, const char* format, ...) __attribute__((format(SONKRATE_PRINTF_FORMAT, 2, 3)));

// A progress bar on stderr, only when stderr is a terminal and not quiet:
// redrawn in place at most ten times a second, cleared by finish().
class Progress {
public:
    Progress(std::string label, ProgressUnit unit);
    ~Progress();
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    void update(std::uint64_t done, std::uint64_t total);
    // The text before the bar, from the next redraw on.
    void setLabel(std::string label) { label_ = std::move(label); }
    // Clears the line, so that what follows starts on a clean one.
    void finish();
    // Callbacks for the core's operations, calling update.
    io::ProgressCallback callback();
    io::ItemProgressCallback itemCallback();

private:
    std::string label_;
    ProgressUnit unit_;
    bool shown_;
    std::chrono::steady_clock::time_point start_;
    std::chrono::steady_clock::time_point lastDraw_;
    std::size_t drawnLength_ = 0;  // 0: nothing on the line
    bool drawn_ = false;
};

// text with its control characters written as escapes (\x1b, \n, \u009b ...),
// so that bytes from a file can neither drive the terminal nor, as a zero
// byte, cut a message short. With lineEnds, "\n", "\r\n" and "\t" stay as
// they are (listings and SubRip output). Every message goes through it.
std::string escapeControls(std::string_view text, bool lineEnds = false);

// A JSON string literal for text (quotes included).
std::string jsonString(const std::string& text);

}  // namespace sonkrate::cli
