// Building an archive from a hostile .eel list whose listings name a sound
// .cau, a hostile .cau and files that do not exist. Input: the list, then the
// hostile .cau. Every path line is confined to the scratch folder.
#include "archive/format/tpa_loader.h"
#include "audio/cau/missing_sound.h"
#include "fuzz/fuzz_support.h"
#include "fuzz/sample_files.h"
#include "archive/edit/build_from_list.h"
#include "lists/build_listings.h"
#include "lists/eel_list.h"

using namespace sonkrate;

namespace {

// The list with the text of every path line made a file name inside the
// scratch folder; lines of one character or none stay as they are, since
// they end the list.
std::string confinedList(const fuzz::Bytes& text) {
    std::string in(text.begin(), text.end()), out;
    std::size_t line = 0, start = 0;
    while (start <= in.size()) {
        std::size_t end = in.find('\n', start);
        bool last = end == std::string::npos;
        std::string body = in.substr(start, last ? std::string::npos : end - start);
        bool cr = !body.empty() && body.back() == '\r';
        if (cr) body.pop_back();
        if (line >= 2 && (line - 2) % 4 == 1 && body.size() > 1) {
            for (char& c : body)
                if (c == '/' || c == '\\' || c == ':' || c == '\0') c = '_';
            body = fuzz::scratchPath(body.substr(0, 48));
        }
        out += body;
        if (cr) out += '\r';
        if (last) break;
        out += '\n';
        start = end + 1;
        ++line;
    }
    return out;
}

}  // namespace

SONKRATE_FUZZ_HARNESS(eel_build) {
    std::vector<fuzz::Bytes> parts = fuzz::splitParts(data, size, 2);
    // The missing sound is made once: encoding it per run would dwarf the build.
    static const fuzz::Bytes missing = audio::missingSoundImage();
    static const fuzz::Bytes good = fuzz::smallPcmCau(64, "caption");
    fuzz::writeScratch("missing.cau", missing);
    fuzz::writeScratch("good.cau", good);
    fuzz::writeScratch("bad.cau", parts[1]);
    lists::EelList list;
    list.workPath = fuzz::writeScratch("list.eel", confinedList(parts[0]));
    std::uint32_t count = 0;
    (void)lists::readEelListView(list.workPath, count);
    list.size = count;
    std::vector<lists::BuildListing> listings;
    if (!lists::readBuildListings(list, listings)) return;
    std::vector<archive::ListedSound> listed;
    for (const lists::BuildListing& l : listings) listed.push_back({l.name, l.path});
    std::string target = fuzz::scratchPath("built.tpa");
    archive::ListBuildResult built = archive::buildArchiveFromList(listed, target, fuzz::scratchPath("missing.cau"));
    if (!built.archiveWritten) {
        fuzz::check(!fuzz::exists(target), "a failed build left an archive");
        return;
    }
    archive::TpaLoad load = archive::loadTpaArchive(target, fuzz::scratchFolder());
    fuzz::check(static_cast<bool>(load.outcome), "a built archive cannot be loaded: " + load.outcome.reason);
    fuzz::check(load.archive.entryCount == built.appended + 1, "a built archive holds another number of entries");
}
