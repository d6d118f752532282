#include "ids/search/name_choice.h"

#include <algorithm>
#include <tuple>

namespace sonkrate::ids {

bool isPlainName(const std::string& name) {
    return std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == ' ' || c == '-' ||
               c == '_' || c == '.';
    });
}

ChosenName chooseName(const std::vector<NameMatch>& matches) {
    ChosenName chosen;
    for (const NameMatch& m : matches) chosen.others.push_back(&m);
    if (chosen.others.empty()) return chosen;
    std::stable_sort(chosen.others.begin(), chosen.others.end(), [](const NameMatch* a, const NameMatch* b) {
        return std::make_tuple(a->how, !isPlainName(a->name), a->name.size(), std::cref(a->name)) <
               std::make_tuple(b->how, !isPlainName(b->name), b->name.size(), std::cref(b->name));
    });
    chosen.best = chosen.others.front();
    chosen.others.erase(chosen.others.begin());
    if (chosen.best->how == NameHow::Guessed)
        chosen.uncertain = std::any_of(chosen.others.begin(), chosen.others.end(),
                                       [](const NameMatch* m) { return m->how == NameHow::Guessed; });
    return chosen;
}

}  // namespace sonkrate::ids
