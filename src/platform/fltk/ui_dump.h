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
//
// When the archive window exists, its lines follow. First the shell's facts:
//   browser visible=V records=N shown=M selected=I,J sort=COLUMN:asc|desc changes=K filter=TEXT title=TITLE
//                                      (selected: record indices, "-" for none; sort "-" before any)
//   browser-column INDEX X Y W H NAME  (each header cell in the archive window's pixels, for a click)
//   browser-row POSITION RECORD ID LENGTH_MS RATE CHANNELS BITS FORMAT STATE NAME
//                                      (the first 5,000 shown rows in order; ID 8 lower-case hex digits)
//   waveform record=R|- columns=C channels=N playing=P cursor-ms=T
// then what the window's widgets hold, in the archive window's pixels:
//   browser-table X Y W H rows=N top=T row-height=RH focus=F selected=P,Q sort-column=C keyboard=table|filter|editor|other|none
//                                      (X Y W H: the rows' area below the headers; focus,
//                                       selected and top are positions among the shown rows)
//   browser-window x=.. y=.. w=.. h=.. title=TITLE
//   browser-filter TEXT
//   browser-check play-on-select=C
//   browser-status TEXT
//   browser-details TEXT
//   browser-progress shown=S done=D total=T text=TEXT
//   browser-edit POSITION COLUMN TEXT  (while the in-place editor is open: its cell and text so far)
//   browser-dialog open=O title=TITLE  (the last dialog of the window)
//   browser-waveform columns=C picture-columns=P channels=N duration-ms=D cursor-x=X|-1
//   browser-area NAME X Y W H          (filter, play-on-select, waveform, details, status;
//                                       progress and cancel while the progress line shows;
//                                       editor while a cell is edited)
//   browser-menu-title X W TITLE
//   browser-menu-item ID ENABLED SHORTCUT TEXT   (SHORTCUT as the menu shows it, "-" for none)
//   browser-menu-divider ID                      (a line under the item of command ID)
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
