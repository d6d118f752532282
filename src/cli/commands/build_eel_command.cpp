// sonkrate-cli build-eel: an archive from an .eel list, missing sounds
// replaced by the built-in missing sound and reported.
#include <cstdio>
#include <filesystem>
#include <random>
#include <system_error>

#include "archive/edit/build_from_list.h"
#include "cli/cli.h"
#include "cli/commands.h"
#include "io/file_system.h"
#include "io/game_text.h"
#include "io/unicode_text.h"
#include "lists/build_listings.h"
#include "lists/eel_list.h"

namespace sonkrate::cli {
namespace {

namespace fs = std::filesystem;

// Where the built-in missing sound goes for one run when no --missing is given.
std::string temporaryMissingCau() {
    std::error_code ec;
    fs::path folder = fs::temp_directory_path(ec);
    if (ec) folder = ".";
    std::random_device random;
    return io::utf8Path(folder / ("sonkrate-missing-" + std::to_string(random()) + ".cau"));
}

}  // namespace

int runBuildEel(const Arguments& args) {
    const std::string& listPath = args.positional[0];
    const std::string& target = args.positional[1];

    lists::EelList list;
    list.workPath = listPath;
    lists::EelListView view = lists::readEelListView(listPath, list.size);
    if (!view.outcome) return failed(view.outcome);

    std::vector<lists::BuildListing> read;
    if (io::Outcome listed = lists::readBuildListings(list, read); !listed) return failed(listed);
    std::vector<archive::ListedSound> listings;
    for (const lists::BuildListing& l : read) listings.push_back({l.name, l.path});

    std::optional<std::string> given = args.option("missing");
    std::string missingCau = given ? *given : temporaryMissingCau();
    Progress progress("building", ProgressUnit::Sounds);
    archive::ListBuildResult r =
        archive::buildArchiveFromList(listings, target, missingCau, list.size - 1, progress.itemCallback());
    progress.finish();
    if (!given) (void)io::removeFile(missingCau);
    for (const std::string& problem : r.problems) warning(problem);
    if (!r.outcome) return failed(r.outcome);

    say(stdout, "%s: %zu sound%s added\n", target.c_str(), r.appended, r.appended == 1 ? "" : "s");
    if (!r.idListPath.empty()) say(stdout, "identifiers: %s\n", r.idListPath.c_str());
    if (!r.missingNames.empty()) {
        std::string names;
        for (const std::string& name : r.missingNames) names += " " + io::shownText(name);
        say(stdout, "%zu replaced by the missing sound:%s\nreport: %s\n", r.missingNames.size(), names.c_str(),
            r.missingReportPath.c_str());
    }
    return kExitOk;
}

const char* const kBuildEelDetails =
    "Writes a new archive holding the default sound, then every listing of the list\n"
    "but the first, in list order. A listed file that cannot be found (or is not a\n"
    "sound image) is replaced by the missing sound and named in the report beside\n"
    "OUT (xIDs__missing.txt for x.tpa); the identifiers of the sounds added go to\n"
    "xIDs__list.txt. --missing names the replacement sound file (the built-in\n"
    "one is written there when it does not exist). OUT is replaced only once the\n"
    "whole archive is built.";

}  // namespace sonkrate::cli
