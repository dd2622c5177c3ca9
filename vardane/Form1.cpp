#include "Form1.h"

#include "Flow.h"
#include "Module1.h"
#include "automation/Automation.h"

#include <QCloseEvent>
#include <QDir>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>

namespace vardane {

using namespace automation;

Form1::Form1()
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Tindrel"));

    File = menuBar()->addMenu(QStringLiteral("&File"));
    File->setObjectName(QStringLiteral("File"));
    New = File->addAction(QStringLiteral("&Record A Message"));
    New->setObjectName(QStringLiteral("New"));
    New->setShortcut(Qt::Key_F1);
    Open = File->addAction(QStringLiteral("&Open Existing Message"));
    Open->setObjectName(QStringLiteral("Open"));
    Open->setShortcut(Qt::Key_F2);
    Exit = File->addAction(QStringLiteral("&Exit"));
    Exit->setObjectName(QStringLiteral("Exit"));
    Exit->setShortcut(Qt::Key_F3);
    Seperator = File->addSeparator();
    Seperator->setObjectName(QStringLiteral("Seperator"));
    About = File->addAction(QStringLiteral("About Tindrel"));
    About->setObjectName(QStringLiteral("About"));
    connect(New, &QAction::triggered, this, &Form1::New_Click);
    connect(Open, &QAction::triggered, this, &Form1::Open_Click);
    connect(Exit, &QAction::triggered, this, &Form1::Exit_Click);
    connect(About, &QAction::triggered, this, &Form1::About_Click);

    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setFixedSize(twips(2430), twips(1680));
    setCentralWidget(client);
    Picture1 = makePicture(client, "Picture1", QStringLiteral(":/pictures/product.png"),
                           QRect(6, 6, 46, 46));
    Label2 = makeLabel(client, "Label2", QStringLiteral("Tindrel"), QRect(58, 14, 100, 28),
                       uiFont(20, true), Navy, false);
    Label3 = makeLabel(client, "Label3",
                       QStringLiteral("Create Compressed Voice Files That Play On Any PC"),
                       QRect(4, 56, 154, 54), uiFont(12, true), Maroon);
    Label3->setAlignment(Qt::AlignHCenter | Qt::AlignTop);

    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFixedSize(client->width(), client->height() + menuBar()->sizeHint().height());
}

void Form1::Form_Load()
{
    MakeTopmost(this);
    // Placed before it shows too: GNOME (from 48 on) keeps the place of a
    // window it has just mapped and takes none asked for a moment later.
    PlaceWindow(this, 1.3);
    show();
    // From here on a failing step is ignored and start-up goes on.
    PlaceWindow(this, 1.3);
    ActivateByTitle(QStringLiteral("Voice"));
}

void Form1::New_Click()
{
    StartRecording();
}

void Form1::StartRecording()
{
    flow::MessageBegun();
    if (StartProgram(RecorderProgram) == 0) {
        ShowMessage(QStringLiteral("The sound recorder could not be started.\n\n"
                                   "Tindrel needs the program \"%1\" beside it or on the "
                                   "search path.")
                        .arg(RecorderProgram));
        return;
    }
    const auto notAppeared = [](const QString& title) {
        return QStringLiteral("The sound recorder did not respond: its window \"%1\" did not "
                              "appear in time.\n\nClose the sound recorder and try again.")
            .arg(title);
    };

    const auto notClosed = [](const QString& title) {
        return QStringLiteral("The sound recorder did not respond: its window \"%1\" did not "
                              "close in time.\n\nClose the sound recorder and try again.")
            .arg(title);
    };
    const auto typing = [](const QStringList& keys) {
        return [keys](WindowHandle window) {
            for (const QString& k : keys)
                SendKeystrokes(window, k);
        };
    };

    WindowHandle recorder = 0;
    // Every wait ends early once the instructions are up (a second press of
    // the menu item got there first).
    const auto instructionsUp = flow::InstructionsUp;
    const auto there = [](const std::function<WindowHandle()>& look) {
        return [=] { return look() != 0; };
    };
    const auto gone = [](const std::function<WindowHandle()>& look) {
        return [=] { return look() == 0; };
    };
    const auto properties = RecorderDialog(PropertiesTitle);
    const auto selection = RecorderDialog(SelectionTitle);

    // The recorder in front.
    if (BringRecorderToFront(instructionsUp, Limit::Outside, &recorder) == WaitEnd::TimeUp)
        return flow::GiveUp(notAppeared(RecorderTitle));

    // Its properties dialog, from its menu.
    if (TypeInto(RecorderMainWindow, typing({"%F", "P"}), there(properties), instructionsUp) ==
        WaitEnd::TimeUp)
        return flow::GiveUp(notAppeared(PropertiesTitle));

    // The format conversion.
    if (TypeInto(properties, typing({"%C"}), there(selection), instructionsUp) == WaitEnd::TimeUp)
        return flow::GiveUp(notAppeared(SelectionTitle));

    // The compressed format chosen and confirmed, then the properties dialog
    // behind it confirmed.
    if (TypeInto(selection, typing({"{TAB}", "{TAB}", "G", "{TAB}", "{TAB}", "~"}), gone(selection),
                 instructionsUp) == WaitEnd::TimeUp)
        return flow::GiveUp(notClosed(SelectionTitle));
    hide();
    if (TypeInto(properties, typing({"~"}), gone(properties), instructionsUp) == WaitEnd::TimeUp)
        return flow::GiveUp(notClosed(PropertiesTitle));

    PlaceWindow(this, 1.35);

    // Wait for the recorder to be ready, then show the instructions beside it.
    int shown = 0;
    if (Until([&] { return shown == 1; },
              [&] {
                  shown = IsWindowShown(recorder);
                  if (shown == 1)
                      flow::ShowInstructions();
              },
              instructionsUp) == WaitEnd::TimeUp)
        return flow::GiveUp(notAppeared(RecorderTitle));
}

void Form1::ShowAgain()
{
    PlaceWindow(this, 1.3);
    show();
}

void Form1::Open_Click()
{
    const QString folder = VoiceFolder();
    if (!QDir(folder).exists()) {
        ShowMessage(QStringLiteral("The folder for voice files was not found:\n%1\n\n"
                                   "Reinstall Tindrel, or create this folder, and try again.")
                        .arg(folder));
        return;
    }
    flow::MessageBegun();
    flow::BrowseVoiceFiles(folder + QDir::separator());
}

void Form1::Exit_Click()
{
    EndProgram();
}

void Form1::About_Click()
{
    flow::ShowAbout();
}

void Form1::setVisible(bool visible)
{
    if (!visible || !Ending())
        QMainWindow::setVisible(visible);
}

void Form1::closeEvent(QCloseEvent* event)
{
    // The main window's close box ends the program, as Exit does.
    event->ignore();
    EndProgram();
}

} // namespace vardane
