#include "app/status_line.h"

#include "app/command_ids.h"

namespace sonkrate::app {

void StatusLine::setStatus(const std::string& text) {
    platform_.setText(kStatusLine, "");
    platform_.setText(kStatusLine, text);
}

void StatusLine::clear() { platform_.setText(kStatusLine, ""); }

void StatusLine::beepDone() { platform_.beep(platform::Beep::Done); }

void StatusLine::beepRefused() { platform_.beep(platform::Beep::Refused); }

}  // namespace sonkrate::app
