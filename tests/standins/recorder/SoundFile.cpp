#include "SoundFile.h"

#include <QByteArray>
#include <QSaveFile>

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

namespace recorder {

const QList<SoundFormat>& soundFormats()
{
    static const QList<SoundFormat> formats{
        {QStringLiteral("PCM"), QStringLiteral("22,050 Hz, 16 Bit, Mono"), QStringLiteral("pcm16"),
         SF_FORMAT_WAV | SF_FORMAT_PCM_16, 22050},
        {QStringLiteral("A-Law"), QStringLiteral("8,000 Hz, 8 Bit, Mono"), QStringLiteral("alaw"),
         SF_FORMAT_WAV | SF_FORMAT_ALAW, 8000},
        {QStringLiteral("u-Law"), QStringLiteral("8,000 Hz, 8 Bit, Mono"), QStringLiteral("ulaw"),
         SF_FORMAT_WAV | SF_FORMAT_ULAW, 8000},
        {QStringLiteral("IMA ADPCM"), QStringLiteral("22,050 Hz, 4 Bit, Mono"),
         QStringLiteral("ima-adpcm"), SF_FORMAT_WAV | SF_FORMAT_IMA_ADPCM, 22050},
        {QStringLiteral("GSM 6.10"), QStringLiteral("8,000 Hz, Mono"), QStringLiteral("gsm610"),
         SF_FORMAT_WAV | SF_FORMAT_GSM610, 8000},
    };
    return formats;
}

qsizetype formatIndex(const QString& token)
{
    const auto& formats = soundFormats();
    for (qsizetype i = 0; i < formats.size(); ++i) {
        if (formats.at(i).token == token)
            return i;
    }
    return -1;
}

std::vector<float> synthesizeRecording(int sampleRate)
{
    const auto frames = static_cast<std::size_t>(std::lround(RecordingSeconds * sampleRate));
    const std::size_t ramp = static_cast<std::size_t>(sampleRate / 100); // 10 ms fades
    std::vector<float> samples(frames);
    for (std::size_t i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / sampleRate;
        const double frequency = i < frames / 2 ? 440.0 : 660.0;
        const std::size_t inTone = i < frames / 2 ? i : i - frames / 2;
        const std::size_t toneLength = i < frames / 2 ? frames / 2 : frames - frames / 2;
        const double fade = std::min({1.0, static_cast<double>(inTone) / ramp,
                                      static_cast<double>(toneLength - inTone) / ramp});
        samples[i] =
            static_cast<float>(0.5 * fade * std::sin(2 * std::numbers::pi * frequency * t));
    }
    return samples;
}

namespace {

// libsndfile writes into memory, so that the file itself is written in one go.
struct MemoryFile
{
    QByteArray data;
    sf_count_t position = 0;
};

sf_count_t memoryLength(void* user)
{
    return static_cast<MemoryFile*>(user)->data.size();
}

sf_count_t memorySeek(sf_count_t offset, int whence, void* user)
{
    auto* file = static_cast<MemoryFile*>(user);
    sf_count_t base = 0;
    if (whence == SEEK_CUR)
        base = file->position;
    else if (whence == SEEK_END)
        base = file->data.size();
    file->position = std::max<sf_count_t>(0, base + offset);
    return file->position;
}

sf_count_t memoryRead(void* ptr, sf_count_t count, void* user)
{
    auto* file = static_cast<MemoryFile*>(user);
    const sf_count_t available = std::max<sf_count_t>(0, file->data.size() - file->position);
    const sf_count_t n = std::min(count, available);
    if (n > 0)
        std::memcpy(ptr, file->data.constData() + file->position, static_cast<std::size_t>(n));
    file->position += n;
    return n;
}

sf_count_t memoryWrite(const void* ptr, sf_count_t count, void* user)
{
    auto* file = static_cast<MemoryFile*>(user);
    if (file->position + count > file->data.size())
        file->data.resize(static_cast<qsizetype>(file->position + count));
    std::memcpy(file->data.data() + file->position, ptr, static_cast<std::size_t>(count));
    file->position += count;
    return count;
}

sf_count_t memoryTell(void* user)
{
    return static_cast<MemoryFile*>(user)->position;
}

} // namespace

QString writeWav(const QString& path, const SoundFormat& format, const std::vector<float>& samples)
{
    MemoryFile memory;
    SF_VIRTUAL_IO io{memoryLength, memorySeek, memoryRead, memoryWrite, memoryTell};
    SF_INFO info{};
    info.samplerate = format.sampleRate;
    info.channels = 1;
    info.format = format.fileFormat;
    SNDFILE* sound = sf_open_virtual(&io, SFM_WRITE, &info, &memory);
    if (!sound)
        return QString::fromUtf8(sf_strerror(nullptr));
    const auto frames = static_cast<sf_count_t>(samples.size());
    const sf_count_t written = frames > 0 ? sf_writef_float(sound, samples.data(), frames) : 0;
    QString error;
    if (written != frames)
        error = QString::fromUtf8(sf_strerror(sound));
    if (sf_close(sound) != 0 && error.isEmpty())
        error = QStringLiteral("the sound could not be completed");
    if (!error.isEmpty())
        return error;

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    if (file.write(memory.data) != memory.data.size()) {
        const QString why = file.errorString();
        file.cancelWriting();
        return why;
    }
    if (!file.commit())
        return file.errorString();
    return QString();
}

} // namespace recorder
