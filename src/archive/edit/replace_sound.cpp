#include "archive/edit/replace_sound.h"

#include "archive/edit/add_sound.h"
#include "archive/edit/image_rewrite.h"
#include "ids/sound_id.h"

namespace sonkrate::archive {

namespace {

ReplaceSoundResult replaceWith(const std::string& archivePath, std::uint32_t soundId,
                               const ImageReplacement& replacement, const std::string& backupPath,
                               const io::ProgressCallback& progress) {
    ReplaceSoundResult result;
    io::File in;
    ArchiveTable table;
    if (!(result.outcome = in.open(archivePath, io::FileMode::Read))) return result;
    if (!(result.outcome = readEditableTable(in, table))) return result;

    // Every record of the identifier (the release build plays the last of
    // them), then every record on one of their images.
    ImageRewrite edit;
    for (const TpaEntry& e : table.entries)
        if (e.soundId == soundId) {
            edit.replace[e.imageOffset] = replacement;
            result.oldLength = e.imageLength;
        }
    if (edit.replace.empty()) {
        result.outcome = io::failure(archivePath + " holds no entry with the identifier " +
                                     ids::formatSoundId(soundId) + "; sonkrate-cli add puts a new sound in");
        return result;
    }
    for (std::size_t i = 0; i < table.entries.size(); ++i)
        if (edit.replace.count(table.entries[i].imageOffset)) result.entries.push_back(static_cast<std::uint32_t>(i));
    if (!(result.outcome = keepArchiveBackup(archivePath, backupPath, result.backupWritten))) return result;

    ImageRewriteResult written = rewriteImages(in, table, edit, progress);
    result.outcome = written.outcome;
    result.newLength = static_cast<std::uint32_t>(replacement.facts.size);
    result.fileSize = written.fileSize;
    return result;
}

}  // namespace

ReplaceSoundResult replaceSound(const std::string& archivePath, std::uint32_t soundId, const std::string& cauPath,
                                const std::string& backupPath, const io::ProgressCallback& progress) {
    ImageReplacement replacement;
    replacement.path = cauPath;
    ReplaceSoundResult result;
    if (!(result.outcome = audio::inspectCauFile(cauPath, replacement.facts))) return result;
    return replaceWith(archivePath, soundId, replacement, backupPath, progress);
}

ReplaceSoundResult replaceSound(const std::string& archivePath, std::uint32_t soundId, const std::string& soundPath,
                                const SoundImageSource& image, const std::string& backupPath,
                                const io::ProgressCallback& progress) {
    ImageReplacement replacement;
    replacement.path = soundPath;
    replacement.facts.size = image.size;
    replacement.facts.header = image.header;
    replacement.pieces = image.pieces;
    return replaceWith(archivePath, soundId, replacement, backupPath, progress);
}

}  // namespace sonkrate::archive
