#include "AccessibleControls.h"

#include "AtSpi.h"
#include "Catalogues.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <unistd.h>

#include <algorithm>
#include <map>
#include <set>
#include <tuple>

namespace automation {

namespace {

using atspi::Object;
using atspi::Route;

// The keys that show a GTK file chooser's location field (Ctrl+L).
constexpr std::uint32_t ControlKeysym = 0xffe3;
constexpr std::uint32_t LKeysym = 0x6c;
constexpr std::uint32_t ReturnKeysym = 0xff0d;

struct Frame
{
    Object app;
    Object frame;
    std::uint32_t pid = 0;
};

struct Candidate
{
    ControlledWindow handle;
    bool active;
    std::string title;
    std::uint32_t pid;
};

bool matches(const std::string& pattern, const QString& text)
{
    return matchesPattern(pattern, text.toStdString());
}

bool wants(const ControlQuery& c)
{
    return !c.role.empty() || !c.name.empty() || !c.id.empty();
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

class AccessibleControls : public Controls
{
public:
    AccessibleControls(bool nativeWindows, std::shared_ptr<Compositor> compositor)
        : m_native(nativeWindows), m_compositor(std::move(compositor))
    {
    }

    bool findsNativeWindows() const override { return m_native; }

    ControlledWindow findWindow(const AccessibleQuery& q) override
    {
        return frontmost(candidates(q));
    }

    std::vector<ControlledWindow> findWindows(const AccessibleQuery& q) override
    {
        std::vector<ControlledWindow> all;
        for (const Candidate& c : candidates(q))
            all.push_back(c.handle);
        return all;
    }

    ControlledWindow findDialog(ControlledWindow ownerHandle, const AccessibleQuery& q) override
    {
        const Frame* owner = frame(ownerHandle);
        if (!owner || !client())
            return 0;
        std::vector<Candidate> found;
        for (const Object& top : m_client->children(owner->app))
            if (top != owner->frame)
                consider(q, {owner->app, top, owner->pid}, found);
        return frontmost(found);
    }

    ControlledWindow windowOf(const WindowOrigin& origin, const std::string& role) override
    {
        if (!origin.pid || !client())
            return 0;
        Object app;
        const auto top = m_client->windowOf(origin.pid, QString::fromStdString(role),
                                            QString::fromStdString(origin.title), &app);
        return top ? handleFor({app, *top, origin.pid}) : 0;
    }

    std::optional<WindowOrigin> originOf(ControlledWindow w) override
    {
        if (const WindowOrigin* o = shownOnly(w))
            return *o;
        const Frame* f = frame(w);
        if (!f || !client())
            return std::nullopt;
        return WindowOrigin{f->pid, m_client->name(f->frame).toStdString()};
    }

    bool isOpen(ControlledWindow w) override
    {
        if (const WindowOrigin* o = shownOnly(w)) {
            const std::vector<ShownWindow> all = m_compositor->windows();
            return std::any_of(all.begin(), all.end(),
                               [&](const ShownWindow& s) { return s.origin == *o; });
        }
        const Frame* f = frame(w);
        return f && client() && m_client->children(f->app).contains(f->frame);
    }

    bool raise(ControlledWindow w) override
    {
        const auto origin = originOf(w);
        return origin && m_compositor && m_compositor->raise(*origin);
    }

    Result workControl(ControlledWindow w, const ControlQuery& c) override
    {
        if (shownOnly(w))
            return Result::failed("the window is reached by keys only");
        const Frame* f = frame(w);
        if (!f || !client())
            return Result::failed("the window is not on the accessibility bus");
        const QString action = QString::fromStdString(c.action);
        const std::string name = shownName(c.name, c.domain, f->pid);
        const auto test = [&](const Object& o, const QString& role) {
            return isControl(o, role, c, name) && m_client->actions(o).contains(action);
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
        if (!found)
            return Result::notYet("no control \"" + c.shown() + "\" (yet)");
        // On the bus: the program answers the action first and may then run
        // a dialog that holds its bus connection until it closes.
        return m_client->doAction(*found, action, Route::Bus)
                   ? Result::done()
                   : Result::notYet("the control \"" + c.shown() + "\" refused");
    }

    Result enterFileName(ControlledWindow chooser, const std::string& path) override
    {
        if (const WindowOrigin* o = shownOnly(chooser)) {
            // Once: what is typed cannot be read back.
            if (m_locationShown.count(chooser))
                return Result::done();
            if (const Result r = keysReach(*o); !r.isDone())
                return r;
            std::vector<std::uint32_t> keysyms;
            for (const char c : typedFileAddress(path))
                keysyms.push_back(static_cast<unsigned char>(c)); // ASCII: its own keysym
            if (!m_compositor->pressEach(keysyms))
                return Result::failed("the keyboard's layout in use has no keys for a file's "
                                      "address");
            m_locationShown.insert(chooser);
            return Result::done();
        }
        const Frame* f = frame(chooser);
        if (!f || !client())
            return Result::failed("the file chooser is not on the accessibility bus");
        auto field = m_client->locationField(f->frame);
        if (!field && !m_locationShown.count(chooser)) {
            // Its own command, else its key (GTK 4 offers no command) where
            // the compositor takes keys, once the chooser holds the keyboard:
            // the field then shows, and takes the focus, a moment later.
            // A chooser with neither is asked once, not on every poll.
            if (m_client->showLocation(f->frame)) {
                m_locationShown.insert(chooser);
                field = m_client->locationField(f->frame);
            } else if (!m_compositor || !m_compositor->takesKeys()) {
                m_locationShown.insert(chooser);
            } else if (m_client->holdsFocus(f->frame) &&
                       m_compositor->pressTogether({ControlKeysym, LKeysym})) {
                m_locationShown.insert(chooser);
            }
        }
        const QString text = QString::fromStdString(path);
        return field && m_client->setText(*field, text) && m_client->text(*field) == text
                   ? Result::done()
                   : Result::notYet("the file chooser shows no location field (yet)");
    }

    Result acceptFileChooser(ControlledWindow chooser, const ControlQuery& button) override
    {
        if (const WindowOrigin* o = shownOnly(chooser)) {
            if (const Result r = keysReach(*o); !r.isDone())
                return r;
            return m_compositor->pressTogether({ReturnKeysym})
                       ? Result::done()
                       : Result::notYet("the compositor did not take the key");
        }
        const Frame* f = frame(chooser);
        if (!f || !client())
            return Result::failed("the file chooser is not on the accessibility bus");
        ControlQuery shown = button;
        shown.name = shownName(button.name, button.domain, f->pid);
        switch (m_client->acceptFileChooser(f->frame, shown)) {
        case 1:
            return Result::done();
        case 0:
            return Result::notYet("its button is greyed");
        default:
            return Result::failed("the file chooser has no button to take the file");
        }
    }

    Result chooseTypedFile(ControlledWindow chooser) override
    {
        if (shownOnly(chooser))
            return Result::failed("the file chooser is reached by keys only");
        const Frame* f = frame(chooser);
        if (!f || !client())
            return Result::failed("the file chooser is not on the accessibility bus");
        if (!m_compositor || !m_compositor->takesKeys())
            return Result::failed("no keys can be pressed into the file chooser here");
        const auto field = m_client->locationField(f->frame);
        if (!field || !m_client->has(*field, atspi::Focused) || !m_client->holdsFocus(f->frame))
            return Result::notYet("the file chooser's location field does not hold the keyboard");
        return m_compositor->pressTogether({ReturnKeysym})
                   ? Result::done()
                   : Result::notYet("the compositor did not take the key");
    }

    ProgramReach programReach(const std::vector<std::string>& processNames,
                              const std::string& application) override
    {
        if (!m_native)
            return ProgramReach::NotApplicable;
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
    atspi::Client* client()
    {
        if (!m_client && !m_clientTried) {
            m_clientTried = true;
            m_client = atspi::Client::open();
        }
        return m_client.get();
    }

    const Frame* frame(ControlledWindow w) const
    {
        const auto it = m_frames.find(w);
        return it == m_frames.end() ? nullptr : &it->second;
    }

    const WindowOrigin* shownOnly(ControlledWindow w) const
    {
        const auto it = m_shownOnly.find(w);
        return it == m_shownOnly.end() ? nullptr : &it->second;
    }

    // Keys reach a window the compositor alone shows while it holds the
    // keyboard, where the compositor takes keys.
    Result keysReach(const WindowOrigin& window)
    {
        if (!m_compositor->takesKeys())
            return Result::failed("no keys can be pressed into the file chooser here");
        for (const ShownWindow& w : m_compositor->windows())
            if (w.origin == window && w.active)
                return Result::done();
        return Result::notYet("the file chooser does not hold the keyboard (yet)");
    }

    // The compositor's windows of the query's class whose programs are not
    // among those found on the bus.
    void considerShown(const AccessibleQuery& q, std::vector<Candidate>& found)
    {
        if (q.windowClass.empty() || !m_compositor)
            return;
        std::set<std::uint32_t> onBus;
        for (const Candidate& c : found)
            onBus.insert(c.pid);
        for (const ShownWindow& w : m_compositor->windows()) {
            const QString caption = QString::fromStdString(w.origin.title);
            if (onBus.count(w.origin.pid) ||
                !matches(q.windowClass, QString::fromStdString(w.programClass)) ||
                !matches(q.title, caption))
                continue;
            auto it = std::find_if(m_shownOnly.begin(), m_shownOnly.end(),
                                   [&](const auto& known) { return known.second == w.origin; });
            if (it == m_shownOnly.end())
                it = m_shownOnly.emplace(++m_serial, w.origin).first;
            found.push_back({it->first, w.active, w.origin.title, w.origin.pid});
        }
    }

    ControlledWindow handleFor(const Frame& f)
    {
        const auto it = m_handles.find(f.frame);
        if (it != m_handles.end())
            return it->second;
        const ControlledWindow h = ++m_serial;
        m_handles.emplace(f.frame, h);
        m_frames.emplace(h, f);
        return h;
    }

    // The pattern a name is matched with in the windows of that process: in
    // its user's language where it is a message of its catalogue.
    std::string shownName(const std::string& name, const std::string& domain, std::uint32_t pid)
    {
        if (domain.empty())
            return name;
        auto& known = m_shownNames[{pid, domain, name}];
        if (known.empty()) {
            const std::vector<std::string> languages = atspi::languagesOf(pid);
            known = namePattern(name, domain, [&](const std::string& d, const std::string& m) {
                return atspi::translation(d, m, languages);
            });
        }
        return known;
    }

    // By its own identifier where the query gives one, else by its name.
    bool isControl(const Object& o, const QString& role, const ControlQuery& c,
                   const std::string& name)
    {
        if (!matches(c.role, role))
            return false;
        return c.id.empty() ? matches(name, m_client->name(o))
                            : matches(c.id, m_client->attribute(o, QStringLiteral("id")));
    }

    // Remembered once found (a window being built may not hold it yet).
    bool holds(const Object& window, std::uint32_t pid, const ControlQuery& c, bool atTop)
    {
        if (m_holding.count(window))
            return true;
        const std::string name = shownName(c.name, c.domain, pid);
        const auto test = [&](const Object& o, const QString& role) {
            return isControl(o, role, c, name);
        };
        bool found = false;
        if (atTop) {
            for (const Object& child : m_client->children(window))
                if ((found = test(child, m_client->role(child))))
                    break;
        } else {
            found = m_client->find(window, test).has_value();
        }
        if (found)
            m_holding.insert(window);
        return found;
    }

    // The native windows the query matches.
    std::vector<Candidate> candidates(const AccessibleQuery& q)
    {
        std::vector<Candidate> found;
        if (!m_native || q.empty())
            return found;
        for (const Object& app : client() ? m_client->applications() : QList<Object>{}) {
            // Not this program itself (it is on the bus too, and would have
            // to answer while it waits for the answer).
            const std::uint32_t pid = m_client->processOf(app.service);
            if (pid == m_self || !matches(q.application, m_client->name(app)))
                continue;
            for (const Object& top : m_client->children(app))
                consider(q, {app, top, pid}, found);
        }
        considerShown(q, found);
        return found;
    }

    void consider(const AccessibleQuery& q, const Frame& f, std::vector<Candidate>& found)
    {
        const std::string role = q.role.empty() ? "frame" : q.role;
        if (!matches(role, m_client->role(f.frame)))
            return;
        const QString title = m_client->name(f.frame);
        if (!matches(q.title, title) || !matches(shownName(q.name, q.domain, f.pid), title) ||
            (wants(q.holds) && !holds(f.frame, f.pid, q.holds, q.holdsAtTop)))
            return;
        found.push_back(
            {handleFor(f), m_client->has(f.frame, atspi::Active), title.toStdString(), f.pid});
    }

    // The one the user had in front last: the active one, else the one the
    // compositor says had the focus (or was stacked) last, else the newest.
    ControlledWindow frontmost(const std::vector<Candidate>& found)
    {
        if (found.empty())
            return 0;
        for (const Candidate& c : found)
            if (c.active)
                return c.handle;
        if (found.size() > 1 && m_compositor)
            for (const WindowOrigin& w : m_compositor->recentFirst())
                for (const Candidate& c : found)
                    if (c.pid == w.pid && c.title == w.title)
                        return c.handle;
        return found.back().handle;
    }

    const bool m_native;
    std::shared_ptr<Compositor> m_compositor;
    std::unique_ptr<atspi::Client> m_client;
    bool m_clientTried = false;
    std::map<Object, ControlledWindow> m_handles;
    std::map<ControlledWindow, Frame> m_frames;
    std::set<Object> m_holding;
    std::map<std::tuple<std::uint32_t, std::string, std::string>, std::string> m_shownNames;
    // Where a chooser's location field has been asked for (or, reached by
    // keys only, its path typed).
    std::set<ControlledWindow> m_locationShown;
    std::map<ControlledWindow, WindowOrigin> m_shownOnly;
    const std::uint32_t m_self = static_cast<std::uint32_t>(::getpid());
    ControlledWindow m_serial = 0;
};

} // namespace

std::unique_ptr<Controls> openAccessibleControls(bool nativeWindows,
                                                 std::shared_ptr<Compositor> compositor)
{
    return std::make_unique<AccessibleControls>(nativeWindows, std::move(compositor));
}

} // namespace automation
