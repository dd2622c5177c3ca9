// Attaching the voice file to an e-mail, against scripted e-mail programs:
// which compose window is chosen, the exact keys of each kind, the waits, the
// abandon rule, the notices and their timers, and the time limit.

#include "FakeMailer.h"
#include "Form1.h"
#include "Form11.h"
#include "Form2.h"
#include "Form3.h"
#include "Form4.h"
#include "Form5.h"
#include "Form6.h"
#include "Form7.h"
#include "Form8.h"
#include "Form9.h"
#include "Module1.h"

#include <QElapsedTimer>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

using namespace vardane;
using namespace automation;

Q_DECLARE_METATYPE(vardane::ComposeKind)

namespace {

QString literal(const QString& text)
{
    return QString::fromStdString(describeKeys(literalKeys(text.toStdU32String())));
}

const QString Path = QStringLiteral("/home/u/Voice Files/[12-06-98]03 45 12PM ~(x).wav");

} // namespace

class TestAttach : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void eachKindIsDrivenWithItsKeys_data();
    void eachKindIsDrivenWithItsKeys();
    void pressDuringSavedNoticeKeepsTheKeysOutOfTheWizard_data();
    void pressDuringSavedNoticeKeepsTheKeysOutOfTheWizard();
    void preferenceOrderWhenSeveralAreOpen();
    void titlesMustMatchWhole();
    void minimisedComposeWindowIsRestoredFirst();
    void noComposeWindowShowsTheNoticeAfterTwoSeconds();
    void secondPressWhileNoticeIsUpTakesTheGuardPath();
    void cancelledFileDialogStillReportsSuccess();
    void newMessageNoticesComeHalfASecondAfterTheDialog();
    void attachedNoticeHidesAfterItsTime();
    void abandonWindowsEndThePress_data();
    void abandonWindowsEndThePress();
    void composeWindowThatNeverComesForwardIsGivenUp();
    void startOverReturnsToTheMainWindow();

private:
    ScriptedAutomation* m_auto = nullptr;
};

void TestAttach::init()
{
    m_auto = &ScriptedAutomation::installNew();
    setEndProgramHandler([] {});
    SetOutsideWaitLimitMs(DefaultOutsideWaitLimitMs);
    form1().hide();
    SetCurrentVoiceFile(Path);
    form6().show();
}

void TestAttach::cleanup()
{
    resetForms();
}

void TestAttach::eachKindIsDrivenWithItsKeys_data()
{
    QTest::addColumn<ComposeKind>("kind");
    QTest::addColumn<QStringList>("keys");
    QTest::newRow("Netscape") << ComposeKind::Netscape
                              << QStringList{"%F", "F", "F", literal(Path), "~", "~"};
    QTest::newRow("Composition") << ComposeKind::Composition
                                 << QStringList{"%F", "T", "T", "~", "~", literal(Path), "~"};
    QTest::newRow("NewMessage") << ComposeKind::NewMessage
                                << QStringList{"%I", "A", literal(Path), "~"};
    QTest::newRow("Thunderbird") << ComposeKind::Thunderbird
                                 << QStringList{"{CTRL+SHIFT+A}", "/", "{CTRL+A}", literal(Path),
                                                "~"};
    QTest::newRow("Evolution") << ComposeKind::Evolution
                               << QStringList{"{CTRL+M}", "/", "{CTRL+A}", literal(Path), "~"};
    QTest::newRow("ClawsMail") << ComposeKind::ClawsMail
                               << QStringList{"{CTRL+M}", "/", "{CTRL+A}", literal(Path), "~"};
}

void TestAttach::eachKindIsDrivenWithItsKeys()
{
    QFETCH(ComposeKind, kind);
    QFETCH(QStringList, keys);
    FakeMailer mail(*m_auto, kind);
    m_auto->world().setForeground(0);
    QElapsedTimer clock;
    clock.start();
    form6().Command2->click();

    QCOMPARE(m_auto->world().sends(), keys);
    QCOMPARE(mail.attached, QStringList{Path}); // "~" and "(" arrived as themselves
    // Half a second before each key group that goes to a window just found.
    const int groups = kind == ComposeKind::Netscape ? 3 : 2;
    QVERIFY(clock.elapsed() >= groups * 500);
    QVERIFY(!form6().isVisible());
    QVERIFY(form7().isVisible());
    QVERIFY(form8().isVisible());
    QVERIFY(form6().Timer1->isActive());
    QVERIFY(!form6().Timer2->isActive());
    QVERIFY(!form11().isVisible());
    const auto& log = m_auto->world().log;
    if (kind == ComposeKind::Netscape) {
        QVERIFY(!log.filter("FindTopWindow(#32770, Attachments)").isEmpty());
        QVERIFY(!log.filter("FindTopWindow(#32770, Enter file to attach)").isEmpty());
    } else if (kind < ComposeKind::Thunderbird) {
        QVERIFY(log.filter("FindTopWindow(#32770").isEmpty()); // any class
    }
}

void TestAttach::pressDuringSavedNoticeKeepsTheKeysOutOfTheWizard_data()
{
    eachKindIsDrivenWithItsKeys_data();
}

// Pressed while the saved notice is still up, and with one of the wizard's
// windows taking the keyboard while the file dialog is waited on and cannot
// be brought forward for a moment: the notice ends with the press, the attach
// window stays hidden, and every key still reaches the e-mail program once.
void TestAttach::pressDuringSavedNoticeKeepsTheKeysOutOfTheWizard()
{
    QFETCH(ComposeKind, kind);
    QFETCH(QStringList, keys);
    FakeMailer mail(*m_auto, kind);
    form9().show();
    form9().Timer1->start();
    bool attachWindowCameBack = false;
    bool keyboardTaken = false;
    WindowHandle fileWindow = 0;
    m_auto->onPass = [&] {
        attachWindowCameBack = attachWindowCameBack || form6().isVisible();
        if (mail.fileDialog && !keyboardTaken) {
            keyboardTaken = true;
            form11().show(); // one of the wizard's windows comes up and takes the keyboard
            m_auto->world().giveKeyboardToProgram();
            auto& world = m_auto->world();
            const WindowHandle dialog = fileWindow = mail.fileDialog;
            world.window(dialog)->acceptsFront = false;
            QTimer::singleShot(700, [&world, dialog] {
                if (auto* w = world.window(dialog))
                    w->acceptsFront = true;
            });
        }
    };
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("nothing sent"));
    form6().Command2->click();
    m_auto->onPass = nullptr;

    QVERIFY(keyboardTaken);
    QVERIFY(!form9().isVisible());
    QVERIFY(!form9().Timer1->isActive());
    QVERIFY(!attachWindowCameBack);
    QCOMPARE(m_auto->world().sends(), keys);
    // The file window was brought back before the path (or, for a file
    // chooser, the keys that open its location field) went to it.
    const QStringList& log = m_auto->world().log;
    const QString first = kind >= ComposeKind::Thunderbird ? QStringLiteral("/") : literal(Path);
    const auto typed = log.indexOf("Keys(" + first + ")");
    QVERIFY(typed > 0);
    QCOMPARE(log[typed - 1], QStringLiteral("BringToFront(%1) = 1").arg(fileWindow));
    QCOMPARE(mail.attached, QStringList{Path});
    QVERIFY(!m_auto->world().programHasKeyboard());
    QVERIFY(form7().isVisible() && form8().isVisible() && !form6().isVisible());
}

void TestAttach::preferenceOrderWhenSeveralAreOpen()
{
    FakeMailer other(*m_auto, ComposeKind::NewMessage);
    FakeMailer netscape(*m_auto, ComposeKind::Netscape);
    FakeMailer composition(*m_auto, ComposeKind::Composition);
    form6().Command2->click();
    QCOMPARE(netscape.attached, QStringList{Path});
    QVERIFY(other.typed.isEmpty() && composition.typed.isEmpty());
    QVERIFY(m_auto->world().window(other.compose)->received.empty());
    QVERIFY(m_auto->world().window(composition.compose)->received.empty());

    // Two windows with the same title: the frontmost is used.
    resetForms();
    m_auto = &ScriptedAutomation::installNew();
    form1().hide();
    SetCurrentVoiceFile(Path);
    FakeMailer back(*m_auto, ComposeKind::Composition);
    FakeMailer front(*m_auto, ComposeKind::Composition);
    form6().show();
    form6().Command2->click();
    QCOMPARE(front.attached, QStringList{Path});
    QVERIFY(back.attached.isEmpty());

    // The kinds known by title come before those known by class; among
    // these, the same order as in the table.
    resetForms();
    m_auto = &ScriptedAutomation::installNew();
    form1().hide();
    SetCurrentVoiceFile(Path);
    FakeMailer evolution(*m_auto, ComposeKind::Evolution);
    FakeMailer claws(*m_auto, ComposeKind::ClawsMail); // above the other, yet second
    FakeMailer titled(*m_auto, ComposeKind::NewMessage);
    form6().show();
    form6().Command2->click();
    QCOMPARE(titled.attached, QStringList{Path});
    QVERIFY(claws.typed.isEmpty() && evolution.typed.isEmpty());
    titled.world().close(titled.compose);
    form7().hide();
    form8().hide();
    form6().show();
    form6().Command2->click();
    QCOMPARE(evolution.attached, QStringList{Path});
    QVERIFY(claws.typed.isEmpty());
}

void TestAttach::titlesMustMatchWhole()
{
    m_auto->world().open("Re: New Message");
    m_auto->world().open("Composition - Draft");
    m_auto->world().open("new message");
    form6().Command2->click();
    QVERIFY(form6().isVisible());
    QVERIFY(form6().Timer2->isActive());
    QVERIFY(m_auto->world().sends().isEmpty());
    QTRY_VERIFY_WITH_TIMEOUT(form11().isVisible(), 5000);
}

void TestAttach::minimisedComposeWindowIsRestoredFirst()
{
    FakeMailer mail(*m_auto, ComposeKind::NewMessage);
    m_auto->world().minimize(mail.compose);
    form6().Command2->click();
    const QStringList& log = m_auto->world().log;
    const QString id = QString::number(mail.compose);
    const auto restored = log.indexOf("RestoreWindow(" + id + ")");
    qsizetype firstFront = 0;
    while (firstFront < log.size() && !log[firstFront].startsWith("BringToFront"))
        ++firstFront;
    QVERIFY(restored >= 0);
    QVERIFY(restored < firstFront);
    QCOMPARE(mail.attached, QStringList{Path});
}

void TestAttach::noComposeWindowShowsTheNoticeAfterTwoSeconds()
{
    QElapsedTimer clock;
    clock.start();
    form6().Command2->click();
    QVERIFY(form6().isVisible());
    QVERIFY(!formExists(11) || !form11().isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(formExists(11) && form11().isVisible(), 5000);
    QVERIFY2(clock.elapsed() >= 1950, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(!form6().Timer2->isActive());
    form11().Command1->click();
    QVERIFY(!form11().isVisible());
    QVERIFY(form6().isVisible());
}

void TestAttach::secondPressWhileNoticeIsUpTakesTheGuardPath()
{
    form11().show();
    FakeMailer later(*m_auto, ComposeKind::Netscape);
    m_auto->world().window(later.compose)->acceptsFront = false;
    QTimer::singleShot(300, [&] { m_auto->world().window(later.compose)->acceptsFront = true; });
    form6().Command2->click();
    // No search: the Netscape sequence waited for its window, with Form6 left up.
    QVERIFY(m_auto->world().log.filter("FindTopWindow(New Message)").isEmpty());
    QCOMPARE(later.attached, QStringList{Path});
    QVERIFY(form7().isVisible());
    QVERIFY(!form6().isVisible()); // completion hides it
}

void TestAttach::cancelledFileDialogStillReportsSuccess()
{
    FakeMailer mail(*m_auto, ComposeKind::Composition);
    mail.autoAccept = false;
    m_auto->onPass = [&] {
        if (mail.fileDialog && !mail.typed.isEmpty() && m_auto->world().sends().last() == "~")
            mail.cancelFileDialog();
    };
    form6().Command2->click();
    QVERIFY(mail.cancelled);
    QVERIFY(mail.attached.isEmpty());
    QVERIFY(form8().isVisible());
    QVERIFY(form7().isVisible());
}

void TestAttach::newMessageNoticesComeHalfASecondAfterTheDialog()
{
    FakeMailer mail(*m_auto, ComposeKind::NewMessage);
    mail.autoAccept = false;
    QElapsedTimer sinceGone;
    m_auto->onPass = [&] {
        if (mail.fileDialog && !mail.typed.isEmpty() && m_auto->world().sends().last() == "~") {
            mail.cancelFileDialog();
            sinceGone.start();
        }
    };
    form6().Command2->click();
    QVERIFY(sinceGone.isValid());
    QVERIFY2(sinceGone.elapsed() >= 500, qPrintable(QString::number(sinceGone.elapsed())));
    QVERIFY(form8().isVisible());
}

void TestAttach::attachedNoticeHidesAfterItsTime()
{
    FakeMailer mail(*m_auto, ComposeKind::NewMessage);
    form6().Command2->click();
    QVERIFY(form8().isVisible());
    QElapsedTimer clock;
    clock.start();
    QTRY_VERIFY_WITH_TIMEOUT(!form8().isVisible(), 5000);
    QVERIFY2(clock.elapsed() >= 2200, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(!form6().Timer1->isActive());
    QVERIFY(form7().isVisible()); // stays until the user acts
}

void TestAttach::abandonWindowsEndThePress_data()
{
    QTest::addColumn<int>("form");
    QTest::addColumn<bool>("duringAttachments");
    QTest::newRow("Form7") << 7 << false;
    QTest::newRow("Form3") << 3 << false;
    QTest::newRow("Form2") << 2 << false;
    QTest::newRow("Form4") << 4 << false;
    QTest::newRow("Form1 while waiting for Attachments") << 1 << true;
}

void TestAttach::abandonWindowsEndThePress()
{
    QFETCH(int, form);
    QFETCH(bool, duringAttachments);
    FakeMailer mail(*m_auto, ComposeKind::Netscape);
    QWidget* abandonWindow = form == 7   ? static_cast<QWidget*>(&form7())
                             : form == 3 ? static_cast<QWidget*>(&form3())
                             : form == 2 ? static_cast<QWidget*>(&form2())
                             : form == 4 ? static_cast<QWidget*>(&form4())
                                         : static_cast<QWidget*>(&form1());
    abandonWindow->hide();
    if (duringAttachments) {
        // The compose window takes the keys but its Attachments dialog never opens.
        m_auto->world().window(mail.compose)->onKey = {};
    } else {
        m_auto->world().window(mail.compose)->acceptsFront = false;
    }
    QTimer::singleShot(700, abandonWindow, [abandonWindow] { abandonWindow->show(); });
    form6().Command2->click();
    QVERIFY(mail.attached.isEmpty());
    QVERIFY(!form8().isVisible());
    QVERIFY(form == 7 || !form7().isVisible());
    QVERIFY(!form6().Timer1->isActive());
    QVERIFY(m_auto->messages.isEmpty());
    // The press ended there: no later step went on waiting.
    QVERIFY(m_auto->world().log.filter("Enter file to attach").isEmpty());
}

void TestAttach::composeWindowThatNeverComesForwardIsGivenUp()
{
    SetOutsideWaitLimitMs(400);
    FakeMailer mail(*m_auto, ComposeKind::Composition);
    m_auto->world().window(mail.compose)->acceptsFront = false;
    form6().Command2->click();
    QCOMPARE(m_auto->messages.size(), 1);
    QVERIFY(m_auto->messages[0].contains("\"Composition\""));
    QVERIFY(form6().isVisible()); // back, to try again or start over
    QVERIFY(m_auto->world().sends().isEmpty());
    QVERIFY(m_auto->passes < 200);

    // A file dialog that never opens is given up too.
    m_auto->messages.clear();
    m_auto->world().window(mail.compose)->acceptsFront = true;
    m_auto->world().window(mail.compose)->onKey = {};
    form6().Command2->click();
    QCOMPARE(m_auto->messages.size(), 1);
    QVERIFY(m_auto->messages[0].contains("\"Enter file to attach\""));
    QVERIFY(form6().isVisible());
}

void TestAttach::startOverReturnsToTheMainWindow()
{
    form3().show();
    form6().Command1->click();
    QVERIFY(!form6().isVisible());
    QVERIFY(!form3().isVisible());
    QVERIFY(form5().isVisible());
    QVERIFY(form1().isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(!form5().isVisible(), 2000);
}

QTEST_MAIN(TestAttach)
#include "tst_attach.moc"
