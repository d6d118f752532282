// A fault at every I/O call of the .eel list operations, of the name
// database and of the logs: a failed run names a file and leaves the list,
// the database or the log exactly as it was.
#include <gtest/gtest.h>

#include "ids/id_log.h"
#include "ids/sound_id_database.h"
#include "lists/eel_list.h"
#include "lists/make_eel.h"
#include "robustness/fault_walk.h"

using namespace sonkrate;
using robustness::Attempt;
using robustness::walkFaults;

namespace {

Attempt fromOutcome(const io::Outcome& outcome) { return {outcome.ok, outcome.reason}; }

}  // namespace

TEST(ListWrites, EditingLoadingAndSavingTheEelList) {
    testkit::ScratchDir dir;
    const std::string work = dir.file("temp_eel.eel");
    testkit::writeText(work, "3\r\n3\r\nMISSING\r\nmissing.cau\r\n0\r\n0\r\ndoor\r\nC:\\s\\door.cau\r\n0\r\n0\r\n"
                             "rain\r\nC:\\s\\rain.cau\r\n0\r\n0\r\n");
    testkit::writeText(dir.file("saved.eel"), "an older list");
    lists::EelList list{work, 3};

    walkFaults(dir.path(), [&] {
        lists::EelList edited = list;
        return fromOutcome(lists::addEelListing(edited, "thunder", "C:\\s\\thunder.cau").outcome);
    }, {{"temp_eel.eel"}, {}});
    walkFaults(dir.path(), [&] {
        lists::EelList edited = list;
        return fromOutcome(lists::removeEelListing(edited, "door").outcome);
    }, {{"temp_eel.eel"}, {}});
    walkFaults(dir.path(), [&] { return fromOutcome(lists::saveEelList(list, dir.file("saved.eel")).outcome); },
               {{"saved.eel", "temp_eel.eel"}, {}});
    walkFaults(dir.path(), [&] {
        lists::EelList loaded = list;
        return fromOutcome(lists::loadEelList(loaded, dir.file("saved.eel")).outcome);
    }, {{"temp_eel.eel", "saved.eel"}, {}});
    walkFaults(dir.path(), [&] {
        lists::EelList fresh = list;
        return fromOutcome(lists::resetEelList(fresh, work, "missing.cau").outcome);
    }, {{"temp_eel.eel"}, {}});
}

TEST(ListWrites, MakingAListFromAFolder) {
    testkit::ScratchDir dir;
    for (const char* name : {"door.cau", "rain.CAU", "wind.cau"}) testkit::writeText(dir.file(name), "x");
    testkit::writeText(dir.file("sounds.eel"), "an older list");
    auto report = walkFaults(dir.path(), [&] { return fromOutcome(lists::makeEelFromCaus(dir.path(), "sounds").outcome); },
                             {{"sounds.eel"}, {}});
    EXPECT_GT(report.failures, 4u);
}

TEST(ListWrites, NameDatabaseAndLogsGainWholeLinesOrNothing) {
    testkit::ScratchDir dir;
    testkit::writeText(dir.file("SndIds.dat"), "\"8ae5542d\" \"door\"\r\n");
    walkFaults(dir.path(), [&] { return fromOutcome(ids::appendSoundIdRecord(dir.file("SndIds.dat"), "Rain")); },
               {{"SndIds.dat"}, {}});
    // A database that does not exist yet is not left empty by a failed append.
    walkFaults(dir.path(), [&] { return fromOutcome(ids::appendSoundIdRecord(dir.file("new.dat"), "Rain")); },
               {{"new.dat"}, {}});
    testkit::writeText(dir.file("tpa_logs.log"), ids::ingameIdLogLine("door"));
    walkFaults(dir.path(), [&] {
        return fromOutcome(ids::appendLogLine(dir.file("tpa_logs.log"), ids::ingameIdLogLine("rain")));
    }, {{"tpa_logs.log"}, {}});
    // The list of a log: the log goes only once its list is written.
    testkit::writeText(dir.file("tpa_logs_list.txt"), "an older list");
    walkFaults(dir.path(), [&] { return fromOutcome(ids::convertIdLog(dir.file("tpa_logs.log")).outcome); },
               {{"tpa_logs.log", "tpa_logs_list.txt"}, {}});
}
