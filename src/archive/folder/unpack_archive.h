// An archive as a folder: one file per sound image (a PCM .wav to play and
// edit, or the .cau image as it is), manifest.json with what the archive
// knows of every record, and in .original/ everything pack needs to give the
// same archive back byte for byte from a folder left unchanged.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "io/outcome.h"
#include "io/progress.h"

namespace sonkrate::archive {

// The folder of DIR that holds the archive's own bytes, and its files.
inline constexpr char kOriginalFolder[] = ".original";
inline constexpr char kOriginalHeader[] = "header.bin";    // the 24-byte archive header
inline constexpr char kOriginalTable[] = "table.bin";      // every record, 56 bytes each
inline constexpr char kOriginalOutside[] = "outside.bin";  // the bytes outside the table and the images
// .original/<record>.img: an image exactly as stored, when the file beside
// manifest.json is not (a decoded .wav, or a .cau that got "WBOR" first).
std::string originalImageName(std::uint32_t record);

struct UnpackOptions {
    bool cauForm = false;  // the images as .cau files rather than .wav
    std::string dbPath;    // names of the files and of the manifest's rows; empty: none
    io::ProgressCallback progress;  // bytes of images done and their total
};

struct UnpackResult {
    io::Outcome outcome;
    std::uint32_t records = 0;
    std::uint32_t files = 0;      // sound files written beside manifest.json
    std::uint32_t kept = 0;       // of them kept as .cau in a .wav unpack (not decodable)
};

// A file stem that every system takes from a sound's name (UTF-8): the
// characters Windows forbids and control bytes as "_", no leading dot, no
// trailing dot or blank, no device name; empty when nothing usable is left.
std::string safeFileStem(std::string_view name);

// Fails, writing nothing, when dir (resolved first: "a/new/../b" is "a/b")
// exists and is not an empty folder, or is empty text. A failure part of the
// way removes, one by one, the files and folders this run made, and nothing
// else. A sound that cannot be written as .wav fails the unpack; one that no
// .wav can hold (not decodable) is written as .cau and counted as kept.
UnpackResult unpackArchive(const std::string& archivePath, const std::string& dir, const UnpackOptions& options);

}  // namespace sonkrate::archive
