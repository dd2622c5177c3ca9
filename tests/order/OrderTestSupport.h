#pragma once

// Shared helpers of the ordering program's suites: a folder with an order.ini of the test's
// choosing, recording platform services, closing every window between cases, and rendering a
// printed PDF back to an image.

#include "Module1.h"
#include "PrintedOrderForm.h"
#include "order.h"
#include "platform/Platform.h"
#include "platform/TestServices.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <memory>

namespace ordertest {

using namespace orderapp;
using namespace orderapp::platform;

// The sample file with every value filled in.
inline QByteArray FullIni()
{
    return "[AuthorInfo]\r\n"
           "AuthorName=Pat Example\r\n"
           "AuthorEmail=pat@example.org\r\n"
           "AuthorPhone=(555) 555-0123\r\n"
           "Comments=Free updates for a year.\r\n"
           "[ProgramInfo]\r\n"
           "Program1ID=17\r\n"
           "Program1Name=Sample Writer\r\n"
           "Program1Price=$29.95\r\n"
           "Program2Name=Spell Pack\r\n"
           "Program2Price=$9.95\r\n"
           "Program3Name=Printed Manual\r\n"
           "Program3Price=$14.50\r\n"
           "[SerialNumbers]\r\n"
           "Serial1=SW-1001\r\n"
           "Serial2=SP-2002\r\n"
           "Serial3=SM-3003\r\n";
}

// A program folder of the test's own, the recording services, and a clean slate of windows.
class Fixture
{
public:
    Fixture()
    {
        SetProgramFolder(folder.path());
        Services s;
        s.messages = &messages;
        s.desktop = &desktop;
        s.printer = &printer;
        setServices(s);
        printer.outputFile = folder.filePath(QStringLiteral("printed.pdf"));
    }
    ~Fixture()
    {
        CloseAll();
        resetServices();
        SetProgramFolder(QString());
    }
    Fixture(const Fixture&) = delete;
    Fixture& operator=(const Fixture&) = delete;

    // A fixture whose folder holds the full sample order.ini, with the chooser shown.
    static std::unique_ptr<Fixture> withChooserShown()
    {
        auto f = std::make_unique<Fixture>();
        f->writeIni(FullIni());
        Show<order>();
        return f;
    }

    // Writes order.ini into the folder (nothing: no file at all).
    void writeIni(const QByteArray& content)
    {
        QFile f(folder.filePath(QStringLiteral("order.ini")));
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(content);
    }

    // Closes every window the way the close box does and waits until they are gone.
    static void CloseAll()
    {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible())
                w->close();
        QTRY_VERIFY_WITH_TIMEOUT(visibleWindows() == 0, 10000);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    static int visibleWindows()
    {
        int n = 0;
        for (QWidget* w : QApplication::topLevelWidgets())
            n += w->isVisible() ? 1 : 0;
        return n;
    }

    QTemporaryDir folder;
    RecordingMessageBox messages;
    RecordingDesktop desktop;
    ScriptedPrinter printer;
};

// Renders the first page of a PDF at 96 dots per inch, so one pixel of the screen is one
// pixel of the image.
inline QImage RenderPdf(const QString& pdf)
{
    QTemporaryDir dir;
    const QString prefix = dir.filePath(QStringLiteral("page"));
    QProcess p;
    p.start(QStringLiteral("pdftoppm"),
            {QStringLiteral("-r"), QStringLiteral("96"), QStringLiteral("-png"),
             QStringLiteral("-singlefile"), pdf, prefix});
    if (!p.waitForFinished(60000) || p.exitCode() != 0) {
        qWarning("pdftoppm failed: %s", p.readAllStandardError().constData());
        return QImage();
    }
    return QImage(prefix + QStringLiteral(".png")).convertToFormat(QImage::Format_RGB32);
}

// The share of pixels of `expected` that have no close match in `page` placed at `offset`
// (within one pixel, so that the page's smoothing does not count).
inline double Mismatch(const QImage& page, const QImage& expected, QPoint offset,
                       QRect area = QRect())
{
    const QImage exp = expected.convertToFormat(QImage::Format_RGB32);
    if (area.isNull())
        area = exp.rect();
    auto close = [](QRgb a, QRgb b) {
        return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                         std::abs(qBlue(a) - qBlue(b))}) <= 80;
    };
    qint64 bad = 0;
    qint64 all = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            ++all;
            const QRgb a = exp.pixel(x, y);
            bool found = false;
            for (int dy = -1; dy <= 1 && !found; ++dy)
                for (int dx = -1; dx <= 1 && !found; ++dx) {
                    const QPoint q(x + offset.x() + dx, y + offset.y() + dy);
                    found = page.rect().contains(q) && close(a, page.pixel(q));
                }
            bad += found ? 0 : 1;
        }
    return all ? double(bad) / double(all) : 1.0;
}

// How many clearly dark pixels the area of the image holds.
inline int DarkPixels(const QImage& image, const QRect& area)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (image.rect().contains(x, y) && qGray(image.pixel(x, y)) < 100)
                ++n;
    return n;
}

// Fills a fax or mail form with valid values, a card number among them.
inline void FillPrintedForm(PrintedOrderForm* f)
{
    f->Text1->setText(QStringLiteral("Alex Sample"));
    f->Text2->setText(QStringLiteral("42 Fictional Road"));
    f->Text13->setText(QStringLiteral("Sampleton"));
    f->Text14->setText(QStringLiteral("WI"));
    f->Text15->setText(QStringLiteral("53799"));
    f->Text3->setText(QStringLiteral("555-0199"));
    f->Text4->setText(QStringLiteral("alex@example.com"));
    f->Text10->setText(QStringLiteral("3"));
    f->Text7->setText(QStringLiteral("4111222233334444"));
    f->Text8->setText(QStringLiteral("12/29"));
}

} // namespace ordertest
