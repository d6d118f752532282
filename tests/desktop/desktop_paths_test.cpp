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

TEST(DesktopPaths, TakesTheLocalFilesOfADrop) {
    using sonkrate::platform::desktop::droppedPaths;
    using namespace std::string_view_literals;
    // A text/uri-list with CR LF, a comment, escapes of any byte, a
    // localhost host part; the last line without an end.
    EXPECT_EQ(droppedPaths("# from a file manager\r\n"
                           "file:///home/ann/Sounds/Effects.tpa\r\n"
                           "file://localhost/home/ann/My%20Sounds/d%C3%BCr%25.cau\r\n"
                           "file:///tmp/list.eel"),
              (std::vector<std::string>{"/home/ann/Sounds/Effects.tpa", "/home/ann/My Sounds/d\xC3\xBCr%.cau",
                                        "/tmp/list.eel"}));
    // Plain paths, one a line, as some programs drop them; a NUL at the end.
    EXPECT_EQ(droppedPaths("/a/b.wav\n/c d/e.aiff\n\0"sv), (std::vector<std::string>{"/a/b.wav", "/c d/e.aiff"}));
    // Files of other hosts, other schemes, relative names, a bad or cut
    // escape (kept as written) and an escaped NUL (left out).
    EXPECT_EQ(droppedPaths("file://server/share/x.tpa\nhttp://example.org/x.tpa\nx.tpa\n"
                           "file:///a%zz%4\nfile:///a%00b.tpa\n"),
              (std::vector<std::string>{"/a%zz%4"}));
    EXPECT_TRUE(droppedPaths("").empty());
}
