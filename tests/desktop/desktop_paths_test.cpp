// The documents folder read from the XDG user-dirs file.
#include <gtest/gtest.h>

#include "platform/fltk/desktop_paths.h"

using sonkrate::platform::desktop::documentsFolderFromUserDirs;

TEST(DesktopPaths, TakesTheDocumentsFolderFromTheUserDirsFile) {
    const std::string home = "/home/ann";
    EXPECT_EQ(documentsFolderFromUserDirs("XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n", home), "/home/ann/Dokumente");
    // Comments, other keys, CR LF, blanks round the "=", an absolute path,
    // quoted characters, a trailing slash; the last assignment counts.
    EXPECT_EQ(documentsFolderFromUserDirs("# written by xdg-user-dirs-update\r\n"
                                          "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\r\n"
                                          "XDG_DOCUMENTS_DIR=\"$HOME/Old\"\r\n"
                                          "XDG_DOCUMENTS_DIR = \"/data/My \\\"Docs\\\"/\"\r\n",
                                          home),
              "/data/My \"Docs\"");
    // The home folder itself means "not set"; so do a missing key, a value
    // without quotes or an unclosed one, and $HOME glued to a name.
    EXPECT_EQ(documentsFolderFromUserDirs("XDG_DOCUMENTS_DIR=\"$HOME/\"\n", home), "");
    EXPECT_EQ(documentsFolderFromUserDirs("XDG_MUSIC_DIR=\"$HOME/Music\"\n", home), "");
    EXPECT_EQ(documentsFolderFromUserDirs("XDG_DOCUMENTS_DIR=$HOME/Docs\n", home), "");
    EXPECT_EQ(documentsFolderFromUserDirs("XDG_DOCUMENTS_DIR=\"$HOME/Docs\n", home), "");
    EXPECT_EQ(documentsFolderFromUserDirs("XDG_DOCUMENTS_DIR=\"$HOMEDocs\"\n", home), "");
    EXPECT_EQ(documentsFolderFromUserDirs("XDG_DOCUMENTS_DIR=\"relative/Docs\"\n", home), "");
    EXPECT_EQ(documentsFolderFromUserDirs("", home), "");
}
