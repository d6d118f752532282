// The game is an ANSI program: the names it hashes and the captions it shows
// are bytes of the Windows code page. These turn text the user typed into the
// bytes to store or hash, and bytes read from files into text to show.
#pragma once

#include <string>
#include <string_view>

namespace sonkrate::io {

// The bytes to store or hash for UTF-8 text the user typed. On Windows: the
// text in the ANSI code page when every character has an exact form there,
// else the UTF-8 unchanged. Elsewhere the UTF-8 unchanged.
std::string gameText(std::string_view typed);

// Bytes from a file (a caption, a name from a name database) as UTF-8 for a
// display. Valid UTF-8 stays as it is; in other text the bytes that are not
// part of a UTF-8 sequence are read in the Windows code page (the ANSI code
// page on Windows, Windows-1252 elsewhere).
std::string shownText(std::string_view bytes);

}  // namespace sonkrate::io
