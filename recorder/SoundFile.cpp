#include "SoundFile.h"

#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QStandardPaths>

#include <sndfile.h>
#include <soxr.h>

#include <algorithm>
#include <cmath>

namespace recorder {

namespace {

SoundFormat pcm(int bits, int rate)
{
    return {QStringLiteral("PCM"),
            QStringLiteral("%1 Hz, %2 Bit, Mono")
                .arg(QLocale(QLocale::English).toString(rate))
                .arg(bits),
            QStringLiteral("pcm%1-%2").arg(bits).arg(rate),
            SF_FORMAT_WAV | (bits == 8 ? SF_FORMAT_PCM_U8 : SF_FORMAT_PCM_16), rate};
}

// libsndfile reads and writes a GSM 6.10 WAV file in blocks of this many
// samples; a sound is padded with silence to whole blocks.
constexpr sf_count_t GsmBlock = 640;

constexpr std::size_t Chunk = 8192; // frames at a time when converting

} // namespace

const QList<SoundFormat>& soundFormats()
{
    static const QList<SoundFormat> formats{
        pcm(8, 8000),
        pcm(16, 8000),
        pcm(8, 11025),
        pcm(16, 11025),
        pcm(8, 22050),
        pcm(16, 22050),
        pcm(8, 44100),
        pcm(16, 44100),
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

qsizetype defaultFormat()
{
    static const qsizetype index = [] {
        const auto& formats = soundFormats();
        for (qsizetype i = 0; i < formats.size(); ++i) {
            if (formats.at(i).token == QLatin1String("pcm16-22050"))
                return i;
        }
        return qsizetype(0);
    }();
    return index;
}

Resampler::Resampler(double from, double to) : m_ratio(to / from)
{
    if (from <= 0 || from == to)
        return;
    soxr_error_t error = nullptr;
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
    m_soxr = soxr_create(from, to, 1, &error, nullptr, &quality, nullptr);
    if (error)
        m_soxr = nullptr;
}

Resampler::~Resampler()
{
    if (m_soxr)
        soxr_delete(m_soxr);
}

void Resampler::process(const float* in, std::size_t count, std::vector<float>& out)
{
    if (!m_soxr) {
        out.insert(out.end(), in, in + count);
        return;
    }
    const bool last = count == 0;
    std::size_t room = static_cast<std::size_t>(std::ceil(count * m_ratio)) + 64;
    for (;;) {
        const std::size_t start = out.size();
        out.resize(start + room);
        std::size_t used = 0;
        std::size_t made = 0;
        soxr_process(m_soxr, last ? nullptr : in, count, &used, out.data() + start, room, &made);
        out.resize(start + made);
        in += used;
        count -= used;
        // At the end, soxr gives what it holds until it gives nothing.
        if (last ? made == 0 : count == 0)
            return;
        room = std::max<std::size_t>(room, 1024);
    }
}

WorkingSound::~WorkingSound()
{
    close();
}

void WorkingSound::close()
{
    if (m_sound)
        sf_close(m_sound);
    m_sound = nullptr;
    // The file goes before its lock.
    if (!m_path.isEmpty())
        QFile::remove(m_path);
    m_path.clear();
    m_lock.reset();
    m_frames = 0;
}

namespace {

const QString WorkingPattern = QStringLiteral("sound-recorder-*.wav");

// The lock of a working sound. Stale only when the program that took it has
// ended: never by its age, since a recording may go on for hours.
std::unique_ptr<QLockFile> lockOf(const QString& path)
{
    auto lock = std::make_unique<QLockFile>(path + QStringLiteral(".lock"));
    lock->setStaleLockTime(0);
    return lock;
}

// Where working sounds are kept: the user's cache folder, which outlives a
// restart of the machine (the temporary folder may be emptied then); the
// temporary folder when the cache folder cannot be made.
QStringList workingFolders()
{
    QStringList folders;
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (!cache.isEmpty() && QDir().mkpath(cache + QStringLiteral("/tindrel-recorder")))
        folders.append(cache + QStringLiteral("/tindrel-recorder"));
    folders.append(QDir::tempPath());
    return folders;
}

} // namespace

bool WorkingSound::create(int sampleRate, QString* error)
{
    close();
    // A free name, locked before the file is made.
    const QStringList folders = workingFolders();
    for (int attempt = 0; attempt < 16 && m_path.isEmpty(); ++attempt) {
        const QString path =
            QDir(folders.at(std::min<qsizetype>(attempt / 8, folders.size() - 1)))
                .filePath(WorkingPattern)
                .replace(QLatin1Char('*'),
                         QString::number(QRandomGenerator::global()->generate64(), 36));
        std::unique_ptr<QLockFile> lock = lockOf(path);
        if (!lock->tryLock(0)) {
            *error = QStringLiteral("%1 cannot be locked").arg(QDir::toNativeSeparators(path));
            continue;
        }
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly,
                       QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
            *error = file.errorString();
            continue;
        }
        m_path = path;
        m_lock = std::move(lock);
    }
    if (m_path.isEmpty())
        return false;
    SF_INFO info{};
    info.samplerate = sampleRate;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    m_sound = sf_open(QFile::encodeName(m_path).constData(), SFM_WRITE, &info);
    if (!m_sound) {
        *error = QString::fromUtf8(sf_strerror(nullptr));
        close();
        return false;
    }
    // The header follows every write: the file on disk is always whole.
    sf_command(m_sound, SFC_SET_UPDATE_HEADER_AUTO, nullptr, SF_TRUE);
    m_sampleRate = sampleRate;
    m_frames = 0;
    return true;
}

bool WorkingSound::append(const float* samples, std::size_t count)
{
    if (!m_sound)
        return false;
    m_buffer.resize(count);
    for (std::size_t i = 0; i < count; ++i)
        m_buffer[i] = static_cast<short>(std::lround(std::clamp(samples[i], -1.0f, 1.0f) * 32767));
    const sf_count_t written = sf_write_short(m_sound, m_buffer.data(), sf_count_t(count));
    m_frames += written;
    return written == sf_count_t(count);
}

void WorkingSound::flush()
{
    if (m_sound)
        sf_write_sync(m_sound);
}

namespace {

// libsndfile writing into a QSaveFile, so that the file is replaced whole or
// not at all.
sf_count_t saveLength(void* user)
{
    return static_cast<QSaveFile*>(user)->size();
}

sf_count_t saveSeek(sf_count_t offset, int whence, void* user)
{
    auto* file = static_cast<QSaveFile*>(user);
    sf_count_t base = 0;
    if (whence == SEEK_CUR)
        base = file->pos();
    else if (whence == SEEK_END)
        base = file->size();
    file->seek(std::max<sf_count_t>(0, base + offset));
    return file->pos();
}

sf_count_t saveRead(void*, sf_count_t, void*)
{
    return 0;
}

sf_count_t saveWrite(const void* ptr, sf_count_t count, void* user)
{
    return std::max<qint64>(
        0, static_cast<QSaveFile*>(user)->write(static_cast<const char*>(ptr), count));
}

sf_count_t saveTell(void* user)
{
    return static_cast<QSaveFile*>(user)->pos();
}

} // namespace

QString saveSound(const WorkingSound& sound, const QString& path, const SoundFormat& format)
{
    SNDFILE* in = nullptr;
    SF_INFO inInfo{};
    if (sound.frames() > 0) {
        in = sf_open(QFile::encodeName(sound.path()).constData(), SFM_READ, &inInfo);
        if (!in)
            return QStringLiteral("the recording cannot be read: ") +
                   QString::fromUtf8(sf_strerror(nullptr));
    }

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (in)
            sf_close(in);
        return file.errorString();
    }
    SF_VIRTUAL_IO io{saveLength, saveSeek, saveRead, saveWrite, saveTell};
    SF_INFO info{};
    info.samplerate = format.sampleRate;
    info.channels = 1;
    info.format = format.fileFormat;
    SNDFILE* out = sf_open_virtual(&io, SFM_WRITE, &info, &file);
    QString error;
    if (!out) {
        error = QString::fromUtf8(sf_strerror(nullptr));
    } else {
        sf_command(out, SFC_SET_CLIPPING, nullptr, SF_TRUE);
        Resampler resampler(sound.sampleRate(), format.sampleRate);
        std::vector<float> chunk(Chunk);
        std::vector<float> converted;
        sf_count_t written = 0;
        const auto write = [&] {
            const auto n = static_cast<sf_count_t>(converted.size());
            if (error.isEmpty() && n > 0 && sf_writef_float(out, converted.data(), n) != n)
                error = QString::fromUtf8(sf_strerror(out));
            written += n;
            converted.clear();
        };
        for (;;) {
            const sf_count_t got = in ? sf_readf_float(in, chunk.data(), sf_count_t(Chunk)) : 0;
            resampler.process(chunk.data(), std::size_t(got), converted);
            write();
            if (got == 0 || !error.isEmpty())
                break;
        }
        if ((format.fileFormat & SF_FORMAT_SUBMASK) == SF_FORMAT_GSM610 && written % GsmBlock) {
            converted.assign(std::size_t(GsmBlock - written % GsmBlock), 0.0f);
            write();
        }
        if (sf_close(out) != 0 && error.isEmpty())
            error = QStringLiteral("the sound could not be completed");
    }
    if (in)
        sf_close(in);
    if (error.isEmpty() && file.error() != QFileDevice::NoError)
        error = file.errorString();
    if (!error.isEmpty()) {
        file.cancelWriting();
        return error;
    }
    if (!file.commit())
        return file.errorString();
    return QString();
}

QString loadSound(const QString& path, WorkingSound& into)
{
    SF_INFO info{};
    SNDFILE* in = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
    if (!in)
        return QString::fromUtf8(sf_strerror(nullptr));
    QString error;
    if (info.channels < 1 || info.samplerate < 1000 || info.samplerate > 192000) {
        error =
            QStringLiteral("it has %1 channels at %2 Hz").arg(info.channels).arg(info.samplerate);
    } else if (into.create(info.samplerate, &error)) {
        const auto channels = static_cast<std::size_t>(info.channels);
        std::vector<float> frames(Chunk * channels);
        std::vector<float> mono(Chunk);
        for (;;) {
            const sf_count_t got = sf_readf_float(in, frames.data(), sf_count_t(Chunk));
            if (got <= 0)
                break;
            for (std::size_t i = 0; i < std::size_t(got); ++i) {
                float sum = 0;
                for (std::size_t c = 0; c < channels; ++c)
                    sum += frames[i * channels + c];
                mono[i] = sum / float(channels);
            }
            if (!into.append(mono.data(), std::size_t(got))) {
                error = QStringLiteral("the temporary copy could not be written");
                break;
            }
        }
        into.flush();
    }
    sf_close(in);
    return error;
}

QList<LeftSound> findLeftSounds()
{
    QFileInfoList files;
    for (const QString& folder : workingFolders())
        files += QDir(folder).entryInfoList({WorkingPattern}, QDir::Files);
    std::sort(files.begin(), files.end(), [](const QFileInfo& a, const QFileInfo& b) {
        return a.lastModified() > b.lastModified();
    });
    QList<LeftSound> left;
    for (const QFileInfo& file : files) {
        // A running recorder holds the lock; one that did not end left it
        // stale, and the lock file says so.
        std::shared_ptr<QLockFile> lock = lockOf(file.filePath());
        if (!lock->tryLock(0))
            continue;
        SF_INFO info{};
        SNDFILE* sound = sf_open(QFile::encodeName(file.filePath()).constData(), SFM_READ, &info);
        if (sound)
            sf_close(sound);
        if (sound && info.frames > 0 && info.samplerate > 0)
            left.append({file.filePath(), file.lastModified(),
                         double(info.frames) / info.samplerate, lock});
        else if (sound || file.size() == 0)
            discardLeftSound({file.filePath(), {}, 0, lock});
        // Anything else is not removed without a person seeing it.
    }
    return left;
}

void discardLeftSound(const LeftSound& sound)
{
    QFile::remove(sound.path);
    if (sound.lock)
        sound.lock->unlock();
}

} // namespace recorder
