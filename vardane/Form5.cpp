#include "Form5.h"

#include "Flow.h"
#include "Module1.h"
#include "automation/Automation.h"

#include <QEvent>
#include <QLabel>
#include <QTimer>

namespace vardane {

using namespace automation;

Form5::Form5() : WizardWindow("Form5")
{
    makeNoticeWindow(this, twips(1665), twips(330));
    Label1 = makeLabel(this, "Label1", QStringLiteral("Please Wait "), rect(), uiFont(13, true),
                       Qt::white, false);
    Label1->setAlignment(Qt::AlignCenter);
    Label1->installEventFilter(this);
    Timer1 = makeTimer(this, "Timer1", 500);
    connect(Timer1, &QTimer::timeout, this, &Form5::Timer1_Timer);
}

void Form5::Form_Load()
{
    PlaceWindow(this, 2);
    MakeTopmost(this);
}

void Form5::ShowUntilMainWindow()
{
    show();
    Timer1->start();
}

bool Form5::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Label1 && event->type() == QEvent::MouseButtonRelease)
        Label1_Click();
    return WizardWindow::eventFilter(watched, event);
}

void Form5::Label1_Click()
{
    MakeTopmost(this);
}

void Form5::Timer1_Timer()
{
    if (flow::MainWindowUp()) {
        hide();
        Timer1->stop();
    }
}

} // namespace vardane
