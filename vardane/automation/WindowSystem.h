#pragma once

// What a platform backend provides about other programs' windows and the
// keyboard. Plain C++ (no Qt), so that every backend, including the Windows
// one, implements the same interface. Titles are UTF-8.

#include "KeyNotation.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace automation {

using WindowHandle = std::uint64_t; // the platform's top-level window id; 0 means none

enum class WindowClass {
    Any,   // any window
    Dialog // the platform's dialog class only
};

// A look-up by what a program says about its windows rather than by a whole
// title (which carries a subject and the user's language). Every field is a
// pattern for the whole value: "*" stands for any run of characters, "|"
// separates alternatives, every other character stands for itself; an empty
// pattern takes any value, a missing one included. On X11 the names are WM_CLASS's instance and
// class and WM_WINDOW_ROLE.
struct WindowQuery
{
    std::string instance = {};
    std::string className = {};
    std::string role = {};
    std::string title = {};
    // When set, only a dialog owned by this window: transient for it, or,
    // where the dialog names no owner, a dialog of the same process.
    WindowHandle owner = 0;
};

// Where a window comes from: its program's process and its title. What other
// routes to the same window (accessibility, the compositor) know it by.
struct WindowOrigin
{
    std::uint32_t pid = 0;
    std::string title = {};
    bool operator==(const WindowOrigin&) const = default;
};

// The outcome of an operation on another program that may have to be tried
// again: done, not yet possible (the window or control is not there yet, or
// greyed), or failed for good.
struct Result
{
    enum class Kind { Done, NotYet, Failed };
    Kind kind = Kind::Failed;
    std::string reason = {};

    static Result done() { return {Kind::Done, {}}; }
    static Result notYet(std::string why) { return {Kind::NotYet, std::move(why)}; }
    static Result failed(std::string why) { return {Kind::Failed, std::move(why)}; }
    bool isDone() const { return kind == Kind::Done; }
    bool isFailed() const { return kind == Kind::Failed; }
};

// Whether text matches one alternative of a pattern as a whole.
inline bool matchesAlternative(std::string_view pattern, std::string_view text)
{
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

// Whether text matches a WindowQuery pattern as a whole: an empty pattern
// matches anything; "a|b" matches what either alternative matches (a name
// that differs between releases of a program, say).
inline bool matchesPattern(std::string_view pattern, std::string_view text)
{
    if (pattern.empty())
        return true;
    for (std::size_t from = 0;;) {
        const std::size_t bar = pattern.find('|', from);
        if (matchesAlternative(pattern.substr(from, bar - from), text))
            return true;
        if (bar == std::string_view::npos)
            return false;
        from = bar + 1;
    }
}

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
    // Done only when the window really became the foreground window; not yet
    // when it is there but did not take it (in time); failed when it has gone
    // or can never take keys.
    virtual Result bringToFront(WindowHandle window) = 0;
    // Whether it is shown (a minimised window counts as shown).
    virtual bool isWindowShown(WindowHandle window) = 0;
    virtual bool isMinimized(WindowHandle window) = 0;
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
    // True when the keyboard is in this other program's window: keys sent now
    // reach it.
    virtual bool holdsKeyboard(WindowHandle window) { return keyboardIn({window}); }

    // The window's process and title; nullopt when it has gone or the
    // window system does not tell.
    virtual std::optional<WindowOrigin> originOf(WindowHandle window)
    {
        return (void)window, std::nullopt;
    }

    // A file descriptor that becomes readable when the window system has news
    // (windows created, mapped, retitled), or -1. drainEvents() reads it empty.
    virtual int eventSource() const { return -1; }
    virtual void drainEvents() {}
};

} // namespace automation
