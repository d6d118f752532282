// Text the process exchanges with the system: its arguments, as UTF-8
// whatever the system's code page, and a console that shows UTF-8 output.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace sonkrate::io {

// The program's arguments in UTF-8, the program's name first. On Windows
// they come from the wide command line (argv holds ANSI text, where
// characters outside the code page are lost); elsewhere argv is UTF-8.
std::vector<std::string> utf8Arguments(int argc, char** argv);

// Pointers into arguments for code that takes argc and argv; valid while
// arguments lives and is not changed.
std::vector<char*> argumentPointers(std::vector<std::string>& arguments);

// On Windows, a console that standard output or standard error writes to
// shows the UTF-8 the program prints; its code page is put back at exit.
// Redirected output is left as it is: UTF-8 bytes. Elsewhere nothing to do.
void showUtf8OnConsole();

// Writes UTF-8 text to stream. On Windows, text for a console goes to it as
// UTF-16 through the console's own call, since the C runtime would pass it
// through the C locale byte by byte and garble every letter outside ASCII;
// "\n" becomes "\r\n" there, as a text stream would write it. Elsewhere, and
// when the stream is redirected, the bytes are written as they are.
// Returns false when the text could not be written.
bool writeText(std::FILE* stream, std::string_view utf8);

}  // namespace sonkrate::io
