#pragma once

// Spoken words for the private sound server that sound-session.sh starts:
// made with espeak-ng, played into its speaker "virt", which its microphone
// "virtmic" (the default input) hears.

#include <QProcess>
#include <QString>

namespace sound {

// Spoken words, made by espeak-ng into a WAV file; empty when that failed.
inline QString speak(const QString& path, const QString& words)
{
    QProcess espeak;
    espeak.start(QStringLiteral("espeak-ng"), {QStringLiteral("-w"), path, words});
    if (!espeak.waitForFinished(30000) || espeak.exitStatus() != QProcess::NormalExit ||
        espeak.exitCode() != 0)
        return {};
    return path;
}

// Starts playing a sound file into the speaker.
inline void startPlaying(QProcess& play, const QString& path)
{
    play.start(QStringLiteral("paplay"),
               {QStringLiteral("--device=") + qEnvironmentVariable("SOUND_SESSION_SINK"), path});
}

// Plays a sound file into the speaker; returns once it has been played.
inline bool playIntoMicrophone(const QString& path)
{
    QProcess play;
    startPlaying(play, path);
    return play.waitForFinished(60000) && play.exitStatus() == QProcess::NormalExit &&
           play.exitCode() == 0;
}

} // namespace sound
