#include "Automation.h"

#include <QGuiApplication>

#include <cstdlib>

#if defined(_WIN32)
#include "win32/Win32WindowSystem.h"
#else
#include "atspi/AccessibleControls.h"
#include "atspi/AtSpi.h"
#include "x11/X11WindowSystem.h"
#endif

namespace automation {

namespace {

// Used where no window system of other programs can be reached (for example
// on the offscreen platform): nothing is ever found and keys go nowhere.
class NoWindowSystem : public WindowSystem
{
public:
    bool reachesOtherPrograms() const override { return false; }
    WindowHandle findTopWindow(WindowClass, const std::string&) override { return 0; }
    Result bringToFront(WindowHandle) override { return Result::failed("no window system"); }
    bool isWindowShown(WindowHandle) override { return false; }
    bool isMinimized(WindowHandle) override { return false; }
    void restoreWindow(WindowHandle) override {}
    bool activateByTitle(const std::string&) override { return false; }
    bool sendKeys(const std::vector<KeyStroke>&) override { return false; }
};

#if !defined(_WIN32)
bool onX11()
{
    return QGuiApplication::platformName() == QLatin1String("xcb");
}

// One per process: the window system and the controls ask the same one (a
// compositor's scripting answers one asker per program).
std::shared_ptr<Compositor> desktopCompositor()
{
    static std::weak_ptr<Compositor> shared;
    std::shared_ptr<Compositor> c = shared.lock();
    if (!c && inWaylandSession()) {
        c = compositorFromEnvironment();
        shared = c;
    }
    return c;
}
#endif

} // namespace

bool inWaylandSession()
{
    const char* display = std::getenv("WAYLAND_DISPLAY");
    const char* type = std::getenv("XDG_SESSION_TYPE");
    return (display && *display) || (type && std::string(type) == "wayland");
}

std::unique_ptr<Automation> createDesktopAutomation()
{
    return std::make_unique<Automation>(createDesktopWindowSystem(), createDesktopControls());
}

std::unique_ptr<WindowSystem> createDesktopWindowSystem()
{
    std::unique_ptr<WindowSystem> backend;
#if defined(_WIN32)
    backend = createWin32WindowSystem();
#else
    if (onX11())
        backend = openX11WindowSystem(nullptr, desktopCompositor());
#endif
    if (!backend)
        backend = std::make_unique<NoWindowSystem>();
    return backend;
}

std::unique_ptr<Controls> createDesktopControls()
{
#if defined(_WIN32)
    return nullptr;
#else
    // On a Wayland session the X server is Xwayland: its windows as on X11,
    // the session's native windows through accessibility, which is turned on
    // for the toolkits of programs started from now on, as a screen reader
    // does (some look only at their start). On X11 only the file choosers of
    // programs that are on the bus already are reached through it.
    if (!onX11())
        return nullptr;
    const bool wayland = inWaylandSession();
    if (wayland)
        atspi::Client::enableForNewPrograms();
    return openAccessibleControls(wayland, desktopCompositor());
#endif
}

} // namespace automation
