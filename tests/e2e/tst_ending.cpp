// The wizard as the person runs it, a program of its own on a real X display
// (Xvfb + openbox): Exit pressed while a road is waiting for the recorder
// ends it at once and cleanly (exit status 0, its windows and connections
// closed on the way out; under the sanitizers with nothing leaked), and
// leaves the recorder running as it was.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>

#include "X11TestDesktop.h"

#include <csignal>

using namespace x11test;

class TestEnding : public ProgramSuite
{
    Q_OBJECT
private slots:
    void init() { setUpCase(); }
    void cleanup();

    void exitDuringAWaitEndsTheProgram();

private:
    qint64 m_recorderPid = 0;
};

void TestEnding::cleanup()
{
    if (m_recorderPid > 0)
        ::kill(static_cast<pid_t>(m_recorderPid), SIGKILL);
    m_recorderPid = 0;
    tearDownCase();
}

void TestEnding::exitDuringAWaitEndsTheProgram()
{
    // The wizard in a folder of its own, beside a recorder that starts but
    // never shows a window: the road waits for it (up to its 20 s limit).
    const QDir dir(m_dir->path());
    const QString wizard = dir.filePath(QStringLiteral("vardane"));
    QVERIFY(QFile::copy(QStringLiteral(VARDANE_PROGRAM), wizard));
    QFile recorder(dir.filePath(QStringLiteral("Sndrec32.exe")));
    QVERIFY(recorder.open(QIODevice::WriteOnly));
    recorder.write("#!/bin/sh\necho $$ > \"$(dirname \"$0\")/recorder.pid\"\nexec sleep 600\n");
    recorder.close();
    QVERIFY(recorder.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));

    m_process->start(wizard, {});
    QVERIFY(m_process->waitForStarted(Wait));
    Wizard keys;
    QVERIFY(keys.ok());
    QVERIFY2(keys.bringToFront(QStringLiteral("Tindrel")), "the main window did not come up");
    QVERIFY(keys.send({"%F", "R"})); // Record A Message

    const QString pidFile = dir.filePath(QStringLiteral("recorder.pid"));
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(pidFile) && !readLog(pidFile).isEmpty(), Wait);
    m_recorderPid = readLog(pidFile).first().toLongLong();
    QVERIFY(m_recorderPid > 0);

    // The main window is still up (the recorder never came): Exit from its menu.
    QVERIFY(keys.bringToFront(QStringLiteral("Tindrel")));
    QVERIFY(keys.send({"%F", "E"}));
    // Within less than the wait's own limit: the press ended the wait, which
    // would otherwise have told the person that the recorder did not respond
    // and kept the program running.
    QVERIFY2(m_process->waitForFinished(Wait), "the wizard did not end");
    QCOMPARE(m_process->exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_process->exitCode(), 0);
    QCOMPARE(m_desktop->find(QStringLiteral("Tindrel")), Window(0));
    QCOMPARE(::kill(static_cast<pid_t>(m_recorderPid), 0), 0);
}

QTEST_GUILESS_MAIN(TestEnding)
#include "tst_ending.moc"
