// Replacing and removing sounds in a hostile archive, with a hostile .cau as
// the new sound. Input: a control byte choosing the record whose identifier
// is used, the archive, then the sound. An edit either leaves an archive
// whose table reads back or leaves the archive byte for byte.
#include "archive/format/archive_reader.h"
#include "archive/edit/remove_sounds.h"
#include "archive/edit/replace_sound.h"
#include "fuzz/fuzz_support.h"
#include "io/byte_order.h"

using namespace sonkrate;

namespace {

// The identifier of record index when the table holds it, else the bytes
// after the control byte's own.
std::uint32_t chosenId(const std::string& path, std::uint8_t index) {
    archive::ArchiveTable table;
    if (archive::readArchiveTable(path, table) && index < table.entries.size()) return table.entries[index].soundId;
    return 0xF0A07BD9u ^ index;
}

void checkEdited(const std::string& path, const fuzz::Bytes& before, bool done, const std::string& what) {
    if (!done) {
        fuzz::check(fuzz::readWhole(path) == before, "a failed " + what + " changed the archive");
        return;
    }
    archive::ArchiveTable table;
    io::Outcome read = archive::readArchiveTable(path, table);
    fuzz::check(static_cast<bool>(read), "the table after a " + what + " cannot be read: " + read.reason);
}

}  // namespace

SONKRATE_FUZZ_HARNESS(replace_remove) {
    if (size < 1) return;
    std::vector<fuzz::Bytes> parts = fuzz::splitParts(data + 1, size - 1, 2);
    std::string path = fuzz::writeScratch("sounds.tpa", parts[0]);
    std::string cau = fuzz::writeScratch("sound.cau", parts[1]);
    const std::uint32_t id = chosenId(path, data[0] & 0x7F);
    const std::string backup = fuzz::scratchPath("sounds.tpa.backup");
    if (data[0] & 0x80) {
        archive::RemoveSoundsResult removed = archive::removeSounds(path, {id}, backup);
        checkEdited(path, parts[0], removed.outcome.ok, "removal");
        if (removed.outcome)
            fuzz::check(removed.fileSize == fuzz::readWhole(path).size(), "a removal reported another size");
    } else {
        archive::ReplaceSoundResult replaced = archive::replaceSound(path, id, cau, backup);
        checkEdited(path, parts[0], replaced.outcome.ok, "replacement");
        if (replaced.outcome)
            fuzz::check(replaced.fileSize == fuzz::readWhole(path).size(), "a replacement reported another size");
    }
}
