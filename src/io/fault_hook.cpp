#include "io/fault_hook.h"

#include <cerrno>

namespace sonkrate::io {

namespace {
std::atomic<bool> struck{false};
std::atomic<int> struckAt{0};
}  // namespace

bool detail::countDownFault(IoCall call) {
    std::uint64_t left = faultCountdown.load();
    while (left != 0 && !faultCountdown.compare_exchange_weak(left, left - 1)) {
    }
    if (left != 1) return false;
    struck = true;
    struckAt = static_cast<int>(call);
    errno = EIO;
    return true;
}

namespace fault {

void arm(std::uint64_t n) {
    struck = false;
    detail::faultCountdown = n;
}

void disarm() { detail::faultCountdown = 0; }

bool fired() { return struck; }

IoCall firedAt() { return static_cast<IoCall>(struckAt.load()); }

const char* callName(IoCall call) {
    switch (call) {
    case IoCall::Create: return "create";
    case IoCall::Open: return "open";
    case IoCall::Read: return "read";
    case IoCall::Write: return "write";
    case IoCall::Flush: return "flush";
    case IoCall::Sync: return "sync";
    case IoCall::Rename: return "rename";
    case IoCall::Remove: return "remove";
    }
    return "call";
}

}  // namespace fault
}  // namespace sonkrate::io
