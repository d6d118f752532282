// Typed text into the game's code page, and bytes from files back to UTF-8.
#include <gtest/gtest.h>

#include "io/game_text.h"
#include "io/unicode_text.h"
#include "testkit/testkit.h"

#if defined(_WIN32)
#include <windows.h>
#endif

using namespace sonkrate::io;

namespace {

const std::string kCafe = "Caf\xC3\xA9";  // "Café" in UTF-8
const std::string kCyrillic = "\xD0\x94\xD0\xBC\xD0\xB8\xD1\x82\xD1\x80\xD0\xB8\xD0\xB9";
const std::string kJapanese = "\xE3\x82\xB5\xE3\x82\xA6\xE3\x83\xB3\xE3\x83\x89";

}  // namespace

TEST(GameText, ShownTextKeepsUtf8AndReadsOtherBytesInTheWindowsCodePage) {
    for (const std::string& text : {std::string("door_slam"), kCafe, kCyrillic, kJapanese, std::string()})
        EXPECT_EQ(shownText(text), text);
#if defined(_WIN32)
    ASSERT_EQ(GetACP(), 1252u) << "the Windows tests run with LC_ALL=C.UTF-8, which Wine gives code page 1252";
#endif
    EXPECT_EQ(shownText("caf\xE9"), "caf\xC3\xA9");
    EXPECT_EQ(shownText("\x80 \x9F \xA0 \xFF"), "\xE2\x82\xAC \xC5\xB8 \xC2\xA0 \xC3\xBF");
    // UTF-8 sequences beside bytes of the code page: each part read as what it is.
    EXPECT_EQ(shownText("Zo\xC3\xAB caf\xE9 " + kJapanese), "Zo\xC3\xAB caf\xC3\xA9 " + kJapanese);
    // Cut short, overlong, a lone continuation byte: not UTF-8.
    EXPECT_EQ(shownText("ab\xC3"), "ab\xC3\x83");
    EXPECT_EQ(shownText("\xC0\xAF"), "\xC3\x80\xC2\xAF");
    EXPECT_EQ(shownText("\xE3\x82 x"), "\xC3\xA3\xE2\x80\x9A x");
    // An encoded surrogate is no UTF-8 a JSON reader takes.
    EXPECT_EQ(shownText("\xED\xA0\x80"), "\xC3\xAD\xC2\xA0\xE2\x82\xAC");
    // Whatever goes in, UTF-8 comes out.
    std::string every;
    for (int c = 1; c < 256; ++c) every += static_cast<char>(c);
    EXPECT_TRUE(utf16FromUtf8(shownText(every)).has_value());
}

#if !defined(_WIN32)
// The Windows-1252 table against iconv's: every byte it assigns.
TEST(GameText, ShownTextReadsWindows1252AsIconvDoes) {
    if (!testkit::haveTool("iconv")) GTEST_SKIP() << "needs iconv";
    testkit::ScratchDir dir;
    std::string bytes;
    for (int c = 0x80; c < 0x100; ++c)
        if (c != 0x81 && c != 0x8D && c != 0x8F && c != 0x90 && c != 0x9D) bytes += static_cast<char>(c);
    testkit::writeFile(dir.file("1252.txt"), testkit::Bytes(bytes.begin(), bytes.end()));
    auto converted = testkit::run("iconv -f CP1252 -t UTF-8 " + testkit::quote(dir.file("1252.txt")));
    ASSERT_EQ(converted.exitCode, 0) << converted.err;
    EXPECT_EQ(shownText(bytes), converted.out);
    // The five bytes 1252 leaves unassigned read as the C1 controls, as Windows reads them.
    EXPECT_EQ(shownText("\x81\x8D\x8F\x90\x9D"), "\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D");
}
#endif

TEST(GameText, TypedTextGoesIntoTheCodePageOnlyOnWindowsAndOnlyWhenItFits) {
    // ASCII and bytes that are not UTF-8 are kept everywhere.
    EXPECT_EQ(gameText("Door_Slam 01"), "Door_Slam 01");
    EXPECT_EQ(gameText("caf\xE9"), "caf\xE9");
    // Outside the code page: kept as UTF-8, wholly, even beside letters that fit.
    EXPECT_EQ(gameText(kCyrillic), kCyrillic);
    EXPECT_EQ(gameText(kJapanese), kJapanese);
    EXPECT_EQ(gameText(kCafe + " " + kCyrillic), kCafe + " " + kCyrillic);
    // U+0100 has no exact form in 1252; best fit would make it "A".
    EXPECT_EQ(gameText("\xC4\x80"), "\xC4\x80");
#if defined(_WIN32)
    ASSERT_EQ(GetACP(), 1252u) << "the Windows tests run with LC_ALL=C.UTF-8, which Wine gives code page 1252";
    EXPECT_EQ(gameText(kCafe), "Caf\xE9");
    EXPECT_EQ(gameText("\xE2\x82\xAC\xC5\xB8"), "\x80\x9F");  // "€Ÿ"
#else
    EXPECT_EQ(gameText(kCafe), kCafe);
    EXPECT_EQ(gameText("\xE2\x82\xAC\xC5\xB8"), "\xE2\x82\xAC\xC5\xB8");
#endif
    // What was stored shows as what was typed.
    for (const std::string& typed : {kCafe, kCyrillic, std::string("\xE2\x82\xAC\xC5\xB8")})
        EXPECT_EQ(shownText(gameText(typed)), typed);
}
