// The e-mail order: the 25-line text with the scrambled card number, on the real clipboard.
// Runs offscreen (Qt's in-process clipboard) and on X11, where the order is reached with the
// pointer and another program reads the clipboard back.

#include "OrderDesk.h"
#include "OrderTestSupport.h"
#include "email.h"
#include "order.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QElapsedTimer>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QStandardPaths>

// Xlib after Qt: its macros clash with Qt's names.
#include "PointerClicks.h"

using namespace ordertest;

namespace {

void Fill(email* e)
{
    e->Text1->setText(QStringLiteral("Alex Sample"));
    e->Text17->setText(QStringLiteral("42 Fictional Road"));
    e->Text16->setText(QStringLiteral("Apartment 7"));
    e->Text2->setText(QStringLiteral("Sampleton"));
    e->Text14->setText(QStringLiteral("WI"));
    e->Text15->setText(QStringLiteral("53799"));
    e->Text18->setText(QStringLiteral("USA"));
    e->Text3->setText(QStringLiteral("(555) 555-0199"));
    e->Text4->setText(QStringLiteral("alex@example.com"));
    e->Text10->setText(QStringLiteral("1"));
    e->Text11->setText(QStringLiteral("2"));
    e->Text12->setText(QStringLiteral("3"));
    e->Text6->setText(QStringLiteral("TYPED-1"));
    e->Text7->setText(QStringLiteral("4111 1111 1111 1111"));
    e->Text8->setText(QStringLiteral("12/29"));
}

QByteArray ClipboardBytes()
{
    const QMimeData* data = QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard);
    return data ? data->text().toUtf8() : QByteArray();
}

} // namespace

class TestEmailOrder : public QObject
{
    Q_OBJECT
private slots:
    void init() { fixture = Fixture::withChooserShown(); }
    void cleanup() { fixture.reset(); }

    void fullFormExactText();
    void emptyOptionalFieldsAndOneProduct();
    void copyTwiceGivesSameText();
    void changedCardGivesNewLine();
    void invalidFormLeavesClipboard();
    void clipboardFailureIsReported();
    void cardBeyondSingleByteIsRefused();
    void readByAnotherProgram();

private:
    std::unique_ptr<Fixture> fixture;
};

void TestEmailOrder::fullFormExactText()
{
    email* e = Show<email>();
    Fill(e);
    QTest::mouseClick(e->Command3, Qt::LeftButton);

    const QByteArray expected = "***E-Mail This To: ORDERS@QUORVEX.EXAMPLE***\r\n"
                                "\r\n"
                                "Name: Alex Sample\r\n"
                                "Street1: 42 Fictional Road\r\n"
                                "Street2: Apartment 7\r\n"
                                "City: Sampleton\r\n"
                                "State: WI\r\n"
                                "Zip: 53799\r\n"
                                "Country: USA\r\n"
                                "Phone: (555) 555-0199\r\n"
                                "E-Mail: alex@example.com\r\n"
                                "Qty1: 1\r\n"
                                "Program1: Sample Writer\r\n"
                                "Price1: $29.95\r\n"
                                "Ser.No.1: TYPED-1\r\n"
                                "Qty2: 2\r\n"
                                "Program2: Spell Pack\r\n"
                                "Price2: $9.95\r\n"
                                "Ser.No.2: SP-2002\r\n"
                                "Qty3: 3\r\n"
                                "Program3: Printed Manual\r\n"
                                "Price3: $14.50\r\n"
                                "Ser.No.3: SM-3003\r\n"
                                "CC Number: E2577995CE437399C544779BF55F6CABE75779\r\n"
                                "CC Exp. Date: 12/29";
    QCOMPARE(ClipboardBytes(), expected);
    QCOMPARE(e->Text13->text().toUtf8(), expected);
    QVERIFY(!e->Text13->isVisible());
    QVERIFY(!ClipboardBytes().contains("4111"));
    QCOMPARE(CardHex, QStringLiteral("E2577995CE437399C544779BF55F6CABE75779"));
    QCOMPARE(CardText.size(), 19);
    QCOMPARE(expected.count("\r\n"), 24);

    QCOMPARE(fixture->messages.shown.size(), 1);
    const ShownMessage m = fixture->messages.shown.front();
    QCOMPARE(m.text, QStringLiteral("Your message was copied to Windows clipboard. Open your "
                                    "e-mail message window and Paste the order into it. Then "
                                    "e-mail to Orders@quorvex.example"));
    QCOMPARE(m.title, QStringLiteral("Order By E-mail"));
    QCOMPARE(m.style, MessageStyle::Information);
    // The window stays as it was, the card number in plain.
    QVERIFY(e->isVisible());
    QCOMPARE(e->Text7->text(), QStringLiteral("4111 1111 1111 1111"));
}

void TestEmailOrder::emptyOptionalFieldsAndOneProduct()
{
    fixture->writeIni("[ProgramInfo]\nProgram1Name=Only One\nProgram1Price=10\n");
    Fixture::CloseAll();
    Show<order>();
    email* e = Show<email>();
    e->Text1->setText(QStringLiteral(" "));
    e->Text17->setText(QStringLiteral("s"));
    e->Text2->setText(QStringLiteral("c"));
    e->Text14->setText(QStringLiteral("st"));
    e->Text15->setText(QStringLiteral("z"));
    e->Text3->setText(QStringLiteral("p"));
    e->Text4->setText(QStringLiteral("m"));
    e->Text10->setText(QStringLiteral("1"));
    e->Text7->setText(QStringLiteral("5abcdefghijklmno"));
    e->Text8->setText(QStringLiteral("zz"));
    QTest::mouseClick(e->Command3, Qt::LeftButton);
    QString card = QStringLiteral("5abcdefghijklmno");
    ScrambleText(card);
    const QByteArray expected = "***E-Mail This To: ORDERS@QUORVEX.EXAMPLE***\r\n\r\n"
                                "Name:  \r\nStreet1: s\r\nStreet2: \r\nCity: c\r\nState: st\r\n"
                                "Zip: z\r\nCountry: \r\nPhone: p\r\nE-Mail: m\r\n"
                                "Qty1: 1\r\nProgram1: Only One\r\nPrice1: 10\r\nSer.No.1: \r\n"
                                "Qty2: \r\nProgram2: \r\nPrice2: \r\nSer.No.2: \r\n"
                                "Qty3: \r\nProgram3: \r\nPrice3: \r\nSer.No.3: \r\n"
                                "CC Number: " +
                                HexText(card).toLatin1() + "\r\nCC Exp. Date: zz";
    QCOMPARE(ClipboardBytes(), expected);
    QCOMPARE(ClipboardBytes().split('\n').size(), 25);
    QCOMPARE(HexText(card).size(), 32);
}

void TestEmailOrder::copyTwiceGivesSameText()
{
    email* e = Show<email>();
    Fill(e);
    QTest::mouseClick(e->Command3, Qt::LeftButton);
    const QByteArray first = ClipboardBytes();
    QGuiApplication::clipboard()->setText(QStringLiteral("something else"));
    QTest::mouseClick(e->Command3, Qt::LeftButton);
    QCOMPARE(ClipboardBytes(), first);
    QCOMPARE(fixture->messages.shown.size(), 2);
}

void TestEmailOrder::changedCardGivesNewLine()
{
    email* e = Show<email>();
    Fill(e);
    QTest::mouseClick(e->Command3, Qt::LeftButton);
    const QByteArray first = ClipboardBytes();
    e->Text7->setText(QStringLiteral("5500000000000004"));
    QTest::mouseClick(e->Command3, Qt::LeftButton);
    const QByteArray second = ClipboardBytes();
    QVERIFY(!second.contains("E2577995CE43"));
    QVERIFY(second.contains("\r\nCC Number: E3537894DE427298C454769AF45E7CAE\r\n"));
    // Only that line changed.
    QList<QByteArray> a = first.split('\n');
    QList<QByteArray> b = second.split('\n');
    QCOMPARE(a.size(), b.size());
    for (int i = 0; i < a.size(); ++i)
        if (i != 23)
            QCOMPARE(a[i], b[i]);
}

void TestEmailOrder::invalidFormLeavesClipboard()
{
    QGuiApplication::clipboard()->setText(QStringLiteral("held before"));
    email* e = Show<email>();
    Fill(e);
    e->Text1->clear();
    QTest::mouseClick(e->Command3, Qt::LeftButton);
    QCOMPARE(fixture->messages.shown.size(), 1);
    QCOMPARE(fixture->messages.shown.front().text, QStringLiteral("Name is Required"));
    QCOMPARE(ClipboardBytes(), QByteArray("held before"));
    QCOMPARE(e->Text13->text(), QString());
}

void TestEmailOrder::clipboardFailureIsReported()
{
    RecordingClipboard broken;
    broken.fail = true;
    Services s;
    s.messages = &fixture->messages;
    s.clipboard = &broken;
    setServices(s);
    email* e = Show<email>();
    Fill(e);
    QTest::mouseClick(e->Command3, Qt::LeftButton);
    QCOMPARE(fixture->messages.shown.size(), 1);
    const ShownMessage m = fixture->messages.shown.front();
    QVERIFY(m.text.contains(QStringLiteral("could not be copied to the clipboard")));
    QCOMPARE(m.style, MessageStyle::Exclamation);
    QVERIFY(e->isVisible());
    QCOMPARE(e->Text7->text(), QStringLiteral("4111 1111 1111 1111"));
}

void TestEmailOrder::cardBeyondSingleByteIsRefused()
{
    QGuiApplication::clipboard()->setText(QStringLiteral("held before"));
    email* e = Show<email>();
    Fill(e);
    e->Text7->setText(QString::fromUtf8("4111\xE2\x80\x93"
                                        "1111\xE2\x80\x93"
                                        "1111\xE2\x80\x93"
                                        "1111"));
    QTest::mouseClick(e->Command3, Qt::LeftButton);
    QCOMPARE(fixture->messages.shown.size(), 1);
    QCOMPARE(fixture->messages.shown.front().text,
             QStringLiteral("Credit Card Number is Incorrect.\rIt holds characters that cannot "
                            "be sent."));
    QCOMPARE(fixture->messages.shown.front().title, QStringLiteral("Order"));
    QCOMPARE(ClipboardBytes(), QByteArray("held before"));
}

void TestEmailOrder::readByAnotherProgram()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        QSKIP("needs an X display: the X11 run of this suite covers it");
    const QString xclip = QStandardPaths::findExecutable(QStringLiteral("xclip"));
    if (xclip.isEmpty())
        QFAIL("xclip is not installed (scripts/apt-packages.txt)");
    // As a person does it, with the pointer, wherever the window manager or
    // sway has put each window: the e-mail way chosen, NEXT, Copy. (On
    // GNOME's and KDE Plasma's sessions by Qt's own clicks.)
    const bool byPointer =
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") || qEnvironmentVariableIsSet("SWAYSOCK");
    const auto click = [byPointer](QAbstractButton* button) {
        if (!byPointer) {
            QTest::mouseClick(button, Qt::LeftButton);
            return true;
        }
        return QTest::qWaitForWindowExposed(button->window()) &&
               pointer::clickButton(button, 30000);
    };
    order* chooser = Existing<order>();
    QVERIFY(click(chooser->Option5));
    QTRY_VERIFY_WITH_TIMEOUT(chooser->Option5->isChecked(), 30000);
    QVERIFY(click(chooser->btnNext));
    QTRY_VERIFY_WITH_TIMEOUT(Existing<email>() && Existing<email>()->isVisible(), 30000);
    email* e = Existing<email>();
    Fill(e);
    // The window has the keyboard, as after a click in it. (A Wayland
    // compositor hands an X11 program's clipboard on only from the window
    // that has it.)
    e->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(e));
    QVERIFY(click(e->Command3));
    QTRY_VERIFY_WITH_TIMEOUT(!e->Text13->text().isEmpty(), 30000);
    const QByteArray expected = e->Text13->text().toUtf8();
    QCOMPARE(expected.count("\r\n"), 24);

    // The other program asks us for the text: keep the event loop running meanwhile.
    QProcess reader;
    QSignalSpy finished(&reader, &QProcess::finished);
    reader.start(xclip,
                 {QStringLiteral("-o"), QStringLiteral("-selection"), QStringLiteral("clipboard"),
                  QStringLiteral("-t"), QStringLiteral("UTF8_STRING")});
    QVERIFY(finished.wait(30000));
    QCOMPARE(reader.exitCode(), 0);
    QCOMPARE(reader.readAllStandardOutput(), expected);

    // On a Wayland session a native program pastes it through the compositor,
    // which takes the text over from the X server a moment after the copy: a
    // paste tried before that finds nothing (or waits for something).
    if (qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return;
    QByteArray pasted;
    QElapsedTimer clock;
    clock.start();
    while (pasted.isEmpty() && clock.elapsed() < 30000) {
        QProcess wayland;
        QSignalSpy ended(&wayland, &QProcess::finished);
        wayland.start(QStringLiteral("wl-paste"),
                      {QStringLiteral("--no-newline"), QStringLiteral("--type"),
                       QStringLiteral("text/plain;charset=utf-8")});
        QVERIFY2(wayland.waitForStarted(), "wl-paste (package wl-clipboard) is missing");
        if (ended.wait(5000) && wayland.exitCode() == 0)
            pasted = wayland.readAllStandardOutput();
        else
            QTest::qWait(100);
        wayland.kill();
        wayland.waitForFinished();
    }
    QCOMPARE(pasted, expected);
}

QTEST_MAIN(TestEmailOrder)
#include "tst_emailorder.moc"
