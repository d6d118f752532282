#include "fuzz/fuzz_support.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

namespace fs = std::filesystem;

namespace sonkrate::fuzz {

namespace {

std::string makeScratchFolder() {
    std::error_code ec;
    fs::path base = fs::temp_directory_path(ec);
    if (ec) base = fs::current_path(ec);
    std::random_device seed;
    std::mt19937_64 random(seed() ^ static_cast<std::uint64_t>(
                                        std::chrono::steady_clock::now().time_since_epoch().count()));
    for (int attempt = 0; attempt < 100; ++attempt) {
        char name[48];
        std::snprintf(name, sizeof name, "sonkrate-fuzz-%016llx",
                      static_cast<unsigned long long>(random()));
        fs::path folder = base / name;
        if (fs::create_directory(folder, ec) && !ec) return folder.string();
    }
    fail("cannot make a scratch folder under " + base.string());
}

void removeScratchFolder() {
    std::error_code ec;
    fs::remove_all(scratchFolder(), ec);
}

}  // namespace

const std::string& scratchFolder() {
    // Never destroyed, so that the removal at exit can still read it.
    static const std::string* folder = [] {
        auto* made = new std::string(makeScratchFolder());
        std::atexit(removeScratchFolder);
        return made;
    }();
    return *folder;
}

std::string scratchPath(std::string_view name) {
    return (fs::path(scratchFolder()) / fs::path(std::string(name))).string();
}

void clearScratch() {
    std::error_code ec;
    for (fs::directory_iterator it(scratchFolder(), ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code removeError;
        fs::remove_all(it->path(), removeError);
    }
}

std::string writeScratch(std::string_view name, const std::uint8_t* data, std::size_t size) {
    std::string path = scratchPath(name);
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) fail("cannot write the scratch file " + path);
    if (size > 0 && std::fwrite(data, 1, size, out) != size) fail("cannot write the scratch file " + path);
    if (std::fclose(out) != 0) fail("cannot write the scratch file " + path);
    return path;
}

std::string writeScratch(std::string_view name, const Bytes& bytes) {
    return writeScratch(name, bytes.data(), bytes.size());
}

std::string writeScratch(std::string_view name, std::string_view text) {
    return writeScratch(name, reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
}

Bytes readWhole(const std::string& path) {
    Bytes bytes;
    std::FILE* in = std::fopen(path.c_str(), "rb");
    if (!in) return bytes;
    std::uint8_t buffer[65536];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, in)) > 0) bytes.insert(bytes.end(), buffer, buffer + n);
    std::fclose(in);
    return bytes;
}

bool exists(const std::string& path) {
    std::error_code ec;
    return fs::exists(path, ec);
}

std::vector<Bytes> splitParts(const std::uint8_t* data, std::size_t size, std::size_t count) {
    std::vector<Bytes> parts(count);
    const std::uint8_t* marker = reinterpret_cast<const std::uint8_t*>(kPartMarker.data());
    std::size_t start = 0;
    for (std::size_t part = 0; part < count; ++part) {
        const std::uint8_t* end = data + size;
        const std::uint8_t* found = end;
        if (part + 1 < count) found = std::search(data + start, end, marker, marker + kPartMarker.size());
        parts[part].assign(data + start, found);
        if (found == end) break;
        start = static_cast<std::size_t>(found - data) + kPartMarker.size();
    }
    return parts;
}

Bytes joinParts(const std::vector<Bytes>& parts) {
    Bytes joined;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i > 0) joined.insert(joined.end(), kPartMarker.begin(), kPartMarker.end());
        joined.insert(joined.end(), parts[i].begin(), parts[i].end());
    }
    return joined;
}

void fail(const std::string& what) {
    std::fprintf(stderr, "fuzz check failed: %s\n", what.c_str());
    std::fflush(stderr);
    std::abort();
}

std::vector<std::string> filesBelow(const std::string& folder) {
    std::vector<std::string> files;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        if (!it->is_directory(typeError)) files.push_back(fs::relative(it->path(), folder, typeError).generic_string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::map<std::string, Harness>& registeredHarnesses() {
    static std::map<std::string, Harness> harnesses;
    return harnesses;
}

}  // namespace sonkrate::fuzz
