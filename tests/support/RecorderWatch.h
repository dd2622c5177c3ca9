#pragma once

// The sound recorder watched from outside, as the road and the benchmarks
// see it: its line log and how much sound its working file holds.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QtEndian>

#include <algorithm>

namespace road {

// The recorders started from now on append their log to path.
inline void setRecorderLog(const QString& path)
{
    qputenv("TINDREL_RECORDER_LOG", path.toLocal8Bit());
}

// A program's line log (fields separated by tabs), read as it grows.
class LineLog
{
public:
    explicit LineLog(QString path) : m_path(std::move(path)) {}
    const QString& path() const { return m_path; }
    QStringList lines() const
    {
        QFile f(m_path);
        if (!f.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(f.readAll()).split(u'\n', Qt::SkipEmptyParts);
    }
    bool has(const QString& line) const { return lines().contains(line); }
    bool hasPrefix(const QString& prefix) const
    {
        const QStringList all = lines();
        return std::any_of(all.begin(), all.end(),
                           [&](const QString& l) { return l.startsWith(prefix); });
    }
    // The fields of the last line starting with prefix; empty when there is none.
    QStringList last(const QString& prefix) const
    {
        const QStringList all = lines();
        for (auto l = all.rbegin(); l != all.rend(); ++l)
            if (l->startsWith(prefix))
                return l->split(u'\t');
        return {};
    }

private:
    QString m_path;
};

// The recorder's process, from its log ("start", pid); 0 when not started.
inline qint64 recorderPid(const LineLog& log)
{
    return log.last(QStringLiteral("start\t")).value(1).toLongLong();
}

// Seconds of sound in the recorder's working file, which grows as the
// samples come in: the WAV file it holds open, read from outside. -1 when
// it has none open.
inline double capturedSeconds(qint64 pid)
{
    const QDir fds(QStringLiteral("/proc/%1/fd").arg(pid));
    double seconds = -1;
    for (const QFileInfo& fd :
         fds.entryInfoList(QDir::Files | QDir::System | QDir::NoDotAndDotDot)) {
        const QString target = fd.symLinkTarget();
        if (!target.endsWith(QLatin1String(".wav")))
            continue;
        QFile f(target);
        if (!f.open(QIODevice::ReadOnly))
            continue;
        const QByteArray header = f.read(44);
        if (header.size() < 44 || !header.startsWith("RIFF"))
            continue;
        const quint32 bytesPerSecond = qFromLittleEndian<quint32>(header.constData() + 28);
        if (bytesPerSecond > 0)
            seconds = std::max(seconds, double(f.size() - 44) / bytesPerSecond);
    }
    return seconds;
}

} // namespace road
