// sonkrate-cli on an archive, sounds and folders named in three scripts:
// the arguments reach the tool whole and the names it prints are UTF-8.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

#include "io/file_system.h"
#include "io/unicode_text.h"

#include "testkit/game_reader.h"
#include "testkit/testkit.h"

using testkit::quote;
using testkit::run;

namespace {

std::string cli(const std::string& args) { return quote(SONKRATE_CLI_PATH) + " " + args; }

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// The system's temporary folder moved, for the programs this test starts,
// and put back afterwards.
class TemporaryFolderMoved {
public:
    explicit TemporaryFolderMoved(const std::string& folder) {
        for (const char* name : kNames) {
            const char* old = std::getenv(name);
            saved_.push_back(old ? std::optional<std::string>(old) : std::nullopt);
            set(name, folder);
        }
    }
    ~TemporaryFolderMoved() {
        for (std::size_t i = 0; i < saved_.size(); ++i) set(kNames[i], saved_[i].value_or(""));
    }

private:
#if defined(_WIN32)
    static constexpr const char* kNames[] = {"TMP", "TEMP"};
    static void set(const char* name, const std::string& value) {
        _wputenv_s(sonkrate::io::toWide(name).c_str(), sonkrate::io::toWide(value).c_str());
    }
#else
    static constexpr const char* kNames[] = {"TMPDIR"};
    static void set(const char* name, const std::string& value) {
        if (value.empty())
            unsetenv(name);
        else
            setenv(name, value.c_str(), 1);
    }
#endif
    std::vector<std::optional<std::string>> saved_;
};

}  // namespace

TEST(UnicodeCli, ArchiveAndFolderInThreeScriptsGoThroughEveryCommand) {
    testkit::ScratchDir dir;
    // "Zoë Дмитрий" and "サウンド" in UTF-8.
    const std::string latinCyrillic = "Zo\xC3\xAB \xD0\x94\xD0\xBC\xD0\xB8\xD1\x82\xD1\x80\xD0\xB8\xD0\xB9";
    const std::string japanese = "\xE3\x82\xB5\xE3\x82\xA6\xE3\x83\xB3\xE3\x83\x89";
    const std::string folder = dir.file(latinCyrillic);
    auto made = run(cli("new " + quote(folder + "/x.tpa")));  // the folder does not exist yet
    EXPECT_EQ(made.exitCode, 1);
    EXPECT_TRUE(contains(made.err, latinCyrillic)) << made.err;

    const std::string tpa = dir.file(japanese + ".tpa");
    auto created = run(cli("new " + quote(tpa)));
    ASSERT_EQ(created.exitCode, 0) << created.err;
    EXPECT_TRUE(contains(created.out, japanese + ".tpa")) << created.out;
    EXPECT_EQ(testkit::fileSize(tpa), 88316u);

    // The default sound taken out as a .cau, added back under a name of
    // the three scripts, with its record in a database of that name too.
    const std::string cau = dir.file(latinCyrillic + ".cau");
    auto extracted = run(cli("extract " + quote(tpa) + " 0 " + quote(cau)));
    ASSERT_EQ(extracted.exitCode, 0) << extracted.err;
    const std::string soundName = "Zo\xC3\xAB_" + japanese;
    const std::string db = dir.file(japanese + "_SndIds.dat");
    auto added =
        run(cli("add " + quote(tpa) + " " + quote(cau) + " --name " + quote(soundName) + " --db " + quote(db)));
    ASSERT_EQ(added.exitCode, 0) << added.err;
    EXPECT_TRUE(contains(added.out, soundName)) << added.out;
    // The database keeps names in lower case (ASCII letters only).
    const std::string storedName = "zo\xC3\xAB_" + japanese;
    EXPECT_TRUE(contains(testkit::readText(db), storedName));
    testkit::expectGameReads(tpa);

    auto list = run(cli("list " + quote(tpa) + " --json --db " + quote(db)));
    ASSERT_EQ(list.exitCode, 0) << list.err;
    EXPECT_TRUE(contains(list.out, "\"name\": \"" + storedName + "\"")) << list.out;

    const std::string wav = dir.file(japanese + ".wav");
    auto toWav = run(cli("extract " + quote(tpa) + " 1 " + quote(wav)));
    ASSERT_EQ(toWav.exitCode, 0) << toWav.err;
    EXPECT_EQ(testkit::fileSize(wav), 44u + 88200u);

    // Every entry into a new folder: the added one named by its database name.
    auto exported = run(cli("export-all " + quote(tpa) + " " + quote(folder) + " --db " + quote(db)));
    ASSERT_EQ(exported.exitCode, 0) << exported.err;
    EXPECT_TRUE(contains(exported.out, latinCyrillic)) << exported.out;
    EXPECT_EQ(testkit::readFile(folder + "/" + storedName + ".cau"), testkit::readFile(cau));

    auto verified = run(cli("verify " + quote(tpa) + " " + quote(cau)));
    EXPECT_EQ(verified.exitCode, 0) << verified.out << verified.err;
    EXPECT_TRUE(contains(verified.out, japanese + ".tpa")) << verified.out;
    EXPECT_TRUE(contains(verified.out, latinCyrillic + ".cau")) << verified.out;
}

// "-" passes the sound through a private folder in the temporary folder,
// which for a user named in Cyrillic has a Cyrillic path; the folder is
// removed afterwards.
TEST(UnicodeCli, StandardStreamsWorkWithATemporaryFolderOfAnotherScript) {
    testkit::ScratchDir dir;
    const std::string temp = dir.file("\xD0\x94\xD0\xBC\xD0\xB8\xD1\x82\xD1\x80\xD0\xB8\xD0\xB9 Temp");
    const std::string tpa = dir.file("a.tpa");
    ASSERT_EQ(run(cli("new " + quote(tpa))).exitCode, 0);
    ASSERT_TRUE(sonkrate::io::createFolders(temp).ok);
    testkit::RunResult piped;
    {
        TemporaryFolderMoved moved(temp);
        piped = run(cli("extract " + quote(tpa) + " 0 -"));
    }
    ASSERT_EQ(piped.exitCode, 0) << piped.err;
    EXPECT_EQ(piped.out.substr(0, 4), "RIFF");
    EXPECT_GT(piped.out.size(), 88000u);
    // The private folder went with the run.
    std::vector<std::string> left;
    for (const auto& entry : std::filesystem::directory_iterator(sonkrate::io::nativePath(temp)))
        left.push_back(sonkrate::io::utf8Path(entry.path().filename()));
    EXPECT_TRUE(left.empty()) << left.front();
}
