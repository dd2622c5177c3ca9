#pragma once

#include "PrintedOrderForm.h"

namespace orderapp {

// "FAX Order": the filled-in form is printed on a fax printer driver or on paper.
class fax : public PrintedOrderForm
{
    Q_OBJECT
public:
    fax();
    static QString InstructionText();

    QLabel*& Label1 = instructions;
};

} // namespace orderapp
