#pragma once

// The product table of the phone and online screens: headings "Program", "Price",
// "Enter Serial No." and three rows of name, price and an editable serial number box,
// inside a ruled grid.

#include <QRect>

class QLabel;
class QLineEdit;
class QWidget;

namespace orderapp {

struct ProductTable
{
    QLabel* Label4;   // "Program"
    QLabel* Label5;   // "Price"
    QLabel* Label3;   // "Enter Serial No."
    QLabel* Label2;   // row 1 name
    QLabel* Label9;   // row 1 price
    QLineEdit* Text6; // row 1 serial number
    QLabel* Label6;
    QLabel* Label10;
    QLineEdit* Text5;
    QLabel* Label7;
    QLabel* Label11;
    QLineEdit* Text9;
    QWidget* Line[9]; // Line1 ... Line9

    // Builds the table at the given left, top and width.
    void build(QWidget* parent, int left, int top, int width);
    // Fills the cells from OrderSettings, unchanged.
    void fill();
    int bottom() const { return m_bottom; }

private:
    int m_bottom = 0;
};

// Shrinks the label's font until its text fits its width on one line (not below 8 pixels).
void FitOneLine(QLabel* label);

} // namespace orderapp
