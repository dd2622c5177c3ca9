#include "Module1.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tindrel"));
    // The wizard hides and shows its windows; only Exit ends it.
    QApplication::setQuitOnLastWindowClosed(false);
    vardane::form1();
    return QApplication::exec();
}
