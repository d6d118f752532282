// Writes that fail part-way: each operation runs in a child process whose
// file size limit stops its output short (SIGXFSZ ignored, so the write
// fails with EFBIG). The archive, or the file the output would replace,
// must stay byte for byte as it was, with no temporary file left behind.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <functional>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "archive/add_sound.h"
#include "archive/beta_to_retail.h"
#include "archive/build_from_cau_dir.h"
#include "archive/create_archive.h"
#include "archive/export_all.h"
#include "archive/tpa_loader.h"
#include "archive_builder.h"
#include "archive_check.h"
#include "testkit/testkit.h"

using namespace sonkrate::archive;
using archive_test::Bytes;

namespace fs = std::filesystem;

namespace {

// Runs body in a child limited to files of limit bytes; its exit code.
int underSizeLimit(std::uint64_t limit, const std::function<int()>& body) {
    pid_t pid = fork();
    if (pid == 0) {
        struct rlimit r;
        r.rlim_cur = r.rlim_max = static_cast<rlim_t>(limit);
        std::signal(SIGXFSZ, SIG_IGN);
        if (setrlimit(RLIMIT_FSIZE, &r) != 0) _exit(100);
        _exit(body());
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

Bytes sizeableArchive(std::uint32_t n) {
    std::vector<archive_test::Image> images;
    for (std::uint32_t i = 0; i < n; ++i) images.push_back({i, archive_test::pcmImage(22050, 2, 20000 + i)});
    return archive_test::retailArchive(images);
}

}  // namespace

TEST(FaultInjection, FailedAddsLeaveTheArchiveAndALaterAddWorks) {
    testkit::ScratchDir dir;
    const std::string tpa = dir.file("game.tpa"), cau = dir.file("s.cau");
    const Bytes original = sizeableArchive(40);
    const Bytes sound = archive_test::pcmImage(11025, 1, 30000);
    testkit::writeFile(tpa, original);
    testkit::writeFile(cau, sound);
    const std::vector<std::string> before = folderContent(dir.path());
    const std::uint64_t newSize = original.size() + 56 + sound.size();

    AddSoundRequest r;
    r.archivePath = tpa;
    r.soundPath = cau;
    r.soundName = "s";
    r.logPath = dir.file("log.txt");
    for (bool effects : {false, true}) {
        // In the header, in the middle of the old data, in the new image.
        for (std::uint64_t limit : {std::uint64_t{100}, newSize / 2, newSize - 10}) {
            SCOPED_TRACE(std::to_string(limit) + (effects ? " effects" : " general"));
            int code = underSizeLimit(limit, [&] {
                AddSoundResult res = effects ? addSoundEffects(r) : addSoundGeneral(r);
                return res.addResult * 2 + (res.overwriteFailed ? 1 : 0);
            });
            EXPECT_EQ(code, kAddNothingDone * 2 + 1);
            EXPECT_EQ(testkit::readFile(tpa), original);
            EXPECT_EQ(folderContent(dir.path()), before);
        }
    }

    // A backup that cannot be written stops the add before it starts.
    r.backupPath = dir.file("game.tpa.backup");
    int code = underSizeLimit(original.size() / 2, [&] {
        AddSoundResult res = addSoundGeneral(r);
        return res.addResult * 2 + (res.overwriteFailed ? 1 : 0);
    });
    EXPECT_EQ(code, kAddNothingDone * 2);
    EXPECT_EQ(testkit::readFile(tpa), original);
    EXPECT_EQ(folderContent(dir.path()), before);

    AddSoundResult added = addSoundGeneral(r);
    ASSERT_EQ(added.addResult, kAddDone) << added.outcome.reason;
    EXPECT_TRUE(archive_test::retailInvariants(tpa, {41}));
    EXPECT_EQ(testkit::readFile(r.backupPath), original);
}

TEST(FaultInjection, CreateBuildAndConvertNeverLeaveAHalfWrittenTarget) {
    testkit::ScratchDir dir;
    const Bytes old(5000, 0x42);  // what stands under each target's name
    const std::string target = dir.file("target.tpa");

    testkit::writeFile(target, old);
    EXPECT_NE(underSizeLimit(40000, [&] { return createDefaultArchive(target).created ? 0 : 1; }), 0);
    EXPECT_EQ(testkit::readFile(target), old);

    fs::create_directory(dir.file("caus"));
    for (int i = 0; i < 3; ++i)
        testkit::writeFile(dir.file("caus/c" + std::to_string(i) + ".cau"), archive_test::pcmImage(22050, 2, 60000));
    EXPECT_NE(underSizeLimit(150000, [&] { return buildArchiveFromCauDir(dir.file("caus"), target).outcome ? 0 : 1; }),
              0);
    EXPECT_EQ(testkit::readFile(target), old);

    std::vector<archive_test::Image> images;
    for (std::uint32_t i = 0; i < 5; ++i) images.push_back({i, archive_test::pcmImage(11025, 1, 30000)});
    testkit::writeFile(dir.file("beta.tpa"), archive_test::betaArchive(0x140, 24, images));
    TpaLoad beta = loadTpaArchive(dir.file("beta.tpa"), "");
    ASSERT_TRUE(beta.outcome);
    testkit::writeFile(dir.file("altbeta.tpa"), old);
    EXPECT_NE(underSizeLimit(70000, [&] { return convertBetaToRetail(beta.archive).outcome ? 0 : 1; }), 0);
    EXPECT_EQ(testkit::readFile(dir.file("altbeta.tpa")), old);

    EXPECT_EQ(folderContent(dir.path()), (std::vector<std::string>{"altbeta.tpa", "beta.tpa", "caus", "target.tpa"}));

    // An export under the same limit: every file too big for it is counted
    // and removed, not left short.
    Bytes mixed = archive_test::retailArchive({{1, archive_test::pcmImage(8000, 1, 100)},
                                               {2, archive_test::pcmImage(8000, 1, 90000)},
                                               {3, archive_test::pcmImage(8000, 1, 200)}});
    testkit::writeFile(dir.file("mixed.tpa"), mixed);
    fs::create_directory(dir.file("out"));
    TpaLoad load = loadTpaArchive(dir.file("mixed.tpa"), "");
    ASSERT_TRUE(load.outcome);
    int failed = underSizeLimit(70000, [&] {
        return static_cast<int>(exportAllEntries(load.archive, ExportMode::Cau, dir.file("out"), "").filesFailed);
    });
    EXPECT_EQ(failed, 1);
    EXPECT_EQ(folderContent(dir.file("out")), (std::vector<std::string>{"mixed_0.cau", "mixed_2.cau"}));
}
