#pragma once

// Where the programs' windows live on a Wayland desktop.
//
// The voice wizard finds other programs' windows by their titles and types
// into them; Wayland lets no client do either, while the session's X server
// (Xwayland, on GNOME, KDE Plasma and sway alike) does for every X11 program.
// So on a Wayland session each of the three programs runs as an X11 client
// whenever that server answers, whatever Qt would pick by itself: the wizard
// and the recorder meet there, and the programs' windows keep their places and
// their above-others state where the compositor honours them. Without an X
// server Qt's own choice stands (native Wayland, when its plugin is there).

#include <QByteArray>

namespace session {

class WindowPlatform
{
public:
    // Before the QApplication is made. A platform named on the command line
    // (-platform) or in QT_QPA_PLATFORM stands, unless it is Wayland's on a
    // session whose X server answers.
    WindowPlatform(int argc, char** argv);
    WindowPlatform(const WindowPlatform&) = delete;
    WindowPlatform& operator=(const WindowPlatform&) = delete;

    // Once the QApplication is made: puts QT_QPA_PLATFORM back as it was, so
    // that programs started later (a document's viewer) choose for themselves.
    void restoreEnvironment();

    // The session is a Wayland one (WAYLAND_DISPLAY, or XDG_SESSION_TYPE).
    bool waylandSession() const { return m_wayland; }
    // On a Wayland session: its X server answered, and the program runs there.
    bool onSessionX11() const { return m_x11; }

private:
    bool m_wayland = false;
    bool m_x11 = false;
    bool m_changed = false;
    bool m_hadValue = false;
    QByteArray m_value;
};

// Whether an X server answers at $DISPLAY.
bool x11ServerAnswers();

} // namespace session
