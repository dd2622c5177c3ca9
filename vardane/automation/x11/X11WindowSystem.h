#pragma once

#include "../Compositor.h"
#include "../WindowSystem.h"

#include <chrono>
#include <memory>

namespace automation {

// How long BringToFront waits for the window manager to make a window the
// active one. It runs on the UI thread, and callers retry on failure, so the
// wait is short: a manager that answers at all does so within a few tens of
// milliseconds.
inline constexpr std::chrono::milliseconds BringToFrontLimit{1000};
// While waiting, the activation request is repeated this often (a request
// that reaches a window still being mapped is dropped by some managers).
inline constexpr std::chrono::milliseconds ActivationResendInterval{100};

// How long keys wait for the input focus to land in a window when it is
// nowhere (between one window closing and the next one focused), and how
// often it is looked at meanwhile.
inline constexpr std::chrono::milliseconds FocusLandingLimit{1000};
inline constexpr std::chrono::milliseconds FocusLandingPoll{5};

// Opens a connection of its own to the X server named by display (nullptr:
// $DISPLAY). Returns nullptr when the server cannot be reached. On a Wayland
// session's X server, the compositor is asked as well to focus a window.
std::unique_ptr<WindowSystem> openX11WindowSystem(const char* display = nullptr,
                                                  std::shared_ptr<Compositor> compositor = {});

} // namespace automation
