// "Attach Voice" against a real e-mail program (the one named by
// TINDREL_MAIL_PROGRAM: thunderbird, evolution or claws-mail), started with a
// throw-away home folder on this test's own display and D-Bus session bus:
// an X server, or a Wayland session where the program runs natively and the
// wizard under Xwayland. Each case opens compose windows, presses the
// wizard's button, saves the message as a draft (with the program's own
// Ctrl+S, or on Wayland its draft command through accessibility), and reads
// the draft back from disk: the attachment, decoded, must be the voice file
// byte for byte. Where the session runs the desktop portal (SESSION_PORTAL),
// Thunderbird's file chooser is the portal's. A session in another language
// (LANG) has the program in that language.

#include "Form6.h"
#include "Form7.h"
#include "Form8.h"
#include "Module1.h"
#include "automation/Automation.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>

#ifndef Q_MOC_RUN // its raw strings confuse moc
#include "MailPrograms.h"
#endif

using namespace vardane;
using namespace automation;
using mailprograms::Message;
using mailprograms::parseMessage;

namespace {

constexpr int StartMs = 90000; // first start of a program with a new profile
constexpr int DraftMs = 60000; // a draft on disk after Ctrl+S
constexpr int ResaveMs = 5000; // Ctrl+S again when no draft with the file has come
constexpr int GraceMs = 5000;  // after SIGTERM, before SIGKILL

// The wizard's messages, taken instead of shown.
class MessageCatcher : public Automation
{
public:
    using Automation::Automation;
    void ShowMessage(const QString& text) override { messages << text; }
    static QStringList messages;
};
QStringList MessageCatcher::messages;

} // namespace

class TestMail : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();
    void attachesToTheDraft();
    void minimisedComposeWindow();
    void frontmostOfTwoComposeWindows();
    void startedBeforeAccessibility();
    void alwaysThroughThePortal();
    void anotherProgramsPortalChooserGetsNothing();

public slots:
    void portalAnswered(uint code, const QVariantMap&) { m_portalAnswers << code; }

private:
    void start(const QStringList& subjects);
    mailprograms::ComposeWindow composeWindow(const QString& subject);
    void pressAttachVoice(const QString& subject);
    void saveDraftWithTheFile(const QString& subject);
    void endIfProgramCrashed();

    mailprograms::MailProgram m_program;
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_home;
    QByteArray m_voice;
    std::unique_ptr<QProcess> m_process;
    QElapsedTimer m_clock;
    bool m_wayland = false;
    bool m_pathAsText = false;
    bool m_portal = false;
    QList<uint> m_portalAnswers;
};

namespace {

// The desktop portal's file chooser on X11, owned by `owner` when set.
WindowQuery portalChooser(WindowHandle owner = 0)
{
    return {.className = targets::PortalFileChooserClass, .owner = owner};
}

} // namespace

void TestMail::initTestCase()
{
    QVERIFY2(QGuiApplication::platformName() == "xcb", "runs on a real X server");
    const auto program =
        mailprograms::mailProgramNamed(qEnvironmentVariable("TINDREL_MAIL_PROGRAM"));
    QVERIFY2(program, "TINDREL_MAIL_PROGRAM names no known e-mail program");
    m_program = *program;
    if (QStandardPaths::findExecutable(m_program.executable).isEmpty()) {
        const QString why = QStringLiteral("%1 is not installed (Debian package %2)")
                                .arg(m_program.executable, m_program.package);
        if (qEnvironmentVariable("CI") == "true")
            QFAIL(qPrintable(why));
        QSKIP(qPrintable(why));
    }
    m_wayland = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    m_portal = !QStringList{"", "none"}.contains(qEnvironmentVariable("SESSION_PORTAL"));
    // The path is handed over as text, not typed, into a file chooser that
    // its program offers through accessibility.
    m_pathAsText = m_wayland || mailprograms::accessibleOnX11();
    if (mailprograms::accessibleOnX11())
        QVERIFY(mailprograms::setAccessibilityEnabled(true));
    Automation::install(
        std::make_unique<MessageCatcher>(createDesktopWindowSystem(), createDesktopControls()));
    setEndProgramHandler([] {});
}

void TestMail::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_home = m_dir->filePath("home");
    QDir().mkpath(m_home);
    m_program.makeProfile(m_home);
    // Every character a file dialog or a key notation could take for something else.
    QString folder = m_dir->filePath("Voice Files ~%(x){y}");
    // Where the path is handed over as text rather than typed: whatever else
    // a folder name may hold (quotes, a backslash, shell and pattern
    // characters, a tab, a line break, a leading dash, other scripts).
    if (m_pathAsText)
        folder += QString::fromUtf8("/-'q' \"d\" \\b $HOME *?#&;!\tt\nn 日本");
    const QString file = folder + QString::fromUtf8("/[12-08-26]08 05 48AM é.wav");
    // A WAV header, then every byte value, so that a change of any byte shows.
    m_voice = QByteArray::fromHex("524946462c01000057415645666d74201000000001000100401f0000803e0000"
                                  "020010006461746108010000");
    for (int i = 0; i < 264; ++i)
        m_voice.append(static_cast<char>(i * 7 % 256));
    mailprograms::writeFile(file, m_voice);
    SetCurrentVoiceFile(file);
    m_clock.start();
}

void TestMail::cleanup()
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
    resetForms();
    qInfo("%s case took %.1f s", qPrintable(m_program.executable), m_clock.elapsed() / 1000.0);
}

void TestMail::cleanupTestCase()
{
    resetForms();
    Automation::install(nullptr);
}

void TestMail::start(const QStringList& subjects)
{
    const QProcessEnvironment env = mailprograms::mailEnvironment(m_home);
    const QList<QStringList> commands = m_program.commands(m_home, subjects);
    for (qsizetype i = 0; i < commands.size(); ++i) {
        auto process = std::make_unique<QProcess>();
        process->setProcessEnvironment(env);
        process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process->setStandardOutputFile(QProcess::nullDevice());
        process->start(m_program.executable, commands[i]);
        QVERIFY2(process->waitForStarted(), qPrintable(m_program.executable));
        if (i == 0) {
            m_process = std::move(process);
            // The next start hands its window over to this one once it is up.
            QTRY_VERIFY_WITH_TIMEOUT(bool(composeWindow(subjects[0])), StartMs);
        } else {
            QVERIFY(process->waitForFinished(StartMs));
        }
    }
    for (const QString& s : subjects)
        QTRY_VERIFY_WITH_TIMEOUT(bool(composeWindow(s)), StartMs);
}

mailprograms::ComposeWindow TestMail::composeWindow(const QString& subject)
{
    return mailprograms::findCompose(m_program, subject);
}

// An e-mail program that crashed under a case says nothing about the wizard
// (seen with Thunderbird on sway: its Wayland connection broke right after the
// file went in, and it wrote a crash dump). The run then ends with the status
// of a session that ended under it (75), so that the suite runs once more in a
// new session; elsewhere that is a failure like any other.
void TestMail::endIfProgramCrashed()
{
    const bool ended = m_process && m_process->state() == QProcess::NotRunning;
    const bool dumped =
        !QDir(m_home + "/profile/minidumps").entryList({"*.dmp"}, QDir::Files).isEmpty();
    if (!ended && !dumped)
        return;
    qWarning("%s crashed under the case (%s): the run ends to be run again",
             qPrintable(m_program.executable), dumped ? "a crash dump was written" : "it ended");
    std::fflush(nullptr);
    std::_Exit(75);
}

void TestMail::pressAttachVoice(const QString& subject)
{
    form6().show();
    QVERIFY(QTest::qWaitForWindowExposed(&form6()));
    QElapsedTimer clock;
    clock.start();
    // Whose chooser the program showed: the portal's, where it answers (on
    // X11 the one owned by the compose window, on Wayland one more of them).
    QTimer look;
    const WindowHandle compose = composeWindow(subject).window;
    const std::size_t portalChoosers = FindControlledWindows(targets::PortalFileChooser).size();
    bool portalChooserSeen = false;
    connect(&look, &QTimer::timeout, this, [&] {
        portalChooserSeen =
            portalChooserSeen ||
            (m_wayland ? FindControlledWindows(targets::PortalFileChooser).size() > portalChoosers
                       : compose && FindWindowLike(portalChooser(compose)) != 0);
    });
    look.start(50);
    form6().Command2->click(); // returns once the program's file dialog has closed
    look.stop();
    qInfo("Attach Voice took %.1f s", clock.elapsed() / 1000.0);
    if (m_portal && m_program.executable == "thunderbird")
        QVERIFY2(portalChooserSeen, "the file chooser was not the desktop portal's");
    QVERIFY(form7().isVisible());
    QVERIFY(form8().isVisible());
    QVERIFY(!form6().isVisible());
}

// Saves the compose window's message as a draft until one with the voice file
// is on disk (the program may still be adding the file when the first Ctrl+S
// arrives), then checks the file's bytes.
void TestMail::saveDraftWithTheFile(const QString& subject)
{
    QElapsedTimer clock;
    clock.start();
    QElapsedTimer sinceSave;
    QList<Message> drafts;
    for (;;) {
        const mailprograms::ComposeWindow w = composeWindow(subject);
        if (!w)
            endIfProgramCrashed();
        QVERIFY2(bool(w), "the compose window has gone");
        if (!sinceSave.isValid() || sinceSave.elapsed() > ResaveMs) {
            if (w.controlled) {
                const Result saved = WorkControls(
                    w.controlled, m_program.saveDraft, [] { return false; },
                    [&] { return clock.elapsed() > DraftMs; });
                if (!saved.isDone())
                    endIfProgramCrashed();
                QVERIFY2(saved.isDone(), saved.reason.c_str());
            } else {
                QCOMPARE(BringToFront(w.window), 1);
                QVERIFY(SendKeystrokes(w.window, QStringLiteral("{CTRL+S}")));
            }
            sinceSave.start();
        }
        drafts.clear();
        for (const QByteArray& raw : m_program.drafts(m_home))
            drafts << parseMessage(raw);
        const bool found = std::any_of(drafts.begin(), drafts.end(), [&](const Message& m) {
            return m.subject == subject && m.leaves.contains(m_voice);
        });
        if (found)
            break;
        if (clock.elapsed() > DraftMs) {
            for (const Message& m : drafts) {
                QStringList sizes;
                for (const QByteArray& leaf : m.leaves)
                    sizes << QString::number(leaf.size());
                qWarning("draft \"%s\": parts of %s bytes", qPrintable(m.subject),
                         qPrintable(sizes.join(", ")));
            }
            QFAIL("no draft holds the voice file's exact bytes");
        }
        ProcessPendingEvents();
    }
    qInfo("draft saved %.1f s after the first Ctrl+S", clock.elapsed() / 1000.0);
}

void TestMail::attachesToTheDraft()
{
    start({"tindrel-voice"});
    const QString language = qEnvironmentVariable("LANG");
    if (!m_program.englishTitle.isEmpty() && !language.isEmpty() && !language.startsWith("en") &&
        !language.startsWith("C")) {
        // Not found by the English title: the program speaks the session's language.
        WindowQuery english = m_program.compose;
        english.title = m_program.englishTitle.toStdString();
        AccessibleQuery accessible = m_program.accessibleCompose;
        accessible.title = english.title;
        QVERIFY2(!FindWindowLike(english) && !FindControlledWindow(accessible),
                 qPrintable(m_program.executable + " shows its compose window in English"));
    }
    pressAttachVoice("tindrel-voice");
    saveDraftWithTheFile("tindrel-voice");
}

void TestMail::minimisedComposeWindow()
{
    if (m_wayland)
        QSKIP("a Wayland client cannot minimise another's window");
    start({"tindrel-minimised"});
    const WindowHandle w = composeWindow("tindrel-minimised").window;
    QVERIFY(w);
    Display* display = XOpenDisplay(nullptr);
    QVERIFY(display);
    XIconifyWindow(display, static_cast<Window>(w), DefaultScreen(display));
    XCloseDisplay(display);
    QTRY_VERIFY_WITH_TIMEOUT(IsMinimized(w) != 0, StartMs);
    pressAttachVoice("tindrel-minimised");
    QCOMPARE(IsMinimized(w), 0);
    saveDraftWithTheFile("tindrel-minimised");
}

void TestMail::frontmostOfTwoComposeWindows()
{
    if (m_wayland && qEnvironmentVariable("XDG_CURRENT_DESKTOP") == "GNOME")
        QSKIP("GNOME lets no program bring another's window to the front");
    start({"tindrel-front", "tindrel-behind"});
    // The first opened is put in front, so the one that wins is neither the
    // newest nor the one the program opened last.
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
            const auto w = composeWindow("tindrel-front");
            return w.window ? BringToFront(w.window) == 1 : RaiseControlledWindow(w.controlled);
        }(),
        StartMs);
    pressAttachVoice("tindrel-front");
    saveDraftWithTheFile("tindrel-front");
    // Attached to that one only, and once.
    for (const QByteArray& raw : m_program.drafts(m_home)) {
        const Message m = parseMessage(raw);
        QVERIFY2(m.subject != "tindrel-behind" || !m.leaves.contains(m_voice),
                 "the window behind got the file");
        QVERIFY2(m.leaves.count(m_voice) <= 1, "the file was attached twice");
    }
}

// Thunderbird on Wayland joins the accessibility bus only if the desktop's
// accessibility was on when it started. Started before the wizard turned it
// on, it cannot be reached: the wizard says what to do, once, and after a
// restart of Thunderbird the file is attached.
void TestMail::startedBeforeAccessibility()
{
    if (!m_wayland || m_program.executable != "thunderbird")
        QSKIP("only Thunderbird on Wayland looks at accessibility once, at its start");
    using mailprograms::setAccessibilityEnabled;
    QVERIFY(setAccessibilityEnabled(false));
    const QString subject = "tindrel-restarted";
    const QStringList args = m_program.commands(m_home, {subject}).constFirst();
    m_process = std::make_unique<QProcess>();
    m_process->setProcessEnvironment(mailprograms::mailEnvironment(m_home));
    m_process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process->setStandardOutputFile(QProcess::nullDevice());
    m_process->start(m_program.executable, args);
    QVERIFY(m_process->waitForStarted());
    // Once its profile is in use it has long looked at the setting.
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(m_home + "/profile/compatibility.ini").exists(), StartMs);
    // As the wizard did at its start, after Thunderbird's.
    QVERIFY(setAccessibilityEnabled(true));

    MessageCatcher::messages.clear();
    form6().show();
    QVERIFY(QTest::qWaitForWindowExposed(&form6()));
    form6().Command2->click();
    QCOMPARE(MessageCatcher::messages.size(), 1);
    QVERIFY2(MessageCatcher::messages[0].contains("Close Thunderbird, start it again"),
             qPrintable(MessageCatcher::messages[0]));
    QVERIFY(form6().isVisible());
    // Said once: the next press has the usual notice asking for a compose window.
    form6().Command2->click();
    QCOMPARE(MessageCatcher::messages.size(), 1);
    QTRY_VERIFY_WITH_TIMEOUT(existingForm(11) && existingForm(11)->isVisible(), 10000);
    existingForm(11)->hide();

    // The user does as told.
    m_process->terminate();
    QVERIFY(m_process->waitForFinished(StartMs));
    m_process.reset();
    start({subject});
    pressAttachVoice(subject);
    saveDraftWithTheFile(subject);
}

// Set so in a snap or a Flatpak: Thunderbird always asks the portal.
void TestMail::alwaysThroughThePortal()
{
    if (!m_portal || m_program.executable != "thunderbird")
        QSKIP("Thunderbird on a session with the desktop portal");
    QFile prefs(m_home + "/profile/user.js");
    QVERIFY(prefs.open(QIODevice::Append));
    prefs.write("user_pref(\"widget.use-xdg-desktop-portal.file-picker\", 1);\n");
    prefs.close();
    start({"tindrel-portal"});
    pressAttachVoice("tindrel-portal");
    saveDraftWithTheFile("tindrel-portal");
}

// Another program has a portal file chooser open, of the same backend process,
// while the file is attached: it gets no key and no path, and stays open
// without an answer.
void TestMail::anotherProgramsPortalChooserGetsNothing()
{
    if (!m_portal || m_program.executable != "thunderbird")
        QSKIP("Thunderbird on a session with the desktop portal");
    QWidget other;
    other.setWindowTitle("Another Program");
    other.resize(400, 300);
    other.show();
    QVERIFY(QTest::qWaitForWindowExposed(&other));
    // A native program's window cannot be named to the portal from here.
    const QString owner =
        m_wayland ? QString() : QStringLiteral("x11:%1").arg(other.winId(), 0, 16);
    QDBusMessage open = QDBusMessage::createMethodCall(
        "org.freedesktop.portal.Desktop", "/org/freedesktop/portal/desktop",
        "org.freedesktop.portal.FileChooser", "OpenFile");
    open << owner << QStringLiteral("Choose a Picture") << QVariantMap();
    const QDBusMessage asked = QDBusConnection::sessionBus().call(open, QDBus::Block, StartMs);
    QCOMPARE(asked.type(), QDBusMessage::ReplyMessage);
    const QString request = asked.arguments().value(0).value<QDBusObjectPath>().path();
    m_portalAnswers.clear();
    QVERIFY(QDBusConnection::sessionBus().connect({}, request, "org.freedesktop.portal.Request",
                                                  "Response", this,
                                                  SLOT(portalAnswered(uint, QVariantMap))));
    WindowQuery otherChooser = portalChooser(static_cast<WindowHandle>(other.winId()));
    otherChooser.title = "Choose a Picture";
    AccessibleQuery otherNative = targets::PortalFileChooser;
    otherNative.title = otherChooser.title + " — Portal|" + otherChooser.title; // KDE's, GNOME's
    const auto otherOpen = [&]() -> std::uint64_t {
        return m_wayland ? FindControlledWindow(otherNative) : FindWindowLike(otherChooser);
    };
    QTRY_VERIFY_WITH_TIMEOUT(otherOpen() != 0, StartMs);
    const std::uint64_t before = otherOpen();

    start({"tindrel-beside"});
    pressAttachVoice("tindrel-beside");
    saveDraftWithTheFile("tindrel-beside");
    QCOMPARE(otherOpen(), before);
    QVERIFY2(m_portalAnswers.isEmpty(), "the other program's chooser answered");

    QDBusConnection::sessionBus().call(QDBusMessage::createMethodCall(
        "org.freedesktop.portal.Desktop", request, "org.freedesktop.portal.Request", "Close"));
    QTRY_VERIFY_WITH_TIMEOUT(otherOpen() == 0, StartMs);
}

QTEST_MAIN(TestMail)
#include "tst_mail.moc"
