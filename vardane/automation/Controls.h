#pragma once

// Other programs' windows reached through their controls rather than by keys:
// the desktop's accessibility (the native windows of a Wayland desktop, and
// the file choosers of X11 programs that are on its bus). Such a window needs
// no focus: nothing is typed, so nothing can land in another window. Plain
// C++, like WindowSystem.

#include "WindowSystem.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace automation {

// A window reached through its controls; 0 means none. Handles of their own,
// not window-system ids.
using ControlledWindow = std::uint64_t;

// A control inside another program's window, as its accessibility tree
// names it: the role ("push button", "menu item", "menu"), the name and the
// action that works it ("click", "press"). Role and name are patterns as in
// WindowQuery.
//
// Names change with the program's language; two things do not:
// - `id`: the program's own identifier of the control (a pattern), where its
//   toolkit tells it (Gecko: each element's id). Given, it stands for the name.
// - `domain`: the name's alternatives are then messages of that program's
//   message catalogue (several catalogues split by "|"), written as its
//   source has them ("_" before a mnemonic, printf conversions, "…"); each
//   matches as the program shows it in English and in its user's language.
struct ControlQuery
{
    std::string role = {};
    std::string name = {};
    std::string action = {};
    std::string id = {};
    std::string domain = {};
    // How messages and logs name it: by its name, else its identifier.
    const std::string& shown() const { return name.empty() ? id : name; }
};

// A message's translation in a catalogue ("" when it has none).
using Translate = std::function<std::string(const std::string& domain, const std::string& message)>;

// The pattern that a name (a pattern, or with a domain its messages) is
// matched with: the messages as a program shows them, in English and as
// `translate` (when given) has them.
std::string namePattern(const std::string& name, const std::string& domain,
                        const Translate& translate = {});

// A file's address (URL) as it is typed into a file chooser that takes keys
// only: every byte of the absolute path percent-encoded but "/" and digits,
// so that it is typed with a few keys that every Latin layout has, and comes
// out the same with Caps Lock on.
std::string typedFileAddress(const std::string& path);

// A window by what its program puts on the accessibility bus. All patterns:
// the program's accessible name, the window's role ("frame" when empty) and
// name (which `title` must match as well: a caller narrows a program's
// pattern with one of its own), and a control the window must hold (among
// its own children only where `holdsAtTop`: a short look, also at the
// windows that do not hold it). The name's messages are of `domain`'s
// catalogue where that is given (as in ControlQuery).
struct AccessibleQuery
{
    std::string application = {};
    std::string role = {};
    std::string name = {};
    std::string title = {};
    ControlQuery holds = {};
    bool holdsAtTop = false;
    std::string domain = {};
    // Or, of a program that is not on the bus, a window the compositor shows
    // of this class (a pattern) whose caption matches `title`: reached by
    // keys only, once it holds the keyboard.
    std::string windowClass = {};
    bool empty() const { return application.empty(); }
};

enum class ProgramReach {
    NotApplicable,   // windows are not reached through their controls here
    NotRunning,      // no such process of this user
    Reachable,       // on the accessibility bus
    NoAccessibility, // running, and the session has no accessibility bus
    Unreached        // running, not on the accessibility bus
};

class Controls
{
public:
    virtual ~Controls() = default;

    // Whether the session's own (native) windows are found here; otherwise
    // only the windows of programs the window system shows are reached, by
    // windowOf.
    virtual bool findsNativeWindows() const = 0;
    // Among the windows the query matches, the one the user had in front
    // last; 0 when none.
    virtual ControlledWindow findWindow(const AccessibleQuery& query) = 0;
    // Every window the query matches, in no order.
    virtual std::vector<ControlledWindow> findWindows(const AccessibleQuery& query) = 0;
    // A window of the same program as owner (its dialogs) that the query
    // matches (the application is owner's); 0 when none.
    virtual ControlledWindow findDialog(ControlledWindow owner, const AccessibleQuery& query) = 0;
    // The window of that role with exactly that process and title: the same
    // window as one the window system shows; 0 when its program is not on
    // the bus.
    virtual ControlledWindow windowOf(const WindowOrigin& origin, const std::string& role) = 0;
    // Its process and title.
    virtual std::optional<WindowOrigin> originOf(ControlledWindow window) = 0;
    // Whether it is still open.
    virtual bool isOpen(ControlledWindow window) = 0;
    // Brings it to the front where the compositor lets a program do that
    // (restoring it when minimised); false where it did not.
    virtual bool raise(ControlledWindow window) = 0;

    // Works the first control in the window, or in a menu open over it, that
    // the query matches; not yet when there is none (yet).
    virtual Result workControl(ControlledWindow window, const ControlQuery& control) = 0;
    // Puts the path into a file chooser's location field, exactly, and reads
    // it back; not yet when the window shows no such field (yet). A chooser
    // reached by keys only gets the path once, typed as a file URL while it
    // holds the keyboard.
    virtual Result enterFileName(ControlledWindow chooser, const std::string& path) = 0;
    // Accepts the chooser's file with its button (by the query, or the
    // chooser's default button): not yet while that button is greyed (the
    // chooser has not taken the name in yet); failed when there is none.
    virtual Result acceptFileChooser(ControlledWindow chooser, const ControlQuery& button) = 0;
    // Chooses the file its location field names, as Enter there does, for a
    // chooser whose button waits for a file chosen in its view: not yet while
    // the field does not hold the keyboard; failed where no keys can be
    // pressed into it.
    virtual Result chooseTypedFile(ControlledWindow chooser) = 0;

    // Whether a program (by its processes' names, and its accessible name)
    // runs, and whether it can be reached here.
    virtual ProgramReach programReach(const std::vector<std::string>& processNames,
                                      const std::string& application) = 0;
};

} // namespace automation
