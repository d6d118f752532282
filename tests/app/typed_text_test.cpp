// A caption or sound name typed in the window (or a name taken from a file's
// name) is stored, and hashed, as the game reads its own: in the Windows code
// page when it fits; elsewhere as the UTF-8 the Linux window always stored.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/shell_fixture.h"
#include "app/sound_maker.h"
#include "ids/sound_id.h"
#include "testkit/game_reader.h"

#if defined(_WIN32)
#include <windows.h>
#endif

using namespace shelltest;
using namespace sonkrate::app;

namespace {

const std::string kTypedCafe = "Caf\xC3\xA9";  // what the window hands over: UTF-8

class TypedTextTest : public ShellTest {
protected:
    void SetUp() override {
#if defined(_WIN32)
        ASSERT_EQ(GetACP(), 1252u) << "the Windows tests run with LC_ALL=C.UTF-8, which Wine gives code page 1252";
#endif
        start();
    }
    // A 16-bit mono PCM .wav of a tone.
    std::string wav(const std::string& name) {
        testkit::Bytes data = soundData(TestSound{});
        testkit::Bytes w(44, 0);
        auto tag = [&](std::size_t at, const char* t) { std::copy(t, t + 4, w.begin() + static_cast<long>(at)); };
        tag(0, "RIFF"), tag(8, "WAVE"), tag(12, "fmt "), tag(36, "data");
        testkit::put32(w, 4, static_cast<std::uint32_t>(36 + data.size()));
        testkit::put32(w, 16, 16), testkit::put16(w, 20, 1), testkit::put16(w, 22, 1);
        testkit::put32(w, 24, 22050), testkit::put32(w, 28, 44100), testkit::put16(w, 32, 2), testkit::put16(w, 34, 16);
        testkit::put32(w, 40, static_cast<std::uint32_t>(data.size()));
        w.insert(w.end(), data.begin(), data.end());
        std::string path = scratch.file(name);
        testkit::writeFile(path, w);
        return path;
    }
};

}  // namespace

TEST_F(TypedTextTest, CaptionTypedWithAnAccentIsStoredInTheGamesCodePage) {
    const std::string source = wav("cafe.wav");
    ASSERT_TRUE(platform.typeText(kCaptionInput, kTypedCafe));
    platform.answerDialog(source);
    ASSERT_TRUE(platform.chooseMenu(kCmdWavToCau));
    ASSERT_EQ(status(), "Cau export complete . .. ");
    testkit::Bytes made = testkit::readFile(scratch.file("cafe.cau"));
    ASSERT_GE(made.size(), 48u);
    ASSERT_EQ(testkit::u32(made, 32), 36u);
    // Block length, one section, its display time, then the text and its zero.
    const std::string text = "Caf" + testkit::storedEAcute();
    EXPECT_EQ(testkit::u32(made, 40), 1u);
    EXPECT_EQ(std::string(made.begin() + 48, made.begin() + 48 + static_cast<long>(text.size()) + 1),
              text + std::string(1, '\0'));
}

TEST_F(TypedTextTest, TypedNameIsHashedAndRecordedInTheGamesCodePage) {
    const std::string archive = scratch.file("general.tpa");
    platform.answerDialog(archive);
    ASSERT_TRUE(platform.chooseMenu(kCmdNewTpa));
    platform.answerDialog(archive);
    ASSERT_TRUE(platform.chooseMenu(kCmdLoadTpa));
    ASSERT_TRUE(platform.chooseMenu(kCmdUpdater));

    // "Café" is four characters, which the name check counts as the game's bytes.
    const std::string door = scratch.file("door.cau");
    writeCau(door, TestSound{});
    ASSERT_TRUE(platform.typeText(kSoundIdInput, kTypedCafe));
    platform.answerDialog(door);
    ASSERT_TRUE(platform.chooseMenu(kCmdAddCau));
    ASSERT_EQ(shell->loadedArchive().entryCount, 2u) << status();
    const std::string stored = "caf" + testkit::storedEAcute();
    const testkit::Bytes tpa = testkit::readFile(archive);
    EXPECT_EQ(testkit::u32(tpa, 24 + 56), sonkrate::ids::computeSoundId(stored));
    testkit::expectGameReads(archive);
    const std::string record = testkit::readText(shell->paths().sndIdsDat);
    EXPECT_NE(record.find("\" \"" + stored + "\"\r\n"), std::string::npos) << record;

    // An eel listing: stored as the game's bytes, and found again for removal
    // when chosen in the list.
    ASSERT_TRUE(platform.typeText(kSoundIdInput, kTypedCafe));
    platform.answerDialog(door);
    ASSERT_TRUE(platform.click(kAddListingButton));
    const auto& items = platform.control(kEelListBox)->items;
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(items[2], "Caf" + testkit::storedEAcute());
    ASSERT_TRUE(platform.selectListItem(kEelListBox, 2));
    ASSERT_TRUE(platform.click(kRemoveListingButton));
    EXPECT_EQ(status(), "selected item removed from eel list . . .");
    EXPECT_EQ(platform.control(kEelListBox)->items.size(), 2u);

    // With "Use File_Names" the file's name is hashed the same way.
    const std::string named = scratch.file(kTypedCafe + ".cau");
    writeCau(named, TestSound{});
    ASSERT_TRUE(platform.click(kFileNamesCheckBox));
    platform.answerDialog(named);
    ASSERT_TRUE(platform.chooseMenu(kCmdAddCau));
    ASSERT_EQ(shell->loadedArchive().entryCount, 3u) << status();
    EXPECT_EQ(testkit::u32(testkit::readFile(archive), 24 + 2 * 56), sonkrate::ids::computeSoundId(stored));
}
