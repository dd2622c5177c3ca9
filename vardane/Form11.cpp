#include "Form11.h"

#include "Module1.h"
#include "automation/Automation.h"

#include <QLabel>
#include <QPushButton>

namespace vardane {

using namespace automation;

Form11::Form11() : WizardWindow("Form11")
{
    makeNoticeWindow(this, twips(4485), twips(1005));
    Label1 = makeLabel(this, "Label1",
                       QStringLiteral("Please Open Your E-Mail Form And Press The \"Attach Voice\" "
                                      "Button Again!"),
                       QRect(6, 4, 287, 32), uiFont(12, true), Qt::white);
    Label1->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Command1 = makeButton(this, "Command1", QStringLiteral("OK"), QRect(112, 38, 75, 24));
    connect(Command1, &QPushButton::clicked, this, &Form11::Command1_Click);
}

void Form11::Form_Load()
{
    MakeTopmost(this);
    PlaceWindow(this, 2);
}

void Form11::Command1_Click()
{
    hide();
}

} // namespace vardane
