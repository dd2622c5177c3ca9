#include "WindowPlatform.h"

#include <QtGlobal>

#include <cstring>

#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
#include <xcb/xcb.h>
#endif

namespace session {

bool x11ServerAnswers()
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        return false;
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    const bool answers = connection && !xcb_connection_has_error(connection);
    if (connection)
        xcb_disconnect(connection);
    return answers;
#else
    return false;
#endif
}

WindowPlatform::WindowPlatform(int argc, char** argv)
{
    m_wayland =
        !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") || qgetenv("XDG_SESSION_TYPE") == "wayland";
    if (!m_wayland)
        return;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0)
            return; // asked for on the command line
    }
    m_hadValue = qEnvironmentVariableIsSet("QT_QPA_PLATFORM");
    m_value = qgetenv("QT_QPA_PLATFORM");
    // Some desktops set "wayland" (or "wayland;xcb") for every Qt program;
    // any other platform named there (offscreen, xcb) was chosen on purpose.
    if (!m_value.isEmpty() && !m_value.startsWith("wayland"))
        return;
    if (!x11ServerAnswers())
        return;
    m_x11 = true;
    m_changed = true;
    qputenv("QT_QPA_PLATFORM", "xcb");
}

void WindowPlatform::restoreEnvironment()
{
    if (!m_changed)
        return;
    m_changed = false;
    if (m_hadValue)
        qputenv("QT_QPA_PLATFORM", m_value);
    else
        qunsetenv("QT_QPA_PLATFORM");
}

} // namespace session
