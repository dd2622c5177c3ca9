// The sound recorder's windows driven with the keys the voice wizard sends
// them, recording and playing through a private sound server (a tone played
// into the server's loudspeaker is what its microphone hears); and what a
// person sees when a save fails or a file is not a sound.

#include "EventLog.h"
#include "RecorderWindow.h"
#include "StandinTestKeys.h"
#include "StandinTestMain.h"

#include <QComboBox>
#include <QFile>
#include <QMessageBox>
#include <QProcess>
#include <QLineEdit>
#include <QPointer>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>

using namespace recorder;
using namespace standin::testkeys;

namespace {

constexpr int Wait = 10000;
const QString RecorderTitle = QStringLiteral("Sound - Sound Recorder");

struct WavInfo
{
    bool ok = false;
    int format = 0;
    int sampleRate = 0;
    int channels = 0;
    sf_count_t frames = 0;
    double rms = 0;
    double loudestRms = 0; // of the loudest 20 ms
    double frequency = 0;  // of the loud part, from its zero crossings
};

WavInfo readWav(const QString& path)
{
    WavInfo result;
    SF_INFO info{};
    SNDFILE* sound = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
    if (!sound)
        return result;
    std::vector<float> samples(static_cast<std::size_t>(info.frames * info.channels));
    const sf_count_t read = sf_readf_float(sound, samples.data(), info.frames);
    sf_close(sound);
    double sum = 0;
    for (float s : samples)
        sum += double(s) * s;
    result.ok = read == info.frames;
    result.format = info.format;
    result.sampleRate = info.samplerate;
    result.channels = info.channels;
    result.frames = info.frames;
    result.rms = samples.empty() ? 0 : std::sqrt(sum / samples.size());
    // 20 ms frames: the loudest one, and the frequency over the loud ones.
    const std::size_t frame = std::size_t(info.samplerate / 50);
    std::vector<double> frameRms;
    for (std::size_t at = 0; frame > 0 && at + frame <= samples.size(); at += frame) {
        double energy = 0;
        for (std::size_t i = at; i < at + frame; ++i)
            energy += double(samples[i]) * samples[i];
        frameRms.push_back(std::sqrt(energy / frame));
        result.loudestRms = std::max(result.loudestRms, frameRms.back());
    }
    // In each loud frame, zero crossings counted with hysteresis (low noise
    // does not count), timed from the first to the last; the median over the
    // frames, so that a frame spoilt by a gap in the capture does not count.
    // Loud is half the loudest frame: a compressed tone starts with a frame
    // up to half again as loud as the rest, which must not be all there is.
    std::vector<double> frequencies;
    for (std::size_t f = 0; f < frameRms.size(); ++f) {
        if (frameRms[f] < 0.5 * result.loudestRms)
            continue;
        int sign = 0;
        int crossings = 0;
        std::size_t first = 0;
        std::size_t last = 0;
        for (std::size_t i = f * frame; i < (f + 1) * frame; ++i) {
            const int now = samples[i] > 0.05f ? 1 : samples[i] < -0.05f ? -1 : 0;
            if (now != 0 && sign != 0 && now != sign) {
                if (crossings++ == 0)
                    first = i;
                last = i;
            }
            if (now != 0)
                sign = now;
        }
        if (crossings >= 3)
            frequencies.push_back((crossings - 1) / 2.0 / (double(last - first) / info.samplerate));
    }
    if (!frequencies.empty()) {
        std::nth_element(frequencies.begin(), frequencies.begin() + frequencies.size() / 2,
                         frequencies.end());
        result.frequency = frequencies[frequencies.size() / 2];
    }
    return result;
}

// A tone written as a 16-bit WAV file.
bool writeTone(const QString& path, double seconds, double frequency)
{
    SF_INFO info{};
    info.samplerate = 44100;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* sound = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
    if (!sound)
        return false;
    std::vector<float> samples(std::size_t(seconds * info.samplerate));
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = float(0.5 * std::sin(2 * std::numbers::pi * frequency * i / info.samplerate));
    const bool ok = sf_writef_float(sound, samples.data(), sf_count_t(samples.size())) ==
                    sf_count_t(samples.size());
    return sf_close(sound) == 0 && ok;
}

} // namespace

class TestRecorder : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void compressedFormatIsChosenByTheWizardsKeys();
    void recordingIsSavedAsTyped_data();
    void recordingIsSavedAsTyped();
    void failedSaveKeepsTheDialogOpen_data();
    void failedSaveKeepsTheDialogOpen();
    void notASoundIsRefusedAndASoundPlays();
    void existingFileIsReplaced();
    void nothingRecordedSavesAnEmptySound();
    void keysQueuedForAClosedDialogGoWhereTheKeyboardIs();
    void leavingWithUnsavedRecordingAsks_data();
    void leavingWithUnsavedRecordingAsks();
    void soundLeftByAKilledRecorderIsOffered_data();
    void soundLeftByAKilledRecorderIsOffered();

private:
    void start(bool autoRecord);
    void recordSome();
    bool waitActive(const QString& title);
    void convertToGsm();
    void saveAs(const QString& path);
    QStringList log() const { return readLog(m_dir->filePath(QStringLiteral("recorder.log"))); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<RecorderWindow> m_window;
};

void TestRecorder::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QVERIFY(classic::openLog(m_dir->filePath(QStringLiteral("recorder.log"))));
}

void TestRecorder::cleanup()
{
    m_window.reset();
    classic::closeLog();
    m_dir.reset();
}

void TestRecorder::start(bool autoRecord)
{
    RecorderOptions options;
    options.autoRecord = autoRecord;
    options.folder = m_dir->path();
    m_window = std::make_unique<RecorderWindow>(options);
    m_window->show();
    QVERIFY(waitActive(RecorderTitle));
}

// Recording by itself, then stopped with "{BREAK}" once it has some sound.
void TestRecorder::recordSome()
{
    start(true);
    if (QTest::currentTestFailed())
        return;
    QTRY_VERIFY_WITH_TIMEOUT(m_window->hasRecording(), Wait);
    QVERIFY(press(Qt::Key_Pause, QString()));
}

bool TestRecorder::waitActive(const QString& title)
{
    return QTest::qWaitFor([&] { return activeTitle() == title; }, Wait);
}

// "%F", "P"; "%C"; "{TAB}", "{TAB}", "G", "{TAB}", "{TAB}", "~"; then "~" until
// the selection is gone and once more.
void TestRecorder::convertToGsm()
{
    QVERIFY(alt('f'));
    QVERIFY(type(QStringLiteral("P")));
    QVERIFY(waitActive(QStringLiteral("Properties for Sound")));
    QVERIFY(alt('c'));
    QVERIFY(waitActive(QStringLiteral("Sound Selection")));
    QVERIFY(tab() && tab() && type(QStringLiteral("G")) && tab() && tab() && enter());
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->selectionDialog(), Wait);
    QVERIFY(enter());
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->propertiesDialog(), Wait);
    QVERIFY(waitActive(RecorderTitle));
}

// The file name typed literally, then "{TAB}", "{TAB}", "~".
void TestRecorder::saveAs(const QString& path)
{
    QVERIFY(alt('f'));
    QVERIFY(type(QStringLiteral("A")));
    QVERIFY(waitActive(QStringLiteral("Save As")));
    QVERIFY(type(path));
    QVERIFY(tab() && tab() && enter());
}

void TestRecorder::compressedFormatIsChosenByTheWizardsKeys()
{
    start(false);
    if (QTest::currentTestFailed())
        return;
    QVERIFY(alt('f'));
    QVERIFY(type(QStringLiteral("P")));
    QVERIFY(waitActive(QStringLiteral("Properties for Sound")));
    PropertiesDialog* properties = m_window->propertiesDialog();
    QVERIFY(properties->isModal());
    QCOMPARE(properties->parentWidget(), m_window.get());

    QVERIFY(alt('c'));
    QVERIFY(waitActive(QStringLiteral("Sound Selection")));
    QVERIFY(m_window->selectionDialog()->isModal());
    QVERIFY(tab() && tab());
    QCOMPARE(QApplication::focusWidget(), m_window->selectionDialog()->formatList());
    QVERIFY(type(QStringLiteral("G")));
    QCOMPARE(m_window->selectionDialog()->formatList()->currentText(), QStringLiteral("GSM 6.10"));
    QVERIFY(tab() && tab() && enter());
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->selectionDialog(), Wait);
    QCOMPARE(m_window->format().token, QStringLiteral("gsm610"));

    // The wizard's Enter keys: the first confirms the properties, the rest
    // reach the main window and change nothing.
    QVERIFY(enter());
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->propertiesDialog(), Wait);
    QVERIFY(waitActive(RecorderTitle));
    QVERIFY(enter() && enter());
    QTest::qWait(50);
    QVERIFY(!QApplication::activeModalWidget());
    QVERIFY(m_window->isVisible());
    QCOMPARE(m_window->format().token, QStringLiteral("gsm610"));

    const QStringList lines = log();
    const QStringList expected{
        QStringLiteral("shown\tSound - Sound Recorder"),
        QStringLiteral("key\tSound - Sound Recorder\tAlt+F\tf\tshortcut"),
        QStringLiteral("key\tmenu:File\tShift+P\tP"),
        QStringLiteral("shown\tProperties for Sound"),
        QStringLiteral("key\tProperties for Sound\tAlt+C\tc\tshortcut"),
        QStringLiteral("shown\tSound Selection"),
        QStringLiteral("key\tSound Selection\tTab\t\\t"),
        QStringLiteral("key\tSound Selection\tTab\t\\t"),
        QStringLiteral("key\tSound Selection\tShift+G\tG"),
        QStringLiteral("key\tSound Selection\tTab\t\\t"),
        QStringLiteral("key\tSound Selection\tTab\t\\t"),
        QStringLiteral("key\tSound Selection\tReturn\t\\r"),
        QStringLiteral("hidden\tSound Selection"),
        QStringLiteral("closed\tSound Selection\tOK"),
        QStringLiteral("format\tGSM 6.10\tgsm610"),
        QStringLiteral("key\tProperties for Sound\tReturn\t\\r"),
        QStringLiteral("hidden\tProperties for Sound"),
        QStringLiteral("closed\tProperties for Sound\tOK"),
        QStringLiteral("key\tSound - Sound Recorder\tReturn\t\\r"),
        QStringLiteral("key\tSound - Sound Recorder\tReturn\t\\r"),
    };
    QCOMPARE(lines, expected);
}

void TestRecorder::recordingIsSavedAsTyped_data()
{
    QTest::addColumn<bool>("compressed");
    QTest::addColumn<int>("fileFormat");
    QTest::addColumn<int>("sampleRate");
    QTest::newRow("compressed") << true << (SF_FORMAT_WAV | SF_FORMAT_GSM610) << 8000;
    QTest::newRow("not converted") << false << (SF_FORMAT_WAV | SF_FORMAT_PCM_16) << 22050;
}

void TestRecorder::recordingIsSavedAsTyped()
{
    QFETCH(bool, compressed);
    QFETCH(int, fileFormat);
    QFETCH(int, sampleRate);

    start(true);
    if (QTest::currentTestFailed())
        return;
    QTRY_VERIFY_WITH_TIMEOUT(m_window->isRecording(), Wait);
    if (compressed)
        convertToGsm();
    if (QTest::currentTestFailed())
        return;
    QVERIFY(m_window->isRecording());
    // A tone into the loudspeaker once the microphone is heard, then
    // recording on until it has certainly come through.
    QTRY_VERIFY_WITH_TIMEOUT(log().filter(QStringLiteral("record\tcaptured\t")).size() == 1, Wait);
    const QString tone = m_dir->filePath(QStringLiteral("tone.wav"));
    QVERIFY(writeTone(tone, 0.5, 440));
    QProcess player;
    player.start(QStringLiteral("paplay"), {tone});
    QTRY_VERIFY_WITH_TIMEOUT(player.state() == QProcess::NotRunning, Wait);
    QCOMPARE(player.exitCode(), 0);
    const double played = m_window->seconds();
    QTRY_VERIFY_WITH_TIMEOUT(m_window->seconds() > played + 1.0, Wait);
    QVERIFY(press(Qt::Key_Pause, QString())); // "{BREAK}"
    QVERIFY(!m_window->isRecording());

    const QString folder = m_dir->filePath(QStringLiteral("Voice ~%(x) [é]"));
    QVERIFY(QDir().mkpath(folder));
    const QString path = folder + QStringLiteral("/[12-06-98]03 45 12PM.wav");
    saveAs(path);
    if (QTest::currentTestFailed())
        return;
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->saveAsDialog(), Wait);

    const WavInfo wav = readWav(path);
    QVERIFY(wav.ok);
    QCOMPARE(wav.format, fileFormat);
    QCOMPARE(wav.sampleRate, sampleRate);
    QCOMPARE(wav.channels, 1);
    QVERIFY2(wav.frames >= 1.5 * sampleRate, qPrintable(QString::number(wav.frames)));
    // The tone, not silence.
    QVERIFY2(wav.loudestRms > 0.05, qPrintable(QString::number(wav.loudestRms)));
    QVERIFY2(std::abs(wav.frequency - 440) < 30, qPrintable(QString::number(wav.frequency)));
    QVERIFY(!m_window->isModified());

    // "%F", "X": saved, so the recorder leaves without a question. It has
    // the file's name now.
    const QString savedTitle = QStringLiteral("[12-06-98]03 45 12PM - Sound Recorder");
    QVERIFY(waitActive(savedTitle));
    QSignalSpy exited(m_window.get(), &RecorderWindow::exitRequested);
    QVERIFY(alt('f'));
    QVERIFY(type(QStringLiteral("X")));
    QTRY_COMPARE_WITH_TIMEOUT(exited.size(), 1, Wait);

    const QStringList lines = log();
    const QString token = compressed ? QStringLiteral("gsm610") : QStringLiteral("pcm16-22050");
    QVERIFY(lines.contains(QStringLiteral("record\tstart")));
    QVERIFY(lines.contains(QStringLiteral("key\tSound - Sound Recorder\tPause\t")));
    QVERIFY(lines.contains(QStringLiteral("record\tstop")));
    QVERIFY(lines.contains(QStringLiteral("key\tSave As\tShift+M\tM")));
    QVERIFY(lines.contains(QStringLiteral("key\tSave As\tÉ\té")));
    QVERIFY(lines.contains(QStringLiteral("key\tSave As\tSpace\t ")));
    const qsizetype typed = lines.indexOf(QStringLiteral("typed\t") + path);
    const qsizetype saved = lines.indexOf(QStringLiteral("saved\t%1\t%2").arg(path, token));
    QVERIFY(typed >= 0);
    QVERIFY(saved > typed);
    QCOMPARE(
        lines.mid(saved + 1),
        (QStringList{QStringLiteral("hidden\tSave As"), QStringLiteral("closed\tSave As\tSave"),
                     QStringLiteral("key\t%1\tAlt+F\tf\tshortcut").arg(savedTitle),
                     QStringLiteral("key\tmenu:File\tShift+X\tX"), QStringLiteral("exit"),
                     QStringLiteral("hidden\t") + savedTitle}));
}

void TestRecorder::failedSaveKeepsTheDialogOpen_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("reason"); // empty: the system's own
    QTest::newRow("missing folder") << QString() << "folder does not exist";
    // A folder where no file can be made, whoever runs the test.
    QTest::newRow("folder not writable") << "/proc/self" << QString();
}

void TestRecorder::failedSaveKeepsTheDialogOpen()
{
    QFETCH(QString, folder);
    QFETCH(QString, reason);
    recordSome();
    if (QTest::currentTestFailed())
        return;
    const double recorded = m_window->seconds();
    const QString path =
        (folder.isEmpty() ? m_dir->filePath(QStringLiteral("Voice Files")) : folder) +
        QStringLiteral("/[01-02-03]12 05 09AM.wav");
    saveAs(path);
    if (QTest::currentTestFailed())
        return;
    QVERIFY(waitActive(QStringLiteral("Sound Recorder")));
    QVERIFY(qobject_cast<QMessageBox*>(QApplication::activeModalWidget()));
    QCOMPARE(m_window->message()->parentWidget(), m_window->saveAsDialog());
    QVERIFY(m_window->message()->text().contains(QStringLiteral("The recording is kept.")));
    QVERIFY(m_window->saveAsDialog() && m_window->saveAsDialog()->isVisible());
    QVERIFY(!QFile::exists(path));
    const QStringList errors = log().filter(QStringLiteral("save-error\t%1\t").arg(path));
    QCOMPARE(errors.size(), 1);
    if (!reason.isEmpty())
        QCOMPARE(errors.first(), QStringLiteral("save-error\t%1\t%2").arg(path, reason));

    QVERIFY(enter()); // the message goes, the dialog stays for another try
    QVERIFY(waitActive(QStringLiteral("Save As")));
    QVERIFY(m_window->saveAsDialog());
    QVERIFY(m_window->isModified());
    QCOMPARE(m_window->seconds(), recorded);
    QVERIFY(escape());
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->saveAsDialog(), Wait);
    QVERIFY(log().contains(QStringLiteral("closed\tSave As\tCancel")));
    QVERIFY(m_window->isModified());
    QCOMPARE(m_window->windowTitle(), RecorderTitle);
}

void TestRecorder::notASoundIsRefusedAndASoundPlays()
{
    recordSome();
    if (QTest::currentTestFailed())
        return;
    const double recorded = m_window->seconds();

    const QString text = m_dir->filePath(QStringLiteral("notes.wav"));
    {
        QFile file(text);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("RIFF but not a sound at all\n");
    }
    m_window->openFile(text);
    QVERIFY(m_window->message() && m_window->message()->isVisible());
    QVERIFY(m_window->message()->text().contains(QStringLiteral("not a sound file")));
    QCOMPARE(log().filter(QStringLiteral("open-error\t") + text).size(), 1);
    QCOMPARE(m_window->seconds(), recorded); // the recording is untouched
    QVERIFY(m_window->isModified());
    QCOMPARE(m_window->windowTitle(), RecorderTitle);
    QVERIFY(enter());
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->message(), Wait);

    // A real sound opens under its name and plays to its end.
    const QString tone = m_dir->filePath(QStringLiteral("tone.wav"));
    QVERIFY(writeTone(tone, 0.3, 440));
    m_window->openFile(tone);
    QVERIFY(!m_window->message());
    QCOMPARE(m_window->windowTitle(), QStringLiteral("tone - Sound Recorder"));
    QVERIFY(std::abs(m_window->seconds() - 0.3) < 0.01);
    QVERIFY(!m_window->isModified());
    m_window->play();
    QVERIFY(m_window->isPlaying());
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->isPlaying(), Wait);
    QVERIFY(!m_window->message());
    QVERIFY(log().contains(QStringLiteral("play\t0.30 sec.")));
}

void TestRecorder::existingFileIsReplaced()
{
    start(true);
    if (QTest::currentTestFailed())
        return;
    QTRY_VERIFY_WITH_TIMEOUT(m_window->hasRecording(), Wait);
    const QString path = m_dir->filePath(QStringLiteral("old.wav"));
    {
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("not a sound");
    }
    saveAs(path);
    if (QTest::currentTestFailed())
        return;
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->saveAsDialog(), Wait);
    QVERIFY(readWav(path).ok);
    const QStringList lines = log();
    QVERIFY(lines.indexOf(QStringLiteral("overwrite\t") + path) <
            lines.indexOf(QStringLiteral("saved\t%1\tpcm16-22050").arg(path)));
    QVERIFY(lines.contains(QStringLiteral("overwrite\t") + path));
}

void TestRecorder::nothingRecordedSavesAnEmptySound()
{
    start(false);
    if (QTest::currentTestFailed())
        return;
    convertToGsm();
    if (QTest::currentTestFailed())
        return;
    const QString path = m_dir->filePath(QStringLiteral("empty")); // ".wav" is added
    saveAs(path);
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->saveAsDialog(), Wait);
    const WavInfo wav = readWav(path + QStringLiteral(".wav"));
    QVERIFY(wav.ok);
    QCOMPARE(wav.format, SF_FORMAT_WAV | SF_FORMAT_GSM610);
    QCOMPARE(wav.frames, sf_count_t(0));
    QVERIFY(log().contains(QStringLiteral("saved\t%1.wav\tgsm610").arg(path)));
}

// The wizard queues its keys without waiting; the window system then gives
// the keys that follow a dialog's last key to that dialog, which has closed
// by the time they are read.
void TestRecorder::keysQueuedForAClosedDialogGoWhereTheKeyboardIs()
{
    start(true);
    if (QTest::currentTestFailed())
        return;
    QVERIFY(alt('f'));
    QVERIFY(type(QStringLiteral("P")));
    QVERIFY(waitActive(QStringLiteral("Properties for Sound")));
    QVERIFY(alt('c'));
    QVERIFY(waitActive(QStringLiteral("Sound Selection")));
    QVERIFY(tab() && tab() && type(QStringLiteral("G")) && tab() && tab());
    const QPointer<QWidget> selectionKeys = QApplication::focusWidget();
    QVERIFY(enter());
    QVERIFY(!m_window->selectionDialog());
    QVERIFY(selectionKeys && !selectionKeys->isVisible());
    auto queuedEnter = [](QWidget* to) {
        QTest::sendKeyEvent(QTest::Click, to, Qt::Key_Return, QStringLiteral("\r"), {});
    };
    queuedEnter(selectionKeys); // confirms the properties behind
    QVERIFY(!m_window->propertiesDialog());
    queuedEnter(selectionKeys); // reaches the main window, harmlessly
    QCOMPARE(m_window->format().token, QStringLiteral("gsm610"));

    QVERIFY(waitActive(RecorderTitle));
    QVERIFY(alt('f'));
    QVERIFY(type(QStringLiteral("A")));
    QVERIFY(waitActive(QStringLiteral("Save As")));
    const QString path = m_dir->filePath(QStringLiteral("queued.wav"));
    QVERIFY(type(path) && tab() && tab());
    const QPointer<QWidget> saveKeys = QApplication::focusWidget();
    QSignalSpy exited(m_window.get(), &RecorderWindow::exitRequested);
    QVERIFY(enter());
    QVERIFY(!m_window->saveAsDialog());
    QVERIFY(saveKeys);
    // "%F", "X" right behind the Enter that saved.
    QTest::sendKeyEvent(QTest::Click, saveKeys, Qt::Key_F, QStringLiteral("f"), Qt::AltModifier);
    QTRY_VERIFY_WITH_TIMEOUT(QApplication::activePopupWidget(), Wait);
    QVERIFY(type(QStringLiteral("X")));
    QTRY_COMPARE_WITH_TIMEOUT(exited.size(), 1, Wait);
    QCOMPARE(readWav(path).format, SF_FORMAT_WAV | SF_FORMAT_GSM610);

    const QStringList lines = log();
    const auto from = [&lines](const QString& line) { return lines.mid(lines.indexOf(line)); };
    QCOMPARE(from(QStringLiteral("closed\tSound Selection\tOK")).mid(0, 8),
             (QStringList{QStringLiteral("closed\tSound Selection\tOK"),
                          QStringLiteral("format\tGSM 6.10\tgsm610"),
                          QStringLiteral("redirected\tSound Selection\tProperties for Sound"),
                          QStringLiteral("key\tProperties for Sound\tReturn\t\\r"),
                          QStringLiteral("hidden\tProperties for Sound"),
                          QStringLiteral("closed\tProperties for Sound\tOK"),
                          QStringLiteral("redirected\tSound Selection\tSound - Sound Recorder"),
                          QStringLiteral("key\tSound - Sound Recorder\tReturn\t\\r")}));
    QCOMPARE(from(QStringLiteral("closed\tSave As\tSave")),
             (QStringList{QStringLiteral("closed\tSave As\tSave"),
                          QStringLiteral("redirected\tSave As\tqueued - Sound Recorder"),
                          QStringLiteral("key\tqueued - Sound Recorder\tAlt+F\tf\tshortcut"),
                          QStringLiteral("key\tmenu:File\tShift+X\tX"), QStringLiteral("exit"),
                          QStringLiteral("hidden\tqueued - Sound Recorder")}));
}

void TestRecorder::leavingWithUnsavedRecordingAsks_data()
{
    QTest::addColumn<QString>("answerKeys");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("leaves");
    QTest::addColumn<bool>("savesFirst");
    QTest::newRow("Tab, Enter: do not save") << "{TAB}~"
                                             << "No" << true << false;
    QTest::newRow("Enter: save first") << "~"
                                       << "Yes" << true << true;
    QTest::newRow("Escape: stay") << "{ESC}"
                                  << "Cancel" << false << false;
}

void TestRecorder::leavingWithUnsavedRecordingAsks()
{
    QFETCH(QString, answerKeys);
    QFETCH(QString, answer);
    QFETCH(bool, leaves);
    QFETCH(bool, savesFirst);

    start(true);
    if (QTest::currentTestFailed())
        return;
    QTRY_VERIFY_WITH_TIMEOUT(m_window->isRecording(), Wait);
    QSignalSpy exited(m_window.get(), &RecorderWindow::exitRequested);
    QVERIFY(alt('f'));
    QVERIFY(type(QStringLiteral("X")));
    QVERIFY(waitActive(QStringLiteral("Sound Recorder")));
    SaveChangesQuestion* question = m_window->question();
    QVERIFY(question && question->isModal());
    QCOMPARE(question->text(), QStringLiteral("Do you want to save changes to Sound?"));
    if (answerKeys == QLatin1String("{TAB}~"))
        QVERIFY(tab() && enter());
    else if (answerKeys == QLatin1String("~"))
        QVERIFY(enter());
    else
        QVERIFY(escape());
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->question(), Wait);
    QVERIFY(log().contains(QStringLiteral("question\t") + answer));

    const QString path = m_dir->filePath(QStringLiteral("kept.wav"));
    if (savesFirst) {
        QVERIFY(waitActive(QStringLiteral("Save As")));
        QVERIFY(type(path) && enter());
        QTRY_VERIFY_WITH_TIMEOUT(!m_window->saveAsDialog(), Wait);
        QVERIFY(readWav(path).ok);
    }
    if (leaves) {
        QTRY_COMPARE_WITH_TIMEOUT(exited.size(), 1, Wait);
        QVERIFY(!m_window->isVisible());
        QCOMPARE(log().last(), savesFirst ? QStringLiteral("hidden\tkept - Sound Recorder")
                                          : QStringLiteral("hidden\tSound - Sound Recorder"));
        QVERIFY(log().contains(QStringLiteral("exit")));
    } else {
        QTest::qWait(50);
        QCOMPARE(exited.size(), 0);
        QVERIFY(m_window->isVisible());
        QVERIFY(m_window->isModified());
        QVERIFY(!log().contains(QStringLiteral("exit")));
    }
    QCOMPARE(QFile::exists(path), savesFirst);
}

void TestRecorder::soundLeftByAKilledRecorderIsOffered_data()
{
    QTest::addColumn<char>("answer"); // 'o' open, 'k' keep for later, 'd' delete
    QTest::newRow("Enter: opened") << 'o';
    QTest::newRow("Escape: kept for later") << 'k';
    QTest::newRow("Alt+D: deleted") << 'd';
}

// The recorder program killed while it records leaves its sound behind; a
// person who starts the recorder again is asked about it.
void TestRecorder::soundLeftByAKilledRecorderIsOffered()
{
    QFETCH(char, answer);
    // The working sounds of this test's recorders, and only those, are in
    // the cache folder (or else the temporary folder) made here.
    const QByteArray cache = qgetenv("XDG_CACHE_HOME");
    const QByteArray temp = qgetenv("TMPDIR");
    qputenv("XDG_CACHE_HOME", QFile::encodeName(m_dir->path()));
    qputenv("TMPDIR", QFile::encodeName(m_dir->path()));
    const auto restore = qScopeGuard([&] {
        for (const auto& [name, value] : {std::pair{"XDG_CACHE_HOME", cache}, {"TMPDIR", temp}}) {
            if (value.isNull())
                qunsetenv(name);
            else
                qputenv(name, value);
        }
    });
    const QString working = m_dir->filePath(QStringLiteral("tindrel-recorder"));

    QProcess killed;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TINDREL_RECORDER_AUTORECORD"), QStringLiteral("1"));
    killed.setProcessEnvironment(env);
    killed.start(QStringLiteral(RECORDER_PROGRAM), {});
    QVERIFY(killed.waitForStarted(Wait));
    const auto stopIt = qScopeGuard([&] {
        killed.kill();
        killed.waitForFinished(Wait);
    });
    QString left;
    const bool recorded = QTest::qWaitFor(
        [&] {
            const QDir folder(working); // listed afresh each time
            const QStringList found = folder.entryList({QStringLiteral("sound-recorder-*.wav")});
            left = found.size() == 1 ? folder.filePath(found.front()) : QString();
            const WavInfo wav = readWav(left);
            return wav.ok && wav.frames >= 1.5 * wav.sampleRate;
        },
        20000);
    QVERIFY2(recorded, qPrintable(working));
    // Its recorder is still running, however old its lock is.
    QFile lock(left + QStringLiteral(".lock"));
    QVERIFY(lock.open(QIODevice::ReadWrite));
    QVERIFY(lock.setFileTime(QDateTime::currentDateTime().addSecs(-3600),
                             QFileDevice::FileModificationTime));
    lock.close();
    QVERIFY(findLeftSounds().isEmpty());
    killed.kill();
    QVERIFY(killed.waitForFinished(Wait));

    RecorderOptions options;
    options.folder = m_dir->path();
    options.offerLeftSounds = true;
    m_window = std::make_unique<RecorderWindow>(options);
    m_window->show();
    QTRY_VERIFY_WITH_TIMEOUT(m_window->leftSoundQuestion(), Wait);
    QTRY_COMPARE_WITH_TIMEOUT(QApplication::activeModalWidget(),
                              static_cast<QWidget*>(m_window->leftSoundQuestion()), Wait);
    QVERIFY(answer == 'o' ? enter() : answer == 'k' ? escape() : alt('d'));
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->leftSoundQuestion(), Wait);

    if (answer != 'o') {
        QVERIFY(!m_window->hasRecording());
        QCOMPARE(QFileInfo::exists(left), answer == 'k');
        // Kept: asked about again at the next start.
        QCOMPARE(findLeftSounds().size(), answer == 'k' ? 1 : 0);
        return;
    }
    // A new sound that is not saved yet, which saves like any recording.
    QVERIFY(m_window->seconds() >= 1.5);
    QVERIFY(m_window->isModified());
    QVERIFY(waitActive(RecorderTitle));
    QVERIFY(!QFileInfo::exists(left));
    QVERIFY(!QFileInfo::exists(left + QStringLiteral(".lock")));
    const QString path = m_dir->filePath(QStringLiteral("found again.wav"));
    saveAs(path);
    if (QTest::currentTestFailed())
        return;
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->saveAsDialog(), Wait);
    const WavInfo wav = readWav(path);
    QVERIFY(wav.ok && wav.frames >= 1.5 * wav.sampleRate);
    QVERIFY(!m_window->isModified());
}

STANDIN_TEST_MAIN(TestRecorder)
#include "tst_recorder.moc"
