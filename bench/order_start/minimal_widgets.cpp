// The reference: the least a Qt Widgets program does to show a window.
#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QWidget w;
    w.setWindowTitle(QStringLiteral("Minimal Widgets"));
    w.resize(400, 300);
    w.show();
    return QApplication::exec();
}
