// A countdown that makes the Nth file-system call of the core fail, so that a
// test can walk an operation through every failure path it has. Nothing arms
// it in the programs: then each call costs one relaxed load and a branch.
#pragma once

#include <atomic>
#include <cstdint>

namespace sonkrate::io {

// The kinds of call the countdown sees.
enum class IoCall { Create, Open, Read, Write, Flush, Sync, Rename, Remove };

namespace detail {
inline std::atomic<std::uint64_t> faultCountdown{0};
bool countDownFault(IoCall call);
}  // namespace detail

// True when this call must fail; errno is then set to EIO. Every file-system
// call of the core asks first.
inline bool injectFault(IoCall call) {
    if (detail::faultCountdown.load(std::memory_order_relaxed) == 0) [[likely]]
        return false;
    return detail::countDownFault(call);
}

namespace fault {
// The nth call from now fails (1: the next one); only that one. 0 turns it off.
void arm(std::uint64_t n);
void disarm();
// Whether the armed fault has struck since arm(), and at which kind of call.
bool fired();
IoCall firedAt();
const char* callName(IoCall call);
}  // namespace fault

}  // namespace sonkrate::io
