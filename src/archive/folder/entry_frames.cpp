#include "archive/folder/entry_frames.h"

#include "archive/format/archive_class.h"
#include "archive/format/entry_reader.h"
#include "audio/cau/cau_export.h"
#include "audio/convert/cau_to_pcm_wav.h"
#include "io/paths.h"

namespace sonkrate::archive {

io::Outcome openEntryFrames(const TpaArchive& archive, std::uint32_t index, audio::SoundFrameReader& reader) {
    const EntrySound sound = readEntrySound(archive, index);
    if (!sound.outcome) return sound.outcome;
    return reader.open(archive.archivePath, sound.dataStart, sound.dataSize, sound.header,
                       "entry " + std::to_string(index) + " of " + archive.archivePath);
}

io::Outcome exportEntry(const TpaArchive& archive, std::uint32_t index, ExportMode mode, const std::string& outDir,
                        const std::string& name, std::string& path) {
    const std::string archiveName =
        archive.archiveName.empty() ? archiveNameOf(archive.archivePath) : archive.archiveName;
    path = io::joinPath(outDir, exportFileStem(archiveName, index, name) + (mode == ExportMode::Cau ? ".cau" : ".wav"));
    const EntryRead record = readTpaEntry(archive, index);
    if (!record.outcome) return record.outcome;
    const TpaEntry& e = record.entry;
    if (mode == ExportMode::Cau) return audio::exportEntryAsCau(archive.archivePath, e.imageOffset, e.imageLength, path);
    return audio::cauToPcmWav(archive.archivePath, e.imageOffset, e.imageLength, path, io::Durability::Scratch).outcome;
}

}  // namespace sonkrate::archive
