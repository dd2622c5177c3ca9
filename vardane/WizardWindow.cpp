#include "WizardWindow.h"

#include "Flow.h"

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
    flow::WindowClosed();
}

} // namespace vardane
