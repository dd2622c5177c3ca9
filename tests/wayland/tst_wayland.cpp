// The three programs on a Wayland session, under a real headless compositor
// (GNOME's, KDE Plasma's or sway) with its Xwayland, with the Qt Wayland
// plugin installed: each program runs where its windows can be found and
// placed, the whole road records spoken words and attaches them, the order
// text reaches native Wayland programs, and with no X server the wizard says
// so at once while the recorder still records.

#include "Form1.h"
#include "Module1.h"
#include "automation/Automation.h"

#include <QDir>
#include <QGuiApplication>
#include <QScreen>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>

// Xlib after Qt: its macros clash with Qt's names.
#include "X11Frames.h"

using namespace automation;

namespace {

constexpr int StartLimitMs = 60000;
// A suite run from here: under the 5 minutes QtTest gives each case.
constexpr int SuiteLimitMs = 270000;

// The environment of a program started from the desktop's menu on this
// session: Qt left to choose its platform.
QProcessEnvironment desktopEnvironment()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    return env;
}

QProcessEnvironment withoutX11(QProcessEnvironment env)
{
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("XAUTHORITY"));
    return env;
}

// Runs one of the project's suites (or some of its cases) to its end.
void runSuite(const QString& suite, const QStringList& cases, const QProcessEnvironment& env)
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(suite, cases);
    QVERIFY(p.waitForStarted());
    // Within this case's own limit, so that what the suite printed is seen.
    const bool ended = p.waitForFinished(SuiteLimitMs);
    if (!ended) {
        p.kill();
        p.waitForFinished();
    }
    const QByteArray out = p.readAll();
    if (!ended || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        qWarning("%s", out.constData());
    QVERIFY2(ended, qPrintable(suite));
    QCOMPARE(p.exitCode(), 0);
}

// Whether the window manager keeps the window above others.
bool keptAbove(QWidget* w)
{
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    Display* d = x11 ? x11->display() : nullptr;
    if (!d)
        return false;
    const Atom state = XInternAtom(d, "_NET_WM_STATE", False);
    const Atom above = XInternAtom(d, "_NET_WM_STATE_ABOVE", False);
    Atom type = None;
    int format = 0;
    unsigned long n = 0, after = 0;
    unsigned char* data = nullptr;
    bool found = false;
    if (XGetWindowProperty(d, static_cast<Window>(w->winId()), state, 0, 64, False, XA_ATOM, &type,
                           &format, &n, &after, &data) == Success &&
        data && format == 32) {
        const auto* atoms = reinterpret_cast<const Atom*>(data);
        found = std::find(atoms, atoms + n, above) != atoms + n;
    }
    if (data)
        XFree(data);
    return found;
}

struct Program
{
    std::unique_ptr<QProcess> process = std::make_unique<QProcess>();
    ~Program()
    {
        if (process->state() != QProcess::NotRunning) {
            process->kill();
            process->waitForFinished(10000);
        }
    }
};

} // namespace

class TestWayland : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void programsRunWhereTheirWindowsAreFound_data();
    void programsRunWhereTheirWindowsAreFound();
    void ownWindowsKeepTheirPlace();
    void wholeRoadWithTheRecorder();
    void orderTextReachesWaylandPrograms();
    void withoutXwaylandTheWizardSaysSoAndTheRecorderRecords();

private:
    QTemporaryDir m_work;
};

void TestWayland::cleanupTestCase()
{
    vardane::resetForms();
    Automation::install(nullptr);
}

void TestWayland::initTestCase()
{
    QVERIFY2(!qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"), "runs in a Wayland session");
    QVERIFY2(QGuiApplication::platformName() == "xcb", "looks at the session's X server");
    QVERIFY(m_work.isValid());
    Automation::install(createDesktopAutomation());
    qInfo("compositor: %s", qgetenv("WAYLAND_SESSION_KIND").constData());
}

void TestWayland::programsRunWhereTheirWindowsAreFound_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("centred");
    QTest::newRow("the wizard") << VARDANE_PROGRAM << QStringList() << "Tindrel" << false;
    QTest::newRow("the recorder, from its menu entry")
        << RECORDER_PROGRAM << QStringList() << vardane::RecorderTitle << false;
    QTest::newRow("order, centred") << ORDER_PROGRAM << QStringList() << "Order Now" << true;
}

void TestWayland::programsRunWhereTheirWindowsAreFound()
{
    QFETCH(QString, program);
    QFETCH(QStringList, arguments);
    QFETCH(QString, title);
    QFETCH(bool, centred);
    QVERIFY(FindTopWindow(QString(), title) == 0);
    Program p;
    QProcessEnvironment env = desktopEnvironment();
    env.insert(QStringLiteral("XDG_CACHE_HOME"), m_work.filePath(QStringLiteral("cache")));
    p.process->setProcessEnvironment(env);
    p.process->setWorkingDirectory(m_work.path());
    p.process->start(program, arguments);
    QVERIFY(p.process->waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(FindTopWindow(QString(), title) != 0, StartLimitMs);
    QVERIFY(IsWindowShown(FindTopWindow(QString(), title)));
    QTRY_COMPARE_WITH_TIMEOUT(BringToFront(FindTopWindow(QString(), title)), 1, StartLimitMs);
    // sway places the windows it floats itself, and says nothing of their frames.
    if (!centred || qgetenv("WAYLAND_SESSION_KIND") == "sway")
        return;
    // In the middle of the screen, frame and all (within the difference between the title
    // bar the program allows for before it is framed and the one it gets).
    Display* display = qApp->nativeInterface<QNativeInterface::QX11Application>()->display();
    const QPoint middle = QGuiApplication::primaryScreen()->geometry().center();
    QRect frame;
    QTRY_VERIFY_WITH_TIMEOUT(
        !(frame = frameOnScreen(display, static_cast<Window>(FindTopWindow(QString(), title))))
             .isNull(),
        StartLimitMs);
    QVERIFY2((frame.center() - middle).manhattanLength() <= 24,
             qPrintable(QStringLiteral("%1x%2+%3+%4")
                            .arg(frame.width())
                            .arg(frame.height())
                            .arg(frame.x())
                            .arg(frame.y())));
}

void TestWayland::ownWindowsKeepTheirPlace()
{
    // The main window: centred, its top at (screen - height) / 1.3, above others.
    vardane::setEndProgramHandler([] {});
    vardane::Form1& w = vardane::form1();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const QRect screen = w.screen()->geometry();
    QTRY_VERIFY_WITH_TIMEOUT(screen.contains(w.frameGeometry()), StartLimitMs);
    if (qgetenv("WAYLAND_SESSION_KIND") == "sway") {
        // sway tiles what it does not float, and places floating windows itself.
        QTRY_VERIFY_WITH_TIMEOUT(w.frameGeometry().width() < screen.width(), StartLimitMs);
        vardane::resetForms();
        return;
    }
    const QRect frame = w.frameGeometry();
    const QPoint placed = vardane::PlacedPosition(&w, 1.3);
    // Within the frame's border: the place was reckoned before the frame was known.
    QVERIFY2(std::abs(frame.x() - placed.x()) <= 8 && std::abs(frame.y() - placed.y()) <= 40,
             qPrintable(QStringLiteral("at %1,%2, placed at %3,%4")
                            .arg(frame.x())
                            .arg(frame.y())
                            .arg(placed.x())
                            .arg(placed.y())));
    QTRY_VERIFY_WITH_TIMEOUT(keptAbove(&w), StartLimitMs);
    vardane::resetForms();
}

void TestWayland::wholeRoadWithTheRecorder()
{
    // Record spoken words with the real recorder, prove them in the saved
    // file, attach it to an X11 e-mail program's compose window; start over
    // at once after recording, as a person who changes their mind does; and
    // the road through the voice file browser.
    QStringList cases{QStringLiteral("recordSaveAndAttach:Netscape, spoken words"),
                      QStringLiteral("startOverLeavesNoFileAndNoRecorder"),
                      QStringLiteral("attachAFileChosenInTheBrowser")};
    // sway places the windows itself: the road by the pointer, where what the
    // wizard takes for its windows' places must be where sway shows them.
    if (qgetenv("WAYLAND_SESSION_KIND") == "sway")
        cases << QStringLiteral("roadByThePointer");
    runSuite(ROAD_SUITE, cases, desktopEnvironment());
}

void TestWayland::orderTextReachesWaylandPrograms()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    runSuite(EMAIL_ORDER_SUITE, {QStringLiteral("readByAnotherProgram")}, env);
}

void TestWayland::withoutXwaylandTheWizardSaysSoAndTheRecorderRecords()
{
    // The wizard: the message at once, on the session's own window system.
    Program wizard;
    wizard.process->setProcessEnvironment(withoutX11(desktopEnvironment()));
    wizard.process->start(VARDANE_PROGRAM, {});
    QVERIFY(wizard.process->waitForStarted());
    QByteArray said;
    QTRY_VERIFY_WITH_TIMEOUT((said += wizard.process->readAllStandardError()).contains("Xwayland"),
                             StartLimitMs);
    QVERIFY2(said.contains(vardane::NoXwaylandMessage().left(40).toUtf8()), said.constData());
    // It waits on the message for the person to read it.
    QVERIFY(!wizard.process->waitForFinished(1000));

    // The recorder on its own: native Wayland windows, real sound.
    const QString log = m_work.filePath(QStringLiteral("recorder.log"));
    Program recorder;
    QProcessEnvironment env = withoutX11(desktopEnvironment());
    env.insert(QStringLiteral("TINDREL_RECORDER_AUTORECORD"), QStringLiteral("1"));
    env.insert(QStringLiteral("TINDREL_RECORDER_LOG"), log);
    env.insert(QStringLiteral("XDG_CACHE_HOME"), m_work.filePath(QStringLiteral("cache")));
    recorder.process->setProcessEnvironment(env);
    recorder.process->setWorkingDirectory(m_work.path());
    recorder.process->start(RECORDER_PROGRAM, {});
    QVERIFY(recorder.process->waitForStarted());
    const auto logged = [&](const QByteArray& prefix) {
        QFile f(log);
        if (!f.open(QIODevice::ReadOnly))
            return false;
        for (const QByteArray& line : f.readAll().split('\n'))
            if (line.startsWith(prefix))
                return true;
        return false;
    };
    QTRY_VERIFY_WITH_TIMEOUT(logged("record\tcaptured\t"), StartLimitMs);
    QVERIFY(logged("shown\tSound - Sound Recorder"));
}

QTEST_MAIN(TestWayland)
#include "tst_wayland.moc"
