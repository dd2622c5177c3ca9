#pragma once

#include "OrderForm.h"

namespace orderapp {

// The order entry forms whose action prints the filled-in window (fax and mail).
class PrintedOrderForm : public OrderForm
{
    Q_OBJECT
public:
    // The message shown when printing fails.
    QString problemText() const;

    QLineEdit* Text1;
    QLineEdit* Text2;
    std::array<QLineEdit*, 2> Text12; // 0: street line 2; 1: quantity of line 3
    QLineEdit* Text13;
    QLineEdit* Text14;
    QLineEdit* Text15;
    QLineEdit* Text16;
    QLineEdit* Text3;
    QLineEdit* Text4;
    QLineEdit* Text10;
    QLineEdit* Text11;
    QLineEdit* Text6;
    QLineEdit* Text5;
    QLineEdit* Text9;
    QLineEdit* Text7;
    QLineEdit* Text8;

public slots:
    void Command3_Click() override;

protected:
    PrintedOrderForm(Kind kind, const QString& instructionText);
};

} // namespace orderapp
