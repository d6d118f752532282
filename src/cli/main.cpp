// sonkrate-cli: every core operation of Sonkrate as a subcommand.
#include <cstdio>
#include <cstring>
#include <string>

#include "cli/cli.h"

using namespace sonkrate::cli;

namespace {

// The commands as --help lists them: archive reading, conversions, writing.
std::vector<const Command*> commandsInOrder() {
    static const char* const order[] = {"info",     "list",    "extract",   "export-all", "cau2wav",
                                        "wav2cau",  "convert", "id",        "lookup",     "new",
                                        "add",      "replace", "remove",    "build-dir",  "make-eel",
                                        "build-eel", "dir-to-caus", "beta-to-retail", "verify"};
    std::vector<const Command*> sorted;
    for (const char* name : order)
        for (const Command& c : commands())
            if (c.name == name) sorted.push_back(&c);
    for (const Command& c : commands()) {
        bool listed = false;
        for (const char* name : order) listed = listed || c.name == name;
        if (!listed) sorted.push_back(&c);
    }
    return sorted;
}

void printHelp() {
    std::printf("usage: sonkrate-cli COMMAND ...\n\n"
                "Sound archives (.tpa), sound images (.cau), sound lists (.eel) and .wav files\n"
                "of the game Trespasser.\n\nCommands:\n");
    for (const Command* c : commandsInOrder()) std::printf("  %-44s %s\n", c->synopsis.c_str(), c->summary.c_str());
    std::printf("\nsonkrate-cli COMMAND --help describes a command; --version prints the version.\n"
                "Exit codes: 0 success, 1 the operation failed, 2 usage error.\n");
}

void printCommandHelp(const Command& c) {
    std::printf("usage: sonkrate-cli %s\n\n%s\n", c.synopsis.c_str(), c.summary.c_str());
    if (!c.details.empty()) std::printf("\n%s\n", c.details.c_str());
}

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

}  // namespace

int main(int argc, char** argv) {
    setJsonErrors(wantsJson(argc, argv));
    if (argc < 2) {
        printHelp();
        return kExitUsage;
    }
    std::string name = argv[1];
    if (name == "--help" || name == "-h" || name == "help") {
        printHelp();
        return kExitOk;
    }
    if (name == "--version") {
        std::printf("sonkrate-cli %s\n", SONKRATE_VERSION);
        return kExitOk;
    }
    for (const Command& c : commands())
        if (c.name == name) return runCommand(c, argc - 2, argv + 2);
    return usageError(name, "unknown command; sonkrate-cli --help lists them");
}
