// The stand-in e-mail program driven with the keys the voice wizard sends for
// each kind of compose window.

#include "MailerWindows.h"
#include "EventLog.h"
#include "StandinTestKeys.h"
#include "StandinTestMain.h"

#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace mailer;
using namespace standin::testkeys;

Q_DECLARE_METATYPE(mailer::ComposeKind)

namespace {

constexpr int Wait = 10000;

bool waitActive(const QString& title)
{
    return QTest::qWaitFor([&] { return activeTitle() == title; }, Wait);
}

} // namespace

class TestMailer : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void kindNames();
    void attachWithTheKindsKeys_data();
    void attachWithTheKindsKeys();
    void escapeAttachesNothing_data();
    void escapeAttachesNothing();
    void emptyNameKeepsTheWindowOpen();

private:
    void start(ComposeKind kind);
    // The kind's keys up to its file window, as the wizard sends them.
    void openFileWindow(ComposeKind kind);
    QStringList log() const { return readLog(m_dir->filePath(QStringLiteral("mailer.log"))); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ComposeWindow> m_window;
};

void TestMailer::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QVERIFY(classic::openLog(m_dir->filePath(QStringLiteral("mailer.log"))));
}

void TestMailer::cleanup()
{
    m_window.reset();
    classic::closeLog();
    m_dir.reset();
}

void TestMailer::start(ComposeKind kind)
{
    m_window = std::make_unique<ComposeWindow>(kind);
    m_window->show();
    QVERIFY(waitActive(composeTitle(kind)));
}

void TestMailer::openFileWindow(ComposeKind kind)
{
    switch (kind) {
    case ComposeKind::Netscape:
        QVERIFY(alt('f') && type(QStringLiteral("F")));
        QVERIFY(waitActive(QStringLiteral("Attachments")));
        QVERIFY(m_window->attachmentsDialog()->isModal());
        QCOMPARE(m_window->attachmentsDialog()->parentWidget(), m_window.get());
        QVERIFY(type(QStringLiteral("F")));
        break;
    case ComposeKind::Composition: {
        QVERIFY(alt('f') && type(QStringLiteral("T")) && type(QStringLiteral("T")) && enter());
        // The shared letter only moved the highlight: Enter opened "Attach"
        // with its first item highlighted, and nothing else is open yet.
        auto* submenu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QVERIFY(submenu);
        QCOMPARE(submenu->title(), QStringLiteral("A&ttach"));
        QCOMPARE(submenu->activeAction()->text(), QStringLiteral("&File..."));
        QVERIFY(!m_window->fileDialog());
        QVERIFY(enter());
        break;
    }
    case ComposeKind::NewMessage:
        QVERIFY(alt('i') && type(QStringLiteral("A")));
        break;
    }
    QVERIFY(waitActive(fileWindowTitle(kind)));
    QVERIFY(m_window->fileDialog()->isModal());
    QCOMPARE(QApplication::focusWidget(), m_window->fileDialog()->nameBox());
}

void TestMailer::kindNames()
{
    QCOMPARE(composeKindFromName(QStringLiteral("netscape")), ComposeKind::Netscape);
    QCOMPARE(composeKindFromName(QStringLiteral("composition")), ComposeKind::Composition);
    QCOMPARE(composeKindFromName(QStringLiteral("newmessage")), ComposeKind::NewMessage);
    QVERIFY(!composeKindFromName(QStringLiteral("Netscape")));
    QVERIFY(!composeKindFromName(QString()));
}

void TestMailer::attachWithTheKindsKeys_data()
{
    QTest::addColumn<ComposeKind>("kind");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("keyLines");
    QTest::newRow("netscape") << ComposeKind::Netscape << "Netscape - [Message Composition]"
                              << QStringList{
                                     "key\tNetscape - [Message Composition]\tAlt+F\tf\tshortcut",
                                     "key\tmenu:File\tShift+F\tF",
                                     "shown\tAttachments",
                                     "key\tAttachments\tShift+F\tF",
                                     "shown\tEnter file to attach",
                                 };
    QTest::newRow("composition") << ComposeKind::Composition << "Composition"
                                 << QStringList{
                                        "key\tComposition\tAlt+F\tf\tshortcut",
                                        "key\tmenu:File\tShift+T\tT",
                                        "key\tmenu:File\tShift+T\tT",
                                        "key\tmenu:File\tReturn\t\\r",
                                        "key\tmenu:Attach\tReturn\t\\r",
                                        "shown\tEnter file to attach",
                                    };
    QTest::newRow("newmessage") << ComposeKind::NewMessage << "New Message"
                                << QStringList{
                                       "key\tNew Message\tAlt+I\ti\tshortcut",
                                       "key\tmenu:Insert\tShift+A\tA",
                                       "shown\tInsert Attachment",
                                   };
}

void TestMailer::attachWithTheKindsKeys()
{
    QFETCH(ComposeKind, kind);
    QFETCH(QString, title);
    QFETCH(QStringList, keyLines);

    const QString folder = m_dir->filePath(QStringLiteral("Voice ~%(x) [é]"));
    QVERIFY(QDir().mkpath(folder));
    const QString path = folder + QStringLiteral("/[12-06-98]03 45 12PM.wav");
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }

    start(kind);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(m_window->windowTitle(), title);
    openFileWindow(kind);
    if (QTest::currentTestFailed())
        return;
    QVERIFY(type(path));
    const QPointer<QWidget> fileWindowKeys = QApplication::focusWidget();
    QVERIFY(enter());
    QVERIFY(!m_window->fileDialog());
    QCOMPARE(m_window->attachments(), QStringList{path});
    if (kind == ComposeKind::Netscape) {
        // The wizard's second Enter follows the first at once: it was meant
        // for the window that has the keyboard next, and closes "Attachments".
        QVERIFY(fileWindowKeys);
        QTest::sendKeyEvent(QTest::Click, fileWindowKeys, Qt::Key_Return, QStringLiteral("\r"), {});
        QVERIFY(!m_window->attachmentsDialog());
    }
    QVERIFY(waitActive(title));

    const QStringList lines = log();
    qsizetype at = 0;
    for (const QString& line : keyLines) {
        const qsizetype found = lines.indexOf(line, at);
        QVERIFY2(found >= 0, qPrintable(line));
        at = found + 1;
    }
    QVERIFY(lines.contains(QStringLiteral("attached\t%1\tfound").arg(path)));
    QCOMPARE(lines.filter(QStringLiteral("attached\t")).size(), 1);
    QVERIFY(lines.contains(QStringLiteral("hidden\t") + fileWindowTitle(kind)));
    if (kind == ComposeKind::Netscape) {
        QCOMPARE(lines.mid(lines.indexOf(QStringLiteral("attached\t%1\tfound").arg(path)) + 1),
                 (QStringList{QStringLiteral("hidden\tEnter file to attach"),
                              QStringLiteral("redirected\tEnter file to attach\tAttachments"),
                              QStringLiteral("key\tAttachments\tReturn\t\\r"),
                              QStringLiteral("hidden\tAttachments"),
                              QStringLiteral("closed\tAttachments\tOK")}));
    }
}

void TestMailer::escapeAttachesNothing_data()
{
    QTest::addColumn<ComposeKind>("kind");
    QTest::newRow("netscape") << ComposeKind::Netscape;
    QTest::newRow("composition") << ComposeKind::Composition;
    QTest::newRow("newmessage") << ComposeKind::NewMessage;
}

void TestMailer::escapeAttachesNothing()
{
    QFETCH(ComposeKind, kind);
    start(kind);
    if (QTest::currentTestFailed())
        return;
    openFileWindow(kind);
    if (QTest::currentTestFailed())
        return;
    QVERIFY(type(QStringLiteral("/tmp/not attached.wav")));
    QVERIFY(escape());
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->fileDialog(), Wait);
    QVERIFY(m_window->attachments().isEmpty());
    const QStringList lines = log();
    QVERIFY(lines.contains(QStringLiteral("cancel\t") + fileWindowTitle(kind)));
    QVERIFY(lines.filter(QStringLiteral("attached\t")).isEmpty());
}

void TestMailer::emptyNameKeepsTheWindowOpen()
{
    start(ComposeKind::NewMessage);
    if (QTest::currentTestFailed())
        return;
    openFileWindow(ComposeKind::NewMessage);
    if (QTest::currentTestFailed())
        return;
    QVERIFY(enter());
    QTest::qWait(50);
    QVERIFY(m_window->fileDialog() && m_window->fileDialog()->isVisible());
    QVERIFY(m_window->attachments().isEmpty());
    QVERIFY(log().contains(QStringLiteral("empty\tInsert Attachment")));
}

STANDIN_TEST_MAIN(TestMailer)
#include "tst_mailer.moc"
