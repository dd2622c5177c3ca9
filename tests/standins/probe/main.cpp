// A window program for the tests and benchmarks of the X11 automation code.
//
//   standin_probe --title TITLE [--dialog-title TITLE] [--show-dialog] [--log FILE|-]
//
// It shows a main window titled TITLE with a File menu ("&Dialog", "&Clear",
// "E&xit", so Alt+F then D opens the dialog) and a text box that has the
// focus, and optionally a dialog (transient for the main window) with a text
// box of its own. Everything it receives goes to the log, one line per
// record, written at once, so that a test can wait for a line to appear:
//
//   window <id>                      the main window is shown (X window id, decimal)
//   focus <title>|-                  the window with the keyboard focus changed
//   key <title> <key> <mods> <text>  a key press reached a window (Qt key and
//                                    modifiers in hex)
//   shortcut <keys>                  a key press was taken as a shortcut
//   menu File                        the File menu opened
//   dialog shown <id> | dialog hidden
//   text <text>                      the main text box changed
//   entered <text>                   Enter was pressed in the main text box (which
//                                    then empties itself for the next line)
//   dialog-entered <text>            Enter was pressed in the dialog's text box
//   state <minimized|normal>         the main window was minimised or restored
//   quit
//
// Titles and texts are percent-encoded UTF-8 (QUrl::toPercentEncoding). Lines
// on standard input are commands: "title <text>" (retitles the main window),
// "dialog", "hide-dialog", "clear", "minimize", "quit".

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QShortcutEvent>
#include <QSocketNotifier>
#include <QUrl>
#include <QVBoxLayout>
#include <QWindow>

#include <cstdio>
#include <unistd.h>

namespace {

class Log
{
public:
    bool open(const QString& path)
    {
        if (path.isEmpty())
            return true;
        if (path == QLatin1String("-"))
            return m_file.open(stdout, QIODevice::WriteOnly | QIODevice::Unbuffered);
        m_file.setFileName(path);
        return m_file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered);
    }
    void write(const QByteArray& line)
    {
        if (m_file.isOpen()) {
            m_file.write(line + '\n');
            m_file.flush();
        }
    }

private:
    QFile m_file;
};

Log logFile;

QByteArray enc(const QString& text)
{
    return QUrl::toPercentEncoding(text);
}

QByteArray hex(qint64 value)
{
    return QByteArray::number(value, 16);
}

// Sees every key press as it reaches a window, before widgets or shortcuts.
class KeyWatcher : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress && watched->isWindowType()) {
            const auto* key = static_cast<QKeyEvent*>(event);
            logFile.write("key " + enc(static_cast<QWindow*>(watched)->title()) + ' ' +
                          hex(key->key()) + ' ' + hex(key->modifiers().toInt()) + ' ' +
                          enc(key->text()));
        } else if (event->type() == QEvent::Shortcut) {
            const auto* shortcut = static_cast<QShortcutEvent*>(event);
            logFile.write("shortcut " + enc(shortcut->key().toString(QKeySequence::PortableText)));
        }
        return false;
    }
};

class ProbeDialog : public QDialog
{
public:
    explicit ProbeDialog(QWidget* parent) : QDialog(parent)
    {
        auto* layout = new QVBoxLayout(this);
        text = new QLineEdit(this);
        text->setObjectName(QStringLiteral("dialogText"));
        layout->addWidget(text);
        connect(text, &QLineEdit::returnPressed, this,
                [this] { logFile.write("dialog-entered " + enc(text->text())); });
        resize(300, 80);
    }
    QLineEdit* text;

protected:
    void showEvent(QShowEvent* e) override
    {
        QDialog::showEvent(e);
        logFile.write("dialog shown " + QByteArray::number(winId()));
    }
    void hideEvent(QHideEvent* e) override
    {
        QDialog::hideEvent(e);
        logFile.write("dialog hidden");
    }
};

class ProbeWindow : public QMainWindow
{
public:
    ProbeWindow(const QString& title, const QString& dialogTitle)
    {
        setWindowTitle(title);
        QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
        connect(file, &QMenu::aboutToShow, this, [] { logFile.write("menu File"); });
        connect(file->addAction(QStringLiteral("&Dialog")), &QAction::triggered, this,
                &ProbeWindow::showDialog);
        connect(file->addAction(QStringLiteral("&Clear")), &QAction::triggered, this,
                [this] { text->clear(); });
        connect(file->addAction(QStringLiteral("E&xit")), &QAction::triggered, qApp,
                &QApplication::quit);

        text = new QLineEdit(this);
        text->setObjectName(QStringLiteral("text"));
        setCentralWidget(text);
        text->setFocus();
        connect(text, &QLineEdit::textChanged, this,
                [](const QString& t) { logFile.write("text " + enc(t)); });
        connect(text, &QLineEdit::returnPressed, this, [this] {
            // Logged, then emptied, so that the next line typed stands alone.
            logFile.write("entered " + enc(text->text()));
            text->clear();
        });

        dialog = new ProbeDialog(this);
        dialog->setWindowTitle(dialogTitle);
        resize(420, 120);
    }

    void showDialog()
    {
        dialog->show();
        dialog->raise();
        dialog->activateWindow();
    }

    void command(const QString& line)
    {
        const QString verb = line.section(QLatin1Char(' '), 0, 0);
        const QString rest = line.section(QLatin1Char(' '), 1);
        if (verb == QLatin1String("title")) {
            setWindowTitle(rest);
        } else if (verb == QLatin1String("dialog")) {
            showDialog();
        } else if (verb == QLatin1String("hide-dialog")) {
            dialog->hide();
        } else if (verb == QLatin1String("clear")) {
            text->clear();
        } else if (verb == QLatin1String("minimize")) {
            showMinimized();
        } else if (verb == QLatin1String("quit")) {
            QApplication::quit();
        }
    }

    QLineEdit* text;
    ProbeDialog* dialog;

protected:
    void changeEvent(QEvent* e) override
    {
        QMainWindow::changeEvent(e);
        if (e->type() == QEvent::WindowStateChange)
            logFile.write(isMinimized() ? "state minimized" : "state normal");
    }
};

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QString title = QStringLiteral("Probe");
    QString dialogTitle = QStringLiteral("Probe Dialog");
    QString logPath;
    bool showDialog = false;
    const QStringList args = QApplication::arguments();
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == QLatin1String("--title") && hasValue)
            title = args[++i];
        else if (a == QLatin1String("--dialog-title") && hasValue)
            dialogTitle = args[++i];
        else if (a == QLatin1String("--log") && hasValue)
            logPath = args[++i];
        else if (a == QLatin1String("--show-dialog"))
            showDialog = true;
        else {
            std::fprintf(stderr, "standin_probe: unknown argument %s\n", qPrintable(a));
            return 2;
        }
    }
    if (!logFile.open(logPath)) {
        std::fprintf(stderr, "standin_probe: cannot write %s\n", qPrintable(logPath));
        return 2;
    }

    KeyWatcher watcher;
    app.installEventFilter(&watcher);
    QObject::connect(&app, &QGuiApplication::focusWindowChanged, [](QWindow* w) {
        logFile.write("focus " + (w ? enc(w->title()) : QByteArray("-")));
    });

    ProbeWindow window(title, dialogTitle);
    window.show();
    logFile.write("window " + QByteArray::number(window.winId()));
    if (showDialog)
        window.showDialog();

    // Commands on standard input, one per line.
    QByteArray pending;
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char buffer[4096];
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n <= 0) {
            input.setEnabled(false); // end of input: nothing more will come
            return;
        }
        pending.append(buffer, n);
        for (qsizetype end; (end = pending.indexOf('\n')) >= 0;) {
            window.command(QString::fromUtf8(pending.left(end)));
            pending.remove(0, end + 1);
        }
    });

    const int status = QApplication::exec();
    logFile.write("quit");
    return status;
}
