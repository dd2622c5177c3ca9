// Sound Recorder: records from the desktop's microphone, plays back, and saves
// WAV files in the format chosen. Installed as "tindrel-recorder", and as
// "Sndrec32.exe" beside the voice wizard, which starts it under that name and
// drives it with keys.
//
// Environment, for automation and tests:
//   TINDREL_RECORDER_LOG=FILE      append a line log of windows, keys and
//                                  actions to FILE (see recorder/README.md)
//   TINDREL_RECORDER_AUTORECORD=1  press Record as soon as the window is shown

#include "ClassicApplication.h"
#include "EventLog.h"
#include "RecorderWindow.h"
#include "WindowPlaces.h"
#include "WindowPlatform.h"

#include <QDir>

#include <cstdio>

int main(int argc, char** argv)
{
    // On a Wayland session the recorder's windows are X11 ones while an X
    // server answers, where the voice wizard finds them; without one it
    // records all the same.
    session::WindowPlatform platform(argc, argv);
    classic::ClassicApplication app(argc, argv);
    platform.restoreEnvironment();
    session::keepWindowPlacesTrue(app);
    QApplication::setApplicationName(QStringLiteral("tindrel-recorder"));
    QGuiApplication::setDesktopFileName(QStringLiteral("tindrel-recorder"));
    app.setQuitOnLastWindowClosed(false);

    QString why;
    const QString logFile = qEnvironmentVariable("TINDREL_RECORDER_LOG");
    if (!classic::openLog(logFile, &why))
        std::fprintf(stderr, "tindrel-recorder: cannot write the log %s: %s\n",
                     qPrintable(QDir::toNativeSeparators(logFile)), qPrintable(why));
    classic::log({QStringLiteral("start"), QString::number(QCoreApplication::applicationPid())});

    recorder::RecorderOptions options =
        recorder::RecorderOptions::fromEnvironment(QString::fromLocal8Bit(argv[0]));
    // A file to open comes first; what was left behind is offered at a later start.
    if (argc > 1)
        options.offerLeftSounds = false;
    recorder::RecorderWindow window(options);
    QObject::connect(&window, &recorder::RecorderWindow::exitRequested, &app,
                     &QCoreApplication::quit, Qt::QueuedConnection);
    window.show();
    if (argc > 1)
        window.openFile(QString::fromLocal8Bit(argv[1]));
    return app.exec();
}
