#pragma once

#include "ProductTable.h"

#include <QLabel>
#include <QWidget>

class QLineEdit;
class QPushButton;

namespace orderapp {

// A label that reports clicks (the link of the online screen).
class LinkLabel : public QLabel
{
    Q_OBJECT
public:
    using QLabel::QLabel;
signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

// "Online Credit Card Orders Using Secure Server": the product table and the link to the
// order page.
class web : public QWidget
{
    Q_OBJECT
public:
    web();
    void Form_Load();

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
    QLabel* Label8;
    LinkLabel* Label12;
    QLabel* Label13;
    QPushButton* Command2;

public slots:
    void Label12_Click();
    void Command2_Click();
};

} // namespace orderapp
