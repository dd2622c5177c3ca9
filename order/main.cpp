#include "Module1.h"
#include "order.h"

#include "WindowPlaces.h"
#include "WindowPlatform.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    // On a Wayland session its windows go where they can be placed (Xwayland).
    session::WindowPlatform platform(argc, argv);
    QApplication app(argc, argv);
    platform.restoreEnvironment();
    session::keepWindowPlacesTrue(app);
    QApplication::setApplicationName(QStringLiteral("order"));
    // The program ends when its last window has closed (Qt's default).
    orderapp::Show<orderapp::order>();
    return QApplication::exec();
}
