#include "WizardWindow.h"

#include "Flow.h"
#include "Module1.h"

#include <QCloseEvent>

namespace vardane {

WizardWindow::WizardWindow(const char* objectName)
{
    setObjectName(QLatin1String(objectName));
}

void WizardWindow::setVisible(bool visible)
{
    if (!visible || !Ending())
        QWidget::setVisible(visible);
}

void WizardWindow::closeEvent(QCloseEvent* event)
{
    event->ignore();
    hide();
    flow::WindowClosed();
}

} // namespace vardane
