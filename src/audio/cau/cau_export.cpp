#include "audio/cau/cau_export.h"

#include "io/file.h"
#include "io/replacement.h"

namespace sonkrate::audio {

io::Outcome exportEntryAsCau(const std::string& archivePath, std::uint64_t imageOffset, std::uint64_t imageLength,
                             const std::string& targetPath) {
    io::File archive;
    if (io::Outcome opened = archive.open(archivePath, io::FileMode::Read); !opened) return opened;
    std::uint64_t size = archive.size();
    if (imageOffset > size || imageLength > size - imageOffset)
        return io::failure(archivePath + " is damaged: the entry at offset " + std::to_string(imageOffset) +
                           " claims " + std::to_string(imageLength) + " bytes, past the end of the archive (" +
                           std::to_string(size) + " bytes).");
    if (imageLength < 4)
        return io::failure(archivePath + " is damaged: the entry at offset " + std::to_string(imageOffset) +
                           " is only " + std::to_string(imageLength) + " bytes long, too short for a sound image.");
    io::ReplacementFile out;
    if (io::Outcome begun = out.begin(targetPath); !begun) return begun;
    // Whatever the entry's first four bytes are, a .cau file begins with the magic.
    if (io::Outcome put = out.file().write("WBOR", 4); !put) return put;
    if (io::Outcome copied = io::copyRange(archive, imageOffset + 4, imageLength - 4, out.file()); !copied)
        return copied;
    return out.commit();
}

}  // namespace sonkrate::audio
