#include "X11WindowSystem.h"

#include "X11Connection.h"
#include "X11Keyboard.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <tuple>

#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace automation {

namespace {

using x11::Connection;
using Clock = std::chrono::steady_clock;

// EWMH source indication of an activation request: a pager or taskbar, that
// is, on the user's behalf. Window managers honour it without the focus
// stealing checks they apply to applications.
constexpr long ActivationFromPager = 2;

class X11WindowSystem final : public WindowSystem
{
public:
    X11WindowSystem(std::unique_ptr<Connection> connection, std::shared_ptr<Compositor> compositor)
        : m_x(std::move(connection)), m_display(m_x->display()), m_keyboard(m_display),
          m_compositor(std::move(compositor))
    {
        // The event source is readable when the server has sent something or
        // when news has been read already (see handleQueued): one descriptor
        // watching the connection and a wake-up counter of our own.
        m_wake = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
        m_source = epoll_create1(EPOLL_CLOEXEC);
        epoll_event server{};
        server.events = EPOLLIN;
        server.data.fd = m_x->fd();
        epoll_event wake{};
        wake.events = EPOLLIN;
        wake.data.fd = m_wake;
        if (m_wake < 0 || m_source < 0 ||
            epoll_ctl(m_source, EPOLL_CTL_ADD, m_x->fd(), &server) != 0 ||
            epoll_ctl(m_source, EPOLL_CTL_ADD, m_wake, &wake) != 0) {
            // Without them the connection alone wakes the wait (up to the
            // short wake-up later when news was read during a call).
            if (m_wake >= 0)
                ::close(m_wake);
            if (m_source >= 0)
                ::close(m_source);
            m_wake = m_source = -1;
        }
    }
    ~X11WindowSystem() override
    {
        if (m_wake >= 0)
            ::close(m_wake);
        if (m_source >= 0)
            ::close(m_source);
    }
    X11WindowSystem(const X11WindowSystem&) = delete;
    X11WindowSystem& operator=(const X11WindowSystem&) = delete;

    WindowHandle findTopWindow(WindowClass cls, const std::string& title) override;
    std::optional<WindowHandle> findWindow(const WindowQuery& query) override;
    Result bringToFront(WindowHandle window) override;
    bool isWindowShown(WindowHandle window) override;
    bool isMinimized(WindowHandle window) override;
    void restoreWindow(WindowHandle window) override;
    bool activateByTitle(const std::string& title) override;
    bool sendKeys(const std::vector<KeyStroke>& keys) override;
    bool keyboardIn(const std::vector<WindowHandle>& windows) override;
    std::optional<WindowOrigin> originOf(WindowHandle window) override;

    int eventSource() const override { return m_source >= 0 ? m_source : m_x->fd(); }
    void drainEvents() override
    {
        if (m_wake >= 0) {
            std::uint64_t count = 0;
            [[maybe_unused]] const auto n = ::read(m_wake, &count, sizeof count);
        }
        m_x->drain([this](const XEvent& e) { handle(e); });
    }

private:
    std::vector<Window> clients();
    bool exists(Window w) const;
    bool isReal(Window w) const;
    bool isDialog(Window w) const;
    bool matches(Window w, const WindowQuery& query) const;
    bool focusInside(Window w) const;
    template <typename Matches> bool focusInsideAny(Matches matches) const;
    bool isActive(Window w, bool windowManager) const;
    void waitForFocusToLand();
    void requestActivation(Window w, bool windowManager);
    void sendActivationMessage(Window w);
    void handle(const XEvent& event);
    void handleQueued();

    // Answers are kept until the server next reports a change. Every change
    // that can alter an answer arrives as an event: the root's children and
    // properties (client list, stacking, active window, the manager's check
    // window) and the properties of every top-level window looked at (title,
    // WM_STATE, _NET_WM_STATE, window type, transient owner), each watched
    // before its properties are read. A client mapping or unmapping itself
    // shows in WM_STATE under a window manager and on the root without one.
    // So while nothing happens a polling loop costs no round trip at all, and
    // neither the program nor the server wakes up for it.
    struct FoundMemo
    {
        std::uint64_t generation;
        Window window;
    };
    struct StateMemo
    {
        std::uint64_t generation;
        bool shown;
        bool minimized;
    };
    bool current(std::uint64_t generation);
    template <typename Key, typename Accept>
    Window topmost(std::map<Key, FoundMemo>& memos, const Key& key, Accept accept);
    StateMemo state(Window w);

    std::unique_ptr<Connection> m_x;
    Display* m_display;
    x11::Keyboard m_keyboard;
    // The compositor of a Wayland session, where it must be asked itself to
    // focus an X11 window (sway).
    std::shared_ptr<Compositor> m_compositor;
    std::uint64_t m_generation = 1; // counts the events received
    std::map<std::pair<WindowClass, std::string>, FoundMemo> m_found;
    std::map<std::tuple<std::string, std::string, std::string, std::string, WindowHandle>,
             FoundMemo>
        m_foundByQuery;
    std::map<Window, StateMemo> m_states;
    int m_wake = -1;   // eventfd: raised when news was read during a call
    int m_source = -1; // epoll over the connection and m_wake
};

std::vector<Window> X11WindowSystem::clients()
{
    auto list = m_x->clientsTopFirst();
    // A retitled window must wake a waiting loop just as a new one does, and
    // kept answers depend on the clients' properties: watch them. Selected
    // anew on every walk, before their properties are read, because window
    // ids are reused: a new window may carry the id of one watched before.
    for (const Window w : list)
        XSelectInput(m_display, w, PropertyChangeMask);
    return list;
}

bool X11WindowSystem::exists(Window w) const
{
    XWindowAttributes a;
    return w != None && XGetWindowAttributes(m_display, w, &a) != 0;
}

// A window that really is on the screen or minimised, as opposed to the
// unmapped helper windows toolkits keep (with titles) and to popups.
bool X11WindowSystem::isReal(Window w) const
{
    XWindowAttributes a;
    if (!XGetWindowAttributes(m_display, w, &a) || a.override_redirect)
        return false;
    if (a.map_state == IsViewable)
        return true;
    const long state = m_x->wmState(w);
    return state == x11::NormalStateValue || state == x11::IconicStateValue;
}

bool X11WindowSystem::isDialog(Window w) const
{
    const auto& atoms = m_x->atoms();
    const auto types = m_x->longs(w, atoms.netWmWindowType, XA_ATOM);
    if (std::find(types.begin(), types.end(), atoms.netWmWindowTypeDialog) != types.end())
        return true;
    const auto owner = m_x->longs(w, XA_WM_TRANSIENT_FOR, XA_WINDOW);
    return !owner.empty() && owner[0] != None;
}

bool X11WindowSystem::focusInside(Window w) const
{
    return focusInsideAny([w](Window x) { return x == w; });
}

// Walks from the window with the input focus up towards the root, asking at
// each step whether this is the window looked for.
template <typename Matches> bool X11WindowSystem::focusInsideAny(Matches matches) const
{
    Window focus = None;
    int revert = 0;
    XGetInputFocus(m_display, &focus, &revert);
    for (int depth = 0; depth < 64; ++depth) {
        if (focus == None || focus == PointerRoot || focus == m_x->root())
            return false;
        if (matches(focus))
            return true;
        Window rootReturn = None;
        Window parent = None;
        Window* children = nullptr;
        unsigned int n = 0;
        if (!XQueryTree(m_display, focus, &rootReturn, &parent, &children, &n))
            return false;
        if (children)
            XFree(children);
        focus = parent;
    }
    return false;
}

bool X11WindowSystem::isActive(Window w, bool windowManager) const
{
    if (windowManager) {
        const auto active = m_x->longs(m_x->root(), m_x->atoms().netActiveWindow, XA_WINDOW);
        if (active.empty() || active[0] != w)
            return false;
    }
    return focusInside(w);
}

void X11WindowSystem::sendActivationMessage(Window w)
{
    const auto active = m_x->longs(m_x->root(), m_x->atoms().netActiveWindow, XA_WINDOW);
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = w;
    event.xclient.message_type = m_x->atoms().netActiveWindow;
    event.xclient.format = 32;
    event.xclient.data.l[0] = ActivationFromPager;
    event.xclient.data.l[1] = static_cast<long>(m_x->serverTime());
    event.xclient.data.l[2] = active.empty() ? 0 : static_cast<long>(active[0]);
    XSendEvent(m_display, m_x->root(), False, SubstructureRedirectMask | SubstructureNotifyMask,
               &event);
    XFlush(m_display);
    if (m_compositor)
        m_compositor->raiseX11Window(w);
}

void X11WindowSystem::requestActivation(Window w, bool windowManager)
{
    if (windowManager) {
        sendActivationMessage(w);
        return;
    }
    XWindowAttributes a;
    if (!XGetWindowAttributes(m_display, w, &a) || a.map_state != IsViewable)
        return; // focus cannot go to an unmapped window
    XRaiseWindow(m_display, w);
    XSetInputFocus(m_display, w, RevertToParent, CurrentTime);
    XSync(m_display, False);
}

void X11WindowSystem::handle(const XEvent& event)
{
    ++m_generation;
    m_x->noteEvent(event);
    if (event.type == MappingNotify) {
        XMappingEvent mapping = event.xmapping;
        XRefreshKeyboardMapping(&mapping);
    }
}

// Round trips (and flushes) read whatever events have arrived off the socket
// into the library's queues, where no wait on the socket can see them. They
// are handled here, with anything else already sent, so the queues never
// grow; and as the caller's next wait would sleep through news that has
// already been read, the wake-up counter is raised so that it returns at once.
void X11WindowSystem::handleQueued()
{
    bool news = false;
    m_x->drain([&](const XEvent& event) {
        const auto before = m_generation;
        handle(event);
        news = news || m_generation != before;
    });
    if (news && m_wake >= 0) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const auto n = ::write(m_wake, &one, sizeof one);
    }
}

// Reads what the server has sent (without waiting); true when nothing has
// changed since the generation given.
bool X11WindowSystem::current(std::uint64_t generation)
{
    drainEvents();
    return generation == m_generation;
}

// The topmost client the test accepts, kept in memos under key until the
// server next reports a change.
template <typename Key, typename Accept>
Window X11WindowSystem::topmost(std::map<Key, FoundMemo>& memos, const Key& key, Accept accept)
{
    if (const auto memo = memos.find(key); memo != memos.end() && current(memo->second.generation))
        return memo->second.window;
    drainEvents();
    const auto generation = m_generation;

    Window found = None;
    for (const Window w : clients())
        if (accept(w)) {
            found = w;
            break;
        }
    handleQueued(); // events that came during the walk make the answer stale at once
    if (memos.size() >= 64)
        memos.clear();
    memos[key] = {generation, found};
    return found;
}

WindowHandle X11WindowSystem::findTopWindow(WindowClass cls, const std::string& title)
{
    return topmost(m_found, std::make_pair(cls, title), [&](Window w) {
        const auto t = m_x->title(w);
        return t && *t == title && isReal(w) && (cls != WindowClass::Dialog || isDialog(w));
    });
}

bool X11WindowSystem::matches(Window w, const WindowQuery& query) const
{
    if (!query.title.empty()) {
        const auto t = m_x->title(w);
        if (!matchesPattern(query.title, t.value_or(std::string())))
            return false;
    }
    if (!query.instance.empty() || !query.className.empty()) {
        // WM_CLASS: the instance name, a NUL, the class name, a NUL.
        Atom type = None;
        const std::string both = m_x->bytes(w, XA_WM_CLASS, &type).value_or(std::string());
        const auto split = both.find('\0');
        const std::string instance = both.substr(0, split);
        std::string cls = split == std::string::npos ? std::string() : both.substr(split + 1);
        if (const auto end = cls.find('\0'); end != std::string::npos)
            cls.resize(end);
        if (!matchesPattern(query.instance, instance) || !matchesPattern(query.className, cls))
            return false;
    }
    if (!query.role.empty()) {
        Atom type = None;
        const auto role = m_x->bytes(w, m_x->atoms().wmWindowRole, &type);
        if (!matchesPattern(query.role, role.value_or(std::string())))
            return false;
    }
    if (query.owner != 0) {
        const auto owner = m_x->longs(w, XA_WM_TRANSIENT_FOR, XA_WINDOW);
        if (owner.empty()) {
            // A dialog that names no owner (some toolkits' releases leave
            // WM_TRANSIENT_FOR off): one of the owner's process.
            const Atom pidAtom = XInternAtom(m_display, "_NET_WM_PID", False);
            const auto pid = m_x->longs(w, pidAtom, XA_CARDINAL);
            const auto ownerPid =
                m_x->longs(static_cast<Window>(query.owner), pidAtom, XA_CARDINAL);
            if (w == query.owner || !isDialog(w) || pid.empty() || ownerPid.empty() ||
                pid[0] != ownerPid[0])
                return false;
        } else if (owner[0] != query.owner) {
            return false;
        }
    }
    return isReal(w);
}

std::optional<WindowHandle> X11WindowSystem::findWindow(const WindowQuery& query)
{
    const auto key =
        std::make_tuple(query.instance, query.className, query.role, query.title, query.owner);
    return topmost(m_foundByQuery, key, [&](Window w) { return matches(w, query); });
}

Result X11WindowSystem::bringToFront(WindowHandle id)
{
    const Window w = static_cast<Window>(id);
    if (!exists(w))
        return Result::failed("the window has gone");
    const bool windowManager = m_x->windowManagerPresent();
    if (isActive(w, windowManager)) {
        // Keys already go there; still ask for it to be raised (an active
        // window may lie under one that opened without taking the focus).
        if (windowManager)
            sendActivationMessage(w);
        else
            XRaiseWindow(m_display, w);
        XFlush(m_display);
        handleQueued();
        return Result::done();
    }
    if (!windowManager) {
        requestActivation(w, false);
        Result result = isActive(w, false) ? Result::done()
                                           : Result::notYet("the window did not take the focus");
        handleQueued();
        return result;
    }

    // The manager answers asynchronously: repeat the request now and then and
    // sleep on the connection in between. The active-window property changes
    // on the root (watched) and focus arriving in the window (watched for
    // the time being) wake the wait.
    XSelectInput(m_display, w, PropertyChangeMask | FocusChangeMask);
    const auto start = Clock::now();
    const auto deadline = start + BringToFrontLimit;
    auto nextRequest = start;
    Result result = Result::notYet("the window manager did not activate the window in time");
    for (;;) {
        const auto now = Clock::now();
        if (now >= nextRequest) {
            sendActivationMessage(w);
            nextRequest = now + ActivationResendInterval;
        }
        m_x->waitReadable(
            std::chrono::ceil<std::chrono::milliseconds>(std::min(nextRequest, deadline) - now));
        m_x->drain([this](const XEvent& e) { handle(e); });
        if (isActive(w, true)) {
            result = Result::done();
            break;
        }
        if (!exists(w)) {
            result = Result::failed("the window has gone");
            break;
        }
        if (Clock::now() >= deadline)
            break;
    }
    XSelectInput(m_display, w, PropertyChangeMask);
    XFlush(m_display);
    handleQueued();
    return result;
}

X11WindowSystem::StateMemo X11WindowSystem::state(Window w)
{
    if (const auto memo = m_states.find(w);
        memo != m_states.end() && current(memo->second.generation))
        return memo->second;
    drainEvents();
    StateMemo s{m_generation, false, false};
    // Watched from before the first read on, so that any change ends the
    // answer's life (the property changes come as events from then on).
    XSelectInput(m_display, w, PropertyChangeMask);
    XWindowAttributes a;
    if (XGetWindowAttributes(m_display, w, &a)) {
        const long wmState = m_x->wmState(w);
        // A minimised window still counts as shown.
        s.shown = a.map_state == IsViewable || wmState == x11::NormalStateValue ||
                  wmState == x11::IconicStateValue;
        if (wmState == x11::IconicStateValue) {
            s.minimized = true;
        } else {
            const auto& atoms = m_x->atoms();
            const auto states = m_x->longs(w, atoms.netWmState, XA_ATOM);
            s.minimized =
                std::find(states.begin(), states.end(), atoms.netWmStateHidden) != states.end();
        }
    }
    handleQueued();
    if (m_states.size() >= 64)
        m_states.clear();
    m_states[w] = s;
    return s;
}

bool X11WindowSystem::isWindowShown(WindowHandle id)
{
    return state(static_cast<Window>(id)).shown;
}

std::optional<WindowOrigin> X11WindowSystem::originOf(WindowHandle id)
{
    const Window w = static_cast<Window>(id);
    if (!exists(w))
        return std::nullopt;
    const auto pid = m_x->longs(w, XInternAtom(m_display, "_NET_WM_PID", False), XA_CARDINAL);
    const auto title = m_x->title(w);
    if (pid.empty() || !pid.front() || !title)
        return std::nullopt;
    return WindowOrigin{static_cast<std::uint32_t>(pid.front()), *title};
}

bool X11WindowSystem::isMinimized(WindowHandle id)
{
    return state(static_cast<Window>(id)).minimized;
}

void X11WindowSystem::restoreWindow(WindowHandle id)
{
    const Window w = static_cast<Window>(id);
    if (exists(w)) {
        // Mapping an iconic window asks the manager to restore it (ICCCM);
        // activation brings it up as well with managers that want that.
        XMapWindow(m_display, w);
        requestActivation(w, m_x->windowManagerPresent());
        XFlush(m_display);
    }
    handleQueued();
}

bool X11WindowSystem::activateByTitle(const std::string& title)
{
    if (title.empty())
        return false; // every title begins with it: no window is meant
    // One walk, topmost first: the first window with exactly that title, else
    // the first whose title begins with it.
    Window exact = None;
    Window prefix = None;
    for (const Window w : clients()) {
        const auto t = m_x->title(w);
        if (!t || t->compare(0, title.size(), title) != 0 || !isReal(w))
            continue;
        if (t->size() == title.size()) {
            exact = w;
            break;
        }
        if (prefix == None)
            prefix = w;
    }
    const Window target = exact != None ? exact : prefix;
    if (target != None)
        requestActivation(target, m_x->windowManagerPresent());
    handleQueued();
    return target != None;
}

// Between a window closing and the window manager focusing the next one,
// the input focus can be nowhere (None, or PointerRoot). Under the X window
// managers of Wayland compositors (GNOME's, KWin's, sway's) that lasts some
// milliseconds, where openbox moves the focus in one step; keys sent in
// between are lost. So wait for it to land in a window, a short while at most.
void X11WindowSystem::waitForFocusToLand()
{
    if (!m_x->windowManagerPresent())
        return; // without one the focus may stay on the pointer's window for good
    const auto deadline = Clock::now() + FocusLandingLimit;
    for (;;) {
        Window focus = None;
        int revert = 0;
        XGetInputFocus(m_display, &focus, &revert);
        if ((focus != None && focus != PointerRoot) || Clock::now() >= deadline)
            return;
        m_x->waitReadable(FocusLandingPoll);
        m_x->drain([this](const XEvent& e) { handle(e); });
    }
}

bool X11WindowSystem::sendKeys(const std::vector<KeyStroke>& keys)
{
    waitForFocusToLand();
    std::string error;
    const bool sent = m_keyboard.send(keys, &error);
    if (!sent)
        std::fprintf(stderr, "SendKeystrokes: %s; nothing was sent\n", error.c_str());
    handleQueued();
    return sent;
}

bool X11WindowSystem::keyboardIn(const std::vector<WindowHandle>& windows)
{
    // Asked right before keys go out: answer for where the focus lands.
    waitForFocusToLand();
    const bool inside = focusInsideAny([&](Window x) {
        return std::find(windows.begin(), windows.end(), static_cast<WindowHandle>(x)) !=
               windows.end();
    });
    handleQueued();
    return inside;
}

} // namespace

std::unique_ptr<WindowSystem> openX11WindowSystem(const char* display,
                                                  std::shared_ptr<Compositor> compositor)
{
    auto connection = Connection::open(display);
    if (!connection)
        return nullptr;
    return std::make_unique<X11WindowSystem>(std::move(connection), std::move(compositor));
}

} // namespace automation
