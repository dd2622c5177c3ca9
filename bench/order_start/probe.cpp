// Starts a program and measures the time until a window with the given title is on screen
// (viewable), then ends the program. Repeats and prints one time in milliseconds per line.
// Usage: order_start_probe TITLE RUNS PROGRAM [ARGS...]

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

double now()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1000.0 + ts.tv_nsec / 1e6;
}

int ignoreErrors(Display*, XErrorEvent*)
{
    return 0;
}

std::string title(Display* d, Window w)
{
    static const Atom netName = XInternAtom(d, "_NET_WM_NAME", False);
    static const Atom utf8 = XInternAtom(d, "UTF8_STRING", False);
    Atom type = None;
    int format = 0;
    unsigned long n = 0, after = 0;
    unsigned char* data = nullptr;
    std::string result;
    if (XGetWindowProperty(d, w, netName, 0, 1024, False, utf8, &type, &format, &n, &after,
                           &data) == Success &&
        data) {
        result.assign(reinterpret_cast<char*>(data), n);
        XFree(data);
        return result;
    }
    char* name = nullptr;
    if (XFetchName(d, w, &name) && name) {
        result = name;
        XFree(name);
    }
    return result;
}

bool viewable(Display* d, Window w)
{
    XWindowAttributes a;
    return XGetWindowAttributes(d, w, &a) && a.map_state == IsViewable;
}

// Depth-first search of the window tree (a window manager puts clients inside frames).
bool findShown(Display* d, Window w, const std::string& wanted, int depth = 0)
{
    if (depth > 0 && title(d, w) == wanted && viewable(d, w))
        return true;
    if (depth >= 3)
        return false;
    Window root = 0, parent = 0, *children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(d, w, &root, &parent, &children, &count))
        return false;
    bool found = false;
    for (unsigned int i = 0; i < count && !found; ++i)
        found = findShown(d, children[i], wanted, depth + 1);
    if (children)
        XFree(children);
    return found;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s TITLE RUNS PROGRAM [ARGS...]\n", argv[0]);
        return 2;
    }
    const std::string wanted = argv[1];
    const int runs = std::atoi(argv[2]);
    Display* d = XOpenDisplay(nullptr);
    if (!d) {
        std::fprintf(stderr, "cannot open the display\n");
        return 1;
    }
    XSetErrorHandler(ignoreErrors);
    const Window root = DefaultRootWindow(d);
    XSelectInput(d, root, SubstructureNotifyMask | PropertyChangeMask);

    for (int run = 0; run < runs; ++run) {
        // Let the previous program's windows go first.
        for (int i = 0; i < 200 && findShown(d, root, wanted); ++i)
            usleep(10000);
        while (XPending(d)) {
            XEvent e;
            XNextEvent(d, &e);
        }
        const double start = now();
        const pid_t child = fork();
        if (child == 0) {
            execv(argv[3], argv + 3);
            _exit(127);
        }
        double shown = -1;
        while (now() - start < 30000) {
            if (findShown(d, root, wanted)) {
                shown = now() - start;
                break;
            }
            // Wait for the next change on the screen (or a short wake-up).
            pollfd p{ConnectionNumber(d), POLLIN, 0};
            if (!XPending(d))
                poll(&p, 1, 5);
            while (XPending(d)) {
                XEvent e;
                XNextEvent(d, &e);
            }
            int status = 0;
            if (waitpid(child, &status, WNOHANG) == child) {
                std::fprintf(stderr, "%s ended before showing \"%s\"\n", argv[3], argv[1]);
                return 1;
            }
        }
        kill(child, SIGTERM);
        waitpid(child, nullptr, 0);
        if (shown < 0) {
            std::fprintf(stderr, "no window \"%s\" within 30 s\n", argv[1]);
            return 1;
        }
        std::printf("%.1f\n", shown);
        std::fflush(stdout);
    }
    XCloseDisplay(d);
    return 0;
}
