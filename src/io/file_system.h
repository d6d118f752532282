// Calls on names in the file system (remove, rename, create folders, sync a
// folder) as Outcomes naming the file, all seen by the fault hook, plus the
// queries the operations need.
#pragma once

#include <string>

#include "io/outcome.h"

namespace sonkrate::io {

// Removes a file; a file that is not there is not an error.
Outcome removeFile(const std::string& path);
// Renames from over to, replacing to. Not forced to the disk: for working
// files; a durable replacement goes through ReplacementFile.
Outcome renameFile(const std::string& from, const std::string& to);
// Creates the folder and the folders above it that are missing.
Outcome createFolders(const std::string& folder);

// Renames from over to so that the rename itself reaches the disk: on Windows
// the move is written through; elsewhere the folder of to is synced after it.
Outcome renameDurably(const std::string& from, const std::string& to);
// Puts the folder's entries (names made or renamed in it) on the disk. File
// systems that cannot sync a folder are not an error.
Outcome syncFolder(const std::string& folder);

bool pathExists(const std::string& path);

// What a name is, a link not followed (a reparse point on Windows is a link).
enum class PathKind { Missing, Regular, Folder, Link, Fifo, Device, Socket, Other };
PathKind pathKind(const std::string& path);
// The same with a link followed to what it names (Missing for a broken one).
PathKind targetKind(const std::string& path);
// "a folder", "a symbolic link", "a FIFO (named pipe)", "a device" ...
const char* pathKindText(PathKind kind);
// Fails with a sentence naming path when it is a symbolic link (a reparse
// point on Windows): for the folders inside a folder someone else made.
Outcome refuseLink(const std::string& path);

bool isFolder(const std::string& path);
bool isRegularFile(const std::string& path);

// The id of this process, and whether a process with the given id still runs.
long currentProcessId();
bool processRunning(long pid);

}  // namespace sonkrate::io
