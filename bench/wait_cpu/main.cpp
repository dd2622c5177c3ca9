// CPU used while a wait loop looks for a window that never appears, for the
// program and the X server together: the program's loop (look-up, then one
// pass over pending events that sleeps when nothing is pending) against a
// spinning one (the same look-up, events processed without waiting).

#include "Automation.h"
#include "BenchSupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>

#include <unistd.h>

using namespace automation;

namespace {

constexpr int WaitSeconds = 5;
constexpr double TargetPercent = 5.0;

struct Usage
{
    double program = 0; // % of one core
    double server = 0;
    long passes = 0;
    double total() const { return program + server; }
};

template <typename Pass> Usage measure(pid_t server, Pass pass)
{
    const double p0 = bench::cpuSeconds(getpid());
    const double s0 = bench::cpuSeconds(server);
    QElapsedTimer clock;
    clock.start();
    Usage u;
    while (clock.elapsed() < WaitSeconds * 1000) {
        pass();
        ++u.passes;
    }
    const double seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
    u.program = (bench::cpuSeconds(getpid()) - p0) / seconds * 100;
    u.server = (bench::cpuSeconds(server) - s0) / seconds * 100;
    return u;
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const pid_t server = bench::xServerPid();
    if (!server) {
        std::fprintf(stderr, "bench_wait_cpu: the X server's process was not found\n");
        return 1;
    }
    auto automation = createDesktopAutomation();
    const QString title = QStringLiteral("A Window That Never Appears");

    const Usage waiting = measure(server, [&] {
        if (!automation->FindTopWindow(QString(), title))
            automation->ProcessPendingEvents();
    });
    const Usage spinning = measure(server, [&] {
        if (!automation->FindTopWindow(QString(), title))
            QCoreApplication::processEvents();
    });

    QFile comm(QStringLiteral("/proc/%1/comm").arg(server));
    const QString serverName = comm.open(QIODevice::ReadOnly)
                                   ? QString::fromLocal8Bit(comm.readAll().trimmed())
                                   : QStringLiteral("X server");
    const auto share = [&](const Usage& u) {
        return QStringLiteral("%1 % of a core (program %2 %, %3 %4 %; %5 passes)")
            .arg(bench::fixed(u.total()), bench::fixed(u.program), serverName,
                 bench::fixed(u.server))
            .arg(u.passes);
    };
    bench::printRow(QStringLiteral("CPU while waiting %1 s for a window that never appears, "
                                   "program + X server: waiting loop")
                        .arg(WaitSeconds),
                    share(waiting), QStringLiteral("≤ %1 %").arg(TargetPercent),
                    waiting.total() <= TargetPercent ? QStringLiteral("pass")
                                                     : QStringLiteral("FAIL"));
    bench::printRow(QStringLiteral("the same, spinning loop (events processed without "
                                   "waiting), same run"),
                    share(spinning), QStringLiteral("for comparison"),
                    QStringLiteral("the waiting loop uses %1× less")
                        .arg(bench::fixed(spinning.total() / std::max(waiting.total(), 0.1), 0)));
    return 0;
}
