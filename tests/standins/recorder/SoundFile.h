#pragma once

// The recorder's sound: the formats it can store, the sound it "records" (there
// is no microphone), and writing it as a WAV file.

#include <QList>
#include <QString>

#include <vector>

namespace recorder {

struct SoundFormat
{
    QString name;       // as listed in "Sound Selection", e.g. "GSM 6.10"
    QString attributes; // e.g. "8,000 Hz, Mono"
    QString token;      // in the log and the README, e.g. "gsm610"
    int fileFormat;     // libsndfile's major | minor format
    int sampleRate;
};

// In the order of the format list; the first is the format of a new recording.
const QList<SoundFormat>& soundFormats();
qsizetype formatIndex(const QString& token);

// The recorded sound: 0.6 s of two tones (440 Hz, then 660 Hz), mono, at rate.
constexpr double RecordingSeconds = 0.6;
std::vector<float> synthesizeRecording(int sampleRate);

// Writes samples as a WAV file in format. The file is written whole or not at
// all (an existing file is replaced only by a complete one). Returns an empty
// string on success, otherwise what went wrong.
QString writeWav(const QString& path, const SoundFormat& format, const std::vector<float>& samples);

} // namespace recorder
