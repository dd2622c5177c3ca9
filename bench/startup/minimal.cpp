// The yardstick for the start-up benchmark: the classic smallest Qt Widgets
// program, a window with one button saying hello (text, so the font set-up
// every real window needs is included).

#include <QApplication>
#include <QPushButton>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QPushButton hello(QStringLiteral("Hello world!"));
    hello.setWindowTitle(QStringLiteral("Minimal Window"));
    hello.resize(162, 130);
    hello.show();
    return QApplication::exec();
}
