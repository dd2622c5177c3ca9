#pragma once

#include "../WindowSystem.h"

#include <memory>

namespace automation {

// Opens a connection of its own to the X server named by display (nullptr:
// $DISPLAY). Returns nullptr when the server cannot be reached.
std::unique_ptr<WindowSystem> openX11WindowSystem(const char* display = nullptr);

} // namespace automation
