// The checks of the e-mail, fax and mail order forms, in every window.

#include "OrderTestSupport.h"
#include "email.h"
#include "fax.h"
#include "mail.h"
#include "order.h"

#include <QLineEdit>
#include <QPushButton>

using namespace ordertest;

namespace {

using Entries = QMap<QString, QString>;

// Only the required fields, all valid.
Entries Required()
{
    return {{"name", "Alex Sample"},
            {"street1", "42 Fictional Road"},
            {"city", "Sampleton"},
            {"state", "WI"},
            {"zip", "53799"},
            {"phone", "555-0199"},
            {"email", "a@example.com"},
            {"qty1", "1"},
            {"card", "4111111111111111"},
            {"expiry", "12/29"}};
}

QLineEdit* Box(OrderForm* f, const QString& role)
{
    const QMap<QString, QLineEdit*> boxes{
        {"name", f->nameBox},          {"street1", f->street1Box},    {"street2", f->street2Box},
        {"city", f->cityBox},          {"state", f->stateBox},        {"zip", f->zipBox},
        {"country", f->countryBox},    {"phone", f->phoneBox},        {"email", f->emailBox},
        {"qty1", f->quantityBoxes[0]}, {"qty2", f->quantityBoxes[1]}, {"qty3", f->quantityBoxes[2]},
        {"card", f->cardBox},          {"expiry", f->expiryBox}};
    return boxes.value(role);
}

OrderForm* Open(const QString& kind)
{
    if (kind == QLatin1String("email"))
        return Show<email>();
    if (kind == QLatin1String("fax"))
        return Show<fax>();
    return Show<mail>();
}

const QString TwoLine = QStringLiteral("Credit Card Number is Incorrect.\rWe accept Visa and "
                                       "Master Card Only");

} // namespace

class TestValidation : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        fixture = Fixture::withChooserShown();
        clipboard = RecordingClipboard{};
        Services s;
        s.messages = &fixture->messages;
        s.printer = &fixture->printer;
        s.clipboard = &clipboard;
        setServices(s);
        fixture->printer.answer = PrinterChoice::Cancelled; // a pass goes no further
    }
    void cleanup() { fixture.reset(); }

    void checks_data();
    void checks();
    void everyEmptyBoxReportsNameOnly();
    void focusAndWindowUnchanged();

private:
    std::unique_ptr<Fixture> fixture;
    RecordingClipboard clipboard;
};

void TestValidation::checks_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<Entries>("entries");
    QTest::addColumn<QString>("message"); // empty: the form passes

    struct Case
    {
        const char* name;
        Entries changes;
        QString message;
    };
    const QList<Case> cases{
        {"name empty", {{"name", ""}}, "Name is Required"},
        {"street empty", {{"street1", ""}}, "Address is Required"},
        {"city empty", {{"city", ""}}, "City is Required"},
        {"state empty", {{"state", ""}}, "State is Required"},
        {"zip empty", {{"zip", ""}}, "Zip/Postal Code is Required"},
        {"phone empty", {{"phone", ""}}, "Phone Number is Required"},
        {"e-mail empty", {{"email", ""}}, "E-Mail Address is Required"},
        {"quantity 1 empty", {{"qty1", ""}}, "Quantity is Required"},
        {"card empty", {{"card", ""}}, "Credit Card Number is Required"},
        {"expiry empty", {{"expiry", ""}}, "Credit Card Expiration is Required"},
        {"card and expiry empty: card first",
         {{"card", ""}, {"expiry", ""}},
         "Credit Card Number is Required"},
        {"name and card empty: name first", {{"name", ""}, {"card", ""}}, "Name is Required"},
        {"15 characters", {{"card", "411111111111111"}}, "Credit Card Number is Incorrect"},
        {"16 starting with 3", {{"card", "3111111111111111"}}, TwoLine},
        {"16 starting with a blank", {{"card", " 411111111111111"}}, TwoLine},
        {"16 starting with a letter", {{"card", "x411111111111111"}}, TwoLine},
        {"15 starting with 3 is too short first",
         {{"card", "311111111111111"}},
         "Credit Card Number is Incorrect"},
        {"only required fields", {}, ""},
        {"single blank name", {{"name", " "}}, ""},
        {"blanks only pass every empty check",
         {{"name", " "},
          {"street1", " "},
          {"city", " "},
          {"state", " "},
          {"zip", " "},
          {"phone", " "},
          {"email", " "},
          {"qty1", " "},
          {"expiry", " "}},
         ""},
        {"19 with blanks starting with 4", {{"card", "4111 1111 1111 1111"}}, ""},
        {"16 letters starting with 5", {{"card", "5abcdefghijklmno"}}, ""},
        {"very long card starting with 5", {{"card", QString(300, u'5')}}, ""},
        {"two-letter expiry", {{"expiry", "zz"}}, ""},
        {"optional fields ignored",
         {{"street2", ""}, {"country", ""}, {"qty2", "?"}, {"qty3", ""}},
         ""},
    };
    for (const char* kind : {"email", "fax", "mail"})
        for (const Case& c : cases) {
            Entries e = Required();
            for (auto it = c.changes.begin(); it != c.changes.end(); ++it)
                e[it.key()] = it.value();
            QTest::addRow("%s: %s", kind, c.name) << QString::fromLatin1(kind) << e << c.message;
        }
}

void TestValidation::checks()
{
    QFETCH(QString, kind);
    QFETCH(Entries, entries);
    QFETCH(QString, message);
    OrderForm* f = Open(kind);
    for (QLineEdit* b : {f->serialBoxes[0], f->serialBoxes[1], f->serialBoxes[2]})
        b->clear(); // never looked at
    for (auto it = entries.begin(); it != entries.end(); ++it)
        Box(f, it.key())->setText(it.value());

    QCOMPARE(f->ValidateForm(), message.isEmpty() ? 1 : 0);
    if (message.isEmpty()) {
        QVERIFY(fixture->messages.shown.isEmpty());
    } else {
        QCOMPARE(fixture->messages.shown.size(), 1);
        QCOMPARE(fixture->messages.shown.front().text, message);
        QCOMPARE(fixture->messages.shown.front().title, QStringLiteral("Order"));
        QCOMPARE(fixture->messages.shown.front().style, MessageStyle::Exclamation);
    }

    // The action button runs the same checks first and goes on only when they pass.
    fixture->messages.shown.clear();
    QTest::mouseClick(f->Command3, Qt::LeftButton);
    const bool wentOn =
        kind == QLatin1String("email") ? !clipboard.texts.isEmpty() : fixture->printer.dialogs > 0;
    QCOMPARE(wentOn, message.isEmpty());
    if (!message.isEmpty())
        QCOMPARE(fixture->messages.shown.value(0).text, message);
    // Nothing is trimmed or changed.
    for (auto it = entries.begin(); it != entries.end(); ++it)
        QCOMPARE(Box(f, it.key())->text(), it.value());
}

void TestValidation::everyEmptyBoxReportsNameOnly()
{
    for (const char* kind : {"email", "fax", "mail"}) {
        fixture->messages.shown.clear();
        OrderForm* f = Open(QLatin1String(kind));
        QTest::mouseClick(f->Command3, Qt::LeftButton);
        QCOMPARE(fixture->messages.shown.size(), 1);
        QCOMPARE(fixture->messages.shown.front().text, QStringLiteral("Name is Required"));
    }
    QVERIFY(clipboard.texts.isEmpty());
    QCOMPARE(fixture->printer.dialogs, 0);
}

void TestValidation::focusAndWindowUnchanged()
{
    fax* f = Show<fax>();
    const Entries e = Required();
    for (auto it = e.begin(); it != e.end(); ++it)
        Box(f, it.key())->setText(it.value());
    f->Text7->setText(QStringLiteral("123"));
    f->Text4->setFocus();
    QCOMPARE(f->ValidateForm(), 0);
    QCOMPARE(f->focusWidget(), f->Text4); // not moved to the card number
    QCOMPARE(f->Text7->text(), QStringLiteral("123"));
}

QTEST_MAIN(TestValidation)
#include "tst_validation.moc"
