#include "ids/search/name_run.h"

#include <utility>

#include "ids/search/name_choice.h"
#include "ids/search/name_harvest.h"
#include "ids/search/name_matches.h"
#include "ids/search/name_search.h"
#include "ids/search/name_variations.h"

namespace sonkrate::ids {

namespace {

void harvestFolders(const NameRunRequest& request, const SoughtIds& sought, NameMatches& matches,
                    const std::atomic<bool>& cancel, const std::function<void(const NameRunProgress&)>& progress,
                    NameRunResult& result) {
    HarvestHooks hooks;
    if (progress)
        hooks.progress = [&](const HarvestProgress& p) { progress({p.bytesDone, p.bytesTotal, p.filesDone, p.namesFound}); };
    hooks.cancel = &cancel;
    HarvestResult harvest = harvestNames(request.folders, sought, matches, hooks);
    result.filesRead = harvest.filesRead;
    result.problems = std::move(harvest.problems);
    result.problemCount = harvest.problemCount;
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
