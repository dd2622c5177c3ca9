#pragma once

// Starts the stand-in window program (standin_probe) and reads its log.

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <cstdint>
#include <functional>

class ProbeProcess
{
public:
    // display: an X display name for the program, empty for the test's own.
    explicit ProbeProcess(const QString& title, const QStringList& extraArgs = {},
                          const QString& display = {})
        : m_title(title)
    {
        m_logPath = m_dir.path() + QStringLiteral("/probe.log");
        if (!display.isEmpty()) {
            auto env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("DISPLAY"), display);
            m_process.setProcessEnvironment(env);
        }
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(
            QStringLiteral(PROBE_PATH),
            QStringList{QStringLiteral("--title"), title, QStringLiteral("--log"), m_logPath} +
                extraArgs);
    }
    ~ProbeProcess()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        command("quit");
        if (!m_process.waitForFinished(5000)) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }
    ProbeProcess(const ProbeProcess&) = delete;
    ProbeProcess& operator=(const ProbeProcess&) = delete;

    const QString& title() const { return m_title; }
    QProcess& process() { return m_process; }

    QList<QByteArray> lines() const
    {
        QFile f(m_logPath);
        if (!f.open(QIODevice::ReadOnly))
            return {};
        QList<QByteArray> result = f.readAll().split('\n');
        if (!result.isEmpty() && result.last().isEmpty())
            result.removeLast();
        return result;
    }
    // Lines that begin with the given word, without it.
    QList<QByteArray> records(const QByteArray& kind) const
    {
        QList<QByteArray> result;
        const QByteArray prefix = kind + ' ';
        for (const QByteArray& line : lines())
            if (line.startsWith(prefix))
                result.append(line.mid(prefix.size()));
            else if (line == kind)
                result.append(QByteArray());
        return result;
    }
    QByteArray last(const QByteArray& kind) const
    {
        const auto r = records(kind);
        return r.isEmpty() ? QByteArray() : r.last();
    }
    bool waitFor(const std::function<bool()>& condition, int ms = 10000) const
    {
        return QTest::qWaitFor(condition, ms);
    }
    bool waitForRecord(const QByteArray& kind, const QByteArray& value, int ms = 10000) const
    {
        return waitFor([&] { return records(kind).contains(value); }, ms);
    }

    // The main window's X id, once the program has shown it (0 before).
    std::uint64_t window() const { return last("window").toULongLong(); }
    std::uint64_t waitForWindow(int ms = 10000) const
    {
        waitFor([this] { return window() != 0; }, ms);
        return window();
    }
    std::uint64_t dialog() const
    {
        for (const QByteArray& r : records("dialog"))
            if (r.startsWith("shown "))
                return r.mid(6).toULongLong();
        return 0;
    }

    void command(const QByteArray& line)
    {
        m_process.write(line + '\n');
        m_process.waitForBytesWritten(5000);
    }

    static QByteArray enc(const QString& text) { return QUrl::toPercentEncoding(text); }

private:
    QString m_title;
    QTemporaryDir m_dir;
    QString m_logPath;
    QProcess m_process;
};
