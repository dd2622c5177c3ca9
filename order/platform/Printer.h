#pragma once

// The printer selection dialog and printing an image of a window's client area.

#include <QPrinter>
#include <QString>

class QWidget;

namespace orderapp::platform {

enum class PrinterChoice {
    Chosen,    // a printer was chosen; Print goes to it
    Cancelled, // the customer cancelled the dialog
    Failed,    // the dialog could not be shown or reported an error
};

class Printer
{
public:
    virtual ~Printer() = default;
    // Shows the printer selection dialog, modal to owner, and waits for it to close.
    virtual PrinterChoice SelectPrinter(QWidget* owner) = 0;
    // Prints an image of the window's client area, as it looks now, as one page on the
    // printer chosen last. The job is finished when this returns. False on any failure.
    virtual bool PrintClientArea(QWidget* window) = 0;
};

// The real printer: Qt's print dialog and a QPrinter. The page is Letter, portrait; the image
// is printed at its size on the screen in the top left corner of the printable area.
class QtPrinter : public Printer
{
public:
    QtPrinter();
    PrinterChoice SelectPrinter(QWidget* owner) override;
    bool PrintClientArea(QWidget* window) override;

    QPrinter& printer() { return m_printer; }

private:
    QPrinter m_printer;
};

// Draws the image of the window's client area on a device that has begun painting (the
// printer), at its screen size, top left. Used by QtPrinter; public for the renderer.
bool PaintClientArea(QWidget* window, QPrinter& printer);

} // namespace orderapp::platform
