#include "Form8.h"

#include "Module1.h"
#include "automation/Automation.h"

#include <QLabel>

namespace vardane {

using namespace automation;

Form8::Form8() : WizardWindow("Form8")
{
    makeNoticeWindow(this, twips(2835), twips(510));
    Label1 = makeLabel(this, "Label1",
                       QStringLiteral("Your Voice File Has Been Attached To Your E-Mail"),
                       rect().adjusted(4, 2, -4, -2), uiFont(12, true), Qt::white);
    Label1->setAlignment(Qt::AlignCenter);
}

void Form8::Form_Load()
{
    MakeTopmost(this);
    PlaceWindow(this, 2);
}

} // namespace vardane
