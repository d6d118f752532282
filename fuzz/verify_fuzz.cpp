// The archive and sound checks on hostile files: every finding a sentence,
// and a file passed without errors readable by the loader and the readers.
#include "archive/format/entry_reader.h"
#include "archive/format/tpa_loader.h"
#include "archive/check/verify.h"
#include "audio/cau/cau_reader.h"
#include "fuzz/fuzz_support.h"

using namespace sonkrate;

namespace {

void checkReport(const archive::VerifyReport& report) {
    fuzz::check(static_cast<bool>(report.outcome), "a readable file was not verified: " + report.outcome.reason);
    fuzz::check(report.findings.size() <= archive::kMaxFindings, "the findings grew without bound");
    for (const archive::Finding& f : report.findings)
        fuzz::check(!f.code.empty() && !f.message.empty(), "a finding without code or sentence");
}

}  // namespace

SONKRATE_FUZZ_HARNESS(verify) {
    std::string tpa = fuzz::writeScratch("sounds.tpa", data, size);
    archive::VerifyReport report = archive::verifyArchive(tpa);
    checkReport(report);
    if (report.count(archive::Severity::Error) == 0) {
        archive::TpaLoad load = archive::loadTpaArchive(tpa, fuzz::scratchFolder());
        fuzz::check(static_cast<bool>(load.outcome), "an archive verified clean does not load: " + load.outcome.reason);
        for (std::uint32_t i = 0; i < load.archive.entryCount && i < 4096; ++i) {
            archive::EntryRead read = archive::readTpaEntry(load.archive, i);
            fuzz::check(static_cast<bool>(read.outcome), "an entry verified clean cannot be read: " + read.outcome.reason);
        }
    }
    std::string cau = fuzz::writeScratch("sound.cau", data, size);
    report = archive::verifyCau(cau);
    checkReport(report);
    if (report.count(archive::Severity::Error) == 0) {
        audio::CauImage image;
        io::Outcome read = audio::readCauFile(cau, image);
        fuzz::check(static_cast<bool>(read), "a .cau verified clean cannot be read: " + read.reason);
    }
}
