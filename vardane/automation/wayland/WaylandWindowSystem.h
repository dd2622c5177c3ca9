#pragma once

#include "../WindowSystem.h"

#include <memory>

namespace automation {

// The backend of a Wayland session. Windows of X11 programs (the recorder,
// an e-mail program run under Xwayland) are reached through the given X11
// backend, exactly as on an X11 desktop. The session's native windows cannot
// be seen or typed into by another program; they are reached through the
// desktop's accessibility instead: found by program and name, worked by
// their controls' actions, and file choosers filled in without a key. The
// compositor itself is asked, where it lets a program, to bring a window to
// the front (sway's IPC, KWin's scripting).
//
// On creation it turns the toolkits' accessibility on for programs started
// from then on, as a screen reader does (some programs look only at their
// start).
std::unique_ptr<WindowSystem> openWaylandWindowSystem(std::unique_ptr<WindowSystem> x11);

// Whether this process runs in a Wayland session (whatever Qt platform it uses).
bool inWaylandSession();

} // namespace automation
