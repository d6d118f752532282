#include "audio/convert/dir_to_caus.h"

#include <algorithm>
#include <system_error>

#include "audio/convert/target_names.h"
#include "io/folder_listing.h"
#include "io/paths.h"

namespace sonkrate::audio {


io::Outcome listWavNames(const std::string& folder, std::vector<std::string>& names) {
    return io::listFileNames(folder, "wav", names);
}

DirToCausResult dirToCaus(const std::string& folder, const io::ItemProgressCallback& progress) {
    DirToCausResult result;
    std::vector<std::string> names;
    if (!(result.outcome = listWavNames(folder, names))) return result;
    const std::uint64_t total = names.size();
    for (std::size_t i = 0; i < names.size(); ++i) {
        io::reportItemProgress(progress, i, total, names[i]);
        DirToCausItem item;
        item.wavPath = io::joinPath(folder, names[i]);
        item.cauPath = dirToCausTarget(item.wavPath);
        WavToCauResult converted = wavToCau(item.wavPath, item.cauPath, "");
        item.status = converted.status;
        item.kind = converted.kind;
        item.reason = converted.outcome.reason;
        switch (item.status) {
        case WavToCauStatus::Written: ++result.converted; break;
        case WavToCauStatus::Refused: ++result.refused; break;
        case WavToCauStatus::Failed: ++result.failed; break;
        }
        result.items.push_back(std::move(item));
    }
    io::reportItemProgress(progress, total, total, "");
    return result;
}

}  // namespace sonkrate::audio
