#include "Printer.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPixmap>
#include <QPrintDialog>
#include <QPrinterInfo>
#include <QWidget>

namespace orderapp::platform {

QtPrinter::QtPrinter() : m_printer(QPrinter::HighResolution)
{
    m_printer.setPageSize(QPageSize(QPageSize::Letter));
    m_printer.setPageOrientation(QPageLayout::Portrait);
    // Quarter-inch margins: the image starts on a whole pixel of the screen's grid.
    m_printer.setPageMargins(QMarginsF(18, 18, 18, 18), QPageLayout::Point);
}

PrinterChoice QtPrinter::SelectPrinter(QWidget* owner)
{
    // Nothing to print on: no printer is set up and no output file was chosen. The dialog
    // would only offer a file, which is not what the customer asked for.
    if (m_printer.outputFileName().isEmpty() && QPrinterInfo::availablePrinterNames().isEmpty())
        return PrinterChoice::Failed;
    QPrintDialog dialog(&m_printer, owner);
    dialog.setWindowTitle(QStringLiteral("Print"));
    // Only the printer and its settings are chosen here: the sheet is always one page.
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    return dialog.exec() == QDialog::Accepted ? PrinterChoice::Chosen : PrinterChoice::Cancelled;
}

bool QtPrinter::PrintClientArea(QWidget* window)
{
    return PaintClientArea(window, m_printer);
}

bool PaintClientArea(QWidget* window, QPrinter& printer)
{
    // The image as the window shows it now; hidden controls are not drawn.
    const QPixmap image = window->grab();
    if (image.isNull())
        return false;
    // The print system takes jobs for a stopped printer and holds them without a word; the
    // customer is told instead, so that the sheet can be printed elsewhere.
    if (printer.outputFormat() == QPrinter::NativeFormat &&
        QPrinterInfo::printerInfo(printer.printerName()).state() == QPrinter::Error)
        return false;
    QPainter painter;
    // A printer that cannot start a job (no such printer, an output file that cannot be
    // written) fails here.
    if (!painter.begin(&printer))
        return false;
    const qreal screenDpiX = window->logicalDpiX();
    const qreal screenDpiY = window->logicalDpiY();
    painter.scale(printer.logicalDpiX() / screenDpiX, printer.logicalDpiY() / screenDpiY);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    // grab() gives device pixels; draw them at the window's logical size.
    painter.drawPixmap(QRect(QPoint(0, 0), window->size()), image);
    return painter.end() && printer.printerState() != QPrinter::Error;
}

} // namespace orderapp::platform
