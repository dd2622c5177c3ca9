#pragma once

// The Windows backend: top-level windows through user32, keys through
// SendInput. Plain C++ and <windows.h> (included by the .cpp only), so that it
// builds with any Windows compiler, with or without Qt.

#include "../WindowSystem.h"

#include <memory>

namespace automation {

std::unique_ptr<WindowSystem> createWin32WindowSystem();

// How long bringToFront keeps trying before it gives up for now, and how long
// it waits between tries. Bounded, because callers retry on the UI thread.
inline constexpr unsigned BringToFrontTimeoutMs = 1000;
inline constexpr unsigned BringToFrontRetryMs = 25;
// How long bringToFront waits for the window's thread to take the activation.
inline constexpr unsigned ActivationWaitMs = 1000;

} // namespace automation
