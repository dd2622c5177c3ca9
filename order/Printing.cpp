#include "Printing.h"

#include "platform/Platform.h"

#include <QPointer>
#include <QWidget>

namespace orderapp {

void PrintWindow(QWidget* window, const QList<QWidget*>& buttons, const QString& problemText)
{
    const platform::Services& s = platform::services();
    QPointer<QWidget> guard(window);
    QList<QPointer<QWidget>> guarded;
    for (QWidget* b : buttons)
        guarded.append(b);
    auto showButtons = [&guarded] {
        for (const auto& b : guarded)
            if (b)
                b->show();
    };

    const platform::PrinterChoice choice = s.printer->SelectPrinter(window);
    if (choice == platform::PrinterChoice::Cancelled || !guard)
        return;
    bool printed = false;
    if (choice == platform::PrinterChoice::Chosen) {
        for (const auto& b : guarded)
            b->hide();
        printed = s.printer->PrintClientArea(window);
    }
    if (!printed && guard)
        s.messages->Show(window, problemText, QStringLiteral("Order"),
                         platform::MessageStyle::Plain);
    showButtons();
}

} // namespace orderapp
