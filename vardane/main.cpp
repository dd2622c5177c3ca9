#include "Module1.h"
#include "WindowPlaces.h"
#include "WindowPlatform.h"
#include "automation/Automation.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char* argv[])
{
    // The wizard steers other programs' windows: on a Wayland session it runs
    // on the session's X server (Xwayland), where it can.
    session::WindowPlatform platform(argc, argv);
    QApplication app(argc, argv);
    platform.restoreEnvironment();
    session::keepWindowPlacesTrue(app);
    QApplication::setApplicationName(QStringLiteral("Tindrel"));
    if (platform.waylandSession() &&
        !automation::Automation::instance().backend().reachesOtherPrograms()) {
        // Better said now than twenty seconds into recording a message.
        const QString why = vardane::NoXwaylandMessage();
        std::fprintf(stderr, "vardane: %s\n", qPrintable(why));
        automation::Automation::instance().ShowMessage(why);
        return 1;
    }
    // The wizard hides and shows its windows; only Exit ends it.
    QApplication::setQuitOnLastWindowClosed(false);
    // An installed copy makes the user's voice folder on its first start.
    vardane::VoiceFolder();
    vardane::form1();
    const int code = QApplication::exec();
    // Ended by Exit, every wait over: the windows and the connections to the
    // desktop go while the application still stands.
    vardane::resetForms();
    automation::Automation::install(nullptr);
    return code;
}
