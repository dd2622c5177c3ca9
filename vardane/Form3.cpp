#include "Form3.h"

#include "Module1.h"
#include "automation/Automation.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace vardane {

using namespace automation;

Form3::Form3() : WizardWindow("Form3")
{
    setWindowTitle(QStringLiteral("Save Message Or Start Over"));
    makeFixedWindow(this, twips(4320), twips(1410));
    const QFont text = uiFont(11, true);
    Picture1 =
        makePicture(this, "Picture1", QStringLiteral(":/pictures/disk.png"), QRect(6, 4, 66, 34));
    Label1 = makeLabel(this, "Label1",
                       QStringLiteral("To Save This Voice Message File, Click: \"Save\". You Will "
                                      "Then Proceed To The E-Mail Form. "),
                       QRect(78, 3, 206, 42), text, Navy);
    Label2 = makeLabel(this, "Label2",
                       QStringLiteral("To Delete This Voice Message And Start Recording A New One, "
                                      "Click: \"Start Over\"."),
                       QRect(78, 48, 206, 42), text, Maroon);
    Label3 = makeLabel(this, "Label3", CurrentVoiceFile(), QRect(0, 0, 1, 1), text);
    Label3->setVisible(false);
    Command2 = makeButton(this, "Command2", QStringLiteral("Save"), QRect(4, 42, 70, 22));
    Command1 = makeButton(this, "Command1", QStringLiteral("Start Over"), QRect(4, 68, 70, 22));
    Timer1 = makeTimer(this, "Timer1", 2000);
    connect(Command2, &QPushButton::clicked, this, &Form3::Command2_Click);
    connect(Command1, &QPushButton::clicked, this, &Form3::Command1_Click);
    connect(Timer1, &QTimer::timeout, this, &Form3::Timer1_Timer);
}

void Form3::Form_Load()
{
    PlaceWindow(this, 1.4);
}

void Form3::Command2_Click()
{
    // Saving comes with recording.
}

void Form3::Command1_Click()
{
    // Discarding comes with recording.
}

void Form3::Timer1_Timer()
{
    Timer1->stop();
}

} // namespace vardane
