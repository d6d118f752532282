// Where things are on a Linux desktop: the user's documents folder (from the
// XDG user-dirs file), the per-user data folder, the running program and
// the files of a drop.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace sonkrate::platform::desktop {

// The documents folder named by the text of a user-dirs.dirs file, given the
// home folder: the value of XDG_DOCUMENTS_DIR with $HOME expanded. Empty when
// the text does not name one, or names the home folder itself (which is how
// the file says "not set").
std::string documentsFolderFromUserDirs(std::string_view userDirsText, const std::string& home);

// The local files named by the text of a drop: a text/uri-list (file://
// URIs with %-escapes, a host part of "localhost" or none, CR LF or LF,
// comment lines) or plain absolute paths, one a line. Other URIs are left out.
std::vector<std::string> droppedPaths(std::string_view dropText);

// The home folder: $HOME, else the password database's entry.
std::string homeFolder();
// The XDG documents folder, falling back to ~/Documents.
std::string documentsFolder();
// $XDG_DATA_HOME/sonkrate, or ~/.local/share/sonkrate.
std::string userDataFolder();
// The running program's full path, from /proc/self/exe.
std::string executablePath();

}  // namespace sonkrate::platform::desktop
