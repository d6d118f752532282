#include "lists/eel_list.h"

#include "io/copy_replacing.h"
#include "io/file.h"
#include "io/game_text.h"
#include "io/paths.h"
#include "io/replacement.h"
#include "lists/eel_format.h"

namespace sonkrate::lists {

namespace {

// A list of this size would be hundreds of thousands of listings; anything
// larger is not a list, and showing it would only fill memory.
constexpr std::uint64_t kMaxEelFileSize = 64u << 20;

io::Outcome checkListSize(const std::string& path) {
    io::File file;
    if (io::Outcome opened = file.open(path, io::FileMode::Read); !opened) return opened;
    if (file.size() > kMaxEelFileSize)
        return io::failure(path + " is " + std::to_string(file.size()) +
                           " bytes long, too large to be a sound list (.eel).");
    return io::success();
}

io::Outcome readFailure(const std::string& path) { return io::failure("Cannot read the sound list " + path); }

// The list box rows of a listing.
void show(EelListView& view, const EelListing& listing) {
    view.items.push_back(listing.name);
    view.items.push_back(listing.path);
}

}  // namespace

EelListView readEelListView(const std::string& path, std::uint32_t& count) {
    EelListView view;
    count = 0;
    if (!(view.outcome = checkListSize(path))) return view;
    EelReader reader;
    if (!(view.outcome = reader.open(path))) return view;
    std::string format, countLine;
    reader.readHeader(format, countLine);
    EelListing listing;
    while (reader.next(listing)) {
        view.items.push_back(listing.name);
        view.items.push_back(listing.path);
        ++count;
    }
    if (reader.failed()) view.outcome = readFailure(path);
    return view;
}

EelListView resetEelList(EelList& list, const std::string& workPath, const std::string& missingCauPath) {
    EelListView view;
    io::ReplacementFile out;
    if (!(view.outcome = out.begin(workPath))) return view;
    EelListing placeholder{std::string(kPlaceholderName), missingCauPath};
    if ((view.outcome = writeEelLine(out.file(), kEelFormatLine)) &&
        (view.outcome = writeEelLine(out.file(), "1")) && (view.outcome = writeEelListing(out.file(), placeholder)) &&
        (view.outcome = writeEelTerminator(out.file())))
        view.outcome = out.commit();
    if (!view.outcome) return view;
    list.workPath = workPath;
    list.size = 1;
    view.items = {placeholder.name, placeholder.path};
    return view;
}

EelListView loadEelList(EelList& list, const std::string& sourcePath) {
    EelListView view;
    if (!(view.outcome = checkListSize(sourcePath))) return view;
    // Read first: a list that cannot be shown does not replace the working file.
    std::uint32_t count = 0;
    view = readEelListView(sourcePath, count);
    if (!view.outcome) return view;
    if (!(view.outcome = io::copyFileReplacing(sourcePath, list.workPath))) {
        view.items.clear();
        return view;
    }
    list.size = count;
    return view;
}

EelSaveResult saveEelList(const EelList& list, const std::string& targetPath) {
    EelSaveResult result;
    EelReader reader;
    if (!(result.outcome = reader.open(list.workPath))) return result;
    io::ReplacementFile out;
    if (!(result.outcome = out.begin(targetPath))) return result;
    io::File& file = out.file();
    if (!(result.outcome = writeEelLine(file, kEelFormatLine)) ||
        !(result.outcome = writeEelLine(file, std::to_string(list.size))))
        return result;
    std::string format, count;
    reader.readHeader(format, count);
    EelListing listing;
    while (reader.next(listing)) {
        if (listing.name.size() < kMinListingName) {
            result.stoppedAtShortName = true;
            break;
        }
        if (!(result.outcome = writeEelListing(file, listing))) return result;
        ++result.listingsWritten;
    }
    if (reader.failed()) {
        result.outcome = readFailure(list.workPath);
        return result;
    }
    reader.close();
    if ((result.outcome = writeEelTerminator(file))) result.outcome = out.commit();
    return result;
}

EelListView addEelListing(EelList& list, const std::string& name, const std::string& cauPath) {
    EelListView view;
    if (std::string problem = listingProblem(name, cauPath); !problem.empty()) {
        view.outcome = io::failure(problem + " Nothing was added to the list.");
        return view;
    }
    EelReader reader;
    if (!(view.outcome = reader.open(list.workPath))) return view;
    io::ReplacementFile out;
    if (!(view.outcome = out.begin(list.workPath))) return view;
    io::File& file = out.file();

    // The header is carried over as it stands; the count line is rewritten
    // only by a save or a remove.
    std::string format, count;
    if (!reader.readHeader(format, count)) {
        format = kEelFormatLine;
        count = std::to_string(list.size);
    }
    if (!(view.outcome = writeEelLine(file, format)) || !(view.outcome = writeEelLine(file, count))) return view;
    // The rows shown are gathered on the way, so that nothing has to be read
    // again once the new list is in place.
    EelListing listing;
    while (reader.next(listing)) {
        if (!(view.outcome = writeEelListing(file, listing))) return view;
        show(view, listing);
    }
    if (reader.failed()) {
        view.outcome = readFailure(list.workPath);
        view.items.clear();
        return view;
    }
    reader.close();
    // The new listing stands where the old terminator stood.
    const EelListing added{name, cauPath};
    if (!(view.outcome = writeEelListing(file, added)) || !(view.outcome = writeEelTerminator(file)) ||
        !(view.outcome = out.commit())) {
        view.items.clear();
        return view;
    }
    show(view, added);
    list.size += 1;
    return view;
}

std::string listingNameFromFile(const std::string& cauPath) {
    return io::gameText(io::stripFromFirstDot(io::fileNameOf(cauPath)));
}

EelListView removeEelListing(EelList& list, const std::string& name) {
    EelListView view;
    // First pass: how many listings stay, for the count line.
    std::uint32_t kept = 0;
    {
        EelReader reader;
        if (!(view.outcome = reader.open(list.workPath))) return view;
        std::string format, count;
        reader.readHeader(format, count);
        EelListing listing;
        for (bool first = true; reader.next(listing); first = false)
            if (first || listing.name != name) ++kept;
        if (reader.failed()) {
            view.outcome = readFailure(list.workPath);
            return view;
        }
    }

    EelReader reader;
    if (!(view.outcome = reader.open(list.workPath))) return view;
    io::ReplacementFile out;
    if (!(view.outcome = out.begin(list.workPath))) return view;
    io::File& file = out.file();
    if (!(view.outcome = writeEelLine(file, kEelFormatLine)) ||
        !(view.outcome = writeEelLine(file, std::to_string(kept))))
        return view;
    std::string format, count;
    reader.readHeader(format, count);
    EelListing listing;
    for (bool first = true; reader.next(listing); first = false) {
        if (!first && listing.name == name) continue;
        if (!(view.outcome = writeEelListing(file, listing))) return view;
        show(view, listing);
    }
    if (reader.failed()) {
        view.outcome = readFailure(list.workPath);
        view.items.clear();
        return view;
    }
    reader.close();
    if (!(view.outcome = writeEelTerminator(file)) || !(view.outcome = out.commit())) {
        view.items.clear();
        return view;
    }
    list.size = kept;
    return view;
}

}  // namespace sonkrate::lists
