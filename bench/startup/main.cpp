// From starting a program to its main window shown (mapped on the screen),
// and its resident memory once shown: the built program against a minimal Qt
// Widgets program, measured the same way, alternately, in the same run.
//
//   bench_startup NAME WINDOW TITLE PROGRAM MINIMAL_PROGRAM
//
// NAME and WINDOW name the program and its first window in the results
// ("vardane", "main window Form1"); TITLE is the title of the window waited
// for.

#include "Automation.h"
#include "BenchSupport.h"
#include "x11/X11WindowSystem.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QThread>

#include <X11/Xlib.h>

#include <poll.h>

using namespace automation;

namespace {

constexpr int Trials = 20;
constexpr double TimeTarget = 1.5;
constexpr double MemoryTarget = 1.3;
// Memory is read this long after the window is shown, once start-up work
// that follows the first show (placement, activation) is done.
constexpr int SettleMs = 500;

struct Start
{
    double ms = -1;
    long rssKiB = -1;
};

class Watcher
{
public:
    Watcher() : m_ws(openX11WindowSystem()), m_display(XOpenDisplay(nullptr)) {}
    ~Watcher()
    {
        if (m_display)
            XCloseDisplay(m_display);
    }
    bool ok() const { return m_ws && m_display; }

    // Waits until a window with the title is managed and mapped; its id, 0 at
    // the time limit.
    WindowHandle waitShown(const std::string& title, int limitMs)
    {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < limitMs) {
            const WindowHandle w = m_ws->findTopWindow(WindowClass::Any, title);
            if (w && viewable(w))
                return w;
            // Woken by the server's news, or after 1 ms at most (the mapping
            // of a client inside its frame reaches only the window manager).
            pollfd p{m_ws->eventSource(), POLLIN, 0};
            poll(&p, 1, 1);
            m_ws->drainEvents();
        }
        return 0;
    }
    bool waitGone(const std::string& title, int limitMs)
    {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < limitMs) {
            if (!m_ws->findTopWindow(WindowClass::Any, title))
                return true;
            pollfd p{m_ws->eventSource(), POLLIN, 0};
            poll(&p, 1, 10);
            m_ws->drainEvents();
        }
        return false;
    }

private:
    bool viewable(WindowHandle w)
    {
        XWindowAttributes a;
        return XGetWindowAttributes(m_display, static_cast<Window>(w), &a) &&
               a.map_state == IsViewable;
    }
    std::unique_ptr<WindowSystem> m_ws;
    Display* m_display;
};

Start measure(Watcher& watcher, const QString& program, const std::string& title)
{
    Start s;
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.setWorkingDirectory(QFileInfo(program).absolutePath());
    const qint64 t0 = bench::monotonicNs();
    process.start(program, {});
    if (!process.waitForStarted(10000))
        return s;
    if (watcher.waitShown(title, 20000)) {
        s.ms = static_cast<double>(bench::monotonicNs() - t0) / 1e6;
        QThread::msleep(SettleMs);
        s.rssKiB = bench::residentKiB(static_cast<pid_t>(process.processId()));
    }
    process.terminate();
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished(5000);
    }
    watcher.waitGone(title, 5000);
    return s;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 6) {
        std::fprintf(stderr, "usage: bench_startup NAME WINDOW TITLE PROGRAM MINIMAL_PROGRAM\n");
        return 2;
    }
    const QString name = QString::fromUtf8(argv[1]);
    const QString window = QString::fromUtf8(argv[2]);
    const std::string title = argv[3];
    const QString program = QFileInfo(QString::fromLocal8Bit(argv[4])).absoluteFilePath();
    const QString minimal = QFileInfo(QString::fromLocal8Bit(argv[5])).absoluteFilePath();
    Watcher watcher;
    if (!watcher.ok())
        return 1;

    // One start of each first, so that both find their files in the cache.
    measure(watcher, program, title);
    measure(watcher, minimal, "Minimal Window");
    std::vector<double> ms[2];
    std::vector<double> rss[2];
    int failed = 0;
    for (int trial = 0; trial < Trials; ++trial) {
        for (int which = 0; which < 2; ++which) {
            const Start s = which == 0 ? measure(watcher, program, title)
                                       : measure(watcher, minimal, "Minimal Window");
            if (s.ms < 0 || s.rssKiB < 0) {
                ++failed;
                continue;
            }
            ms[which].push_back(s.ms);
            rss[which].push_back(static_cast<double>(s.rssKiB));
        }
    }

    const double tProgram = bench::median(ms[0]);
    const double tMinimal = bench::median(ms[1]);
    const double mProgram = bench::median(rss[0]) / 1024;
    const double mMinimal = bench::median(rss[1]) / 1024;
    const double tRatio = tProgram / tMinimal;
    const double mRatio = mProgram / mMinimal;
    const QString failures = failed ? QStringLiteral("; %1 starts failed").arg(failed) : QString();
    bench::printRow(
        QStringLiteral("start of %1 → %2 shown (median of %3)").arg(name, window).arg(Trials),
        QStringLiteral("%1 ms against %2 ms for a minimal Qt Widgets window%3")
            .arg(bench::fixed(tProgram), bench::fixed(tMinimal), failures),
        QStringLiteral("≤ %1 × the minimal program").arg(TimeTarget),
        QStringLiteral("%1 × — %2")
            .arg(bench::fixed(tRatio, 2), tRatio <= TimeTarget && !failed
                                              ? QStringLiteral("pass")
                                              : QStringLiteral("FAIL")));
    bench::printRow(QStringLiteral("resident memory of %1, %2 ms after its %3 is shown")
                        .arg(name)
                        .arg(SettleMs)
                        .arg(window),
                    QStringLiteral("%1 MiB against %2 MiB for the minimal program")
                        .arg(bench::fixed(mProgram), bench::fixed(mMinimal)),
                    QStringLiteral("≤ %1 × the minimal program").arg(MemoryTarget),
                    QStringLiteral("%1 × — %2")
                        .arg(bench::fixed(mRatio, 2), mRatio <= MemoryTarget && !failed
                                                          ? QStringLiteral("pass")
                                                          : QStringLiteral("FAIL")));
    return 0;
}
