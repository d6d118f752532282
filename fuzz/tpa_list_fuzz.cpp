// What the list and extract commands read: every entry's header and caption
// with its name from the database, then the first entries saved as .cau and
// as .wav. Input: the archive, then the database.
#include "archive/format/entry_reader.h"
#include "archive/format/tpa_loader.h"
#include "audio/cau/cau_export.h"
#include "audio/convert/cau_to_wav.h"
#include "audio/wav/wav_reader.h"
#include "fuzz/fuzz_support.h"
#include "ids/sound_id_database.h"

using namespace sonkrate;

SONKRATE_FUZZ_HARNESS(tpa_list) {
    std::vector<fuzz::Bytes> parts = fuzz::splitParts(data, size, 2);
    std::string path = fuzz::writeScratch("sounds.tpa", parts[0]);
    std::string db = fuzz::writeScratch("SndIds.dat", parts[1]);
    archive::TpaLoad load = archive::loadTpaArchive(path, fuzz::scratchFolder());
    if (!load.outcome) return;
    std::vector<archive::EntrySound> first;
    io::Outcome walked = archive::forEachEntrySound(load.archive, [&](const archive::EntrySound& e) {
        ids::SoundNameLookup name = ids::lookupSoundName(db, e.entry.soundId);
        fuzz::check(name.found || name.name == "unknown", "a name not found is not \"unknown\"");
        if (first.size() < 4) first.push_back(e);
        return true;
    });
    (void)walked;
    std::string cau = fuzz::scratchPath("entry.cau");
    std::string wav = fuzz::scratchPath("entry.wav");
    for (const archive::EntrySound& e : first) {
        io::Outcome saved = audio::exportEntryAsCau(path, e.entry.imageOffset, e.entry.imageLength, cau);
        if (saved) fuzz::check(fuzz::readWhole(cau).size() == e.entry.imageLength, "a saved .cau has another length");
        audio::CauToWavResult played = audio::cauToWav(path, e.entry.imageOffset, e.entry.imageLength, wav);
        if (!played.ok()) continue;
        audio::WavLayout layout;
        fuzz::check(static_cast<bool>(audio::readWavLayout(wav, layout)), "an entry's .wav cannot be read back");
    }
}
