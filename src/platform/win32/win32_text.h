// Texts and drops between Windows and the rest of the program: UTF-16 on
// Windows' side, UTF-8 on ours.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace sonkrate::platform::win32 {

// Text for a control: bytes from files that are not UTF-8 (names and
// captions in the game's code page) are shown in the ANSI code page.
std::wstring shownWide(const std::string& text);
// Line breaks for an edit control, which breaks lines at "\r\n" only, and back.
std::string withWindowsLineBreaks(const std::string& text);
std::string withoutWindowsLineBreaks(const std::string& text);
// A window's text in UTF-8.
std::string windowText(HWND window);
// The paths of a drop, in UTF-8; the drop's memory is given back.
std::vector<std::string> droppedFiles(HDROP drop);

}  // namespace sonkrate::platform::win32
