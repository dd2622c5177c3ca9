#pragma once

// What a Wayland compositor tells and does for other programs, where it lets
// them: the order in which its windows were last in front, bringing one to
// the front, and keys. sway (its IPC) and KWin (its scripting) tell and
// bring forward; GNOME does neither, but takes keys (its remote desktop), as
// KWin does from a program it trusts (its fake input).

#include "WindowSystem.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace automation {

// One of its windows, with its program's class.
struct ShownWindow
{
    WindowOrigin origin;
    std::string programClass;
    bool active = false;
};

class Compositor
{
public:
    virtual ~Compositor() = default;

    // Its windows, the one last in front first; empty when it does not tell.
    virtual std::vector<WindowOrigin> recentFirst() = 0;
    // Brings the window of that process and title to the front (restoring it
    // when minimised); false when it did not.
    virtual bool raise(const WindowOrigin& window) = 0;
    // Focuses an X11 window of its X server by its id, where the compositor
    // leaves X11 programs' own requests unanswered (sway).
    virtual bool raiseX11Window(WindowHandle window) { return (void)window, false; }
    // Its windows with their classes and which one is active, where it tells.
    virtual std::vector<ShownWindow> windows() { return {}; }
    // Whether pressTogether can press keys at all here.
    virtual bool takesKeys() const { return false; }
    // Presses keys (X keysyms) together into the window that holds the
    // keyboard, whatever program's, where the compositor takes keys from
    // programs (GNOME); false where it did not.
    virtual bool pressTogether(const std::vector<std::uint32_t>& keysyms)
    {
        return (void)keysyms, false;
    }
    // Presses the keys one after another (as pressTogether does each), where
    // the keyboard's layout has them all; false (and nothing pressed) where
    // it has not.
    virtual bool pressEach(const std::vector<std::uint32_t>& keysyms)
    {
        return (void)keysyms, false;
    }
};

// The session's compositor, when it is one that answers; nullptr otherwise.
std::unique_ptr<Compositor> compositorFromEnvironment();

} // namespace automation
