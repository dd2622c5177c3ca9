#include "Printer.h"

#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPixmap>
#include <QPrintDialog>
#include <QPrinterInfo>
#include <QWidget>

#if defined(ORDER_PRINTS_THROUGH_CUPS)
#include <cups/cups.h>
#endif

namespace orderapp::platform {

namespace {

// Whether the print system took the page just sent. Qt hands it to CUPS as the last step of
// ending the painter and does not look at the answer (a queue that rejects jobs, a scheduler
// that has gone away); CUPS keeps the status of each thread's last request.
bool JobTaken()
{
#if defined(ORDER_PRINTS_THROUGH_CUPS)
    return cupsLastError() < IPP_STATUS_REDIRECTION_OTHER_SITE;
#else
    return true;
#endif
}

} // namespace

QtPrinter::QtPrinter() : m_printer(QPrinter::HighResolution)
{
    m_printer.setPageSize(QPageSize(QPageSize::Letter));
    m_printer.setPageOrientation(QPageLayout::Portrait);
    // Quarter-inch margins: the image starts on a whole pixel of the screen's grid.
    m_printer.setPageMargins(QMarginsF(18, 18, 18, 18), QPageLayout::Point);
}

PrinterChoice QtPrinter::SelectPrinter(QWidget* owner)
{
    // Shown with or without a printer set up: the dialog always offers to print to a PDF file,
    // which a customer without a printer or fax machine sends by an online fax service or
    // prints elsewhere. Its file is named after the window unless one was chosen before.
    if (owner)
        m_printer.setDocName(owner->windowTitle());
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
    const bool native = printer.outputFormat() == QPrinter::NativeFormat;
    if (native && QPrinterInfo::printerInfo(printer.printerName()).state() == QPrinter::Error)
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
    if (!painter.end() || printer.printerState() == QPrinter::Error)
        return false;
    // A file printer writes the whole file as the painter ends, and says nothing when the
    // writing fails (a full disk, a folder that went away).
    return native ? JobTaken() : QFileInfo(printer.outputFileName()).size() > 0;
}

} // namespace orderapp::platform
