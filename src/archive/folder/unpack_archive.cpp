#include "archive/folder/unpack_archive.h"

#include <bit>
#include <filesystem>
#include <cmath>
#include <set>
#include <vector>

#include "archive/format/archive_class.h"
#include "archive/folder/content_hash.h"
#include "archive/folder/image_captions.h"
#include "archive/format/image_layout.h"
#include "archive/edit/image_rewrite.h"
#include "archive/folder/manifest_json.h"
#include "audio/cau/cau_header.h"
#include "audio/cau/cau_reader.h"
#include "audio/convert/cau_to_pcm_wav.h"
#include "audio/codec/ima_adpcm.h"
#include "ids/sound_id.h"
#include "ids/sound_name_index.h"
#include "io/file.h"
#include "io/file_system.h"
#include "io/game_text.h"
#include "io/paths.h"
#include "io/replacement.h"
#include "io/unicode_text.h"

namespace sonkrate::archive {

namespace {

constexpr std::size_t kMaxStemBytes = 120;

bool isDeviceName(std::string_view stem) {
    std::string base = io::toUpper(stem.substr(0, stem.find('.')));
    if (base == "CON" || base == "PRN" || base == "AUX" || base == "NUL" || base == "CONIN$" || base == "CONOUT$")
        return true;
    return base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) &&
           base[3] >= '0' && base[3] <= '9';
}

// Copies length bytes at offset of in to path, hashing them; with magic the
// first four bytes written are "WBOR".
io::Outcome copyHashed(io::File& in, std::uint64_t offset, std::uint64_t length, const std::string& path,
                       bool magic, std::vector<std::uint8_t>& buffer, std::string* hash) {
    io::ReplacementFile out;
    if (io::Outcome begun = out.begin(path); !begun) return begun;
    ContentHash h;
    for (std::uint64_t done = 0; done < length;) {
        const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), length - done));
        if (io::Outcome read = in.readAt(offset + done, buffer.data(), n); !read) return read;
        if (magic && done == 0 && n >= 4) std::copy_n("WBOR", 4, buffer.begin());
        h.update(buffer.data(), n);
        if (io::Outcome put = out.file().write(buffer.data(), n); !put) return put;
        done += n;
    }
    if (hash != nullptr) *hash = h.text();
    return out.commit(io::Durability::Scratch);
}

io::Outcome writeText(const std::string& path, const std::string& text) {
    io::ReplacementFile out;
    if (io::Outcome begun = out.begin(path); !begun) return begun;
    if (io::Outcome put = out.file().writeText(text); !put) return put;
    return out.commit(io::Durability::Scratch);
}

struct Unpacker {
    Unpacker(const std::string& a, const std::string& d, const UnpackOptions& o) : archivePath(a), dir(d), options(o) {}
    const std::string& archivePath;
    const std::string& dir;
    const UnpackOptions& options;
    io::File file;
    ArchiveTable table;
    ImageLayout layout;
    std::vector<std::uint8_t> buffer = std::vector<std::uint8_t>(io::kCopyBufferSize);
    std::set<std::string> taken;  // lower-cased file names used
    std::vector<std::string> made;  // every file this run writes, in order
    std::vector<std::pair<std::string, std::string>> originals;  // .original's files and their hashes
    UnpackResult result;

    // A file of the folder about to be written: a failed run removes it.
    std::string claim(const std::string& path) { return made.emplace_back(path); }

    std::string original(const std::string& name) const {
        return io::joinPath(io::joinPath(dir, kOriginalFolder), name);
    }
    // Unique without regard to case, as on Windows: "door.wav", "door~2.wav".
    std::string uniqueName(const std::string& stem, const char* extension) {
        for (int n = 1;; ++n) {
            const std::string name = stem + (n > 1 ? "~" + std::to_string(n) : "") + extension;
            if (taken.insert(io::toLower(name)).second) return name;
        }
    }
    io::Outcome keepOriginal(std::uint64_t offset, std::uint64_t length, const std::string& name);
    io::Outcome keepOutside();
    io::Outcome writeWav(const LaidImage& image, const std::string& stem, std::string& name, std::string& hash,
                         bool& written);
    io::Outcome writeImage(const LaidImage& image, const std::string& stem, std::string& file, std::string& hash);
    ManifestSound row(std::uint32_t i, const ids::SoundNameIndex& names);
    io::Outcome run();
};

// Bytes of the archive kept in .original under name, with their hash.
io::Outcome Unpacker::keepOriginal(std::uint64_t offset, std::uint64_t length, const std::string& name) {
    std::string hash;
    if (io::Outcome c = copyHashed(file, offset, length, claim(original(name)), false, buffer, &hash); !c) return c;
    originals.emplace_back(name, hash);
    return io::success();
}

io::Outcome Unpacker::keepOutside() {
    if (io::Outcome kept = keepOriginal(0, kTpaHeaderSize, kOriginalHeader); !kept) return kept;
    if (io::Outcome kept = keepOriginal(kTpaHeaderSize, layout.tableEnd - kTpaHeaderSize, kOriginalTable); !kept)
        return kept;
    const std::string path = claim(original(kOriginalOutside));
    io::ReplacementFile out;
    if (io::Outcome begun = out.begin(path); !begun) return begun;
    std::uint64_t cursor = layout.tableEnd;
    for (const LaidImage& image : layout.images) {
        if (io::Outcome c = io::copyRange(file, cursor, image.gapBefore, out.file()); !c) return c;
        cursor = image.offset + image.length;
    }
    if (io::Outcome c = io::copyRange(file, cursor, layout.trailingGap, out.file()); !c) return c;
    if (io::Outcome done = out.commit(io::Durability::Scratch); !done) return done;
    std::string hash;
    if (io::Outcome hashed = hashFile(path, hash); !hashed) return hashed;
    originals.emplace_back(kOriginalOutside, hash);
    return io::success();
}

// Whether a PCM .wav can hold the sound: PCM of any size a .wav holds, or
// IMA ADPCM the decoder takes.
bool wavCanHold(const audio::CauHeader& h) {
    if (h.compression == 0) return h.dataSize <= UINT32_MAX - 52;
    return h.compression == 1 && (h.channels == 1 || h.channels == 2) && audio::isKnownBlockAlign(h.blockAlign);
}

// The image as a PCM .wav; written is false when it is no sound a .wav can
// hold (it is then kept as .cau). A .wav that cannot be written fails.
io::Outcome Unpacker::writeWav(const LaidImage& image, const std::string& stem, std::string& name,
                               std::string& hash, bool& written) {
    written = false;
    audio::CauImage sound;
    if (io::Outcome read = audio::readCauEntry(file, image.offset, image.length, sound); !read)
        return file.failed() ? read : io::success();
    if (!wavCanHold(sound.header)) return io::success();
    name = uniqueName(stem, ".wav");
    const std::string path = claim(io::joinPath(dir, name));
    audio::CauToWavResult wav =
        audio::cauToPcmWav(archivePath, image.offset, image.length, path, io::Durability::Scratch);
    if (!wav.ok()) return wav.outcome;
    written = true;
    return hashFile(path, hash);
}

io::Outcome Unpacker::writeImage(const LaidImage& image, const std::string& stem, std::string& name,
                                 std::string& hash) {
    std::uint8_t magic[4] = {};
    if (image.length >= 4)
        if (io::Outcome read = file.readAt(image.offset, magic, 4); !read) return read;
    const bool wbor = image.length >= 4 && std::equal(magic, magic + 4, "WBOR");
    const std::string kept = originalImageName(image.firstRecord);
    if (!options.cauForm) {
        if (io::Outcome c = keepOriginal(image.offset, image.length, kept); !c) return c;
        bool written = false;
        if (io::Outcome wav = writeWav(image, stem, name, hash, written); !wav || written) return wav;
        ++result.kept;  // not decodable: the image itself stands for it
    } else if (!wbor) {
        if (io::Outcome c = keepOriginal(image.offset, image.length, kept); !c) return c;
    }
    name = uniqueName(stem, ".cau");
    return copyHashed(file, image.offset, image.length, claim(io::joinPath(dir, name)), image.length >= 4, buffer,
                      &hash);
}

std::optional<double> floatValue(std::uint32_t bits) {
    const float f = std::bit_cast<float>(bits);
    if (!std::isfinite(f)) return std::nullopt;
    return f;
}

ManifestSound Unpacker::row(std::uint32_t i, const ids::SoundNameIndex& names) {
    const TpaEntry& e = table.entries[i];
    ManifestSound s;
    s.record = i;
    s.soundId = e.soundId;
    if (std::string name = names.lookup(e.soundId); name != "unknown") s.name = io::shownText(name);
    s.attenuation = floatValue(e.auxValue);
    s.masterVolume = floatValue(e.reserved);
    const LaidImage& image = layout.images[layout.imageOfRecord[i]];
    if (image.firstRecord != i) s.sharesImageWith = table.entries[image.firstRecord].soundId;
    if (image.length >= audio::kCauHeaderSize) {
        const audio::CauHeader h = audio::parseCauHeader(e.cauHeader.data(), false);
        s.captions = readImageSections(file, image.offset, image.length);
        ManifestFormat f{h.sampleRate, h.channels, h.bitsPerSample,
                         h.compression == 0 ? "pcm" : h.compression == 1 ? "ima-adpcm" : "unknown", h.blockAlign};
        s.format = f;
    }
    return s;
}

io::Outcome Unpacker::run() {
    if (io::Outcome opened = file.open(archivePath, io::FileMode::Read); !opened) return opened;
    if (io::Outcome read = readEditableTable(file, table); !read) return read;
    if (io::Outcome laid = layOutImages(archivePath, table.entries, table.info.fileSize, layout); !laid) return laid;
    if (io::Outcome kept = keepOutside(); !kept) return kept;

    ids::SoundNameIndex names;
    names.load(options.dbPath);
    Manifest m;
    m.archive = io::shownText(io::fileNameOf(archivePath));
    m.form = options.cauForm ? "cau" : "wav";
    m.archiveClass = archiveClassText(archiveClassOf(archiveNameOf(archivePath)));
    const TpaHeader& h = table.info.header;
    m.layoutTag = h.layoutTag, m.soundCount = h.soundCount, m.entryCount = h.entryCount;
    m.trailerFlag = h.trailerFlag, m.soundDataEnd = h.soundDataEnd, m.fileSize = table.info.fileSize;
    for (std::uint32_t i = 0; i < table.entries.size(); ++i) m.sounds.push_back(row(i, names));

    std::uint64_t total = 0, done = 0;
    for (const LaidImage& image : layout.images) total += image.length;
    io::reportProgress(options.progress, 0, total);
    for (const LaidImage& image : layout.images) {
        ManifestSound& first = m.sounds[image.firstRecord];
        std::string stem = first.name ? safeFileStem(*first.name) : "";
        if (stem.empty()) stem = std::to_string(image.firstRecord) + "-" + ids::formatSoundId(*first.soundId);
        if (io::Outcome put = writeImage(image, stem, first.file, first.hash); !put) return put;
        ++result.files;
        done += image.length;
        io::reportProgress(options.progress, done, total);
    }
    for (ManifestSound& s : m.sounds) {
        const ManifestSound& owner = m.sounds[layout.images[layout.imageOfRecord[*s.record]].firstRecord];
        s.file = owner.file, s.hash = owner.hash;
    }
    result.records = static_cast<std::uint32_t>(m.sounds.size());
    // The folder's manifest is for people to edit; the one in .original also
    // holds the hashes by which pack knows its kept bytes unchanged.
    if (io::Outcome put = writeText(claim(io::joinPath(dir, kManifestName)), writeManifestJson(m)); !put) return put;
    m.originals = originals;
    return writeText(claim(original(kManifestName)), writeManifestJson(m));
}

}  // namespace

std::string originalImageName(std::uint32_t record) { return std::to_string(record) + ".img"; }

std::string safeFileStem(std::string_view name) {
    std::string stem;
    for (unsigned char c : name) {
        const bool bad = c < 0x20 || c == 0x7F || std::string_view("<>:\"/\\|?*").find(static_cast<char>(c)) !=
                                                      std::string_view::npos;
        stem += bad ? '_' : static_cast<char>(c);
    }
    if (stem.size() > kMaxStemBytes) {
        std::size_t cut = kMaxStemBytes;
        while (cut > 0 && (static_cast<unsigned char>(stem[cut]) & 0xC0) == 0x80) --cut;  // whole characters
        stem.resize(cut);
    }
    while (!stem.empty() && (stem.back() == '.' || stem.back() == ' ')) stem.pop_back();
    if (!stem.empty() && stem.front() == '.') stem.front() = '_';
    if (isDeviceName(stem)) stem.insert(0, "_");
    return stem;
}

namespace {

// The folders of dir (dir first, then those above it) that do not exist yet.
std::vector<std::filesystem::path> missingFolders(const std::filesystem::path& dir) {
    std::vector<std::filesystem::path> missing;
    std::error_code ec;
    for (std::filesystem::path p = dir; !p.empty() && !std::filesystem::exists(std::filesystem::symlink_status(p, ec));
         p = p.parent_path()) {
        missing.push_back(p);
        if (p == p.parent_path()) break;
    }
    return missing;
}

// Why dir cannot take the unpack, or success with resolved set: dir as an
// absolute path with "." and ".." and the links of its existing part resolved,
// so that "base/new/../victim" is checked as the "base/victim" it writes into.
io::Outcome resolveTarget(const std::string& dir, std::filesystem::path& resolved) {
    if (dir.empty()) return io::failure("No folder was given to unpack into; name a new or empty folder");
    std::error_code ec;
    resolved = std::filesystem::weakly_canonical(std::filesystem::absolute(io::nativePath(dir), ec), ec);
    if (ec) return io::failure("Cannot unpack into " + dir + ": " + ec.message());
    const std::string shown = io::utf8Path(resolved) == dir ? dir : dir + " (" + io::utf8Path(resolved) + ")";
    const io::PathKind kind = io::targetKind(io::utf8Path(resolved));
    if (kind == io::PathKind::Missing) return io::success();
    if (kind != io::PathKind::Folder)
        return io::failure(shown + " exists and is " + io::pathKindText(kind) + ", not a folder; unpack into a new "
                                   "or empty folder");
    if (!std::filesystem::is_empty(resolved, ec) || ec)
        return io::failure(shown + " is not empty; unpack into a new or empty folder");
    return io::success();
}

// Removes, one by one, the files a failed run made and then the folders it
// made, deepest first; a folder that holds anything else stays.
void removeMade(const std::vector<std::string>& files, const std::vector<std::filesystem::path>& folders) {
    std::error_code ec;
    for (auto it = files.rbegin(); it != files.rend(); ++it) (void)io::removeFile(*it);
    for (const std::filesystem::path& folder : folders) std::filesystem::remove(folder, ec);
}

}  // namespace

UnpackResult unpackArchive(const std::string& archivePath, const std::string& dir, const UnpackOptions& options) {
    std::filesystem::path resolved;
    if (io::Outcome target = resolveTarget(dir, resolved); !target) {
        UnpackResult refused;
        refused.outcome = target;
        return refused;
    }
    const std::string into = io::utf8Path(resolved);
    Unpacker u{archivePath, into, options};
    // The folders this run makes: those missing on the way to dir, and .original.
    const std::filesystem::path originalFolder = resolved / kOriginalFolder;
    std::vector<std::filesystem::path> made = missingFolders(originalFolder);
    u.result.outcome = io::createFolders(io::utf8Path(originalFolder));
    if (u.result.outcome) u.result.outcome = u.run();
    if (!u.result.outcome) removeMade(u.made, made);
    return u.result;
}

}  // namespace sonkrate::archive
