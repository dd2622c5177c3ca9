#pragma once

// A scripted stand-in for the window system, for tests. It keeps a small world
// of outside windows that tests open, close, minimise and give key handlers
// to, records every operation in order, and delivers keys to whichever of its
// windows is in front. Messages, documents and program starts are recorded
// instead of being shown or started.

#include "../Automation.h"
#include "ScriptedControls.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <map>
#include <vector>

namespace automation {

class ScriptedWindowSystem : public WindowSystem
{
public:
    struct Window
    {
        WindowHandle id = 0;
        std::string title;
        bool dialog = false;
        bool shown = true;
        bool minimized = false;
        bool acceptsFront = true; // bringToFront fails while false
        WindowHandle owner = 0;   // a dialog's owner gets the front back when it closes
        std::string instance, className, role; // what a WindowQuery asks about
        std::uint32_t pid = 0;                 // its program's process, when known
        // A window just come up may take the keyboard late: in front, it
        // answers holdsKeyboard() no this many times more, and until then the
        // keys sent to it are lost. After that, dropsKeys more strokes are lost
        // (the keyboard went elsewhere a moment).
        int keyboardAfterLooks = 0;
        int dropsKeys = 0;
        std::vector<KeyStroke> received;
        std::function<void(const KeyStroke&)> onKey;
    };

    // The world.
    WindowHandle open(const std::string& title, bool dialog = false, WindowHandle owner = 0);
    void close(WindowHandle id);
    Window* window(WindowHandle id);
    Window* window(const std::string& title);
    WindowHandle foreground() const { return m_foreground; }
    void setForeground(WindowHandle id) { m_foreground = id; }
    void minimize(WindowHandle id);
    // One of the program's own windows takes the keyboard (the user clicked
    // it, or it came up in front); a successful bring-to-front takes it back.
    void giveKeyboardToProgram() { m_programHasKeyboard = true; }
    bool programHasKeyboard() const { return m_programHasKeyboard; }

    // What happened, one line per operation, e.g. "FindTopWindow(#32770, Save As) = 0",
    // "BringToFront(2) = 1", "Keys(%F)", "Keys(/a/b{~}.wav)".
    QStringList log;
    // Only the key sends, each as describeKeys() gives it.
    QStringList sends() const;
    int count(const QString& prefix) const;
    void clearLog() { log.clear(); }

    // WindowSystem
    WindowHandle findTopWindow(WindowClass cls, const std::string& title) override;
    // Logged as e.g. "FindWindow(claws-mail/Claws-mail, role compose) = 3".
    std::optional<WindowHandle> findWindow(const WindowQuery& query) override;
    Result bringToFront(WindowHandle window) override;
    bool isWindowShown(WindowHandle window) override;
    bool isMinimized(WindowHandle window) override;
    void restoreWindow(WindowHandle window) override;
    bool activateByTitle(const std::string& title) override;
    bool sendKeys(const std::vector<KeyStroke>& keys) override;
    bool keyboardIn(const std::vector<WindowHandle>& windows) override;
    // Asked before every key step: not logged.
    bool holdsKeyboard(WindowHandle window) override;
    std::optional<WindowOrigin> originOf(WindowHandle window) override;

private:
    std::map<WindowHandle, Window> m_windows; // ordered by id; a later window is above
    std::vector<WindowHandle> m_stack;        // bottom to top
    WindowHandle m_next = 1;
    WindowHandle m_foreground = 0;
    bool m_programHasKeyboard = false;
};

class ScriptedAutomation : public Automation
{
public:
    ScriptedAutomation();

    ScriptedWindowSystem& world();
    // The windows reached through their controls.
    ScriptedControls& controlsWorld();

    // Installs a fresh scripted automation as the program's, and returns it.
    static ScriptedAutomation& installNew();

    // What StartProgram does: by default it records the call and returns 0
    // (could not start); a test sets a function that opens windows and
    // returns a process id.
    std::function<qint64(const QString&)> onStartProgram;
    // Called for each ShowMessage, after it was recorded (e.g. to close a window).
    std::function<void(const QString&)> onMessage;
    // Called at the start of every pass over pending events.
    std::function<void()> onPass;

    QStringList messages;
    QStringList startedPrograms;
    QStringList openedDocuments;
    int passes = 0;

    qint64 StartProgram(const QString& fileName) override;
    bool OpenDocument(QWidget* owner, const QString& file, const QString& workingFolder) override;
    void ShowMessage(const QString& text) override;

protected:
    void beforePass() override;
};

} // namespace automation
