// Printing the phone screen and the fax form through the real print system: a private CUPS
// scheduler of the test's own with a virtual PDF printer as the default printer, chosen in
// Qt's printer dialog. The page the printer writes is rendered back and compared with the
// window. A stopped printer and a queue that rejects jobs give the printer problem message;
// with no printer at all the dialog still offers to print to a PDF file, and that file holds
// the sheet.
//
// Runs as root: the PDF printer's backend runs as root and reads its settings from
// /etc/cups/cups-pdf-<name>.conf, <name> from its device address; that file is written here
// for this run, under a name of its own, and removed afterwards.

#include "OrderTestSupport.h"
#include "fax.h"
#include "phone.h"

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QFileInfo>
#include <QPrintDialog>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>

#include <unistd.h>

using namespace ordertest;

namespace {

const QString Queue = QStringLiteral("TindrelPDF");
const QString CR = QStringLiteral("\r");

bool WriteFile(const QString& path, const QByteArray& content)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(content) == content.size();
}

// A scheduler listening on a socket in a folder of its own, with every file it writes there.
class PrivateCups
{
public:
    ~PrivateCups() { stop(); }

    bool start()
    {
        if (!dir.isValid())
            return false;
        // Filters run as the "lp" user and must reach the spool folder inside.
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                              QFile::ReadGroup | QFile::ExeGroup |
                                              QFile::ReadOther | QFile::ExeOther);
        for (const char* sub : {"spool", "cache", "state", "tmp", "log", "out", "pdfspool"})
            QDir(dir.path()).mkdir(QString::fromLatin1(sub));
        QFile::setPermissions(path("tmp"), QFile::Permissions(0x7777));
        const QByteArray root = dir.path().toLocal8Bit();
        const bool written =
            WriteFile(path("cupsd.conf"),
                      "Listen " + socket().toLocal8Bit() +
                          "\nLogLevel info\nWebInterface No\nBrowsing No\n"
                          "DefaultAuthType None\n<Location />\n  Order allow,deny\n"
                          "  Allow all\n</Location>\n") &&
            WriteFile(path("cups-files.conf"),
                      "ServerRoot " + root + "\nRequestRoot " + root + "/spool\nCacheDir " + root +
                          "/cache\nStateDir " + root + "/state\nTempDir " + root +
                          "/tmp\nAccessLog " + root + "/log/access_log\nErrorLog " + root +
                          "/log/error_log\nPageLog " + root + "/log/page_log\nPrintcap " + root +
                          "/printcap\n") &&
            // The PDF printer's own settings, found by the name in its device address.
            WriteFile(pdfConf(), "Out " + root + "/out\nAnonDirName " + root + "/out\nSpool " +
                                     root + "/pdfspool\nLabel 0\nLog " + root + "/log\n");
        if (!written)
            return false;
        cupsd.setProcessChannelMode(QProcess::MergedChannels);
        cupsd.setStandardOutputFile(path("log/cupsd.out"));
        cupsd.start(QStringLiteral("cupsd"),
                    {QStringLiteral("-f"), QStringLiteral("-c"), path("cupsd.conf"),
                     QStringLiteral("-s"), path("cups-files.conf")});
        if (!cupsd.waitForStarted(30000))
            return false;
        // Every client of this process, Qt's print support included, talks to it.
        qputenv("CUPS_SERVER", socket().toLocal8Bit());
        qunsetenv("PRINTER");
        qunsetenv("LPDEST");
        for (int i = 0; i < 600 && !running(); ++i) {
            if (cupsd.state() != QProcess::Running)
                return false;
            QTest::qWait(50);
        }
        return running();
    }

    bool running()
    {
        QByteArray answer;
        return QFileInfo::exists(socket()) && run("lpstat", {"-r"}, &answer) &&
               answer.startsWith("scheduler is running");
    }

    void stop()
    {
        if (cupsd.state() != QProcess::NotRunning) {
            cupsd.terminate();
            if (!cupsd.waitForFinished(30000))
                cupsd.kill();
            cupsd.waitForFinished(30000);
        }
        QFile::remove(pdfConf());
    }

    // The virtual PDF printer, made the default printer.
    bool addPrinter()
    {
        return run("lpadmin", {"-p", Queue, "-E", "-v", "cups-pdf:/" + instance(), "-P",
                               "/usr/share/ppd/cups-pdf/CUPS-PDF_noopt.ppd"}) &&
               run("lpadmin", {"-d", Queue});
    }

    // Runs a command of the print system against this scheduler; true when it succeeded.
    bool run(const char* program, const QStringList& args, QByteArray* out = nullptr)
    {
        QProcess p;
        p.setProcessChannelMode(QProcess::SeparateChannels);
        p.start(QString::fromLatin1(program), args);
        const bool ok =
            p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
        if (out)
            *out = p.readAllStandardOutput();
        if (!ok)
            qWarning("%s failed: %s", program, p.readAllStandardError().constData());
        return ok;
    }

    // True once no job is waiting or printing.
    bool idle()
    {
        QByteArray jobs;
        return run("lpstat", {"-W", "not-completed", "-o"}, &jobs) && jobs.trimmed().isEmpty();
    }

    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
    QString socket() const { return path("cups.sock"); }
    QString log()
    {
        QFile f(path("log/error_log"));
        return f.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(f.readAll().right(3000))
                                           : QString();
    }

private:
    QString instance() const { return QStringLiteral("tindrel-test-%1").arg(getpid()); }
    QString pdfConf() const { return QStringLiteral("/etc/cups/cups-pdf-%1.conf").arg(instance()); }

    QTemporaryDir dir;
    QProcess cupsd;
};

} // namespace

class TestOrderPrintCups : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase() { cups.reset(); }
    void init();
    void cleanup();

    void printsThroughQueue_data();
    void printsThroughQueue();
    void printerNotTakingJobs_data();
    void printerNotTakingJobs();
    void noPrinterPrintsToFile_data() { printsThroughQueue_data(); }
    void noPrinterPrintsToFile();

private:
    // Shows the window of the row, with something typed into it; returns its action button,
    // its buttons, and the box whose typed value must be on the page.
    QWidget* showWindow(QPushButton** action, QList<QWidget*>* buttons, QLineEdit** typed);
    // The real printer, as the program makes it, with the messages still recorded.
    void makePrinter();
    // Answers a printer dialog that is up: picks the PDF printer in it and accepts, or
    // cancels when the printer is not offered. With printToFile set, picks the dialog's own
    // PDF file printer instead, with that file.
    void answerDialog();
    QStringList printedFiles() const;
    // The page in the PDF file is the window without its buttons, with the typed value.
    void checkPage(const QString& pdf, QWidget* window, const QList<QWidget*>& buttons,
                   QLineEdit* typed);

    std::unique_ptr<PrivateCups> cups;
    std::unique_ptr<Fixture> fixture;
    std::unique_ptr<QtPrinter> printer;
    QTimer answerer;
    bool dialogSeen = false;
    bool queueOffered = false;
    QString printToFile;
    QStringList printersOffered; // by the last dialog answered, its file printer included
};

void TestOrderPrintCups::initTestCase()
{
    // The scheduler and its administration commands live in the administrator's folder.
    qputenv("PATH", "/usr/sbin:" + qgetenv("PATH"));
    if (geteuid() != 0)
        QFAIL("This suite runs as root: the PDF printer's backend and its settings need it.");
    QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("cupsd")).isEmpty() &&
                 QFileInfo::exists(QStringLiteral("/usr/lib/cups/backend/cups-pdf")),
             "cups and printer-driver-cups-pdf are needed");
    cups = std::make_unique<PrivateCups>();
    QVERIFY2(cups->start(), qPrintable(cups->log()));
    QVERIFY(cups->addPrinter());
}

void TestOrderPrintCups::init()
{
    fixture = Fixture::withChooserShown();
    makePrinter();
    dialogSeen = queueOffered = false;
    printToFile.clear();
    printersOffered.clear();
    answerer.setInterval(50);
    connect(&answerer, &QTimer::timeout, this, &TestOrderPrintCups::answerDialog,
            Qt::UniqueConnection);
    answerer.start();
    for (const QString& f : printedFiles())
        QFile::remove(f);
}

void TestOrderPrintCups::makePrinter()
{
    // The real printer and its real dialog; messages are still recorded.
    printer = std::make_unique<QtPrinter>();
    Services s;
    s.messages = &fixture->messages;
    s.desktop = &fixture->desktop;
    s.printer = printer.get();
    setServices(s);
}

void TestOrderPrintCups::cleanup()
{
    answerer.stop();
    fixture.reset();
    printer.reset();
}

void TestOrderPrintCups::printsThroughQueue_data()
{
    QTest::addColumn<bool>("isFax");
    QTest::newRow("phone") << false;
    QTest::newRow("fax") << true;
}

QWidget* TestOrderPrintCups::showWindow(QPushButton** action, QList<QWidget*>* buttons,
                                        QLineEdit** typed)
{
    QFETCH(bool, isFax);
    if (!isFax) {
        phone* p = Show<phone>();
        p->Text5->setText(QStringLiteral("TYPED-7788"));
        *action = p->Command1;
        *buttons = {p->Command1, p->Command2};
        *typed = p->Text5;
        return p;
    }
    fax* f = Show<fax>();
    FillPrintedForm(f);
    *action = f->Command3;
    *buttons = {f->Command2, f->Command3};
    *typed = f->Text7;
    return f;
}

void TestOrderPrintCups::answerDialog()
{
    auto* d = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget());
    if (!d)
        return;
    dialogSeen = true;
    const QString toFile = QStringLiteral("Print to File (PDF)");
    for (QComboBox* c : d->findChildren<QComboBox*>()) {
        if (c->findText(toFile) < 0)
            continue;
        printersOffered.clear();
        for (int i = 0; i < c->count(); ++i)
            if (!c->itemText(i).isEmpty()) // not a separator
                printersOffered << c->itemText(i);
        const int i = c->findText(printToFile.isEmpty() ? Queue : toFile);
        if (i >= 0) {
            c->setCurrentIndex(i);
            queueOffered = printToFile.isEmpty();
        }
    }
    auto* file = d->findChild<QLineEdit*>(QStringLiteral("filename"));
    if (!printToFile.isEmpty() && printersOffered.contains(toFile) && file && file->isEnabled()) {
        file->setText(printToFile);
        d->accept();
        return;
    }
    queueOffered ? d->accept() : d->reject();
}

QStringList TestOrderPrintCups::printedFiles() const
{
    QStringList files;
    const QDir out(cups->path("out"));
    for (const QString& f : out.entryList({QStringLiteral("*.pdf")}, QDir::Files))
        files << out.filePath(f);
    return files;
}

void TestOrderPrintCups::printsThroughQueue()
{
    QPushButton* action = nullptr;
    QList<QWidget*> buttons;
    QLineEdit* typed = nullptr;
    QWidget* window = showWindow(&action, &buttons, &typed);

    QTest::mouseClick(action, Qt::LeftButton);
    QVERIFY(dialogSeen);
    QVERIFY2(queueOffered, "the printer dialog did not list the PDF printer");
    QCOMPARE(printer->printer().printerName(), Queue);
    QVERIFY(fixture->messages.shown.isEmpty());
    for (QWidget* b : buttons)
        QVERIFY(b->isVisible());

    // The job goes through the scheduler, its filters and the PDF printer's backend.
    QTRY_VERIFY2_WITH_TIMEOUT(printedFiles().size() == 1 && cups->idle(), qPrintable(cups->log()),
                              120000);
    checkPage(printedFiles().front(), window, buttons, typed);
}

void TestOrderPrintCups::checkPage(const QString& pdf, QWidget* window,
                                   const QList<QWidget*>& buttons, QLineEdit* typed)
{
    const QImage withButtons = window->grab().toImage();
    const QImage page = RenderPdf(pdf);
    QVERIFY(!page.isNull());

    // The window as it was printed: the same, without its buttons.
    for (QWidget* b : buttons)
        b->hide();
    const QImage printed = window->grab().toImage();
    for (QWidget* b : buttons)
        b->show();
    const QPoint offset = printer->printer().pageLayout().paintRectPixels(96).topLeft();
    QVERIFY2(Mismatch(page, printed, offset) < 0.01,
             qPrintable(QString::number(Mismatch(page, printed, offset))));
    // The typed value is on the page; the buttons are not.
    const QRect box = typed->geometry();
    QVERIFY(DarkPixels(page, box.translated(offset)) > 20);
    QVERIFY(Mismatch(page, printed, offset, box) < 0.02);
    for (QWidget* b : buttons) {
        QVERIFY(DarkPixels(withButtons, b->geometry()) > 20);
        QCOMPARE(DarkPixels(page, b->geometry().translated(offset)), 0);
    }
}

// A stopped printer would hold the job; a queue that rejects jobs refuses it when it is sent.
void TestOrderPrintCups::printerNotTakingJobs_data()
{
    QTest::addColumn<bool>("isFax");
    QTest::addColumn<QByteArray>("outOfService");
    QTest::addColumn<QByteArray>("backInService");
    for (const bool isFax : {false, true}) {
        const char* window = isFax ? "fax" : "phone";
        QTest::addRow("%s, stopped", window)
            << isFax << QByteArray("cupsdisable") << QByteArray("cupsenable");
        QTest::addRow("%s, rejecting jobs", window)
            << isFax << QByteArray("cupsreject") << QByteArray("cupsaccept");
    }
}

void TestOrderPrintCups::printerNotTakingJobs()
{
    QFETCH(QByteArray, outOfService);
    QFETCH(QByteArray, backInService);
    QPushButton* action = nullptr;
    QList<QWidget*> buttons;
    QLineEdit* typed = nullptr;
    QWidget* window = showWindow(&action, &buttons, &typed);
    QVERIFY(cups->run(outOfService.constData(), {Queue}));

    QTest::mouseClick(action, Qt::LeftButton);
    QVERIFY(cups->run(backInService.constData(), {Queue}));
    QVERIFY(dialogSeen && queueOffered);
    QCOMPARE(fixture->messages.shown.size(), 1);
    const ShownMessage m = fixture->messages.shown.front();
    QFETCH(bool, isFax);
    QVERIFY(m.text.startsWith(isFax ? QStringLiteral("FAX/Printer Problem. ") + CR
                                    : QStringLiteral("Printer Problem. ") + CR));
    QCOMPARE(m.title, QStringLiteral("Order"));
    for (QWidget* b : buttons)
        QVERIFY(b->isVisible());
    // Nothing was queued to come out later.
    QVERIFY(cups->idle());
    QVERIFY(printedFiles().isEmpty());
    QVERIFY(window->isVisible());
}

// A machine with the print system and no printer set up: the dialog is shown all the same, with
// its PDF file printer, and the file it writes holds the sheet.
void TestOrderPrintCups::noPrinterPrintsToFile()
{
    QVERIFY(cups->run("lpadmin", {"-x", Queue}));
    struct Restore
    {
        PrivateCups* cups;
        ~Restore() { cups->addPrinter(); }
    } restore{cups.get()};
    // Made as the program makes it on such a machine: no printer when it starts.
    makePrinter();
    QPushButton* action = nullptr;
    QList<QWidget*> buttons;
    QLineEdit* typed = nullptr;
    QWidget* window = showWindow(&action, &buttons, &typed);
    QTemporaryDir out;
    printToFile = out.filePath(QStringLiteral("order sheet.pdf"));

    QTest::mouseClick(action, Qt::LeftButton);
    QVERIFY(dialogSeen);
    QCOMPARE(printersOffered, QStringList{QStringLiteral("Print to File (PDF)")});
    QVERIFY2(fixture->messages.shown.isEmpty(), qPrintable(fixture->messages.shown.value(0).text));
    for (QWidget* b : buttons)
        QVERIFY(b->isVisible());
    QCOMPARE(printer->printer().outputFileName(), printToFile);
    checkPage(printToFile, window, buttons, typed);
    // Nothing went to the print system.
    QVERIFY(cups->idle());
    QVERIFY(printedFiles().isEmpty());
}

QTEST_MAIN(TestOrderPrintCups)
#include "tst_orderprint_cups.moc"
