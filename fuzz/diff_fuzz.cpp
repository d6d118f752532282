// Two hostile archives compared. Input: archive A, then archive B. An archive
// holds the same sounds as itself, and the diff of B with A mirrors that of A
// with B.
#include "archive/check/archive_diff.h"
#include "fuzz/fuzz_support.h"

using namespace sonkrate;

namespace {

struct Counts {
    std::size_t onlyA = 0, onlyB = 0, changed = 0, unchanged = 0;
};

Counts countsOf(const archive::ArchiveDiff& d) {
    Counts c;
    c.unchanged = d.unchanged;
    for (const archive::SoundDifference& s : d.differences) {
        if (s.presence == archive::SoundPresence::OnlyInA) ++c.onlyA;
        else if (s.presence == archive::SoundPresence::OnlyInB) ++c.onlyB;
        else {
            ++c.changed;
            fuzz::check(s.changes.any(), "a sound listed as changed has no change");
            fuzz::check(s.a && s.b, "a changed sound lacks the facts of one side");
        }
    }
    return c;
}

}  // namespace

SONKRATE_FUZZ_HARNESS(diff) {
    std::vector<fuzz::Bytes> parts = fuzz::splitParts(data, size, 2);
    const std::string a = fuzz::writeScratch("a.tpa", parts[0]);
    const std::string b = fuzz::writeScratch("b.tpa", parts[1]);
    archive::ArchiveDiff ab = archive::diffArchives(a, b);
    if (!ab.outcome) {
        fuzz::check(ab.failedFile == a || ab.failedFile == b, "a failed diff names neither archive");
        fuzz::check(!ab.outcome.reason.empty(), "a failed diff gives no reason");
        return;
    }
    archive::ArchiveDiff aa = archive::diffArchives(a, a);
    fuzz::check(static_cast<bool>(aa.outcome), "an archive read once cannot be read again");
    fuzz::check(aa.sameSounds(), "an archive differs from itself");

    archive::ArchiveDiff ba = archive::diffArchives(b, a);
    fuzz::check(static_cast<bool>(ba.outcome), "the diff fails with its archives swapped");
    const Counts x = countsOf(ab), y = countsOf(ba);
    fuzz::check(x.onlyA == y.onlyB && x.onlyB == y.onlyA, "added and removed do not mirror");
    fuzz::check(x.changed == y.changed && x.unchanged == y.unchanged, "changed sounds do not mirror");
    fuzz::check(ab.sameSounds() == ba.sameSounds(), "sameness does not mirror");
}
