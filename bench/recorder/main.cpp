// The sound recorder against a private sound server, measured from outside:
// its window through X11, its log, its working file and /proc.
//
//   bench_recorder start-cpu-save RECORDER
//     Record pressed → first sample captured (fresh starts that press Record
//     as their window is shown); CPU while recording and while idle; saving a
//     60 s recording as GSM 6.10 with the keys the voice wizard sends.
//   bench_recorder memory RECORDER [SECONDS]
//     Resident memory after a long recording (600 s unless given) against
//     after a 10 s one, in the same recording.

#include "Automation.h"
#include "BenchSupport.h"
#include "RecorderWatch.h"

#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>
#include <functional>

using namespace automation;

namespace {

constexpr int StartTrials = 20;
constexpr int WaitLimitMs = 30000;
constexpr double StartTargetMs = 100;
constexpr double RecordingCpuTarget = 3; // % of a core
constexpr double IdleCpuTarget = 0.5;    // % of a core
constexpr double MemoryTarget = 1.1;     // long against short
constexpr double SaveTargetMs = 150;
constexpr double SaveSeconds = 60; // length of the recording saved
constexpr double ShortSeconds = 10;

const QString MainTitle = QStringLiteral("Sound - Sound Recorder");

// Waits for a condition another process makes true, looking every pollUs.
bool waitFor(const std::function<bool()>& condition, qint64 limitMs = WaitLimitMs,
             unsigned long pollUs = 500)
{
    const qint64 end = bench::monotonicNs() + limitMs * 1000000;
    while (!condition()) {
        if (bench::monotonicNs() > end)
            return false;
        QCoreApplication::processEvents();
        QThread::usleep(pollUs);
    }
    return true;
}

int fail(const QString& what)
{
    std::fprintf(stderr, "bench_recorder: %s\n", qPrintable(what));
    return 1;
}

// One run of the recorder, with a log of its own.
class Recorder
{
public:
    Recorder(const QString& program, const QTemporaryDir& work, const QString& name,
             bool autoRecord)
        : log(work.filePath(name + QStringLiteral(".log")))
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TINDREL_RECORDER_LOG"), log.path());
        env.insert(QStringLiteral("TINDREL_RECORDER_AUTORECORD"),
                   autoRecord ? QStringLiteral("1") : QStringLiteral("0"));
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(work.path());
        process.start(program, {});
    }
    ~Recorder()
    {
        process.kill();
        process.waitForFinished();
        waitFor([] { return FindTopWindow(QString(), MainTitle) == 0; });
    }
    qint64 pid() const { return process.processId(); }
    double captured() const { return road::capturedSeconds(pid()); }
    bool waitCaptured(double seconds) const
    {
        const auto limit = qint64((seconds + 30) * 1000);
        return waitFor([&] { return captured() >= seconds; }, limit, 100000);
    }
    // CPU time used over the next seconds, as a share of one core in %.
    double cpuOver(double seconds) const
    {
        const double before = bench::cpuSeconds(pid());
        const qint64 start = bench::monotonicNs();
        waitFor([&] { return bench::monotonicNs() - start >= qint64(seconds * 1e9); },
                qint64(seconds * 1000) + 1000, 100000);
        const double wall = double(bench::monotonicNs() - start) / 1e9;
        return (bench::cpuSeconds(pid()) - before) / wall * 100;
    }

    road::LineLog log;
    QProcess process;
};

// The window with the title, 0 when there is none.
WindowHandle windowOf(const QString& title)
{
    return FindTopWindow(QString(), title);
}

// Sends keys to the window with the title once it is there.
bool keysTo(const QString& title, const QString& keys, KeyMode mode = KeyMode::Notation)
{
    return waitFor([&] { return windowOf(title) != 0; }) && ActivateByTitle(title) &&
           SendKeystrokes(windowOf(title), keys, mode);
}

int startCpuSave(const QString& program)
{
    QTemporaryDir work;
    // Record pressed → first sample: the recorder presses Record as its
    // window is shown; the figure runs from the window being on the screen
    // to samples in its working file.
    std::vector<double> startMs, ownMs;
    for (int trial = 0; trial <= StartTrials; ++trial) {
        Recorder r(program, work, QStringLiteral("start-%1").arg(trial), true);
        if (!waitFor([] { return FindTopWindow(QString(), MainTitle) != 0; }))
            return fail(QStringLiteral("the recorder's window did not appear"));
        const qint64 shown = bench::monotonicNs();
        if (!waitFor([&] { return r.captured() > 0; }))
            return fail(QStringLiteral("no sample arrived: %1").arg(r.log.lines().join(u'|')));
        const double ms = double(bench::monotonicNs() - shown) / 1e6;
        waitFor([&] { return r.log.hasPrefix(QStringLiteral("record\tcaptured\t")); });
        if (trial == 0)
            continue; // warm-up
        startMs.push_back(ms);
        ownMs.push_back(r.log.last(QStringLiteral("record\tcaptured\t")).value(2).toDouble());
    }
    const double median = bench::median(startMs);
    bench::printRow(
        QStringLiteral("recorder: Record pressed (window shown) → first sample in its working "
                       "file, private PulseAudio server (median of %1 fresh starts)")
            .arg(StartTrials),
        QStringLiteral("median %1 ms, max %2 ms; the recorder's own count from its start of "
                       "recording: median %3 ms")
            .arg(bench::fixed(median), bench::fixed(bench::percentile(startMs, 1.0)),
                 bench::fixed(bench::median(ownMs))),
        QStringLiteral("median ≤ %1 ms").arg(StartTargetMs, 0, 'f', 0),
        median <= StartTargetMs ? QStringLiteral("pass") : QStringLiteral("FAIL"));

    // A 60 s recording: CPU over most of it, then idle, then saved.
    Recorder r(program, work, QStringLiteral("save"), true);
    if (!r.waitCaptured(5))
        return fail(QStringLiteral("the recording did not start"));
    const double recording = r.cpuOver(SaveSeconds - 15);
    if (!r.waitCaptured(SaveSeconds))
        return fail(QStringLiteral("the recording stopped early"));
    if (!keysTo(MainTitle, QStringLiteral("{BREAK}")) ||
        !waitFor([&] { return r.log.has(QStringLiteral("record\tstop")); }))
        return fail(QStringLiteral("the recording did not stop"));
    const double recorded = r.captured();
    const double idle = r.cpuOver(20);
    bench::printRow(QStringLiteral("recorder: CPU while recording (45 s of a 60 s recording)"),
                    QStringLiteral("%1 % of a core").arg(bench::fixed(recording, 2)),
                    QStringLiteral("≤ %1 %").arg(RecordingCpuTarget, 0, 'f', 0),
                    recording <= RecordingCpuTarget ? QStringLiteral("pass")
                                                    : QStringLiteral("FAIL"));
    bench::printRow(QStringLiteral("recorder: CPU while idle (20 s, window open, recording "
                                   "held)"),
                    QStringLiteral("%1 % of a core").arg(bench::fixed(idle, 2)),
                    QStringLiteral("≤ %1 %").arg(IdleCpuTarget, 0, 'f', 1),
                    idle <= IdleCpuTarget ? QStringLiteral("pass") : QStringLiteral("FAIL"));

    // GSM 6.10 chosen and the file saved, with the wizard's keys; the figure
    // runs from the last Enter in "Save As" to the file written.
    if (!keysTo(MainTitle, QStringLiteral("%F")) ||
        !SendKeystrokes(windowOf(MainTitle), QStringLiteral("P")) ||
        !keysTo(QStringLiteral("Properties for Sound"), QStringLiteral("%C")) ||
        !keysTo(QStringLiteral("Sound Selection"), QStringLiteral("{TAB}{TAB}G{TAB}{TAB}~")) ||
        !waitFor([&] { return r.log.hasPrefix(QStringLiteral("format\t")); }) ||
        !keysTo(QStringLiteral("Properties for Sound"), QStringLiteral("~")) ||
        !waitFor([&] { return r.log.hasPrefix(QStringLiteral("closed\tProperties for Sound")); }))
        return fail(QStringLiteral("GSM 6.10 could not be chosen"));
    const QString file = work.filePath(QStringLiteral("sixty.wav"));
    if (!keysTo(MainTitle, QStringLiteral("%F")) ||
        !SendKeystrokes(windowOf(MainTitle), QStringLiteral("A")) ||
        !keysTo(QStringLiteral("Save As"), file, KeyMode::Literal) ||
        !SendKeystrokes(windowOf(QStringLiteral("Save As")), QStringLiteral("{TAB}{TAB}")))
        return fail(QStringLiteral("\"Save As\" did not open"));
    const qint64 pressed = bench::monotonicNs();
    if (!SendKeystrokes(windowOf(QStringLiteral("Save As")), QStringLiteral("~")) ||
        !waitFor([&] { return r.log.has(QStringLiteral("saved\t%1\tgsm610").arg(file)); }))
        return fail(QStringLiteral("the file was not saved: %1").arg(r.log.lines().join(u'|')));
    const double saveMs = double(bench::monotonicNs() - pressed) / 1e6;
    bench::printRow(
        QStringLiteral("recorder: saving a %1 s recording as GSM 6.10 (Enter in \"Save As\" → "
                       "file written)")
            .arg(bench::fixed(recorded, 1)),
        QStringLiteral("%1 ms (file of %2 KiB)")
            .arg(bench::fixed(saveMs, 0))
            .arg(QFileInfo(file).size() / 1024),
        QStringLiteral("≤ %1 ms").arg(SaveTargetMs, 0, 'f', 0),
        saveMs <= SaveTargetMs ? QStringLiteral("pass") : QStringLiteral("FAIL"));
    return 0;
}

int memory(const QString& program, double longSeconds)
{
    QTemporaryDir work;
    Recorder r(program, work, QStringLiteral("memory"), true);
    if (!r.waitCaptured(ShortSeconds))
        return fail(QStringLiteral("the recording did not reach %1 s (%2 s): %3")
                        .arg(ShortSeconds)
                        .arg(r.captured())
                        .arg(r.log.lines().join(u'|')));
    const long shortKiB = bench::residentKiB(r.pid());
    if (!r.waitCaptured(longSeconds))
        return fail(QStringLiteral("the recording did not reach %1 s").arg(longSeconds));
    const long longKiB = bench::residentKiB(r.pid());
    const double ratio = double(longKiB) / double(shortKiB);
    bench::printRow(
        QStringLiteral("recorder: resident memory after a %1 s recording against after 10 s of "
                       "it")
            .arg(longSeconds, 0, 'f', 0),
        QStringLiteral("%1 MiB against %2 MiB")
            .arg(bench::fixed(double(longKiB) / 1024), bench::fixed(double(shortKiB) / 1024)),
        QStringLiteral("≤ %1 ×").arg(MemoryTarget, 0, 'f', 1),
        QStringLiteral("%1 × — %2")
            .arg(bench::fixed(ratio, 2),
                 ratio <= MemoryTarget ? QStringLiteral("pass") : QStringLiteral("FAIL")));
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3 ||
        (args[1] != QLatin1String("start-cpu-save") && args[1] != QLatin1String("memory")))
        return fail(QStringLiteral("usage: bench_recorder start-cpu-save|memory RECORDER "
                                   "[SECONDS]"));
    if (!qEnvironmentVariableIsSet("PULSE_SERVER"))
        return fail(QStringLiteral("run it inside tests/support/sound-session.sh"));
    Automation::install(createDesktopAutomation());
    const auto uninstall = qScopeGuard([] { Automation::install(nullptr); });
    const QString recorder = QFileInfo(args[2]).absoluteFilePath();
    if (!QFileInfo(recorder).isExecutable())
        return fail(QStringLiteral("no recorder program at %1").arg(recorder));
    if (args[1] == QLatin1String("memory"))
        return memory(recorder, args.value(3, QStringLiteral("600")).toDouble());
    return startCpuSave(recorder);
}
