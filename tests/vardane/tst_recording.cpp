// Recording, saving and discarding a message, against a scripted recorder:
// the exact keys and their order, the waits, the time limits and the windows
// shown on the way.

#include "FakeRecorder.h"
#include "Form1.h"
#include "Form2.h"
#include "Form3.h"
#include "Form5.h"
#include "Form6.h"
#include "Form7.h"
#include "Form8.h"
#include "Form9.h"
#include "Module1.h"
#include "Placement.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace vardane;
using namespace automation;

namespace {

const QStringList RecordKeys{"%F", "P", "%C", "{TAB}", "{TAB}", "G", "{TAB}", "{TAB}", "~", "~"};

} // namespace

class TestRecording : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void recordDrivesTheRecorderIntoCompressedFormat();
    void failingBringToFrontSendsNoKeysUntilInFront();
    void lateKeyboardAndLostKeysAreWaitedForAndTypedAgain();
    void instructionsWaitUntilTheRecorderIsShown();
    void recorderAlreadyRunningIsDriven();
    void recorderThatCannotStartIsReported();
    void recorderThatNeverAnswersIsGivenUp();
    void nextStopsTheRecordingWithBreak();
    void nextWithRecorderClosedHandsOverAfterOneSecond();

    void voiceFileNames_data();
    void voiceFileNames();
    void dateIsReadBeforeTime();
    void saveTypesThePathAndClosesTheRecorder();
    void saveWhoseExitKeysAreLostStillClosesTheRecorder();
    void saveIntoAFolderWithCommandCharacters();
    void saveWhileTheLastSavedNoticeIsUp();
    void closingTheAttachWindowEndsTheSavedNotice();
    void saveThatWritesNoFileIsNotReportedAsSaved();
    void saveDialogThatNeverAppearsIsGivenUp();

    void startOverClosesTheRecorderWithoutSaving();
    void startOverOnABusyMachineLeavesNoRecorderUnsaid();
    void startOverWithRecorderClosedReturnsAfterTwoSeconds();
    void startOverOnForm7EndsTheAttachedNotice();

private:
    void recordAndNext();

    ScriptedAutomation* m_auto = nullptr;
    std::unique_ptr<FakeRecorder> m_rec;
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestRecording::init()
{
    m_auto = &ScriptedAutomation::installNew();
    m_rec = std::make_unique<FakeRecorder>(*m_auto);
    m_rec->installAsProgram();
    m_dir = std::make_unique<QTemporaryDir>();
    SetVoiceFolder(m_dir->filePath("Voice Files"));
    QDir().mkpath(VoiceFolder());
    SetOutsideWaitLimitMs(DefaultOutsideWaitLimitMs);
    SetClock({});
    setEndProgramHandler([] {});
    form1();
}

void TestRecording::cleanup()
{
    resetForms();
    SetVoiceFolder({});
    SetClock({});
    m_rec.reset();
}

void TestRecording::recordAndNext()
{
    form1().New->trigger();
    QVERIFY(form2().isVisible());
    form2().Command1->click();
    QVERIFY(form3().isVisible());
    m_auto->world().clearLog();
}

void TestRecording::recordDrivesTheRecorderIntoCompressedFormat()
{
    Form1& f1 = form1();
    form6().Command2->setEnabled(false);
    f1.New->trigger();

    QCOMPARE(m_auto->startedPrograms, QStringList{"Sndrec32.exe"});
    QCOMPARE(m_auto->world().sends(), RecordKeys);
    QVERIFY(m_rec->compressed);
    QVERIFY(!m_rec->properties && !m_rec->selection); // both dialogs confirmed
    QVERIFY(form2().isVisible());
    QVERIFY(!f1.isVisible());
    QVERIFY(form6().Command2->isEnabled());
    // The main window waits, hidden, at its place for after recording.
    QCOMPARE(f1.pos(), placed(&f1, 1.35));
    QCOMPARE(form2().frameGeometry().topLeft(), placed(&form2(), 1.4));
    QVERIFY(form2().windowFlags() & Qt::WindowStaysOnTopHint);
    // The dialogs were looked for with the dialog class.
    QVERIFY(m_auto->world().log.filter("FindTopWindow(#32770, Properties for Sound)").size() >= 1);
    QVERIFY(m_auto->world().log.filter("FindTopWindow(#32770, Sound Selection)").size() >= 2);
}

void TestRecording::failingBringToFrontSendsNoKeysUntilInFront()
{
    int passes = 0;
    m_auto->onPass = [&] {
        // The recorder refuses the front for its first three passes.
        if (m_rec->main)
            m_auto->world().window(m_rec->main)->acceptsFront = ++passes >= 3;
    };
    m_rec->start();
    m_auto->world().window(m_rec->main)->acceptsFront = false;
    form1().New->trigger();
    QVERIFY(form2().isVisible());
    // Keys sent before would have gone to whatever window was in front.
    const QStringList& log = m_auto->world().log;
    const auto firstKeys = std::find_if(log.begin(), log.end(),
                                        [](const QString& l) { return l.startsWith("Keys("); });
    QVERIFY(std::find(log.begin(), firstKeys, QStringLiteral("BringToFront(1) = 1")) != firstKeys);
    QVERIFY(m_auto->world().count("BringToFront(1) = 0") >= 2);
    QCOMPARE(m_auto->world().sends(), RecordKeys);
}

void TestRecording::lateKeyboardAndLostKeysAreWaitedForAndTypedAgain()
{
    // A busy machine: each dialog gets the keyboard some looks after it is
    // up, and the keys first typed into the format selection are lost.
    m_rec->start();
    QList<WindowHandle> slowed;
    m_auto->onPass = [&] {
        for (const WindowHandle dialog : {m_rec->properties, m_rec->selection})
            if (dialog && !slowed.contains(dialog)) {
                slowed << dialog;
                auto* w = m_auto->world().window(dialog);
                w->keyboardAfterLooks = 3;
                w->dropsKeys = dialog == m_rec->selection ? 6 : 0;
            }
    };
    QElapsedTimer clock;
    clock.start();
    form1().New->trigger();
    QVERIFY(form2().isVisible());
    QVERIFY(m_auto->messages.isEmpty());
    QVERIFY(m_rec->compressed);
    // Nothing typed while a dialog did not hold the keyboard; the selection's
    // keys once more after they were lost, and no other key twice.
    const QStringList expected = RecordKeys.mid(0, 3) + RecordKeys.mid(3, 6) + RecordKeys.mid(3);
    QCOMPARE(m_auto->world().sends(), expected);
    QCOMPARE(m_auto->world().window(m_rec->main)->received.size(), 2); // "%F" "P"
    QVERIFY(clock.elapsed() >= RetypeAfterMs);
}

void TestRecording::instructionsWaitUntilTheRecorderIsShown()
{
    // Once its dialogs are done, the recorder's window is not ready for 300 ms.
    bool hid = false;
    bool shownTooEarly = false;
    m_auto->onPass = [&] {
        auto* w = m_rec->main ? m_auto->world().window(m_rec->main) : nullptr;
        if (!w)
            return;
        if (!hid && m_auto->world().sends().size() >= RecordKeys.size()) {
            hid = true;
            w->shown = false;
            QTimer::singleShot(300, [this] { m_auto->world().window(m_rec->main)->shown = true; });
        }
        shownTooEarly = shownTooEarly || (!w->shown && form2().isVisible());
    };
    QElapsedTimer clock;
    clock.start();
    form1().New->trigger();
    QVERIFY(hid);
    QVERIFY(!shownTooEarly);
    QVERIFY(form2().isVisible());
    QVERIFY(clock.elapsed() >= 250);
    const QString id = QString::number(m_rec->main);
    QVERIFY(m_auto->world().count("IsWindowShown(" + id + ") = 0") >= 1);
    QCOMPARE(m_auto->world().count("IsWindowShown(" + id + ") = 1"), 1);
}

void TestRecording::recorderAlreadyRunningIsDriven()
{
    m_rec->start();
    const auto existing = m_rec->main;
    m_auto->onStartProgram = [](const QString&) -> qint64 { return 77; }; // hands over and ends
    form1().New->trigger();
    QCOMPARE(m_rec->main, existing);
    QCOMPARE(m_auto->world().sends(), RecordKeys);
    QVERIFY(form2().isVisible());
}

void TestRecording::recorderThatCannotStartIsReported()
{
    m_auto->onStartProgram = {};
    form1().New->trigger();
    QCOMPARE(m_auto->messages.size(), 1);
    QVERIFY(m_auto->messages[0].contains("Sndrec32.exe"));
    QVERIFY(form1().isVisible());
    QVERIFY(!form2().isVisible());
    QVERIFY(m_auto->world().sends().isEmpty());
}

void TestRecording::recorderThatNeverAnswersIsGivenUp()
{
    SetOutsideWaitLimitMs(400);
    // Started, but its window never appears.
    m_auto->onStartProgram = [](const QString&) -> qint64 { return 5; };
    QElapsedTimer clock;
    clock.start();
    form1().New->trigger();
    QVERIFY(clock.elapsed() >= 400);
    QCOMPARE(m_auto->messages.size(), 1);
    QVERIFY(m_auto->messages[0].contains("Sound - Sound Recorder"));
    QVERIFY(form1().isVisible());
    QCOMPARE(form1().frameGeometry().topLeft(), placed(&form1(), 1.3));
    QVERIFY(!form2().isVisible());
    // The waits did not spin: about one pass per 10 ms at most.
    QVERIFY2(m_auto->passes < 200, qPrintable(QString::number(m_auto->passes)));

    // A recorder whose format dialog never opens: given up in that phase, main window back.
    m_auto->messages.clear();
    m_rec->installAsProgram();
    m_rec->start();
    m_auto->world().window(m_rec->main)->onKey = [this](const KeyStroke& k) {
        if (k.kind == KeyStroke::Kind::Character && k.ch == U'P' && !m_rec->properties)
            m_rec->properties = m_auto->world().open("Properties for Sound", true, m_rec->main);
    };
    form1().New->trigger();
    QCOMPARE(m_auto->messages.size(), 1);
    QVERIFY(m_auto->messages[0].contains("Sound Selection"));
    QVERIFY(form1().isVisible());
}

void TestRecording::nextStopsTheRecordingWithBreak()
{
    form1().New->trigger();
    m_auto->world().clearLog();
    QElapsedTimer clock;
    clock.start();
    form2().Command1->click();
    QVERIFY(clock.elapsed() >= 500); // the half-second pause before Break
    QCOMPARE(m_auto->world().sends(), QStringList{"{BREAK}"});
    QVERIFY(m_rec->stopped);
    QVERIFY(!form2().isVisible());
    QVERIFY(form3().isVisible());
    QCOMPARE(form3().frameGeometry().topLeft(), placed(&form3(), 1.4));
}

void TestRecording::nextWithRecorderClosedHandsOverAfterOneSecond()
{
    form1().New->trigger();
    m_auto->world().close(m_rec->main);
    m_auto->world().clearLog();
    QElapsedTimer clock;
    clock.start();
    form2().Command1->click();
    const auto took = clock.elapsed();
    QVERIFY2(took >= 950 && took < 3000, qPrintable(QString::number(took)));
    QVERIFY(m_auto->world().sends().isEmpty());
    QVERIFY(!form2().isVisible());
    QVERIFY(form3().isVisible());
}

void TestRecording::voiceFileNames_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QTime>("time");
    QTest::addColumn<QString>("name");
    QTest::newRow("afternoon") << QDate(1998, 12, 6) << QTime(15, 45, 12)
                               << "[12-06-98]03 45 12PM.wav";
    QTest::newRow("just after midnight")
        << QDate(2026, 1, 2) << QTime(0, 5, 9) << "[01-02-26]12 05 09AM.wav";
    QTest::newRow("noon") << QDate(2026, 7, 31) << QTime(12, 0, 0) << "[07-31-26]12 00 00PM.wav";
    QTest::newRow("before noon") << QDate(2000, 2, 29) << QTime(11, 59, 59)
                                 << "[02-29-00]11 59 59AM.wav";
    QTest::newRow("last second") << QDate(2099, 12, 31) << QTime(23, 59, 59)
                                 << "[12-31-99]11 59 59PM.wav";
}

void TestRecording::voiceFileNames()
{
    QFETCH(QDate, date);
    QFETCH(QTime, time);
    QFETCH(QString, name);
    QCOMPARE(VoiceFileName(date, time), name);
    // Whatever the locale says about AM and PM.
    QLocale::setDefault(QLocale(QLocale::German));
    QCOMPARE(VoiceFileName(date, time), name);
    QLocale::setDefault(QLocale::c());
}

void TestRecording::dateIsReadBeforeTime()
{
    // A save straddling midnight: the old day's date with the new day's time.
    QList<QDateTime> reads{QDateTime(QDate(2026, 12, 7), QTime(23, 59, 59, 999)),
                           QDateTime(QDate(2026, 12, 8), QTime(0, 0, 0))};
    SetClock([&] { return reads.takeFirst(); });
    QCOMPARE(NewVoiceFilePath(), VoiceFolder() + QDir::separator() + "[12-07-26]12 00 00AM.wav");
    // Two saves in the same second give the same name.
    SetClock([] { return QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7)); });
    QCOMPARE(NewVoiceFilePath(), NewVoiceFilePath());
}

void TestRecording::saveTypesThePathAndClosesTheRecorder()
{
    SetClock([] { return QDateTime(QDate(1998, 12, 6), QTime(15, 45, 12)); });
    recordAndNext();
    SetCurrentVoiceFile("/earlier.wav");
    form3().Command2->click();

    const QString path = VoiceFolder() + "/[12-06-98]03 45 12PM.wav";
    QCOMPARE(m_auto->world().sends(),
             (QStringList{"%F", "A",
                          QString::fromStdString(describeKeys(literalKeys(path.toStdU32String()))),
                          "{TAB}", "{TAB}", "~", "%F", "X"}));
    QCOMPARE(m_rec->typed, path);
    QVERIFY(m_rec->exited);
    QVERIFY(QFileInfo::exists(path));
    QCOMPARE(CurrentVoiceFile(), path);
    QCOMPARE(form3().Label3->text(), path);
    QVERIFY(!form3().isVisible());
    QCOMPARE(form3().pos(), placed(&form3(), 1.4));
    QVERIFY(form9().isVisible());
    QCOMPARE(form9().Label1->text(), QStringLiteral("Your File Has Been Saved. "));
    QVERIFY(form6().isVisible());
    QVERIFY(form9().Timer1->isActive());
    QElapsedTimer clock;
    clock.start();
    QTRY_VERIFY_WITH_TIMEOUT(!form9().isVisible(), 5000);
    QVERIFY2(clock.elapsed() >= 2000, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(form6().isVisible());
    QVERIFY(!form9().Timer1->isActive());
}

void TestRecording::saveWhoseExitKeysAreLostStillClosesTheRecorder()
{
    // The keys that close the recorder after the file name are lost (the
    // keyboard was elsewhere as the Save As dialog closed): typed again.
    recordAndNext();
    m_auto->onPass = [&] {
        if (m_rec->saveAs)
            m_auto->world().window(m_rec->main)->dropsKeys = 2;
    };
    form3().Command2->click();
    QVERIFY(QFileInfo::exists(CurrentVoiceFile()));
    QVERIFY(m_rec->exited);
    QCOMPARE(m_auto->world().sends().mid(2), (QStringList{m_auto->world().sends().at(2), "{TAB}",
                                                          "{TAB}", "~", "%F", "X", "%F", "X"}));
    QVERIFY(m_auto->messages.isEmpty());
    QVERIFY(form6().isVisible());
}

void TestRecording::saveIntoAFolderWithCommandCharacters()
{
    const QString folder = m_dir->filePath("a ~%( [b]{x}+^ é/Voice Files");
    QVERIFY(QDir().mkpath(folder));
    SetVoiceFolder(folder);
    SetClock([] { return QDateTime(QDate(2026, 12, 6), QTime(0, 5, 9)); });
    recordAndNext();
    form3().Command2->click();
    const QString path = folder + "/[12-06-26]12 05 09AM.wav";
    QCOMPARE(m_rec->typed, path); // every character arrived as itself
    QVERIFY(QFileInfo::exists(path));
    QCOMPARE(CurrentVoiceFile(), path);
}

void TestRecording::saveWhileTheLastSavedNoticeIsUp()
{
    // A short message recorded and saved again before the first notice has
    // gone: the second save still happens, and its own file is offered.
    int second = 0;
    SetClock([&] { return QDateTime(QDate(2026, 12, 8), QTime(9, 30, second)); });
    recordAndNext();
    form3().Command2->click();
    QVERIFY(form9().Timer1->isActive());
    const QString first = CurrentVoiceFile();

    second = 2;
    m_rec = std::make_unique<FakeRecorder>(*m_auto);
    m_rec->installAsProgram();
    recordAndNext();
    QVERIFY(form9().isVisible());
    form3().Command2->click();
    const QString path = VoiceFolder() + "/[12-08-26]09 30 02AM.wav";
    QCOMPARE(m_rec->typed, path);
    QVERIFY(QFileInfo::exists(path));
    QCOMPARE(CurrentVoiceFile(), path);
    QVERIFY(path != first);
    QVERIFY(form9().isVisible());
    QVERIFY(form6().isVisible());
    QVERIFY(form9().Timer1->isActive());
}

void TestRecording::closingTheAttachWindowEndsTheSavedNotice()
{
    recordAndNext();
    form3().Command2->click();
    QVERIFY(form9().isVisible() && form6().isVisible());
    form6().close();
    QVERIFY(!form9().isVisible());
    QVERIFY(!form9().Timer1->isActive()); // it would show the closed window again
    QVERIFY(!form6().isVisible());
    QVERIFY(form1().isVisible());
}

void TestRecording::saveThatWritesNoFileIsNotReportedAsSaved()
{
    m_rec->writesFile = false;
    recordAndNext();
    SetCurrentVoiceFile("/earlier.wav");
    form3().Command2->click();
    QCOMPARE(m_auto->messages.size(), 1);
    QVERIFY(m_auto->messages[0].contains("not saved"));
    QCOMPARE(CurrentVoiceFile(), QStringLiteral("/earlier.wav"));
    QVERIFY(!form9().isVisible());
    QVERIFY(!form6().isVisible());
    QVERIFY(form1().isVisible());
    QCOMPARE(form1().frameGeometry().topLeft(), placed(&form1(), 1.3));
}

void TestRecording::saveDialogThatNeverAppearsIsGivenUp()
{
    recordAndNext();
    SetOutsideWaitLimitMs(300);
    m_auto->world().window(m_rec->main)->onKey = {}; // ignores "%F" "A"
    form3().Command2->click();
    QCOMPARE(m_auto->messages.size(), 1);
    QVERIFY(m_auto->messages[0].contains("Save As"));
    QVERIFY(form1().isVisible());
    QVERIFY(!form3().isVisible());
    QVERIFY(!form9().isVisible());
}

void TestRecording::startOverClosesTheRecorderWithoutSaving()
{
    recordAndNext();
    form1().move(0, 0);
    QElapsedTimer clock;
    clock.start();
    form3().Command1->click();
    QVERIFY(clock.elapsed() < 1900);
    QCOMPARE(m_auto->world().sends(), (QStringList{"%F", "X", "{TAB}", "~"}));
    QVERIFY(m_rec->exited);
    QVERIFY(m_rec->savedPath.isEmpty());
    QVERIFY(form1().isVisible());
    QCOMPARE(form1().frameGeometry().topLeft(), placed(&form1(), 1.3));
    QVERIFY(!form2().isVisible());
    QVERIFY(!form3().isVisible());
    QVERIFY(QDir(VoiceFolder()).isEmpty());
    QTRY_VERIFY_WITH_TIMEOUT(!form5().isVisible(), 2000); // Please Wait goes at the next tick
}

void TestRecording::startOverOnABusyMachineLeavesNoRecorderUnsaid()
{
    // The recorder's question gets the keyboard late: its answer waits for it.
    recordAndNext();
    bool slowed = false;
    m_auto->onPass = [&] {
        if (m_rec->question && !slowed) {
            slowed = true;
            m_auto->world().window(m_rec->question)->keyboardAfterLooks = 3;
        }
    };
    form3().Command1->click();
    QVERIFY(slowed);
    QCOMPARE(m_auto->world().sends(), (QStringList{"%F", "X", "{TAB}", "~"}));
    QVERIFY(m_rec->exited);
    QVERIFY(m_auto->messages.isEmpty());

    // A recorder that takes the keys but never leaves: the user is told it is still open.
    resetForms();
    m_auto->onPass = {};
    SetOutsideWaitLimitMs(400);
    recordAndNext();
    m_auto->world().window(m_rec->main)->onKey = [](const KeyStroke&) {};
    form3().Command1->click();
    QCOMPARE(m_auto->messages.size(), 1);
    QVERIFY(m_auto->messages[0].contains("still open"));
    QVERIFY(form1().isVisible());
}

void TestRecording::startOverWithRecorderClosedReturnsAfterTwoSeconds()
{
    recordAndNext();
    m_auto->world().close(m_rec->main);
    bool waitShown = false;
    m_auto->onPass = [&] { waitShown = waitShown || (formExists(5) && form5().isVisible()); };
    QElapsedTimer clock;
    clock.start();
    form3().Command1->click();
    const auto took = clock.elapsed();
    QVERIFY2(took >= 1950 && took < 4000, qPrintable(QString::number(took)));
    QVERIFY(waitShown);
    QVERIFY(m_auto->world().sends().isEmpty());
    QVERIFY(form1().isVisible());
    QCOMPARE(form1().frameGeometry().topLeft(), placed(&form1(), 1.3));
}

void TestRecording::startOverOnForm7EndsTheAttachedNotice()
{
    // As after an attachment: the notice up with its 2300 ms timer running.
    form1().hide();
    form7().show();
    form8().show();
    form6().Timer1->start();
    QTest::qWait(200);
    form7().Command1->click();
    QVERIFY(!form7().isVisible());
    QVERIFY(form5().isVisible());
    QVERIFY(form5().Timer1->isActive());
    QVERIFY(!form6().Timer1->isActive());
    QVERIFY(!form8().isVisible()); // taken down with its timer, not left up for good
    QVERIFY(form1().isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(!form5().isVisible(), 5000);
    QVERIFY(!form8().isVisible());
}

QTEST_MAIN(TestRecording)
#include "tst_recording.moc"
