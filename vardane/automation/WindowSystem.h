#pragma once

// What a platform backend provides about other programs' windows and the
// keyboard. Plain C++ (no Qt), so that every backend, including the Windows
// one, implements the same interface. Titles are UTF-8.

#include "KeyNotation.h"

#include <cstdint>
#include <string>
#include <vector>

namespace automation {

using WindowHandle = std::uint64_t; // the platform's top-level window id; 0 means none

enum class WindowClass {
    Any,   // any window
    Dialog // the platform's dialog class only
};

class WindowSystem
{
public:
    virtual ~WindowSystem() = default;

    // The topmost real top-level window whose whole title equals title exactly.
    virtual WindowHandle findTopWindow(WindowClass cls, const std::string& title) = 0;
    // 1 only when the window really became the foreground window.
    virtual int bringToFront(WindowHandle window) = 0;
    // 1 when shown (a minimised window counts as shown).
    virtual int isWindowShown(WindowHandle window) = 0;
    // Non-zero when minimised.
    virtual int isMinimized(WindowHandle window) = 0;
    virtual void restoreWindow(WindowHandle window) = 0;
    // Activates the window whose title equals title, else the first whose
    // title begins with it; false when there is none.
    virtual bool activateByTitle(const std::string& title) = 0;
    // Queues the keys to the foreground window, in order. Leaves no modifier held.
    virtual bool sendKeys(const std::vector<KeyStroke>& keys) = 0;
    // True when the keyboard is in one of the given top-level windows (or in
    // a window inside one of them); false when it is elsewhere or unknown.
    virtual bool keyboardIn(const std::vector<WindowHandle>& windows)
    {
        return (void)windows, false;
    }

    // A file descriptor that becomes readable when the window system has news
    // (windows created, mapped, retitled), or -1. drainEvents() reads it empty.
    virtual int eventSource() const { return -1; }
    virtual void drainEvents() {}
};

} // namespace automation
