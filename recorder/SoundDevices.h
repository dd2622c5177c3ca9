#pragma once

// The recorder's way to the desktop's sound server: recording from the
// default input into the working sound, and playing the working sound to the
// default output (Qt Multimedia, which speaks to the sound server directly).

#include <QAudioFormat>
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <memory>
#include <vector>

class QAudioSink;
class QAudioSource;
class QIODevice;

namespace recorder {

class Resampler;
class SoundReader;
class WorkingSound;

// Whether the sound server was found: it lists some device (a server always
// has an output, if only a silent one). Qt Multimedia connects to the server
// once, when the program first asks for sound; a server started later is not
// found until the program is started again.
bool soundServerFound();

class SoundInput : public QObject
{
    Q_OBJECT
public:
    explicit SoundInput(QObject* parent = nullptr);
    ~SoundInput() override;

    // Records from the default input, appending to sound at its rate, in
    // whatever format the input gives. Empty when recording has started,
    // otherwise why it cannot.
    QString start(WorkingSound* sound);
    // Ends the recording; everything captured so far is in the sound.
    void stop();
    bool isRunning() const { return m_source != nullptr; }
    // The loudest sample of the last piece captured, 0 .. 1.
    float level() const { return m_level; }

signals:
    void firstCaptured(); // the first samples of this recording have arrived
    void captured();      // more samples are in the sound
    // The recording ended by itself (the sound server went away, the disk
    // refused the samples); what came before is kept.
    void lost(const QString& reason);

private:
    void readAvailable();
    void stateChanged();
    void end();

    std::unique_ptr<QAudioSource> m_source;
    QPointer<QIODevice> m_io; // the source's, which deletes it when it fails
    QAudioFormat m_format;
    WorkingSound* m_sound = nullptr;
    std::unique_ptr<Resampler> m_resampler;
    std::vector<float> m_mono;
    std::vector<float> m_converted;
    QElapsedTimer m_sinceFlush;
    bool m_gotSamples = false;
    float m_level = 0;
};

class SoundOutput : public QObject
{
    Q_OBJECT
public:
    explicit SoundOutput(QObject* parent = nullptr);
    ~SoundOutput() override;

    // Plays sound from its beginning to the default output. Empty when
    // playing has started, otherwise why it cannot.
    QString start(const WorkingSound& sound);
    void stop();
    bool isRunning() const { return m_sink != nullptr; }
    // Seconds played so far.
    double position() const;

signals:
    // Played to the end or stopped; reason says why it ended early, if it did.
    void finished(const QString& reason);

private:
    void stateChanged();
    void end(const QString& reason);

    void watch();

    std::unique_ptr<QAudioSink> m_sink;
    std::unique_ptr<SoundReader> m_reader;
    double m_seconds = 0;
    // While playing: ends it once everything has been handed to the server
    // and has had the time to be heard (the sink does not always say so).
    QTimer m_watch;
    int m_heardTicks = 0;
};

} // namespace recorder
