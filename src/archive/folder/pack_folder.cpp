#include "archive/folder/pack_folder.h"

#include "archive/folder/content_hash.h"
#include "archive/folder/unpack_archive.h"
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

// Opens a file of .original: a regular file, no link; the sentence says
// what is there instead, or that nothing is.
io::Outcome openOriginal(const std::string& dir, const std::string& path, io::File& in) {
    if (io::pathKind(path) == io::PathKind::Missing) return missingOriginal(dir, path, "is missing");
    return in.open(path, io::FileMode::ReadNoLink);
}

// The hash unpack recorded for a file of .original; empty when none.
std::string recordedHash(const PackedFolder& f, const std::string& name) {
    for (const auto& [file, hash] : f.original.originals)
        if (file == name) return hash;
    return {};
}

// Fails, naming the file, when a file of .original is not as unpack wrote it.
io::Outcome checkOriginal(const PackedFolder& f, const std::string& name) {
    const std::string path = originalPath(f.dir, name), wanted = recordedHash(f, name);
    if (io::pathKind(path) == io::PathKind::Missing) return missingOriginal(f.dir, path, "is missing");
    std::string hash;
    if (io::Outcome hashed = hashFile(path, hash); !hashed) return hashed;
    if (wanted.empty() || hash != wanted)
        return io::failure(path + " is not as unpack wrote it (its bytes changed); pack takes the archive's own "
                                  "bytes from it, so unpack the archive again");
    return io::success();
}

io::Outcome readRecords(const std::string& dir, PackedFolder& f) {
    const std::string path = originalPath(dir, kOriginalTable);
    io::File in;
    if (io::Outcome opened = openOriginal(dir, path, in); !opened) return opened;
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
    if (io::Outcome opened = openOriginal(dir, path, in); !opened) return opened;
    if (in.size() != kTpaHeaderSize) return missingOriginal(dir, path, "is damaged");
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

namespace {

// .original itself, a folder and no link, and the hashes its manifest keeps.
io::Outcome checkOriginalFolder(PackedFolder& f, const std::string& reference) {
    const std::string folder = io::joinPath(f.dir, kOriginalFolder);
    if (io::Outcome plain = io::refuseLink(folder); !plain) return plain;
    if (io::pathKind(folder) != io::PathKind::Folder) return missingOriginal(f.dir, folder, "is missing");
    if (io::pathKind(reference) == io::PathKind::Missing) return missingOriginal(f.dir, reference, "is missing");
    if (io::Outcome read = readManifestFile(reference, f.original); !read) return read;
    if (f.original.originals.empty())
        return io::failure(reference + " keeps no hashes of the files in " + kOriginalFolder +
                           " (an earlier version of Sonkrate unpacked " + f.dir +
                           "), so pack cannot tell them unchanged; unpack the archive again");
    for (const char* name : {kOriginalHeader, kOriginalTable, kOriginalOutside})
        if (io::Outcome same = checkOriginal(f, name); !same) return same;
    return io::success();
}

}  // namespace

io::Outcome loadPackedFolder(const std::string& dir, PackedFolder& f) {
    f = PackedFolder{};
    f.dir = dir;
    f.manifestPath = io::joinPath(dir, kManifestName);
    if (io::pathKind(f.manifestPath) == io::PathKind::Missing)
        return io::failure(dir + " holds no " + kManifestName + "; pack takes a folder made by unpack");
    if (io::Outcome read = readManifestFile(f.manifestPath, f.edited); !read) return read;
    const std::string reference = originalPath(dir, kManifestName);
    if (io::Outcome checked = checkOriginalFolder(f, reference); !checked) return checked;
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
    if (io::Outcome opened = openOriginal(dir, f.outsidePath, outside); !opened) return opened;
    if (outside.size() != f.layout.outsideBytes)
        return missingOriginal(dir, f.outsidePath, "is not the length the records call for");
    return io::success();
}

io::Outcome soundFilePath(const PackedFolder& f, const std::string& name, std::string& path) {
    if (!isPlainFileName(name))
        return io::failure(f.manifestPath + " names the sound file \"" + name +
                           "\", which is not a plain file name of " + f.dir);
    path = io::joinPath(f.dir, name);
    switch (const io::PathKind kind = io::pathKind(path)) {
    case io::PathKind::Regular: return io::success();
    case io::PathKind::Missing: return io::failure(f.manifestPath + " names " + path + ", which does not exist");
    case io::PathKind::Link:
        return io::failure(f.manifestPath + " names " + path + ", which is a symbolic link; pack follows no link, "
                                            "so that nothing outside " + f.dir + " goes into the archive");
    default:
        return io::failure(f.manifestPath + " names " + path + ", which is " + io::pathKindText(kind) +
                           ", not a sound file");
    }
}

io::Outcome keptImagePath(const PackedFolder& f, std::uint32_t image, const std::string& file, std::string& path) {
    const std::string name = originalImageName(f.layout.images[image].firstRecord);
    // Only an image unpack kept, checked against its hash; otherwise the file
    // found unchanged holds the image itself.
    if (recordedHash(f, name).empty()) {
        path = file;
        return io::success();
    }
    path = originalPath(f.dir, name);
    return checkOriginal(f, name);
}

}  // namespace sonkrate::archive
