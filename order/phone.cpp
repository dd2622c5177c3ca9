#include "phone.h"

#include "Module1.h"
#include "OrderDesk.h"
#include "Printing.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace orderapp {

namespace {
constexpr int Width = 520;
constexpr int Margin = 10;
constexpr int ButtonHeight = 24;
} // namespace

phone::phone()
{
    MakeOrderWindow(this, "phone", QStringLiteral("Credit Card Phone Orders"), Width, 400);
    table.build(this, Margin, Margin, Width - 2 * Margin);
    Label1 = MakeLabel(this, "Label1", QString(),
                       QRect(Margin, table.bottom() + 10, Width - 2 * Margin, 20));
    Command2 =
        MakeButton(this, "Command2", QStringLiteral("Cancel"), QRect(Margin, 0, 90, ButtonHeight));
    Command1 = MakeButton(this, "Command1", QStringLiteral("Print"),
                          QRect(Width - Margin - 90, 0, 90, ButtonHeight));
    fitToText();

    setTabOrder(Text6, Text5);
    setTabOrder(Text5, Text9);
    setTabOrder(Text9, Command1);
    setTabOrder(Command1, Command2);
    connect(Command1, &QPushButton::clicked, this, &phone::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &phone::Command2_Click);
}

QString phone::InstructionsText()
{
    const OrderSettingsData& s = OrderSettings;
    const QString cr(QChar(u'\r'));
    QString t;
    t += QStringLiteral(
        "The phone numbers below are for CREDIT CARD ORDERS ONLY. The author of the program "
        "CANNOT be reached at these numbers. If you  have questions about product information, "
        "technical support, non-credit card orders etc., you must contact the author DIRECTLY "
        "at: ");
    t += s.AuthorName;
    t += QStringLiteral(" at ");
    t += s.AuthorEmail;
    t += QStringLiteral(" ");
    t += s.AuthorPhone;
    t += cr + cr;
    t += QStringLiteral("Quorvex will take credit card orders only from 8 AM to 6 PM  CST Monday "
                        "through Friday at ");
    t += OrderDesk::TollFreeNumber;
    t += QStringLiteral(" Ext.");
    t += s.Program1ID;
    t += QStringLiteral(" or at ");
    t += OrderDesk::DirectNumber;
    t += QStringLiteral(" Ext.");
    t += s.Program1ID;
    t += cr + cr;
    t += QStringLiteral("Please have your name, address, phone number, e-mail address, product "
                        "serial number, credit card number and expiration date ready before you "
                        "call.");
    t += cr + cr;
    t += QStringLiteral("Hint: Print this form so you have it handy when ordering.");
    return t;
}

// The instructions grow downward; the buttons and the window's bottom follow them.
void phone::fitToText()
{
    Label1->resize(Label1->width(), std::max(20, NeededHeight(Label1)));
    const int buttonsTop = Label1->geometry().bottom() + 12;
    Command2->move(Command2->x(), buttonsTop);
    Command1->move(Command1->x(), buttonsTop);
    setFixedSize(Width, buttonsTop + ButtonHeight + Margin);
}

void phone::Form_Load()
{
    table.fill();
    SetCaption(Label1, InstructionsText());
    fitToText();
    CentreWindow(this);
    Text6->setFocus();
}

void phone::Command1_Click()
{
    const QString cr(QChar(u'\r'));
    PrintWindow(this, {Command1, Command2},
                QStringLiteral("Printer Problem. ") + cr + QStringLiteral("Possible Solutions: ") +
                    cr + QStringLiteral("1. Fix Printer And Try Again."));
}

void phone::Command2_Click()
{
    close();
}

} // namespace orderapp
