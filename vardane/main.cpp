#include "Module1.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tindrel"));
    // The wizard hides and shows its windows; only Exit ends it.
    QApplication::setQuitOnLastWindowClosed(false);
    // An installed copy makes the user's voice folder on its first start.
    vardane::VoiceFolder();
    vardane::form1();
    return QApplication::exec();
}
