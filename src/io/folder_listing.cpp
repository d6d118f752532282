#include "io/folder_listing.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "io/paths.h"
#include "io/unicode_text.h"

namespace sonkrate::io {

namespace fs = std::filesystem;

Outcome listFileNames(const std::string& folder, std::string_view suffix, std::vector<std::string>& names) {
    names.clear();
    std::string lowerSuffix = toLower(suffix);
    std::error_code ec;
    fs::directory_iterator it(folder.empty() ? fs::path(".") : nativePath(folder), ec);
    if (ec) return failure("Cannot list the folder " + folder + ": " + ec.message());
    for (const fs::directory_iterator end; it != end; it.increment(ec)) {
        if (ec) break;
        std::error_code typeError;
        if (!it->is_regular_file(typeError)) continue;
        std::string name = utf8Path(it->path().filename());
        if (endsWith(toLower(name), lowerSuffix)) names.push_back(std::move(name));
    }
    if (ec) return failure("Cannot list the folder " + folder + ": " + ec.message());
    std::sort(names.begin(), names.end());
    return success();
}

}  // namespace sonkrate::io
