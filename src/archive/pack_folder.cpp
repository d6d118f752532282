#include "archive/pack_folder.h"

#include "archive/unpack_archive.h"
#include "io/file.h"
#include "io/file_system.h"
#include "io/paths.h"

namespace sonkrate::archive {

namespace {

std::string originalPath(const std::string& dir, const std::string& name) {
    return io::joinPath(io::joinPath(dir, kOriginalFolder), name);
}

io::Outcome missingOriginal(const std::string& dir, const std::string& path, const std::string& what) {
    return io::failure(path + " " + what + "; " + dir +
                       " cannot be packed without the files unpack kept in its " + kOriginalFolder + " folder");
}

io::Outcome readRecords(const std::string& dir, PackedFolder& f) {
    const std::string path = originalPath(dir, kOriginalTable);
    io::File in;
    if (io::Outcome opened = in.open(path, io::FileMode::Read); !opened)
        return missingOriginal(dir, path, "cannot be read");
    const std::uint64_t size = in.size();
    if (size != kRetailRecordSize * f.original.sounds.size())
        return missingOriginal(dir, path, "does not hold the records its manifest lists");
    std::vector<std::uint8_t> bytes(kRetailRecordSize * 1024);
    for (std::uint64_t done = 0; done < size;) {
        const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(bytes.size(), size - done));
        if (io::Outcome read = in.readExact(bytes.data(), n); !read) return read;
        for (std::size_t at = 0; at < n; at += kRetailRecordSize)
            f.records.push_back(parseTpaEntry(bytes.data() + at, TpaLayout::Retail));
        done += n;
    }
    return io::success();
}

io::Outcome readHeader(const std::string& dir, PackedFolder& f) {
    const std::string path = originalPath(dir, kOriginalHeader);
    io::File in;
    if (io::Outcome opened = in.open(path, io::FileMode::Read); !opened || in.size() != kTpaHeaderSize)
        return missingOriginal(dir, path, "is missing or damaged");
    std::uint8_t bytes[kTpaHeaderSize];
    if (io::Outcome read = in.readExact(bytes, sizeof bytes); !read) return read;
    f.header = parseTpaHeader(bytes);
    return io::success();
}

bool isPlainFileName(const std::string& name) {
    bool plain = !name.empty() && name.front() != '.' && name.find('\0') == std::string::npos;
    for (char c : name) plain = plain && c != '/' && c != '\\' && c != ':';
    return plain;
}

}  // namespace

io::Outcome loadPackedFolder(const std::string& dir, PackedFolder& f) {
    f = PackedFolder{};
    f.dir = dir;
    f.manifestPath = io::joinPath(dir, kManifestName);
    if (!io::isRegularFile(f.manifestPath))
        return io::failure(dir + " holds no " + kManifestName + "; pack takes a folder made by unpack");
    if (io::Outcome read = readManifestFile(f.manifestPath, f.edited); !read) return read;
    const std::string reference = originalPath(dir, kManifestName);
    if (!io::isRegularFile(reference)) return missingOriginal(dir, reference, "is missing");
    if (io::Outcome read = readManifestFile(reference, f.original); !read) return read;
    for (std::size_t i = 0; i < f.original.sounds.size(); ++i) {
        const ManifestSound& s = f.original.sounds[i];
        if (s.record != i || !isPlainFileName(s.file))
            return missingOriginal(dir, reference, "is damaged");
    }
    if (io::Outcome read = readHeader(dir, f); !read) return read;
    if (io::Outcome read = readRecords(dir, f); !read) return read;
    if (f.original.fileSize > UINT32_MAX ||
        !layOutImages(originalPath(dir, kOriginalTable), f.records, f.original.fileSize, f.layout))
        return missingOriginal(dir, reference, "does not match the records kept beside it");
    f.outsidePath = originalPath(dir, kOriginalOutside);
    io::File outside;
    if (!outside.open(f.outsidePath, io::FileMode::Read) || outside.size() != f.layout.outsideBytes)
        return missingOriginal(dir, f.outsidePath, "is missing or not the length the records call for");
    return io::success();
}

io::Outcome soundFilePath(const PackedFolder& f, const std::string& name, std::string& path) {
    if (!isPlainFileName(name))
        return io::failure(f.manifestPath + " names the sound file \"" + name +
                           "\", which is not a plain file name of " + f.dir);
    path = io::joinPath(f.dir, name);
    if (!io::isRegularFile(path)) return io::failure(f.manifestPath + " names " + path + ", which does not exist");
    return io::success();
}

std::string keptImagePath(const PackedFolder& f, std::uint32_t image, const std::string& file) {
    const std::string kept = originalPath(f.dir, originalImageName(f.layout.images[image].firstRecord));
    return io::isRegularFile(kept) ? kept : file;
}

}  // namespace sonkrate::archive
