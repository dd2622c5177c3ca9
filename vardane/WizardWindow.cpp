#include "WizardWindow.h"

#include "Form1.h"
#include "Module1.h"

#include <QCloseEvent>

namespace vardane {

WizardWindow::WizardWindow(const char* objectName)
{
    setObjectName(QLatin1String(objectName));
}

void WizardWindow::closeEvent(QCloseEvent* event)
{
    event->ignore();
    hide();
    for (int n = 1; n <= 11; ++n)
        if (QWidget* w = existingForm(n); w && w->isVisible())
            return;
    form1().show();
}

} // namespace vardane
