// The desktop backend's own modal dialogs: a message or question with an
// icon, its text wrapped to a readable width and the dialog sized to it,
// and a row of buttons; and an editor of several lines of text.
#pragma once

#include <optional>
#include <string>
#include <vector>

class Fl_Window;

namespace sonkrate::platform::desktop {

enum class DialogIcon { Plain, Information, Question, Warning, Error };

// Shows the dialog over `over` (centred on it; on the screen when null) until
// a button is pressed: its index (the first is the default, taken by Enter
// unless another button has the keyboard), or -1 when the dialog was closed
// or Escape pressed.
int runMessageDialog(const std::string& title, const std::string& message, DialogIcon icon,
                     const std::vector<std::string>& buttons, Fl_Window* over);

// A resizable editor of several lines with OK and Cancel (Ctrl+Enter is OK,
// Escape cancels): the text, its lines ended by LF, or nothing when cancelled.
std::optional<std::string> runTextEditorDialog(const std::string& title, const std::string& prompt,
                                               const std::string& text, Fl_Window* over);

// The text broken into lines no wider than width pixels in the current font:
// at blanks, and a word too long for a line after a path separator or, if
// it has none, between characters.
std::vector<std::string> wrapText(const std::string& text, int width);

}  // namespace sonkrate::platform::desktop
