#include "ScriptedControls.h"

#include <algorithm>

namespace automation {

namespace {

// The world's programs show every message in English.
bool isControl(const ScriptedControls::Control& c, const ControlQuery& q)
{
    return matchesPattern(q.role, c.role) &&
           (q.id.empty() ? matchesPattern(namePattern(q.name, q.domain), c.name)
                         : matchesPattern(q.id, c.id));
}

QString describe(const Result& r)
{
    switch (r.kind) {
    case Result::Kind::Done:
        return QStringLiteral("done");
    case Result::Kind::NotYet:
        return QStringLiteral("not yet");
    case Result::Kind::Failed:
        break;
    }
    return QStringLiteral("failed");
}

} // namespace

ControlledWindow ScriptedControls::open(Window w)
{
    const ControlledWindow id = m_next++;
    m_windows[id] = std::move(w);
    return id;
}

void ScriptedControls::close(ControlledWindow id)
{
    m_windows.erase(id);
}

ScriptedControls::Window* ScriptedControls::window(ControlledWindow id)
{
    const auto it = m_windows.find(id);
    return it == m_windows.end() ? nullptr : &it->second;
}

int ScriptedControls::count(const QString& prefix) const
{
    return static_cast<int>(std::count_if(log.begin(), log.end(),
                                          [&](const QString& l) { return l.startsWith(prefix); }));
}

bool ScriptedControls::matches(const Window& w, const AccessibleQuery& q) const
{
    const std::string role = q.role.empty() ? "frame" : q.role;
    if (!matchesPattern(role, w.role) || !matchesPattern(namePattern(q.name, q.domain), w.name) ||
        !matchesPattern(q.title, w.name))
        return false;
    if (q.holds.role.empty() && q.holds.name.empty() && q.holds.id.empty())
        return true;
    return std::any_of(w.controls.begin(), w.controls.end(),
                       [&](const Control& c) { return isControl(c, q.holds); });
}

// As on the bus: the active one, else the one the compositor names first,
// else the newest.
ControlledWindow ScriptedControls::pick(const std::vector<ControlledWindow>& found) const
{
    if (found.empty())
        return 0;
    for (const ControlledWindow id : found)
        if (m_windows.at(id).active)
            return id;
    for (const WindowOrigin& o : recentFirst)
        for (const ControlledWindow id : found)
            if (m_windows.at(id).pid == o.pid && m_windows.at(id).name == o.title)
                return id;
    return found.back();
}

std::vector<ControlledWindow> ScriptedControls::findWindows(const AccessibleQuery& query)
{
    std::vector<ControlledWindow> found;
    if (native)
        for (const auto& [id, w] : m_windows)
            if (matchesPattern(query.application, w.application) && matches(w, query))
                found.push_back(id);
    return found;
}

ControlledWindow ScriptedControls::findWindow(const AccessibleQuery& query)
{
    const ControlledWindow id = pick(findWindows(query));
    log << QStringLiteral("FindWindow(%1, %2) = %3")
               .arg(QString::fromStdString(query.application), QString::fromStdString(query.name))
               .arg(id);
    return id;
}

ControlledWindow ScriptedControls::findDialog(ControlledWindow owner, const AccessibleQuery& query)
{
    const Window* o = window(owner);
    std::vector<ControlledWindow> found;
    if (o)
        for (const auto& [id, w] : m_windows)
            if (id != owner && w.application == o->application && w.pid == o->pid &&
                matches(w, query))
                found.push_back(id);
    return pick(found);
}

ControlledWindow ScriptedControls::windowOf(const WindowOrigin& origin, const std::string& role)
{
    for (const auto& [id, w] : m_windows)
        if (w.pid == origin.pid && w.name == origin.title && w.role == role)
            return id;
    return 0;
}

std::optional<WindowOrigin> ScriptedControls::originOf(ControlledWindow id)
{
    if (const Window* w = window(id))
        return WindowOrigin{w->pid, w->name};
    return std::nullopt;
}

bool ScriptedControls::isOpen(ControlledWindow id)
{
    return window(id) != nullptr;
}

bool ScriptedControls::raise(ControlledWindow id)
{
    raised.push_back(id);
    return window(id) != nullptr;
}

Result ScriptedControls::workControl(ControlledWindow id, const ControlQuery& query)
{
    Result r = Result::failed("no such window");
    std::function<void()> action;
    if (Window* w = window(id)) {
        r = Result::notYet("no such control");
        for (const Control& c : w->controls)
            if (isControl(c, query) && c.action == query.action) {
                r = Result::done();
                action = c.onAction;
                break;
            }
    }
    log << QStringLiteral("WorkControl(%1, %2 %3) = %4")
               .arg(id)
               .arg(QString::fromStdString(query.role), QString::fromStdString(query.shown()),
                    describe(r));
    // Last: the action may open or close windows.
    if (action)
        action();
    return r;
}

Result ScriptedControls::enterFileName(ControlledWindow id, const std::string& path)
{
    Result r = Result::failed("no such window");
    if (Window* w = window(id)) {
        w->locationShown = true;
        w->location = path;
        r = Result::done();
    }
    log << QStringLiteral("EnterFileName(%1) = %2").arg(id).arg(describe(r));
    return r;
}

Result ScriptedControls::chooseTypedFile(ControlledWindow id)
{
    Result r = Result::failed("no such window");
    if (Window* w = window(id)) {
        r = w->locationShown ? Result::done() : Result::notYet("no location field");
        if (r.isDone() && w->greyedUntilChosen)
            w->greyed = false;
    }
    log << QStringLiteral("ChooseTypedFile(%1) = %2").arg(id).arg(describe(r));
    return r;
}

Result ScriptedControls::acceptFileChooser(ControlledWindow id, const ControlQuery&)
{
    Result r = Result::failed("no such window");
    std::function<void(const std::string&)> accept;
    std::string path;
    if (Window* w = window(id)) {
        if (w->greyed) {
            r = Result::notYet("greyed");
        } else {
            r = Result::done();
            accept = w->onAccept;
            path = w->location;
        }
    }
    log << QStringLiteral("AcceptFileChooser(%1) = %2").arg(id).arg(describe(r));
    if (accept)
        accept(path);
    return r;
}

ProgramReach ScriptedControls::programReach(const std::vector<std::string>&,
                                            const std::string& application)
{
    const auto it = reach.find(application);
    return it == reach.end() ? ProgramReach::NotRunning : it->second;
}

} // namespace automation
