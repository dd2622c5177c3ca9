#include "SoundDevices.h"

#include "SoundFile.h"

#include <QAudioDevice>
#include <QAudioSink>
#include <QAudioSource>
#include <QFile>
#include <QIODevice>
#include <QMediaDevices>

#include <sndfile.h>

#include <algorithm>
#include <cmath>

namespace recorder {

namespace {

// The header of the working sound is brought up to date this often while
// recording, so that a crash loses at most this much.
constexpr qint64 FlushMs = 1000;

QString deviceError(QAudio::Error error)
{
    switch (error) {
    case QAudio::OpenError:
        return QStringLiteral("the sound device could not be opened");
    case QAudio::IOError:
        return QStringLiteral("the sound device stopped responding");
    case QAudio::UnderrunError:
        return QStringLiteral("the sound device ran out of data");
    case QAudio::FatalError:
        return QStringLiteral("the connection to the sound server was lost");
    case QAudio::NoError:
        break;
    }
    return QString();
}

QAudioFormat monoInt16(int sampleRate)
{
    QAudioFormat format;
    format.setSampleRate(sampleRate);
    format.setChannelCount(1);
    format.setSampleFormat(QAudioFormat::Int16);
    return format;
}

} // namespace

// The working sound as 16-bit mono samples, for a sink that pulls them.
class SoundReader : public QIODevice
{
public:
    explicit SoundReader(const QString& path)
    {
        SF_INFO info{};
        m_sound = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
    }
    ~SoundReader() override
    {
        if (m_sound)
            sf_close(m_sound);
    }
    bool ok() const { return m_sound != nullptr; }
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override
    {
        return m_atEnd ? 0 : QIODevice::bytesAvailable() + 4096;
    }

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        if (!m_sound || m_atEnd)
            return m_atEnd ? -1 : 0;
        const sf_count_t wanted = maxSize / 2;
        const sf_count_t got = sf_read_short(m_sound, reinterpret_cast<short*>(data), wanted);
        if (got < wanted)
            m_atEnd = true;
        return got * 2;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    SNDFILE* m_sound = nullptr;
    bool m_atEnd = false;
};

SoundInput::SoundInput(QObject* parent) : QObject(parent) {}

SoundInput::~SoundInput()
{
    if (m_source) {
        m_source->disconnect(this);
        m_source->stop();
    }
}

bool soundServerFound()
{
    return !QMediaDevices::audioOutputs().isEmpty() || !QMediaDevices::audioInputs().isEmpty();
}

QString SoundInput::start(WorkingSound* sound)
{
    stop();
    const QAudioDevice device = QMediaDevices::defaultAudioInput();
    if (device.isNull())
        return soundServerFound() ? QStringLiteral("there is no microphone")
                                  : QStringLiteral("the desktop's sound server cannot be reached");
    m_format = monoInt16(sound->sampleRate());
    if (!device.isFormatSupported(m_format))
        m_format = device.preferredFormat();
    m_sound = sound;
    m_resampler = std::make_unique<Resampler>(m_format.sampleRate(), sound->sampleRate());
    m_source = std::make_unique<QAudioSource>(device, m_format);
    connect(m_source.get(), &QAudioSource::stateChanged, this, &SoundInput::stateChanged);
    m_gotSamples = false;
    m_level = 0;
    m_io = m_source->start();
    if (m_io.isNull() || m_source->error() != QAudio::NoError) {
        const QString why = deviceError(m_source->error());
        end();
        return why.isEmpty() ? QStringLiteral("the sound device could not be opened") : why;
    }
    connect(m_io.data(), &QIODevice::readyRead, this, &SoundInput::readAvailable);
    m_sinceFlush.start();
    return QString();
}

void SoundInput::readAvailable()
{
    if (!m_io)
        return;
    const QByteArray data = m_io->readAll();
    const int frameBytes = m_format.bytesPerFrame();
    const int sampleBytes = m_format.bytesPerSample();
    const qsizetype frames = frameBytes > 0 ? data.size() / frameBytes : 0;
    if (frames == 0)
        return;
    const int channels = m_format.channelCount();
    m_mono.resize(std::size_t(frames));
    float peak = 0;
    if (m_format.sampleFormat() == QAudioFormat::Int16 && channels == 1) {
        // What the server is asked for: converted without a call per sample.
        const auto* samples = reinterpret_cast<const qint16*>(data.constData());
        for (qsizetype i = 0; i < frames; ++i)
            m_mono[std::size_t(i)] = float(samples[i]) / 32768.0f;
    } else {
        for (qsizetype i = 0; i < frames; ++i) {
            const char* frame = data.constData() + i * frameBytes;
            float sum = 0;
            for (int c = 0; c < channels; ++c)
                sum += m_format.normalizedSampleValue(frame + c * sampleBytes);
            m_mono[std::size_t(i)] = sum / float(channels);
        }
    }
    for (const float value : m_mono)
        peak = std::max(peak, std::abs(value));
    m_level = peak;
    m_converted.clear();
    m_resampler->process(m_mono.data(), m_mono.size(), m_converted);
    if (!m_sound->append(m_converted.data(), m_converted.size())) {
        end();
        emit lost(QStringLiteral("the disk refused the recording (it may be full)"));
        return;
    }
    if (m_sinceFlush.elapsed() >= FlushMs) {
        m_sound->flush();
        m_sinceFlush.restart();
    }
    if (!m_gotSamples) {
        m_gotSamples = true;
        emit firstCaptured();
    }
    emit captured();
}

void SoundInput::stateChanged()
{
    if (!m_source || m_source->state() != QAudio::StoppedState)
        return;
    const QAudio::Error error = m_source->error();
    if (error == QAudio::NoError)
        return;
    if (m_io)
        readAvailable();
    end();
    emit lost(deviceError(error));
}

void SoundInput::stop()
{
    if (!m_source)
        return;
    readAvailable();
    end();
}

void SoundInput::end()
{
    if (m_source) {
        // Possibly inside one of its signals: deleted once that is over.
        m_source->disconnect(this);
        m_source->stop();
        m_source.release()->deleteLater();
    }
    m_io = nullptr;
    m_resampler.reset();
    if (m_sound)
        m_sound->flush();
    m_sound = nullptr;
    m_level = 0;
}

SoundOutput::SoundOutput(QObject* parent) : QObject(parent)
{
    m_watch.setInterval(100);
    connect(&m_watch, &QTimer::timeout, this, &SoundOutput::watch);
}

void SoundOutput::watch()
{
    if (position() < m_seconds)
        return;
    // The last buffer has been handed over: two more ticks for it to be heard.
    if (++m_heardTicks > 2)
        end(QString());
}

SoundOutput::~SoundOutput()
{
    if (m_sink) {
        m_sink->disconnect(this);
        m_sink->stop();
    }
}

QString SoundOutput::start(const WorkingSound& sound)
{
    stop();
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull())
        return QStringLiteral("there is no loudspeaker, or the sound server is not running");
    const QAudioFormat format = monoInt16(sound.sampleRate());
    if (!device.isFormatSupported(format))
        return QStringLiteral("the sound output cannot play %1 Hz").arg(sound.sampleRate());
    m_reader = std::make_unique<SoundReader>(sound.path());
    if (!m_reader->ok() || !m_reader->open(QIODevice::ReadOnly)) {
        m_reader.reset();
        return QStringLiteral("the recording cannot be read");
    }
    m_seconds = sound.seconds();
    m_heardTicks = 0;
    m_sink = std::make_unique<QAudioSink>(device, format);
    connect(m_sink.get(), &QAudioSink::stateChanged, this, &SoundOutput::stateChanged);
    m_sink->start(m_reader.get());
    if (m_sink->error() != QAudio::NoError) {
        const QString why = deviceError(m_sink->error());
        m_sink->disconnect(this);
        m_sink.reset();
        m_reader.reset();
        return why;
    }
    m_watch.start();
    return QString();
}

double SoundOutput::position() const
{
    return m_sink ? double(m_sink->processedUSecs()) / 1e6 : 0;
}

void SoundOutput::stateChanged()
{
    if (!m_sink)
        return;
    const QAudio::State state = m_sink->state();
    if (state == QAudio::IdleState) // everything has been played
        end(QString());
    else if (state == QAudio::StoppedState && m_sink->error() != QAudio::NoError)
        end(deviceError(m_sink->error()));
}

void SoundOutput::stop()
{
    if (m_sink)
        end(QString());
}

void SoundOutput::end(const QString& reason)
{
    m_watch.stop();
    if (m_sink) {
        // Possibly inside one of its signals: deleted once that is over,
        // and the reader it reads from with it.
        m_sink->disconnect(this);
        m_sink->stop();
        if (m_reader)
            m_reader.release()->setParent(m_sink.get());
        m_sink.release()->deleteLater();
    }
    m_reader.reset();
    emit finished(reason);
}

} // namespace recorder
