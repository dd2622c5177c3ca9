#include "Form6.h"

#include "Form1.h"
#include "Form11.h"
#include "Form3.h"
#include "Form5.h"
#include "Form8.h"
#include "Module1.h"
#include "automation/Automation.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace vardane {

using namespace automation;

Form6::Form6() : WizardWindow("Form6")
{
    setWindowTitle(QStringLiteral("Attach Your Voice File To Your E-Mail Form"));
    makeFixedWindow(this, twips(4425), twips(1395));
    Picture1 = makePicture(this, "Picture1", QStringLiteral(":/pictures/envelope.png"),
                           QRect(4, 4, 42, 36));
    Label1 = makeLabel(this, "Label1",
                       QStringLiteral("To Attach Your Voice File, Click On The \"Attach Voice\" "
                                      "Button. This Voice Message Will Attach To Your E-Mail "
                                      "Automatically."),
                       QRect(50, 3, 241, 40), uiFont(10, true), Navy);
    Label2 =
        makeLabel(this, "Label2", QStringLiteral("Be Sure You Have An E-Mail Form Already Opened"),
                  QRect(4, 47, 287, 14), uiFont(11, true), Qt::red, false);
    Label2->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Command2 = makeButton(this, "Command2", QStringLiteral("Attach Voice"), QRect(40, 65, 100, 24));
    Command1 = makeButton(this, "Command1", QStringLiteral("Start Over"), QRect(155, 65, 100, 24));
    Timer1 = makeTimer(this, "Timer1", 2300);
    Timer2 = makeTimer(this, "Timer2", 2000);
    connect(Command2, &QPushButton::clicked, this, &Form6::Command2_Click);
    connect(Command1, &QPushButton::clicked, this, &Form6::Command1_Click);
    connect(Timer1, &QTimer::timeout, this, &Form6::Timer1_Timer);
    connect(Timer2, &QTimer::timeout, this, &Form6::Timer2_Timer);
}

void Form6::Form_Load()
{
    MakeTopmost(this);
    PlaceWindow(this, 1.4);
}

void Form6::Command2_Click()
{
    // Attaching comes with the e-mail program's automation.
}

void Form6::Command1_Click()
{
    hide();
    form5().Timer1->start();
    form3().hide();
    form5().show();
    PlaceWindow(&form1(), 1.3);
    form1().show();
    hide();
    form3().hide();
}

void Form6::Timer1_Timer()
{
    form8().hide();
    Timer1->stop();
}

void Form6::Timer2_Timer()
{
    form11().show();
    Timer2->stop();
}

} // namespace vardane
