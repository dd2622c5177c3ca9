#include "EventLog.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <memory>

namespace classic {

namespace {

std::unique_ptr<QFile>& logFile()
{
    static std::unique_ptr<QFile> file;
    return file;
}

} // namespace

bool openLog(const QString& path, QString* error)
{
    closeLog();
    if (path.isEmpty())
        return true;
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
        if (error)
            *error = file->errorString();
        return false;
    }
    logFile() = std::move(file);
    return true;
}

void closeLog()
{
    logFile().reset();
}

QString logPath()
{
    return logFile() ? logFile()->fileName() : QString();
}

QString escapeField(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '\\':
            out += QLatin1String("\\\\");
            break;
        case '\t':
            out += QLatin1String("\\t");
            break;
        case '\n':
            out += QLatin1String("\\n");
            break;
        case '\r':
            out += QLatin1String("\\r");
            break;
        default:
            if (c.unicode() < 0x20 || c.unicode() == 0x7f)
                out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
            else
                out += c;
        }
    }
    return out;
}

void log(const QStringList& fields)
{
    auto& file = logFile();
    if (!file)
        return;
    QStringList escaped;
    escaped.reserve(fields.size());
    for (const QString& f : fields)
        escaped << escapeField(f);
    // One write per line: the file is unbuffered, so the line is in the file
    // when this returns, and lines of one program never interleave.
    file->write((escaped.join(QLatin1Char('\t')) + QLatin1Char('\n')).toUtf8());
    if (tracing())
        trace(QStringLiteral("log ") + escaped.join(QLatin1Char(' ')));
}

bool tracing()
{
    static const bool on = !qEnvironmentVariableIsEmpty("TINDREL_KEY_TRACE");
    return on;
}

void trace(const QString& text)
{
    if (!tracing())
        return;
    static std::unique_ptr<QFile> file;
    static QElapsedTimer clock;
    if (!file) {
        clock.start();
        const QString name = QStringLiteral("%1-%2.trace")
                                 .arg(QCoreApplication::applicationName())
                                 .arg(QCoreApplication::applicationPid());
        file =
            std::make_unique<QFile>(QDir(qEnvironmentVariable("TINDREL_KEY_TRACE")).filePath(name));
        if (!file->open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
            return;
    }
    if (!file->isOpen())
        return;
    const qint64 us = clock.nsecsElapsed() / 1000;
    file->write(QStringLiteral("%1.%2 %3\n")
                    .arg(us / 1000, 7)
                    .arg(us % 1000, 3, 10, QLatin1Char('0'))
                    .arg(text)
                    .toUtf8());
}

} // namespace classic
