#include "lists/eel_format.h"

namespace sonkrate::lists {

io::Outcome writeEelLine(io::File& out, std::string_view text) {
    if (io::Outcome done = out.write(text.data(), text.size()); !done) return done;
    return out.write("\r\n", 2);
}

io::Outcome writeEelListing(io::File& out, const EelListing& listing) {
    for (const std::string* text : {&listing.name, &listing.path, &listing.third, &listing.fourth})
        if (io::Outcome done = writeEelLine(out, *text); !done) return done;
    return io::success();
}

io::Outcome writeEelTerminator(io::File& out) {
    if (io::Outcome done = writeEelLine(out, kEelZeroLine); !done) return done;
    return writeEelLine(out, kEelZeroLine);
}

std::string listingProblem(std::string_view name, std::string_view path) {
    auto hasBreak = [](std::string_view text) { return text.find_first_of("\r\n") != std::string_view::npos; };
    if (hasBreak(name) || hasBreak(path)) return "A list entry cannot hold a line break in its name or path.";
    if (name.size() < kMinListingName)
        return "The name \"" + std::string(name) +
               "\" is too short for a list entry: a name of fewer than 3 characters ends the list.";
    if (path.size() <= 1) return "The path \"" + std::string(path) + "\" is too short for a list entry.";
    return {};
}

io::Outcome EelReader::open(const std::string& path) {
    path_ = path;
    ended_ = false;
    return lines_.open(path);
}

bool EelReader::line(std::string& text) {
    if (lines_.readLine(text)) return true;
    text.clear();
    return false;
}

bool EelReader::readHeader(std::string& format, std::string& count) {
    bool first = line(format);
    return line(count) && first;
}

bool EelReader::next(EelListing& listing) {
    if (ended_) return false;
    line(listing.name);
    line(listing.path);
    if (listing.path.size() <= 1) {
        ended_ = true;
        return false;
    }
    if (!line(listing.third)) listing.third = kEelZeroLine;
    if (!line(listing.fourth)) listing.fourth = kEelZeroLine;
    return true;
}

}  // namespace sonkrate::lists
