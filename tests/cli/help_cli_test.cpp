// What sonkrate-cli says about itself: --version, the manual page and the bash
// completion the build makes from the --help text.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <set>
#include <sstream>

#include "testkit/testkit.h"

using testkit::quote;
using testkit::run;

namespace {

std::string cli(const std::string& args) { return quote(SONKRATE_CLI_PATH) + " " + args; }

// The commands --help lists: the first word of each indented line under "Commands:".
std::set<std::string> commandsOfHelp() {
    std::istringstream help(run(cli("--help")).out);
    std::set<std::string> names;
    bool inList = false;
    for (std::string line; std::getline(help, line);) {
        if (line == "Commands:") inList = true;
        else if (line.empty()) inList = false;
        else if (inList && line.compare(0, 2, "  ") == 0) names.insert(line.substr(2, line.find(' ', 2) - 2));
    }
    return names;
}

// A file the build writes beside the tool.
std::string besideTool(const std::string& name) {
    return (std::filesystem::path(SONKRATE_CLI_PATH).parent_path() / name).string();
}

// The words bash offers for the command line words, the last being completed.
std::set<std::string> complete(const std::string& folder, const std::string& words, int index) {
    std::string script = "cd " + quote(folder) + " && source " + quote(besideTool("sonkrate-cli.bash-completion")) +
                         " && COMP_WORDS=(" + words + ") && COMP_CWORD=" + std::to_string(index) +
                         " && _sonkrate_cli && printf '%s\\n' \"${COMPREPLY[@]}\"";
    std::istringstream out(run("bash -c " + quote(script)).out);
    std::set<std::string> offered;
    for (std::string line; std::getline(out, line);)
        if (!line.empty()) offered.insert(line);
    return offered;
}

}  // namespace

TEST(CliHelp, VersionNamesTheBuildDateAndTheLicence) {
    auto version = run(cli("--version"));
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_TRUE(std::regex_match(version.out, std::regex("sonkrate-cli [0-9]+\\.[0-9]+\\.[0-9]+, built "
                                                         "20[0-9][0-9]-[01][0-9]-[0-3][0-9]\n"
                                                         "Copyright \\(c\\) 2026 The Sonkrate developers\\. "
                                                         "Published under the MIT licence:\n[^\n]+\n")))
        << version.out;
    EXPECT_NE(run(cli("--help-man")).out.find(".SH COPYRIGHT\nCopyright (c) 2026 The Sonkrate developers"),
              std::string::npos);
}

// Each command's synopsis and the options it takes agree: the options the
// completion offers (those the command accepts) are the --words of the synopsis,
// and the command does not refuse any of them as unknown.
TEST(CliHelp, SynopsisNamesExactlyTheOptionsACommandTakes) {
    const std::string completion = run(cli("--completion-bash")).out;
    const std::set<std::string> commands = commandsOfHelp();
    ASSERT_GE(commands.size(), 19u);
    const std::regex optionWord("--[a-z-]+");
    for (const std::string& name : commands) {
        auto help = run(cli(name + " --help"));
        ASSERT_EQ(help.exitCode, 0) << name;
        const std::string usage = help.out.substr(0, help.out.find('\n'));
        ASSERT_EQ(usage.rfind("usage: sonkrate-cli " + name, 0), 0u) << usage;
        std::set<std::string> inSynopsis;
        for (std::sregex_iterator w(usage.begin(), usage.end(), optionWord), end; w != end; ++w)
            inSynopsis.insert(w->str());

        const std::string row = "        " + name + ") options=\"";
        std::size_t from = completion.find(row);
        ASSERT_NE(from, std::string::npos) << name;
        from += row.size();
        std::istringstream offered(completion.substr(from, completion.find('"', from) - from));
        std::set<std::string> accepted;
        for (std::string o; offered >> o;)
            if (o != "--help" && o != "--quiet") accepted.insert(o);
        EXPECT_EQ(inSynopsis, accepted) << name;

        for (const std::string& option : inSynopsis) {
            auto tried = run(cli(name + " " + option));
            EXPECT_EQ(tried.exitCode, 2) << name << " " << option;
            EXPECT_EQ(tried.err.find("unknown option"), std::string::npos) << tried.err;
        }
    }
}

#if !defined(_WIN32)
TEST(CliHelp, ManualPageNamesEveryCommandOfHelp) {
    const std::set<std::string> commands = commandsOfHelp();
    ASSERT_GE(commands.size(), 19u);
    const std::string page = testkit::readText(besideTool("sonkrate-cli.1"));
    ASSERT_EQ(page.compare(0, 4, ".TH "), 0) << page.substr(0, 80);
    for (const std::string& name : commands) {
        std::string troffName = std::regex_replace(name, std::regex("-"), "\\-");
        EXPECT_NE(page.find("\n.B " + troffName + " "), std::string::npos) << name;
    }
    if (testkit::haveTool("groff")) {
        auto shown = run("groff -man -Tascii -P-cbou -ww " + quote(besideTool("sonkrate-cli.1")));
        EXPECT_EQ(shown.exitCode, 0);
        EXPECT_EQ(shown.err, "");
        for (const std::string& name : commands) EXPECT_NE(shown.out.find(name), std::string::npos) << name;
        EXPECT_NE(shown.out.find("EXIT STATUS"), std::string::npos);
    }
}

TEST(CliHelp, BashCompletesCommandsOptionsAndFileTypes) {
    if (!testkit::haveTool("bash")) GTEST_SKIP() << "needs bash";
    testkit::ScratchDir dir;
    for (const char* name : {"a.tpa", "b.wav", "c.CAU", "d.eel", "e.txt"}) testkit::writeText(dir.file(name), "x");
    std::filesystem::create_directory(dir.file("sub"));

    std::set<std::string> first = complete(dir.path(), "sonkrate-cli ''", 1);
    for (const std::string& name : commandsOfHelp()) EXPECT_EQ(first.count(name), 1u) << name;
    EXPECT_EQ(first.count("--version"), 1u);
    EXPECT_EQ(complete(dir.path(), "sonkrate-cli ex", 1), (std::set<std::string>{"export-all", "extract"}));

    EXPECT_EQ(complete(dir.path(), "sonkrate-cli list --", 2),
              (std::set<std::string>{"--help", "--quiet", "--json", "--db"}));
    EXPECT_EQ(complete(dir.path(), "sonkrate-cli info ''", 2), (std::set<std::string>{"a.tpa", "sub"}));
    EXPECT_EQ(complete(dir.path(), "sonkrate-cli cau2wav ''", 2), (std::set<std::string>{"b.wav", "c.CAU", "sub"}));
    EXPECT_EQ(complete(dir.path(), "sonkrate-cli add a.tpa ''", 3),
              (std::set<std::string>{"b.wav", "c.CAU", "a.tpa", "sub"}));
    EXPECT_EQ(complete(dir.path(), "sonkrate-cli build-eel ''", 2), (std::set<std::string>{"a.tpa", "d.eel", "sub"}));
    // The value of --db is any file.
    EXPECT_EQ(complete(dir.path(), "sonkrate-cli list a.tpa --db e", 4), (std::set<std::string>{"e.txt"}));
}
#endif
