#pragma once

#include <QWidget>

class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace orderapp {

// The chooser, "Order Now": reads order.ini and opens the screen of the chosen way to order.
class order : public QWidget
{
    Q_OBJECT
public:
    order();
    void Form_Load();

    QLabel* Image1;
    QLabel* Label2;
    QGroupBox* Frame1;
    QRadioButton* Option1;
    QRadioButton* Option2;
    QRadioButton* Option3;
    QRadioButton* Option4;
    QRadioButton* Option5;
    QRadioButton* Option6;
    QLabel* Label4;
    QPushButton* btnCancel;
    QPushButton* btnNext;

public slots:
    void btnNext_Click();
    void btnCancel_Click();

private:
    void fitToComment();
};

} // namespace orderapp
