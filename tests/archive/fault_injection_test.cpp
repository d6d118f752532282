// Writes that fail part-way: each operation runs in a child process whose
// file size limit stops its output short (SIGXFSZ ignored, so the write
// fails with EFBIG). The archive, or the file the output would replace,
// stays byte for byte as it was, and no temporary file is left behind.
// Needs fork and file size limits, so it is left out of the Windows build.
#ifndef _WIN32
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <functional>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "archive/edit/add_sound.h"
#include "archive/edit/beta_to_retail.h"
#include "archive/edit/build_from_cau_dir.h"
#include "archive/edit/build_from_list.h"
#include "archive/edit/create_archive.h"
#include "archive/folder/export_all.h"
#include "archive/edit/remove_sounds.h"
#include "archive/edit/replace_sound.h"
#include "archive/format/tpa_loader.h"
#include "archive_builder.h"
#include "archive_check.h"
#include "ids/sound_id.h"
#include "testkit/game_reader.h"

using namespace sonkrate::archive;
using archive_test::Bytes;
using archive_test::pcmImage;

namespace fs = std::filesystem;

namespace {

// The exit code of body run in a child limited to files of limit bytes.
int underSizeLimit(std::uint64_t limit, const std::function<int()>& body) {
    pid_t pid = fork();
    if (pid == 0) {
        struct rlimit r = {static_cast<rlim_t>(limit), static_cast<rlim_t>(limit)};
        std::signal(SIGXFSZ, SIG_IGN);
        _exit(setrlimit(RLIMIT_FSIZE, &r) == 0 ? body() : 100);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::vector<std::string> folderContent(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

TEST(FaultInjection, FailedAddsLeaveTheArchiveAndALaterAddWorks) {
    testkit::ScratchDir dir;
    const std::string tpa = dir.file("game.tpa"), cau = dir.file("s.cau");
    std::vector<archive_test::Image> images;
    for (std::uint32_t i = 0; i < 40; ++i) images.push_back({i, pcmImage(22050, 2, 20000 + i)});
    const Bytes original = archive_test::retailArchive(images), sound = pcmImage(11025, 1, 30000);
    testkit::writeFile(tpa, original);
    testkit::writeFile(cau, sound);
    const std::vector<std::string> before = folderContent(dir.path());
    const std::uint64_t newSize = original.size() + 56 + sound.size();

    AddSoundRequest r;
    r.archivePath = tpa;
    r.soundPath = cau;
    r.soundName = "s";
    r.logPath = dir.file("log.txt");
    // The add's end as an exit code: 2 when nothing was done, plus 1 when the overwrite failed.
    auto outcome = [](const AddSoundResult& res) {
        return (res.addResult == AddOutcome::NothingDone ? 2 : 0) + (res.overwriteFailed ? 1 : 0);
    };
    // The limit strikes in the header, in the old data and in the new image.
    for (std::uint64_t limit : {std::uint64_t{100}, newSize / 2, newSize - 10}) {
        EXPECT_EQ(underSizeLimit(limit, [&] { return outcome(addSoundGeneral(r)); }), 3);
        EXPECT_EQ(underSizeLimit(limit, [&] { return outcome(addSoundEffects(r)); }), 3);
        EXPECT_EQ(testkit::readFile(tpa), original) << limit;
        EXPECT_EQ(folderContent(dir.path()), before) << limit;
    }
    // A backup that cannot be written stops the add before it starts.
    r.backupPath = dir.file("game.tpa.backup");
    EXPECT_EQ(underSizeLimit(original.size() / 2, [&] { return outcome(addSoundGeneral(r)); }), 2);
    EXPECT_EQ(folderContent(dir.path()), before);

    ASSERT_EQ(addSoundGeneral(r).addResult, AddOutcome::Done);
    EXPECT_TRUE(archive_test::retailInvariants(tpa, {41}));
    testkit::expectGameReads(tpa);
    EXPECT_EQ(testkit::readFile(r.backupPath), original);
}

TEST(FaultInjection, CreateBuildConvertAndExportNeverLeaveAHalfWrittenFile) {
    testkit::ScratchDir dir;
    const Bytes old(5000, 0x42);  // what stands under each target's name
    const std::string target = dir.file("target.tpa");
    testkit::writeFile(target, old);
    EXPECT_NE(underSizeLimit(40000, [&] { return createDefaultArchive(target).created ? 0 : 1; }), 0);
    EXPECT_EQ(testkit::readFile(target), old);

    fs::create_directory(dir.file("caus"));
    for (int i = 0; i < 3; ++i) testkit::writeFile(dir.file("caus/c" + std::to_string(i) + ".cau"), pcmImage(22050, 2, 60000));
    EXPECT_NE(underSizeLimit(150000, [&] { return buildArchiveFromCauDir(dir.file("caus"), target).outcome ? 0 : 1; }), 0);
    EXPECT_EQ(testkit::readFile(target), old);

    std::vector<archive_test::Image> images;
    for (std::uint32_t i = 0; i < 5; ++i) images.push_back({i, pcmImage(11025, 1, 30000)});
    testkit::writeFile(dir.file("beta.tpa"), archive_test::betaArchive(0x140, 24, images));
    testkit::writeFile(dir.file("altbeta.tpa"), old);
    const TpaArchive beta = loadTpaArchive(dir.file("beta.tpa"), "").archive;
    EXPECT_NE(underSizeLimit(70000, [&] { return convertBetaToRetail(beta).outcome ? 0 : 1; }), 0);
    EXPECT_EQ(testkit::readFile(dir.file("altbeta.tpa")), old);
    EXPECT_EQ(folderContent(dir.path()), (std::vector<std::string>{"altbeta.tpa", "beta.tpa", "caus", "target.tpa"}));

    // Exported files too big for the limit are counted and removed, not left short.
    testkit::writeFile(dir.file("mixed.tpa"), archive_test::retailArchive({{1, pcmImage(8000, 1, 100)},
                                                                           {2, pcmImage(8000, 1, 90000)},
                                                                           {3, pcmImage(8000, 1, 200)}}));
    fs::create_directory(dir.file("out"));
    const TpaArchive mixed = loadTpaArchive(dir.file("mixed.tpa"), "").archive;
    EXPECT_EQ(underSizeLimit(70000, [&] {
                  return static_cast<int>(exportAllEntries(mixed, ExportMode::Cau, dir.file("out"), "").filesFailed);
              }),
              1);
    EXPECT_EQ(folderContent(dir.file("out")), (std::vector<std::string>{"mixed_0.cau", "mixed_2.cau"}));
}
// The list build, replace and remove stopped part-way leave the archive and
// its folder as they were; run again without the limit, each succeeds.
TEST(FaultInjection, ListBuildReplaceAndRemoveStoppedPartWay) {
    testkit::ScratchDir dir;
    const Bytes old(5000, 0x42);
    const std::string target = dir.file("built.tpa"), big = dir.file("big.cau");
    testkit::writeFile(target, old);
    testkit::writeFile(big, pcmImage(22050, 2, 60000));
    const std::vector<ListedSound> listings = {{"one", big}, {"two", big}};
    const auto before = folderContent(dir.path());
    EXPECT_NE(underSizeLimit(150000, [&] { return buildArchiveFromList(listings, target, "").outcome ? 0 : 1; }), 0);
    EXPECT_EQ(testkit::readFile(target), old);
    EXPECT_EQ(folderContent(dir.path()), before);

    std::vector<archive_test::Image> images;
    for (std::uint32_t i = 1; i <= 4; ++i) images.push_back({i, pcmImage(11025, 1, 30000)});
    const std::string tpa = dir.file("game.tpa");
    const Bytes original = archive_test::retailArchive(images);
    testkit::writeFile(tpa, original);
    const auto edited = folderContent(dir.path());
    EXPECT_NE(underSizeLimit(100000, [&] { return replaceSound(tpa, 1, big, "").outcome ? 0 : 1; }), 0);
    EXPECT_NE(underSizeLimit(60000, [&] { return removeSounds(tpa, {4}, "").outcome ? 0 : 1; }), 0);
    EXPECT_EQ(testkit::readFile(tpa), original);
    EXPECT_EQ(folderContent(dir.path()), edited);

    ASSERT_TRUE(replaceSound(tpa, 1, big, "").outcome.ok);
    testkit::expectGameReads(tpa);
    ASSERT_TRUE(removeSounds(tpa, {4}, "").outcome.ok);
    testkit::expectGameReads(tpa);
}
#endif
