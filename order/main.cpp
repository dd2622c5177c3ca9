#include "Module1.h"
#include "order.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("order"));
    // The program ends when its last window has closed (Qt's default).
    orderapp::Show<orderapp::order>();
    return QApplication::exec();
}
