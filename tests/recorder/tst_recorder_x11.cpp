// The sound recorder as a program of its own on a real X display (Xvfb +
// openbox) with a private sound server: windows found by their exact titles,
// keys sent with XTest in the groups the voice wizard sends, without waiting
// between the keys of a group or between groups that the wizard sends back to
// back, or through the wizard's own X11 backend with keys for a dialog or
// question sent right behind the keys that open it (the X server addresses
// them to the window that has the focus when they are sent; they must all
// reach the new window, as queued keys do on the classic desktop).
//
// And what a person sees when sound fails: no sound server, the sound server
// going away in the middle of a recording.

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sndfile.h>

#include "X11TestDesktop.h"

#include <algorithm>
#include <memory>

using namespace x11test;

namespace {

const QString RecorderTitle = QStringLiteral("Sound - Sound Recorder");

SF_INFO soundInfo(const QString& path)
{
    SF_INFO info{};
    if (SNDFILE* sound = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info))
        sf_close(sound);
    return info;
}

} // namespace

class TestRecorderX11 : public ProgramSuite
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void recorderSavesCompressedAndLeaves();
    void startOverKeysBackToBack();
    void selectionKeysTypedAhead();
    void noSoundServerSaysSoOnRecord();
    void soundServerGoingAwayKeepsTheRecording();

private:
    void startRecorder(const QProcessEnvironment& extra = {}, const QStringList& through = {});
    void startRecordingInFront(Wizard& wizard);
    void closeMessage();
    bool waitLogPrefix(const QString& prefix) const
    {
        return QTest::qWaitFor(
            [&] {
                const QStringList lines = log();
                return std::any_of(lines.begin(), lines.end(),
                                   [&](const QString& l) { return l.startsWith(prefix); });
            },
            Wait);
    }
};

void TestRecorderX11::init()
{
    setUpCase();
}

void TestRecorderX11::cleanup()
{
    tearDownCase();
}

// The recorder started, recording, and brought to the front by the wizard's backend.
void TestRecorderX11::startRecordingInFront(Wizard& wizard)
{
    startRecorder();
    if (QTest::currentTestFailed())
        return;
    QVERIFY(wizard.ok());
    QVERIFY(waitLog(QStringLiteral("record\tstart")));
    QVERIFY(wizard.bringToFront(RecorderTitle));
}

// The recorder started with its log, recording by itself; with the program
// and arguments given, the recorder is started through them.
void TestRecorderX11::startRecorder(const QProcessEnvironment& extra, const QStringList& through)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TINDREL_RECORDER_LOG"), m_dir->filePath(QStringLiteral("log")));
    env.insert(QStringLiteral("TINDREL_RECORDER_AUTORECORD"), QStringLiteral("1"));
    env.insert(extra);
    m_process->setProcessEnvironment(env);
    if (through.isEmpty())
        m_process->start(QStringLiteral(RECORDER_PROGRAM), {});
    else
        m_process->start(through.first(), through.mid(1) << QStringLiteral(RECORDER_PROGRAM));
    QVERIFY(m_process->waitForStarted(Wait));
}

void TestRecorderX11::recorderSavesCompressedAndLeaves()
{
    startRecorder();
    if (QTest::currentTestFailed())
        return;
    Desktop& x = *m_desktop;

    const Window recorder = x.waitFor(RecorderTitle);
    QVERIFY(recorder);
    QVERIFY(waitLog(QStringLiteral("record\tstart")));
    QVERIFY(x.activate(recorder));
    x.send(QStringLiteral("%F"));
    x.send(QStringLiteral("P"));
    const Window properties = x.waitFor(QStringLiteral("Properties for Sound"));
    QVERIFY(properties && x.isDialog(properties));
    x.send(QStringLiteral("%C"));
    const Window selection = x.waitFor(QStringLiteral("Sound Selection"));
    QVERIFY(selection && x.isDialog(selection));
    x.send(QStringLiteral("\t\tG\t\t~"));
    // Enter until the selection has gone, and once more.
    while (x.find(QStringLiteral("Sound Selection")))
        x.send(QStringLiteral("~"));
    x.send(QStringLiteral("~"));
    QVERIFY(waitLog(QStringLiteral("closed\tProperties for Sound\tOK")));
    QVERIFY(log().contains(QStringLiteral("format\tGSM 6.10\tgsm610")));

    x.send(QStringLiteral("^"));
    QVERIFY(waitLog(QStringLiteral("record\tstop")));
    x.send(QStringLiteral("%F"));
    x.send(QStringLiteral("A"));
    const Window saveAs = x.waitFor(QStringLiteral("Save As"));
    QVERIFY(saveAs && x.isDialog(saveAs));
    QVERIFY(x.activate(saveAs));
    const QString folder = m_dir->filePath(QStringLiteral("Voice ~%(x) [1]"));
    QVERIFY(QDir().mkpath(folder));
    const QString path = folder + QStringLiteral("/[12-06-98]03 45 12PM.wav");
    x.type(path);
    x.send(QStringLiteral("\t"));
    x.send(QStringLiteral("\t"));
    x.send(QStringLiteral("~"));
    x.send(QStringLiteral("%F"));
    x.send(QStringLiteral("X"));
    QVERIFY(m_process->waitForFinished(Wait));
    QCOMPARE(m_process->exitCode(), 0);

    const QStringList lines = log();
    QVERIFY(lines.contains(QStringLiteral("typed\t") + path));
    QVERIFY(lines.contains(QStringLiteral("saved\t%1\tgsm610").arg(path)));
    QCOMPARE(lines.filter(QStringLiteral("question\t")).size(), 0);
    QVERIFY(lines.contains(QStringLiteral("exit")));
    const SF_INFO info = soundInfo(path);
    QCOMPARE(info.format, SF_FORMAT_WAV | SF_FORMAT_GSM610);
    QVERIFY(info.frames > 0);
}

void TestRecorderX11::startOverKeysBackToBack()
{
    // Leaving with an unsaved recording, as the wizard's "Start Over" does:
    // Alt+F opens the menu, X chooses Exit, which opens the question; Tab and
    // Enter answer No. The X server addresses the Tab and Enter to the menu
    // (which holds the keyboard) or to the main window, which the question
    // covers by the time they are read.
    Wizard wizard;
    startRecordingInFront(wizard);
    if (QTest::currentTestFailed())
        return;
    QVERIFY(wizard.send({"%F", "X", "{TAB}", "~"}));
    QVERIFY2(m_process->waitForFinished(Wait), qPrintable(log().join(QLatin1Char('\n'))));
    const QStringList lines = log();
    QVERIFY(lines.contains(QStringLiteral("question\tNo")));
    QVERIFY(lines.contains(QStringLiteral("exit")));
    QVERIFY(lines.filter(QStringLiteral("saved\t")).isEmpty());
}

void TestRecorderX11::selectionKeysTypedAhead()
{
    // The format chosen and both dialogs confirmed with keys sent right
    // behind the key that opens "Sound Selection": every one of them is
    // addressed to "Properties for Sound", which the selection covers by the
    // time they are read.
    Wizard wizard;
    startRecordingInFront(wizard);
    if (QTest::currentTestFailed())
        return;
    QVERIFY(wizard.send({"%F", "P"}));
    QVERIFY(QTest::qWaitFor(
        [&] { return wizard.find(QStringLiteral("Properties for Sound"), true) != 0; }, Wait));
    QVERIFY(wizard.send({"%C", "{TAB}", "{TAB}", "G", "{TAB}", "{TAB}", "~", "~"}));
    QVERIFY2(waitLog(QStringLiteral("closed\tProperties for Sound\tOK")),
             qPrintable(log().join(QLatin1Char('\n'))));
    const QStringList lines = log();
    QVERIFY(lines.contains(QStringLiteral("closed\tSound Selection\tOK")));
    QVERIFY(lines.contains(QStringLiteral("format\tGSM 6.10\tgsm610")));
    QVERIFY(QTest::qWaitFor([&] { return !wizard.find(QStringLiteral("Sound Selection")); }, Wait));
    QVERIFY(QTest::qWaitFor([&] { return !wizard.find(QStringLiteral("Properties for Sound")); },
                            Wait));
}

// The recorder's message, a dialog of its own, closed with Enter; the
// recorder's window in front again.
void TestRecorderX11::closeMessage()
{
    Desktop& x = *m_desktop;
    const Window message = x.waitFor(QStringLiteral("Sound Recorder"));
    QVERIFY(message && x.isDialog(message));
    QVERIFY(x.activate(message));
    x.send(QStringLiteral("~"));
    QVERIFY(QTest::qWaitFor([&] { return !x.find(QStringLiteral("Sound Recorder")); }, Wait));
    const Window recorder = x.waitFor(RecorderTitle);
    QVERIFY(recorder && x.activate(recorder));
}

void TestRecorderX11::noSoundServerSaysSoOnRecord()
{
    // No sound server where the recorder looks for one: Record (pressed by
    // itself here) says so in a message of its own, and the recorder stays
    // usable (its menus and dialogs answer) and leaves without a question.
    QProcessEnvironment env;
    env.insert(QStringLiteral("PULSE_SERVER"), m_dir->filePath(QStringLiteral("no-server")));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_dir->path());
    startRecorder(env);
    if (QTest::currentTestFailed())
        return;
    Desktop& x = *m_desktop;
    QVERIFY(waitLogPrefix(QStringLiteral("record\tfailed\t")));
    QVERIFY(!log().contains(QStringLiteral("record\tstart")));
    // Not taken for a missing microphone.
    QVERIFY(log().contains(
        QStringLiteral("record\tfailed\tthe desktop's sound server cannot be reached")));
    closeMessage();
    if (QTest::currentTestFailed())
        return;
    x.send(QStringLiteral("%F"));
    x.send(QStringLiteral("P"));
    QVERIFY(x.waitFor(QStringLiteral("Properties for Sound")));
    x.send(QStringLiteral("~"));
    QVERIFY(waitLog(QStringLiteral("closed\tProperties for Sound\tOK")));
    x.send(QStringLiteral("%F"));
    x.send(QStringLiteral("X"));
    QVERIFY(m_process->waitForFinished(Wait));
    QCOMPARE(m_process->exitCode(), 0);
    QVERIFY(log().filter(QStringLiteral("question\t")).isEmpty());
}

void TestRecorderX11::soundServerGoingAwayKeepsTheRecording()
{
    // The recorder on a sound server of its own, which then ends in the
    // middle of the recording: the recorder says so, and what it recorded
    // until then is kept and saved.
    const QString serverFile = m_dir->filePath(QStringLiteral("server"));
    startRecorder({},
                  {QStringLiteral(SOUND_SESSION), QStringLiteral("sh"), QStringLiteral("-c"),
                   QStringLiteral("echo \"$PULSE_SERVER\" >'%1' && exec \"$0\"").arg(serverFile)});
    if (QTest::currentTestFailed())
        return;
    QVERIFY(waitLogPrefix(QStringLiteral("record\tcaptured\t")));
    QFile file(serverFile);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString server = QString::fromUtf8(file.readAll()).trimmed();
    QVERIFY(!server.isEmpty());
    QCOMPARE(QProcess::execute(QStringLiteral("pactl"),
                               {QStringLiteral("-s"), server, QStringLiteral("exit")}),
             0);
    QVERIFY2(waitLogPrefix(QStringLiteral("record\tlost\t")),
             qPrintable(log().join(QLatin1Char('\n'))));
    closeMessage();
    if (QTest::currentTestFailed())
        return;
    Desktop& x = *m_desktop;
    x.send(QStringLiteral("%F"));
    x.send(QStringLiteral("A"));
    const Window saveAs = x.waitFor(QStringLiteral("Save As"));
    QVERIFY(saveAs && x.activate(saveAs));
    const QString path = m_dir->filePath(QStringLiteral("kept.wav"));
    x.type(path);
    x.send(QStringLiteral("~"));
    QVERIFY(waitLog(QStringLiteral("saved\t%1\tpcm16-22050").arg(path)));
    QVERIFY(soundInfo(path).frames > 0);
    QVERIFY(x.waitFor(QStringLiteral("kept - Sound Recorder")));
    x.send(QStringLiteral("%F"));
    x.send(QStringLiteral("X"));
    QVERIFY(m_process->waitForFinished(Wait));
    QVERIFY(log().filter(QStringLiteral("question\t")).isEmpty());
}

QTEST_GUILESS_MAIN(TestRecorderX11)
#include "tst_recorder_x11.moc"
