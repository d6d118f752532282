// Plain string operations on paths and file names, with the platform's
// separators (both \ and / on Windows).
#pragma once

#include <string>
#include <string_view>

namespace sonkrate::io {

bool isSeparator(char c);
// The platform's preferred separator.
char separator();

// On Windows a drive ("C:") ends the folder part as a separator does.
// The file name after the last separator.
std::string fileNameOf(std::string_view path);
// Everything before the last separator; empty when there is none.
std::string folderOf(std::string_view path);
// folder + separator + name (no separator doubled; just name for an empty folder).
std::string joinPath(std::string_view folder, std::string_view name);
// The path with its file name replaced by name; the folder part is kept as
// written, separators included ("out/a.txt" -> "out/b.txt").
std::string siblingPath(std::string_view path, std::string_view name);

// Removes the four characters that start at the first "." (the usual
// extension, and for "a.b.tpa" the ".b.t"); a name without "." is unchanged.
std::string stripFromFirstDot(std::string_view name);
// Removes the four characters that start at the last ".".
std::string stripFromLastDot(std::string_view name);

std::string toLower(std::string_view text);
std::string toUpper(std::string_view text);
bool endsWith(std::string_view text, std::string_view suffix);

}  // namespace sonkrate::io
