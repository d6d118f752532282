// The add operations fed a hostile archive and a hostile sound: the .cau add
// (general or effects, as the archive's name decides), the .wav add and the
// list build's add. Input: a control byte, the archive, then the sound. An
// add either completes with a loadable archive or leaves it byte for byte.
#include <filesystem>

#include "archive/edit/add_sound.h"
#include "archive/format/tpa_loader.h"
#include "audio/convert/add_wav_conversion.h"
#include "fuzz/fuzz_support.h"

using namespace sonkrate;

namespace {

const char* const kArchiveNames[] = {"sounds.tpa", "effects.tpa", "ambient.tpa", "alteffects.tpa"};

archive::AddSoundResult runAdd(int variant, const std::string& archivePath, std::string soundPath) {
    if (variant == 2) return archive::addSoundFromList(archivePath, "listed sound", soundPath,
                                                       fuzz::scratchPath("buildIDs_.txt"));
    if (variant == 3) {
        audio::AddWavConversion converted = audio::convertWavForAdd(soundPath, fuzz::scratchPath("wavs"));
        if (!converted.made) return {};
        soundPath = converted.cauPath;
    }
    archive::TpaLoad load = archive::loadTpaArchive(archivePath, fuzz::scratchPath("wavs"));
    if (!load.outcome) return {};
    archive::AddSoundRequest request;
    request.archivePath = archivePath;
    request.soundPath = soundPath;
    request.soundName = "added sound";
    request.useFileNames = variant == 1;
    request.updateSndIds = true;
    request.dbPath = fuzz::scratchPath("SndIds.dat");
    request.logPath = fuzz::scratchPath("tpa_logs.log");
    request.backupPath = load.archive.backupPath;
    return archive::usesEffectsAdd(load.archive.archiveName, load.archive.standardLayout)
               ? archive::addSoundEffects(request)
               : archive::addSoundGeneral(request);
}

}  // namespace

SONKRATE_FUZZ_HARNESS(add) {
    if (size < 1) return;
    const int variant = data[0] & 3;
    std::vector<fuzz::Bytes> parts = fuzz::splitParts(data + 1, size - 1, 2);
    std::error_code ec;
    std::filesystem::create_directory(fuzz::scratchPath("wavs"), ec);
    std::string archivePath = fuzz::writeScratch(kArchiveNames[(data[0] >> 2) & 3], parts[0]);
    std::string soundPath = fuzz::writeScratch(variant == 3 ? "sound.wav" : "sound.cau", parts[1]);
    archive::AddSoundResult added = runAdd(variant, archivePath, soundPath);
    if (added.addResult != archive::AddOutcome::Done) {
        fuzz::check(fuzz::readWhole(archivePath) == parts[0], "a failed add changed the archive");
        return;
    }
    archive::TpaLoad load = archive::loadTpaArchive(archivePath, fuzz::scratchPath("wavs"));
    fuzz::check(static_cast<bool>(load.outcome), "an archive after an add cannot be loaded: " + load.outcome.reason);
    fuzz::check(load.archive.fileSize == added.fileSize, "the archive has another size than the add reported");
    fuzz::check(load.archive.entryCount == added.entryCount, "the archive has another count than the add reported");
    fuzz::check(std::uint64_t{added.imageOffset} + added.imageLength <= load.archive.fileSize,
                "the added image lies past the end of the archive");
}
