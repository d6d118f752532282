// The result of an operation that can fail: success, or a sentence saying why.
// Marked nodiscard: a failure dropped on the floor is a failure reported as success.
#pragma once

#include <string>
#include <utility>

namespace sonkrate::io {

struct [[nodiscard]] Outcome {
    bool ok = true;
    std::string reason;  // empty on success; a sentence naming the file otherwise

    explicit operator bool() const { return ok; }
};

inline Outcome success() { return {}; }
inline Outcome failure(std::string reason) { return {false, std::move(reason)}; }

}  // namespace sonkrate::io
