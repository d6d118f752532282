#include "lists/make_eel.h"

#include <algorithm>
#include <system_error>

#include "io/folder_listing.h"
#include "io/game_text.h"
#include "io/paths.h"
#include "io/replacement.h"
#include "lists/eel_format.h"

namespace sonkrate::lists {


namespace {

io::Outcome listCauNames(const std::string& folder, std::vector<std::string>& names) {
    return io::listFileNames(folder, ".cau", names);
}

}  // namespace

MakeEelResult makeEelFromCaus(const std::string& folder, const std::string& listName) {
    MakeEelResult result;
    if (listName.empty()) {
        result.outcome = io::failure("No name was given for the sound list to make in " + folder);
        return result;
    }
    result.listPath = io::joinPath(folder, listName + ".eel");

    std::vector<std::string> names;
    if (!(result.outcome = listCauNames(folder, names))) return result;
    std::vector<EelListing> listings;
    for (const std::string& name : names) {
        // The sound's name as the game hashes it: in its code page where it fits.
        EelListing listing{io::gameText(name.substr(0, name.size() - 4)), io::joinPath(folder, name)};
        if (!listingProblem(listing.name, listing.path).empty()) {
            result.skipped.push_back(name);
            continue;
        }
        listings.push_back(std::move(listing));
    }

    io::ReplacementFile out;
    if (!(result.outcome = out.begin(result.listPath))) return result;
    io::File& file = out.file();
    auto write = [&]() -> io::Outcome {
        if (io::Outcome done = writeEelLine(file, kEelFormatLine); !done) return done;
        if (io::Outcome done = writeEelLine(file, std::to_string(listings.size() + 1)); !done) return done;
        if (io::Outcome done = writeEelListing(file, EelListing{std::string(kPlaceholderName),
                                                                std::string(kPlaceholderFileName)});
            !done)
            return done;
        for (const EelListing& listing : listings)
            if (io::Outcome done = writeEelListing(file, listing); !done) return done;
        if (io::Outcome done = writeEelTerminator(file); !done) return done;
        return out.commit();
    };
    if (!(result.outcome = write())) return result;
    result.listed = listings.size();
    return result;
}

}  // namespace sonkrate::lists
