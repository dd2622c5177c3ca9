// Printing the phone screen and the fax and mail forms for real: a PDF from the real printer,
// rendered back to an image and compared with the window.

#include "OrderTestSupport.h"
#include "fax.h"
#include "mail.h"
#include "order.h"
#include "phone.h"

#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPageLayout>
#include <QPrintDialog>
#include <QPushButton>
#include <QTimer>

using namespace ordertest;

namespace {

const QString CR = QStringLiteral("\r");

struct Capture
{
    QImage image; // the window as it was printed
    bool buttonsHidden = false;
};

// Where the window's image starts on the page rendered at 96 dots per inch.
QPoint PageOffset(QPrinter& printer)
{
    return printer.pageLayout().paintRectPixels(96).topLeft();
}

} // namespace

class TestOrderPrint : public QObject
{
    Q_OBJECT
private slots:
    void init() { fixture = Fixture::withChooserShown(); }
    void cleanup() { fixture.reset(); }

    void phonePrintsTypedSerialWithoutButtons();
    void phonePrinterFailure();
    void phoneCancelIsSilent();
    void formPrintsTypedValuesWithoutButtons_data();
    void formPrintsTypedValuesWithoutButtons();
    void formPrinterFailure_data();
    void formPrinterFailure();
    void formCancelIsSilent();
    void invalidFormAsksForNoPrinter();
    void printingTwiceAsksTwice();
    void realPrintDialog();

private:
    // Prints through the window's button; returns the window as printed and the page.
    void printAndCompare(QWidget* window, QPushButton* action, const QList<QWidget*>& buttons,
                         QLineEdit* typed);
    std::unique_ptr<Fixture> fixture;
};

void TestOrderPrint::printAndCompare(QWidget* window, QPushButton* action,
                                     const QList<QWidget*>& buttons, QLineEdit* typed)
{
    Capture capture;
    const QImage withButtons = window->grab().toImage();
    fixture->printer.beforePrint = [&](QWidget* w) {
        capture.image = w->grab().toImage();
        capture.buttonsHidden = true;
        for (QWidget* b : buttons)
            capture.buttonsHidden &= !b->isVisible();
    };
    QTest::mouseClick(action, Qt::LeftButton);
    QCOMPARE(fixture->printer.dialogs, 1);
    QCOMPARE(fixture->printer.prints, 1);
    QVERIFY(capture.buttonsHidden);
    QVERIFY(fixture->messages.shown.isEmpty());
    for (QWidget* b : buttons)
        QVERIFY(b->isVisible());

    const QImage page = RenderPdf(fixture->printer.outputFile);
    QVERIFY(!page.isNull());
    const QPoint offset = PageOffset(fixture->printer.printer());
    // The page shows the window as it was when printed, at its screen size, top left.
    QVERIFY2(Mismatch(page, capture.image, offset) < 0.01,
             qPrintable(QString::number(Mismatch(page, capture.image, offset))));
    // The typed value is on the page.
    const QRect box = typed->geometry();
    QVERIFY(DarkPixels(page, box.translated(offset)) > 20);
    QVERIFY(Mismatch(page, capture.image, offset, box) < 0.02);
    // The buttons are not: their places are blank on the page, not on the screen.
    for (QWidget* b : buttons) {
        const QRect r = b->geometry();
        QVERIFY(DarkPixels(withButtons, r) > 20);
        QCOMPARE(DarkPixels(page, r.translated(offset)), 0);
    }
    // Nothing but the window: the rest of the page is blank.
    const QRect below(offset.x(), offset.y() + window->height() + 2, window->width(), 200);
    QCOMPARE(DarkPixels(page, below), 0);
}

void TestOrderPrint::phonePrintsTypedSerialWithoutButtons()
{
    phone* p = Show<phone>();
    p->Text5->setText(QStringLiteral("TYPED-7788"));
    printAndCompare(p, p->Command1, {p->Command1, p->Command2}, p->Text5);
}

void TestOrderPrint::phonePrinterFailure()
{
    phone* p = Show<phone>();
    // An output file in a folder that does not exist: the printer cannot start the job.
    fixture->printer.outputFile =
        fixture->folder.filePath(QStringLiteral("missing-folder/printed.pdf"));
    bool buttonsHiddenDuringMessage = false;
    fixture->messages.onShow = [&](const ShownMessage&) {
        buttonsHiddenDuringMessage = !p->Command1->isVisible() && !p->Command2->isVisible();
    };
    QTest::mouseClick(p->Command1, Qt::LeftButton);
    QCOMPARE(fixture->messages.shown.size(), 1);
    const ShownMessage m = fixture->messages.shown.front();
    QCOMPARE(m.text, QStringLiteral("Printer Problem. ") + CR +
                         QStringLiteral("Possible Solutions: ") + CR +
                         QStringLiteral("1. Fix Printer And Try Again."));
    QCOMPARE(m.title, QStringLiteral("Order"));
    QCOMPARE(m.style, MessageStyle::Plain);
    QVERIFY(buttonsHiddenDuringMessage);
    QVERIFY(p->Command1->isVisible() && p->Command2->isVisible());
    QVERIFY(!QFileInfo::exists(fixture->printer.outputFile));
}

void TestOrderPrint::phoneCancelIsSilent()
{
    phone* p = Show<phone>();
    fixture->printer.answer = PrinterChoice::Cancelled;
    QTest::mouseClick(p->Command1, Qt::LeftButton);
    QCOMPARE(fixture->printer.dialogs, 1);
    QCOMPARE(fixture->printer.prints, 0);
    QVERIFY(fixture->messages.shown.isEmpty());
    QVERIFY(p->Command1->isVisible() && p->Command2->isVisible());
    QVERIFY(!QFileInfo::exists(fixture->printer.outputFile));
}

void TestOrderPrint::formPrintsTypedValuesWithoutButtons_data()
{
    QTest::addColumn<bool>("isFax");
    QTest::newRow("fax") << true;
    QTest::newRow("mail") << false;
}

void TestOrderPrint::formPrintsTypedValuesWithoutButtons()
{
    QFETCH(bool, isFax);
    PrintedOrderForm* f = isFax ? static_cast<PrintedOrderForm*>(Show<fax>())
                                : static_cast<PrintedOrderForm*>(Show<mail>());
    FillPrintedForm(f);
    f->Text12[1]->setText(QStringLiteral("9"));
    // The plain card number is printed as typed.
    printAndCompare(f, f->Command3, {f->Command2, f->Command3}, f->Text7);
    QVERIFY(fixture->messages.shown.isEmpty());
}

void TestOrderPrint::formPrinterFailure_data()
{
    QTest::addColumn<bool>("isFax");
    QTest::addColumn<QString>("expected");
    const QString tail = CR + QStringLiteral("Possible Solutions: ") + CR;
    QTest::newRow("fax") << true
                         << QStringLiteral("FAX/Printer Problem. ") + tail +
                                QStringLiteral("1. Fix FAX And Try Again.") + CR +
                                QStringLiteral("2. Print Form And FAX From FAX Machine") + CR +
                                QStringLiteral("3. Order Using Phone/E-mail.");
    QTest::newRow("mail") << false
                          << QStringLiteral("Printer Problem. ") + tail +
                                 QStringLiteral("1. Fix Printer And Try Again.") + CR +
                                 QStringLiteral("2. Write All Info On Paper And Mail It.") + CR +
                                 QStringLiteral("3. Order Using Phone/E-mail.");
}

void TestOrderPrint::formPrinterFailure()
{
    QFETCH(bool, isFax);
    QFETCH(QString, expected);
    PrintedOrderForm* f = isFax ? static_cast<PrintedOrderForm*>(Show<fax>())
                                : static_cast<PrintedOrderForm*>(Show<mail>());
    FillPrintedForm(f);
    fixture->printer.outputFile = fixture->folder.filePath(QStringLiteral("no/such/x.pdf"));
    bool hiddenDuringMessage = false;
    fixture->messages.onShow = [&](const ShownMessage&) {
        hiddenDuringMessage = !f->Command2->isVisible() && !f->Command3->isVisible();
    };
    QTest::mouseClick(f->Command3, Qt::LeftButton);
    QCOMPARE(fixture->messages.shown.size(), 1);
    QCOMPARE(fixture->messages.shown.front().text, expected);
    QCOMPARE(fixture->messages.shown.front().title, QStringLiteral("Order"));
    QCOMPARE(fixture->messages.shown.front().style, MessageStyle::Plain);
    QVERIFY(hiddenDuringMessage);
    QVERIFY(f->Command2->isVisible() && f->Command3->isVisible());
    // Everything typed stays.
    QCOMPARE(f->Text7->text(), QStringLiteral("4111222233334444"));
}

void TestOrderPrint::formCancelIsSilent()
{
    for (PrintedOrderForm* f : {static_cast<PrintedOrderForm*>(Show<fax>()),
                                static_cast<PrintedOrderForm*>(Show<mail>())}) {
        FillPrintedForm(f);
        fixture->printer.answer = PrinterChoice::Cancelled;
        fixture->printer.dialogs = 0;
        QTest::mouseClick(f->Command3, Qt::LeftButton);
        QCOMPARE(fixture->printer.dialogs, 1);
        QCOMPARE(fixture->printer.prints, 0);
        QVERIFY(fixture->messages.shown.isEmpty());
        QVERIFY(f->Command2->isVisible() && f->Command3->isVisible());
    }
}

void TestOrderPrint::invalidFormAsksForNoPrinter()
{
    fax* f = Show<fax>();
    FillPrintedForm(f);
    f->Text3->clear();
    QTest::mouseClick(f->Command3, Qt::LeftButton);
    QCOMPARE(fixture->printer.dialogs, 0);
    QCOMPARE(fixture->messages.shown.size(), 1);
    QCOMPARE(fixture->messages.shown.front().text, QStringLiteral("Phone Number is Required"));
    QCOMPARE(fixture->messages.shown.front().style, MessageStyle::Exclamation);
}

void TestOrderPrint::printingTwiceAsksTwice()
{
    mail* m = Show<mail>();
    FillPrintedForm(m);
    QTest::mouseClick(m->Command3, Qt::LeftButton);
    QTest::mouseClick(m->Command3, Qt::LeftButton);
    QCOMPARE(fixture->printer.dialogs, 2);
    QCOMPARE(fixture->printer.prints, 2);
    QVERIFY(fixture->messages.shown.isEmpty());
}

void TestOrderPrint::realPrintDialog()
{
    // The real printer with Qt's real dialog: cancelling it is reported as such, accepting
    // it with a PDF file as the printer prints there.
    QtPrinter real;
    phone* p = Show<phone>();
    const QString pdf = fixture->folder.filePath(QStringLiteral("dialog.pdf"));
    real.printer().setOutputFormat(QPrinter::PdfFormat);
    real.printer().setOutputFileName(pdf);
    auto answerDialog = [](bool accept) {
        QTimer::singleShot(0, qApp, [accept] {
            QTRY_VERIFY_WITH_TIMEOUT(qobject_cast<QPrintDialog*>(QApplication::activeModalWidget()),
                                     20000);
            auto* d = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget());
            accept ? d->accept() : d->reject();
        });
    };
    answerDialog(false);
    QCOMPARE(real.SelectPrinter(p), PrinterChoice::Cancelled);
    answerDialog(true);
    QCOMPARE(real.SelectPrinter(p), PrinterChoice::Chosen);
    QVERIFY(real.PrintClientArea(p));
    const QImage page = RenderPdf(pdf);
    QVERIFY(!page.isNull());
    QVERIFY(Mismatch(page, p->grab().toImage(), PageOffset(real.printer())) < 0.01);
}

QTEST_MAIN(TestOrderPrint)
#include "tst_orderprint.moc"
