// The status line every command reports in, and the two beeps that go
// with it.
#pragma once

#include <string>

#include "platform/platform.h"

namespace sonkrate::app {

class StatusLine {
public:
    explicit StatusLine(platform::Platform& platform) : platform_(platform) {}

    // Empties the line first, then shows text, so the line always scrolls
    // back to its start.
    void setStatus(const std::string& text);
    // The line emptied.
    void clear();
    void beepDone();
    void beepRefused();

private:
    platform::Platform& platform_;
};

}  // namespace sonkrate::app
