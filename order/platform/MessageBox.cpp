#include "MessageBox.h"

#include <QMessageBox>

namespace orderapp::platform {

QString DisplayLines(const QString& text)
{
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(u'\r', u'\n');
    return shown;
}

void QtMessageBox::Show(QWidget* owner, const QString& text, const QString& title,
                        MessageStyle style)
{
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    if (style == MessageStyle::Exclamation)
        icon = QMessageBox::Warning;
    else if (style == MessageStyle::Information)
        icon = QMessageBox::Information;
    QMessageBox box(icon, title, DisplayLines(text), QMessageBox::Ok, owner);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

} // namespace orderapp::platform
