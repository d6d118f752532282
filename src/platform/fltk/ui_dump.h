// The window's state as a text file, for scripts and tests that drive the
// real window: with SONKRATE_UI_DUMP naming a file, the backend rewrites it
// whenever the state changed (at most a few times a second). One record a
// line, fields separated by blanks, free text last and escaped.
//
//   window visible=1 minimised=0 x=.. y=.. w=.. h=.. client-top=24 blocked=0 quit=0 title=TITLE
//   menu-title X W TITLE               (pop-up titles, in window pixels)
//   menu-item ID ENABLED TEXT
//   control ID KIND enabled=E shown=S X Y W H text=TEXT
//   check ID CHECKED
//   list ID count=N caret=C            then  list-item ID INDEX TEXT
//   trackbar ID LOW HIGH POS TIC
//   progress ID LOW HIGH POS STEP
//   timer ID running=R period=MS
//   sound playing=P plays=N available=A file=PATH
//   beeps done=N refused=M
//   message-boxes count=N open=O       then  message-caption TEXT, message-text TEXT
//   kill-switch pid=PID starts=N
//   desktop-opens count=N last=PATH
#pragma once

#include <string>
#include <string_view>

namespace sonkrate::platform::desktop {

// Backslash, line feed, carriage return and tab as \\, \n, \r and \t.
std::string escapeDumpText(std::string_view text);
// The reverse of escapeDumpText.
std::string unescapeDumpText(std::string_view text);

// Writes text to path through a temporary file renamed over it, so that a
// reader never sees half a dump. Failures are ignored: the dump is a help
// for scripts, not part of the program's work.
void writeDumpFile(const std::string& path, const std::string& text);

}  // namespace sonkrate::platform::desktop
