// The .eel list reader and the edits made on a loaded list: load, add,
// remove and save, every step leaving a list that reads back.
#include "fuzz/fuzz_support.h"
#include "lists/eel_list.h"

using namespace sonkrate;

SONKRATE_FUZZ_HARNESS(eel_list) {
    std::string source = fuzz::writeScratch("list.eel", data, size);
    std::uint32_t count = 0;
    lists::EelListView view = lists::readEelListView(source, count);
    if (view.outcome) fuzz::check(view.items.size() == 2u * count, "the list box holds another number of items");
    lists::EelList list;
    list.workPath = fuzz::scratchPath("temp_eel.eel");
    lists::EelListView loaded = lists::loadEelList(list, source);
    if (!loaded.outcome) return;
    lists::EelListView added = lists::addEelListing(list, "added sound", fuzz::scratchPath("added.cau"));
    if (added.outcome) {
        fuzz::check(added.items.size() >= 2 && added.items[added.items.size() - 2] == "added sound",
                    "an added listing is not the last one shown");
    }
    std::string removed = loaded.items.size() >= 4 ? loaded.items[2] : "added sound";
    (void)lists::removeEelListing(list, removed);
    std::string saved = fuzz::scratchPath("saved.eel");
    lists::EelSaveResult result = lists::saveEelList(list, saved);
    if (!result.outcome) return;
    std::uint32_t savedCount = 0;
    lists::EelListView reread = lists::readEelListView(saved, savedCount);
    fuzz::check(static_cast<bool>(reread.outcome), "a saved list cannot be read back");
    fuzz::check(savedCount == result.listingsWritten, "a saved list shows another number of listings");
}
