#include "X11Connection.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <mutex>
#include <poll.h>

namespace automation::x11 {

namespace {

// Titles longer than this are cut when read; no real title comes near it.
constexpr long MaxPropertyLongs = 1L << 16;

std::mutex connectionsLock;
std::vector<Display*>& ownConnections()
{
    static std::vector<Display*> displays;
    return displays;
}

// The default handler ends the program on the first BadWindow, and windows of
// other programs disappear between two requests all the time. Errors on our
// own connections are expected and show as failed replies; errors on any other
// Xlib connection of the process are reported, never fatal.
int onXError(Display* display, XErrorEvent* error)
{
    {
        std::lock_guard lock(connectionsLock);
        const auto& own = ownConnections();
        if (std::find(own.begin(), own.end(), display) != own.end())
            return 0;
    }
    char text[128] = {};
    XGetErrorText(display, error->error_code, text, sizeof text);
    std::fprintf(stderr, "X error: %s (request %d.%d)\n", text, error->request_code,
                 error->minor_code);
    return 0;
}

std::string latin1ToUtf8(const std::string& latin1)
{
    std::string out;
    out.reserve(latin1.size());
    for (unsigned char c : latin1) {
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

} // namespace

std::unique_ptr<Connection> Connection::open(const char* displayName)
{
    Display* display = XOpenDisplay(displayName);
    if (!display)
        return nullptr;
    return std::unique_ptr<Connection>(new Connection(display));
}

Connection::Connection(Display* display) : m_display(display), m_root(DefaultRootWindow(display))
{
    {
        std::lock_guard lock(connectionsLock);
        ownConnections().push_back(display);
    }
    XSetErrorHandler(onXError);
    // Programs started later must not inherit the connection.
    fcntl(ConnectionNumber(display), F_SETFD, FD_CLOEXEC);

    const char* names[] = {"_NET_SUPPORTING_WM_CHECK",
                           "_NET_CLIENT_LIST",
                           "_NET_CLIENT_LIST_STACKING",
                           "_NET_ACTIVE_WINDOW",
                           "_NET_WM_NAME",
                           "_NET_WM_WINDOW_TYPE",
                           "_NET_WM_WINDOW_TYPE_DIALOG",
                           "_NET_WM_STATE",
                           "_NET_WM_STATE_HIDDEN",
                           "UTF8_STRING",
                           "COMPOUND_TEXT",
                           "WM_STATE",
                           "_TINDREL_AUTOMATION_TIME",
                           "WM_WINDOW_ROLE"};
    constexpr int count = sizeof names / sizeof names[0];
    Atom atoms[count] = {};
    XInternAtoms(display, const_cast<char**>(names), count, False, atoms);
    m_atoms = {atoms[0], atoms[1], atoms[2], atoms[3],  atoms[4],  atoms[5],  atoms[6],
               atoms[7], atoms[8], atoms[9], atoms[10], atoms[11], atoms[12], atoms[13]};

    // Window creation, mapping and the window manager's root properties
    // (client list, active window) all wake whoever waits on this connection.
    XSelectInput(display, m_root, SubstructureNotifyMask | PropertyChangeMask);

    XSetWindowAttributes attributes{};
    attributes.event_mask = PropertyChangeMask;
    attributes.override_redirect = True;
    m_own = XCreateWindow(display, m_root, -1, -1, 1, 1, 0, CopyFromParent, InputOnly,
                          CopyFromParent, CWEventMask | CWOverrideRedirect, &attributes);
    XFlush(display);
}

Connection::~Connection()
{
    if (m_own)
        XDestroyWindow(m_display, m_own);
    XCloseDisplay(m_display);
    std::lock_guard lock(connectionsLock);
    auto& own = ownConnections();
    own.erase(std::remove(own.begin(), own.end(), m_display), own.end());
}

int Connection::fd() const
{
    return ConnectionNumber(m_display);
}

std::vector<unsigned long> Connection::longs(Window w, Atom property, Atom type) const
{
    std::vector<unsigned long> result;
    Atom actualType = None;
    int actualFormat = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(m_display, w, property, 0, MaxPropertyLongs, False, type, &actualType,
                           &actualFormat, &count, &after, &data) != Success)
        return result;
    if (data && actualType == type && actualFormat == 32) {
        // Format-32 data comes as an array of long, whatever the size of long.
        const auto* values = reinterpret_cast<const unsigned long*>(data);
        result.assign(values, values + count);
    }
    if (data)
        XFree(data);
    return result;
}

std::optional<std::string> Connection::bytes(Window w, Atom property, Atom* actualType) const
{
    int actualFormat = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    *actualType = None;
    if (XGetWindowProperty(m_display, w, property, 0, MaxPropertyLongs, False, AnyPropertyType,
                           actualType, &actualFormat, &count, &after, &data) != Success)
        return std::nullopt;
    std::optional<std::string> result;
    if (*actualType != None && actualFormat == 8)
        result = std::string(data ? reinterpret_cast<const char*>(data) : "", count);
    if (data)
        XFree(data);
    return result;
}

std::optional<std::string> Connection::title(Window w) const
{
    Atom type = None;
    if (auto name = bytes(w, m_atoms.netWmName, &type); name && type == m_atoms.utf8String)
        return name;
    auto name = bytes(w, XA_WM_NAME, &type);
    if (!name)
        return std::nullopt;
    if (type == XA_STRING)
        return latin1ToUtf8(*name);
    if (type == m_atoms.compoundText) {
        XTextProperty text{};
        text.value = reinterpret_cast<unsigned char*>(name->data());
        text.encoding = type;
        text.format = 8;
        text.nitems = name->size();
        char** list = nullptr;
        int n = 0;
        if (Xutf8TextPropertyToTextList(m_display, &text, &list, &n) >= Success && list) {
            std::string joined;
            for (int i = 0; i < n; ++i)
                joined += list[i];
            XFreeStringList(list);
            return joined;
        }
    }
    return name; // UTF8_STRING, or raw bytes as a last resort
}

long Connection::wmState(Window w) const
{
    const auto state = longs(w, m_atoms.wmState, m_atoms.wmState);
    return state.empty() ? -1 : static_cast<long>(state[0]);
}

bool Connection::windowManagerPresent()
{
    if (m_manager != Manager::Unknown)
        return m_manager == Manager::Present;
    m_manager = Manager::Absent;
    m_managerCheck = None;
    const auto check = longs(m_root, m_atoms.netSupportingWmCheck, XA_WINDOW);
    if (check.empty() || check[0] == None)
        return false;
    // Its destruction (the manager ending) and its own announcement (perhaps
    // still to come) must reach us, wherever the window lives: selected
    // before it is read, so that no change can slip in between.
    m_managerCheck = check[0];
    XSelectInput(m_display, m_managerCheck, StructureNotifyMask | PropertyChangeMask);
    const auto self = longs(m_managerCheck, m_atoms.netSupportingWmCheck, XA_WINDOW);
    if (self.empty() || self[0] != m_managerCheck)
        return false;
    m_manager = Manager::Present;
    return true;
}

void Connection::noteEvent(const XEvent& event)
{
    if ((event.type == PropertyNotify && event.xproperty.window == m_root &&
         event.xproperty.atom == m_atoms.netSupportingWmCheck) ||
        (m_managerCheck != None &&
         ((event.type == DestroyNotify && event.xdestroywindow.window == m_managerCheck) ||
          (event.type == PropertyNotify && event.xproperty.window == m_managerCheck))))
        m_manager = Manager::Unknown;
}

Window Connection::findClientBelow(Window frame, int depth) const
{
    if (depth <= 0)
        return None;
    Window rootReturn = None;
    Window parent = None;
    Window* children = nullptr;
    unsigned int n = 0;
    if (!XQueryTree(m_display, frame, &rootReturn, &parent, &children, &n))
        return None;
    Window found = None;
    for (unsigned int i = n; i-- > 0 && found == None;)
        if (wmState(children[i]) >= 0)
            found = children[i];
    for (unsigned int i = n; i-- > 0 && found == None;)
        found = findClientBelow(children[i], depth - 1);
    if (children)
        XFree(children);
    return found;
}

std::vector<Window> Connection::clientsTopFirst()
{
    std::vector<Window> clients;
    if (windowManagerPresent()) {
        const auto stacking = longs(m_root, m_atoms.netClientListStacking, XA_WINDOW);
        if (!stacking.empty()) {
            clients.assign(stacking.rbegin(), stacking.rend());
            return clients;
        }
    }
    // No (usable) window manager: the root's children are in stacking order,
    // bottom first. A reparenting manager puts each client in a frame; the
    // client is the window below it that carries WM_STATE.
    Window rootReturn = None;
    Window parent = None;
    Window* children = nullptr;
    unsigned int n = 0;
    if (!XQueryTree(m_display, m_root, &rootReturn, &parent, &children, &n))
        return clients;
    for (unsigned int i = n; i-- > 0;) {
        const Window top = children[i];
        if (top == m_own)
            continue;
        if (wmState(top) >= 0) {
            clients.push_back(top);
            continue;
        }
        const Window inner = findClientBelow(top, 3);
        clients.push_back(inner != None ? inner : top);
    }
    if (children)
        XFree(children);
    return clients;
}

Time Connection::serverTime()
{
    XChangeProperty(m_display, m_own, m_atoms.timestamp, XA_INTEGER, 8, PropModeAppend, nullptr, 0);
    XEvent event;
    XWindowEvent(m_display, m_own, PropertyChangeMask, &event);
    return event.xproperty.time;
}

void Connection::waitReadable(std::chrono::milliseconds limit) const
{
    if (XPending(m_display) > 0)
        return;
    pollfd p{};
    p.fd = ConnectionNumber(m_display);
    p.events = POLLIN;
    poll(&p, 1, static_cast<int>(std::max<std::chrono::milliseconds::rep>(0, limit.count())));
}

} // namespace automation::x11
