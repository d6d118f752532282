#include "archive/edit/remove_sounds.h"

#include <algorithm>

#include "archive/edit/add_sound.h"
#include "archive/edit/default_sound.h"
#include "archive/edit/image_rewrite.h"
#include "ids/sound_id.h"

namespace sonkrate::archive {

RemoveSoundsResult removeSounds(const std::string& archivePath, const std::vector<std::uint32_t>& soundIds,
                                const std::string& backupPath, const io::ProgressCallback& progress) {
    RemoveSoundsResult result;
    if (std::find(soundIds.begin(), soundIds.end(), kDefaultSoundId) != soundIds.end()) {
        result.outcome = io::failure("\"missing\" (" + ids::formatSoundId(kDefaultSoundId) +
                                     ") cannot be removed: the game plays it in place of any sound it cannot "
                                     "find; nothing was removed from " + archivePath);
        return result;
    }
    io::File in;
    ArchiveTable table;
    if (!(result.outcome = in.open(archivePath, io::FileMode::Read))) return result;
    if (!(result.outcome = readEditableTable(in, table))) return result;

    ImageRewrite edit;
    edit.dropRecord.assign(table.entries.size(), false);
    for (std::uint32_t id : soundIds) {
        bool found = false;
        for (std::size_t i = 0; i < table.entries.size(); ++i)
            if (table.entries[i].soundId == id) edit.dropRecord[i] = found = true;
        if (!found) {
            result.outcome = io::failure(archivePath + " holds no entry with the identifier " +
                                         ids::formatSoundId(id) + "; nothing was removed");
            return result;
        }
    }
    if (!(result.outcome = keepArchiveBackup(archivePath, backupPath, result.backupWritten))) return result;
    ImageRewriteResult written = rewriteImages(in, table, edit, progress);
    result.outcome = written.outcome;
    result.recordsRemoved = written.recordsDropped;
    result.imagesRemoved = written.imagesDropped;
    result.entryCount = table.info.header.entryCount - std::min(table.info.header.entryCount, written.recordsDropped);
    result.fileSize = written.fileSize;
    return result;
}

}  // namespace sonkrate::archive
