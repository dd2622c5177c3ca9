#pragma once

#include "ProductTable.h"

#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;

namespace orderapp {

// "Credit Card Phone Orders": the order numbers, the author's contact and the product table.
class phone : public QWidget
{
    Q_OBJECT
public:
    phone();
    void Form_Load();

    // The instructions text, composed from OrderSettings and the order desk's numbers.
    static QString InstructionsText();

    ProductTable table;
    QLabel*& Label4 = table.Label4;
    QLabel*& Label5 = table.Label5;
    QLabel*& Label3 = table.Label3;
    QLabel*& Label2 = table.Label2;
    QLabel*& Label9 = table.Label9;
    QLineEdit*& Text6 = table.Text6;
    QLabel*& Label6 = table.Label6;
    QLabel*& Label10 = table.Label10;
    QLineEdit*& Text5 = table.Text5;
    QLabel*& Label7 = table.Label7;
    QLabel*& Label11 = table.Label11;
    QLineEdit*& Text9 = table.Text9;
    QLabel* Label1;
    QPushButton* Command2;
    QPushButton* Command1;

public slots:
    void Command1_Click();
    void Command2_Click();

private:
    void fitToText();
};

} // namespace orderapp
