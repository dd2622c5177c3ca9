#include "BenchSupport.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <unistd.h>

namespace bench {

double cpuSeconds(pid_t pid)
{
    QFile f(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray stat = f.readAll();
    // The command name is in parentheses and may contain blanks: count the
    // fields from the last closing parenthesis (field 3, the state, follows).
    const auto close = stat.lastIndexOf(')');
    if (close < 0)
        return -1;
    const QList<QByteArray> fields = stat.mid(close + 2).split(' ');
    if (fields.size() < 13)
        return -1;
    const double ticks = fields[11].toDouble() + fields[12].toDouble(); // utime, stime
    return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

long residentKiB(pid_t pid)
{
    QFile f(QStringLiteral("/proc/%1/status").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

pid_t xServerPid()
{
    const QByteArray display = qgetenv("DISPLAY");
    const QRegularExpression number(QStringLiteral(":(\\d+)"));
    const auto m = number.match(QString::fromLatin1(display));
    if (!m.hasMatch())
        return 0;
    const QString socketPath = QStringLiteral("/tmp/.X11-unix/X") + m.captured(1);

    // The inodes of the display's listening sockets (path and abstract name).
    QStringList inodes;
    QFile unix(QStringLiteral("/proc/net/unix"));
    if (!unix.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : unix.readAll().split('\n')) {
        const QList<QByteArray> f = line.simplified().split(' ');
        if (f.size() >= 8) {
            const QString path = QString::fromLatin1(f[7]);
            if (path == socketPath || path == QLatin1Char('@') + socketPath)
                inodes << QStringLiteral("socket:[%1]").arg(QString::fromLatin1(f[6]));
        }
    }
    if (inodes.isEmpty())
        return 0;
    const auto pids = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString& p : pids) {
        bool ok = false;
        const pid_t pid = p.toInt(&ok);
        if (!ok)
            continue;
        QDir fds(QStringLiteral("/proc/%1/fd").arg(pid));
        for (const QString& fd : fds.entryList(QDir::System | QDir::Files | QDir::NoDotAndDotDot)) {
            char buffer[64] = {};
            const QByteArray link = QFile::encodeName(fds.filePath(fd));
            const ssize_t n = readlink(link.constData(), buffer, sizeof buffer - 1);
            if (n > 0 && inodes.contains(QString::fromLatin1(buffer, n)))
                return pid;
        }
    }
    return 0;
}

qint64 monotonicNs()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
}

double median(std::vector<double> values)
{
    return percentile(std::move(values), 0.5);
}

double percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const double index = p * static_cast<double>(values.size() - 1);
    const auto lo = static_cast<std::size_t>(index);
    const auto hi = std::min(lo + 1, values.size() - 1);
    return values[lo] + (values[hi] - values[lo]) * (index - static_cast<double>(lo));
}

void printRow(const QString& what, const QString& figure, const QString& target,
              const QString& verdict)
{
    std::printf("| %s | %s | %s | %s |\n", qUtf8Printable(what), qUtf8Printable(figure),
                qUtf8Printable(target), qUtf8Printable(verdict));
    std::fflush(stdout);
}

QString fixed(double value, int decimals)
{
    return QString::number(value, 'f', decimals);
}

} // namespace bench
