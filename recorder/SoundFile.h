#pragma once

// The recorder's sound: the formats it stores, the sound being worked on (kept
// in a temporary file while it is recorded), and files read and written
// through libsndfile.

#include <QDateTime>
#include <QList>
#include <QLockFile>
#include <QString>

#include <memory>
#include <vector>

struct sf_private_tag;
struct soxr;

namespace recorder {

struct SoundFormat
{
    QString name;       // as listed in "Sound Selection", e.g. "GSM 6.10"
    QString attributes; // e.g. "8,000 Hz, Mono"
    QString token;      // in the log, e.g. "gsm610"
    int fileFormat;     // libsndfile's major | minor format
    int sampleRate;
};

// In the order of "Sound Selection": formats of one name are next to each
// other, one entry for each of its attributes.
const QList<SoundFormat>& soundFormats();
// PCM, 22,050 Hz, 16 bit, mono: the format of a new sound.
qsizetype defaultFormat();

// Mono float samples from one rate to another, in pieces.
class Resampler
{
public:
    Resampler(double from, double to);
    ~Resampler();
    Resampler(const Resampler&) = delete;
    Resampler& operator=(const Resampler&) = delete;

    // Appends to out what the input gives; an empty input ends the stream
    // and gives what is left.
    void process(const float* in, std::size_t count, std::vector<float>& out);

private:
    soxr* m_soxr = nullptr;
    double m_ratio = 1;
};

// The sound being worked on: mono, 16-bit PCM, in a temporary WAV file that
// grows while recording (memory stays flat). The data and the file's header
// are written as they come (a crash of the program loses nothing written);
// flush() also has the system put them on the disk. The file has a lock
// beside it, held from before the file is made until after it is removed, so
// that a file whose lock is free was left by a recorder that did not end.
class WorkingSound
{
public:
    WorkingSound() = default;
    ~WorkingSound();
    WorkingSound(const WorkingSound&) = delete;
    WorkingSound& operator=(const WorkingSound&) = delete;

    // A new, empty sound at rate. False with the reason when the temporary
    // file cannot be made.
    bool create(int sampleRate, QString* error);
    bool isValid() const { return m_sound != nullptr; }
    // Appends samples (-1 .. 1); false when the disk refuses them.
    bool append(const float* samples, std::size_t count);
    void flush();

    int sampleRate() const { return m_sampleRate; }
    qint64 frames() const { return m_frames; }
    double seconds() const { return m_sampleRate > 0 ? double(m_frames) / m_sampleRate : 0; }
    QString path() const { return m_path; }

private:
    void close();

    QString m_path;
    std::unique_ptr<QLockFile> m_lock;
    sf_private_tag* m_sound = nullptr;
    int m_sampleRate = 0;
    qint64 m_frames = 0;
    std::vector<short> m_buffer;
};

// Writes the whole sound to path in format, resampled as needed. The file is
// written whole or not at all (an existing file is replaced only by a
// complete one). Returns an empty string on success, otherwise what went
// wrong.
QString saveSound(const WorkingSound& sound, const QString& path, const SoundFormat& format);

// Reads the sound file at path into a new working sound (mixed down to
// mono). An empty string on success, otherwise why it is not a sound.
QString loadSound(const QString& path, WorkingSound& into);

// A working sound that a recorder left behind when it did not end (it crashed,
// or the machine went down). Its lock is held while this lives, so that no
// other recorder offers it as well.
struct LeftSound
{
    QString path;
    QDateTime lastWritten;
    double seconds = 0;
    std::shared_ptr<QLockFile> lock;
};

// The working sounds left in the temporary folder, the newest first. Those
// with nothing in them are removed on the way.
QList<LeftSound> findLeftSounds();
// Removes a left working sound for good.
void discardLeftSound(const LeftSound& sound);

} // namespace recorder
