#pragma once

// A scripted stand-in for the controls of other programs' windows, for fast
// tests of the route that works them: a small world of windows on an
// accessibility bus, each with controls that tests give actions to, and file
// choosers with a location field and a button that can be greyed. Every
// operation is logged in order.

#include "../Controls.h"

#include <QStringList>

#include <functional>
#include <map>

namespace automation {

class ScriptedControls : public Controls
{
public:
    struct Control
    {
        std::string role;
        std::string name;
        std::string action;
        std::function<void()> onAction = {};
        std::string id = {}; // its program's own identifier, where it has one
    };
    struct Window
    {
        std::string application;
        std::uint32_t pid = 0;
        std::string role = "frame";
        std::string name;
        bool active = false;
        std::vector<Control> controls = {};
        // A file chooser: its location field shows once asked for, and its
        // button takes the field's text while it is not greyed.
        bool locationShown = false;
        std::string location = {};
        bool greyed = false;
        // A file manager's chooser: greyed until Enter chooses the typed file.
        bool greyedUntilChosen = false;
        std::function<void(const std::string& path)> onAccept = {};
    };

    // The world.
    ControlledWindow open(Window w);
    void close(ControlledWindow id);
    Window* window(ControlledWindow id);
    // Whether this session's native windows are found (a Wayland session).
    bool native = true;
    // What the compositor says of the order windows were in front, newest first.
    std::vector<WindowOrigin> recentFirst;
    // What programReach answers, by application.
    std::map<std::string, ProgramReach> reach;
    // The windows raised, in order.
    std::vector<ControlledWindow> raised;

    // e.g. "WorkControl(1, push button Attach) = done", "EnterFileName(2) = done".
    QStringList log;
    int count(const QString& prefix) const;

    // Controls
    bool findsNativeWindows() const override { return native; }
    ControlledWindow findWindow(const AccessibleQuery& query) override;
    std::vector<ControlledWindow> findWindows(const AccessibleQuery& query) override;
    ControlledWindow findDialog(ControlledWindow owner, const AccessibleQuery& query) override;
    ControlledWindow windowOf(const WindowOrigin& origin, const std::string& role) override;
    std::optional<WindowOrigin> originOf(ControlledWindow window) override;
    bool isOpen(ControlledWindow window) override;
    bool raise(ControlledWindow window) override;
    Result workControl(ControlledWindow window, const ControlQuery& control) override;
    Result enterFileName(ControlledWindow chooser, const std::string& path) override;
    Result acceptFileChooser(ControlledWindow chooser, const ControlQuery& button) override;
    Result chooseTypedFile(ControlledWindow chooser) override;
    ProgramReach programReach(const std::vector<std::string>& processNames,
                              const std::string& application) override;

private:
    ControlledWindow pick(const std::vector<ControlledWindow>& found) const;
    bool matches(const Window& w, const AccessibleQuery& q) const;

    std::map<ControlledWindow, Window> m_windows; // ordered by id: a later one is newer
    ControlledWindow m_next = 1;
};

} // namespace automation
