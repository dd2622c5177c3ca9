#include "AtSpi.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>

namespace automation::atspi {

namespace {

const QString Prefix = QStringLiteral("org.a11y.atspi.");
const QString Properties = QStringLiteral("org.freedesktop.DBus.Properties");
const QString RootPath = QStringLiteral("/org/a11y/atspi/accessible/root");

// A walk looks at this many objects at most: a window's controls are a few
// hundred; what is beyond is content.
constexpr int WalkBudget = 3000;

bool ok(const QDBusMessage& reply)
{
    return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty();
}

QVariant first(const QDBusMessage& reply)
{
    return ok(reply) ? reply.arguments().constFirst() : QVariant();
}

QDBusMessage sessionCall(const QString& interface, const QString& method, const QVariantList& args)
{
    QDBusMessage m = QDBusMessage::createMethodCall(
        QStringLiteral("org.a11y.Bus"), QStringLiteral("/org/a11y/bus"), interface, method);
    m.setArguments(args);
    return QDBusConnection::sessionBus().call(m, QDBus::Block, CallLimitMs);
}

// Values arrive either demarshalled or as a QDBusArgument, depending on type.
QVariant unwrap(const QVariant& v)
{
    return v.canConvert<QDBusVariant>() ? v.value<QDBusVariant>().variant() : v;
}

// A list of (bus name, object path): an object's children, the applications.
QList<Object> objects(const QVariant& v)
{
    QList<Object> out;
    if (!v.canConvert<QDBusArgument>())
        return out;
    const QDBusArgument arg = v.value<QDBusArgument>();
    arg.beginArray();
    while (!arg.atEnd()) {
        QString service;
        QDBusObjectPath path;
        arg.beginStructure();
        arg >> service >> path;
        arg.endStructure();
        out.append({service, path.path()});
    }
    arg.endArray();
    return out;
}

} // namespace

std::unique_ptr<Client> Client::open()
{
    if (!QDBusConnection::sessionBus().isConnected())
        return nullptr;
    const QString address =
        first(sessionCall(QStringLiteral("org.a11y.Bus"), QStringLiteral("GetAddress"), {}))
            .toString();
    if (address.isEmpty())
        return nullptr;
    std::unique_ptr<Client> client(new Client(address));
    if (!QDBusConnection(client->m_busName).isConnected())
        return nullptr;
    return client;
}

std::optional<bool> Client::enableForNewPrograms()
{
    const QString status = QStringLiteral("org.a11y.Status");
    const QString enabled = QStringLiteral("IsEnabled");
    const QDBusMessage was = sessionCall(Properties, QStringLiteral("Get"), {status, enabled});
    if (!ok(was))
        return std::nullopt;
    const bool on = unwrap(first(was)).toBool();
    if (!on)
        sessionCall(Properties, QStringLiteral("Set"),
                    {status, enabled, QVariant::fromValue(QDBusVariant(true))});
    return on;
}

Client::Client(const QString& address)
{
    static int clients = 0;
    m_busName = QStringLiteral("tindrel-a11y-%1").arg(++clients);
    QDBusConnection::connectToBus(address, m_busName);
}

Client::~Client()
{
    for (const auto& [service, peer] : m_peers)
        if (!peer.isEmpty())
            QDBusConnection::disconnectFromPeer(peer);
    QDBusConnection::disconnectFromBus(m_busName);
}

QDBusConnection Client::connectionFor(const QString& service, Route route)
{
    if (route == Route::Bus)
        return QDBusConnection(m_busName);
    auto it = m_peers.find(service);
    if (it == m_peers.end()) {
        // Asked once per program, on the bus.
        QDBusMessage m = QDBusMessage::createMethodCall(service, RootPath,
                                                        Prefix + QStringLiteral("Application"),
                                                        QStringLiteral("GetApplicationBusAddress"));
        const QString address =
            first(QDBusConnection(m_busName).call(m, QDBus::Block, CallLimitMs)).toString();
        QString peer;
        if (!address.isEmpty()) {
            peer = QStringLiteral("%1-peer-%2").arg(m_busName).arg(++m_serial);
            if (!QDBusConnection::connectToPeer(address, peer).isConnected()) {
                QDBusConnection::disconnectFromPeer(peer);
                peer.clear();
            }
        }
        it = m_peers.emplace(service, peer).first;
    }
    if (!it->second.isEmpty()) {
        QDBusConnection peer(it->second);
        if (peer.isConnected())
            return peer;
        // The program has gone (or restarted under the same name): ask again next time.
        QDBusConnection::disconnectFromPeer(it->second);
        m_peers.erase(it);
    }
    return QDBusConnection(m_busName);
}

QDBusMessage Client::call(const Object& o, const QString& interface, const QString& method,
                          const QVariantList& args, Route route)
{
    QDBusConnection connection = connectionFor(o.service, route);
    // On a peer connection there is no bus to route by name.
    const bool peer = connection.name() != m_busName;
    QDBusMessage m =
        QDBusMessage::createMethodCall(peer ? QString() : o.service, o.path, interface, method);
    m.setArguments(args);
    return connection.call(m, QDBus::Block, CallLimitMs);
}

QVariant Client::property(const Object& o, const QString& interface, const QString& name)
{
    return unwrap(first(call(o, Properties, QStringLiteral("Get"), {Prefix + interface, name})));
}

QList<Object> Client::applications()
{
    QDBusMessage m = QDBusMessage::createMethodCall(QStringLiteral("org.a11y.atspi.Registry"),
                                                    RootPath, Prefix + QStringLiteral("Accessible"),
                                                    QStringLiteral("GetChildren"));
    const QDBusMessage reply = QDBusConnection(m_busName).call(m, QDBus::Block, CallLimitMs);
    return objects(first(reply));
}

std::uint32_t Client::processOf(const QString& service)
{
    if (const auto it = m_processes.find(service); it != m_processes.end())
        return it->second;
    QDBusMessage m = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("GetConnectionUnixProcessID"));
    m.setArguments({service});
    const std::uint32_t pid =
        first(QDBusConnection(m_busName).call(m, QDBus::Block, CallLimitMs)).toUInt();
    // A bus name is never given to another connection: what it names stays.
    if (pid)
        m_processes.emplace(service, pid);
    return pid;
}

QList<Object> Client::children(const Object& o)
{
    return objects(
        first(call(o, Prefix + QStringLiteral("Accessible"), QStringLiteral("GetChildren"), {})));
}

QString Client::name(const Object& o)
{
    return property(o, QStringLiteral("Accessible"), QStringLiteral("Name")).toString();
}

QString Client::attribute(const Object& o, const QString& key)
{
    const QVariant v =
        first(call(o, Prefix + QStringLiteral("Accessible"), QStringLiteral("GetAttributes"), {}));
    QMap<QString, QString> attributes;
    if (v.canConvert<QDBusArgument>())
        v.value<QDBusArgument>() >> attributes;
    return attributes.value(key);
}

QString Client::role(const Object& o)
{
    return first(call(o, Prefix + QStringLiteral("Accessible"), QStringLiteral("GetRoleName"), {}))
        .toString();
}

std::uint64_t Client::states(const Object& o)
{
    const QVariant v =
        first(call(o, Prefix + QStringLiteral("Accessible"), QStringLiteral("GetState"), {}));
    QList<uint> words;
    if (v.canConvert<QDBusArgument>())
        v.value<QDBusArgument>() >> words;
    else
        words = v.value<QList<uint>>();
    std::uint64_t bits = 0;
    for (qsizetype i = 0; i < words.size() && i < 2; ++i)
        bits |= std::uint64_t(words[i]) << (32 * i);
    return bits;
}

QStringList Client::actions(const Object& o)
{
    QStringList out;
    const int count = property(o, QStringLiteral("Action"), QStringLiteral("NActions")).toInt();
    for (int i = 0; i < count; ++i)
        out << first(call(o, Prefix + QStringLiteral("Action"), QStringLiteral("GetName"), {i}))
                   .toString();
    return out;
}

bool Client::doAction(const Object& o, const QString& action, Route route)
{
    const qsizetype index = actions(o).indexOf(action);
    if (index < 0)
        return false;
    return first(call(o, Prefix + QStringLiteral("Action"), QStringLiteral("DoAction"),
                      {static_cast<int>(index)}, route))
        .toBool();
}

bool Client::setText(const Object& o, const QString& text)
{
    return first(call(o, Prefix + QStringLiteral("EditableText"), QStringLiteral("SetTextContents"),
                      {text}))
        .toBool();
}

QString Client::text(const Object& o)
{
    // Up to its length: GTK 4 answers an open end with nothing.
    const int length =
        property(o, QStringLiteral("Text"), QStringLiteral("CharacterCount")).toInt();
    return first(call(o, Prefix + QStringLiteral("Text"), QStringLiteral("GetText"), {0, length}))
        .toString();
}

std::optional<Object> Client::windowOf(std::uint32_t pid, const QString& role, const QString& name,
                                       Object* application)
{
    for (const Object& app : applications()) {
        if (processOf(app.service) != pid)
            continue;
        for (const Object& top : children(app))
            if (this->role(top) == role && this->name(top) == name) {
                if (application)
                    *application = app;
                return top;
            }
    }
    return std::nullopt;
}

std::optional<Object> Client::locationField(const Object& chooser)
{
    return find(chooser, [&](const Object& o, const QString& role) {
        // GTK 4 names the role "text box".
        if (role != QLatin1String("text") && role != QLatin1String("text box"))
            return false;
        const auto s = states(o);
        return (s >> Editable & 1) && ((s >> Showing & 1) || (s >> Focused & 1));
    });
}

bool Client::showLocation(const Object& chooser)
{
    const QString command = QStringLiteral("show_location");
    const auto widget = find(
        chooser, [&](const Object& o, const QString&) { return actions(o).contains(command); });
    return widget && doAction(*widget, command, Route::Own);
}

bool Client::holdsFocus(const Object& window)
{
    return has(window, Active) || find(window, [&](const Object& o, const QString&) {
                                      return has(o, Focused);
                                  }).has_value();
}

int Client::acceptFileChooser(const Object& chooser, const ControlQuery& query)
{
    const auto button = find(chooser, [&](const Object& o, const QString& role) {
        if (!matchesPattern(query.role, role.toStdString()))
            return false;
        return matchesPattern(query.name, name(o).toStdString()) || has(o, IsDefault);
    });
    if (!button)
        return -1;
    if (!has(*button, Sensitive))
        return 0;
    return doAction(*button, QString::fromStdString(query.action), Route::Own) ? 1 : -1;
}

std::optional<Object> Client::find(const Object& from, const Test& test)
{
    int budget = WalkBudget;
    return findBelow(from, test, budget);
}

std::optional<Object> Client::findBelow(const Object& from, const Test& test, int& budget)
{
    if (--budget < 0)
        return std::nullopt;
    const QString r = role(from);
    if (test(from, r))
        return from;
    static const QStringList content = {
        QStringLiteral("document web"),  QStringLiteral("document frame"),
        QStringLiteral("document text"), QStringLiteral("table"),
        QStringLiteral("tree table"),    QStringLiteral("tree"),
        QStringLiteral("list"),          QStringLiteral("text"),
        QStringLiteral("text box"),      QStringLiteral("terminal"),
        QStringLiteral("invalid")};
    if (r.isEmpty() || content.contains(r))
        return std::nullopt;
    for (const Object& child : children(from))
        if (auto found = findBelow(child, test, budget))
            return found;
    return std::nullopt;
}

} // namespace automation::atspi
