// The e-mail, fax and mail order forms: one form in three variants.

#include "OrderDesk.h"
#include "OrderTestSupport.h"
#include "email.h"
#include "fax.h"
#include "mail.h"
#include "order.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace ordertest;

namespace {

OrderForm* Open(const QString& kind)
{
    if (kind == QLatin1String("email"))
        return Show<email>();
    if (kind == QLatin1String("fax"))
        return Show<fax>();
    return Show<mail>();
}

QString LabelText(QWidget* w, const char* name)
{
    auto* l = w->findChild<QLabel*>(QLatin1String(name));
    return l ? Caption(l) : QStringLiteral("<no %1>").arg(QLatin1String(name));
}

QWidget* NextFocus(QWidget* w)
{
    w = w->nextInFocusChain();
    while (w->focusPolicy() == Qt::NoFocus || !w->isVisibleTo(w->window()))
        w = w->nextInFocusChain();
    return w;
}

} // namespace

class TestOrderForms : public QObject
{
    Q_OBJECT
private slots:
    void init() { fixture = Fixture::withChooserShown(); }
    void cleanup() { fixture.reset(); }

    void texts_data();
    void texts();
    void layout_data();
    void layout();
    void controlNames();
    void cancelGivesAFreshForm_data();
    void cancelGivesAFreshForm();
    void noIniLeavesTheTableEmpty();
    void threeWindowsAtOnce();

private:
    std::unique_ptr<Fixture> fixture;
};

void TestOrderForms::texts_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("instructionLabel");
    QTest::addColumn<QString>("instructions");
    QTest::addColumn<QString>("nameCaption");
    QTest::addColumn<QString>("tax");
    QTest::addColumn<QString>("action");
    QTest::newRow("email")
        << "email"
        << "E-Mail Order"
        << "Label19"
        << "Fill in this form. Click COPY button. Information will be copied to clipboard. Then "
           "open your e-mail message window and  press Ctrl and v keys together to PASTE. "
           "E-Mail to ORDERS@QUORVEX.EXAMPLE."
        << "Name on CC"
        << "WI residents: Appropriate sales tax will be added."
        << "Copy";
    QTest::newRow("fax") << "fax"
                         << "FAX Order"
                         << "Label1"
                         << "Please fill in this form. Click FAX/PRINT button. Select FAX from "
                            "Printers. Enter our FAX number " +
                                OrderDesk::FaxNumber +
                                " and FAX it. Or print the form and send by FAX. Or write the  "
                                "ALL info on paper and FAX it."
                         << "Name On CC"
                         << "WI residents: Appropriate sales tax will be added."
                         << "FAX/Print";
    QTest::newRow("mail") << "mail"
                          << "Mail Order"
                          << "Label19"
                          << "Please fill in this form, click PRINT button and mail it. Or write "
                             "the  ALL information on paper and mail it. Mail To: Quorvex, " +
                                 OrderDesk::PostalAddress
                          << "Name on CC"
                          << "WI residents:Appropriate sales tax will be added."
                          << "Print";
}

void TestOrderForms::texts()
{
    QFETCH(QString, kind);
    QFETCH(QString, caption);
    QFETCH(QString, instructionLabel);
    QFETCH(QString, instructions);
    QFETCH(QString, nameCaption);
    QFETCH(QString, tax);
    QFETCH(QString, action);
    OrderForm* f = Open(kind);
    QCOMPARE(f->objectName(), kind);
    QCOMPARE(f->windowTitle(), caption);
    QCOMPARE(LabelText(f, instructionLabel.toLatin1()), instructions);
    QCOMPARE(Caption(f->nameCaption), nameCaption);
    QCOMPARE(Caption(f->Label18), tax);
    QCOMPARE(f->Command3->text(), action);
    QCOMPARE(f->Command2->text(), QStringLiteral("Cancel"));
    QCOMPARE(f->findChild<QLabel*>(QStringLiteral("Label24")) != nullptr, kind == "email");
    if (kind == "email")
        QCOMPARE(LabelText(f, "Label24"),
                 QStringLiteral("(will be encrypted when you click Copy button)"));
    const QStringList captions{"Street line 1",
                               "Street line 2",
                               "City",
                               "State/Prov.",
                               "Zip Code",
                               "Country",
                               "Phone Number",
                               "E-Mail Address",
                               "Qty",
                               "Program",
                               "Price",
                               "Enter Serial No.",
                               "Credit Card Number",
                               "Credit Card Expiration Date"};
    QStringList shown;
    for (QLabel* l : f->findChildren<QLabel*>())
        shown.append(Caption(l));
    for (const QString& c : captions)
        QVERIFY2(shown.contains(c), qPrintable(c));
    // Products and serial numbers from order.ini, unchanged.
    QCOMPARE(Caption(f->Label5), QStringLiteral("Sample Writer"));
    QCOMPARE(Caption(f->Label6), QStringLiteral("Spell Pack"));
    QCOMPARE(Caption(f->Label7), QStringLiteral("Printed Manual"));
    QCOMPARE(Caption(f->Label12), QStringLiteral("$29.95"));
    QCOMPARE(Caption(f->Label8), QStringLiteral("$9.95"));
    QCOMPARE(Caption(f->Label11), QStringLiteral("$14.50"));
    QCOMPARE(f->serialBoxes[0]->text(), QStringLiteral("SW-1001"));
    QCOMPARE(f->serialBoxes[1]->text(), QStringLiteral("SP-2002"));
    QCOMPARE(f->serialBoxes[2]->text(), QStringLiteral("SM-3003"));
    // Every other box is empty and free.
    for (QLineEdit* b : f->findChildren<QLineEdit*>()) {
        if (std::find(f->serialBoxes.begin(), f->serialBoxes.end(), b) == f->serialBoxes.end())
            QCOMPARE(b->text(), QString());
        QVERIFY(!b->isReadOnly());
        QCOMPARE(b->maxLength(), 32767);
        QVERIFY(b->inputMask().isEmpty() && !b->validator());
    }
}

void TestOrderForms::layout_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QSize>("client");
    QTest::addColumn<QList<int>>("rows");
    QTest::addColumn<QList<int>>("columns");
    QTest::newRow("email") << "email" << QSize(7596 / 15, 6324 / 15)
                           << QList<int>{3675, 3975, 4275, 4605, 4935}
                           << QList<int>{45, 630, 4935, 5805, 7500};
    QTest::newRow("fax") << "fax" << QSize(7596 / 15, 6324 / 15)
                         << QList<int>{3690, 3990, 4290, 4620, 4950}
                         << QList<int>{45, 630, 4935, 5805, 7485};
    QTest::newRow("mail") << "mail" << QSize(7584 / 15, 6324 / 15)
                          << QList<int>{3720, 4020, 4320, 4650, 4980}
                          << QList<int>{45, 630, 4935, 5805, 7500};
}

void TestOrderForms::layout()
{
    QFETCH(QString, kind);
    QFETCH(QSize, client);
    QFETCH(QList<int>, rows);
    QFETCH(QList<int>, columns);
    OrderForm* f = Open(kind);
    QCOMPARE(f->size(), client);
    QCOMPARE(f->minimumSize(), f->maximumSize());
    QCOMPARE(f->palette().color(QPalette::Window), QColor(Qt::white));
    QCOMPARE(f->font().family(), QStringLiteral("Arial"));
    QVERIFY(f->font().bold());

    // The grid lines where they belong, in pixels of 15 twips.
    for (int i = 0; i < 5; ++i) {
        const QRect h = f->Line[static_cast<std::size_t>(i)]->geometry();
        QCOMPARE(h.top(), rows[i] / 15);
        QCOMPARE(h.height(), 1);
        QCOMPARE(h.left(), columns[0] / 15);
        QCOMPARE(h.right(), columns[4] / 15);
        const QRect v = f->Line[static_cast<std::size_t>(5 + i)]->geometry();
        QCOMPARE(v.left(), columns[i] / 15);
        QCOMPARE(v.width(), 1);
        QCOMPARE(v.top(), rows[0] / 15);
        QCOMPARE(v.bottom(), rows[4] / 15);
    }
    // The rows from top to bottom.
    const QList<QWidget*> downward{f->instructions, f->nameBox, f->street1Box, f->street2Box,
                                   f->cityBox,      f->zipBox,  f->phoneBox,   f->emailBox,
                                   f->Line[0],      f->cardBox, f->expiryBox,  f->Command3};
    for (int i = 0; i + 1 < downward.size(); ++i)
        QVERIFY2(downward[i]->geometry().bottom() < downward[i + 1]->geometry().top() + 1,
                 qPrintable(downward[i]->objectName()));
    QCOMPARE(f->cityBox->y(), f->stateBox->y());
    QCOMPARE(f->zipBox->y(), f->countryBox->y());
    QCOMPARE(f->street1Box->width(), f->nameBox->width());
    QCOMPARE(f->street2Box->width(), f->nameBox->width());
    QVERIFY(f->Command2->x() < f->Command3->x());
    QVERIFY(f->Label18->geometry().right() < f->Command2->x());
    // Every text fits where it is.
    for (QLabel* l : f->findChildren<QLabel*>()) {
        QVERIFY2(f->rect().contains(l->geometry()), qPrintable(l->objectName()));
        if (l->wordWrap())
            QVERIFY2(l->heightForWidth(l->width()) <= l->height(), qPrintable(l->objectName()));
        else
            QVERIFY2(l->fontMetrics().horizontalAdvance(l->text()) <= l->width(),
                     qPrintable(l->objectName()));
    }
    for (QPushButton* b : f->findChildren<QPushButton*>())
        QVERIFY(f->rect().contains(b->geometry()));

    // Tab order, and the name box has the focus.
    const QList<QWidget*> tab{
        f->nameBox,        f->street1Box,       f->street2Box,     f->cityBox,
        f->stateBox,       f->zipBox,           f->countryBox,     f->phoneBox,
        f->emailBox,       f->quantityBoxes[0], f->serialBoxes[0], f->quantityBoxes[1],
        f->serialBoxes[1], f->quantityBoxes[2], f->serialBoxes[2], f->cardBox,
        f->expiryBox,      f->Command3,         f->Command2};
    for (int i = 0; i + 1 < tab.size(); ++i)
        QCOMPARE(NextFocus(tab[i]), tab[i + 1]);
    QCOMPARE(f->focusWidget(), f->nameBox);
}

void TestOrderForms::controlNames()
{
    email* e = Show<email>();
    QCOMPARE(e->Text17->objectName(), QStringLiteral("Text17"));
    QCOMPARE(e->Text17, e->street1Box);
    QCOMPARE(e->Text16, e->street2Box);
    QCOMPARE(e->Text2, e->cityBox);
    QCOMPARE(e->Text18, e->countryBox);
    QCOMPARE(e->Text12, e->quantityBoxes[2]);
    QCOMPARE(e->Text13->objectName(), QStringLiteral("Text13"));
    QVERIFY(!e->Text13->isVisible());
    QCOMPARE(e->Label19, e->instructions);

    for (PrintedOrderForm* f : {static_cast<PrintedOrderForm*>(Show<fax>()),
                                static_cast<PrintedOrderForm*>(Show<mail>())}) {
        QCOMPARE(f->Text2, f->street1Box);
        QCOMPARE(f->Text13, f->cityBox);
        QCOMPARE(f->Text16, f->countryBox);
        // Text12 is an array: the second street line and the third quantity.
        QCOMPARE(f->Text12[0], f->street2Box);
        QCOMPARE(f->Text12[1], f->quantityBoxes[2]);
        QCOMPARE(f->Text12[0]->objectName(), QStringLiteral("Text12"));
        QCOMPARE(f->Text12[1]->objectName(), QStringLiteral("Text12"));
        QCOMPARE(f->Text12[0]->property("Index").toInt(), 0);
        QCOMPARE(f->Text12[1]->property("Index").toInt(), 1);
    }
    QCOMPARE(Existing<fax>()->Label1, Existing<fax>()->instructions);
    QCOMPARE(Existing<mail>()->Label19, Existing<mail>()->instructions);
}

void TestOrderForms::cancelGivesAFreshForm_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("closeBox");
    for (const char* k : {"email", "fax", "mail"}) {
        QTest::addRow("%s, Cancel", k) << QString::fromLatin1(k) << false;
        QTest::addRow("%s, close box", k) << QString::fromLatin1(k) << true;
    }
}

void TestOrderForms::cancelGivesAFreshForm()
{
    QFETCH(QString, kind);
    QFETCH(bool, closeBox);
    OrderForm* f = Open(kind);
    QPointer<OrderForm> old(f);
    f->nameBox->setText(QStringLiteral("typed"));
    f->serialBoxes[1]->setText(QStringLiteral("changed"));
    if (closeBox)
        f->close();
    else
        f->Command2->click();
    QTRY_VERIFY(old.isNull());
    f = Open(kind);
    QCOMPARE(f->nameBox->text(), QString());
    QCOMPARE(f->serialBoxes[1]->text(), QStringLiteral("SP-2002"));
    QVERIFY(Existing<order>()->isVisible()); // the chooser is not touched
}

void TestOrderForms::noIniLeavesTheTableEmpty()
{
    Fixture::CloseAll();
    QFile::remove(fixture->folder.filePath(QStringLiteral("order.ini")));
    Show<order>();
    OrderForm* f = Open(QStringLiteral("mail"));
    for (QLabel* l : {f->Label5, f->Label6, f->Label7, f->Label12, f->Label8, f->Label11})
        QCOMPARE(Caption(l), QString());
    for (QLineEdit* b : f->serialBoxes)
        QCOMPARE(b->text(), QString());
    QVERIFY(f->quantityBoxes[2]->isEnabled());
}

void TestOrderForms::threeWindowsAtOnce()
{
    email* e = Show<email>();
    fax* x = Show<fax>();
    mail* m = Show<mail>();
    e->Text1->setText(QStringLiteral("e"));
    x->Text1->setText(QStringLiteral("x"));
    QCOMPARE(m->Text1->text(), QString());
    QCOMPARE(e->Text1->text(), QStringLiteral("e"));
    QCOMPARE(Fixture::visibleWindows(), 4);
}

QTEST_MAIN(TestOrderForms)
#include "tst_orderforms.moc"
