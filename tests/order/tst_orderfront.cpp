// The chooser, the phone and the online screens on the offscreen platform.

#include "OrderDesk.h"
#include "OrderTestSupport.h"
#include "email.h"
#include "fax.h"
#include "mail.h"
#include "order.h"
#include "phone.h"
#include "web.h"

#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTimer>

using namespace ordertest;

namespace {

const QString CR = QStringLiteral("\r");

QString Instructions(const QString& name, const QString& mail, const QString& phoneNo,
                     const QString& id)
{
    return QStringLiteral(
               "The phone numbers below are for CREDIT CARD ORDERS ONLY. The author of the "
               "program CANNOT be reached at these numbers. If you  have questions about product "
               "information, technical support, non-credit card orders etc., you must contact "
               "the author DIRECTLY at: ") +
           name + QStringLiteral(" at ") + mail + QStringLiteral(" ") + phoneNo + CR + CR +
           QStringLiteral("Quorvex will take credit card orders only from 8 AM to 6 PM  CST "
                          "Monday through Friday at ") +
           OrderDesk::TollFreeNumber + QStringLiteral(" Ext.") + id + QStringLiteral(" or at ") +
           OrderDesk::DirectNumber + QStringLiteral(" Ext.") + id + CR + CR +
           QStringLiteral("Please have your name, address, phone number, e-mail address, product "
                          "serial number, credit card number and expiration date ready before "
                          "you call.") +
           CR + CR + QStringLiteral("Hint: Print this form so you have it handy when ordering.");
}

QWidget* NextFocus(QWidget* w)
{
    w = w->nextInFocusChain();
    while (w->focusPolicy() == Qt::NoFocus || !w->isVisibleTo(w->window()))
        w = w->nextInFocusChain();
    return w;
}

// Every label of the window shows its whole text within the window.
void VerifyTextsFit(QWidget* window)
{
    for (QLabel* l : window->findChildren<QLabel*>()) {
        if (!l->isVisibleTo(window) || l->text().isEmpty())
            continue;
        const QRect r = l->geometry();
        QVERIFY2(window->rect().contains(r), qPrintable(l->objectName()));
        if (!l->wordWrap()) {
            QVERIFY2(l->fontMetrics().horizontalAdvance(l->text()) <= r.width(),
                     qPrintable(l->objectName() + QStringLiteral(": ") + l->text()));
        } else {
            QVERIFY2(l->heightForWidth(r.width()) <= r.height(), qPrintable(l->objectName()));
        }
    }
    for (QPushButton* b : window->findChildren<QPushButton*>())
        QVERIFY2(window->rect().contains(b->geometry()), qPrintable(b->objectName()));
}

} // namespace

class TestOrderFront : public QObject
{
    Q_OBJECT
private slots:
    void init() { fixture = std::make_unique<Fixture>(); }
    void cleanup() { fixture.reset(); }

    void chooserLooks();
    void chooserReadsEveryValueInOrder();
    void noIniGivesDefaults();
    void longValuesAreCut();
    void odditiesOfTheFile();
    void instructionsText_data();
    void instructionsText();
    void nextWithNothingChosen();
    void nextOpensTheChosenWindow_data();
    void nextOpensTheChosenWindow();
    void bothPhoneOptionsBringTheSameWindow();
    void cancelOnChooserKeepsOtherWindows();
    void closedWindowIsBuiltAfresh();
    void phoneLooks();
    void webLooksAndLinkOpensOrderPage();
    void webWithoutIni();
    void windowsAreCentred();
    void iniPathHasOneSeparator();

private:
    order* start()
    {
        order* o = Show<order>();
        return o;
    }
    std::unique_ptr<Fixture> fixture;
};

void TestOrderFront::chooserLooks()
{
    fixture->writeIni(FullIni());
    order* o = start();
    QCOMPARE(o->windowTitle(), QStringLiteral("Order Now"));
    QCOMPARE(o->objectName(), QStringLiteral("order"));
    QCOMPARE(Caption(o->Label2), QStringLiteral("You can order with your Credit Card from Quorvex "
                                                "using one of the following ways: "));
    QCOMPARE(o->Frame1->title(),
             QStringLiteral("Click to select an option and then click the Next button"));
    const QList<QRadioButton*> options{o->Option1, o->Option2, o->Option3,
                                       o->Option4, o->Option5, o->Option6};
    const QStringList texts{"Toll Free Phone Call (US Only)",
                            "Toll Phone Call (US and International)",
                            "FAX",
                            "Order Online (using a Secure Server)",
                            "E-Mail (With Credit Card Number Encryption)",
                            "Regular Mail"};
    for (int i = 0; i < 6; ++i) {
        QCOMPARE(options[i]->text(), texts[i]);
        QVERIFY(!options[i]->isChecked());
    }
    // One group: setting one clears the other.
    o->Option2->setChecked(true);
    o->Option4->setChecked(true);
    QVERIFY(!o->Option2->isChecked());
    QCOMPARE(o->btnCancel->text(), QStringLiteral("Cancel"));
    QCOMPARE(o->btnNext->text(), QStringLiteral("Next"));
    QVERIFY(!o->btnNext->isDefault() && !o->btnNext->autoDefault());
    QCOMPARE(o->Image1->pixmap().size(), QSize(200, 31));
    QCOMPARE(o->palette().color(QPalette::Window), QColor(Qt::white));
    QCOMPARE(o->font().family(), QStringLiteral("Arial"));
    QVERIFY(o->font().bold());
    // Tab order: the options, Next, Cancel.
    QList<QWidget*> chain;
    QWidget* w = o->Option1;
    for (int i = 0; i < 8; ++i, w = w->nextInFocusChain()) {
        while (w->focusPolicy() == Qt::NoFocus)
            w = w->nextInFocusChain();
        chain.append(w);
    }
    const QList<QWidget*> expected{o->Option1, o->Option2, o->Option3, o->Option4,
                                   o->Option5, o->Option6, o->btnNext, o->btnCancel};
    QCOMPARE(chain, expected);
    QCOMPARE(Caption(o->Label4), QStringLiteral("Free updates for a year."));
    VerifyTextsFit(o);
}

void TestOrderFront::chooserReadsEveryValueInOrder()
{
    MemoryProfileReader reader;
    Services s;
    s.profile = &reader;
    s.messages = &fixture->messages;
    setServices(s);
    start();
    const QStringList expected{
        "AuthorInfo/AuthorName/Author/50", "AuthorInfo/AuthorEmail/Author/50",
        "AuthorInfo/AuthorPhone//50",      "ProgramInfo/Program1ID//50",
        "ProgramInfo/Program1Name//50",    "ProgramInfo/Program1Price//50",
        "ProgramInfo/Program2Name//50",    "ProgramInfo/Program2Price//50",
        "ProgramInfo/Program3Name//50",    "ProgramInfo/Program3Price//50",
        "SerialNumbers/Serial1//50",       "SerialNumbers/Serial2//50",
        "SerialNumbers/Serial3//50",       "AuthorInfo/Comments//200"};
    QStringList got;
    for (const auto& r : reader.requests) {
        got.append(r.section + u'/' + r.key + u'/' + r.defaultValue + u'/' +
                   QString::number(r.bufferSize));
        QCOMPARE(r.fileName, fixture->folder.filePath(QStringLiteral("order.ini")));
    }
    QCOMPARE(got, expected);
}

void TestOrderFront::noIniGivesDefaults()
{
    start()->Option1->setChecked(true);
    Existing<order>()->btnNext_Click();
    phone* p = Existing<phone>();
    QVERIFY(p);
    QCOMPARE(Caption(p->Label1), Instructions("Author", "Author", "", ""));
    for (QLabel* l : {p->Label2, p->Label9, p->Label6, p->Label10, p->Label7, p->Label11})
        QCOMPARE(Caption(l), QString());
    for (QLineEdit* b : {p->Text6, p->Text5, p->Text9})
        QCOMPARE(b->text(), QString());
    QCOMPARE(Caption(Existing<order>()->Label4), QString());
    QVERIFY(fixture->messages.shown.isEmpty());
}

void TestOrderFront::longValuesAreCut()
{
    const QByteArray v49(49, 'n');
    const QByteArray v60 = QByteArray(49, 'p') + QByteArray(11, 'q');
    QByteArray comment;
    for (int i = 0; i < 250; ++i)
        comment += char('a' + i % 26);
    fixture->writeIni("[AuthorInfo]\nAuthorName=" + v49 + "\nComments=" + comment +
                      "\n[ProgramInfo]\nProgram1Name=" + v60 + "\n");
    start();
    QCOMPARE(OrderSettings.AuthorName, QString::fromLatin1(v49));
    QCOMPARE(OrderSettings.Program1Name, QString::fromLatin1(v49.left(0) + QByteArray(49, 'p')));
    QCOMPARE(Caption(Existing<order>()->Label4), QString::fromLatin1(comment.left(199)));
    // The comment grows downward and stays within the window, above the buttons.
    order* o = Existing<order>();
    QVERIFY(o->Label4->geometry().bottom() < o->btnNext->geometry().top());
    VerifyTextsFit(o);
}

void TestOrderFront::odditiesOfTheFile()
{
    fixture->writeIni("[authorinfo]\r\nAUTHOREMAIL=\r\n[PROGRAMINFO]\r\n"
                      "program1price =   $19.95   \r\nProgram1Name=\"Quoted Name\"\r\n");
    start();
    QCOMPARE(OrderSettings.AuthorName, QStringLiteral("Author"));
    QCOMPARE(OrderSettings.AuthorEmail, QString());
    QCOMPARE(OrderSettings.Program1Price, QStringLiteral("$19.95"));
    QCOMPARE(OrderSettings.Program1Name, QStringLiteral("Quoted Name"));
}

void TestOrderFront::instructionsText_data()
{
    QTest::addColumn<QByteArray>("author");
    QTest::addColumn<QString>("expected");
    QTest::newRow("full") << QByteArray("AuthorName=Pat\nAuthorEmail=p@example.org\n"
                                        "AuthorPhone=555-0100\n[ProgramInfo]\nProgram1ID=17\n")
                          << Instructions("Pat", "p@example.org", "555-0100", "17");
    QTest::newRow("no e-mail, no phone")
        << QByteArray("AuthorName=Pat\nAuthorEmail=\nAuthorPhone=\n[ProgramInfo]\nProgram1ID=17\n")
        << Instructions("Pat", "", "", "17");
    QTest::newRow("empty id") << QByteArray("AuthorName=Pat\nAuthorEmail=e\nAuthorPhone=1\n")
                              << Instructions("Pat", "e", "1", "");
}

void TestOrderFront::instructionsText()
{
    QFETCH(QByteArray, author);
    QFETCH(QString, expected);
    fixture->writeIni("[AuthorInfo]\n" + author);
    start()->Option2->setChecked(true);
    Existing<order>()->btnNext->click();
    phone* p = Existing<phone>();
    QVERIFY(p);
    QCOMPARE(Caption(p->Label1), expected);
    QCOMPARE(phone::InstructionsText(), expected);
    // Shown on several lines: every carriage return is a line break on screen.
    QCOMPARE(p->Label1->text(), QString(expected).replace(u'\r', u'\n'));
    VerifyTextsFit(p);
}

void TestOrderFront::nextWithNothingChosen()
{
    fixture->writeIni(FullIni());
    order* o = start();
    const auto before = QApplication::topLevelWidgets().size();
    o->btnNext->click();
    QCoreApplication::processEvents();
    QCOMPARE(QApplication::topLevelWidgets().size(), before);
    QCOMPARE(Fixture::visibleWindows(), 1);
    QVERIFY(fixture->messages.shown.isEmpty());
}

void TestOrderFront::nextOpensTheChosenWindow_data()
{
    QTest::addColumn<int>("option");
    QTest::addColumn<QString>("object");
    QTest::addColumn<QString>("caption");
    QTest::newRow("1") << 1 << "phone"
                       << "Credit Card Phone Orders";
    QTest::newRow("2") << 2 << "phone"
                       << "Credit Card Phone Orders";
    QTest::newRow("3") << 3 << "fax"
                       << "FAX Order";
    QTest::newRow("4") << 4 << "web"
                       << "Online Credit Card Orders Using Secure Server";
    QTest::newRow("5") << 5 << "email"
                       << "E-Mail Order";
    QTest::newRow("6") << 6 << "mail"
                       << "Mail Order";
}

void TestOrderFront::nextOpensTheChosenWindow()
{
    QFETCH(int, option);
    QFETCH(QString, object);
    QFETCH(QString, caption);
    fixture->writeIni(FullIni());
    order* o = start();
    o->findChild<QRadioButton*>(QStringLiteral("Option") + QString::number(option))
        ->setChecked(true);
    QTest::mouseClick(o->btnNext, Qt::LeftButton);
    QCOMPARE(Fixture::visibleWindows(), 2);
    QWidget* shown = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w != o)
            shown = w;
    QVERIFY(shown);
    QCOMPARE(shown->objectName(), object);
    QCOMPARE(shown->windowTitle(), caption);
    QVERIFY(!shown->isModal());
    QVERIFY(!shown->parentWidget());
    QVERIFY(o->isVisible()); // the chooser stays
}

void TestOrderFront::bothPhoneOptionsBringTheSameWindow()
{
    fixture->writeIni(FullIni());
    order* o = start();
    o->Option1->setChecked(true);
    o->btnNext->click();
    phone* first = Existing<phone>();
    QVERIFY(first);
    first->Text5->setText(QStringLiteral("TYPED"));
    o->Option2->setChecked(true);
    o->btnNext->click();
    QCOMPARE(Existing<phone>(), first);
    QCOMPARE(first->Text5->text(), QStringLiteral("TYPED"));
    QCOMPARE(Fixture::visibleWindows(), 2);
}

void TestOrderFront::cancelOnChooserKeepsOtherWindows()
{
    fixture->writeIni(FullIni());
    order* o = start();
    o->Option1->setChecked(true);
    o->btnNext->click();
    QPointer<order> chooser(o);
    // Run the program's event loop as main does: it must end only when the phone window,
    // the last one, has closed.
    bool phoneOpenAfterCancel = false;
    bool timedOut = false;
    QTimer::singleShot(0, o->btnCancel, &QPushButton::click);
    QTimer::singleShot(200, qApp, [&] {
        phoneOpenAfterCancel =
            chooser.isNull() && Existing<phone>() && Existing<phone>()->isVisible();
        if (Existing<phone>())
            Existing<phone>()->Command2->click();
    });
    QTimer watchdog;
    watchdog.setSingleShot(true);
    connect(&watchdog, &QTimer::timeout, qApp, [&] {
        timedOut = true;
        QCoreApplication::exit(1);
    });
    watchdog.start(30000);
    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(!timedOut);
    QVERIFY(phoneOpenAfterCancel);
    QTRY_VERIFY(!Existing<phone>());
}

void TestOrderFront::closedWindowIsBuiltAfresh()
{
    fixture->writeIni(FullIni());
    order* o = start();
    o->Option4->setChecked(true);
    o->btnNext->click();
    web* w = Existing<web>();
    w->Text6->setText(QStringLiteral("LOST"));
    QPointer<web> old(w);
    w->close(); // the close box
    // Next again at once, before the closed window is gone: a new one.
    o->btnNext->click();
    QVERIFY(Existing<web>() && Existing<web>() != w);
    QCOMPARE(Existing<web>()->Text6->text(), QStringLiteral("SW-1001"));
    QTRY_VERIFY(old.isNull());
    QVERIFY(Existing<web>() && Existing<web>()->isVisible());
}

void TestOrderFront::phoneLooks()
{
    fixture->writeIni(FullIni());
    start();
    phone* p = Show<phone>();
    QCOMPARE(Caption(p->Label4), QStringLiteral("Program"));
    QCOMPARE(Caption(p->Label5), QStringLiteral("Price"));
    QCOMPARE(Caption(p->Label3), QStringLiteral("Enter Serial No."));
    QCOMPARE(Caption(p->Label2), QStringLiteral("Sample Writer"));
    QCOMPARE(Caption(p->Label9), QStringLiteral("$29.95"));
    QCOMPARE(Caption(p->Label6), QStringLiteral("Spell Pack"));
    QCOMPARE(Caption(p->Label10), QStringLiteral("$9.95"));
    QCOMPARE(Caption(p->Label7), QStringLiteral("Printed Manual"));
    QCOMPARE(Caption(p->Label11), QStringLiteral("$14.50"));
    QCOMPARE(p->Text6->text(), QStringLiteral("SW-1001"));
    QCOMPARE(p->Text5->text(), QStringLiteral("SP-2002"));
    QCOMPARE(p->Text9->text(), QStringLiteral("SM-3003"));
    QVERIFY(!p->Text6->hasFrame());
    QVERIFY(!p->Text6->isReadOnly());
    QVERIFY(p->Label9->alignment() & Qt::AlignHCenter);
    QCOMPARE(p->Command1->text(), QStringLiteral("Print"));
    QCOMPARE(p->Command2->text(), QStringLiteral("Cancel"));
    QVERIFY(p->Command2->x() < p->Command1->x());
    QCOMPARE(p->findChildren<QWidget*>(QRegularExpression("^Line[1-9]$")).size(), 9);
    QCOMPARE(QApplication::focusWidget() ? QApplication::focusWidget() : p->focusWidget(),
             p->Text6);
    QCOMPARE(NextFocus(p->Text6), p->Text5);
    QCOMPARE(NextFocus(p->Text5), p->Text9);
    QCOMPARE(NextFocus(p->Text9), p->Command1);
    QCOMPARE(NextFocus(p->Command1), p->Command2);
    VerifyTextsFit(p);
}

void TestOrderFront::webLooksAndLinkOpensOrderPage()
{
    fixture->writeIni(FullIni());
    start();
    web* w = Show<web>();
    QCOMPARE(Caption(w->Label1), QStringLiteral("Click the hyperlink below to order online using "
                                                "our order web site secure server."));
    QCOMPARE(Caption(w->Label8),
             QStringLiteral("Please make sure you are online (signed on) before clicking the link "
                            "below. Or visit our order web site at ") +
                 OrderDesk::WebSite + QStringLiteral(" when you are online."));
    QCOMPARE(w->Label8->palette().color(QPalette::WindowText), QColor(Qt::red));
    QCOMPARE(Caption(w->Label12), OrderDesk::WebSite);
    QVERIFY(w->Label12->font().underline());
    QCOMPARE(w->Label12->palette().color(QPalette::WindowText), QColor(Qt::blue));
    QCOMPARE(w->Label12->cursor().shape(), Qt::PointingHandCursor);
    QCOMPARE(Caption(w->Label13), QStringLiteral("Thank you!"));
    QCOMPARE(Caption(w->Label2), QStringLiteral("Sample Writer"));
    QCOMPARE(w->Text9->text(), QStringLiteral("SM-3003"));
    QVERIFY(!w->findChild<QPushButton*>(QStringLiteral("Command1"))); // no Print here
    VerifyTextsFit(w);

    QTest::mouseClick(w->Label12, Qt::LeftButton);
    QTest::mouseClick(w->Label12, Qt::LeftButton);
    const QString page = OrderDesk::WebSite + QStringLiteral("/html/order.htm");
    QCOMPARE(fixture->desktop.opened, QStringList({page, page}));
    QCOMPARE(fixture->desktop.owners.value(0), QPointer<QWidget>(w));
    QVERIFY(page != Caption(w->Label12));
    QVERIFY(fixture->messages.shown.isEmpty());
}

void TestOrderFront::webWithoutIni()
{
    start();
    web* w = Show<web>();
    for (QLabel* l : {w->Label2, w->Label9, w->Label6, w->Label10, w->Label7, w->Label11})
        QCOMPARE(Caption(l), QString());
    QTest::mouseClick(w->Label12, Qt::LeftButton);
    QCOMPARE(fixture->desktop.opened.size(), 1);
}

void TestOrderFront::windowsAreCentred()
{
    fixture->writeIni(FullIni());
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    QList<QWidget*> windows{start(), Show<phone>(), Show<web>()};
    for (QWidget* w : windows) {
        QCOMPARE(w->x(), (screen.width() - w->frameGeometry().width()) / 2);
        QCOMPARE(w->y(), (screen.height() - w->frameGeometry().height()) / 2);
        QCOMPARE(w->minimumSize(), w->maximumSize()); // fixed size
    }
}

void TestOrderFront::iniPathHasOneSeparator()
{
    SetProgramFolder(QStringLiteral("/"));
    QCOMPARE(OrderIniPath(), QStringLiteral("/order.ini"));
    SetProgramFolder(QStringLiteral("/opt/x"));
    QCOMPARE(OrderIniPath(), QStringLiteral("/opt/x/order.ini"));
    SetProgramFolder(fixture->folder.path());
}

QTEST_MAIN(TestOrderFront)
#include "tst_orderfront.moc"
