// sonkrate-cli pack: a folder made by unpack back into an archive.
#include <cstdio>

#include "archive/folder/pack_archive.h"
#include "cli/cli.h"
#include "cli/commands.h"

namespace sonkrate::cli {

int runPack(const Arguments& args) {
    const std::string& dir = args.positional[0];
    const std::string& outPath = args.positional[1];
    Progress progress("packing", ProgressUnit::Bytes);
    archive::PackOptions options;
    options.progress = progress.callback();
    archive::PackResult r = archive::packArchive(dir, outPath, options);
    progress.finish();
    if (!r.outcome) return failed(r.outcome);
    say(stdout, "%s: %u entries, %u images (%u as unpacked, %u changed), %llu bytes", outPath.c_str(), r.records,
        r.images, r.imagesKept, r.imagesChanged, static_cast<unsigned long long>(r.fileSize));
    if (r.recordsAdded > 0 || r.recordsRemoved > 0)
        say(stdout, "; %u added, %u removed", r.recordsAdded, r.recordsRemoved);
    say(stdout, "\n");
    return kExitOk;
}

const char* const kPackDetails =
    "Writes OUT.tpa from DIR, a folder made by unpack. A folder left unchanged\n"
    "gives the archive that was unpacked, byte for byte. A sound file that\n"
    "changed is converted as wav2cau --to-game converts it and stored in the\n"
    "entry's compression (IMA ADPCM stays IMA ADPCM, PCM stays PCM); a changed\n"
    ".cau is taken as it is once its header describes it. Rows of manifest.json\n"
    "change what they name: a new name gives the name's identifier; attenuation\n"
    "(0 or more) and masterVolume (0 or less); captions; a row removed drops its\n"
    "record and the image no other record uses (\"missing\" stays); a row added\n"
    "with a name and a file adds a sound. Rows naming the same file share its\n"
    "image. Only regular files inside DIR are read: a link (a reparse point on\n"
    "Windows), a FIFO or a device is refused, and so is a file of DIR/.original\n"
    "that is not as unpack wrote it. Anything wrong is reported naming\n"
    "manifest.json or the file, and nothing is written.";

}  // namespace sonkrate::cli
