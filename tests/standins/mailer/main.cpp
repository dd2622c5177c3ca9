// The stand-in e-mail program. See tests/standins/README.md.
//
//   standin_mailer --kind netscape|composition|newmessage [--log FILE] [--minimized]

#include "MailerWindows.h"
#include "ClassicApplication.h"
#include "EventLog.h"

#include <QCommandLineParser>
#include <QDir>

#include <cstdio>

int main(int argc, char** argv)
{
    classic::ClassicApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Stand-in e-mail program for the tests."));
    parser.addHelpOption();
    const QCommandLineOption kindOption(QStringLiteral("kind"),
                                        QStringLiteral("netscape, composition or newmessage."),
                                        QStringLiteral("kind"));
    const QCommandLineOption logOption(QStringLiteral("log"),
                                       QStringLiteral("Append the event log to this file."),
                                       QStringLiteral("file"));
    const QCommandLineOption minimizedOption(QStringLiteral("minimized"),
                                             QStringLiteral("Start with the window minimised."));
    parser.addOptions({kindOption, logOption, minimizedOption});
    parser.process(app);

    const auto kind = mailer::composeKindFromName(parser.value(kindOption));
    if (!kind) {
        std::fprintf(stderr,
                     "standin_mailer: --kind must be netscape, composition or newmessage\n");
        return 2;
    }
    QString why;
    if (!classic::openLog(parser.value(logOption), &why)) {
        std::fprintf(stderr, "standin_mailer: cannot write the log %s: %s\n",
                     qPrintable(QDir::toNativeSeparators(parser.value(logOption))),
                     qPrintable(why));
        return 2;
    }
    classic::log({QStringLiteral("start"), QString::number(QCoreApplication::applicationPid()),
                  mailer::composeKindName(*kind)});

    mailer::ComposeWindow window(*kind);
    QObject::connect(&window, &mailer::ComposeWindow::exitRequested, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    if (parser.isSet(minimizedOption))
        window.showMinimized();
    else
        window.show();
    return app.exec();
}
