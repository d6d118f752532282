// sonkrate-cli unpack: an archive as a folder of sound files and manifest.json.
#include <cstdio>

#include "archive/folder/unpack_archive.h"
#include "cli/cli.h"
#include "cli/commands.h"

namespace sonkrate::cli {

int runUnpack(const Arguments& args) {
    const std::string& archivePath = args.positional[0];
    const std::string& dir = args.positional[1];
    archive::UnpackOptions options;
    options.cauForm = args.has("cau");
    options.dbPath = args.option("db").value_or("");
    Progress progress("unpacking", ProgressUnit::Bytes);
    options.progress = progress.callback();
    archive::UnpackResult r = archive::unpackArchive(archivePath, dir, options);
    progress.finish();
    if (!r.outcome) return failed(r.outcome);
    say(stdout, "%s: %u entries unpacked into %s as %u %s files and manifest.json\n", archivePath.c_str(), r.records,
        dir.c_str(), r.files, options.cauForm ? ".cau" : ".wav");
    if (r.kept > 0)
        say(stdout, "%u image%s could not be decoded and %s kept as .cau\n", r.kept, r.kept == 1 ? "" : "s",
            r.kept == 1 ? "is" : "are");
    return kExitOk;
}

const char* const kUnpackDetails =
    "Writes into DIR (made when missing; it must be empty) one file per sound\n"
    "image, shared images once: a PCM .wav to play and edit (IMA ADPCM decoded),\n"
    "or with --cau the image as a .cau file. Files are named after the sound's\n"
    "name in the name database SNDIDS, else <index>-<identifier>, made safe as\n"
    "file names on Windows and Linux. DIR/manifest.json lists every record in\n"
    "table order: identifier, name, file, attenuation, master volume, timed\n"
    "captions, the image it shares, the sound's format and the file's hash.\n"
    "DIR/.original keeps the archive's own bytes and their hashes, so that pack\n"
    "gives the same archive back from a folder left unchanged.\n"
    "DIR is checked as it resolves (a/new/../b is a/b). A failed unpack removes\n"
    "the files and folders it made, one by one, and nothing else.";

}  // namespace sonkrate::cli
