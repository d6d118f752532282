#include "ids/search/name_candidates.h"

#include <algorithm>

namespace sonkrate::ids {

namespace {



bool before(const NameSpan& a, const NameSpan& b) { return a.start != b.start ? a.start < b.start : a.length < b.length; }

}  // namespace

const std::uint8_t (&nameByteKinds())[256] { return detail::kKinds.of; }

std::uint8_t kindsOf(const std::uint8_t* run, std::size_t size) {
    std::uint8_t kinds = 0;
    for (std::size_t i = 0; i < size; ++i) kinds |= detail::kKinds.of[run[i]];
    return kinds;
}

void candidateSpans(const std::uint8_t* run, std::size_t size, bool wholeRun, std::uint8_t kinds,
                    std::vector<NameSpan>& spans) {
    spans.clear();
    forEachCandidateSpan(run, size, wholeRun, kinds, [&](std::size_t start, std::size_t length) {
        spans.push_back({static_cast<std::uint32_t>(start), static_cast<std::uint32_t>(length)});
    });
    if (spans.size() < 2) return;
    // Few spans as a rule: an insertion sort, then the repeats dropped.
    if (spans.size() > 32) {
        std::sort(spans.begin(), spans.end(), before);
    } else {
        for (std::size_t i = 1; i < spans.size(); ++i)
            for (std::size_t k = i; k > 0 && before(spans[k], spans[k - 1]); --k) std::swap(spans[k], spans[k - 1]);
    }
    spans.erase(std::unique(spans.begin(), spans.end()), spans.end());
}

}  // namespace sonkrate::ids
