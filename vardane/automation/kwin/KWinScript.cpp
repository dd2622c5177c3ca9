#include "KWinScript.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QObject>
#include <QTemporaryFile>
#include <QScopeGuard>
#include <QTimer>

#include <map>
#include <optional>

namespace automation::kwin {

namespace {

const QString KWin = QStringLiteral("org.kde.KWin");
const QString ReportPath = QStringLiteral("/Tindrel/KWinReports");
constexpr int CallLimitMs = 2000;
constexpr int ReportLimitMs = 3000;

QString quoted(const QString& text)
{
    const QByteArray json = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(json.mid(1, json.size() - 2));
}

QDBusMessage callKWin(const QString& path, const QString& interface, const QString& method,
                      const QVariantList& args)
{
    QDBusMessage m = QDBusMessage::createMethodCall(KWin, path, interface, method);
    m.setArguments(args);
    return QDBusConnection::sessionBus().call(m, QDBus::Block, CallLimitMs);
}

} // namespace

// Receives what the scripts report, each by its own token: a script may be
// run while another one's report is awaited (from the events processed
// while waiting).
class Reports : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.tindrel.KWinReports")
public:
    std::map<QString, std::optional<QString>> awaited;
signals:
    void reported();
public slots:
    Q_SCRIPTABLE void report(const QString& from, const QString& what)
    {
        const auto it = awaited.find(from);
        if (it == awaited.end())
            return;
        it->second = what;
        emit reported();
    }
};

std::unique_ptr<Scripting> Scripting::fromEnvironment()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface() || !bus.interface()->isServiceRegistered(KWin))
        return nullptr;
    std::unique_ptr<Scripting> s(new Scripting());
    if (!bus.registerObject(ReportPath, s->m_reports.get(), QDBusConnection::ExportScriptableSlots))
        return nullptr;
    return s;
}

Scripting::Scripting() : m_reports(std::make_unique<Reports>()) {}

Scripting::~Scripting()
{
    QDBusConnection::sessionBus().unregisterObject(ReportPath);
}

QString Scripting::run(const QString& body)
{
    QTemporaryFile file(QDir::tempPath() + QStringLiteral("/tindrel-kwin-XXXXXX.js"));
    const QString token =
        QStringLiteral("tindrel-%1-%2").arg(QCoreApplication::applicationPid()).arg(++m_serial);
    const QString script =
        QStringLiteral("(function () {\nfunction report(text) { callDBus(%1, %2, "
                       "\"org.tindrel.KWinReports\", \"report\", %3, String(text)); }\n"
                       "try {\n%4\n} catch (e) { report(\"!\" + e); }\n})();\n")
            .arg(quoted(QDBusConnection::sessionBus().baseService()), quoted(ReportPath),
                 quoted(token), body);
    if (!file.open() || file.write(script.toUtf8()) < 0 || !file.flush())
        return {};
    m_reports->awaited[token].reset();
    const auto forget = qScopeGuard([&] { m_reports->awaited.erase(token); });
    const auto arrived = [&] { return m_reports->awaited[token].has_value(); };
    const QDBusMessage loaded =
        callKWin(QStringLiteral("/Scripting"), QStringLiteral("org.kde.kwin.Scripting"),
                 QStringLiteral("loadScript"), {file.fileName(), token});
    if (loaded.type() != QDBusMessage::ReplyMessage || loaded.arguments().isEmpty())
        return {};
    const int id = loaded.arguments().constFirst().toInt();
    // KWin 5 puts a loaded script at /<id>, KWin 6 at /Scripting/Script<id>.
    for (const QString& path :
         {QStringLiteral("/Scripting/Script%1").arg(id), QStringLiteral("/%1").arg(id)})
        if (callKWin(path, QStringLiteral("org.kde.kwin.Script"), QStringLiteral("run"), {})
                .type() == QDBusMessage::ReplyMessage)
            break;
    QElapsedTimer waited;
    waited.start();
    while (!arrived() && !waited.hasExpired(ReportLimitMs)) {
        QEventLoop loop;
        QTimer::singleShot(ReportLimitMs - waited.elapsed(), &loop, &QEventLoop::quit);
        QObject::connect(m_reports.get(), &Reports::reported, &loop, &QEventLoop::quit);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    callKWin(QStringLiteral("/Scripting"), QStringLiteral("org.kde.kwin.Scripting"),
             QStringLiteral("unloadScript"), {token});
    if (!arrived()) {
        qWarning("KWin did not run a script of ours (no report within %d ms)", ReportLimitMs);
        return {};
    }
    const QString text = *m_reports->awaited[token];
    // A script that failed (a scripting interface of another KWin release)
    // reports its error: said, never taken for an empty answer.
    if (text.startsWith(QLatin1Char('!'))) {
        qWarning("KWin's scripting failed: %s", qUtf8Printable(text.mid(1)));
        return {};
    }
    return text;
}

QList<Window> Scripting::stackingOrder()
{
    const QString text = run(QStringLiteral(
        "var out = [];\n"
        "var order = workspace.stackingOrder;\n"
        "if (!order) {\n" // KWin 5: each window knows its place
        "    order = workspace.clientList().slice();\n"
        "    order.sort(function (a, b) { return a.stackingOrder - b.stackingOrder; });\n"
        "}\n"
        // KWin 6: activeWindow; KWin 5: activeClient.
        "var active = \"activeWindow\" in workspace ? workspace.activeWindow "
        ": workspace.activeClient;\n"
        "for (var i = 0; i < order.length; ++i)\n"
        "    out.push([order[i].pid, order[i].resourceClass, order[i] == active ? 1 : 0,\n"
        "              order[i].caption].join(\"\\t\"));\n"
        "report(out.join(\"\\n\"));"));
    QList<Window> out;
    for (const QString& line : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        // The caption last: it may hold a tab itself.
        const QStringList fields = line.split(QLatin1Char('\t'));
        if (fields.size() >= 4)
            out.append({fields[0].toUInt(), fields.mid(3).join(QLatin1Char('\t')), fields[1],
                        fields[2] == QLatin1String("1")});
    }
    return out;
}

bool Scripting::activate(std::uint32_t pid, const QString& caption)
{
    const QString text =
        run(QStringLiteral("var all = workspace.windowList ? workspace.windowList() "
                           ": workspace.clientList();\n"
                           "var caption = %2;\n"
                           "for (var i = 0; i < all.length; ++i) {\n"
                           "    var c = all[i];\n"
                           "    if (c.pid == %1 && (c.caption == caption || "
                           "c.caption.indexOf(caption + \" <\") == 0)) {\n"
                           "        c.minimized = false;\n"
                           // KWin 6: activeWindow; KWin 5: activeClient.
                           "        if (\"activeWindow\" in workspace) {\n"
                           "            workspace.activeWindow = c;\n"
                           "            report(workspace.activeWindow == c ? \"1\" : \"0\");\n"
                           "        } else {\n"
                           "            workspace.activeClient = c;\n"
                           "            report(workspace.activeClient == c ? \"1\" : \"0\");\n"
                           "        }\n"
                           "        return;\n"
                           "    }\n"
                           "}\n"
                           "report(\"0\");")
                .arg(pid)
                .arg(quoted(caption)));
    return text == QLatin1String("1");
}

} // namespace automation::kwin

#include "KWinScript.moc"
