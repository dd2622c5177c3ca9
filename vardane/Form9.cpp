#include "Form9.h"

#include "Flow.h"
#include "Module1.h"
#include "automation/Automation.h"

#include <QLabel>
#include <QTimer>

namespace vardane {

using namespace automation;

Form9::Form9() : WizardWindow("Form9")
{
    makeNoticeWindow(this, twips(2880), twips(315));
    Label1 = makeLabel(this, "Label1", QStringLiteral("Your File Has Been Saved. "), rect(),
                       uiFont(13, true), Qt::white, false);
    Label1->setAlignment(Qt::AlignCenter);
    Timer1 = makeTimer(this, "Timer1", 2300);
    connect(Timer1, &QTimer::timeout, this, &Form9::Timer1_Timer);
}

void Form9::Form_Load()
{
    MakeTopmost(this);
    PlaceWindow(this, 2);
}

void Form9::ShowNotice()
{
    show();
    Timer1->start();
}

bool Form9::NoticeUp() const
{
    return Timer1->isActive();
}

void Form9::EndNotice()
{
    Timer1->stop();
    hide();
}

void Form9::Timer1_Timer()
{
    flow::SavedNoticeOver();
    Timer1->stop();
}

} // namespace vardane
