// sonkrate-cli: every core operation of Sonkrate as a subcommand.
#include <cstdio>
#include <cstring>
#include <string>

#include "cli/cli.h"
#include "cli/help_text.h"
#include "io/process_text.h"

using namespace sonkrate::cli;

namespace {

bool contains(const std::vector<std::string>& names, const std::string& name) {
    for (const auto& n : names)
        if (n == name) return true;
    return false;
}

int runCommand(const Command& c, int argc, char** argv) {
    Arguments args;
    bool optionsEnded = false;
    for (int i = 0; i < argc; ++i) {
        std::string arg = argv[i];
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && (arg == "--help" || arg == "-h")) {
            printCommandHelp(c);
            return kExitOk;
        } else if (!optionsEnded && (arg == "--quiet" || arg == "-q")) {
            setQuiet(true);
        } else if (!optionsEnded && arg.size() > 2 && arg.compare(0, 2, "--") == 0) {
            std::string name = arg.substr(2), value;
            bool inlineValue = false;
            if (auto eq = name.find('='); eq != std::string::npos) {
                value = name.substr(eq + 1);
                name = name.substr(0, eq);
                inlineValue = true;
            }
            if (contains(c.flagNames, name) && !inlineValue) {
                args.flags.push_back(name);
            } else if (contains(c.optionNames, name)) {
                if (!inlineValue) {
                    if (i + 1 >= argc) return usageError(c, "--" + name + " needs a value");
                    value = argv[++i];
                }
                args.options.emplace_back(name, value);
            } else {
                return usageError(c, "unknown option " + arg);
            }
        } else {
            args.positional.push_back(arg);
        }
    }
    if (!args.positional.empty()) setSubjectFile(args.positional[0]);
    if (args.positional.size() < c.minPositional) return usageError(c, "missing arguments");
    if (args.positional.size() > c.maxPositional) return usageError(c, "too many arguments");
    return c.run(args);
}

// True when --json comes before any "--": even a usage error is then
// reported in JSON.
bool wantsJson(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--") == 0) return false;
        if (std::strcmp(argv[i], "--json") == 0) return true;
    }
    return false;
}

int runCli(int argc, char** argv) {
    setJsonErrors(wantsJson(argc, argv));
    // --quiet may also come before the command.
    if (argc >= 2 && (std::strcmp(argv[1], "--quiet") == 0 || std::strcmp(argv[1], "-q") == 0)) {
        setQuiet(true);
        --argc;
        ++argv;
    }
    if (argc < 2) {
        printHelp(stderr);
        return kExitUsage;
    }
    std::string name = argv[1];
    if (name == "--help" || name == "-h" || name == "help") {
        printHelp(stdout);
        return kExitOk;
    }
    if (name == "--version") {
        printVersion();
        return kExitOk;
    }
    // Not listed by --help: the build runs these to make the manual page and
    // the completion script.
    if (name == "--help-man") {
        printManPage();
        return kExitOk;
    }
    if (name == "--completion-bash") {
        printBashCompletion();
        return kExitOk;
    }
    for (const Command& c : commands())
        if (c.name == name) return runCommand(c, argc - 2, argv + 2);
    return usageError(name, "unknown command; sonkrate-cli --help lists them");
}

}  // namespace

// The arguments reach the commands in UTF-8 on every system, and what they
// print in UTF-8 shows as such on a Windows console.
int main(int argc, char** argv) {
    sonkrate::io::showUtf8OnConsole();
    std::vector<std::string> arguments = sonkrate::io::utf8Arguments(argc, argv);
    std::vector<char*> pointers = sonkrate::io::argumentPointers(arguments);
    return runCli(static_cast<int>(arguments.size()), pointers.data());
}
