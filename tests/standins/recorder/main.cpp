// The stand-in sound recorder. See tests/standins/README.md.

#include "RecorderWindow.h"
#include "StandinApplication.h"
#include "StandinLog.h"

#include <QDir>

#include <cstdio>

int main(int argc, char** argv)
{
    standin::StandinApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);

    QString why;
    const QString logFile = qEnvironmentVariable("STANDIN_RECORDER_LOG");
    if (!standin::openLog(logFile, &why))
        std::fprintf(stderr, "Sndrec32.exe: cannot write the log %s: %s\n",
                     qPrintable(QDir::toNativeSeparators(logFile)), qPrintable(why));
    standin::log({QStringLiteral("start"), QString::number(QCoreApplication::applicationPid())});

    recorder::RecorderWindow window(recorder::RecorderOptions::fromEnvironment());
    QObject::connect(&window, &recorder::RecorderWindow::exitRequested, &app,
                     &QCoreApplication::quit, Qt::QueuedConnection);
    window.show();
    return app.exec();
}
