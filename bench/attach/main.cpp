// How long "Attach Voice" takes with a real e-mail program: from the press to
// the program's file chooser closed with the voice file taken, which is when
// the wizard's click returns and its "Start Over Or Exit?" window is up.
//
// The program is the one named by TINDREL_MAIL_PROGRAM (thunderbird,
// evolution or claws-mail), started as the mail suite starts it
// (tests/support/MailPrograms.h): a throw-away home folder, a compose window
// at once. Each press gets a compose window of its own in an instance of its
// own, so that there is exactly one compose window the press can go to: the
// program is started with a new subject, left until it has settled, pressed
// into, and ended before the next one starts. The wizard itself keeps running
// from press to press, as it does for a user; the first press is the cold one
// (the wizard's first look at the desktop, services started on demand) and is
// told apart by its number.
//
// Prints one line per press, "PRESS <env> <program> <n> <seconds> <pauses>
// ok" or "... FAIL <why>", where pauses are the fixed pauses the wizard asked
// for during the press (included in the seconds). After the last press, if it
// went through, the message is saved as a draft and read back from disk:
// "VERIFY <env> <program> ok" when the draft holds the voice file byte for
// byte, else "VERIFY <env> <program> FAIL <why>". A run that cannot start
// at all prints "BROKEN <env> <program> <why>".
//
// Usage: bench_attach ENV [PRESSES]   (ENV only names the lines; run.sh gives
// the session: an X display, or a Wayland session with Xwayland for us; with
// TINDREL_MAIL_ACCESSIBILITY=on the programs join the accessibility bus on X11)

#include "BenchSupport.h"
#include "Form6.h"
#include "Form7.h"
#include "Form11.h"
#include "Module1.h"
#include "automation/Automation.h"

#include "MailPrograms.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>

#include <clocale>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>

using namespace vardane;
using namespace automation;

namespace {

constexpr int DefaultPresses = 6;
constexpr int StartMs = 90000;        // a compose window after the program's start
constexpr int ShownMs = 10000;        // the wizard's own window on the screen
constexpr int SettleLimitMs = 30000;  // the program's start-up work over
constexpr int SettleWindowMs = 500;   // each look at the program's CPU time
constexpr double SettledShare = 0.05; // under 5 % of a core over a window
constexpr int PressLimitMs = 120000;  // a press that has not ended by then has failed
constexpr int DraftMs = 60000;        // a draft on disk after the first save
constexpr int ResaveMs = 5000;        // saved again when no draft with the file has come
constexpr int GraceMs = 5000;         // after SIGTERM, before SIGKILL

// Waits for a condition another process makes true, passing over events
// (which sleeps when none is pending).
bool waitFor(const std::function<bool()>& condition, int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > ms)
            return false;
        ProcessPendingEvents();
    }
    return true;
}

// User + system CPU seconds of a process and every process below it (the
// e-mail programs run helpers of their own).
double treeCpuSeconds(pid_t root)
{
    std::multimap<pid_t, pid_t> children;
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool isPid = false;
        const pid_t pid = entry.toInt(&isPid);
        if (!isPid)
            continue;
        QFile f(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!f.open(QIODevice::ReadOnly))
            continue;
        const QByteArray stat = f.readAll();
        const auto close = stat.lastIndexOf(')');
        if (close < 0)
            continue;
        const QList<QByteArray> fields = stat.mid(close + 2).split(' ');
        if (fields.size() > 1)
            children.emplace(static_cast<pid_t>(fields[1].toInt()), pid); // ppid
    }
    double sum = 0;
    std::vector<pid_t> todo{root};
    while (!todo.empty()) {
        const pid_t pid = todo.back();
        todo.pop_back();
        sum += std::max(0.0, bench::cpuSeconds(pid));
        const auto [from, to] = children.equal_range(pid);
        for (auto it = from; it != to; ++it)
            todo.push_back(it->second);
    }
    return sum;
}

// The wizard's messages, taken instead of shown (a modal box would stop the run).
class MessageCatcher : public Automation
{
public:
    using Automation::Automation;
    void ShowMessage(const QString& text) override { messages << text; }
    static QStringList messages;
};
QStringList MessageCatcher::messages;

// Whether the message has the subject and a part that is the voice file.
bool holdsVoice(const QByteArray& raw, const QString& subject, const QByteArray& voice)
{
    const mailprograms::Message m = mailprograms::parseMessage(raw);
    return m.subject == subject && m.leaves.contains(voice);
}

// One line for the results: what failed, without line breaks.
QString oneLine(QString text)
{
    return text.replace(QRegularExpression(QStringLiteral("\\s+")), QStringLiteral(" ")).trimmed();
}

class AttachBench
{
public:
    AttachBench(mailprograms::MailProgram program, QString env, QTemporaryDir& work)
        : m_program(std::move(program)), m_name(m_program.executable.toUtf8()),
          m_env(std::move(env)), m_work(work)
    {
        // Every character a file dialog or a key notation could take for something else.
        m_voiceFile = m_work.filePath(QStringLiteral("Voice Files ~%(x){y}")) +
                      QString::fromUtf8("/[12-08-26]08 05 48AM é.wav");
        // A WAV header, then every byte value, so that a change of any byte shows.
        m_voice =
            QByteArray::fromHex("524946462c01000057415645666d74201000000001000100401f0000803e0000"
                                "020010006461746108010000");
        for (int i = 0; i < 264; ++i)
            m_voice.append(static_cast<char>(i * 7 % 256));
        mailprograms::writeFile(m_voiceFile, m_voice);
    }

    ~AttachBench() { stopProgram(); }

    // One press into a new instance of the program; prints its line.
    bool run(int index, bool verify)
    {
        const QString subject = QStringLiteral("tindrel-bench-%1").arg(index);
        m_home = m_work.filePath(QStringLiteral("press-%1/home").arg(index));
        QDir().mkpath(m_home);
        m_program.makeProfile(m_home);

        QString why = startProgram(subject);
        double seconds = 0, pauses = 0;
        if (why.isEmpty()) {
            settle();
            why = press(&seconds, &pauses);
        }
        if (why.isEmpty())
            std::printf("PRESS %s %s %d %.3f %.3f ok\n", qPrintable(m_env), name(), index, seconds,
                        pauses);
        else
            std::printf("PRESS %s %s %d %.3f %.3f FAIL %s\n", qPrintable(m_env), name(), index,
                        seconds, pauses, qPrintable(oneLine(why)));
        std::fflush(stdout);

        if (verify && why.isEmpty()) {
            const QString wrong = checkDraft(subject);
            const QByteArray verdict =
                wrong.isEmpty() ? QByteArray("ok") : ("FAIL " + oneLine(wrong)).toUtf8();
            std::printf("VERIFY %s %s %s\n", qPrintable(m_env), name(), verdict.constData());
            std::fflush(stdout);
        }
        stopProgram();
        resetForms();
        return why.isEmpty();
    }

private:
    const char* name() const { return m_name.constData(); }

    mailprograms::ComposeWindow composeWindow(const QString& subject)
    {
        return mailprograms::findCompose(m_program, subject);
    }

    // Starts the program with a compose window for the subject; empty when
    // that window is there, else what went wrong.
    QString startProgram(const QString& subject)
    {
        const QList<QStringList> commands = m_program.commands(m_home, {subject});
        m_process = std::make_unique<QProcess>();
        m_process->setProcessEnvironment(mailprograms::mailEnvironment(m_home));
        m_process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process->setStandardOutputFile(QProcess::nullDevice());
        m_process->start(m_program.executable, commands.constFirst());
        if (!m_process->waitForStarted())
            return QStringLiteral("could not be started");
        const bool found = waitFor(
            [&] {
                return bool(composeWindow(subject)) || m_process->state() == QProcess::NotRunning;
            },
            StartMs);
        if (m_process->state() == QProcess::NotRunning)
            return QStringLiteral("ended before its compose window appeared (exit status %1)")
                .arg(m_process->exitCode());
        if (!found)
            return QStringLiteral("no compose window after %1 s").arg(StartMs / 1000);
        return {};
    }

    // The program just started goes on with its start-up work for a while;
    // a user presses into a program that has done with it. Waits until it has
    // used under 5 % of a core for half a second (with a limit: some keep busy).
    void settle()
    {
        const auto pid = static_cast<pid_t>(m_process->processId());
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < SettleLimitMs) {
            const double before = treeCpuSeconds(pid);
            QElapsedTimer window;
            window.start();
            waitFor([&] { return window.elapsed() >= SettleWindowMs; }, SettleWindowMs * 2);
            const double share = (treeCpuSeconds(pid) - before) / (window.elapsed() / 1000.0);
            if (share < SettledShare)
                return;
        }
        std::fprintf(stderr, "bench_attach: %s still busy after %d s; pressed all the same\n",
                     name(), SettleLimitMs / 1000);
    }

    // Presses "Attach Voice"; empty when the press went through.
    QString press(double* seconds, double* pauses)
    {
        resetForms();
        SetCurrentVoiceFile(m_voiceFile);
        MessageCatcher::messages.clear();
        form6().show();
        if (!waitFor([] { return form6().windowHandle() && form6().windowHandle()->isExposed(); },
                     ShownMs))
            return QStringLiteral("the wizard's window was not shown");

        // A press that never ends (the chooser left open) ends with the
        // program: its chooser goes, the wizard's wait ends.
        bool timedOut = false;
        QTimer watchdog;
        watchdog.setSingleShot(true);
        QObject::connect(&watchdog, &QTimer::timeout, [&] {
            timedOut = true;
            m_process->kill();
        });
        watchdog.start(PressLimitMs);

        Automation& a = Automation::instance();
        const double pausedBefore = a.pausesAskedSeconds();
        const qint64 start = bench::monotonicNs();
        form6().Command2->click(); // returns once the program's file chooser has closed
        *seconds = double(bench::monotonicNs() - start) / 1e9;
        *pauses = a.pausesAskedSeconds() - pausedBefore;
        watchdog.stop();

        if (timedOut)
            return QStringLiteral("not ended after %1 s").arg(PressLimitMs / 1000);
        if (!MessageCatcher::messages.isEmpty())
            return QStringLiteral("the wizard said: ") + MessageCatcher::messages.join(" / ");
        if (const QWidget* f7 = existingForm(7); f7 && f7->isVisible())
            return {};
        if (const QWidget* f11 = existingForm(11); f11 && f11->isVisible())
            return QStringLiteral("the wizard found no compose window");
        return QStringLiteral("the wizard did not see the file taken");
    }

    // Saves the compose window's message as a draft until one with the
    // voice file is on disk (the program may still be adding the file when
    // the first save arrives); empty when the draft holds its exact bytes.
    QString checkDraft(const QString& subject)
    {
        QElapsedTimer clock;
        clock.start();
        QElapsedTimer sinceSave;
        for (;;) {
            const mailprograms::ComposeWindow w = composeWindow(subject);
            if (!w)
                return QStringLiteral("the compose window has gone");
            if (!sinceSave.isValid() || sinceSave.elapsed() > ResaveMs) {
                if (w.controlled) {
                    const Result saved = WorkControls(
                        w.controlled, m_program.saveDraft, [] { return false; },
                        [&] { return clock.elapsed() > DraftMs; });
                    if (!saved.isDone())
                        return QStringLiteral("no control \"%1\" to save the draft")
                            .arg(QString::fromStdString(saved.reason));
                } else if (BringToFront(w.window) != 1 ||
                           !SendKeystrokes(w.window, QStringLiteral("{CTRL+S}"))) {
                    return QStringLiteral("Ctrl+S could not be given to the compose window");
                }
                sinceSave.start();
            }
            for (const QByteArray& raw : m_program.drafts(m_home))
                if (holdsVoice(raw, subject, m_voice))
                    return {};
            if (clock.elapsed() > DraftMs)
                return QStringLiteral("no draft with the voice file's exact bytes after %1 s")
                    .arg(DraftMs / 1000);
            ProcessPendingEvents();
        }
    }

    void stopProgram()
    {
        if (m_process && m_process->state() != QProcess::NotRunning) {
            if (!m_program.ignoresTerm) {
                m_process->terminate();
                m_process->waitForFinished(GraceMs);
            }
            if (m_process->state() != QProcess::NotRunning) {
                m_process->kill();
                m_process->waitForFinished(GraceMs);
            }
        }
        m_process.reset();
    }

    mailprograms::MailProgram m_program;
    QByteArray m_name;
    QString m_env;
    QTemporaryDir& m_work;
    QString m_voiceFile;
    QByteArray m_voice;
    QString m_home;
    std::unique_ptr<QProcess> m_process;
};

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    // The lines are read by run.sh in whatever language the session runs.
    std::setlocale(LC_NUMERIC, "C");
    const QStringList args = QApplication::arguments();
    const QString env = args.value(1);
    const int presses = args.size() > 2 ? args[2].toInt() : DefaultPresses;
    const QString programName = qEnvironmentVariable("TINDREL_MAIL_PROGRAM");
    const auto broken = [&](const QString& why) {
        std::printf("BROKEN %s %s %s\n", qPrintable(env), qPrintable(programName),
                    qPrintable(oneLine(why)));
        return 1;
    };
    if (env.isEmpty() || presses < 1) {
        std::fprintf(stderr, "usage: bench_attach ENV [PRESSES]\n");
        return 2;
    }
    const auto program = mailprograms::mailProgramNamed(programName);
    if (!program)
        return broken(QStringLiteral("TINDREL_MAIL_PROGRAM names no known e-mail program"));
    if (QStandardPaths::findExecutable(program->executable).isEmpty())
        return broken(QStringLiteral("not installed (Debian package %1)").arg(program->package));
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return broken(QStringLiteral("the wizard needs an X server (QT_QPA_PLATFORM=xcb)"));
    if (mailprograms::accessibleOnX11() && !mailprograms::setAccessibilityEnabled(true))
        return broken(QStringLiteral("the desktop's accessibility could not be turned on"));

    Automation::install(
        std::make_unique<MessageCatcher>(createDesktopWindowSystem(), createDesktopControls()));
    setEndProgramHandler([] {});
    QTemporaryDir work;
    int failed = 0;
    {
        AttachBench bench(*program, env, work);
        for (int i = 1; i <= presses; ++i)
            if (!bench.run(i, i == presses))
                ++failed;
    }
    resetForms();
    Automation::install(nullptr);
    return failed == presses ? 1 : 0;
}
