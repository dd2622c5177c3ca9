#include "Clipboard.h"

#include <QClipboard>
#include <QGuiApplication>

namespace orderapp::platform {

bool QtClipboard::SetText(const QString& text)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        return false;
    clipboard->setText(text, QClipboard::Clipboard);
    // QClipboard reports no failure; what it hands back shows whether it took the text.
    return clipboard->text(QClipboard::Clipboard) == text;
}

} // namespace orderapp::platform
