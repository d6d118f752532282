#include "cli/help_text.h"

#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace sonkrate::cli {
namespace {

const char* const kWhat =
    "Sound archives (.tpa), sound images (.cau), sound lists (.eel) and .wav files\n"
    "of the game Trespasser.";
const char* const kScripts =
    "With --json, a failure (a usage error too) also prints {\"error\": SENTENCE, \"file\": PATH}\n"
    "on standard output (\"file\" is null for a usage error). Where a file argument\n"
    "can be -, the file goes to standard output (never to a terminal) or comes from\n"
    "standard input.";
const char* const kQuiet =
    "Every command also takes --quiet (or -q): no progress bar, no warnings and no\n"
    "summaries of what was done; errors still print, and so does the output asked\n"
    "for (the rows of list, the facts of info, the findings of verify, identifiers\n"
    "and names, --json output and a file written to standard output). Long work\n"
    "(export-all, add, replace, remove, build-dir, build-eel, dir-to-caus,\n"
    "beta-to-retail, names) shows a progress bar with the count and the time left on\n"
    "standard error when that is a terminal, and nothing otherwise.";
const char* const kExitCodes = "Exit codes: 0 success, 1 the operation failed, 2 usage error.";
const char* const kLicence =
    "Copyright (c) 2026 The Sonkrate developers. Published under the MIT licence:\n"
    "free to use, copy, change and pass on, with no warranty (the file LICENSE).";

// Text as troff reads it: backslashes escaped, minus signs kept as such, no
// line taken for a request.
std::string troff(const std::string& text) {
    std::string out;
    bool lineStart = true;
    for (char c : text) {
        if (lineStart && (c == '.' || c == '\'')) out += "\\&";
        if (c == '\\') out += "\\e";
        else if (c == '-') out += "\\-";
        else out += c;
        lineStart = c == '\n';
    }
    return out;
}

// The file extensions an argument of a synopsis names.
std::set<std::string> extensionsOf(const std::string& word) {
    if (word == "ARCHIVE" || word.find(".tpa") != std::string::npos) return {"tpa"};
    if (word.find(".cau") != std::string::npos) return {"cau"};
    if (word.find(".wav") != std::string::npos) return {"wav"};
    if (word.find(".eel") != std::string::npos) return {"eel"};
    if (word == "SOUND" || word == "OUT") return {"cau", "wav"};
    if (word == "FILE") return {"tpa", "cau"};
    if (word == "FOREIGN")
        return {"aiff", "aif", "aifc", "au", "snd", "voc", "caf", "sph", "paf", "pvf", "wve", "htk", "wav"};
    return {};
}

// The synopsis's words without brackets, bars and "...".
std::vector<std::string> wordsOf(const std::string& synopsis) {
    std::string cleaned;
    for (char c : synopsis) cleaned += (c == '[' || c == ']' || c == '|') ? ' ' : c;
    std::istringstream in(cleaned);
    std::vector<std::string> words;
    for (std::string w; in >> w;) {
        while (w.size() > 3 && w.compare(w.size() - 3, 3, "...") == 0) w.resize(w.size() - 3);
        words.push_back(w);
    }
    return words;
}

// "tpa|TPA|wav|WAV": the pattern of compgen -X, both cases.
std::string extensionPattern(const Command& c) {
    std::set<std::string> all;
    for (const std::string& w : wordsOf(c.synopsis)) all.merge(extensionsOf(w));
    std::string pattern;
    for (const std::string& e : all) {
        std::string upper = e;
        for (char& ch : upper) ch = static_cast<char>(ch - 'a' + 'A');
        pattern += (pattern.empty() ? "" : "|") + e + "|" + upper;
    }
    return pattern;
}

}  // namespace

void printHelp(std::FILE* to) {
    print(to, "usage: sonkrate-cli COMMAND ...\n\n%s\n\nCommands:\n", kWhat);
    for (const Command& c : commands())
        print(to, "  %-44s %s\n", c.synopsis.c_str(), c.summary.c_str());
    print(to,
                 "\nsonkrate-cli COMMAND --help describes a command; --version prints the version.\n%s\n%s\n%s\n",
                 kQuiet, kScripts, kExitCodes);
}

void printCommandHelp(const Command& c) {
    print(stdout, "usage: sonkrate-cli %s\n\n%s\n", c.synopsis.c_str(), c.summary.c_str());
    if (!c.details.empty()) print(stdout, "\n%s\n", c.details.c_str());
    print(stdout, "\n--quiet, -q: errors and the output asked for only; --help, -h: this text.\n");
}

void printVersion() {
    print(stdout, "sonkrate-cli %s, built %s\n%s\n", SONKRATE_VERSION, SONKRATE_BUILD_DATE, kLicence);
}

void printManPage() {
    print(stdout, ".TH SONKRATE\\-CLI 1 \"%s\" \"sonkrate-cli %s\" \"User Commands\"\n", SONKRATE_BUILD_DATE,
                SONKRATE_VERSION);
    // No hyphenation: command and option names stay whole, as they are typed.
    print(stdout, ".nh\n.SH NAME\nsonkrate\\-cli \\- sound archives, sound images and sound lists of the game\n"
                ".SH SYNOPSIS\n.B sonkrate\\-cli\n.I COMMAND\n\\&...\n.br\n.B sonkrate\\-cli\n"
                ".I COMMAND\n.B \\-\\-help\n.br\n.B sonkrate\\-cli \\-\\-version\n");
    print(stdout, ".SH DESCRIPTION\n%s\n.PP\n%s\n.SH OPTIONS\n.TP\n.B \\-\\-quiet, \\-q\n%s\n.TP\n"
                ".B \\-\\-help, \\-h\nDescribes the command.\n.SH COMMANDS\n",
                troff(kWhat).c_str(), troff(kScripts).c_str(), troff(kQuiet).c_str());
    for (const Command& c : commands()) {
        print(stdout, ".TP\n.B %s\n%s\n", troff(c.synopsis).c_str(), troff(c.summary).c_str());
        if (!c.details.empty()) print(stdout, ".IP\n%s\n", troff(c.details).c_str());
    }
    print(stdout, ".SH EXIT STATUS\n%s\n.SH COPYRIGHT\n%s\n.SH SEE ALSO\n.BR sox (1)\n", troff(kExitCodes).c_str(),
          troff(kLicence).c_str());
}

void printBashCompletion() {
    std::string names, cases;
    for (const Command& c : commands()) {
        names += (names.empty() ? "" : " ") + c.name;
        std::string options = "--help --quiet";
        for (const std::string& f : c.flagNames) options += " --" + f;
        for (const std::string& o : c.optionNames) options += " --" + o;
        cases += "        " + c.name + ") options=\"" + options + "\"; types=\"" + extensionPattern(c) + "\" ;;\n";
    }
    print(stdout, 
        "# bash completion for sonkrate-cli: commands, their options, and the files they take\n"
        "shopt -s extglob  # the file type patterns below\n"
        "_sonkrate_cli() {\n"
        "    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]} options types\n"
        "    COMPREPLY=()\n"
        "    if (( COMP_CWORD == 1 )); then\n"
        "        COMPREPLY=($(compgen -W \"%s --help --version\" -- \"$cur\"))\n"
        "        return\n"
        "    fi\n"
        "    case ${COMP_WORDS[1]} in\n%s"
        "        *) return ;;\n"
        "    esac\n"
        "    case $prev in\n"
        "        --caption|--name) return ;;\n"
        "        --db|--log|--backup|--missing) COMPREPLY=($(compgen -f -- \"$cur\")); return ;;\n"
        "    esac\n"
        "    if [[ $cur == -?* ]]; then\n"
        "        COMPREPLY=($(compgen -W \"$options\" -- \"$cur\"))\n"
        "    elif [[ -n $types ]]; then\n"
        "        local IFS=$'\\n'\n"
        "        COMPREPLY=($(compgen -d -- \"$cur\") $(compgen -f -X \"!*.@($types)\" -- \"$cur\"))\n"
        "    else\n"
        "        local IFS=$'\\n'\n"
        "        COMPREPLY=($(compgen -f -- \"$cur\"))\n"
        "    fi\n"
        "}\n"
        "complete -o filenames -F _sonkrate_cli sonkrate-cli\n",
        names.c_str(), cases.c_str());
}

}  // namespace sonkrate::cli
