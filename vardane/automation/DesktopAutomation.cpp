#include "Automation.h"

#include <QGuiApplication>

#if defined(_WIN32)
#include "win32/Win32WindowSystem.h"
#else
#include "wayland/WaylandWindowSystem.h"
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
    int bringToFront(WindowHandle) override { return 0; }
    int isWindowShown(WindowHandle) override { return 0; }
    int isMinimized(WindowHandle) override { return 0; }
    void restoreWindow(WindowHandle) override {}
    bool activateByTitle(const std::string&) override { return false; }
    bool sendKeys(const std::vector<KeyStroke>&) override { return false; }
};

} // namespace

std::unique_ptr<Automation> createDesktopAutomation()
{
    return std::make_unique<Automation>(createDesktopWindowSystem());
}

std::unique_ptr<WindowSystem> createDesktopWindowSystem()
{
    std::unique_ptr<WindowSystem> backend;
#if defined(_WIN32)
    backend = createWin32WindowSystem();
#else
    if (QGuiApplication::platformName() == QLatin1String("xcb"))
        backend = openX11WindowSystem();
    // On a Wayland session the X server is Xwayland: its windows as on X11,
    // the session's native windows through accessibility.
    if (backend && inWaylandSession())
        backend = openWaylandWindowSystem(std::move(backend));
#endif
    if (!backend)
        backend = std::make_unique<NoWindowSystem>();
    return backend;
}

} // namespace automation
