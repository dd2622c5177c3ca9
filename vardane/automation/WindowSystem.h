#pragma once

// What a platform backend provides about other programs' windows and the
// keyboard. Plain C++ (no Qt), so that every backend, including the Windows
// one, implements the same interface. Titles are UTF-8.

#include "KeyNotation.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace automation {

using WindowHandle = std::uint64_t; // the platform's top-level window id; 0 means none

enum class WindowClass {
    Any,   // any window
    Dialog // the platform's dialog class only
};

// A look-up by what a program says about its windows rather than by a whole
// title (which carries a subject and the user's language). Every field is a
// pattern for the whole value: "*" stands for any run of characters, every
// other character for itself; an empty pattern takes any value, a missing one
// included. On X11 the names are WM_CLASS's instance and class and
// WM_WINDOW_ROLE.
// A control inside another program's window, as its accessibility tree
// names it: the role ("push button", "menu item", "menu"), the name (a
// pattern as below) and the action that works it ("click", "press").
struct ControlQuery
{
    std::string role = {};
    std::string name = {};
    std::string action = {};
};

struct WindowQuery
{
    std::string instance = {};
    std::string className = {};
    std::string role = {};
    std::string title = {};
    // When set, only a dialog transient for (owned by) this window; where
    // windows are reached through accessibility, a window of the same program.
    WindowHandle owner = 0;
    // Where other programs' windows are reached through accessibility (the
    // native windows of a Wayland desktop): the program's accessible name,
    // the window's accessible role and name (the title must match as well),
    // and a control the window must hold. Without an application the query
    // is not asked of accessibility.
    std::string application = {};
    std::string accessibleRole = {};
    std::string accessibleName = {};
    ControlQuery holds = {};
};

// Whether text matches a WindowQuery pattern as a whole (an empty pattern
// matches anything).
inline bool matchesPattern(std::string_view pattern, std::string_view text)
{
    if (pattern.empty())
        return true;
    // Greedy with one back-track point: the last "*" seen.
    std::size_t p = 0, t = 0, star = std::string_view::npos, resume = 0;
    while (t < text.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            resume = t;
        } else if (p < pattern.size() && pattern[p] == text[t]) {
            ++p, ++t;
        } else if (star != std::string_view::npos) {
            p = star + 1;
            t = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

enum class ProgramReach {
    NotApplicable,   // its windows are not reached through accessibility here
    NotRunning,      // no such process of this user
    Reachable,       // on the accessibility bus
    NoAccessibility, // running, and the session has no accessibility bus
    Unreached        // running, not on the accessibility bus
};

class WindowSystem
{
public:
    virtual ~WindowSystem() = default;

    // False when no other program's window can ever be found or typed into
    // (no window system for them on this platform).
    virtual bool reachesOtherPrograms() const { return true; }

    // The topmost real top-level window whose whole title equals title exactly.
    virtual WindowHandle findTopWindow(WindowClass cls, const std::string& title) = 0;
    // The topmost real top-level window the query matches, 0 when none;
    // nullopt when this platform cannot tell what the query asks about.
    virtual std::optional<WindowHandle> findWindow(const WindowQuery&) { return std::nullopt; }
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

    // Windows reached through their controls (accessibility) rather than by
    // keys. Such a window needs no focus: nothing is typed.
    virtual bool reachesControls(WindowHandle window) { return (void)window, false; }
    // Works the first control in the window, or in a menu open over it, that
    // the query matches. False when there is none (yet) or it refused.
    virtual bool workControl(WindowHandle window, const ControlQuery& control)
    {
        return (void)window, (void)control, false;
    }
    // A file chooser, however it was opened, whose location field and button
    // can be worked without keys (enterFileName, acceptFileChooser).
    virtual bool fillsFileChooser(WindowHandle chooser) { return (void)chooser, false; }
    // Puts the path into a file chooser's location field, exactly; false when
    // the window shows no such field (yet).
    virtual bool enterFileName(WindowHandle chooser, const std::string& path)
    {
        return (void)chooser, (void)path, false;
    }
    // Accepts the file chooser's file with its button (by the query, or the
    // chooser's default button): 1 when done, 0 when it cannot be done yet
    // (the button still greyed while the chooser takes the name), -1 when the
    // window has no such button.
    virtual int acceptFileChooser(WindowHandle chooser, const ControlQuery& button)
    {
        return (void)chooser, (void)button, -1;
    }
    // Whether a program (by its processes' names, and the application's
    // pattern on the accessibility bus) runs where its windows are reached
    // through accessibility, and whether they can be reached there.
    virtual ProgramReach programReach(const std::vector<std::string>& processNames,
                                      const std::string& application)
    {
        return (void)processNames, (void)application, ProgramReach::NotApplicable;
    }

    // A file descriptor that becomes readable when the window system has news
    // (windows created, mapped, retitled), or -1. drainEvents() reads it empty.
    virtual int eventSource() const { return -1; }
    virtual void drainEvents() {}
};

} // namespace automation
