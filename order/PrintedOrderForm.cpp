#include "PrintedOrderForm.h"

#include "Printing.h"

#include <QPushButton>

namespace orderapp {

PrintedOrderForm::PrintedOrderForm(Kind k, const QString& instructionText)
    : OrderForm(k, instructionText)
{
    Text1 = nameBox;
    Text2 = street1Box;
    Text12 = {street2Box, quantityBoxes[2]};
    Text13 = cityBox;
    Text14 = stateBox;
    Text15 = zipBox;
    Text16 = countryBox;
    Text3 = phoneBox;
    Text4 = emailBox;
    Text10 = quantityBoxes[0];
    Text11 = quantityBoxes[1];
    Text6 = serialBoxes[0];
    Text5 = serialBoxes[1];
    Text9 = serialBoxes[2];
    Text7 = cardBox;
    Text8 = expiryBox;
}

QString PrintedOrderForm::problemText() const
{
    const bool isFax = kind == Kind::Fax;
    const QStringList pieces{
        isFax ? QStringLiteral("FAX/Printer Problem. ") : QStringLiteral("Printer Problem. "),
        QStringLiteral("Possible Solutions: "),
        isFax ? QStringLiteral("1. Fix FAX And Try Again.")
              : QStringLiteral("1. Fix Printer And Try Again."),
        isFax ? QStringLiteral("2. Print Form And FAX From FAX Machine")
              : QStringLiteral("2. Write All Info On Paper And Mail It."),
        QStringLiteral("3. Order Using Phone/E-mail."),
    };
    return pieces.join(QChar(u'\r'));
}

void PrintedOrderForm::Command3_Click()
{
    if (ValidateForm() != 1)
        return;
    PrintWindow(this, {Command2, Command3}, problemText());
}

} // namespace orderapp
