// The speech proof on real captures: spoken words played into the private
// sound server's speaker and recorded from its microphone are found; the
// same recording compared with other words, a recording of silence and one
// of a tone are not.

#include "SoundSession.h"
#include "SpeechProof.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sndfile.h>

#include <cmath>
#include <numbers>
#include <vector>

namespace {

constexpr int WaitMs = 30000;
constexpr int CaptureRate = 16000;
constexpr qint64 WavHeaderBytes = 44;

qint64 capturedBytes(const QString& path)
{
    return QFileInfo(path).size();
}

} // namespace

class TestSpeechProof : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void spokenWordsAreFound();
    void silenceAndAToneAreNot();

private:
    QString capture(const QString& name, const QString& played, double quietSeconds);

    QTemporaryDir m_dir;
    QString m_spoken;
};

// Records the microphone while a file (if any) is played into the speaker,
// from before it starts until quietSeconds after it ends.
QString TestSpeechProof::capture(const QString& name, const QString& played, double quietSeconds)
{
    const QString path = m_dir.filePath(name);
    QProcess rec;
    rec.start("parecord",
              {"--device=" + qEnvironmentVariable("SOUND_SESSION_SOURCE"), "--file-format=wav",
               "--channels=1", "--rate=" + QString::number(CaptureRate), path});
    if (!rec.waitForStarted(WaitMs))
        return {};
    // Play only once the first samples are in.
    if (!QTest::qWaitFor([&] { return capturedBytes(path) > WavHeaderBytes; }, WaitMs))
        return {};
    if (!played.isEmpty()) {
        if (!sound::playIntoMicrophone(played))
            return {};
    }
    const qint64 until = capturedBytes(path) + qint64(quietSeconds * CaptureRate) * 2;
    if (!QTest::qWaitFor([&] { return capturedBytes(path) >= until; }, WaitMs))
        return {};
    rec.terminate(); // parecord completes the file's header on the way out
    if (!rec.waitForFinished(WaitMs))
        return {};
    return path;
}

void TestSpeechProof::initTestCase()
{
    QVERIFY2(qEnvironmentVariableIsSet("PULSE_SERVER"), "runs against a private sound server");
    QVERIFY(m_dir.isValid());
    m_spoken = sound::speak(m_dir.filePath("spoken.wav"),
                            "Please call me back about the meeting on Tuesday afternoon.");
    QVERIFY(!m_spoken.isEmpty());
}

void TestSpeechProof::spokenWordsAreFound()
{
    const QString recorded = capture("recorded.wav", m_spoken, 0.5);
    QVERIFY(!recorded.isEmpty());
    const auto proof = speechproof::prove(m_spoken.toStdString(), recorded.toStdString());
    qInfo("%s", proof.describe().c_str());
    QVERIFY2(proof.holdsSpeech, proof.describe().c_str());
    QVERIFY2(proof.lagSeconds >= 0, proof.describe().c_str());

    // Other words in the same voice are told apart from the ones recorded.
    const QString other = sound::speak(m_dir.filePath("other.wav"),
                                       "The weather will be cold and windy all week long.");
    QVERIFY(!other.isEmpty());
    const auto wrong = speechproof::prove(other.toStdString(), recorded.toStdString());
    qInfo("%s", wrong.describe().c_str());
    QVERIFY2(!wrong.holdsSpeech, wrong.describe().c_str());

    // A file that is no sound is said to be one.
    const auto none =
        speechproof::prove(m_spoken.toStdString(), m_dir.filePath("none.wav").toStdString());
    QVERIFY(!none.holdsSpeech);
    QVERIFY(none.error.find("none.wav") != std::string::npos);
}

void TestSpeechProof::silenceAndAToneAreNot()
{
    const QString silence = capture("silence.wav", {}, 4);
    QVERIFY(!silence.isEmpty());
    const auto quiet = speechproof::prove(m_spoken.toStdString(), silence.toStdString());
    qInfo("%s", quiet.describe().c_str());
    QVERIFY2(!quiet.holdsSpeech, quiet.describe().c_str());
    QVERIFY2(quiet.speechLevelDb < -45, quiet.describe().c_str());

    // A loud 440 Hz tone as long as the speech, with a short fade at each end.
    const QString tonePath = m_dir.filePath("tone.wav");
    SF_INFO info{};
    info.samplerate = 22050;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open(tonePath.toLocal8Bit().constData(), SFM_WRITE, &info);
    QVERIFY(file);
    std::vector<double> tone(3 * 22050);
    for (std::size_t i = 0; i < tone.size(); ++i) {
        const double fade = std::min({1.0, double(i) / 441, double(tone.size() - i) / 441});
        tone[i] = 0.5 * fade * std::sin(2 * std::numbers::pi * 440 * double(i) / 22050);
    }
    sf_writef_double(file, tone.data(), sf_count_t(tone.size()));
    sf_close(file);
    const QString recorded = capture("tone-recorded.wav", tonePath, 0.5);
    QVERIFY(!recorded.isEmpty());
    const auto loud = speechproof::prove(m_spoken.toStdString(), recorded.toStdString());
    qInfo("%s", loud.describe().c_str());
    QVERIFY2(!loud.holdsSpeech, loud.describe().c_str());
    QVERIFY2(loud.speechLevelDb > -45, loud.describe().c_str());
}

QTEST_GUILESS_MAIN(TestSpeechProof)
#include "tst_speechproof.moc"
