#include "io/tree_walk.h"

#include <filesystem>
#include <system_error>

#include "io/file_system.h"
#include "io/unicode_text.h"

namespace sonkrate::io {

namespace fs = std::filesystem;

namespace {

enum class Kind { File, Folder, Other };

// What the entry is, links to files taken as files; a link to a folder is Other.
Kind kindOf(const fs::path& path, std::uint64_t& size) {
    std::error_code ec;
    const fs::file_status own = fs::symlink_status(path, ec);
    if (ec) return Kind::Other;
    if (fs::is_directory(own)) return Kind::Folder;
    const fs::file_status target = fs::is_symlink(own) ? fs::status(path, ec) : own;
    if (ec || !fs::is_regular_file(target)) return Kind::Other;
    size = fs::file_size(path, ec);
    if (ec) size = 0;
    return Kind::File;
}

// Depth first, one open folder per level.
bool walkFolder(const fs::path& root, const std::function<bool(const WalkedFile&)>& onFile,
                const std::function<void(const std::string&)>& onProblem) {
    std::vector<fs::directory_iterator> open;
    std::error_code ec;
    open.emplace_back(root, ec);
    if (ec) {
        onProblem("Cannot read the folder " + utf8Path(root) + ": " + ec.message());
        return true;
    }
    while (!open.empty()) {
        fs::directory_iterator& it = open.back();
        if (it == fs::directory_iterator()) {
            open.pop_back();
            continue;
        }
        const fs::path path = it->path();
        it.increment(ec);
        if (ec) {
            onProblem("Cannot read the folder " + utf8Path(path.parent_path()) + ": " + ec.message());
            it = fs::directory_iterator();
            ec.clear();
        }
        std::uint64_t size = 0;
        const Kind kind = kindOf(path, size);
        if (kind == Kind::File && !onFile({utf8Path(path), size})) return false;
        if (kind != Kind::Folder) continue;
        fs::directory_iterator inner(path, ec);
        if (ec) {
            onProblem("Cannot read the folder " + utf8Path(path) + ": " + ec.message());
            ec.clear();
            continue;
        }
        open.push_back(std::move(inner));
    }
    return true;
}

}  // namespace

void walkFiles(const std::vector<std::string>& paths, const std::function<bool(const WalkedFile&)>& onFile,
               const std::function<void(const std::string&)>& onProblem) {
    for (const std::string& given : paths) {
        const fs::path path = nativePath(given);
        std::error_code ec;
        const fs::file_status status = fs::status(path, ec);
        if (ec || !fs::exists(status)) {
            onProblem("Cannot read " + given + ": " + (ec ? ec.message() : "there is no such file or folder"));
            continue;
        }
        if (fs::is_directory(status)) {
            if (!walkFolder(path, onFile, onProblem)) return;
            continue;
        }
        // A FIFO or a device would never end or never give an end of file.
        if (!fs::is_regular_file(status)) {
            onProblem("Cannot read " + given + ": it is " + pathKindText(targetKind(given)) +
                      ", not a regular file or a folder");
            continue;
        }
        std::error_code sizeError;
        const std::uint64_t size = fs::file_size(path, sizeError);
        if (!onFile({given, sizeError ? 0 : size})) return;
    }
}

}  // namespace sonkrate::io
