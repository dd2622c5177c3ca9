#include "Desktop.h"

#include <QDesktopServices>
#include <QUrl>

namespace orderapp::platform {

void QtDesktop::OpenAddress(const QString& address, QWidget* owner)
{
    Q_UNUSED(owner);
    QDesktopServices::openUrl(QUrl(address, QUrl::StrictMode));
}

} // namespace orderapp::platform
