// "-" as a file argument: the file comes from standard input or goes to
// standard output. The readers and writers of the core seek and replace
// files safely, so the data passes through a private temporary file.
#pragma once

#include <cstdio>
#include <string>

#include "io/outcome.h"

namespace sonkrate::cli {

inline bool isStdStream(const std::string& argument) { return argument == "-"; }

// A file in a private temporary folder made for it; both removed when done.
class ScratchFile {
public:
    ScratchFile() = default;
    ~ScratchFile();
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    // Makes the folder; the file inside it is called name (not created).
    io::Outcome create(const std::string& name);
    const std::string& path() const { return path_; }

private:
    std::string folder_;
    std::string path_;
};

// The file a command writes: the path given, or for "-" a scratch file copied
// to standard output once it is complete.
class OutputFile {
public:
    // Refuses "-" when standard output is a terminal. scratchName carries the
    // extension the writer goes by.
    io::Outcome prepare(const std::string& given, const std::string& scratchName);
    const std::string& path() const { return toStdout_ ? scratch_.path() : given_; }
    bool toStdout() const { return toStdout_; }
    // Messages for people go to stderr when stdout carries the file.
    std::FILE* messages() const { return toStdout_ ? stderr : stdout; }
    // The name messages use.
    std::string shown() const { return toStdout_ ? "standard output" : given_; }
    // Copies the scratch file to standard output; nothing to do otherwise.
    io::Outcome finish() const;
    // text with the scratch file's path replaced by "standard output".
    std::string reword(std::string text) const;

private:
    std::string given_;
    bool toStdout_ = false;
    ScratchFile scratch_;
};

// The file a command reads: the path given, or for "-" standard input copied
// to a scratch file first.
class InputFile {
public:
    io::Outcome prepare(const std::string& given, const std::string& scratchName);
    const std::string& path() const { return fromStdin_ ? scratch_.path() : given_; }
    bool fromStdin() const { return fromStdin_; }
    // text with the scratch file's path replaced by "standard input".
    std::string reword(std::string text) const;

private:
    std::string given_;
    bool fromStdin_ = false;
    ScratchFile scratch_;
};

// Fails with a sentence when standard output is a terminal: binary data
// there is of use to nobody and can upset the terminal.
io::Outcome refuseTerminalOutput();
// Copies all of standard input (binary) into the file at path.
io::Outcome copyStdinTo(const std::string& path);
// Copies the file at path to standard output (binary).
io::Outcome copyToStdout(const std::string& path);
// Standard output written byte for byte (on Windows not in text mode, which
// would put a CR before the CR of every CR LF already written).
void useBinaryStdout();

}  // namespace sonkrate::cli
