// Names in three scripts through every file call of io, and the UTF-8 and
// UTF-16 conversions behind them.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "io/file.h"
#include "io/file_system.h"
#include "io/folder_listing.h"
#include "io/paths.h"
#include "io/program_path.h"
#include "io/replacement.h"
#include "io/unicode_text.h"
#include "testkit/testkit.h"

#if defined(_WIN32)
#include <windows.h>
#endif

using namespace sonkrate::io;

namespace {

// "Zoë", "Дмитрий" and "サウンド" in UTF-8.
const std::string kLatin = "Zo\xC3\xAB";
const std::string kCyrillic = "\xD0\x94\xD0\xBC\xD0\xB8\xD1\x82\xD1\x80\xD0\xB8\xD0\xB9";
const std::string kJapanese = "\xE3\x82\xB5\xE3\x82\xA6\xE3\x83\xB3\xE3\x83\x89";

}  // namespace

TEST(UnicodeText, Utf8AndUtf16ConvertUnitByUnit) {
    EXPECT_EQ(*utf16FromUtf8(kLatin), u"Zo\u00EB");
    EXPECT_EQ(*utf16FromUtf8(kCyrillic), u"\u0414\u043C\u0438\u0442\u0440\u0438\u0439");
    EXPECT_EQ(*utf16FromUtf8(kJapanese), u"\u30B5\u30A6\u30F3\u30C9");
    // A character past U+FFFF takes a surrogate pair; NULs pass (dialog filters hold them).
    EXPECT_EQ(*utf16FromUtf8("\xF0\x9F\x8E\xB5"), std::u16string({0xD83C, 0xDFB5}));
    EXPECT_EQ(utf16FromUtf8(std::string("a\0b", 3))->size(), 3u);
    for (const std::string& text : {kLatin, kCyrillic, kJapanese, std::string("\xF0\x9F\x8E\xB5 \xEF\xBF\xBF")})
        EXPECT_EQ(utf8FromUtf16(*utf16FromUtf8(text)), text);

    // Not UTF-8: a stray continuation byte, a cut sequence, an overlong
    // slash, a code point past U+10FFFF, a Latin-1 "é".
    for (const std::string& bad : {std::string("\x80"), std::string("\xE3\x82"), std::string("\xC0\xAF"),
                                   std::string("\xF4\x90\x80\x80"), std::string("caf\xE9"),
                                   std::string("\xE3\x82\x41")})
        EXPECT_FALSE(utf16FromUtf8(bad).has_value()) << testing::PrintToString(bad);

    // Windows allows a name with an unpaired surrogate: it survives both ways.
    const std::u16string lone = {u'a', 0xD800, u'b', 0xDC00};
    EXPECT_EQ(utf8FromUtf16(lone), "a\xED\xA0\x80" "b\xED\xB0\x80");
    EXPECT_EQ(*utf16FromUtf8(utf8FromUtf16(lone)), lone);
}

TEST(UnicodeText, FilesInFoldersOfThreeScriptsAreMadeReadListedAndReplaced) {
    testkit::ScratchDir scratch;
    const std::string folder = joinPath(joinPath(scratch.path(), kLatin + " " + kCyrillic), kJapanese);
    ASSERT_TRUE(createFolders(folder).ok);
    EXPECT_TRUE(isFolder(folder));

    const std::string name = kCyrillic + "_" + kJapanese + ".cau";
    const std::string path = joinPath(folder, name);
    File file;
    ASSERT_TRUE(file.open(path, FileMode::Write).ok);
    ASSERT_TRUE(file.writeText("WBOR").ok);
    ASSERT_TRUE(file.close().ok);
    EXPECT_TRUE(isRegularFile(path));
    EXPECT_EQ(testkit::readText(path), "WBOR");
    ASSERT_TRUE(appendWhole(path, "+1").ok);
    EXPECT_TRUE(sameFile(path, joinPath(folder, name)));

    // A durable replacement: the temporary beside the target holds the name too.
    ReplacementFile replacement;
    ASSERT_TRUE(replacement.begin(path).ok);
    ASSERT_TRUE(replacement.file().writeText("new").ok);
    ASSERT_TRUE(replacement.commit(Durability::Durable).ok);
    EXPECT_EQ(testkit::readText(path), "new");

    const std::string renamed = joinPath(folder, kLatin + ".cau");
    ASSERT_TRUE(copyFile(path, joinPath(folder, "copy.cau")).ok);
    ASSERT_TRUE(renameFile(path, renamed).ok);
    EXPECT_FALSE(pathExists(path));
    std::vector<std::string> names;
    ASSERT_TRUE(listFileNames(folder, ".CAU", names).ok);
    EXPECT_EQ(names, (std::vector<std::string>{kLatin + ".cau", "copy.cau"}));

    // A temporary left by a process that is gone is swept, whatever its name.
    const std::string stale = joinPath(folder, "." + kJapanese + ".tpa.part-999999999-0");
    testkit::writeText(stale, "x");
    EXPECT_EQ(removeStaleTemporaries(folder), 1);
    EXPECT_FALSE(pathExists(stale));

    ASSERT_TRUE(removeFile(renamed).ok);
    EXPECT_FALSE(pathExists(renamed));
    File missing;
    Outcome opened = missing.open(joinPath(folder, kJapanese + ".tpa"), FileMode::Read);
    EXPECT_FALSE(opened.ok);
    EXPECT_NE(opened.reason.find(kJapanese + ".tpa"), std::string::npos) << opened.reason;
}

#if defined(_WIN32)
// What Windows itself sees: the names in UTF-16, not the ANSI code page's guess.
TEST(UnicodeText, WindowsSeesTheNamesInUtf16) {
    testkit::ScratchDir scratch;
    const std::string path = joinPath(scratch.path(), kLatin + kCyrillic + kJapanese + ".tpa");
    File file;
    ASSERT_TRUE(file.open(path, FileMode::Write).ok);
    ASSERT_TRUE(file.close().ok);
    const std::wstring wide = toWide(scratch.path()) + L"\\Zo\u00EB\u0414\u043C\u0438\u0442\u0440\u0438\u0439"
                                                       L"\u30B5\u30A6\u30F3\u30C9.tpa";
    EXPECT_NE(GetFileAttributesW(wide.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(utf8Path(nativePath(path)), path);

    // A name made by another program through the wide calls opens by its UTF-8 name.
    const std::wstring other = toWide(scratch.path()) + L"\\\u30C9\u0439.cau";
    HANDLE h = CreateFileW(other.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(h, "RIFF", 4, &written, nullptr);
    CloseHandle(h);
    EXPECT_EQ(testkit::readText(joinPath(scratch.path(), "\xE3\x83\x89\xD0\xB9.cau")), "RIFF");

    // Bytes that are not UTF-8 (a list written by an older tool) are read
    // in the ANSI code page rather than dropped.
    std::wstring ansi = toWide("caf\xE9");
    ASSERT_EQ(ansi.size(), 4u);
    EXPECT_EQ(ansi.substr(0, 3), L"caf");

    // The program's own path comes back whole through the wide call.
    EXPECT_TRUE(isRegularFile(programPath()));
}
#endif
