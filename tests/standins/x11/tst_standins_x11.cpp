// The stand-in e-mail program as a separate program on a real X display (Xvfb + openbox):
// windows found by their exact titles, keys sent with XTest in the groups the
// voice wizard sends, without waiting between the keys of a group or between
// groups that the wizard sends back to back.
//
// The typed-ahead cases send, through the wizard's own X11 backend, keys for a
// dialog or question right behind the keys that open it, without waiting for
// it: the X server addresses them to the window that has the focus when they
// are sent (the main window, the menu, the dialog underneath), before the
// program has even opened the new window. They must all reach the new window,
// as queued keys do on the desktop the programs come from.

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "X11TestDesktop.h"

#include <memory>

using namespace x11test;

class TestStandinsX11 : public ProgramSuite
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void mailerAttachesTheTypedPath_data();
    void mailerAttachesTheTypedPath();

    void fileWindowKeysTypedAhead_data();
    void fileWindowKeysTypedAhead();

private:
};

void TestStandinsX11::init()
{
    setUpCase();
}

void TestStandinsX11::cleanup()
{
    tearDownCase();
}

void TestStandinsX11::mailerAttachesTheTypedPath_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("title");
    QTest::newRow("netscape") << "netscape"
                              << "Netscape - [Message Composition]";
    QTest::newRow("composition") << "composition"
                                 << "Composition";
    QTest::newRow("newmessage") << "newmessage"
                                << "New Message";
}

void TestStandinsX11::mailerAttachesTheTypedPath()
{
    QFETCH(QString, kind);
    QFETCH(QString, title);
    const QString path =
        m_dir->filePath(QStringLiteral("Voice ~%(x) [1]/[12-06-98]03 45 12PM.wav"));
    m_process->start(QStringLiteral(STANDIN_MAILER),
                     {QStringLiteral("--kind"), kind, QStringLiteral("--log"),
                      m_dir->filePath(QStringLiteral("log"))});
    QVERIFY(m_process->waitForStarted(Wait));
    Desktop& x = *m_desktop;
    const Window compose = x.waitFor(title);
    QVERIFY(compose);
    QVERIFY(x.activate(compose));

    if (kind == QLatin1String("netscape")) {
        x.send(QStringLiteral("%F"));
        x.send(QStringLiteral("F"));
        const Window attachments = x.waitFor(QStringLiteral("Attachments"));
        QVERIFY(attachments && x.isDialog(attachments));
        QVERIFY(x.activate(attachments));
        x.send(QStringLiteral("F"));
        const Window file = x.waitFor(QStringLiteral("Enter file to attach"));
        QVERIFY(file && x.isDialog(file));
        QVERIFY(x.activate(file));
        x.type(path);
        x.send(QStringLiteral("~"));
        x.send(QStringLiteral("~"));
        QVERIFY(waitLog(QStringLiteral("closed\tAttachments\tOK")));
    } else {
        if (kind == QLatin1String("composition")) {
            for (const char* keys : {"%F", "T", "T", "~", "~"})
                x.send(QString::fromLatin1(keys));
        } else {
            x.send(QStringLiteral("%I"));
            x.send(QStringLiteral("A"));
        }
        const QString fileTitle = kind == QLatin1String("composition")
                                      ? QStringLiteral("Enter file to attach")
                                      : QStringLiteral("Insert Attachment");
        QVERIFY(x.waitFor(fileTitle));
        // Not brought to the front: a window that opens takes the keyboard.
        QVERIFY(waitLog(QStringLiteral("shown\t") + fileTitle));
        x.type(path);
        x.send(QStringLiteral("~"));
        QVERIFY(waitLog(QStringLiteral("hidden\t") + fileTitle));
    }
    const QStringList lines = log();
    QCOMPARE(lines.filter(QStringLiteral("attached\t")),
             QStringList{QStringLiteral("attached\t%1\tmissing").arg(path)});
    // The window manager takes a closed window off its client list on its own
    // time, after the program has logged it hidden.
    QVERIFY(QTest::qWaitFor(
        [&] {
            return !x.find(QStringLiteral("Enter file to attach")) &&
                   !x.find(QStringLiteral("Insert Attachment")) &&
                   !x.find(QStringLiteral("Attachments"));
        },
        Wait));
}

void TestStandinsX11::fileWindowKeysTypedAhead_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("fileWindow");
    QTest::newRow("netscape") << "netscape"
                              << "Netscape - [Message Composition]"
                              << "Enter file to attach";
    QTest::newRow("composition") << "composition"
                                 << "Composition"
                                 << "Enter file to attach";
    QTest::newRow("newmessage") << "newmessage"
                                << "New Message"
                                << "Insert Attachment";
}

void TestStandinsX11::fileWindowKeysTypedAhead()
{
    // The attach keys, the path and the Enter that confirms it in one go,
    // through menus that close and dialogs that open on the way: the path is
    // addressed to the compose window (or the menu), which the file window
    // covers by the time it is read.
    QFETCH(QString, kind);
    QFETCH(QString, title);
    QFETCH(QString, fileWindow);
    const QString path =
        m_dir->filePath(QStringLiteral("Voice ~%(x) [1]/[12-06-98]03 45 12PM.wav"));
    m_process->start(QStringLiteral(STANDIN_MAILER),
                     {QStringLiteral("--kind"), kind, QStringLiteral("--log"),
                      m_dir->filePath(QStringLiteral("log"))});
    QVERIFY(m_process->waitForStarted(Wait));
    Wizard wizard;
    QVERIFY(wizard.ok());
    QVERIFY(wizard.bringToFront(title));
    if (kind == QLatin1String("netscape"))
        QVERIFY(wizard.send({"%F", "F", "F"}));
    else if (kind == QLatin1String("composition"))
        QVERIFY(wizard.send({"%F", "T", "T", "~", "~"}));
    else
        QVERIFY(wizard.send({"%I", "A"}));
    QVERIFY(wizard.type(path));
    QVERIFY(wizard.send({"~"}));
    if (kind == QLatin1String("netscape"))
        QVERIFY(wizard.send({"~"})); // closes "Attachments"
    QVERIFY2(waitLog(QStringLiteral("attached\t%1\tmissing").arg(path)),
             qPrintable(log().join(QLatin1Char('\n'))));
    QVERIFY(waitLog(QStringLiteral("hidden\t") + fileWindow));
    if (kind == QLatin1String("netscape"))
        QVERIFY(waitLog(QStringLiteral("closed\tAttachments\tOK")));
    QCOMPARE(log().filter(QStringLiteral("attached\t")).size(), 1);
    QVERIFY(QTest::qWaitFor([&] { return !wizard.find(fileWindow); }, Wait));
}

QTEST_GUILESS_MAIN(TestStandinsX11)
#include "tst_standins_x11.moc"
