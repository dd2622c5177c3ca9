#pragma once

#include "OrderForm.h"

namespace orderapp {

// "E-Mail Order": Copy puts the order, with the card number scrambled, on the clipboard.
class email : public OrderForm
{
    Q_OBJECT
public:
    email();

    static QString InstructionText();
    // The order text as the boxes and labels hold it now, with the given card rendering.
    QString BuildOrderText(const QString& cardHex) const;

    QLabel*& Label19 = instructions;
    QLabel* Label24;
    QLineEdit* Text1;
    QLineEdit* Text17;
    QLineEdit* Text16;
    QLineEdit* Text2;
    QLineEdit* Text14;
    QLineEdit* Text15;
    QLineEdit* Text18;
    QLineEdit* Text3;
    QLineEdit* Text4;
    QLineEdit* Text10;
    QLineEdit* Text11;
    QLineEdit* Text12;
    QLineEdit* Text6;
    QLineEdit* Text5;
    QLineEdit* Text9;
    QLineEdit* Text7;
    QLineEdit* Text8;
    QLineEdit* Text13; // never shown: holds the order text

public slots:
    void Command3_Click() override;
};

} // namespace orderapp
