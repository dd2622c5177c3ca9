#include "WaylandWindowSystem.h"

#include "../atspi/AtSpi.h"
#include "../kwin/KWinScript.h"
#include "../sway/SwayIpc.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <set>

namespace automation {

namespace {

using atspi::Object;
using atspi::Route;

// Handles of windows reached through accessibility: far above any X11 id.
constexpr WindowHandle AccessibleBit = WindowHandle(1) << 48;

struct Frame
{
    Object app;
    Object frame;
    std::uint32_t pid = 0;
};

struct Candidate
{
    WindowHandle handle;
    bool active;
    QString title;
    std::uint32_t pid;
};

bool matches(const std::string& pattern, const QString& text)
{
    return matchesPattern(pattern, text.toStdString());
}

bool wants(const ControlQuery& c)
{
    return !c.role.empty() || !c.name.empty();
}

// Processes of this user whose program name is one of names.
std::set<std::string> runningPrograms(const std::set<std::string>& names)
{
    std::set<std::string> found;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString& entry : entries) {
        bool number = false;
        entry.toUInt(&number);
        if (!number)
            continue;
        QFile comm(QStringLiteral("/proc/%1/comm").arg(entry));
        if (!comm.open(QIODevice::ReadOnly))
            continue;
        const std::string name = comm.readAll().trimmed().toStdString();
        if (names.count(name) && QFileInfo(comm).ownerId() == ::getuid())
            found.insert(name);
    }
    return found;
}

// sway's windows in the order they last had the focus, most recent first:
// every container lists its children by focus in "focus".
void byFocus(const QJsonObject& node, QList<QJsonObject>& out)
{
    QList<QJsonObject> kids;
    for (const char* key : {"nodes", "floating_nodes"})
        for (const QJsonValue& v : node.value(QLatin1String(key)).toArray())
            kids << v.toObject();
    if (kids.isEmpty()) {
        if (node.contains(QLatin1String("pid")))
            out << node;
        return;
    }
    std::vector<bool> done(static_cast<std::size_t>(kids.size()));
    for (const QJsonValue& id : node.value(QLatin1String("focus")).toArray())
        for (qsizetype i = 0; i < kids.size(); ++i)
            if (!done[static_cast<std::size_t>(i)] &&
                kids[i].value(QLatin1String("id")).toInteger() == id.toInteger()) {
                done[static_cast<std::size_t>(i)] = true;
                byFocus(kids[i], out);
            }
    for (qsizetype i = 0; i < kids.size(); ++i)
        if (!done[static_cast<std::size_t>(i)])
            byFocus(kids[i], out);
}

class WaylandWindowSystem : public WindowSystem
{
public:
    explicit WaylandWindowSystem(std::unique_ptr<WindowSystem> x11) : m_x11(std::move(x11))
    {
        atspi::Client::enableForNewPrograms();
        m_sway = sway::Ipc::fromEnvironment();
        m_kwin = kwin::Scripting::fromEnvironment();
    }

    WindowHandle findTopWindow(WindowClass cls, const std::string& title) override
    {
        return m_x11->findTopWindow(cls, title);
    }

    std::optional<WindowHandle> findWindow(const WindowQuery& query) override
    {
        if (query.owner && accessible(query.owner))
            return accessibleWindow(query);
        const auto x11 = m_x11->findWindow(query);
        if (x11.value_or(0) || query.application.empty())
            return x11;
        return accessibleWindow(query);
    }

    int bringToFront(WindowHandle w) override
    {
        return accessible(w) ? toFront(w) : m_x11->bringToFront(w);
    }

    int isWindowShown(WindowHandle w) override
    {
        if (!accessible(w))
            return m_x11->isWindowShown(w);
        const Frame* f = frame(w);
        return f && client() && m_client->children(f->app).contains(f->frame) ? 1 : 0;
    }

    int isMinimized(WindowHandle w) override
    {
        if (!accessible(w))
            return m_x11->isMinimized(w);
        const Frame* f = frame(w);
        return f && client() && m_client->has(f->frame, atspi::Iconified) ? 1 : 0;
    }

    void restoreWindow(WindowHandle w) override
    {
        if (!accessible(w))
            return m_x11->restoreWindow(w);
        toFront(w);
    }

    bool activateByTitle(const std::string& title) override
    {
        return m_x11->activateByTitle(title);
    }

    bool sendKeys(const std::vector<KeyStroke>& keys) override { return m_x11->sendKeys(keys); }

    bool keyboardIn(const std::vector<WindowHandle>& windows) override
    {
        return m_x11->keyboardIn(windows);
    }

    int eventSource() const override { return m_x11->eventSource(); }
    void drainEvents() override { m_x11->drainEvents(); }

    bool reachesControls(WindowHandle w) override { return accessible(w); }

    bool workControl(WindowHandle w, const ControlQuery& c) override
    {
        const Frame* f = frame(w);
        if (!f || !client())
            return false;
        const QString action = QString::fromStdString(c.action);
        const auto test = [&](const Object& o, const QString& role) {
            return matches(c.role, role) && matches(c.name, m_client->name(o)) &&
                   m_client->actions(o).contains(action);
        };
        auto found = m_client->find(f->frame, test);
        // A menu can also be a window of its own beside the one that opened it.
        for (const Object& top : m_client->children(f->app)) {
            if (found)
                break;
            const QString role = m_client->role(top);
            if (top != f->frame && (role == QLatin1String("window") || role.startsWith("menu")))
                found = m_client->find(top, test);
        }
        // On the bus: the program answers the action first and may then run
        // a dialog that holds its bus connection until it closes.
        return found && m_client->doAction(*found, action, Route::Bus);
    }

    bool fillsFileChooser(WindowHandle chooser) override
    {
        return accessible(chooser) ? frame(chooser) != nullptr : m_x11->fillsFileChooser(chooser);
    }

    bool enterFileName(WindowHandle chooser, const std::string& path) override
    {
        if (!accessible(chooser))
            return m_x11->enterFileName(chooser, path);
        const Frame* f = frame(chooser);
        return f && client() &&
               m_client->enterFileName(f->frame, QString::fromStdString(path),
                                       m_locationShown.insert(chooser).second);
    }

    int acceptFileChooser(WindowHandle chooser, const ControlQuery& button) override
    {
        if (!accessible(chooser))
            return m_x11->acceptFileChooser(chooser, button);
        const Frame* f = frame(chooser);
        return f && client() ? m_client->acceptFileChooser(f->frame, button) : -1;
    }

    ProgramReach programReach(const std::vector<std::string>& processNames,
                              const std::string& application) override
    {
        if (runningPrograms({processNames.begin(), processNames.end()}).empty())
            return ProgramReach::NotRunning;
        if (!client())
            return ProgramReach::NoAccessibility;
        for (const Object& app : m_client->applications())
            if (m_client->processOf(app.service) != m_self &&
                matches(application, m_client->name(app)))
                return ProgramReach::Reachable;
        return ProgramReach::Unreached;
    }

private:
    static bool accessible(WindowHandle w) { return w & AccessibleBit; }

    atspi::Client* client()
    {
        if (!m_client && !m_clientTried) {
            m_clientTried = true;
            m_client = atspi::Client::open();
        }
        return m_client.get();
    }

    const Frame* frame(WindowHandle w) const
    {
        const auto it = m_frames.find(w);
        return it == m_frames.end() ? nullptr : &it->second;
    }

    WindowHandle handleFor(const Frame& f)
    {
        const auto it = m_handles.find(f.frame);
        if (it != m_handles.end())
            return it->second;
        const WindowHandle h = AccessibleBit | ++m_serial;
        m_handles.emplace(f.frame, h);
        m_frames.emplace(h, f);
        return h;
    }

    // Remembered once found (a window being built may not hold it yet).
    bool holds(const Object& window, const ControlQuery& c)
    {
        if (m_holding.count(window))
            return true;
        const bool found =
            m_client
                ->find(window,
                       [&](const Object& o, const QString& role) {
                           return matches(c.role, role) && matches(c.name, m_client->name(o));
                       })
                .has_value();
        if (found)
            m_holding.insert(window);
        return found;
    }

    WindowHandle accessibleWindow(const WindowQuery& q)
    {
        if (!client())
            return 0;
        const std::string role = q.accessibleRole.empty() ? "frame" : q.accessibleRole;
        std::vector<Candidate> found;
        const auto consider = [&](const Object& app, std::uint32_t pid, const Object& top,
                                  const Object& except) {
            if (top == except || !matches(role, m_client->role(top)))
                return;
            const QString title = m_client->name(top);
            if (!matches(q.title, title) || !matches(q.accessibleName, title) ||
                (wants(q.holds) && !holds(top, q.holds)))
                return;
            found.push_back(
                {handleFor({app, top, pid}), m_client->has(top, atspi::Active), title, pid});
        };
        if (q.owner) {
            // Its dialogs: windows of the same program.
            const Frame* owner = frame(q.owner);
            if (!owner)
                return 0;
            for (const Object& top : m_client->children(owner->app))
                consider(owner->app, owner->pid, top, owner->frame);
        } else {
            for (const Object& app : m_client->applications()) {
                // Not this program itself (it is on the bus too, and would
                // have to answer while it waits for the answer).
                const std::uint32_t pid = m_client->processOf(app.service);
                if (pid == m_self || !matches(q.application, m_client->name(app)))
                    continue;
                for (const Object& top : m_client->children(app))
                    consider(app, pid, top, {});
            }
        }
        return frontmost(found);
    }

    // The one the user had in front last: the active one, else the one the
    // compositor says had the focus (or was stacked) last, else the newest.
    WindowHandle frontmost(const std::vector<Candidate>& found)
    {
        if (found.empty())
            return 0;
        for (const Candidate& c : found)
            if (c.active)
                return c.handle;
        if (found.size() > 1) {
            const QList<QPair<std::uint32_t, QString>> order = recentFirst();
            for (const auto& [pid, title] : order)
                for (const Candidate& c : found)
                    if (c.pid == pid && sameTitle(title, c.title))
                        return c.handle;
        }
        return found.back().handle;
    }

    // KWin tells a second window of the same title apart by " <2>".
    static bool sameTitle(const QString& compositor, const QString& accessible)
    {
        return compositor == accessible ||
               (compositor.startsWith(accessible + QLatin1String(" <")) &&
                compositor.endsWith(QLatin1Char('>')));
    }

    // Windows as (process, title), the one last in front first.
    QList<QPair<std::uint32_t, QString>> recentFirst()
    {
        QList<QPair<std::uint32_t, QString>> out;
        if (m_sway) {
            QList<QJsonObject> views;
            byFocus(QJsonDocument::fromJson(QByteArray::fromStdString(m_sway->tree())).object(),
                    views);
            for (const QJsonObject& v : views)
                out.append({static_cast<std::uint32_t>(v.value(QLatin1String("pid")).toInteger()),
                            v.value(QLatin1String("name")).toString()});
        } else if (m_kwin) {
            for (const auto& w : m_kwin->stackingOrder())
                out.prepend({w.pid, w.caption});
        }
        return out;
    }

    int toFront(WindowHandle w)
    {
        const Frame* f = frame(w);
        if (!f || !client())
            return 0;
        const QString title = m_client->name(f->frame);
        if (m_sway) {
            QList<QJsonObject> views;
            byFocus(QJsonDocument::fromJson(QByteArray::fromStdString(m_sway->tree())).object(),
                    views);
            for (const QJsonObject& v : views)
                if (v.value(QLatin1String("pid")).toInteger() == f->pid &&
                    v.value(QLatin1String("name")).toString() == title)
                    return m_sway->run("[con_id=" +
                                       std::to_string(v.value(QLatin1String("id")).toInteger()) +
                                       "] focus")
                               ? 1
                               : 0;
            return 0;
        }
        if (m_kwin)
            return m_kwin->activate(f->pid, title) ? 1 : 0;
        return 0; // GNOME lets no program raise another's window
    }

    std::unique_ptr<WindowSystem> m_x11;
    std::unique_ptr<atspi::Client> m_client;
    bool m_clientTried = false;
    std::unique_ptr<sway::Ipc> m_sway;
    std::unique_ptr<kwin::Scripting> m_kwin;
    std::map<Object, WindowHandle> m_handles;
    std::map<WindowHandle, Frame> m_frames;
    std::set<Object> m_holding;
    std::set<WindowHandle> m_locationShown;
    const std::uint32_t m_self = static_cast<std::uint32_t>(::getpid());
    WindowHandle m_serial = 0;
};

} // namespace

bool inWaylandSession()
{
    const char* display = std::getenv("WAYLAND_DISPLAY");
    const char* type = std::getenv("XDG_SESSION_TYPE");
    return (display && *display) || (type && std::string(type) == "wayland");
}

std::unique_ptr<WindowSystem> openWaylandWindowSystem(std::unique_ptr<WindowSystem> x11)
{
    return std::make_unique<WaylandWindowSystem>(std::move(x11));
}

} // namespace automation
