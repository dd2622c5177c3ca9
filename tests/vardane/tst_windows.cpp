// The voice wizard's windows on the offscreen platform: captions, sizes,
// placement, top-most state, the hand-overs of the main window, and that every
// text is fully visible.

#include "Form1.h"
#include "Form10.h"
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
#include "Placement.h"
#include "scripted/ScriptedAutomation.h"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWindow>

using namespace vardane;
using namespace automation;

namespace {

QWidget* formByNumber(int n)
{
    switch (n) {
    case 1:
        return &form1();
    case 2:
        return &form2();
    case 3:
        return &form3();
    case 4:
        return &form4();
    case 5:
        return &form5();
    case 6:
        return &form6();
    case 7:
        return &form7();
    case 8:
        return &form8();
    case 9:
        return &form9();
    case 10:
        return &form10();
    case 11:
        return &form11();
    }
    return nullptr;
}

bool isTopmost(QWidget* w)
{
    if (w->windowHandle())
        return w->windowHandle()->flags() & Qt::WindowStaysOnTopHint;
    return w->windowFlags() & Qt::WindowStaysOnTopHint;
}


} // namespace

class TestWindows : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void screenMap_data();
    void screenMap();
    void everyTextIsFullyVisible_data();
    void everyTextIsFullyVisible();
    void startUpShowsMainWindowTopmostAndPlaced();
    void menuCommandsAndShortcuts();
    void aboutTwiceShowsTheSameWindow();
    void pleaseWaitHidesWithinOneTickOfMainWindow();
    void openShowsBrowserOnVoiceFolder();
    void openWithoutVoiceFolderStaysOnMainWindow();
    void exitAndCloseBoxEndTheProgram();
    void timersStartStopped();
    void closingTheLastWizardWindowBringsMainWindowBack();

private:
    ScriptedAutomation* m_auto = nullptr;
    int m_ended = 0;
};

void TestWindows::init()
{
    m_auto = &ScriptedAutomation::installNew();
    m_ended = 0;
    setEndProgramHandler([this] { ++m_ended; });
    QDir().mkpath(VoiceFolder());
}

void TestWindows::cleanup()
{
    resetForms();
}

void TestWindows::screenMap_data()
{
    QTest::addColumn<int>("n");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QSize>("client");
    QTest::addColumn<bool>("fixed");
    QTest::addColumn<bool>("borderless");
    QTest::addColumn<double>("divisor");
    QTest::addColumn<bool>("topmost");

    QTest::newRow("Form1") << 1 << "Tindrel" << QSize(162, 112) << true << false << 1.3 << true;
    QTest::newRow("Form2") << 2 << "Voice Compression Is On. Please Start Recording!"
                           << QSize(377, 124) << false << false << 1.4 << true;
    QTest::newRow("Form3") << 3 << "Save Message Or Start Over" << QSize(288, 94) << true << false
                           << 1.4 << false;
    QTest::newRow("Form4") << 4 << "Choose An Existing Voice File to Play Or Attach To E-Mail"
                           << QSize(359, 246) << true << false << 2.0 << true;
    QTest::newRow("Form5") << 5 << "" << QSize(111, 22) << true << true << 2.0 << true;
    QTest::newRow("Form6") << 6 << "Attach Your Voice File To Your E-Mail Form" << QSize(295, 93)
                           << true << false << 1.4 << true;
    QTest::newRow("Form7") << 7 << "Start Over Or Exit?" << QSize(202, 61) << true << false << 1.4
                           << true;
    QTest::newRow("Form8") << 8 << "" << QSize(189, 34) << true << true << 2.0 << true;
    QTest::newRow("Form9") << 9 << "" << QSize(192, 21) << true << true << 2.0 << true;
    QTest::newRow("Form10") << 10 << "About Tindrel" << QSize(193, 218) << false << false << 6.25
                            << false;
    QTest::newRow("Form11") << 11 << "" << QSize(299, 67) << true << true << 2.0 << true;
}

void TestWindows::screenMap()
{
    QFETCH(int, n);
    QFETCH(QString, caption);
    QFETCH(QSize, client);
    QFETCH(bool, fixed);
    QFETCH(bool, borderless);
    QFETCH(double, divisor);
    QFETCH(bool, topmost);

    QVERIFY(!formExists(n));
    QWidget* w = formByNumber(n);
    QVERIFY(formExists(n));
    QCOMPARE(w->objectName(), QStringLiteral("Form%1").arg(n));
    if (!borderless)
        QCOMPARE(w->windowTitle(), caption);
    QCOMPARE(bool(w->windowFlags() & Qt::FramelessWindowHint), borderless);
    QCOMPARE(isTopmost(w), topmost);

    // The client area; the main window's menu bar comes on top of it.
    QWidget* clientArea = n == 1 ? static_cast<QMainWindow*>(w)->centralWidget() : w;
    QCOMPARE(clientArea->size(), client);
    if (fixed)
        QCOMPARE(w->minimumSize(), w->maximumSize());

    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w));
    PlaceWindow(w, divisor); // the load step placed it before it was framed
    QCOMPARE(w->frameGeometry().topLeft(), placed(w, divisor));
}

void TestWindows::everyTextIsFullyVisible_data()
{
    QTest::addColumn<int>("n");
    for (int n = 1; n <= 11; ++n)
        QTest::newRow(qPrintable(QStringLiteral("Form%1").arg(n))) << n;
}

void TestWindows::everyTextIsFullyVisible()
{
    QFETCH(int, n);
    QWidget* w = formByNumber(n);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w));
    int checked = 0;
    for (QLabel* l : w->findChildren<QLabel*>()) {
        if (l->text().isEmpty() || !l->isVisibleTo(w))
            continue;
        const QRect box = l->contentsRect();
        const int flags = l->wordWrap() ? int(Qt::TextWordWrap) : 0;
        const QRect need =
            l->fontMetrics().boundingRect(QRect(0, 0, box.width(), 100000), flags, l->text());
        QVERIFY2(need.width() <= box.width() && need.height() <= box.height(),
                 qPrintable(QStringLiteral("%1 needs %2x%3, has %4x%5")
                                .arg(l->objectName())
                                .arg(need.width())
                                .arg(need.height())
                                .arg(box.width())
                                .arg(box.height())));
        const QRect inWindow(l->mapTo(w, QPoint(0, 0)), l->size());
        QVERIFY2(w->rect().contains(inWindow), qPrintable(l->objectName()));
        ++checked;
    }
    for (QPushButton* b : w->findChildren<QPushButton*>()) {
        const int need = b->fontMetrics().horizontalAdvance(b->text()) + 8;
        QVERIFY2(need <= b->width(), qPrintable(b->objectName()));
        QVERIFY2(b->fontMetrics().height() + 4 <= b->height(), qPrintable(b->objectName()));
        QVERIFY2(w->rect().contains(b->geometry()), qPrintable(b->objectName()));
        ++checked;
    }
    QVERIFY(checked > 0);
}

void TestWindows::startUpShowsMainWindowTopmostAndPlaced()
{
    m_auto->world().open("Voice Recorder Helper");
    Form1& f = form1();
    QVERIFY(f.isVisible());
    QVERIFY(isTopmost(&f));
    QCOMPARE(f.frameGeometry().topLeft(), placed(&f, 1.3));
    // Activation by the title "Voice": a prefix match is enough, a failure is ignored.
    QVERIFY(m_auto->world().log.contains(QStringLiteral("ActivateByTitle(Voice) = 1")));
    resetForms();
    m_auto = &ScriptedAutomation::installNew();
    form1();
    QVERIFY(form1().isVisible());
    QVERIFY(m_auto->world().log.contains(QStringLiteral("ActivateByTitle(Voice) = 0")));
}

void TestWindows::menuCommandsAndShortcuts()
{
    Form1& f = form1();
    QCOMPARE(f.File->title(), QStringLiteral("&File"));
    const QList<QAction*> items = f.File->actions();
    QCOMPARE(items.size(), 5);
    QCOMPARE(items[0]->text(), QStringLiteral("&Record A Message"));
    QCOMPARE(items[0]->shortcut(), QKeySequence(Qt::Key_F1));
    QCOMPARE(items[1]->text(), QStringLiteral("&Open Existing Message"));
    QCOMPARE(items[1]->shortcut(), QKeySequence(Qt::Key_F2));
    QCOMPARE(items[2]->text(), QStringLiteral("&Exit"));
    QCOMPARE(items[2]->shortcut(), QKeySequence(Qt::Key_F3));
    QVERIFY(items[3]->isSeparator());
    QCOMPARE(items[4]->text(), QStringLiteral("About Tindrel"));

    // F2 reaches Open: the browser comes up.
    QVERIFY(QTest::qWaitForWindowActive(&f));
    QTest::keyClick(&f, Qt::Key_F2);
    QTRY_VERIFY(formExists(4) && form4().isVisible());
}

void TestWindows::aboutTwiceShowsTheSameWindow()
{
    Form1& f = form1();
    f.About->trigger();
    QWidget* first = existingForm(10);
    QVERIFY(first && first->isVisible());
    QCOMPARE(first->frameGeometry().topLeft().x(), placed(first, 6.25).x());
    form10().Command1->click();
    QVERIFY(!first->isVisible());
    QVERIFY(f.isVisible()); // untouched
    f.About->trigger();
    QCOMPARE(existingForm(10), first);
    QVERIFY(first->isVisible());
}

void TestWindows::pleaseWaitHidesWithinOneTickOfMainWindow()
{
    Form1& f = form1();
    f.hide();
    Form5& wait = form5();
    wait.show();
    wait.Timer1->start();
    // While the main window is away the notice stays, tick after tick.
    QTest::qWait(1200);
    QVERIFY(wait.isVisible());
    QVERIFY(wait.Timer1->isActive());
    QElapsedTimer clock;
    f.show();
    clock.start();
    QTRY_VERIFY_WITH_TIMEOUT(!wait.isVisible(), 5000);
    QVERIFY2(clock.elapsed() <= 600, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(!wait.Timer1->isActive());
}

void TestWindows::openShowsBrowserOnVoiceFolder()
{
    Form1& f = form1();
    QFile(VoiceFolder() + "/one.wav").open(QIODevice::WriteOnly);
    form6().Command2->setEnabled(false);
    form4().Label1->setText("/somewhere/else.wav");
    form4().SetDir1(QDir::rootPath());
    form4().hide();

    f.Open->trigger();
    Form4& b = form4();
    QVERIFY(b.isVisible());
    QVERIFY(!f.isVisible());
    QCOMPARE(b.Dir1Path(), QDir(VoiceFolder()).absolutePath());
    QCOMPARE(b.File1Path(), b.Dir1Path());
    QVERIFY(b.Label1->text().isEmpty());
    QVERIFY(form6().Command2->isEnabled());
    QCOMPARE(b.frameGeometry().topLeft(), placed(&b, 2));
    QVERIFY(!b.File1->findItems("one.wav", Qt::MatchExactly).isEmpty());
    QFile::remove(VoiceFolder() + "/one.wav");
}

void TestWindows::openWithoutVoiceFolderStaysOnMainWindow()
{
    Form1& f = form1();
    QDir(VoiceFolder()).removeRecursively();
    f.Open->trigger();
    QCOMPARE(m_auto->messages.size(), 1);
    QVERIFY(m_auto->messages[0].contains(VoiceFolder()));
    QVERIFY(f.isVisible());
    QVERIFY(!formExists(4) || !form4().isVisible());
}

void TestWindows::exitAndCloseBoxEndTheProgram()
{
    Form1& f = form1();
    f.Exit->trigger();
    QCOMPARE(m_ended, 1);
    f.close();
    QCOMPARE(m_ended, 2);
    form7().Command2->click();
    QCOMPARE(m_ended, 3);
}

void TestWindows::timersStartStopped()
{
    for (int n = 1; n <= 11; ++n)
        for (QTimer* t : formByNumber(n)->findChildren<QTimer*>())
            QVERIFY2(!t->isActive(), qPrintable(t->objectName()));
    QCOMPARE(form2().Timer1->interval(), 1000);
    QCOMPARE(form3().Timer1->interval(), 2000);
    QCOMPARE(form5().Timer1->interval(), 500);
    QCOMPARE(form6().Timer1->interval(), 2300);
    QCOMPARE(form6().Timer2->interval(), 2000);
    QCOMPARE(form9().Timer1->interval(), 2300);
}

void TestWindows::closingTheLastWizardWindowBringsMainWindowBack()
{
    form1().hide();
    form6().show();
    form6().close();
    QVERIFY(!form6().isVisible());
    QVERIFY(form1().isVisible());
    QCOMPARE(m_ended, 0);
}

QTEST_MAIN(TestWindows)
#include "tst_windows.moc"
