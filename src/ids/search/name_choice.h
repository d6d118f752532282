// Choosing the name of an identifier among the strings that matched it:
// found before varied before guessed, then one made only of letters, digits,
// blanks and "-_." before one with other characters, then the shorter.
#pragma once

#include <vector>

#include "ids/search/name_matches.h"

namespace sonkrate::ids {

struct ChosenName {
    const NameMatch* best = nullptr;         // null when there were no matches
    std::vector<const NameMatch*> others;    // the rest, best first
    // The best is a guess and other guesses matched too: chance is as likely
    // as the name, so it is not to be written.
    bool uncertain = false;
};

// Whether the name is made only of letters, digits, blanks and "-_.".
bool isPlainName(const std::string& name);

ChosenName chooseName(const std::vector<NameMatch>& matches);

}  // namespace sonkrate::ids
