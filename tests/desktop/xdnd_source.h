// A drag source for the window tests: drops a text/uri-list on a window by
// the XDND protocol, as a file manager does.
#pragma once

#include <string>

namespace desktop_test {

// Drops uriList at the window's pixel x, y. False, with the reason, when
// the window refused it or the exchange did not finish in time.
bool dropUris(const std::string& display, unsigned long window, int x, int y, const std::string& uriList,
              std::string& why);

}  // namespace desktop_test
