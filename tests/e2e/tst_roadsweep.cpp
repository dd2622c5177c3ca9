// The road at a person's pace and faster, on a real X server with a real
// window manager: after each save, "Attach Voice" is clicked with the pointer
// at delays from at once to after the saved notice has gone, and the last
// window is left at delays from at once to after the attached notice has
// gone. Every road must attach exactly the saved file once, no key may ever
// reach the wizard's own windows, and no notice may stay on the screen.
//
// One compose window kind per run (ROADSWEEP_KIND), so that the kinds can
// run side by side, each on a display of its own.

#include "Form1.h"
#include "Form11.h"
#include "Form2.h"
#include "Form3.h"
#include "Form5.h"
#include "Form6.h"
#include "Form7.h"
#include "Form8.h"
#include "Form9.h"
#include "Module1.h"
#include "RoadSetup.h"
#include "automation/Automation.h"

#include <QApplication>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

// Xlib after Qt: its macros clash with Qt's names.
#include "PointerClicks.h"
#undef KeyPress // Qt's event type of the same name is meant below

using namespace vardane;
using namespace automation;

namespace {

constexpr int WaitMs = 30000;

// Key presses delivered to any widget of this process, that is, to the wizard.
class KeyCounter : public QObject
{
public:
    int presses = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride)
            ++presses;
        return QObject::eventFilter(watched, event);
    }
};

QStringList linesOf(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll()).split(u'\n', Qt::SkipEmptyParts);
}

struct Kind
{
    const char* name;  // the stand-in's --kind
    const char* title; // its compose window
};

Kind kindToSweep()
{
    const QByteArray name = qgetenv("ROADSWEEP_KIND");
    if (name == "composition")
        return {"composition", "Composition"};
    if (name == "newmessage")
        return {"newmessage", "New Message"};
    return {"netscape", "Netscape - [Message Composition]"};
}

} // namespace

class TestRoadSweep : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void attachAtAnyPace_data();
    void attachAtAnyPace();

private:
    // A press of the left button on the middle of the button, as a person's
    // hand gives it: through the X server, activating the button's window.
    void click(QPushButton* button);
    int attachedCount(const QString& path) const;

    QTemporaryDir m_work;
    QString m_mailerLog;
    QProcess m_mailer;
    KeyCounter m_keys;
    int m_exits = 0;
};

void TestRoadSweep::initTestCase()
{
    QVERIFY2(QGuiApplication::platformName() == "xcb", "runs on a real X server");
    road::prepareRoad(m_work);
    setEndProgramHandler([this] { ++m_exits; });
    qApp->installEventFilter(&m_keys);

    const Kind kind = kindToSweep();
    m_mailerLog = m_work.filePath("mailer.log");
    m_mailer.start(STANDIN_MAILER, {"--kind", kind.name, "--log", m_mailerLog});
    QVERIFY(m_mailer.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(FindTopWindow(QString(), kind.title) != 0, WaitMs);
}

void TestRoadSweep::cleanupTestCase()
{
    qApp->removeEventFilter(&m_keys);
    m_mailer.kill();
    m_mailer.waitForFinished(10000);
    resetForms();
    Automation::install(nullptr);
}

void TestRoadSweep::click(QPushButton* button)
{
    QVERIFY(QTest::qWaitForWindowExposed(button->window()));
    QVERIFY2(pointer::clickButton(button, WaitMs), qPrintable(button->text()));
}

int TestRoadSweep::attachedCount(const QString& path) const
{
    const QStringList all = linesOf(m_mailerLog).filter(QRegularExpression("^attached\t"));
    return int(all.filter("attached\t" + path + "\t").size());
}

void TestRoadSweep::attachAtAnyPace_data()
{
    QTest::addColumn<int>("attachAfterMs");
    QTest::addColumn<int>("leaveAfterMs");
    QTest::addColumn<bool>("exit");
    QTest::newRow("0 s") << 0 << 0 << false;
    QTest::newRow("0.3 s") << 300 << 400 << false;
    QTest::newRow("0.8 s") << 800 << 1200 << true;
    QTest::newRow("1.3 s") << 1300 << 2000 << false;
    QTest::newRow("1.8 s") << 1800 << 2600 << false;
    QTest::newRow("2.3 s") << 2300 << 0 << true;
    QTest::newRow("3 s") << 3000 << 3000 << false;
}

void TestRoadSweep::attachAtAnyPace()
{
    QFETCH(int, attachAfterMs);
    QFETCH(int, leaveAfterMs);
    QFETCH(bool, exit);
    resetForms();
    form1();
    QVERIFY(QTest::qWaitForWindowExposed(&form1()));
    const int keysBefore = m_keys.presses;
    const int attachedBefore =
        int(linesOf(m_mailerLog).filter(QRegularExpression("^attached\t")).size());
    int presses = 0;

    form1().New->trigger(); // returns with the recorder recording
    QVERIFY(form2().isVisible());
    form2().Command1->click(); // NEXT
    QVERIFY(form3().isVisible());
    form3().Command2->click(); // Save; returns once the saved notice is up
    QVERIFY(form9().isVisible());
    const QString saved = CurrentVoiceFile();
    QVERIFY(QFile::exists(saved));
    const auto counting =
        connect(form6().Command2, &QPushButton::clicked, this, [&] { ++presses; });

    QTest::qWait(attachAfterMs); // the person's pace
    click(form6().Command2);
    QTRY_VERIFY_WITH_TIMEOUT(form7().isVisible(), WaitMs);
    QCOMPARE(presses, 1);
    QTRY_COMPARE_WITH_TIMEOUT(attachedCount(saved), 1, WaitMs);
    QVERIFY(!form9().isVisible());

    QTest::qWait(leaveAfterMs);
    const int exitsBefore = m_exits;
    click(exit ? form7().Command2 : form7().Command1);
    if (exit) {
        QTRY_COMPARE_WITH_TIMEOUT(m_exits, exitsBefore + 1, WaitMs);
    } else {
        QTRY_VERIFY_WITH_TIMEOUT(form1().isVisible() && !form7().isVisible(), WaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(!form5().isVisible(), WaitMs); // "Please Wait" goes by itself
        for (QWidget* notice : {static_cast<QWidget*>(&form8()), static_cast<QWidget*>(&form9()),
                                static_cast<QWidget*>(&form11())})
            QVERIFY2(!notice->isVisible(), qPrintable(notice->objectName()));
        QVERIFY(!form6().isVisible());
    }
    // Nothing more was attached, and nothing was typed into the wizard.
    QCOMPARE(int(linesOf(m_mailerLog).filter(QRegularExpression("^attached\t")).size()),
             attachedBefore + 1);
    QCOMPARE(m_keys.presses, keysBefore);
    QTRY_VERIFY_WITH_TIMEOUT(FindTopWindow(QString(), RecorderTitle) == 0, WaitMs);
    disconnect(counting);
}

QTEST_MAIN(TestRoadSweep)
#include "tst_roadsweep.moc"
