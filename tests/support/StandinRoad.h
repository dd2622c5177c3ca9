#pragma once

// Sets this process up to run the voice wizard's whole road against the
// outside programs: the sound recorder first on the search path (found as an
// installed recorder would be) and recording as soon as it is shown (the
// process must run under a sound server: tests/support/sound-session.sh),
// a voice folder inside the given work folder, the desktop's automation,
// and no ending of the process when the wizard says Exit.

#include "Module1.h"
#include "automation/Automation.h"

#include <QDir>
#include <QTemporaryDir>

inline void prepareStandinRoad(const QTemporaryDir& work, const QByteArray& recorderDir)
{
    qputenv("PATH", recorderDir + ':' + qgetenv("PATH"));
    qputenv("TINDREL_RECORDER_AUTORECORD", "1");
    vardane::SetVoiceFolder(work.filePath(QStringLiteral("Voice Files")));
    QDir().mkpath(vardane::VoiceFolder());
    automation::Automation::install(automation::createDesktopAutomation());
    vardane::setEndProgramHandler([] {});
}
