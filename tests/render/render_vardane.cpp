// Writes a PNG of every window of the voice wizard into the folder given on
// the command line, for review and for the README.

#include "Form1.h"
#include "Form10.h"
#include "Form11.h"
#include "Form2.h"
#include "Form3.h"
#include "Form4.h"
#include "Form5.h"
#include "Form6.h"
#include "Form7.h"
#include "Form8.h"
#include "Form9.h"
#include "Module1.h"
#include "scripted/ScriptedAutomation.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPixmap>
#include <cstdio>

using namespace vardane;

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: render_vardane OUTPUT-FOLDER\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    QDir().mkpath(out.path());
    automation::ScriptedAutomation::installNew();
    setEndProgramHandler([] {});
    QDir().mkpath(VoiceFolder());
    SetCurrentVoiceFile(VoiceFolder() + QDir::separator() +
                        QStringLiteral("[12-06-98]03 45 12PM.wav"));

    const QList<QWidget*> windows{&form1(), &form2(), &form3(), &form4(),  &form5(), &form6(),
                                  &form7(), &form8(), &form9(), &form10(), &form11()};
    form4().Label1->setText(CurrentVoiceFile());
    int failures = 0;
    for (QWidget* w : windows) {
        w->show();
        QApplication::processEvents();
        const QString file = out.filePath(QStringLiteral("vardane-%1.png").arg(w->objectName()));
        if (!w->grab().save(file)) {
            std::fprintf(stderr, "could not write %s\n", qPrintable(file));
            ++failures;
        } else {
            std::printf("%s\n", qPrintable(file));
        }
    }
    resetForms();
    automation::Automation::install(nullptr);
    return failures ? 1 : 0;
}
