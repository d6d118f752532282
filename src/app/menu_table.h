// The menu bar as data: the eight pop-ups in order, their items, command
// ids and the state each item starts in.
#pragma once

#include <vector>

#include "platform/platform.h"

namespace sonkrate::app {

const std::vector<platform::MenuPopup>& menuTable();

}  // namespace sonkrate::app
