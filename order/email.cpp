#include "email.h"

#include "Module1.h"
#include "OrderDesk.h"
#include "platform/Platform.h"

#include <QLabel>
#include <QLineEdit>

namespace orderapp {

email::email() : OrderForm(Kind::Email, InstructionText())
{
    Label24 = findChild<QLabel*>(QStringLiteral("Label24"));
    Text1 = nameBox;
    Text17 = street1Box;
    Text16 = street2Box;
    Text2 = cityBox;
    Text14 = stateBox;
    Text15 = zipBox;
    Text18 = countryBox;
    Text3 = phoneBox;
    Text4 = emailBox;
    Text10 = quantityBoxes[0];
    Text11 = quantityBoxes[1];
    Text12 = quantityBoxes[2];
    Text6 = serialBoxes[0];
    Text5 = serialBoxes[1];
    Text9 = serialBoxes[2];
    Text7 = cardBox;
    Text8 = expiryBox;
    Text13 = MakeBox(this, "Text13", QRect(0, 0, 1, 1));
    Text13->setVisible(false);
    Text13->setFocusPolicy(Qt::NoFocus);
}

QString email::InstructionText()
{
    return QStringLiteral("Fill in this form. Click COPY button. Information will be copied to "
                          "clipboard. Then open your e-mail message window and  press Ctrl and v "
                          "keys together to PASTE. E-Mail to ") +
           OrderDesk::EmailAddressUpper() + QStringLiteral(".");
}

QString email::BuildOrderText(const QString& cardHex) const
{
    OrderTextEntries e;
    e.name = Text1->text();
    e.street1 = Text17->text();
    e.street2 = Text16->text();
    e.city = Text2->text();
    e.state = Text14->text();
    e.zip = Text15->text();
    e.country = Text18->text();
    e.phone = Text3->text();
    e.email = Text4->text();
    e.quantity = {Text10->text(), Text11->text(), Text12->text()};
    e.program = {Caption(Label5), Caption(Label6), Caption(Label7)};
    e.price = {Caption(Label12), Caption(Label8), Caption(Label11)};
    e.serial = {Text6->text(), Text5->text(), Text9->text()};
    e.cardHex = cardHex;
    e.expiry = Text8->text();
    return OrderText(e);
}

void email::Command3_Click()
{
    if (ValidateForm() != 1)
        return;
    const platform::Services& s = platform::services();
    const QString card = Text7->text();
    // Scrambling keeps one byte per character; anything else cannot be sent safely.
    if (!IsSingleByteText(card)) {
        s.messages->Show(this,
                         QStringLiteral("Credit Card Number is Incorrect.") + QChar(u'\r') +
                             QStringLiteral("It holds characters that cannot be sent."),
                         QStringLiteral("Order"), platform::MessageStyle::Exclamation);
        return;
    }
    CardText = card;
    ScrambleText(CardText);
    CardHex.clear();
    CardHex = HexText(CardText);
    Text13->setText(BuildOrderText(CardHex));
    if (!s.clipboard->SetText(Text13->text())) {
        s.messages->Show(this,
                         QStringLiteral("Your order could not be copied to the clipboard.") +
                             QChar(u'\r') + QStringLiteral("Please try again."),
                         QStringLiteral("Order By E-mail"), platform::MessageStyle::Exclamation);
        return;
    }
    s.messages->Show(this,
                     QStringLiteral("Your message was copied to Windows clipboard. Open your "
                                    "e-mail message window and Paste the order into it. Then "
                                    "e-mail to ") +
                         OrderDesk::EmailAddressCapitalised(),
                     QStringLiteral("Order By E-mail"), platform::MessageStyle::Information);
}

} // namespace orderapp
