#pragma once

// The order entry form shared by the e-mail, fax and mail windows: the same fields in the
// same rows and tab order, the product table with a quantity column, Cancel, and the
// validation every action button runs first.

#include <QWidget>

#include <array>

class QLabel;
class QLineEdit;
class QPushButton;

namespace orderapp {

class OrderForm : public QWidget
{
    Q_OBJECT
public:
    enum class Kind { Email, Fax, Mail };

    void Form_Load();
    // 1 when every check passes; 0 after showing the message of the first failing one.
    int ValidateForm();
    const Kind kind;

    // The fields by their role (the windows also reach them under their own names).
    QLineEdit* nameBox;
    QLineEdit* street1Box;
    QLineEdit* street2Box;
    QLineEdit* cityBox;
    QLineEdit* stateBox;
    QLineEdit* zipBox;
    QLineEdit* countryBox;
    QLineEdit* phoneBox;
    QLineEdit* emailBox;
    std::array<QLineEdit*, 3> quantityBoxes;
    std::array<QLineEdit*, 3> serialBoxes;
    QLineEdit* cardBox;
    QLineEdit* expiryBox;

    QLabel* instructions; // Label19 (e-mail, mail) or Label1 (fax)
    QLabel* nameCaption;
    // Product names and prices of lines 1 to 3.
    QLabel* Label5;
    QLabel* Label6;
    QLabel* Label7;
    QLabel* Label12;
    QLabel* Label8;
    QLabel* Label11;
    QLabel* Label18; // the tax note
    std::array<QWidget*, 10> Line;
    QPushButton* Command2; // Cancel
    QPushButton* Command3; // the action

    // The grid of the product table in pixels: five horizontal and five vertical lines.
    std::array<int, 5> gridRows() const;
    std::array<int, 5> gridColumns() const;

public slots:
    void Command2_Click();
    virtual void Command3_Click() = 0;

protected:
    OrderForm(Kind kind, const QString& instructionText);
};

} // namespace orderapp
