#pragma once

// One connection of our own to the X server, with what the window and
// keyboard code need from it: atoms, property reading, the window manager's
// presence and a wait on the connection that does not spin.
//
// Windows of other programs vanish at any moment, so every request about them
// may fail; the error handler installed here records such errors and never
// ends the program.

#include <X11/Xlib.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace automation::x11 {

struct Atoms
{
    Atom netSupportingWmCheck;
    Atom netClientList;
    Atom netClientListStacking;
    Atom netActiveWindow;
    Atom netWmName;
    Atom netWmWindowType;
    Atom netWmWindowTypeDialog;
    Atom netWmState;
    Atom netWmStateHidden;
    Atom utf8String;
    Atom compoundText;
    Atom wmState;
    Atom timestamp; // a property of our own window, touched to learn the server time
    Atom wmWindowRole;
};

// WM_STATE values (ICCCM).
inline constexpr long WithdrawnStateValue = 0;
inline constexpr long NormalStateValue = 1;
inline constexpr long IconicStateValue = 3;

class Connection
{
public:
    // nullptr when the server cannot be reached.
    static std::unique_ptr<Connection> open(const char* displayName);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    Display* display() const { return m_display; }
    Window root() const { return m_root; }
    const Atoms& atoms() const { return m_atoms; }
    int fd() const;

    // A format-32 property (windows, atoms, cardinals); empty when missing,
    // of another type, or the window is gone.
    std::vector<unsigned long> longs(Window w, Atom property, Atom type) const;
    // An 8-bit property as bytes, with its actual type; nullopt when missing.
    std::optional<std::string> bytes(Window w, Atom property, Atom* actualType) const;

    // The title as UTF-8: _NET_WM_NAME, else WM_NAME; nullopt when it has none.
    std::optional<std::string> title(Window w) const;
    // WM_STATE, or -1 when the window has none (or is gone).
    long wmState(Window w) const;

    // True while a window manager announces itself, the announcement being
    // confirmed by its own check window (a dead manager leaves a stale one).
    // The answer is kept until an event says otherwise (see noteEvent).
    bool windowManagerPresent();
    // Client windows, topmost first.
    std::vector<Window> clientsTopFirst();
    // To be shown every event received: forgets what it makes stale.
    void noteEvent(const XEvent& event);

    // A current server timestamp, learnt from a property change on a window
    // of our own (CurrentTime is refused by window managers for activation).
    Time serverTime();

    // Reads every event the server has sent, handing each to the handler.
    template <typename F> void drain(F&& handle)
    {
        while (XPending(m_display) > 0) {
            XEvent event;
            XNextEvent(m_display, &event);
            handle(event);
        }
    }
    // Sleeps until the server sends something or the time is up (no spin).
    void waitReadable(std::chrono::milliseconds limit) const;

private:
    explicit Connection(Display* display);
    Window findClientBelow(Window frame, int depth) const;

    Display* m_display = nullptr;
    Window m_root = 0;
    Window m_own = 0; // unmapped, for server timestamps
    Atoms m_atoms{};
    enum class Manager { Unknown, Present, Absent } m_manager = Manager::Unknown;
    Window m_managerCheck = None; // the window the root names as the manager's check
};

} // namespace automation::x11
