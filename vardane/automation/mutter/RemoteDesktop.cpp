#include "RemoteDesktop.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>

namespace automation::mutter {

namespace {

const QString Service = QStringLiteral("org.gnome.Mutter.RemoteDesktop");
constexpr int CallLimitMs = 3000;

QDBusMessage call(const QString& path, const QString& interface, const QString& method,
                  const QVariantList& args = {})
{
    QDBusMessage m = QDBusMessage::createMethodCall(Service, path, interface, method);
    m.setArguments(args);
    return QDBusConnection::sessionBus().call(m, QDBus::Block, CallLimitMs);
}

bool ok(const QDBusMessage& reply)
{
    if (reply.type() == QDBusMessage::ReplyMessage)
        return true;
    qWarning("GNOME's remote desktop refused: %s", qPrintable(reply.errorMessage()));
    return false;
}

} // namespace

std::unique_ptr<RemoteDesktop> RemoteDesktop::fromEnvironment()
{
    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface()->isServiceRegistered(Service))
        return nullptr;
    return std::unique_ptr<RemoteDesktop>(new RemoteDesktop);
}

bool RemoteDesktop::pressTogether(const std::vector<std::uint32_t>& keysyms)
{
    const QDBusMessage created =
        call(QStringLiteral("/org/gnome/Mutter/RemoteDesktop"), Service, "CreateSession");
    if (!ok(created) || created.arguments().isEmpty())
        return false;
    const QString path = created.arguments().constFirst().value<QDBusObjectPath>().path();
    const QString session = Service + QStringLiteral(".Session");
    const auto key = [&](std::uint32_t keysym, bool down) {
        return ok(call(path, session, "NotifyKeyboardKeysym", {keysym, down}));
    };
    // Every key that went down comes up again, whatever failed in between.
    std::size_t down = 0;
    if (ok(call(path, session, "Start")))
        while (down < keysyms.size() && key(keysyms[down], true))
            ++down;
    bool pressed = down == keysyms.size();
    while (down > 0)
        pressed = key(keysyms[--down], false) && pressed;
    call(path, session, "Stop");
    return pressed;
}

} // namespace automation::mutter
