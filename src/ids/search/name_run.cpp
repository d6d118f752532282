#include "ids/search/name_run.h"

#include "ids/search/name_choice.h"
#include "ids/search/name_harvest.h"
#include "ids/search/name_matches.h"
#include "ids/search/name_search.h"
#include "ids/search/name_variations.h"
#include "io/tree_walk.h"

namespace sonkrate::ids {

namespace {

void keepProblem(NameRunResult& result, const std::string& sentence) {
    ++result.problemCount;
    if (result.problems.size() < kMaxProblemsKept) result.problems.push_back(sentence);
}

// Harvests file by file, so that a cancel is taken between two files.
void harvestFolders(const NameRunRequest& request, const SoughtIds& sought, NameMatches& matches,
                    const std::atomic<bool>& cancel, const std::function<void(const NameRunProgress&)>& progress,
                    NameRunResult& result) {
    std::vector<io::WalkedFile> files;
    NameRunProgress shown;
    io::walkFiles(request.folders, [&](const io::WalkedFile& f) {
        files.push_back(f);
        shown.bytesTotal += f.size;
        return !cancel.load();
    }, [&](const std::string& problem) { keepProblem(result, problem); });
    for (const io::WalkedFile& f : files) {
        if (cancel.load()) return;
        const std::uint64_t before = shown.bytesDone;
        HarvestResult r = harvestNames({f.path}, sought, matches, [&](const HarvestProgress& p) {
            shown.bytesDone = before + p.bytesDone;
            if (progress) progress(shown);
        }, [&](const std::string& problem) { keepProblem(result, problem); });
        result.filesRead += r.filesRead;
        shown.bytesDone = before + f.size;
        shown.filesDone += 1;
        shown.namesFound += r.namesFound;
        if (progress) progress(shown);
    }
}

}  // namespace

NameRunResult runNameSearch(const NameRunRequest& request, const std::atomic<bool>& cancel,
                            const std::function<void(const NameRunProgress&)>& progress) {
    NameRunResult result;
    const SoughtIds sought(request.sought);
    NameMatches matches;
    if (sought.size() > 0) {
        harvestFolders(request, sought, matches, cancel, progress, result);
        for (const NamePattern& pattern : request.patterns) {
            if (cancel.load()) break;
            GuessResult g = guessNames(pattern, sought);
            for (GuessMatch& m : g.matches) matches.add({m.id, std::move(m.name), NameHow::Guessed, {}, 0});
            result.guessesCut = result.guessesCut || g.matchesCut;
        }
        if (request.vary && !cancel.load()) (void)varyNames(matches, sought, request.known);
    }
    if (cancel.load()) {
        result.cancelled = true;
        return result;
    }
    for (const auto& [id, list] : matches.byId()) {
        const ChosenName chosen = chooseName(list);
        if (chosen.best && !chosen.uncertain && chosen.best->name.find('"') == std::string::npos)
            result.names[id] = chosen.best->name;
    }
    return result;
}

}  // namespace sonkrate::ids
