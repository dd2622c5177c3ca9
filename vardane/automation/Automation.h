#pragma once

// The window and keystroke operations every window of the program uses to act
// on its own windows and on other programs' windows. Nothing else in the
// program talks to the window system about other programs' windows.
//
// One Automation object is installed for the program's run: the desktop one
// (backed by the platform's WindowSystem) or, in tests, a scripted one. The
// free functions below forward to it, under the names the windows use.

#include "Controls.h"
#include "WindowSystem.h"

#include <QElapsedTimer>
#include <QString>

#include <functional>
#include <memory>

class QSocketNotifier;
class QWidget;

namespace automation {

inline const QString DialogClass = QStringLiteral("#32770");

// How long the item of a menu opened through its control may take to show
// before the menu is opened again.
constexpr qint64 MenuReopenMs = 2000;

enum class KeyMode {
    Notation, // "%F", "~", "{TAB}", "{BREAK}", other characters as themselves
    Literal   // every character as itself
};

class Automation
{
public:
    // Without controls, no window is ever reached through them.
    explicit Automation(std::unique_ptr<WindowSystem> backend,
                        std::unique_ptr<Controls> controls = nullptr);
    virtual ~Automation();
    Automation(const Automation&) = delete;
    Automation& operator=(const Automation&) = delete;

    // windowClass: DialogClass, or empty for any class.
    WindowHandle FindTopWindow(const QString& windowClass, const QString& title);
    // The topmost window matching the query (by class, role, title pattern,
    // owner); 0 when none, or when the platform cannot tell (said once).
    WindowHandle FindWindowLike(const WindowQuery& query);
    int BringToFront(WindowHandle window);
    int IsWindowShown(WindowHandle window);
    int IsMinimized(WindowHandle window);
    // Whether keys sent now reach the window (it holds the keyboard focus).
    bool HoldsKeyboard(WindowHandle window);
    void RestoreWindow(WindowHandle window);
    void MakeTopmost(QWidget* ownWindow);
    // False (and nothing sent) for a malformed notation string, and when the
    // keys would land in one of this program's own windows: keys are always
    // meant for another program: `target`, the window the caller found or
    // brought to the front for them. The keys go to the window that holds
    // the keyboard; when one of ours has taken it, `target` gets it back
    // first, and only if that fails (or there is no target) is the send
    // refused.
    bool SendKeystrokes(WindowHandle target, const QString& keys, KeyMode mode = KeyMode::Notation);
    // For a program that types into its own windows on purpose (tests of the
    // key delivery itself).
    void allowKeysToOwnWindows(bool allow) { m_keysToOwnWindows = allow; }
    bool ActivateByTitle(const QString& title);
    // Other programs' windows reached through their controls rather than by
    // keys (see Controls): the session's native windows, and the windows of
    // the window system whose programs offer their controls.
    ControlledWindow FindControlledWindow(const AccessibleQuery& query);
    ControlledWindow FindControlledDialog(ControlledWindow owner, const AccessibleQuery& query);
    std::vector<ControlledWindow> FindControlledWindows(const AccessibleQuery& query);
    // The window the window system shows, reached through its controls (a
    // window of that role of the same process and title); 0 when its program
    // does not offer them.
    ControlledWindow ControlsOf(WindowHandle window, const std::string& role);
    bool IsControlledWindowOpen(ControlledWindow window);
    bool RaiseControlledWindow(ControlledWindow window);
    Result WorkControl(ControlledWindow window, const ControlQuery& control);
    Result EnterFileName(ControlledWindow chooser, const QString& path);
    Result AcceptFileChooser(ControlledWindow chooser, const ControlQuery& button);
    Result ChooseTypedFile(ControlledWindow chooser);
    // Works the controls in order, each as soon as it is there, with a pass
    // over pending events between tries. A control that only the menu opened
    // by the one before holds may not come (a menu can close again as it
    // opens): that menu is then opened again. Done once the last one was
    // worked; failed as soon as `abandon` says so; not yet, with the name of
    // the control waited for, once `expired` says so.
    Result WorkControls(ControlledWindow window, const std::vector<ControlQuery>& controls,
                        const std::function<bool()>& abandon, const std::function<bool()>& expired);
    ProgramReach ReachOfProgram(const std::vector<std::string>& processNames,
                                const std::string& application);
    // Starts the program found beside this one, else on PATH, with no shell
    // in between. Returns its process id, 0 when it could not be started.
    virtual qint64 StartProgram(const QString& fileName);
    // Asks the desktop to open the file with its usual program; never a shell.
    virtual bool OpenDocument(QWidget* owner, const QString& file, const QString& workingFolder);
    // A modal message with an OK button and the program's title.
    virtual void ShowMessage(const QString& text);
    // One pass over pending events. When nothing is pending it waits for the
    // next event, or about 10 ms at most, instead of spinning.
    void ProcessPendingEvents();
    // Processes events until more than the given time has passed (monotonic clock).
    void PauseWithEvents(double seconds);
    // The pauses asked of PauseWithEvents so far, summed: what a measurement
    // subtracts to see the time spent beyond them.
    double pausesAskedSeconds() const { return m_pausesAsked; }

    // The program is ending: from here on nothing reaches another program
    // (no keys, no control worked, no window raised, no program started), no
    // message is shown, and pauses end at once, so that each running wait
    // ends at its next pass and the event loop is left normally.
    void Stop() { m_stopped = true; }
    bool stopped() const { return m_stopped; }

    WindowSystem& backend() { return *m_backend; }
    Controls* controls() { return m_controls.get(); }

    static Automation& instance();
    // Takes over the program-wide instance; the previous one is destroyed.
    static void install(std::unique_ptr<Automation> automation);
    static bool installed();

    static QString messageTitle();

protected:
    // Called at the start of every pass over pending events.
    virtual void beforePass() {}

private:
    void waitForEvents(int maxMs);
    bool ownWindowHasKeyboard();
    bool keyboardFreeForOthers(WindowHandle target);

    std::unique_ptr<WindowSystem> m_backend;
    std::unique_ptr<Controls> m_controls;
    std::unique_ptr<QSocketNotifier> m_notifier;
    double m_pausesAsked = 0;
    bool m_keysToOwnWindows = false;
    bool m_stopped = false;
    bool m_toldUnsupported = false;
};

// The desktop's automation: the X11 backend on X11 and on a Wayland session's
// Xwayland, the Windows one on Windows; with the controls of the desktop's
// accessibility (for the native windows of a Wayland session).
std::unique_ptr<Automation> createDesktopAutomation();
// Its parts (for an Automation of a kind of one's own).
std::unique_ptr<WindowSystem> createDesktopWindowSystem();
std::unique_ptr<Controls> createDesktopControls();
// Whether this process runs in a Wayland session (whatever Qt platform it uses).
bool inWaylandSession();

inline WindowHandle FindTopWindow(const QString& windowClass, const QString& title)
{
    return Automation::instance().FindTopWindow(windowClass, title);
}
inline WindowHandle FindWindowLike(const WindowQuery& query)
{
    return Automation::instance().FindWindowLike(query);
}
inline int BringToFront(WindowHandle w)
{
    return Automation::instance().BringToFront(w);
}
inline int IsWindowShown(WindowHandle w)
{
    return Automation::instance().IsWindowShown(w);
}
inline int IsMinimized(WindowHandle w)
{
    return Automation::instance().IsMinimized(w);
}
inline bool HoldsKeyboard(WindowHandle w)
{
    return Automation::instance().HoldsKeyboard(w);
}
inline void RestoreWindow(WindowHandle w)
{
    Automation::instance().RestoreWindow(w);
}
inline void MakeTopmost(QWidget* w)
{
    Automation::instance().MakeTopmost(w);
}
inline bool SendKeystrokes(WindowHandle target, const QString& keys,
                           KeyMode mode = KeyMode::Notation)
{
    return Automation::instance().SendKeystrokes(target, keys, mode);
}
inline bool ActivateByTitle(const QString& title)
{
    return Automation::instance().ActivateByTitle(title);
}
inline ControlledWindow FindControlledWindow(const AccessibleQuery& query)
{
    return Automation::instance().FindControlledWindow(query);
}
inline ControlledWindow FindControlledDialog(ControlledWindow owner, const AccessibleQuery& query)
{
    return Automation::instance().FindControlledDialog(owner, query);
}
inline std::vector<ControlledWindow> FindControlledWindows(const AccessibleQuery& query)
{
    return Automation::instance().FindControlledWindows(query);
}
inline ControlledWindow ControlsOf(WindowHandle w, const std::string& role)
{
    return Automation::instance().ControlsOf(w, role);
}
inline bool IsControlledWindowOpen(ControlledWindow w)
{
    return Automation::instance().IsControlledWindowOpen(w);
}
inline bool RaiseControlledWindow(ControlledWindow w)
{
    return Automation::instance().RaiseControlledWindow(w);
}
inline Result WorkControl(ControlledWindow w, const ControlQuery& control)
{
    return Automation::instance().WorkControl(w, control);
}
inline Result EnterFileName(ControlledWindow chooser, const QString& path)
{
    return Automation::instance().EnterFileName(chooser, path);
}
inline Result AcceptFileChooser(ControlledWindow chooser, const ControlQuery& button)
{
    return Automation::instance().AcceptFileChooser(chooser, button);
}
inline Result ChooseTypedFile(ControlledWindow chooser)
{
    return Automation::instance().ChooseTypedFile(chooser);
}
inline Result WorkControls(ControlledWindow w, const std::vector<ControlQuery>& controls,
                           const std::function<bool()>& abandon,
                           const std::function<bool()>& expired)
{
    return Automation::instance().WorkControls(w, controls, abandon, expired);
}
inline ProgramReach ReachOfProgram(const std::vector<std::string>& processNames,
                                   const std::string& application)
{
    return Automation::instance().ReachOfProgram(processNames, application);
}
inline qint64 StartProgram(const QString& fileName)
{
    return Automation::instance().StartProgram(fileName);
}
inline bool OpenDocument(QWidget* owner, const QString& file, const QString& folder)
{
    return Automation::instance().OpenDocument(owner, file, folder);
}
inline void ShowMessage(const QString& text)
{
    Automation::instance().ShowMessage(text);
}
inline void ProcessPendingEvents()
{
    Automation::instance().ProcessPendingEvents();
}
inline void PauseWithEvents(double seconds)
{
    Automation::instance().PauseWithEvents(seconds);
}

} // namespace automation
