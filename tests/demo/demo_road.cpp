// Runs the voice wizard's whole road on the current X display, with the
// sound recorder and a real e-mail program where one is installed (else the
// stand-in), and saves a screenshot of each screen the user would see into
// the folder given on the command line. The recorder records spoken words
// played into the microphone of the private sound server it runs against
// (sound-session.sh); the voice file saved is copied beside the screenshots.

#include "Form1.h"
#include "Form2.h"
#include "Form3.h"
#include "Form6.h"
#include "Form7.h"
#include "Form9.h"
#include "MailPrograms.h"
#include "Module1.h"
#include "RoadSetup.h"
#include "automation/Automation.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QElapsedTimer>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>

using namespace vardane;
using namespace automation;

namespace {

QDir g_out;
int g_shot = 0;

void screenshot(const char* name)
{
    PauseWithEvents(0.4); // let every window paint
    const QString file = g_out.filePath(QStringLiteral("road-%1-%2.png")
                                            .arg(++g_shot, 2, 10, QLatin1Char('0'))
                                            .arg(QLatin1String(name)));
    QGuiApplication::primaryScreen()->grabWindow(0).save(file);
    std::printf("%s\n", qPrintable(file));
}

bool waitFor(const std::function<bool()>& condition, int ms = 30000)
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

// Starts the e-mail program the road attaches to: the first real one that is
// installed (Claws Mail starts fastest), else the stand-in. Returns how its
// compose window is found.
WindowQuery startMailer(QProcess& mailer, const QTemporaryDir& work)
{
    for (const char* name : {"claws-mail", "evolution", "thunderbird"}) {
        const auto program = mailprograms::mailProgramNamed(QString::fromLatin1(name));
        if (QStandardPaths::findExecutable(program->executable).isEmpty())
            continue;
        const QString home = work.filePath(QStringLiteral("mail-home"));
        program->makeProfile(home);
        mailer.setProcessEnvironment(mailprograms::mailEnvironment(home));
        mailer.start(program->executable,
                     program->commands(home, {QStringLiteral("Voice message")}).first());
        return program->compose;
    }
    mailer.start(QStringLiteral(STANDIN_MAILER),
                 {QStringLiteral("--kind"), QStringLiteral("newmessage")});
    return {.title = "New Message"};
}

int fail(const char* what)
{
    std::fprintf(stderr, "demo stopped: %s\n", what);
    return 1;
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    if (argc != 2)
        return fail("usage: demo_road OUTPUT-FOLDER");
    g_out = QDir(QString::fromLocal8Bit(argv[1]));
    QDir().mkpath(g_out.path());
    QApplication::setQuitOnLastWindowClosed(false);
    if (!qEnvironmentVariableIsSet("PULSE_SERVER"))
        return fail("run it inside tests/support/sound-session.sh");
    QTemporaryDir work;
    road::prepareRoad(work);
    const road::LineLog recorder(work.filePath(QStringLiteral("recorder.log")));
    road::setRecorderLog(recorder.path());
    const QString spoken = sound::speak(work.filePath(QStringLiteral("spoken.wav")),
                                        QStringLiteral("Hello, this is a voice message. Please "
                                                       "call me back this afternoon. Thank you."));
    if (spoken.isEmpty())
        return fail("espeak-ng made no spoken words");

    QProcess mailer;
    const WindowQuery compose = startMailer(mailer, work);

    form1();
    if (!waitFor([&] { return FindWindowLike(compose) != 0; }, 90000))
        return fail("the e-mail program did not open");
    form1().raise();
    screenshot("main-window");

    form1().New->trigger();
    if (!form2().isVisible() ||
        !waitFor([&] { return recorder.hasPrefix(QStringLiteral("record\tcaptured\t")); }))
        return fail("recording did not start");
    // The words are spoken into the microphone; the screenshot shows the
    // recorder hearing them.
    const qint64 pid = road::recorderPid(recorder);
    QProcess voice;
    sound::startPlaying(voice, spoken);
    const double from = road::capturedSeconds(pid);
    waitFor([&] { return road::capturedSeconds(pid) >= from + 1.2; });
    screenshot("recording");
    if (!voice.waitForFinished(60000))
        return fail("the spoken words did not play");
    const double end = road::capturedSeconds(pid);
    if (!waitFor([&] { return road::capturedSeconds(pid) >= end + 1.5; }))
        return fail("the recorder stopped recording");

    form2().Command1->click();
    screenshot("save-or-start-over");

    form3().Command2->click();
    if (!form9().isVisible())
        return fail("the message was not saved");
    screenshot("saved");
    const QString voiceCopy = g_out.filePath(QStringLiteral("road-voice.wav"));
    QFile::remove(voiceCopy);
    if (QFile::copy(CurrentVoiceFile(), voiceCopy))
        std::printf("%s\n", qPrintable(voiceCopy));
    waitFor([] { return !form9().isVisible(); });
    screenshot("attach");

    form6().Command2->click();
    if (!form7().isVisible())
        return fail("the voice file was not attached");
    screenshot("attached");

    form7().Command1->click();
    waitFor([] { return !existingForm(5) || !existingForm(5)->isVisible(); }, 3000);
    screenshot("start-over");

    mailer.kill();
    mailer.waitForFinished();
    resetForms();
    Automation::install(nullptr);
    return 0;
}
