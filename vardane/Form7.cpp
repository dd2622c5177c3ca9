#include "Form7.h"

#include "Flow.h"
#include "Module1.h"
#include "automation/Automation.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace vardane {

using namespace automation;

Form7::Form7() : WizardWindow("Form7")
{
    setWindowTitle(QStringLiteral("Start Over Or Exit?"));
    makeFixedWindow(this, twips(3030), twips(915));
    Picture1 = makePicture(this, "Picture1", QStringLiteral(":/pictures/product.png"),
                           QRect(4, 4, 30, 30));
    Label1 = makeLabel(this, "Label1",
                       QStringLiteral("You Can Start A New Voice Message Or Exit The Program"),
                       QRect(40, 3, 158, 30), uiFont(11, true), Navy);
    Command1 = makeButton(this, "Command1", QStringLiteral("Start Over"), QRect(20, 36, 80, 22));
    Command2 = makeButton(this, "Command2", QStringLiteral("Exit"), QRect(110, 36, 80, 22));
    connect(Command1, &QPushButton::clicked, this, &Form7::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form7::Command2_Click);
}

void Form7::Form_Load()
{
    MakeTopmost(this);
    PlaceWindow(this, 1.4);
}

void Form7::Command1_Click()
{
    flow::StartOverAfterAttached();
}

void Form7::Command2_Click()
{
    EndProgram();
}

} // namespace vardane
