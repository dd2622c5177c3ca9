#include "Compositor.h"

#include "kwin/FakeInput.h"
#include "kwin/KWinScript.h"
#include "mutter/RemoteDesktop.h"
#include "sway/SwayIpc.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>

namespace automation {

namespace {

// sway: its layout tree names every window's process and title; the windows
// in the order they last had the focus (every container lists its children
// by focus in "focus"), most recent first.
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

WindowOrigin originOf(const QJsonObject& view)
{
    return {static_cast<std::uint32_t>(view.value(QLatin1String("pid")).toInteger()),
            view.value(QLatin1String("name")).toString().toStdString()};
}

class SwayCompositor : public Compositor
{
public:
    explicit SwayCompositor(std::unique_ptr<sway::Ipc> ipc) : m_ipc(std::move(ipc)) {}

    std::vector<WindowOrigin> recentFirst() override
    {
        std::vector<WindowOrigin> out;
        for (const QJsonObject& v : views())
            out.push_back(originOf(v));
        return out;
    }

    bool raise(const WindowOrigin& window) override
    {
        for (const QJsonObject& v : views())
            if (originOf(v) == window &&
                m_ipc->run("[con_id=" + std::to_string(v.value(QLatin1String("id")).toInteger()) +
                           "] focus"))
                return true;
        qWarning("sway did not bring \"%s\" (process %u) to the front", window.title.c_str(),
                 window.pid);
        return false;
    }

    // sway only marks an X11 window urgent when its program asks for it; its
    // own command focuses it (sway knows an X11 window by its id).
    bool raiseX11Window(WindowHandle window) override
    {
        return m_ipc->run("[id=" + std::to_string(window) + "] focus");
    }

private:
    QList<QJsonObject> views()
    {
        QList<QJsonObject> out;
        byFocus(QJsonDocument::fromJson(QByteArray::fromStdString(m_ipc->tree())).object(), out);
        return out;
    }

    std::unique_ptr<sway::Ipc> m_ipc;
};

class KWinCompositor : public Compositor
{
public:
    KWinCompositor(std::unique_ptr<kwin::Scripting> scripting,
                   std::unique_ptr<kwin::FakeInput> input)
        : m_kwin(std::move(scripting)), m_input(std::move(input))
    {
    }

    std::vector<WindowOrigin> recentFirst() override
    {
        std::vector<WindowOrigin> out;
        for (const ShownWindow& w : windows())
            out.insert(out.begin(), w.origin);
        return out;
    }

    // Bottom to top.
    std::vector<ShownWindow> windows() override
    {
        // KWin tells a second window of the same title apart by " <2>".
        std::vector<ShownWindow> out;
        for (const kwin::Window& w : m_kwin->stackingOrder()) {
            QString caption = w.caption;
            const qsizetype mark = caption.lastIndexOf(QLatin1String(" <"));
            bool numbered = false;
            if (mark > 0 && caption.endsWith(QLatin1Char('>')))
                caption.mid(mark + 2, caption.size() - mark - 3).toUInt(&numbered);
            if (numbered)
                caption.truncate(mark);
            out.push_back(
                {{w.pid, caption.toStdString()}, w.resourceClass.toStdString(), w.active});
        }
        return out;
    }

    bool takesKeys() const override { return m_input != nullptr; }
    bool pressTogether(const std::vector<std::uint32_t>& keysyms) override
    {
        return m_input && m_input->pressTogether(keysyms);
    }
    bool pressEach(const std::vector<std::uint32_t>& keysyms) override
    {
        return m_input && m_input->pressEach(keysyms);
    }

    bool raise(const WindowOrigin& window) override
    {
        if (m_kwin->activate(window.pid, QString::fromStdString(window.title)))
            return true;
        qWarning("KWin did not bring \"%s\" (process %u) to the front", window.title.c_str(),
                 window.pid);
        return false;
    }

private:
    std::unique_ptr<kwin::Scripting> m_kwin;
    std::unique_ptr<kwin::FakeInput> m_input;
};

// GNOME tells nothing of its windows and brings none forward for another
// program; it takes keys.
class MutterCompositor : public Compositor
{
public:
    explicit MutterCompositor(std::unique_ptr<mutter::RemoteDesktop> input)
        : m_input(std::move(input))
    {
    }

    std::vector<WindowOrigin> recentFirst() override { return {}; }
    bool raise(const WindowOrigin&) override { return false; }
    bool takesKeys() const override { return true; }
    bool pressTogether(const std::vector<std::uint32_t>& keysyms) override
    {
        return m_input->pressTogether(keysyms);
    }

private:
    std::unique_ptr<mutter::RemoteDesktop> m_input;
};

} // namespace

std::unique_ptr<Compositor> compositorFromEnvironment()
{
    if (auto ipc = sway::Ipc::fromEnvironment())
        return std::make_unique<SwayCompositor>(std::move(ipc));
    if (auto scripting = kwin::Scripting::fromEnvironment())
        return std::make_unique<KWinCompositor>(std::move(scripting),
                                                kwin::FakeInput::fromEnvironment());
    if (auto input = mutter::RemoteDesktop::fromEnvironment())
        return std::make_unique<MutterCompositor>(std::move(input));
    return nullptr;
}

} // namespace automation
