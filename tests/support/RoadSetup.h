#pragma once

// The voice wizard's whole road with the real sound recorder, for the road
// test, the demonstration road and the road benchmark: the set-up of this
// process; RecorderWatch.h watches the recorder, SoundSession.h speaks.

#include "Module1.h"
#include "RecorderWatch.h"
#include "SoundSession.h"
#include "automation/Automation.h"

#include <QDir>
#include <QTemporaryDir>

namespace road {

// The desktop's automation, with the wizard's messages printed instead of
// waiting for someone to close them: none is expected on the road, and one
// that comes ends the step it came in (the wizard goes back to a start of its
// own) instead of holding the whole run until it is killed.
class PrintedMessages : public automation::Automation
{
public:
    using Automation::Automation;
    void ShowMessage(const QString& text) override
    {
        qWarning("the wizard says: %s", qUtf8Printable(text));
    }
};

// Sets this process up for the road: the recorder first on the search path
// (found as an installed recorder would be) and recording as soon as it is
// shown, a voice folder inside the work folder, the desktop's automation
// (messages printed), and no ending of the process when the wizard says Exit.
inline void prepareRoad(const QTemporaryDir& work)
{
    qputenv("PATH", QByteArray(TINDREL_RECORDER_DIR) + ':' + qgetenv("PATH"));
    qputenv("TINDREL_RECORDER_AUTORECORD", "1");
    vardane::SetVoiceFolder(work.filePath(QStringLiteral("Voice Files")));
    QDir().mkpath(vardane::VoiceFolder());
    automation::Automation::install(std::make_unique<PrintedMessages>(
        automation::createDesktopWindowSystem(), automation::createDesktopControls()));
    vardane::setEndProgramHandler([] {});
}

} // namespace road
