#include "ScriptedAutomation.h"

#include <algorithm>

namespace automation {

namespace {

QString q(const std::string& s)
{
    return QString::fromStdString(s);
}

} // namespace

WindowHandle ScriptedWindowSystem::open(const std::string& title, bool dialog, WindowHandle owner)
{
    const WindowHandle id = m_next++;
    Window w;
    w.id = id;
    w.title = title;
    w.dialog = dialog;
    w.owner = owner;
    m_windows[id] = std::move(w);
    m_stack.push_back(id);
    m_foreground = id; // a new window takes the front, as a started program's does
    return id;
}

void ScriptedWindowSystem::close(WindowHandle id)
{
    auto it = m_windows.find(id);
    if (it == m_windows.end())
        return;
    const WindowHandle owner = it->second.owner;
    m_windows.erase(it);
    std::erase(m_stack, id);
    if (m_foreground == id)
        m_foreground = (owner && m_windows.count(owner)) ? owner : 0;
}

ScriptedWindowSystem::Window* ScriptedWindowSystem::window(WindowHandle id)
{
    auto it = m_windows.find(id);
    return it == m_windows.end() ? nullptr : &it->second;
}

ScriptedWindowSystem::Window* ScriptedWindowSystem::window(const std::string& title)
{
    for (auto it = m_stack.rbegin(); it != m_stack.rend(); ++it)
        if (m_windows[*it].title == title)
            return &m_windows[*it];
    return nullptr;
}

void ScriptedWindowSystem::minimize(WindowHandle id)
{
    if (Window* w = window(id)) {
        w->minimized = true;
        if (m_foreground == id)
            m_foreground = 0;
    }
}

QStringList ScriptedWindowSystem::sends() const
{
    QStringList out;
    for (const QString& line : log)
        if (line.startsWith(QLatin1String("Keys(")))
            out << line.mid(5, line.size() - 6);
    return out;
}

int ScriptedWindowSystem::count(const QString& prefix) const
{
    return static_cast<int>(std::count_if(log.begin(), log.end(),
                                          [&](const QString& l) { return l.startsWith(prefix); }));
}

WindowHandle ScriptedWindowSystem::findTopWindow(WindowClass cls, const std::string& title)
{
    WindowHandle found = 0;
    for (auto it = m_stack.rbegin(); it != m_stack.rend() && !found; ++it) {
        const Window& w = m_windows[*it];
        if (w.shown && w.title == title && (cls == WindowClass::Any || w.dialog))
            found = w.id;
    }
    log << QStringLiteral("FindTopWindow(%1%2) = %3")
               .arg(cls == WindowClass::Dialog ? QStringLiteral("#32770, ") : QString(), q(title))
               .arg(found);
    return found;
}

std::optional<WindowHandle> ScriptedWindowSystem::findWindow(const WindowQuery& query)
{
    WindowHandle found = 0;
    for (auto it = m_stack.rbegin(); it != m_stack.rend() && !found; ++it) {
        const Window& w = m_windows[*it];
        if (w.shown && matchesPattern(query.instance, w.instance) &&
            matchesPattern(query.className, w.className) && matchesPattern(query.role, w.role) &&
            matchesPattern(query.title, w.title) &&
            (query.owner == 0 || (w.dialog && w.owner == query.owner)))
            found = w.id;
    }
    QString what = q(query.instance) + u'/' + q(query.className);
    if (!query.role.empty())
        what += QStringLiteral(", role ") + q(query.role);
    if (!query.title.empty())
        what += QStringLiteral(", title ") + q(query.title);
    if (query.owner)
        what += QStringLiteral(", owner %1").arg(query.owner);
    log << QStringLiteral("FindWindow(%1) = %2").arg(what).arg(found);
    return found;
}

Result ScriptedWindowSystem::bringToFront(WindowHandle id)
{
    Window* w = window(id);
    Result result = !w || !w->shown    ? Result::failed("no such window shown")
                    : !w->acceptsFront ? Result::notYet("the window refuses the front")
                                       : Result::done();
    if (result.isDone()) {
        w->minimized = false;
        m_foreground = id;
        m_programHasKeyboard = false;
        std::erase(m_stack, id);
        m_stack.push_back(id);
    }
    log << QStringLiteral("BringToFront(%1) = %2").arg(id).arg(result.isDone() ? 1 : 0);
    return result;
}

bool ScriptedWindowSystem::isWindowShown(WindowHandle id)
{
    const Window* w = window(id);
    const bool result = w && w->shown;
    log << QStringLiteral("IsWindowShown(%1) = %2").arg(id).arg(result ? 1 : 0);
    return result;
}

bool ScriptedWindowSystem::isMinimized(WindowHandle id)
{
    const Window* w = window(id);
    const bool result = w && w->minimized;
    log << QStringLiteral("IsMinimized(%1) = %2").arg(id).arg(result ? 1 : 0);
    return result;
}

void ScriptedWindowSystem::restoreWindow(WindowHandle id)
{
    if (Window* w = window(id))
        w->minimized = false;
    log << QStringLiteral("RestoreWindow(%1)").arg(id);
}

bool ScriptedWindowSystem::activateByTitle(const std::string& title)
{
    WindowHandle found = 0;
    for (auto it = m_stack.rbegin(); it != m_stack.rend() && !found; ++it)
        if (m_windows[*it].title == title)
            found = *it;
    for (auto it = m_stack.rbegin(); it != m_stack.rend() && !found; ++it)
        if (m_windows[*it].title.starts_with(title))
            found = *it;
    if (found) {
        m_foreground = found;
        m_programHasKeyboard = false;
    }
    log << QStringLiteral("ActivateByTitle(%1) = %2").arg(q(title)).arg(found ? 1 : 0);
    return found != 0;
}

bool ScriptedWindowSystem::sendKeys(const std::vector<KeyStroke>& keys)
{
    log << QStringLiteral("Keys(%1)").arg(q(describeKeys(keys)));
    for (const KeyStroke& k : keys) {
        // A handler may open or close windows, so look the front window up for every key.
        Window* w = window(m_foreground);
        if (!w || w->keyboardAfterLooks > 0)
            continue;
        if (w->dropsKeys > 0) {
            --w->dropsKeys;
            continue;
        }
        w->received.push_back(k);
        if (w->onKey) {
            auto handler = w->onKey; // the window may close inside its handler
            handler(k);
        }
    }
    return true;
}

bool ScriptedWindowSystem::keyboardIn(const std::vector<WindowHandle>& windows)
{
    return m_programHasKeyboard && !windows.empty();
}

bool ScriptedWindowSystem::holdsKeyboard(WindowHandle id)
{
    // One of the program's own windows taking the keyboard is the concern of
    // the key sends themselves (they take it back or refuse).
    Window* w = id == m_foreground ? window(id) : nullptr;
    bool holds = w != nullptr;
    if (w && w->keyboardAfterLooks > 0) {
        --w->keyboardAfterLooks;
        holds = false;
    }
    return holds;
}

std::optional<WindowOrigin> ScriptedWindowSystem::originOf(WindowHandle id)
{
    const Window* w = window(id);
    if (!w || !w->pid)
        return std::nullopt;
    return WindowOrigin{w->pid, w->title};
}

ScriptedAutomation::ScriptedAutomation()
    : Automation(std::make_unique<ScriptedWindowSystem>(), std::make_unique<ScriptedControls>())
{
}

ScriptedControls& ScriptedAutomation::controlsWorld()
{
    return static_cast<ScriptedControls&>(*controls());
}

ScriptedWindowSystem& ScriptedAutomation::world()
{
    return static_cast<ScriptedWindowSystem&>(backend());
}

ScriptedAutomation& ScriptedAutomation::installNew()
{
    auto a = std::make_unique<ScriptedAutomation>();
    auto* raw = a.get();
    Automation::install(std::move(a));
    return *raw;
}

qint64 ScriptedAutomation::StartProgram(const QString& fileName)
{
    startedPrograms << fileName;
    const qint64 pid = onStartProgram ? onStartProgram(fileName) : 0;
    world().log << QStringLiteral("StartProgram(%1) = %2").arg(fileName).arg(pid);
    return pid;
}

bool ScriptedAutomation::OpenDocument(QWidget*, const QString& file, const QString& folder)
{
    openedDocuments << file;
    world().log << QStringLiteral("OpenDocument(%1, %2)").arg(file, folder);
    return true;
}

void ScriptedAutomation::ShowMessage(const QString& text)
{
    messages << text;
    world().log << QStringLiteral("ShowMessage(%1)").arg(text);
    if (onMessage)
        onMessage(text);
}

void ScriptedAutomation::beforePass()
{
    ++passes;
    if (onPass)
        onPass();
}

} // namespace automation
