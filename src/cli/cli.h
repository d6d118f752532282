// The command-line tool's shared pieces: parsed arguments, the command table,
// exit codes and the reporting of failures and progress on stderr.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "io/outcome.h"

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

struct Command {
    std::string name;
    std::string synopsis;  // "info ARCHIVE [--json]"
    std::string summary;   // one line
    std::string details;   // shown by COMMAND --help
    std::vector<std::string> flagNames;    // accepted --flags
    std::vector<std::string> optionNames;  // accepted --options taking a value
    std::size_t minPositional = 0;
    std::size_t maxPositional = 0;
    std::function<int(const Arguments&)> run;
};

// Every command, in the order --help lists them.
const std::vector<Command>& commands();

// Registers a command; each command file adds its own through a static Registration.
struct Registration {
    explicit Registration(Command command);
};

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

// Progress on stderr, only when stderr is a terminal.
class Progress {
public:
    explicit Progress(std::string label);
    ~Progress();
    void update(std::uint64_t done, std::uint64_t total);

private:
    std::string label_;
    bool shown_;
    int lastPercent_ = -1;
};

// A JSON string literal for text (quotes included).
std::string jsonString(const std::string& text);

}  // namespace sonkrate::cli
