#pragma once

#include <QList>
#include <QString>

class QWidget;

namespace orderapp {

// Prints the window's client area through the printer dialog: a cancelled dialog ends
// quietly; the buttons are hidden while the image is taken; any other failure shows the
// problem text titled "Order" without an icon. The buttons are visible again on every path.
void PrintWindow(QWidget* window, const QList<QWidget*>& buttons, const QString& problemText);

} // namespace orderapp
